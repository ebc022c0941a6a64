// The stand-in's main window (class "VORNIX"): buttons for its windows, a
// search box that asks the address book to search, and the list of the
// requests it received.
#include "calendar/calendar_texts.h"
#include "desk.h"

namespace vornix {

namespace {

constexpr int id_first_window_button = 101;  // 101 to 106, in CalendarWindow order
constexpr int id_search_edit = 110;
constexpr int id_request_list = 111;
constexpr int id_status = 112;
constexpr int id_window_group = 113;
constexpr int id_search_group = 114;
constexpr int id_list_label = 115;
constexpr UINT_PTR status_timer = 1;

const char* const window_button_texts[] = {"Calendar &1", "Calendar &2", "Calendar &3",
                                           "Calendar &4", "&Clock",      "&Alarm"};

LRESULT CALLBACK main_thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
    auto* desk = reinterpret_cast<Desk*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return desk ? desk->main_proc(hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

void place(HWND control, int x, int y, int width, int height) {
    if (control) MoveWindow(control, x, y, width < 0 ? 0 : width, height < 0 ? 0 : height, TRUE);
}

}  // namespace

bool Desk::create_main_window(int show_command) {
    const std::string class_name(lumo::calendar::calendar_class);
    if (!register_peer_class(instance_, main_thunk, class_name.c_str(), 0,
                             reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
        return false;
    const bool loaded = book_.load();
    main_ = CreateWindowExA(WS_EX_CONTROLPARENT, class_name.c_str(), "VORNIX calendar (stand-in)",
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20, 560, 400, nullptr, nullptr, instance_,
                            this);
    if (!main_) return false;
    ShowWindow(main_, show_command);
    UpdateWindow(main_);
    if (!loaded) {
        MessageBeep(MB_ICONHAND);
        note("The appointments file " + book_.file().string() + " cannot be read; new appointments are not saved.");
    } else if (book_.unreadable_lines() > 0) {
        note(std::to_string(book_.unreadable_lines()) + " lines of " + book_.file().filename().string() +
             " are not appointments; they are kept as they are.");
    }
    return true;
}

void Desk::create_main_controls(HWND hwnd) {
    const HFONT font = fonts_.normal;
    main_controls_.push_back(make_control(hwnd, "BUTTON", "Calendar windows", BS_GROUPBOX, id_window_group, font));
    for (int i = 0; i < lumo::calendar::window_count; ++i)
        main_controls_.push_back(make_control(hwnd, "BUTTON", window_button_texts[i],
                                              BS_PUSHBUTTON | WS_TABSTOP | (i == 0 ? WS_GROUP : 0),
                                              id_first_window_button + i, font));
    main_controls_.push_back(make_control(hwnd, "BUTTON", "Search in Lumo", BS_GROUPBOX, id_search_group, font));
    search_edit_ = make_control(hwnd, "EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, id_search_edit, font,
                                WS_EX_CLIENTEDGE);
    SendMessageA(search_edit_, EM_LIMITTEXT, lumo::calendar::search_text_limit, 0);
    main_controls_.push_back(search_edit_);
    main_controls_.push_back(
        make_control(hwnd, "BUTTON", "&Find in Lumo", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, font));
    main_controls_.push_back(make_control(hwnd, "STATIC", "&Requests from Lumo:", SS_LEFT, id_list_label, font));
    request_list_ = make_control(hwnd, "LISTBOX", nullptr,
                                 WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | WS_TABSTOP | WS_GROUP,
                                 id_request_list, font, WS_EX_CLIENTEDGE);
    SendMessageA(request_list_, LB_SETHORIZONTALEXTENT, 1600, 0);
    main_controls_.push_back(request_list_);
    status_ = make_control(hwnd, "STATIC", "", SS_LEFT | SS_ENDELLIPSIS, id_status, font);
    main_controls_.push_back(status_);
}

void Desk::layout_main(int width, int height) {
    constexpr int margin = 10;
    const int inner = width - 2 * margin;
    auto item = [&](int id) { return GetDlgItem(main_, id); };
    place(item(id_window_group), margin, 6, inner, 58);
    const int count = lumo::calendar::window_count;
    const int gap = 6;
    const int button_width = (inner - 2 * margin - (count - 1) * gap) / count;
    for (int i = 0; i < count; ++i)
        place(item(id_first_window_button + i), 2 * margin + i * (button_width + gap), 26, button_width, 28);
    place(item(id_search_group), margin, 70, inner, 58);
    const int find_width = 110;
    place(search_edit_, 2 * margin, 92, inner - 3 * margin - find_width, 24);
    place(item(IDOK), width - 2 * margin - find_width, 90, find_width, 28);
    place(item(id_list_label), margin, 140, inner, 18);
    place(request_list_, margin, 160, inner, height - 160 - 30);
    place(status_, margin, height - 22, inner, 18);
}

void Desk::update_status() {
    if (!status_) return;
    int open = 0;
    for (HWND window : windows_) open += window ? 1 : 0;
    const std::size_t count = book_.all().size();
    const std::string text = std::string(FindWindowA("VORNIX-Lumo", nullptr) ? "Lumo is running" : "Lumo is not running") +
                             "   |   " + std::to_string(open) + " of 6 windows open   |   " + std::to_string(count) +
                             (count == 1 ? " appointment" : " appointments") + " in " +
                             book_.file().filename().string();
    char shown[512] = {};
    GetWindowTextA(status_, shown, sizeof shown);
    if (text != shown) SetWindowTextA(status_, text.c_str());
}

void Desk::on_main_command(int id) {
    if (id >= id_first_window_button && id < id_first_window_button + lumo::calendar::window_count) {
        open_window(static_cast<CalendarWindow>(id - id_first_window_button));
        return;
    }
    if (id != IDOK) return;
    char text[64] = {};
    GetWindowTextA(search_edit_, text, sizeof text);
    if (!text[0]) {
        MessageBeep(MB_ICONASTERISK);
        SetFocus(search_edit_);
        return;
    }
    HWND lumo = FindWindowA("VORNIX-Lumo", nullptr);
    if (!lumo) {
        MessageBeep(MB_ICONHAND);
        note("Lumo is not running: nothing to search in.");
        return;
    }
    SetForegroundWindow(lumo);
    send_to_lumo(std::string(lumo::calendar::search_prefix_report) + text);
    note(std::string("searching in Lumo for \"") + text + "\"");
}

LRESULT Desk::main_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == transfer_message_) {
        on_transfer(wp, lp);
        return 0;
    }
    switch (msg) {
    case WM_CREATE:
        main_ = hwnd;
        create_main_controls(hwnd);
        SetTimer(hwnd, status_timer, 2000, nullptr);
        update_status();
        return 0;
    case WM_SIZE:
        layout_main(LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {480, 300};
        return 0;
    case WM_TIMER:
        update_status();
        return 0;
    case WM_COMMAND:
        on_main_command(LOWORD(wp));
        return 0;
    case WM_CLOSE:
        // Our windows go (and say so), then the address book is told to end.
        close_all_windows();
        send_to_lumo(lumo::calendar::vornix_quit);
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd, status_timer);
        request_list_ = search_edit_ = status_ = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

}  // namespace vornix

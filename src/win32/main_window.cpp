#include "win32/main_window.h"

#include <shellapi.h>

#include "app/commands.h"
#include "app/frame_logic.h"
#include "app/keyboard.h"
#include "app/printing.h"
#include "port/ids.h"
#include "win32/drag_start.h"
#include "win32/window_thunk.h"

namespace lumo::win32 {

MainWindow::MainWindow(App& app, ShellWindows& windows, ShellResources& resources, UINT transfer_message)
    : app_(app),
      windows_(windows),
      resources_(resources),
      transfer_message_(transfer_message),
      bars_([this](HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) { return procedure(hwnd, msg, wp, lp); }),
      about_(resources.instance(), windows.main),
      overview_(app, caption_, bars_),
      data_view_(app, caption_, bars_) {}

bool MainWindow::register_classes(HINSTANCE instance) {
    return register_window_class(instance, main_window_class, CS_HREDRAW | CS_VREDRAW, &window_thunk<MainWindow>,
                                 LoadCursorA(nullptr, IDC_ARROW), static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH))) &&
           OverviewWindow::register_class(instance) && DataViewWindow::register_class(instance);
}

HWND MainWindow::create(const Rect& rect, const char* title) {
    HINSTANCE instance = resources_.instance();
    HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDM_MENU_ENGLISH));
    return CreateWindowExA(0, main_window_class, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, rect.x, rect.y,
                           rect.width, rect.height, nullptr, menu, instance, this);
}

bool MainWindow::create_bars() {
    if (!bars_.create(resources_.instance(), windows_.main)) return false;
    windows_.toolbar = bars_.toolbar();
    windows_.status_bar = bars_.status_bar();
    app_.port().frame.set_status_text(app_.store.entries_status_text());
    RECT client{};
    GetClientRect(windows_.main, &client);
    bars_.fit_toolbar(client.right);
    bars_.set_button_pictures(resources_);
    bars_.set_background(resources_.pattern_brush());
    return true;
}

bool MainWindow::create_views() {
    HINSTANCE instance = resources_.instance();
    // A view without a size (no configuration yet) starts where side by side
    // would put it, so that it can be seen and grabbed.
    RECT client{};
    GetClientRect(windows_.main, &client);
    const auto fallback = view_placement(arrangement::side_by_side, client.right, client.bottom, bars_.toolbar_height());
    Settings& settings = app_.settings;
    if (settings.overview_rectangle.width <= 0 || settings.overview_rectangle.height <= 0)
        settings.overview_rectangle = fallback->overview;
    if (settings.data_view_rectangle.width <= 0 || settings.data_view_rectangle.height <= 0)
        settings.data_view_rectangle = fallback->data_view;

    windows_.overview = overview_.create(instance, windows_.main, settings.overview_rectangle);
    windows_.data_view = data_view_.create(instance, windows_.main, settings.data_view_rectangle);
    app_.views.active_view = ActiveView::overview;
    if (!windows_.overview || !windows_.data_view) return false;
    overview_.on_drag_entries = [this] { drag_entries(app_); };
    data_view_.on_drag_text = [this] { drag_text(app_); };
    // The saved rectangles may stem from another window size.
    place_views();
    BringWindowToTop(windows_.overview);
    return true;
}

void MainWindow::add_system_menu_items() const {
    HMENU menu = GetSystemMenu(windows_.main, FALSE);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, CMD_CALENDAR_1, "Calendar &1 \tCtrl+F1");
    AppendMenuA(menu, MF_STRING, CMD_CALENDAR_2, "Calendar &2 \tCtrl+F2");
    AppendMenuA(menu, MF_STRING, CMD_CALENDAR_3, "Calendar &3 \tCtrl+F3");
    AppendMenuA(menu, MF_STRING, CMD_CALENDAR_4, "Calendar &4 \tCtrl+F4");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, CMD_QUIT, "&Quit VORNIX-Lumo \tCtrl+Q");
}

LRESULT MainWindow::procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        return handle(hwnd, msg, wp, lp);
    } catch (...) {
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

LRESULT MainWindow::handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (app_.shut_down_done()) return DefWindowProcA(hwnd, msg, wp, lp);
    app_.store.ensure_room();
    if (msg == transfer_message_) {
        app_.on_transfer_message(static_cast<std::uint64_t>(wp), static_cast<std::int64_t>(lp));
        return 0;
    }
    switch (msg) {
    case WM_CREATE:
        return on_create(hwnd);
    case WM_CLOSE:
        // The close box ends the program as Quit does, and may be refused.
        if (is_main(hwnd) && !app_.may_quit()) return 0;
        return DefWindowProcA(hwnd, msg, wp, lp);
    case WM_DESTROY:
        if (is_main(hwnd)) PostQuitMessage(0);
        return 0;
    case WM_MOVE:
    case WM_SIZE:
        on_move_or_size(hwnd, msg, lp);
        return 0;
    case WM_GETMINMAXINFO:
        on_get_min_max_info(hwnd, *reinterpret_cast<MINMAXINFO*>(lp));
        return 0;
    case WM_PAINT:
        return on_paint(hwnd, msg, wp, lp);
    case WM_DISPLAYCHANGE:
        on_display_change(hwnd);
        return 0;
    case WM_SETFOCUS:
        on_set_focus(hwnd);
        return 0;
    case WM_KILLFOCUS:
        on_kill_focus(hwnd, reinterpret_cast<HWND>(wp));
        return 0;
    case WM_QUERYENDSESSION:
        return on_query_end_session();
    case WM_KEYDOWN:
        on_key_down(app_, static_cast<int>(wp));
        return 0;
    case WM_CHAR:
        on_char(app_, static_cast<int>(wp & 0xFF));
        return 0;
    case WM_MOUSEWHEEL:
        on_mouse_wheel(app_, GET_WHEEL_DELTA_WPARAM(wp));
        return 0;
    case WM_COMMAND:
        return on_command(LOWORD(wp));
    case WM_SYSCOMMAND:
        return on_sys_command(hwnd, msg, wp, lp);
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

// ---- Frame messages ---------------------------------------------------------

LRESULT MainWindow::on_create(HWND hwnd) {
    if (is_main(hwnd)) app_.greet_calendar();
    return 0;
}

void MainWindow::on_move_or_size(HWND hwnd, UINT msg, LPARAM lp) {
    if (!is_main(hwnd) || IsIconic(hwnd)) return;
    remember_main_rectangle();
    if (msg != WM_SIZE) return;
    bars_.fit_toolbar(LOWORD(lp));
    place_views();
}

void MainWindow::remember_main_rectangle() {
    RECT r{};
    GetWindowRect(windows_.main, &r);
    app_.settings.main_window_rectangle = {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void MainWindow::on_get_min_max_info(HWND hwnd, MINMAXINFO& info) const {
    if (!is_main(hwnd)) return;
    MinimumSizeInputs in;
    in.toolbar_width = bars_.toolbar_width();
    in.toolbar_height = bars_.toolbar_height();
    in.thumb_width = GetSystemMetrics(SM_CXHTHUMB);
    in.frame_width = GetSystemMetrics(SM_CXFRAME);
    in.border_width = GetSystemMetrics(SM_CXBORDER);
    in.caption_height = caption_.height();
    in.overview_line_height = font_line_height(resources_.overview_font());
    const Size minimum = minimum_tracking_size(in);
    info.ptMinTrackSize = {minimum.width, minimum.height};
}

LRESULT MainWindow::on_paint(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (!is_main(hwnd)) return DefWindowProcA(hwnd, msg, wp, lp);
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);
    return 0;
}

void MainWindow::on_display_change(HWND hwnd) {
    if (!is_main(hwnd)) return;
    bars_.set_background(resources_.remake_pattern_brush());
}

void MainWindow::on_set_focus(HWND hwnd) {
    if (!is_main(hwnd)) return;
    ActiveView& active = app_.views.active_view;
    if (active == ActiveView::none_was_overview) {
        active = ActiveView::overview;
        app_.port().frame.enable_command(CMD_PASTE, false);
    } else if (active == ActiveView::none_was_data_view) {
        active = ActiveView::data_view;
        app_.port().frame.enable_command(CMD_PASTE, true);
    }
    app_.port().frame.bring_to_top(active == ActiveView::data_view ? ViewId::data_view : ViewId::overview);
    repaint_captions();
}

void MainWindow::on_kill_focus(HWND hwnd, HWND gaining) {
    if (!is_main(hwnd)) return;
    if (gaining && IsChild(windows_.main, gaining)) return;
    ActiveView& active = app_.views.active_view;
    if (active == ActiveView::overview) active = ActiveView::none_was_overview;
    if (active == ActiveView::data_view) active = ActiveView::none_was_data_view;
    repaint_captions();
}

LRESULT MainWindow::on_query_end_session() {
    // FALSE keeps the session, and lumo with its unsaved data, alive.
    if (!app_.may_end_session()) return FALSE;
    app_.shut_down();
    PostQuitMessage(0);
    return TRUE;
}

void MainWindow::repaint_captions() const {
    data_view_.repaint_caption();
    overview_.repaint_caption();
}

void MainWindow::place_views() {
    if (!windows_.overview || !windows_.data_view) return;
    RECT client{};
    GetClientRect(windows_.main, &client);
    const auto placement =
        view_placement(app_.settings.window_arrangement, client.right, client.bottom, bars_.toolbar_height());
    if (!placement) return;
    app_.settings.overview_rectangle = placement->overview;
    app_.settings.data_view_rectangle = placement->data_view;
    const Rect& o = placement->overview;
    const Rect& d = placement->data_view;
    MoveWindow(windows_.overview, o.x, o.y, o.width, o.height, TRUE);
    MoveWindow(windows_.data_view, d.x, d.y, d.width, d.height, TRUE);
}

// ---- Commands -------------------------------------------------------------------

LRESULT MainWindow::on_command(int id) {
    FileCommands& files = app_.files;
    if (id >= CMD_RECENT_FIRST && id <= CMD_RECENT_LAST) {
        files.open_recent(id - CMD_RECENT_FIRST);
        return 0;
    }
    switch (id) {
    case CMD_NEW:
        files.new_file();
        break;
    case CMD_OPEN:
        files.open();
        break;
    case CMD_SAVE:
        files.save_command(false);
        break;
    case CMD_SAVE_AS:
        files.save_command(true);
        break;
    case CMD_ADD:
        files.add();
        break;
    case CMD_QUIT:
        app_.quit();
        break;
    case CMD_CALENDAR_1:
    case CMD_CALENDAR_2:
    case CMD_CALENDAR_3:
    case CMD_CALENDAR_4:
    case CMD_ALARM_WINDOW:
    case CMD_ANALOG_CLOCK:
        SetFocus(windows_.main);
        app_.open_calendar_window(id, true);
        break;
    case CMD_SIDE_BY_SIDE:
        SetFocus(windows_.main);
        on_arrangement(arrangement::side_by_side, CMD_SIDE_BY_SIDE, CMD_ONE_UPON_OTHER);
        break;
    case CMD_ONE_UPON_OTHER:
        on_arrangement(arrangement::one_upon_the_other, CMD_ONE_UPON_OTHER, CMD_SIDE_BY_SIDE);
        break;
    case CMD_ADDRESS_FIELD:
        SetFocus(windows_.main);
        address_field_command(app_);
        break;
    case CMD_HELP:
        ShellExecuteA(nullptr, "open", app_.paths.help_file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        break;
    case CMD_SEARCH:
    case CMD_FIND_NEXT:
    case CMD_REPLACE:
    case CMD_REPLACE_NEXT:
    case CMD_GENERAL_CONFIGURATION:
    case CMD_TEXT_PREDEFINITIONS:
    case CMD_APPOINTMENT:
    case CMD_CALENDAR_SEARCH:
    case CMD_PASSWORD:
    case CMD_CHOOSE_PREDEFINITION:
    case CMD_PREDEFINITION_1:
    case CMD_PREDEFINITION_2:
    case CMD_PREDEFINITION_3:
    case CMD_PREDEFINITION_4:
    case CMD_PREDEFINITION_5:
    case CMD_PREDEFINITION_6:
    case CMD_PREDEFINITION_7:
    case CMD_PREDEFINITION_8:
    case CMD_PREDEFINITION_9:
    case CMD_PREDEFINITION_10:
        dialogs_.on_command(id);
        break;
    case CMD_PRINT:
        on_print();
        break;
    case CMD_COLOURS:
        colours_.run(GetActiveWindow());
        break;
    case CMD_FONT_DATA_VIEW:
        choose_view_font(app_, resources_, ViewId::data_view, windows_.data_view, [this] { data_view_.measure_font(); });
        break;
    case CMD_FONT_OVERVIEW:
        choose_view_font(app_, resources_, ViewId::overview, windows_.overview, [this] { overview_.measure_font(); });
        break;
    case CMD_INFO:
    case CMD_INFO_2:
    case CMD_INFO_3:
        about_.show();
        break;
    default:
        run_state_command(app_, id);
        break;
    }
    return 0;
}

void MainWindow::on_arrangement(std::uint8_t arrangement, int command, int other_command) {
    Frame& frame = app_.port().frame;
    std::uint8_t& current = app_.settings.window_arrangement;
    if (current == arrangement) {
        // Switching the mode off leaves the views where they are.
        current = arrangement::free_placement;
        frame.check_command(command, false);
        return;
    }
    current = arrangement;
    frame.check_command(command, true);
    frame.check_command(other_command, false);
    place_views();
}

void MainWindow::on_print() {
    Win32Printer printer(print_record_, windows_.main, [this] { return dialogs_.print_settings(); });
    print_entries(app_, printer);
}

LRESULT MainWindow::on_sys_command(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const int id = static_cast<int>(wp);
    if (id >= CMD_CALENDAR_1 && id <= CMD_CALENDAR_4) {
        SetFocus(windows_.main);
        app_.open_calendar_window(id, false);
        return 0;
    }
    if (id == CMD_QUIT) {
        app_.quit();
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace lumo::win32

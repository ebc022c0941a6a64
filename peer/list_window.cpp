// A window that lists appointments under a heading: the alarm window (today
// and the days ahead, refreshed while it is open) and the search results.
#include <algorithm>
#include <memory>
#include <optional>

#include "desk.h"

namespace vornix {

namespace {

constexpr char list_class[] = "VornixList";
constexpr int id_list = 301;
constexpr int id_close = 302;
constexpr UINT_PTR refresh_timer = 1;
constexpr int margin = 10;
constexpr int heading_height = 58;

struct ListState {
    ListState(Desk& d, std::function<ListContent()> f, UINT ms, std::optional<CalendarWindow> w)
        : desk(d), fill_content(std::move(f)), refresh_ms(ms), window(w) {}
    Desk& desk;
    std::function<ListContent()> fill_content;
    UINT refresh_ms;
    std::optional<CalendarWindow> window;
    HWND list = nullptr;
    ListContent content;
};

void refresh(HWND hwnd, ListState& state) {
    state.content = state.fill_content();
    set_list_rows(state.list, state.content.rows);
    RECT heading;
    GetClientRect(hwnd, &heading);
    heading.bottom = heading_height;
    InvalidateRect(hwnd, &heading, FALSE);
}

void paint(HWND hwnd, const ListState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    fill(dc, client, GetSysColor(COLOR_BTNFACE));
    const RECT band{0, 0, client.right, heading_height};
    fill(dc, band, GetSysColor(COLOR_WINDOW));
    const RECT rule{0, heading_height - 1, client.right, heading_height};
    fill(dc, rule, GetSysColor(COLOR_3DSHADOW));
    SetBkMode(dc, TRANSPARENT);
    const Fonts& fonts = state.desk.fonts();
    HGDIOBJ old_font = SelectObject(dc, fonts.large);
    SetTextColor(dc, RGB(30, 34, 42));
    RECT line = {margin + 4, 8, client.right - margin, 32};
    DrawTextA(dc, state.content.heading.c_str(), -1, &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    SelectObject(dc, fonts.normal);
    SetTextColor(dc, RGB(100, 100, 100));
    line = {margin + 4, 32, client.right - margin, 52};
    DrawTextA(dc, state.content.subheading.c_str(), -1, &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old_font);
    EndPaint(hwnd, &ps);
}

void layout(HWND hwnd, const ListState& state, int width, int height) {
    const int button_height = 26;
    MoveWindow(state.list, margin, heading_height + margin, width - 2 * margin,
               std::max(0, height - heading_height - 3 * margin - button_height), TRUE);
    MoveWindow(GetDlgItem(hwnd, id_close), width - margin - 80, height - margin - button_height, 80, button_height,
               TRUE);
    InvalidateRect(hwnd, nullptr, FALSE);
}

void create_controls(HWND hwnd, ListState& state) {
    const HFONT font = state.desk.fonts().normal;
    state.list = make_control(hwnd, "LISTBOX", nullptr,
                              WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_USETABSTOPS | WS_TABSTOP | WS_GROUP, id_list,
                              font, WS_EX_CLIENTEDGE);
    const INT stops[] = {60, 90, 118};
    SendMessageA(state.list, LB_SETTABSTOPS, 3, reinterpret_cast<LPARAM>(stops));
    make_control(hwnd, "BUTTON", "&Close", BS_PUSHBUTTON | WS_TABSTOP, id_close, font);
    if (state.refresh_ms) SetTimer(hwnd, refresh_timer, state.refresh_ms, nullptr);
    refresh(hwnd, state);
}

LRESULT CALLBACK list_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    ListState* state = adopt_state<ListState>(hwnd, msg, lp);
    if (!state) return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CREATE:
        create_controls(hwnd, *state);
        return 0;
    case WM_SIZE:
        layout(hwnd, *state, LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {300, 200};
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint(hwnd, *state);
        return 0;
    case WM_TIMER:
    case msg_refresh:
        refresh(hwnd, *state);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == id_close || LOWORD(wp) == IDCANCEL) DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd, refresh_timer);
        if (state->window) state->desk.window_closed(*state->window);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

}  // namespace

bool register_list_class(HINSTANCE instance) {
    return register_peer_class(instance, list_proc, list_class);
}

HWND create_list_window(Desk& desk, const char* title, std::function<ListContent()> fill_content, UINT refresh_ms,
                        const CalendarWindow* window, int x, int y, int width, int height) {
    std::optional<CalendarWindow> plays;
    if (window) plays = *window;
    auto state = std::make_unique<ListState>(desk, std::move(fill_content), refresh_ms, plays);
    HWND hwnd = CreateWindowExA(WS_EX_CONTROLPARENT, list_class, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y,
                                width, height, nullptr, nullptr, desk.instance(), &state);
    if (hwnd) ShowWindow(hwnd, SW_SHOWNORMAL);
    return hwnd;
}

}  // namespace vornix

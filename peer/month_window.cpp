// A calendar window: one month of one calendar as a grid of days, with the
// month's appointments listed below it; buttons move between months and
// delete the chosen appointment.
#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

#include "desk.h"

namespace vornix {

namespace calendar = lumo::calendar;

namespace {

constexpr char month_class[] = "VornixMonth";
constexpr int id_previous = 201;
constexpr int id_next = 202;
constexpr int id_today = 203;
constexpr int id_delete = 204;
constexpr int id_list = 205;

constexpr int margin = 10;
constexpr int band_height = 44;     // the coloured band with the month's name
constexpr int header_height = 22;   // weekday names
constexpr int row_height = 30;
constexpr int grid_rows = 6;
constexpr int bottom_height = 42;   // the row with the count and Delete

struct MonthState {
    MonthState(Desk& d, int c) : desk(d), calendar_number(c) {
        const calendar::Date day = today();
        year = day.year;
        month = day.month;
        selected_day = day.day;
    }
    Desk& desk;
    int calendar_number;
    int year = 2000;
    int month = 1;
    int selected_day = 1;
    HWND list = nullptr;
    std::vector<Appointment> shown;  // the list's rows
};

COLORREF light(COLORREF colour) {
    // A pale tint of a calendar colour (one part colour, five parts white), for today's cell.
    const auto tint = [](int c) { return static_cast<BYTE>((c + 5 * 255) / 6); };
    return RGB(tint(GetRValue(colour)), tint(GetGValue(colour)), tint(GetBValue(colour)));
}

RECT grid_rect(HWND hwnd) {
    RECT client;
    GetClientRect(hwnd, &client);
    return {margin, band_height + 8, client.right - margin, band_height + 8 + header_height + grid_rows * row_height};
}

// The date shown in cell (row, column), which may lie in a neighbouring month.
calendar::Date cell_date(const MonthState& state, int row, int column) {
    const calendar::Date first{state.year, state.month, 1};
    const std::int64_t start = calendar::day_number(first) - calendar::weekday(first);
    return calendar::date_from_day_number(start + row * 7 + column);
}

RECT cell_rect(const RECT& grid, int row, int column) {
    const int width = grid.right - grid.left;
    const int top = grid.top + header_height + row * row_height;
    return {grid.left + width * column / 7, top, grid.left + width * (column + 1) / 7, top + row_height};
}

void update_title(HWND hwnd, const MonthState& state) {
    const std::string title = "Calendar " + std::to_string(state.calendar_number) + " - " + month_name(state.month) +
                              " " + std::to_string(state.year);
    SetWindowTextA(hwnd, title.c_str());
}

void select_day_in_list(const MonthState& state) {
    const auto at = std::find_if(state.shown.begin(), state.shown.end(),
                                 [&](const Appointment& a) { return a.date.day == state.selected_day; });
    const WPARAM row = at == state.shown.end() ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(at - state.shown.begin());
    SendMessageA(state.list, LB_SETCURSEL, row, 0);
}

void fill_list(MonthState& state) {
    state.shown = state.desk.book().in_month(state.calendar_number, state.year, state.month);
    std::vector<std::string> rows;
    for (const auto& a : state.shown) {
        char day[16];
        std::snprintf(day, sizeof day, "%.3s %02d.", weekday_name(calendar::weekday(a.date)), a.date.day);
        rows.push_back(std::string(day) + "\t" + calendar::format_time(a.time) + "\t" + a.text);
    }
    set_list_rows(state.list, rows);
    select_day_in_list(state);
}

void show_month(HWND hwnd, MonthState& state, int year, int month, int day) {
    state.year = year;
    state.month = month;
    state.selected_day = std::clamp(day, 1, calendar::days_in_month(year, month));
    update_title(hwnd, state);
    fill_list(state);
    InvalidateRect(hwnd, nullptr, FALSE);
}

void step_month(HWND hwnd, MonthState& state, int delta) {
    const calendar::Date start = calendar::month_start(state.year, state.month, delta);
    show_month(hwnd, state, start.year, start.month, state.selected_day);
}

void paint_band(HDC dc, const RECT& client, const MonthState& state, const Fonts& fonts) {
    const RECT band{0, 0, client.right, band_height};
    fill(dc, band, calendar_colour(state.calendar_number));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    SelectObject(dc, fonts.large);
    const std::string title = std::string(month_name(state.month)) + " " + std::to_string(state.year);
    RECT text = {96, 0, client.right - 96, band_height};
    DrawTextA(dc, title.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, fonts.normal);
    const std::string name = "Calendar " + std::to_string(state.calendar_number);
    RECT right = {client.right - 96, 0, client.right - margin, band_height};
    DrawTextA(dc, name.c_str(), -1, &right, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
}

void paint_cell(HDC dc, const RECT& cell, const calendar::Date& date, const MonthState& state, int count,
                const Fonts& fonts) {
    const bool in_month = date.month == state.month;
    const bool is_today = date == today();
    const bool selected = in_month && date.day == state.selected_day;
    const COLORREF accent = calendar_colour(state.calendar_number);
    if (is_today) fill(dc, cell, light(accent));
    if (selected) {
        HBRUSH frame = CreateSolidBrush(accent);
        RECT inner = cell;
        FrameRect(dc, &inner, frame);
        InflateRect(&inner, -1, -1);
        FrameRect(dc, &inner, frame);
        DeleteObject(frame);
    }
    const bool weekend = calendar::weekday(date) >= 5;
    SetTextColor(dc, !in_month ? RGB(180, 180, 180) : weekend ? RGB(170, 40, 40) : RGB(30, 30, 30));
    SelectObject(dc, count > 0 && in_month ? fonts.bold : fonts.normal);
    const std::string number = std::to_string(date.day);
    RECT text = {cell.left, cell.top + 4, cell.right, cell.bottom};
    DrawTextA(dc, number.c_str(), -1, &text, DT_CENTER | DT_TOP | DT_SINGLELINE);
    if (count == 0 || !in_month) return;
    // One short bar per appointment (at most four), centred under the number.
    const int bars = std::min(count, 4);
    const int left = (cell.left + cell.right - (bars * 11 - 3)) / 2;
    for (int i = 0; i < bars; ++i) {
        const int x = left + i * 11;
        fill(dc, RECT{x, cell.bottom - 8, x + 8, cell.bottom - 5}, accent);
    }
}

void paint_grid(HDC dc, const RECT& grid, const MonthState& state, const Fonts& fonts) {
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, fonts.bold);
    SetTextColor(dc, RGB(110, 110, 110));
    static const char* const names[] = {"Mo", "Tu", "We", "Th", "Fr", "Sa", "Su"};
    for (int column = 0; column < 7; ++column) {
        RECT head = cell_rect(grid, -1, column);
        head.top = grid.top;
        head.bottom = grid.top + header_height;
        DrawTextA(dc, names[column], -1, &head, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    std::array<int, 32> counts{};
    for (const auto& a : state.shown) ++counts[static_cast<std::size_t>(a.date.day)];
    HPEN line = CreatePen(PS_SOLID, 1, RGB(222, 222, 222));
    HGDIOBJ old_pen = SelectObject(dc, line);
    for (int row = 0; row < grid_rows; ++row) {
        for (int column = 0; column < 7; ++column) {
            const RECT cell = cell_rect(grid, row, column);
            MoveToEx(dc, cell.left, cell.top, nullptr);
            LineTo(dc, cell.right, cell.top);
            const calendar::Date date = cell_date(state, row, column);
            const int count = date.month == state.month ? counts[static_cast<std::size_t>(date.day)] : 0;
            paint_cell(dc, cell, date, state, count, fonts);
        }
    }
    MoveToEx(dc, grid.left, grid.bottom, nullptr);
    LineTo(dc, grid.right, grid.bottom);
    SelectObject(dc, old_pen);
    DeleteObject(line);
}

void paint_footer(HDC dc, const RECT& client, const MonthState& state, const Fonts& fonts) {
    SetTextColor(dc, RGB(80, 80, 80));
    SelectObject(dc, fonts.normal);
    const std::size_t count = state.shown.size();
    const std::string text = (count == 0 ? std::string("No appointments") : std::to_string(count) + (count == 1 ? " appointment" : " appointments")) +
                             " in " + month_name(state.month);
    RECT line = {margin, client.bottom - bottom_height, client.right - 120, client.bottom};
    DrawTextA(dc, text.c_str(), -1, &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

void paint(HWND hwnd, MonthState& state) {
    PAINTSTRUCT ps;
    HDC window_dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    // Drawn off screen first, so a repaint does not flicker.
    HDC dc = CreateCompatibleDC(window_dc);
    HBITMAP bitmap = CreateCompatibleBitmap(window_dc, client.right, client.bottom);
    HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
    HGDIOBJ old_font = SelectObject(dc, state.desk.fonts().normal);
    fill(dc, client, GetSysColor(COLOR_WINDOW));
    const Fonts& fonts = state.desk.fonts();
    paint_band(dc, client, state, fonts);
    paint_grid(dc, grid_rect(hwnd), state, fonts);
    paint_footer(dc, client, state, fonts);
    BitBlt(window_dc, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, old_font);
    SelectObject(dc, old_bitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EndPaint(hwnd, &ps);
}

void layout(HWND hwnd, MonthState& state, int width, int height) {
    MoveWindow(GetDlgItem(hwnd, id_previous), margin, 9, 32, 26, TRUE);
    MoveWindow(GetDlgItem(hwnd, id_next), margin + 36, 9, 32, 26, TRUE);
    const RECT grid = grid_rect(hwnd);
    const int list_top = grid.bottom + 10;
    MoveWindow(state.list, margin, list_top, width - 2 * margin, std::max(0, height - bottom_height - list_top), TRUE);
    MoveWindow(GetDlgItem(hwnd, id_today), width - margin - 168, height - bottom_height + 8, 80, 26, TRUE);
    MoveWindow(GetDlgItem(hwnd, id_delete), width - margin - 80, height - bottom_height + 8, 80, 26, TRUE);
    InvalidateRect(hwnd, nullptr, FALSE);
}

void create_controls(HWND hwnd, MonthState& state) {
    const HFONT font = state.desk.fonts().normal;
    make_control(hwnd, "BUTTON", "\xab", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, id_previous, font);
    make_control(hwnd, "BUTTON", "\xbb", BS_PUSHBUTTON | WS_TABSTOP, id_next, font);
    state.list = make_control(hwnd, "LISTBOX", nullptr,
                              WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_USETABSTOPS | LBS_NOTIFY | WS_TABSTOP,
                              id_list, font, WS_EX_CLIENTEDGE);
    const INT stops[] = {40, 72};
    SendMessageA(state.list, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(stops));
    make_control(hwnd, "BUTTON", "&Today", BS_PUSHBUTTON | WS_TABSTOP, id_today, font);
    make_control(hwnd, "BUTTON", "&Delete", BS_PUSHBUTTON | WS_TABSTOP, id_delete, font);
}

void delete_chosen(HWND hwnd, MonthState& state) {
    const LRESULT row = SendMessageA(state.list, LB_GETCURSEL, 0, 0);
    if (row < 0 || static_cast<std::size_t>(row) >= state.shown.size()) {
        MessageBeep(MB_ICONASTERISK);
        return;
    }
    const Appointment chosen = state.shown[static_cast<std::size_t>(row)];
    const std::string question = "Delete this appointment?\n\n" + calendar::format_date(chosen.date) + "  " +
                                 calendar::format_time(chosen.time) + "  " + chosen.text;
    if (MessageBoxA(hwnd, question.c_str(), "VORNIX", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    if (state.desk.book().remove(chosen)) state.desk.appointments_changed();
}

void on_click(HWND hwnd, MonthState& state, int x, int y) {
    const RECT grid = grid_rect(hwnd);
    if (x < grid.left || x >= grid.right || y < grid.top + header_height || y >= grid.bottom) return;
    const int width = std::max(1, static_cast<int>(grid.right - grid.left));
    const int column = std::clamp(static_cast<int>((x - grid.left) * 7 / width), 0, 6);
    const int row = std::clamp(static_cast<int>((y - grid.top - header_height) / row_height), 0, grid_rows - 1);
    const calendar::Date date = cell_date(state, row, column);
    show_month(hwnd, state, date.year, date.month, date.day);
}

void on_command(HWND hwnd, MonthState& state, int id, int code) {
    switch (id) {
    case id_previous: step_month(hwnd, state, -1); break;
    case id_next: step_month(hwnd, state, 1); break;
    case id_today: {
        const calendar::Date day = today();
        show_month(hwnd, state, day.year, day.month, day.day);
        break;
    }
    case id_delete: delete_chosen(hwnd, state); break;
    case id_list:
        if (code == LBN_SELCHANGE) {
            const LRESULT row = SendMessageA(state.list, LB_GETCURSEL, 0, 0);
            if (row >= 0 && static_cast<std::size_t>(row) < state.shown.size()) {
                state.selected_day = state.shown[static_cast<std::size_t>(row)].date.day;
                InvalidateRect(hwnd, nullptr, FALSE);
            }
        }
        break;
    case IDCANCEL: DestroyWindow(hwnd); break;
    default: break;
    }
}

LRESULT CALLBACK month_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    MonthState* state = adopt_state<MonthState>(hwnd, msg, lp);
    if (!state) return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CREATE:
        create_controls(hwnd, *state);
        show_month(hwnd, *state, state->year, state->month, state->selected_day);
        return 0;
    case WM_SIZE:
        layout(hwnd, *state, LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {320, 420};
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint(hwnd, *state);
        return 0;
    case WM_LBUTTONDOWN:
        on_click(hwnd, *state, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        return 0;
    case WM_MOUSEWHEEL:
        step_month(hwnd, *state, static_cast<short>(HIWORD(wp)) > 0 ? -1 : 1);
        return 0;
    case WM_COMMAND:
        on_command(hwnd, *state, LOWORD(wp), HIWORD(wp));
        return 0;
    case msg_refresh:
        fill_list(*state);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_DESTROY:
        state->desk.window_closed(static_cast<CalendarWindow>(state->calendar_number - 1));
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

}  // namespace

bool register_month_class(HINSTANCE instance) {
    return register_peer_class(instance, month_proc, month_class);
}

HWND create_month_window(Desk& desk, int calendar_number) {
    auto state = std::make_unique<MonthState>(desk, calendar_number);
    const int offset = (calendar_number - 1) * 28;
    HWND hwnd = CreateWindowExA(WS_EX_CONTROLPARENT, month_class, "Calendar", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                600 + offset, 20 + offset, 400, 500, nullptr, nullptr, desk.instance(), &state);
    if (hwnd) ShowWindow(hwnd, SW_SHOWNORMAL);
    return hwnd;
}

}  // namespace vornix

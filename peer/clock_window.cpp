// The analog clock: a dial with hour and minute marks, three hands and the
// date, drawn with GDI once a second and scaled to the window.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "desk.h"

namespace vornix {

namespace {

constexpr char clock_class[] = "VornixClock";
constexpr UINT_PTR tick_timer = 1;
constexpr double pi = 3.14159265358979323846;

struct ClockState {
    explicit ClockState(Desk& d) : desk(d) {}
    Desk& desk;
};

struct Dial {
    int cx;
    int cy;
    int radius;
    // The point at `fraction` of the radius in the direction of `turns`
    // (0 is twelve o'clock, 0.25 three o'clock).
    POINT at(double turns, double fraction) const {
        const double angle = turns * 2 * pi;
        return {cx + static_cast<LONG>(std::lround(std::sin(angle) * radius * fraction)),
                cy - static_cast<LONG>(std::lround(std::cos(angle) * radius * fraction))};
    }
};

void line(HDC dc, POINT from, POINT to, int width, COLORREF colour) {
    HPEN pen = CreatePen(PS_SOLID, std::max(1, width), colour);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, to.x, to.y);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void disc(HDC dc, POINT centre, int radius, COLORREF fill_colour, COLORREF edge, int edge_width) {
    HBRUSH brush = CreateSolidBrush(fill_colour);
    HPEN pen = CreatePen(PS_SOLID, std::max(1, edge_width), edge);
    HGDIOBJ old_brush = SelectObject(dc, brush);
    HGDIOBJ old_pen = SelectObject(dc, pen);
    Ellipse(dc, centre.x - radius, centre.y - radius, centre.x + radius + 1, centre.y + radius + 1);
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
    DeleteObject(pen);
    DeleteObject(brush);
}

void paint_face(HDC dc, const Dial& dial, const Fonts& fonts) {
    disc(dc, {dial.cx, dial.cy}, dial.radius, RGB(252, 252, 248), RGB(70, 78, 90), std::max(2, dial.radius / 30));
    for (int mark = 0; mark < 60; ++mark) {
        const bool hour = mark % 5 == 0;
        const double turns = mark / 60.0;
        line(dc, dial.at(turns, hour ? 0.80 : 0.87), dial.at(turns, 0.93), hour ? std::max(2, dial.radius / 28) : 1,
             hour ? RGB(40, 44, 52) : RGB(150, 150, 150));
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(40, 44, 52));
    SelectObject(dc, fonts.bold);
    static const char* const numbers[] = {"12", "3", "6", "9"};
    for (int quarter = 0; quarter < 4; ++quarter) {
        const POINT p = dial.at(quarter / 4.0, 0.66);
        RECT box = {p.x - 20, p.y - 12, p.x + 20, p.y + 12};
        DrawTextA(dc, numbers[quarter], -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void paint_date(HDC dc, const Dial& dial, const SYSTEMTIME& time, const Fonts& fonts) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3s %02u.%02u.", weekday_name((time.wDayOfWeek + 6) % 7), time.wDay,
                  time.wMonth);
    SelectObject(dc, fonts.normal);
    SetTextColor(dc, RGB(120, 120, 120));
    const POINT p = dial.at(0.5, 0.36);
    RECT box = {p.x - 50, p.y - 10, p.x + 50, p.y + 10};
    DrawTextA(dc, text, -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void paint_hands(HDC dc, const Dial& dial, const SYSTEMTIME& time) {
    const double seconds = time.wSecond;
    const double minutes = time.wMinute + seconds / 60.0;
    const double hours = (time.wHour % 12) + minutes / 60.0;
    const POINT centre{dial.cx, dial.cy};
    line(dc, centre, dial.at(hours / 12.0, 0.52), std::max(3, dial.radius / 14), RGB(30, 34, 42));
    line(dc, centre, dial.at(minutes / 60.0, 0.78), std::max(2, dial.radius / 22), RGB(30, 34, 42));
    line(dc, dial.at(seconds / 60.0 + 0.5, 0.18), dial.at(seconds / 60.0, 0.86), std::max(1, dial.radius / 70),
         RGB(200, 30, 30));
    disc(dc, centre, std::max(3, dial.radius / 22), RGB(200, 30, 30), RGB(200, 30, 30), 1);
}

void paint(HWND hwnd, const ClockState& state) {
    PAINTSTRUCT ps;
    HDC window_dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    HDC dc = CreateCompatibleDC(window_dc);
    HBITMAP bitmap = CreateCompatibleBitmap(window_dc, client.right, client.bottom);
    HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
    HGDIOBJ old_font = SelectObject(dc, state.desk.fonts().normal);
    fill(dc, client, GetSysColor(COLOR_BTNFACE));
    const int size = std::min(client.right, client.bottom);
    const Dial dial{client.right / 2, client.bottom / 2, std::max(10, size / 2 - 10)};
    SYSTEMTIME time;
    GetLocalTime(&time);
    paint_face(dc, dial, state.desk.fonts());
    paint_date(dc, dial, time, state.desk.fonts());
    paint_hands(dc, dial, time);
    BitBlt(window_dc, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, old_font);
    SelectObject(dc, old_bitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK clock_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    ClockState* state = adopt_state<ClockState>(hwnd, msg, lp);
    if (!state) return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CREATE:
        SetTimer(hwnd, tick_timer, 1000, nullptr);
        return 0;
    case WM_TIMER:
    case WM_SIZE:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {140, 160};
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint(hwnd, *state);
        return 0;
    case WM_KEYDOWN:
        if (wp == VK_ESCAPE) DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd, tick_timer);
        state->desk.window_closed(CalendarWindow::clock);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

}  // namespace

bool register_clock_class(HINSTANCE instance) {
    return register_peer_class(instance, clock_proc, clock_class, CS_HREDRAW | CS_VREDRAW);
}

HWND create_clock_window(Desk& desk) {
    auto state = std::make_unique<ClockState>(desk);
    HWND hwnd = CreateWindowExA(0, clock_class, "Analog clock", WS_OVERLAPPEDWINDOW, 20, 440, 260, 290, nullptr,
                                nullptr, desk.instance(), &state);
    if (hwnd) ShowWindow(hwnd, SW_SHOWNORMAL);
    return hwnd;
}

}  // namespace vornix

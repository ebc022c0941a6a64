// Small pieces the stand-in's windows share: fonts, colours, today's date,
// controls and lists.
#include "desk.h"

namespace vornix {

Fonts::Fonts() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTA base{};
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        base = metrics.lfMessageFont;
    } else {
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof base, &base);
    }
    normal = CreateFontIndirectA(&base);
    LOGFONTA bold_font = base;
    bold_font.lfWeight = FW_BOLD;
    bold = CreateFontIndirectA(&bold_font);
    LOGFONTA large_font = bold_font;
    large_font.lfHeight = base.lfHeight < 0 ? base.lfHeight * 3 / 2 : -16;
    large = CreateFontIndirectA(&large_font);
}

Fonts::~Fonts() {
    for (HFONT font : {normal, bold, large})
        if (font) DeleteObject(font);
}

lumo::calendar::Date today() {
    SYSTEMTIME time;
    GetLocalTime(&time);
    return {time.wYear, time.wMonth, time.wDay};
}

lumo::calendar::TimeOfDay now() {
    SYSTEMTIME time;
    GetLocalTime(&time);
    return {time.wHour, time.wMinute};
}

const char* weekday_name(int weekday) {
    static const char* const names[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
    return weekday >= 0 && weekday < 7 ? names[weekday] : "";
}

const char* month_name(int month) {
    static const char* const names[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
    return month >= 1 && month <= 12 ? names[month - 1] : "";
}

COLORREF calendar_colour(int calendar) {
    static const COLORREF colours[] = {RGB(0, 90, 170), RGB(20, 130, 60), RGB(200, 100, 0), RGB(120, 60, 160)};
    return colours[(calendar - 1) & 3];
}

HWND make_control(HWND parent, const char* cls, const char* text, DWORD style, int id, HFONT font, DWORD ex_style) {
    HWND control = CreateWindowExA(ex_style, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)), nullptr);
    if (control && font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void set_list_rows(HWND list, const std::vector<std::string>& rows) {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const auto& row : rows) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void fill(HDC dc, const RECT& rect, COLORREF colour) {
    const COLORREF old = SetBkColor(dc, colour);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

}  // namespace vornix

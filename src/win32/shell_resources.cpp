#include "win32/shell_resources.h"

#include <cstring>

#include "port/ids.h"
#include "win32/data_view_painter.h"

namespace lumo::win32 {

const std::array<ToolbarButton, 9> toolbar_buttons{{
    {CMD_CALENDAR_1, IDB_CALENDAR_1, "Calendar 1 (Ctrl+F1)"},
    {CMD_CALENDAR_2, IDB_CALENDAR_2, "Calendar 2 (Ctrl+F2)"},
    {CMD_CALENDAR_3, IDB_CALENDAR_3, "Calendar 3 (Ctrl+F3)"},
    {CMD_CALENDAR_4, IDB_CALENDAR_4, "Calendar 4 (Ctrl+F4)"},
    {CMD_ANALOG_CLOCK, IDB_ANALOG_CLOCK, "AnalogClock (Ctrl+F5)"},
    {CMD_ALARM_WINDOW, IDB_ALARM_WINDOW, "Alarm window (Ctrl+F10)"},
    {CMD_APPOINTMENT, IDB_APPOINTMENT, "Make entry in VORNIX (Ctrl+T)"},
    {CMD_CALENDAR_SEARCH, IDB_CALENDAR_SEARCH, "Searching in VORNIX (Alt+X)"},
    {CMD_ADDRESS_FIELD, IDB_ADDRESS_FIELD, "Address -> Addressfield (Alt+C)"},
}};

namespace {

// Search directions 0 to 3 in the order of their radio buttons.
constexpr std::array<int, 4> direction_bitmaps{IDB_DIRECTION_BACKWARD, IDB_DIRECTION_FORWARD,
                                               IDB_DIRECTION_BACKWARD_WRAP, IDB_DIRECTION_FORWARD_WRAP};

}  // namespace

LOGFONTA to_logfont(const LogFont& font) {
    static_assert(sizeof(LOGFONTA) == LogFont::byte_size);
    const LogFont::Bytes bytes = font.to_bytes();
    LOGFONTA result;
    std::memcpy(&result, bytes.data(), sizeof result);
    return result;
}

LogFont from_logfont(const LOGFONTA& font) {
    LogFont::Bytes bytes;
    std::memcpy(bytes.data(), &font, bytes.size());
    return LogFont::from_bytes(bytes);
}

LogFont system_logfont() {
    LOGFONTA font{};
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof font, &font);
    return from_logfont(font);
}

int font_line_height(HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return metrics.tmHeight + metrics.tmExternalLeading;
}

ShellResources::ShellResources(HINSTANCE instance) : instance_(instance) {
    for (std::size_t i = 0; i < toolbar_.size(); ++i) toolbar_[i].reset(load(toolbar_buttons[i].bitmap, true));
    for (std::size_t i = 0; i < directions_.size(); ++i) directions_[i].reset(load(direction_bitmaps[i], true));
    remake_pattern_brush();
}

HBITMAP ShellResources::load(int id, bool button_face) const {
    // The button pictures are drawn on the classic 3-D greys, which this
    // maps to the system's own button colours.
    const UINT flags = button_face ? LR_LOADMAP3DCOLORS : 0;
    return static_cast<HBITMAP>(LoadImageA(instance_, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, flags));
}

HBITMAP ShellResources::toolbar_bitmap(int command) const {
    for (std::size_t i = 0; i < toolbar_.size(); ++i)
        if (toolbar_buttons[i].command == command) return toolbar_[i].get();
    return nullptr;
}

HBITMAP ShellResources::direction_bitmap(int direction) const {
    if (direction < 0 || direction >= static_cast<int>(directions_.size())) return nullptr;
    return directions_[static_cast<std::size_t>(direction)].get();
}

HBRUSH ShellResources::remake_pattern_brush() {
    Bitmap bitmap(load(IDB_TOOLBAR_PATTERN, false));
    Brush brush(bitmap.get() ? CreatePatternBrush(bitmap.get()) : nullptr);
    if (!brush.get()) return pattern_.get();
    pattern_ = std::move(brush);
    pattern_bitmap_ = std::move(bitmap);
    return pattern_.get();
}

void ShellResources::create_view_fonts(const Settings& settings) {
    const LOGFONTA overview = to_logfont(settings.overview_font);
    const LOGFONTA data_view = data_view_logfont(settings.data_view_font, false);
    const LOGFONTA data_view_bold = data_view_logfont(settings.data_view_font, true);
    overview_font_.reset(CreateFontIndirectA(&overview));
    data_view_font_.reset(CreateFontIndirectA(&data_view));
    data_view_bold_font_.reset(CreateFontIndirectA(&data_view_bold));
    if (view_fonts_created) view_fonts_created();
}

}  // namespace lumo::win32

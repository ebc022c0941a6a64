// Draws what the data view model planned (a DataViewPaint) on a device
// context: the heading band with its two rules, the rows, the caret and the
// marked block by pixel inversion, link underlines, and the scroll bars.
// Every pen, brush and font it makes goes into the caller's GDI object pool.
#pragma once

#include <windows.h>

#include "settings/settings.h"
#include "views/data_view.h"
#include "win32/gdi_pool.h"

namespace lumo::win32 {

// The data view font as painted and measured: the settings' font with its
// weight set to 700 for the heading line and 400 for every other line.
LOGFONTA data_view_logfont(const LogFont& font, bool bold);

// What one data view font measures: the line height L (tmHeight +
// tmExternalLeading) and the longest line width (254 x tmMaxCharWidth).
struct DataViewFontMetrics {
    int line_height = 0;
    int longest_line_width = 0;
};
DataViewFontMetrics measure_data_view_font(const LogFont& font);

// The fixed colours of the two rules under the heading band.
inline constexpr COLORREF light_rule_colour = RGB(140, 140, 140);
inline constexpr COLORREF dark_rule_colour = RGB(70, 70, 70);

class DataViewPainter {
public:
    // `dc`, `pool`, `colours` and `font` outlive the painter. The device
    // context's state is restored when the painter ends; the pool is released
    // by the caller after that.
    DataViewPainter(HDC dc, GdiObjectPool& pool, const ViewColours& colours, const LogFont& font);
    ~DataViewPainter();
    DataViewPainter(const DataViewPainter&) = delete;
    DataViewPainter& operator=(const DataViewPainter&) = delete;

    // Draws the bands, rules, texts, caret and block of one pass, in the
    // order the model gives them. Scroll bars are the window's (see below).
    void draw(const DataViewPaint& paint, int client_width);
    // A one-pixel line in the link colour under a hovered link.
    void draw_underline(const Underline& line);

private:
    HFONT font(bool bold);
    HBRUSH brush(COLORREF colour);
    void draw_rule(int y, int width, COLORREF colour);
    void draw_row(const PaintedRow& row, COLORREF background, COLORREF text, bool bold);
    void invert(const PixelRect& rect);

    HDC dc_;
    GdiObjectPool& pool_;
    const ViewColours& colours_;
    const LogFont& font_;
    int saved_state_;
    HFONT regular_ = nullptr;
    HFONT bold_ = nullptr;
    struct SolidBrush {
        COLORREF colour;
        HBRUSH brush;
    };
    static constexpr int max_brushes = 2;
    SolidBrush brushes_[max_brushes] = {};
    int brush_count_ = 0;
};

// Sets both scroll bars as a pass planned them (nothing when it plans none).
// Bars stay visible, greyed when everything fits, so that the client area
// keeps its size.
void set_data_view_scroll_bars(HWND window, const DataViewPaint& paint);

}  // namespace lumo::win32

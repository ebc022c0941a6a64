#include "win32/data_view_painter.h"

#include "win32/shell_resources.h"

namespace lumo::win32 {

namespace {

constexpr LONG regular_weight = 400;
constexpr LONG bold_weight = 700;
// The widest line the view scrolls to: 254 of the font's widest characters.
constexpr int longest_line_characters = 254;

int text_length(std::string_view text) { return static_cast<int>(text.size()); }

}  // namespace

LOGFONTA data_view_logfont(const LogFont& font, bool bold) {
    LOGFONTA result = to_logfont(font);
    result.lfWeight = bold ? bold_weight : regular_weight;
    return result;
}

DataViewFontMetrics measure_data_view_font(const LogFont& font) {
    const LOGFONTA logfont = data_view_logfont(font, false);
    Font measured(CreateFontIndirectA(&logfont));
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, measured.get() ? static_cast<HGDIOBJ>(measured.get()) : GetStockObject(SYSTEM_FONT));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return {tm.tmHeight + tm.tmExternalLeading, longest_line_characters * tm.tmMaxCharWidth};
}

DataViewPainter::DataViewPainter(HDC dc, GdiObjectPool& pool, const ViewColours& colours, const LogFont& font)
    : dc_(dc), pool_(pool), colours_(colours), font_(font), saved_state_(SaveDC(dc)) {}

// Puts back what the pass selected, so that the pool may delete it.
DataViewPainter::~DataViewPainter() { RestoreDC(dc_, saved_state_); }

HFONT DataViewPainter::font(bool bold) {
    HFONT& slot = bold ? bold_ : regular_;
    if (!slot) {
        const LOGFONTA logfont = data_view_logfont(font_, bold);
        slot = pool_.add(CreateFontIndirectA(&logfont));
    }
    return slot ? slot : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

HBRUSH DataViewPainter::brush(COLORREF colour) {
    // A pass fills with two colours at most (heading band and rows).
    for (int i = 0; i < brush_count_; ++i)
        if (brushes_[i].colour == colour) return brushes_[i].brush;
    HBRUSH made = pool_.add(CreateSolidBrush(colour));
    if (made && brush_count_ < max_brushes) brushes_[brush_count_++] = {colour, made};
    return made;
}

void DataViewPainter::draw_rule(int y, int width, COLORREF colour) {
    HPEN pen = pool_.add(CreatePen(PS_SOLID, 1, colour));
    if (!pen) return;
    SelectObject(dc_, pen);
    MoveToEx(dc_, 0, y, nullptr);
    LineTo(dc_, width, y);
}

void DataViewPainter::draw_row(const PaintedRow& row, COLORREF background, COLORREF text, bool bold) {
    const RECT band{row.band.left, row.band.top, row.band.right, row.band.bottom};
    if (HBRUSH b = brush(background)) FillRect(dc_, &band, b);
    if (row.text.empty()) return;
    SelectObject(dc_, font(bold));
    SetTextColor(dc_, text);
    TextOutA(dc_, row.text_x, row.text_y, row.text.data(), text_length(row.text));
}

void DataViewPainter::invert(const PixelRect& rect) {
    PatBlt(dc_, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, DSTINVERT);
}

void DataViewPainter::draw(const DataViewPaint& paint, int client_width) {
    if (!paint.draws) return;
    // Bands are filled first, so the text goes on transparently.
    SetBkMode(dc_, TRANSPARENT);
    if (paint.heading) {
        draw_row(*paint.heading, colours_.first_line_background, colours_.first_line_text, true);
        draw_rule(paint.light_rule_y, client_width, light_rule_colour);
        draw_rule(paint.dark_rule_y, client_width, dark_rule_colour);
    }
    for (const PaintedRow& row : paint.rows)
        draw_row(row, colours_.data_view_background, colours_.data_view_text, false);
    if (paint.caret) invert(*paint.caret);
    for (const PixelRect& marked : paint.block) invert(marked);
}

void DataViewPainter::draw_underline(const Underline& line) {
    HPEN pen = pool_.add(CreatePen(PS_SOLID, 1, colours_.link));
    if (!pen) return;
    SelectObject(dc_, pen);
    MoveToEx(dc_, line.x_from, line.y, nullptr);
    LineTo(dc_, line.x_to, line.y);
}

void set_data_view_scroll_bars(HWND window, const DataViewPaint& paint) {
    const auto set = [window](int bar, const std::optional<ScrollBarSetting>& setting) {
        if (!setting) return;
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
        info.nMin = setting->min;
        info.nMax = setting->max;
        info.nPage = static_cast<UINT>(setting->page < 0 ? 0 : setting->page);
        info.nPos = setting->pos;
        SetScrollInfo(window, bar, &info, TRUE);
    };
    set(SB_VERT, paint.vertical);
    set(SB_HORZ, paint.horizontal);
}

}  // namespace lumo::win32

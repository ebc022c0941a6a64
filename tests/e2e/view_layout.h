// Where lumo's views put their rows, for tests that click and drag in them:
// both views under a caption strip in the small caption font, the data view
// in the system font (which these tests configure; weight 400 below the
// heading), the overview in its default font with rows one and a half lines
// apart.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>

#include "settings/settings.h"

namespace lumo::e2e {

// The system font, which the tests configure as the data view font.
inline LOGFONTA system_logfont() {
    LOGFONTA font{};
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof font, &font);
    return font;
}

// The system font as a view font setting.
inline LogFont system_font_setting() {
    const LOGFONTA font = system_logfont();
    LogFont::Bytes bytes{};
    static_assert(sizeof font == bytes.size());
    std::memcpy(bytes.data(), &font, bytes.size());
    return LogFont::from_bytes(bytes);
}

// tmHeight + tmExternalLeading of a font on the screen.
inline int line_height_of(HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight + tm.tmExternalLeading;
}

class ViewLayout {
public:
    int caption_height = 0;
    int line_height = 0;  // data view lines
    int overview_row_height = 0;

    ViewLayout() {
        NONCLIENTMETRICSA metrics{};
        metrics.cbSize = 340;  // without the padded width field Wine refuses
        HFONT caption_font = nullptr;
        if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0))
            caption_font = CreateFontIndirectA(&metrics.lfSmCaptionFont);
        caption_height = line_height_of(caption_font ? caption_font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
        if (caption_font) DeleteObject(caption_font);
        const LOGFONTA default_font{};
        HFONT overview_font = CreateFontIndirectA(&default_font);
        const int overview_line = line_height_of(overview_font);
        DeleteObject(overview_font);
        overview_row_height = overview_line + overview_line / 2;
        LOGFONTA system = system_logfont();
        system.lfWeight = 400;
        font_ = CreateFontIndirectA(&system);
        line_height = line_height_of(font_);
    }
    ~ViewLayout() {
        if (font_) DeleteObject(font_);
    }
    ViewLayout(const ViewLayout&) = delete;
    ViewLayout& operator=(const ViewLayout&) = delete;

    // Width of a text in the data view's font.
    int width_of(const std::string& text) const {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font_);
        SIZE size{};
        GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return size.cx;
    }
    // Client x in the data view of the position behind `before`.
    int column_x(const std::string& before) const { return 2 + width_of(before); }
    // Client y in the middle of data view line `line` (1 and below: the
    // heading is line 0; not scrolled).
    int line_y(int line) const { return caption_height + 1 + (line + 1) * line_height + line_height / 2; }
    // Client y in the middle of overview row `row`.
    int row_y(int row) const { return caption_height + 1 + row * overview_row_height + overview_row_height / 2; }

private:
    HFONT font_ = nullptr;
};

}  // namespace lumo::e2e

// The caption strip both views draw across their top: the view's name in
// the system's small-caption font, in the active or inactive caption colours.
#pragma once

#include <windows.h>

#include "win32/gdi_pool.h"

namespace lumo::win32 {

class ViewCaption {
public:
    // Builds the small-caption font (SPI_GETNONCLIENTMETRICS) and measures it.
    ViewCaption();
    ~ViewCaption();
    ViewCaption(const ViewCaption&) = delete;
    ViewCaption& operator=(const ViewCaption&) = delete;

    // tmHeight + tmExternalLeading of the small-caption font.
    int height() const { return height_; }
    // `paint caption strip`: the strip across the top of `client` with the
    // title at (2, 0), and the one-pixel line in the button face colour just
    // below it. The line's pen goes into `pool`; the caller releases it.
    void paint(HDC dc, const RECT& client, const char* text, bool active, GdiObjectPool& pool) const;
    // The same with a pool of its own, released at once.
    void paint(HDC dc, const RECT& client, const char* text, bool active) const;

private:
    HFONT font_ = nullptr;
    int height_ = 0;
};

}  // namespace lumo::win32

// The caption strip both views draw across their top: the view's name in
// the system's small-caption font, in the active or inactive caption colours.
#pragma once

#include <windows.h>

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
    // Paints the strip across the top of `client`.
    void paint(HDC dc, const RECT& client, const char* text, bool active) const;

private:
    HFONT font_ = nullptr;
    int height_ = 0;
};

}  // namespace lumo::win32

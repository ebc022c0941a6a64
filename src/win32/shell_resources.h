// What the shell loads once and frees at the end: the toolbar and view
// bitmaps, the toolbar's pattern brush and the two view fonts.
#pragma once

#include <windows.h>

#include <array>
#include <functional>

#include "settings/settings.h"

namespace lumo::win32 {

// A GDI object with one owner.
template <typename Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = other.handle_;
            other.handle_ = nullptr;
        }
        return *this;
    }
    Handle get() const { return handle_; }
    void reset(Handle handle = nullptr) {
        if (handle_) DeleteObject(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

using Bitmap = GdiObject<HBITMAP>;
using Brush = GdiObject<HBRUSH>;
using Font = GdiObject<HFONT>;

// The toolbar buttons and the picture each one shows.
struct ToolbarButton {
    int command;
    int bitmap;
    const char* tooltip;  // the menu item's words and keys
};
extern const std::array<ToolbarButton, 9> toolbar_buttons;

LOGFONTA to_logfont(const LogFont& font);
LogFont from_logfont(const LOGFONTA& font);
// The LOGFONT of the stock SYSTEM_FONT.
LogFont system_logfont();
// tmHeight + tmExternalLeading of a font.
int font_line_height(HFONT font);

class ShellResources {
public:
    explicit ShellResources(HINSTANCE instance);

    HINSTANCE instance() const { return instance_; }
    // The picture of a toolbar button, by command id (null for others).
    HBITMAP toolbar_bitmap(int command) const;
    // The pictures of the search directions 0 to 3.
    HBITMAP direction_bitmap(int direction) const;
    HBRUSH pattern_brush() const { return pattern_.get(); }
    // Makes the pattern brush again (after a display change) and deletes the
    // old one: the caller hands the new one to the toolbar at once. Keeps the
    // old brush when a new one cannot be made.
    HBRUSH remake_pattern_brush();

    // Creates both view fonts from the settings' LOGFONTs (again after a
    // font command), deleting the previous ones, then tells
    // `view_fonts_created` so that whoever measures with them takes the new ones.
    void create_view_fonts(const Settings& settings);
    std::function<void()> view_fonts_created;
    HFONT overview_font() const { return overview_font_.get(); }
    // The data view font as its other lines are painted (weight 400) and as
    // its heading line is (weight 700); text measuring uses both.
    HFONT data_view_font() const { return data_view_font_.get(); }
    HFONT data_view_bold_font() const { return data_view_bold_font_.get(); }

private:
    HBITMAP load(int id, bool button_face) const;

    HINSTANCE instance_;
    std::array<Bitmap, 9> toolbar_;
    std::array<Bitmap, 4> directions_;
    Bitmap pattern_bitmap_;
    Brush pattern_;
    Font overview_font_;
    Font data_view_font_;
    Font data_view_bold_font_;
};

}  // namespace lumo::win32

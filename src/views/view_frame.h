// Where a view may be inside the main window: kept below the toolbar, moved
// by its caption strip without leaving the client area, and never sized
// below its minimum. Both views use these; the shell measures and moves.
#pragma once

#include <cstdint>

#include "settings/settings.h"

namespace lumo {

struct ViewPoint {
    std::int32_t x = 0, y = 0;
    friend bool operator==(const ViewPoint&, const ViewPoint&) = default;
};

// A view's rectangle (main window client coordinates) after it moved or was
// sized: its top may not lie above the first row below the toolbar (row
// `toolbar_height`); a top above that is moved down and the height shrinks
// by as much.
Rect kept_below_toolbar(const Rect& place, std::int32_t toolbar_height);

// Moving by the caption strip: the view's new top-left corner for the mouse
// at `mouse` (main window client coordinates) when the press was at `press`
// inside the view. At least a caption height of the view stays inside a
// main client area of `client_width` x `client_height`, and the view never
// goes above the toolbar.
ViewPoint moved_view_origin(ViewPoint mouse, ViewPoint press, std::int32_t toolbar_height,
                            std::int32_t caption_height, std::int32_t client_width, std::int32_t client_height);

// The smallest size a view can be dragged to: 100 pixels wide, and three
// caption heights plus four lines high.
struct ViewMinimum {
    std::int32_t width = 0, height = 0;
    friend bool operator==(const ViewMinimum&, const ViewMinimum&) = default;
};
ViewMinimum view_minimum_size(std::int32_t caption_height, std::int32_t line_height);

}  // namespace lumo

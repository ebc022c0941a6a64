#include "views/view_frame.h"

#include <algorithm>

namespace lumo {

namespace {

// The toolbar covers the rows above `toolbar_height`; the arrangements place
// the views on that very row, so a view may lie there. (Kept one row lower,
// the overview lost its top pixel row after every placement.)
std::int32_t highest_view_top(std::int32_t toolbar_height) { return toolbar_height; }

}  // namespace

Rect kept_below_toolbar(const Rect& place, std::int32_t toolbar_height) {
    const std::int32_t top_limit = highest_view_top(toolbar_height);
    if (place.y >= top_limit) return place;
    Rect kept = place;
    kept.height = std::max(0, kept.height - (top_limit - place.y));
    kept.y = top_limit;
    return kept;
}

ViewPoint moved_view_origin(ViewPoint mouse, ViewPoint press, std::int32_t toolbar_height,
                            std::int32_t caption_height, std::int32_t client_width, std::int32_t client_height) {
    ViewPoint origin{mouse.x - press.x, mouse.y - press.y};
    origin.x = std::max(origin.x, 0);
    origin.y = std::max(origin.y, highest_view_top(toolbar_height));
    // The far limits come last: in a main window too small for both, the
    // caption strip stays reachable.
    origin.x = std::min(origin.x, client_width - caption_height);
    origin.y = std::min(origin.y, client_height - caption_height);
    return origin;
}

ViewMinimum view_minimum_size(std::int32_t caption_height, std::int32_t line_height) {
    return {100, 3 * caption_height + 4 * line_height};
}

}  // namespace lumo

// Positions of the two views, the marks and the active view: plain data that
// the store copies into and swaps out of its undo snapshot as one value.
#pragma once

#include <cstdint>

namespace lumo {

// Which view has the keyboard. The two "inactive" values remember which view
// was active while the main window lacks the focus (the markers -1 and -2).
enum class ActiveView : std::int8_t {
    overview,
    data_view,
    none_was_overview,   // marker -1
    none_was_data_view,  // marker -2
};

// A marked block of text in the data view; start never after end.
struct TextBlock {
    bool marked = false;
    std::int32_t anchor_column = -1, anchor_line = -1;
    std::int32_t start_column = 0, start_line = 0;
    std::int32_t end_column = 0, end_line = 0;
};

// A marked range of entries in the overview (inclusive).
struct EntryRange {
    bool marked = false;
    std::int32_t anchor = -1;
    std::int32_t first = 0, last = 0;
};

struct ViewState {
    // Overview
    std::int32_t top_entry = 0;
    std::int32_t cursor_row = 0;
    std::int32_t overview_horizontal_offset = 0;
    // Data view
    std::int32_t selected_entry_start = 0;
    std::int32_t caret_line = 0;
    std::int32_t caret_column = 0;
    std::int32_t first_scrolled_line = 0;
    std::int32_t data_view_horizontal_offset = 0;
    // Marks
    TextBlock text_block;
    EntryRange entry_range;
    ActiveView active_view = ActiveView::overview;

    std::int32_t selected_entry() const { return top_entry + cursor_row; }

    // Both views back to their first entry, line and column; the marks and
    // the active view stay as they are.
    void reset_positions() {
        const TextBlock block = text_block;
        const EntryRange range = entry_range;
        const ActiveView active = active_view;
        *this = ViewState{};
        text_block = block;
        entry_range = range;
        active_view = active;
    }
};

}  // namespace lumo

// The overview: the list of heading lines, one entry per row. This is its
// model: which rows it shows, where the selection and the marked range are,
// how the navigation keys, the type-ahead search and the mouse move them, and
// the removal of entries from the list. The shell measures the window and the
// font into OverviewGeometry and paints from the state and the store's
// overview rows.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "data/store.h"
#include "views/view_state.h"

namespace lumo {

inline constexpr std::string_view overview_title = "Overview";
// The type-ahead text holds at most this many characters.
inline constexpr std::int32_t type_ahead_limit = 253;

// What the shell measures: the client area (caption strip included) and the
// overview font.
struct OverviewGeometry {
    std::int32_t client_width = 0;
    std::int32_t client_height = 0;
    std::int32_t line_height = 0;         // tmHeight + tmExternalLeading
    std::int32_t longest_line_width = 0;  // 254 x tmMaxCharWidth
    std::int32_t caption_height = 0;      // the view caption height

    // Rows are one and a half lines apart.
    std::int32_t row_height() const { return line_height + line_height / 2; }
    // Whole rows in the client area; never more than the row cache can hold.
    std::int32_t visible_rows() const;
    std::int32_t list_top() const { return caption_height + 1; }
    // Top of screen row `row`.
    std::int32_t row_top(std::int32_t row) const { return list_top() + row * row_height(); }
    // The screen row under client y (y at or below the caption strip).
    std::int32_t row_at(std::int32_t y) const;
    // The largest horizontal offset, never negative.
    std::int32_t max_horizontal_offset() const;
    bool paintable() const { return client_width >= 1 && client_height >= 1; }
};

// The typed beginning of a heading. While nothing is typed the same buffer
// holds the caption "Overview", so the caption strip always shows caption().
class TypeAheadText {
public:
    TypeAheadText() { clear(); }
    bool in_progress() const { return length_ > 0; }
    std::int32_t length() const { return length_; }
    std::string_view caption() const;
    // The typed characters, NUL-terminated (empty when none).
    const char* pattern() const { return length_ > 0 ? buffer_.data() : ""; }
    // Appends c; false (nothing changed) when the text is full.
    bool append(char c);
    // Drops the last character (length > 0 required).
    void shorten();
    void clear();

private:
    std::array<char, 256> buffer_{};
    std::int32_t length_ = 0;
};

// Where the shell draws at once, on the window as it stands: the selection
// frame and the range marks by pixel inversion (paint mode toggle), so that
// drawing them twice removes them again.
class OverviewCanvas {
public:
    virtual ~OverviewCanvas() = default;
    virtual void toggle_marks() = 0;
};

// The overview's own state beside the view positions of ViewState.
struct OverviewState {
    OverviewGeometry geometry;
    TypeAheadText type_ahead;
    bool button_held = false;  // the left button is down in the list
    bool moving_view = false;  // being moved by its caption strip
    // Without a canvas, toggles become full repaints.
    OverviewCanvas* canvas = nullptr;
};

// The entry that a type-ahead of `pattern` (NUL-terminated, all bytes >= 32)
// selects: the first heading that begins with it (folded, umlauts as plain
// vowels), or, when none does, the last one with the longest common beginning
// before the list runs past it.
std::int32_t prefix_search(const Store& store, const char* pattern);

// What a press of the left button in the list leads to once the button has
// been sampled.
enum class PressOutcome { released, mark_by_dragging, drag_entries };

// Operations on the overview. Holds references only; build one where needed.
class Overview {
public:
    Overview(Store& store, OverviewState& state);

    // The data view shows the selected entry from its beginning.
    void follow_selection();

    // ---- Painting ---------------------------------------------------------
    // Repairs out-of-range positions and fills the overview rows; returns the
    // number of visible rows V (rows 0 to V are painted, those with an entry
    // hold its heading). Nothing is done and 0 returned for an empty client.
    std::int32_t prepare_paint();
    // Rows of the cache that hold an entry at the current top entry.
    std::int32_t rows_with_entries(std::int32_t visible_rows) const;
    // Whether screen row `row` shows a marked entry.
    bool row_marked(std::int32_t row) const;

    // ---- Navigation keys (each ends a type-ahead first) -------------------
    void line_up(bool shift);
    void line_down(bool shift);
    void page_up(bool shift);
    void page_down(bool shift);
    void go_first(bool shift);  // Ctrl+Home
    void go_last(bool shift);   // Ctrl+End
    // Home and Shift+Left; only Home also resets the data view.
    void scroll_to_start(bool follow);
    // End and Shift+Right: show the end of the selected heading.
    void scroll_to_end(bool follow);
    void scroll_left();
    void scroll_right();
    // Scroll bar thumbs.
    void track_horizontal(std::int32_t position);
    void track_vertical(std::int32_t position);

    // ---- Type-ahead -------------------------------------------------------
    // Edit engine codes while the overview is active: c >= 32 extends the
    // text, 1 and 2 shorten it (or, with nothing typed, delete the selected
    // entry: the caller has asked, and makes a new store when that was the
    // last one), 4 ends it. Returns 0.
    int type_ahead(int code);
    void end_type_ahead();
    // Ends a type-ahead in progress, the overview being made active for it.
    void leave_type_ahead();

    // ---- Entry range ------------------------------------------------------
    void clear_entry_range();
    // Marks first..last (ordered here) and enables Copy and Cut.
    void mark_entries(std::int32_t a, std::int32_t b);

    // ---- Removing entries -------------------------------------------------
    // Removes the marked entries. Returns true when the store holds no text
    // afterwards: the caller then makes a new empty store.
    bool delete_marked_entries();
    bool delete_selected_entry();

    // ---- Mouse (decisions only; waits and capture are the shell's) --------
    // A press in the list at client y: ends a type-ahead. Call before the
    // 200 ms wait.
    void press_begins();
    // After the wait: `still_down` is the sampled button state. Selects the
    // row under the mouse where a plain click does, and says what follows.
    PressOutcome press_sampled(std::int32_t y, bool shift, bool still_down);
    // One pass of marking by dragging with the mouse at client y. Returns
    // true when the list scrolled at an edge (the shell waits 50 ms).
    struct DragPass {
        bool edge_scrolled = false;
        bool changed = false;  // repaint needed
    };
    DragPass mark_by_dragging_pass(std::int32_t y);
    // The bytes that dragging the marked entries carries (empty when none).
    std::string_view marked_entries_text() const;

private:
    std::int32_t visible_rows() const { return state_.geometry.visible_rows(); }
    void repaint();
    void toggle_marks();
    void finish_line_move(bool shift, std::int32_t old_top);
    bool clamp_selection();
    void finish_move(bool shift);
    void shift_rule_before(bool shift);
    void shift_rule_after(bool shift);
    void set_horizontal_offset(std::int32_t offset);
    std::string_view selected_heading() const;
    void search_again();
    bool remove_entries(std::int32_t first, std::int32_t last);
    std::int32_t clamp_selected_entry(std::int32_t e) const;

    Store& store_;
    ViewState& view_;
    Port& port_;
    OverviewState& state_;
    std::int32_t last_drag_entry_ = -1;
};

}  // namespace lumo

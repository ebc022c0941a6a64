// The data view's model: where the lines of the selected entry stand on the
// screen (the heading line in its band, the other lines scrolling below it),
// the caret and the marked text block, hit testing with text widths, links
// under the mouse, the caret movements the keys ask for, scrolling, mouse
// marking, and what each paint mode must draw. The shell measures the window
// into DataViewGeometry, draws a DataViewPaint and sets cursors; decisions
// are made here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/line_limit.h"
#include "data/store.h"
#include "port/port.h"
#include "views/view_state.h"

namespace lumo {

inline constexpr std::string_view data_view_title = "Data view";
// Link texts handed to the shell are cut to this many characters.
inline constexpr std::size_t max_link_length = 512;

// What the shell measures: the client area (caption strip included) and the
// data view font.
struct DataViewGeometry {
    std::int32_t client_width = 0;
    std::int32_t client_height = 0;
    std::int32_t line_height = 16;        // L: tmHeight + tmExternalLeading
    std::int32_t longest_line_width = 0;  // 254 x tmMaxCharWidth
    std::int32_t caption_height = 0;      // the view caption height

    // V: whole lines in the client area, never more than the row cache serves.
    std::int32_t visible_rows() const;
    std::int32_t list_top() const { return caption_height + 1; }
    std::int32_t max_horizontal_offset() const;
    bool paintable() const { return client_width >= 1 && client_height >= 1; }
};

// The paint modes: 0 everything; 1 caret and block inversion only (drawing
// twice removes them); 2 refill and redraw the caret's row; 3 redraw every
// row from the cache, then caret and block; 4 the caret line's row without
// the caret (wipes a link underline).
enum class DataViewPaintMode : int { full = 0, toggle = 1, caret_row = 2, rows = 3, wipe_row = 4 };

struct PixelRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // right, bottom exclusive
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct ScrollBarSetting {
    std::int32_t min = 0, max = 0, page = 0, pos = 0;
    friend bool operator==(const ScrollBarSetting&, const ScrollBarSetting&) = default;
};

// One row to draw: its band filled, then its text drawn transparently.
struct PaintedRow {
    std::int32_t row = 0;  // 0 = the heading line (bold, first-line colours)
    PixelRect band;
    std::int32_t text_x = 0, text_y = 0;
    std::string_view text;  // from the store's row cache; empty past the entry
};

// Everything one pass of `paint data view` draws, in drawing order.
struct DataViewPaint {
    bool draws = false;              // false: client area below 1 x 1
    bool opaque = false;             // opaque background mode (modes 0, 2, 3, 4)
    std::optional<ScrollBarSetting> vertical, horizontal;
    std::optional<PaintedRow> heading;  // with the two rule lines below it
    std::int32_t light_rule_y = 0;      // RGB(140, 140, 140), across the width
    std::int32_t dark_rule_y = 0;       // RGB(70, 70, 70)
    std::vector<PaintedRow> rows;       // rows 1 to V as the mode asks
    std::optional<PixelRect> caret;     // inverted
    std::vector<PixelRect> block;       // inverted, one per visible marked line
};

// A horizontal one-pixel line in the link colour.
struct Underline {
    std::int32_t x_from = 0, x_to = 0, y = 0;
    friend bool operator==(const Underline&, const Underline&) = default;
};

enum class ViewCursor { unchanged, arrow, i_beam, pointing_hand };

// Where the shell draws immediate passes (GetDC, draw, release GDI objects).
class DataViewCanvas {
public:
    virtual ~DataViewCanvas() = default;
    virtual void draw(const DataViewPaint& paint) = 0;
    virtual void draw_underline(const Underline& line) = 0;
    virtual void set_cursor(ViewCursor cursor) = 0;
};

struct TextPosition {
    std::int32_t line = 0, column = 0;
    friend bool operator==(const TextPosition&, const TextPosition&) = default;
};

// Scroll bar codes, with the Win32 SB_* values.
enum class ScrollCode : int {
    line_up = 0, line_down = 1, page_up = 2, page_down = 3, thumb_position = 4, thumb_track = 5,
};

// The hovered link: its line, the columns of its two quotes and where its
// underline runs.
struct LinkHover {
    bool hovering = false;
    std::int32_t line = 0, open_column = 0, close_column = 0;
    std::int32_t x_start = 0, x_end = 0;
};

// The data view's own state beside the positions in ViewState.
struct DataViewState {
    DataViewGeometry geometry;
    LinkHover link;
    bool moving_view = false;  // being moved by its caption strip
};

// What a press of a mouse button in the text leads to once sampled.
enum class DataPressOutcome { placed, mark_by_dragging, drag_text };

class DataView {
public:
    // All references outlive the view (the application object owns them).
    // Without a canvas, immediate paints become invalidations.
    DataView(Store& store, ViewState& view, DataViewState& state, Port& port);
    void set_canvas(DataViewCanvas* canvas) { canvas_ = canvas; }

    DataViewState& state() { return state_; }
    std::int32_t visible_rows() const { return state_.geometry.visible_rows(); }

    // ---- Lines of the selected entry ----------------------------------------
    // Indexes the lines of the selected entry when the store lost them (after
    // an edit) and refills the rows at the current scroll position.
    void ensure_lines();
    // The text of `line` as the view shows it: up to its first byte below 32,
    // at most 255 characters; empty when the entry has no such line.
    std::string_view line_text(std::int32_t line);
    // Width in pixels of the first `column` characters of `line` (bold on the
    // heading line), not counting the horizontal offset.
    std::int32_t width_before(std::int32_t line, std::int32_t column);

    // ---- Painting -----------------------------------------------------------
    // The state part of a pass: clamps offset, scroll position and caret
    // column as the mode asks and refills the row cache (modes 0 and 2).
    void prepare_paint(DataViewPaintMode mode);
    // What a pass in `mode` draws from the current state (after prepare_paint).
    DataViewPaint plan_paint(DataViewPaintMode mode);
    // prepare_paint, plan_paint and the canvas's draw (or an invalidation).
    void paint(DataViewPaintMode mode);

    // ---- Hit testing -----------------------------------------------------------
    // `locate caret`: the line under client y (limited to the entry's lines)
    // and the first column whose left edge lies at or right of x - 3.
    TextPosition locate_caret(std::int32_t x, std::int32_t y);
    // The line under client y without the limit (rows past the entry count).
    std::int32_t line_at(std::int32_t y) const;
    // The column of `line` under client x as locate_caret finds it.
    std::int32_t column_at(std::int32_t line, std::int32_t x);

    // ---- Caret movement (the keys of the data view; no Shift rule here) -----
    // Scrolls so that a caret on line >= 1 keeps two lines of room below and
    // one above. Returns whether it scrolled (the caller repaints).
    bool make_room();
    // Scrolls horizontally so that the caret is inside the client width
    // (offset := caret x - width / 8, at least 0). Returns whether it did.
    bool keep_cursor_visible();
    // Each moves the caret only; the caller repaints.
    void caret_up();                 // line - 1, not below 0
    void caret_down();               // line + 1 when the entry has that line
    void caret_left();               // at column 0 of line >= 1: end of the line above
    void caret_right();              // at the line's end: start of the next line
    void caret_word_left();          // Ctrl+Left: first character of the word
    void caret_word_right();         // Ctrl+Right: behind the blanks after the word
    void caret_home();               // column 0
    void caret_end();                // column := length of the caret's line
    void caret_first();              // Ctrl+Home: (0, 0), no scrolling, offset 0
    void caret_last();               // Ctrl+End: end of the last line, scrolled there
    void caret_page_up();
    void caret_page_down();

    // ---- Scroll bars and wheel ------------------------------------------------
    // Returns whether the position changed (the shell invalidates then).
    bool scroll_horizontal(ScrollCode code, std::int32_t thumb);
    bool scroll_vertical(ScrollCode code, std::int32_t thumb);

    // ---- Links ----------------------------------------------------------------
    // The link (quote columns) on `line` around `column`, if any.
    std::optional<std::pair<std::int32_t, std::int32_t>> link_at(std::int32_t line, std::int32_t column);
    // Mouse move at client (x, y) while not moving the view: updates the
    // hover state, wipes an old underline through paint, draws the new one
    // and sets the cursor through the canvas.
    void hover(std::int32_t x, std::int32_t y);
    // A left click while a link is hovered and Ctrl is up: the link's text to
    // hand to the shell's open verb (the hover ends). Otherwise nothing: the
    // click is an ordinary one.
    std::optional<std::string> link_click(bool ctrl);
    // Where the hovered link's underline runs now (after scrolling or a
    // repaint that covered it); nothing when no link is hovered, its line is
    // scrolled away, or its text changed (the hover then ends).
    std::optional<Underline> hovered_underline();

    // ---- Text block and mouse marking -------------------------------------------
    // Drops the block: anchor -1/-1, unmarked, Copy and Cut greyed.
    void clear_block();
    // Marks from `a` to `b` (ordered here, possibly empty); Copy and Cut
    // enabled. press_ended drops an empty one.
    void mark_block(TextPosition a, TextPosition b);
    bool position_in_block(TextPosition p) const;
    // A click (left not on a link, or right) after the 200 ms wait (none with
    // Shift), `still_down` the sampled button: without Shift, unless it is
    // held with a block marked, drops the block and places the caret at
    // (x, y). Returns true when press_and_hold follows (button held).
    bool press_sampled(std::int32_t x, std::int32_t y, bool shift, bool still_down);
    // Press-and-hold decisions (anchor, block, caret); says whether to mark by
    // dragging or to drag the marked text.
    DataPressOutcome press_and_hold(std::int32_t x, std::int32_t y, bool shift);
    // One pass of marking by dragging with the mouse at (x, y). Returns how
    // many milliseconds the shell waits (edge scrolling), 0 for none.
    std::int32_t mark_by_dragging_pass(std::int32_t x, std::int32_t y);
    // After press-and-hold ends: an empty block is dropped; I-beam cursor.
    void press_ended();
    // Double click: marks the word at (x, y) (from the anchor with Shift).
    void double_click(std::int32_t x, std::int32_t y, bool shift);
    // The marked bytes (line breaks included), for Copy and dragging.
    std::string_view block_text();

private:
    bool caret_row_visible() const;
    std::int32_t width(std::string_view text, bool bold);
    void clamp_offset();
    void clamp_scroll_for_full_paint();
    void set_offset(std::int32_t offset);
    PaintedRow heading_row();
    PaintedRow scrolled_row(std::int32_t row);
    std::optional<PixelRect> caret_rect();
    void add_block_rects(DataViewPaint& paint);
    std::int32_t row_of_line(std::int32_t line) const;
    std::int32_t row_text_top(std::int32_t row) const;
    void wipe_link();
    bool hovered_link_intact();
    std::int32_t clamp_column(std::int32_t line, std::int32_t column);

    Store& store_;
    ViewState& view_;
    DataViewState& state_;
    Port& port_;
    DataViewCanvas* canvas_ = nullptr;
};

}  // namespace lumo

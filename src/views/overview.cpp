#include "views/overview.h"

#include <algorithm>
#include <cstring>

#include "data/sort.h"
#include "port/ids.h"

namespace lumo {

// ---- Geometry -------------------------------------------------------------------

std::int32_t OverviewGeometry::visible_rows() const {
    const std::int32_t h = row_height();
    if (h < 1 || client_height < 1) return 0;
    // Rows 0 to V are filled, so the cache must hold V + 1 of them.
    return std::min(client_height / h, max_row_count - 1);
}

std::int32_t OverviewGeometry::row_at(std::int32_t y) const {
    const std::int32_t h = row_height();
    return h < 1 ? 0 : (y - caption_height) / h;
}

std::int32_t OverviewGeometry::max_horizontal_offset() const {
    return std::max(0, longest_line_width - client_width);
}

// ---- Type-ahead text --------------------------------------------------------------

std::string_view TypeAheadText::caption() const {
    return {buffer_.data(), std::strlen(buffer_.data())};
}

bool TypeAheadText::append(char c) {
    if (length_ >= type_ahead_limit) return false;
    buffer_[static_cast<std::size_t>(length_++)] = c;
    buffer_[static_cast<std::size_t>(length_)] = '\0';
    return true;
}

void TypeAheadText::shorten() {
    if (length_ == 0) return;
    buffer_[static_cast<std::size_t>(--length_)] = '\0';
    if (length_ == 0) clear();
}

void TypeAheadText::clear() {
    length_ = 0;
    buffer_.fill('\0');
    std::memcpy(buffer_.data(), overview_title.data(), overview_title.size());
}

// ---- Prefix search ----------------------------------------------------------------

// Entries are looked at one by one as the search walks the list, but an
// entry whose heading shares more folded bytes with the one before it than
// that one matched of the pattern behaves exactly as that one did: the same
// bytes match and the same byte decides. So the walk jumps from each entry
// it looks at to the next that shares no more than that (in a sorted book,
// where the first letter or the matched part changes).
std::int32_t prefix_search(const Store& store, const char* pattern) {
    const auto& fold = fold_table(2);
    const auto* p = reinterpret_cast<const std::uint8_t*>(pattern);
    const std::int32_t count = store.entry_count();
    if (count <= 0) return 0;
    const CommonPrefixes& shared = store.heading_prefixes();

    std::int32_t best = -1;
    std::int32_t best_entry = 0;
    std::int32_t j = 0;
    for (std::int32_t i = 0; i < count;) {
        const std::int32_t start = store.entry_start(i);
        const auto heading = store.text_range(start, start + heading_columns);
        auto byte = [&heading](std::int32_t k) {
            return k < static_cast<std::int32_t>(heading.size()) ? static_cast<std::uint8_t>(heading[static_cast<std::size_t>(k)])
                                                                 : std::uint8_t{0};
        };
        for (j = 0; j < heading_columns; ++j) {
            const std::uint8_t c = byte(j);
            if (c < 32 || p[j] < 32) break;
            if (fold[c] != fold[p[j]]) {
                // The list has run past the pattern: this entry is the place.
                if (j > 0 && fold[p[j]] < fold[c]) return i;
                break;
            }
        }
        if (p[j] == 0) return i;
        if (j < best) return best_entry;
        best = j;
        // The entries that share more than j bytes with this one end as it
        // did; while nothing matched, so do all up to the next that begins
        // with the pattern's first letter.
        const std::int32_t next =
            j == 0 ? shared.next_beginning_with(i + 1, fold[p[0]]) : shared.next_at_most(i + 1, j);
        best_entry = next - 1;
        i = next;
    }
    // Not even the first letter matched at the end of the list: take the
    // first entry whose first letter comes after it.
    if (j == 0 && p[0] >= 32) {
        const std::int32_t first_higher = shared.first_beginning_above(fold[p[0]]);
        if (first_higher >= 0) return first_higher;
    }
    return best_entry;
}

// ---- Overview ---------------------------------------------------------------------

Overview::Overview(Store& store, OverviewState& state)
    : store_(store), view_(store.view()), port_(store.port()), state_(state) {}

void Overview::repaint() { port_.frame.repaint(ViewId::overview); }

void Overview::toggle_marks() {
    if (state_.canvas != nullptr) {
        state_.canvas->toggle_marks();
    } else {
        repaint();
    }
}

void Overview::follow_selection() {
    const std::int32_t entry = std::clamp(view_.selected_entry(), 0, std::max(0, store_.entry_count()));
    view_.selected_entry_start = store_.store_released() ? 0 : store_.entry_start(entry);
    view_.caret_line = 0;
    view_.caret_column = 0;
    view_.first_scrolled_line = 0;
    view_.data_view_horizontal_offset = 0;
    port_.frame.repaint(ViewId::data_view);
}

// The selection repairs that painting performs, in their fixed order. Returns
// true when the selected entry changed.
bool Overview::clamp_selection() {
    const std::int32_t count = store_.entry_count();
    const std::int32_t v = visible_rows();
    const std::int32_t before = view_.selected_entry();
    bool follow = false;
    // A selection dragged above the list keeps its entry.
    if (view_.top_entry < 0) view_.top_entry = 0;
    if (view_.cursor_row < 0) {
        view_.top_entry = std::max(0, view_.top_entry + view_.cursor_row);
        view_.cursor_row = 0;
    }
    if (view_.top_entry + view_.cursor_row >= count) {
        view_.cursor_row = std::max(0, count - view_.top_entry - 1);
        follow = true;
    }
    if (view_.cursor_row > v - 2) {
        view_.cursor_row = std::max(0, v - 2);
        follow = true;
    }
    if (view_.top_entry > count - v + 1) {
        const std::int32_t old_top = view_.top_entry;
        view_.top_entry = std::max(0, count - v + 1);
        view_.cursor_row += old_top - view_.top_entry;
        if (view_.top_entry + view_.cursor_row >= count) view_.cursor_row = count - view_.top_entry - 1;
        view_.cursor_row = std::max(0, view_.cursor_row);
        follow = follow || view_.top_entry != old_top;
    }
    return follow || view_.selected_entry() != before;
}

std::int32_t Overview::prepare_paint() {
    const OverviewGeometry& g = state_.geometry;
    if (!g.paintable()) return 0;
    const std::int32_t v = visible_rows();
    view_.overview_horizontal_offset = std::clamp(view_.overview_horizontal_offset, 0, g.max_horizontal_offset());
    if (clamp_selection()) follow_selection();
    store_.fill_overview_rows(v + 1, view_.top_entry);
    return v;
}

std::int32_t Overview::rows_with_entries(std::int32_t visible_rows) const {
    return std::clamp(store_.entry_count() - view_.top_entry, 0, visible_rows + 1);
}

bool Overview::row_marked(std::int32_t row) const {
    const EntryRange& r = view_.entry_range;
    const std::int32_t e = view_.top_entry + row;
    return r.marked && e >= r.first && e <= r.last && e < store_.entry_count();
}

// ---- Navigation -------------------------------------------------------------------

void Overview::shift_rule_before(bool shift) {
    EntryRange& r = view_.entry_range;
    if (shift) {
        if (!r.marked) {
            r.marked = true;
            port_.frame.enable_command(CMD_COPY, true);
            port_.frame.enable_command(CMD_CUT, true);
            r.anchor = view_.selected_entry();
        }
        if (r.anchor < 0) r.anchor = view_.selected_entry();
    } else {
        r.anchor = -1;
        if (r.marked) clear_entry_range();
    }
}

void Overview::shift_rule_after(bool shift) {
    EntryRange& r = view_.entry_range;
    const std::int32_t selected = view_.selected_entry();
    if (shift) {
        r.first = std::min(r.anchor, selected);
        r.last = std::max(r.anchor, selected);
    } else {
        r.first = r.last = selected;
    }
}

// Common end of a vertical move: the position is made valid at once (so that
// the range never names an entry past the end), the data view follows and
// the range takes the new selection.
void Overview::finish_move(bool shift) {
    clamp_selection();
    repaint();
    follow_selection();
    shift_rule_after(shift);
}

// Up and Down without Shift move the frame by two toggles (off at the old
// row, on at the new one); a scroll or a Shift range repaints in full.
void Overview::finish_line_move(bool shift, std::int32_t old_top) {
    clamp_selection();
    if (shift || view_.top_entry != old_top) {
        repaint();
    } else {
        toggle_marks();
    }
    follow_selection();
    shift_rule_after(shift);
}

void Overview::line_up(bool shift) {
    leave_type_ahead();
    if (view_.cursor_row < 0) return;
    shift_rule_before(shift);
    const std::int32_t old_top = view_.top_entry;
    if (!shift) toggle_marks();
    --view_.cursor_row;
    if (view_.cursor_row < 0 && view_.top_entry > 0) {
        --view_.top_entry;
        ++view_.cursor_row;
    }
    view_.cursor_row = std::max(0, view_.cursor_row);
    view_.top_entry = std::max(0, view_.top_entry);
    finish_line_move(shift, old_top);
}

void Overview::line_down(bool shift) {
    leave_type_ahead();
    const std::int32_t v = visible_rows();
    const std::int32_t count = store_.entry_count();
    if (view_.cursor_row >= v - 1 || view_.top_entry >= count) return;
    shift_rule_before(shift);
    const std::int32_t old_top = view_.top_entry;
    if (!shift) toggle_marks();
    if (view_.selected_entry() + 1 < count) ++view_.cursor_row;
    if (view_.cursor_row == v - 1) {
        view_.cursor_row = v - 2;
        if (view_.top_entry + v - 2 < count) ++view_.top_entry;
    }
    finish_line_move(shift, old_top);
}

void Overview::page_up(bool shift) {
    leave_type_ahead();
    shift_rule_before(shift);
    view_.top_entry = std::max(0, view_.top_entry - std::max(0, visible_rows() - 2));
    finish_move(shift);
}

void Overview::page_down(bool shift) {
    leave_type_ahead();
    const std::int32_t count = store_.entry_count();
    if (view_.top_entry >= count) return;
    shift_rule_before(shift);
    const std::int32_t v = visible_rows();
    const std::int32_t step = std::max(0, v - 2);
    if (view_.top_entry + step < count) view_.top_entry += step;
    view_.top_entry = std::max(0, std::min(view_.top_entry, count - v + 1));
    while (view_.cursor_row > 0 && view_.top_entry + view_.cursor_row >= count) --view_.cursor_row;
    finish_move(shift);
}

void Overview::go_first(bool shift) {
    leave_type_ahead();
    shift_rule_before(shift);
    view_.top_entry = 0;
    view_.cursor_row = 0;
    view_.overview_horizontal_offset = 0;
    finish_move(shift);
}

void Overview::go_last(bool shift) {
    leave_type_ahead();
    shift_rule_before(shift);
    const std::int32_t v = visible_rows();
    view_.top_entry = std::max(0, store_.entry_count() - v + 1);
    view_.cursor_row = std::max(0, v - 2);
    view_.overview_horizontal_offset = 0;
    finish_move(shift);
}

void Overview::set_horizontal_offset(std::int32_t offset) {
    if (offset == view_.overview_horizontal_offset) return;
    view_.overview_horizontal_offset = offset;
    repaint();
}

std::string_view Overview::selected_heading() const {
    const std::int32_t e = view_.selected_entry();
    if (store_.store_released() || e < 0 || e >= store_.entry_count()) return {};
    const std::int32_t start = store_.entry_start(e);
    const std::string_view rest = store_.text_range(start, start + heading_columns);
    const auto end = std::find_if(rest.begin(), rest.end(), [](char c) { return static_cast<std::uint8_t>(c) < 32; });
    return rest.substr(0, static_cast<std::size_t>(end - rest.begin()));
}

void Overview::scroll_to_start(bool follow) {
    leave_type_ahead();
    set_horizontal_offset(0);
    if (follow) follow_selection();
}

void Overview::scroll_to_end(bool follow) {
    leave_type_ahead();
    const OverviewGeometry& g = state_.geometry;
    const std::int32_t limit = g.max_horizontal_offset();
    if (view_.overview_horizontal_offset < limit) {
        const std::int32_t width = port_.measure.text_width(ViewId::overview, selected_heading());
        set_horizontal_offset(std::clamp(width - g.client_width + 1, 0, limit));
    }
    if (follow) follow_selection();
}

void Overview::scroll_left() {
    leave_type_ahead();
    set_horizontal_offset(std::max(0, view_.overview_horizontal_offset - state_.geometry.client_width / 4));
}

void Overview::scroll_right() {
    leave_type_ahead();
    const std::int32_t limit = state_.geometry.max_horizontal_offset();
    if (view_.overview_horizontal_offset >= limit) return;
    set_horizontal_offset(std::min(limit, view_.overview_horizontal_offset + state_.geometry.client_width / 4));
}

void Overview::track_horizontal(std::int32_t position) {
    leave_type_ahead();
    view_.overview_horizontal_offset = std::clamp(position, 0, state_.geometry.max_horizontal_offset());
    repaint();
}

void Overview::track_vertical(std::int32_t position) {
    leave_type_ahead();
    view_.top_entry = std::max(0, position);
    clamp_selection();
    repaint();
    follow_selection();
}

// ---- Type-ahead -------------------------------------------------------------------

void Overview::search_again() {
    view_.top_entry = prefix_search(store_, state_.type_ahead.pattern());
    view_.cursor_row = 0;
    clamp_selection();
    repaint();
    follow_selection();
}

int Overview::type_ahead(int code) {
    TypeAheadText& typed = state_.type_ahead;
    if (code == 4) {
        end_type_ahead();
        return 0;
    }
    if (code >= 32 && code <= 255) {
        ModalScope modal(port_);
        if (typed.append(static_cast<char>(code))) search_again();
        return 0;
    }
    if (code == 1 || code == 2) {
        if (!typed.in_progress()) {
            delete_selected_entry();
            return 0;
        }
        ModalScope modal(port_);
        typed.shorten();
        if (typed.in_progress()) {
            search_again();
        } else {
            repaint();
        }
    }
    return 0;
}

void Overview::end_type_ahead() {
    state_.type_ahead.clear();
    repaint();
}

void Overview::leave_type_ahead() {
    if (!state_.type_ahead.in_progress()) return;
    view_.active_view = ActiveView::overview;
    end_type_ahead();
}

// ---- Entry range ------------------------------------------------------------------

void Overview::clear_entry_range() {
    view_.entry_range.marked = false;
    view_.entry_range.anchor = -1;
    store_.grey_copy_and_cut_when_unmarked();
    repaint();
}

void Overview::mark_entries(std::int32_t a, std::int32_t b) {
    EntryRange& r = view_.entry_range;
    r.first = std::min(a, b);
    r.last = std::max(a, b);
    if (!r.marked) {
        r.marked = true;
        port_.frame.enable_command(CMD_COPY, true);
        port_.frame.enable_command(CMD_CUT, true);
    }
}

// ---- Removing entries -------------------------------------------------------------

bool Overview::remove_entries(std::int32_t first, std::int32_t last) {
    const std::int32_t count = store_.entry_count();
    if (store_.store_released() || count <= 0) return false;
    first = std::clamp(first, 0, count - 1);
    last = std::clamp(last, first, count - 1);
    {
        ModalScope modal(port_);
        view_.cursor_row = first - view_.top_entry;
        const std::int32_t from = store_.entry_start(first);
        const std::int32_t to = store_.entry_start(last + 1);
        store_.replace_text(from, to - from, {});
        store_.reindex();
        store_.invalidate_current_entry();
    }
    clamp_selection();
    follow_selection();
    repaint();
    return store_.text_length() == 0;
}

bool Overview::delete_marked_entries() {
    const EntryRange r = view_.entry_range;
    if (!r.marked) return false;
    clear_entry_range();
    return remove_entries(r.first, r.last);
}

bool Overview::delete_selected_entry() {
    const std::int32_t e = view_.selected_entry();
    return remove_entries(e, e);
}

// ---- Mouse ------------------------------------------------------------------------

void Overview::press_begins() {
    state_.button_held = true;
    leave_type_ahead();
}

std::int32_t Overview::clamp_selected_entry(std::int32_t e) const {
    return std::min(e, store_.entry_count() - 1);
}

PressOutcome Overview::press_sampled(std::int32_t y, bool shift, bool still_down) {
    state_.button_held = still_down;
    EntryRange& r = view_.entry_range;
    const std::int32_t row = state_.geometry.row_at(y);
    if (!shift && (!r.marked || !still_down)) {
        clear_entry_range();
        const std::int32_t v = visible_rows();
        std::int32_t cursor = row;
        if (cursor >= v - 1) --cursor;
        cursor = std::min(cursor, store_.entry_count() - 1 - view_.top_entry);
        view_.cursor_row = std::max(0, cursor);
        repaint();
        follow_selection();
    }
    if (!still_down) return PressOutcome::released;

    if (r.anchor == -1) r.anchor = view_.selected_entry();
    if (r.marked && shift) return PressOutcome::mark_by_dragging;
    if (!r.marked) {
        mark_entries(view_.selected_entry(), view_.selected_entry());
        return PressOutcome::mark_by_dragging;
    }
    const std::int32_t e = std::max(0, clamp_selected_entry(view_.top_entry + row));
    if (e >= r.first && e <= r.last) return PressOutcome::drag_entries;
    r.anchor = e;
    r.first = r.last = e;
    view_.cursor_row = e - view_.top_entry;
    return PressOutcome::mark_by_dragging;
}

Overview::DragPass Overview::mark_by_dragging_pass(std::int32_t y) {
    DragPass pass;
    EntryRange& r = view_.entry_range;
    const bool was_marked = r.marked;
    if (r.anchor < 0) r.anchor = view_.selected_entry();

    const std::int32_t v = visible_rows();
    const std::int32_t count = store_.entry_count();
    std::int32_t e = clamp_selected_entry(view_.top_entry + state_.geometry.row_at(y));
    if (e - view_.top_entry >= v - 1 && view_.top_entry < count) {
        pass.edge_scrolled = true;
        if (view_.top_entry + v - 2 < count) ++view_.top_entry;
    } else if (e - view_.top_entry < 1 && view_.top_entry >= 1) {
        pass.edge_scrolled = true;
        --view_.top_entry;
    }
    // Never mark before the first entry, whatever is above the window.
    e = std::max(0, e);
    mark_entries(e, r.anchor);
    view_.cursor_row = e - view_.top_entry;
    pass.changed = pass.edge_scrolled || e != last_drag_entry_ || !was_marked;
    last_drag_entry_ = e;
    if (pass.changed) repaint();
    return pass;
}

std::string_view Overview::marked_entries_text() const {
    const EntryRange& r = view_.entry_range;
    const std::int32_t count = store_.entry_count();
    if (!r.marked || count <= 0 || store_.store_released()) return {};
    const std::int32_t first = std::clamp(r.first, 0, count - 1);
    const std::int32_t last = std::clamp(r.last, first, count - 1);
    const std::int32_t from = store_.entry_start(first);
    return store_.text_range(from, store_.entry_start(last + 1));
}

}  // namespace lumo

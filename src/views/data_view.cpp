// The data view's model: layout arithmetic, the paint plans, hit testing by
// text widths, caret movement, scrolling, links and mouse marking.
#include "views/data_view.h"

#include <algorithm>

#include "port/ids.h"

namespace lumo {
namespace {

bool before(TextPosition a, TextPosition b) {
    return a.line < b.line || (a.line == b.line && a.column < b.column);
}

// A character of a row, NUL past its end (the row cache's view of it).
char char_at(std::string_view text, std::int32_t c) {
    return c >= 0 && c < static_cast<std::int32_t>(text.size()) ? text[static_cast<std::size_t>(c)] : '\0';
}

bool below(char c, int limit) { return static_cast<std::uint8_t>(c) < limit; }

std::int32_t length_of(std::string_view text) { return static_cast<std::int32_t>(text.size()); }

}  // namespace

std::int32_t DataViewGeometry::visible_rows() const {
    if (line_height <= 0 || client_height <= 0) return 0;
    return std::min(client_height / line_height, max_row_count - 1);
}

std::int32_t DataViewGeometry::max_horizontal_offset() const {
    return std::max(0, longest_line_width - client_width);
}

DataView::DataView(Store& store, ViewState& view, DataViewState& state, Port& port)
    : store_(store), view_(view), state_(state), port_(port) {}

// ---- Lines ----------------------------------------------------------------------

void DataView::ensure_lines() {
    if (store_.current_entry() != view_.selected_entry_start || store_.current_entry() < 0)
        store_.show_entry(visible_rows() + 1, view_.selected_entry_start, view_.first_scrolled_line);
}

std::string_view DataView::line_text(std::int32_t line) {
    ensure_lines();
    const std::int32_t start = store_.line_start(line);
    if (start < 0) return {};
    const std::string_view rest = store_.text_range(start, start + max_line_length);
    const auto end = std::find_if(rest.begin(), rest.end(), [](char c) { return below(c, 32); });
    return rest.substr(0, static_cast<std::size_t>(end - rest.begin()));
}

std::int32_t DataView::width(std::string_view text, bool bold) {
    return bold ? port_.measure.bold_text_width(ViewId::data_view, text)
                : port_.measure.text_width(ViewId::data_view, text);
}

std::int32_t DataView::width_before(std::int32_t line, std::int32_t column) {
    const std::string_view text = line_text(line);
    const auto n = static_cast<std::size_t>(std::clamp(column, 0, length_of(text)));
    return width(text.substr(0, n), line == 0);
}

std::int32_t DataView::clamp_column(std::int32_t line, std::int32_t column) {
    return std::clamp(column, 0, length_of(line_text(line)));
}

// ---- Layout -----------------------------------------------------------------------

std::int32_t DataView::row_of_line(std::int32_t line) const {
    return line == 0 ? 0 : line - view_.first_scrolled_line;
}

// Top of the text (and of the caret and block bars) on screen row `row`.
std::int32_t DataView::row_text_top(std::int32_t row) const {
    const DataViewGeometry& g = state_.geometry;
    return row == 0 ? g.list_top() + g.line_height / 2 - 1 : g.list_top() + (row + 1) * g.line_height;
}

bool DataView::caret_row_visible() const {
    const std::int32_t row = row_of_line(view_.caret_line);
    const std::int32_t v = visible_rows();
    return view_.caret_line == 0 ? v > 0 : row >= 1 && row <= v - 1;
}

// ---- Painting -----------------------------------------------------------------------

void DataView::clamp_offset() {
    view_.data_view_horizontal_offset =
        std::clamp(view_.data_view_horizontal_offset, 0, state_.geometry.max_horizontal_offset());
}

void DataView::clamp_scroll_for_full_paint() {
    const std::int32_t v = visible_rows();
    if (view_.first_scrolled_line + v - 3 >= store_.line_count())
        view_.first_scrolled_line = std::max(0, store_.line_count() - v + 2);
}

void DataView::prepare_paint(DataViewPaintMode mode) {
    if (!state_.geometry.paintable()) return;
    if (mode != DataViewPaintMode::toggle) clamp_offset();
    if (mode == DataViewPaintMode::full) {
        // The scroll clamp needs the line count of the entry shown now.
        if (store_.current_entry() != view_.selected_entry_start || store_.current_entry() < 0)
            store_.show_entry(0, view_.selected_entry_start, view_.first_scrolled_line);
        clamp_scroll_for_full_paint();
    }
    if (mode == DataViewPaintMode::full || mode == DataViewPaintMode::caret_row)
        store_.show_entry(visible_rows() + 1, view_.selected_entry_start, view_.first_scrolled_line);
    if (mode != DataViewPaintMode::wipe_row && caret_row_visible())
        view_.caret_column = clamp_column(view_.caret_line, view_.caret_column);
}

PaintedRow DataView::heading_row() {
    const DataViewGeometry& g = state_.geometry;
    PaintedRow row;
    row.row = 0;
    row.band = {0, g.list_top(), g.client_width, g.list_top() + 2 * g.line_height - 2};
    row.text_x = 1 - view_.data_view_horizontal_offset;
    row.text_y = row_text_top(0);
    row.text = std::string_view(store_.data_view_row(0).data());
    return row;
}

PaintedRow DataView::scrolled_row(std::int32_t k) {
    const DataViewGeometry& g = state_.geometry;
    PaintedRow row;
    row.row = k;
    row.band = {0, g.list_top() + (k + 1) * g.line_height, g.client_width, g.list_top() + (k + 2) * g.line_height};
    row.text_x = 1 - view_.data_view_horizontal_offset;
    row.text_y = row.band.top;
    if (k < store_.data_view_row_count()) row.text = std::string_view(store_.data_view_row(k).data());
    return row;
}

std::optional<PixelRect> DataView::caret_rect() {
    if (!caret_row_visible()) return std::nullopt;
    const std::int32_t x = width_before(view_.caret_line, view_.caret_column) - view_.data_view_horizontal_offset;
    const std::int32_t y = row_text_top(row_of_line(view_.caret_line));
    return PixelRect{x, y, x + 2, y + state_.geometry.line_height};
}

void DataView::add_block_rects(DataViewPaint& paint) {
    const TextBlock& b = view_.text_block;
    if (!b.marked) return;
    const std::int32_t v = visible_rows();
    const std::int32_t offset = view_.data_view_horizontal_offset;
    for (std::int32_t line = std::max(0, b.start_line); line <= b.end_line; ++line) {
        const std::int32_t row = row_of_line(line);
        if (row > v) break;
        if (line > 0 && row < 1) continue;
        std::int32_t left = -1 - offset;  // a line the block runs through
        if (line == b.start_line)
            left = width_before(line, b.start_column) - offset;
        else if (line == b.end_line)
            left = -offset;
        const std::int32_t right_column = line == b.end_line ? b.end_column : length_of(line_text(line));
        const std::int32_t right = width_before(line, right_column) - offset + 2;
        const std::int32_t top = row_text_top(row);
        paint.block.push_back({left, top, right, top + state_.geometry.line_height});
    }
}

DataViewPaint DataView::plan_paint(DataViewPaintMode mode) {
    DataViewPaint paint;
    const DataViewGeometry& g = state_.geometry;
    if (!g.paintable()) return paint;
    paint.draws = true;
    const std::int32_t v = visible_rows();
    const bool single_row = mode == DataViewPaintMode::caret_row || mode == DataViewPaintMode::wipe_row;
    const bool all_rows = mode == DataViewPaintMode::full || mode == DataViewPaintMode::rows;
    if (mode != DataViewPaintMode::toggle) {
        paint.opaque = true;
        paint.vertical = ScrollBarSetting{0, store_.line_count() + 1, v, view_.first_scrolled_line};
        paint.horizontal =
            ScrollBarSetting{0, g.longest_line_width, g.client_width, view_.data_view_horizontal_offset};
    }
    if (all_rows || (single_row && view_.caret_line == 0)) {
        paint.heading = heading_row();
        paint.light_rule_y = g.list_top() + 2 * g.line_height - 2;
        paint.dark_rule_y = paint.light_rule_y + 1;
    }
    if (all_rows) {
        for (std::int32_t k = 1; k <= v; ++k) paint.rows.push_back(scrolled_row(k));
    } else if (single_row && view_.caret_line > 0) {
        const std::int32_t k = row_of_line(view_.caret_line);
        if (k >= 1 && k <= v) paint.rows.push_back(scrolled_row(k));
    }
    if (mode != DataViewPaintMode::wipe_row) paint.caret = caret_rect();
    add_block_rects(paint);
    return paint;
}

void DataView::paint(DataViewPaintMode mode) {
    prepare_paint(mode);
    if (canvas_ != nullptr)
        canvas_->draw(plan_paint(mode));
    else
        port_.frame.repaint(ViewId::data_view);
}

// ---- Hit testing ---------------------------------------------------------------------

std::int32_t DataView::line_at(std::int32_t y) const {
    const std::int32_t l = std::max(1, state_.geometry.line_height);
    const std::int32_t d = y - state_.geometry.caption_height;
    if (d < 2 * l) return 0;
    return (d - 2 * l) / l + view_.first_scrolled_line + 1;
}

std::int32_t DataView::column_at(std::int32_t line, std::int32_t x) {
    const std::string_view text = line_text(line);
    const bool bold = line == 0;
    const std::int32_t offset = view_.data_view_horizontal_offset;
    std::int32_t c = 0;
    while (c < length_of(text) && width(text.substr(0, static_cast<std::size_t>(c)), bold) - offset < x - 3) ++c;
    return c;
}

TextPosition DataView::locate_caret(std::int32_t x, std::int32_t y) {
    ensure_lines();
    const std::int32_t line = std::clamp(line_at(y), 0, std::max(0, store_.line_count() - 1));
    return {line, column_at(line, x)};
}

// ---- Caret movement ---------------------------------------------------------------------

bool DataView::make_room() {
    const std::int32_t line = view_.caret_line;
    if (line < 1) return false;
    const std::int32_t v = visible_rows();
    std::int32_t first = view_.first_scrolled_line;
    if (line - first > v - 3) first = line + 3 - v;
    if (line <= first) first = line - 1;
    first = std::max(0, first);
    if (first == view_.first_scrolled_line) return false;
    view_.first_scrolled_line = first;
    return true;
}

bool DataView::keep_cursor_visible() {
    const std::int32_t x = width_before(view_.caret_line, view_.caret_column);
    const std::int32_t offset = view_.data_view_horizontal_offset;
    const std::int32_t w = state_.geometry.client_width;
    if (x >= offset && x - offset <= w) return false;
    const std::int32_t wanted = std::max(0, x - w / 8);
    if (wanted == offset) return false;
    view_.data_view_horizontal_offset = wanted;
    return true;
}

void DataView::caret_up() { view_.caret_line = std::max(0, view_.caret_line - 1); }

void DataView::caret_down() {
    ensure_lines();
    if (view_.caret_line + 1 < store_.line_count()) ++view_.caret_line;
}

void DataView::caret_left() {
    const std::int32_t column = clamp_column(view_.caret_line, view_.caret_column);
    if (column > 0) {
        view_.caret_column = column - 1;
    } else if (view_.caret_line > 0) {
        --view_.caret_line;
        caret_end();
    }
}

void DataView::caret_right() {
    const std::int32_t length = length_of(line_text(view_.caret_line));
    if (view_.caret_column < length) {
        view_.caret_column = std::max(0, view_.caret_column) + 1;
    } else if (view_.caret_line + 1 < store_.line_count()) {
        ++view_.caret_line;
        view_.caret_column = 0;
    } else {
        view_.caret_column = length;
    }
}

void DataView::caret_word_left() {
    const std::string_view text = line_text(view_.caret_line);
    std::int32_t c = clamp_column(view_.caret_line, view_.caret_column);
    if (c > 0 && char_at(text, c - 1) == ' ') --c;
    while (char_at(text, c) == ' ' && c > 0) --c;
    while (char_at(text, c) != ' ' && c > 0) --c;
    while (char_at(text, c) == ' ' && c < max_line_length) ++c;
    view_.caret_column = std::min(c, length_of(text));
}

void DataView::caret_word_right() {
    const std::string_view text = line_text(view_.caret_line);
    std::int32_t c = clamp_column(view_.caret_line, view_.caret_column);
    while (char_at(text, c) != ' ' && char_at(text, c) != '\0' && c < max_line_length) ++c;
    while (char_at(text, c) == ' ' && c < max_line_length) ++c;
    while (c > 0 && char_at(text, c - 1) == '\0') --c;
    view_.caret_column = c;
}

void DataView::caret_home() { view_.caret_column = 0; }

void DataView::caret_end() { view_.caret_column = length_of(line_text(view_.caret_line)); }

void DataView::caret_first() {
    view_.caret_line = 0;
    view_.caret_column = 0;
    view_.first_scrolled_line = 0;
    view_.data_view_horizontal_offset = 0;
}

void DataView::caret_last() {
    ensure_lines();
    const std::int32_t count = store_.line_count();
    view_.caret_line = std::max(0, count - 1);
    view_.first_scrolled_line = std::max(0, count - visible_rows() + 2);
    caret_end();
}

void DataView::caret_page_up() {
    const std::int32_t amount = visible_rows() - 3;
    view_.first_scrolled_line = std::max(0, view_.first_scrolled_line - amount);
    if (view_.caret_line > 0) view_.caret_line = std::max(1, view_.caret_line - amount);
}

void DataView::caret_page_down() {
    ensure_lines();
    const std::int32_t amount = visible_rows() - 3;
    const std::int32_t count = store_.line_count();
    view_.first_scrolled_line += amount;
    if (view_.caret_line > 0) view_.caret_line += amount;
    const std::int32_t last_first = count - visible_rows() + 2;
    if (view_.first_scrolled_line > last_first) view_.first_scrolled_line = std::max(0, last_first);
    view_.first_scrolled_line = std::max(0, view_.first_scrolled_line);
    view_.caret_line = std::clamp(view_.caret_line, 0, std::max(0, count - 1));
}

// ---- Scrolling ------------------------------------------------------------------------------

void DataView::set_offset(std::int32_t offset) {
    view_.data_view_horizontal_offset = std::clamp(offset, 0, state_.geometry.max_horizontal_offset());
}

bool DataView::scroll_horizontal(ScrollCode code, std::int32_t thumb) {
    const std::int32_t before_offset = view_.data_view_horizontal_offset;
    const std::int32_t w = state_.geometry.client_width;
    const bool room_right = before_offset < state_.geometry.longest_line_width - w;
    switch (code) {
        case ScrollCode::line_up: view_.data_view_horizontal_offset = std::max(0, before_offset - w / 4); break;
        case ScrollCode::page_up: view_.data_view_horizontal_offset = std::max(0, before_offset - w); break;
        case ScrollCode::line_down:
            if (room_right) set_offset(before_offset + w / 4);
            break;
        case ScrollCode::page_down:
            if (room_right) set_offset(before_offset + w);
            break;
        case ScrollCode::thumb_track: set_offset(thumb); break;
        case ScrollCode::thumb_position: break;
    }
    return view_.data_view_horizontal_offset != before_offset;
}

bool DataView::scroll_vertical(ScrollCode code, std::int32_t thumb) {
    ensure_lines();
    const std::int32_t v = visible_rows();
    const std::int32_t count = store_.line_count();
    std::int32_t& first = view_.first_scrolled_line;
    const std::int32_t before_first = first;
    switch (code) {
        case ScrollCode::line_up:
            if (first >= 1) --first;
            break;
        case ScrollCode::line_down:
            if (first + v - 2 < count) ++first;
            break;
        case ScrollCode::page_up: first = std::max(0, first - (v - 3)); break;
        case ScrollCode::page_down:
            first += v - 3;
            if (first + v - 3 >= count) first = count - v + 2;
            first = std::max(0, first);
            break;
        case ScrollCode::thumb_track: first = std::max(0, thumb); break;
        case ScrollCode::thumb_position: break;
    }
    return first != before_first;
}

// ---- Links -------------------------------------------------------------------------------------

std::optional<std::pair<std::int32_t, std::int32_t>> DataView::link_at(std::int32_t line, std::int32_t column) {
    const std::string_view text = line_text(line);
    const auto plain = [&](std::int32_t c) { return char_at(text, c) != '"' && !below(char_at(text, c), 32); };
    std::int32_t open = column;
    while (plain(open) && open > 0) --open;
    if (char_at(text, open) != '"') return std::nullopt;
    std::int32_t close = column;
    while (plain(close) && close < max_line_length - 1) ++close;
    if (char_at(text, close) != '"' || close == open) return std::nullopt;
    return std::pair{open, close};
}

void DataView::wipe_link() {
    const std::int32_t caret_line = view_.caret_line;
    view_.caret_line = state_.link.line;
    paint(DataViewPaintMode::wipe_row);
    view_.caret_line = caret_line;
    paint(view_.text_block.marked ? DataViewPaintMode::rows : DataViewPaintMode::caret_row);
}

void DataView::hover(std::int32_t x, std::int32_t y) {
    const DataViewGeometry& g = state_.geometry;
    LinkHover& link = state_.link;
    std::optional<std::pair<std::int32_t, std::int32_t>> found;
    std::int32_t line = 0;
    if (y > g.caption_height) {
        line = line_at(y);
        found = link_at(line, column_at(line, x));
    }
    const bool same = found && link.hovering && link.line == line && link.open_column == found->first &&
                      link.close_column == found->second;
    if (link.hovering && !same) {
        link.hovering = false;
        wipe_link();
    }
    if (!found) {
        if (canvas_ != nullptr) canvas_->set_cursor(y <= g.caption_height ? ViewCursor::arrow : ViewCursor::i_beam);
        return;
    }
    link.hovering = true;
    link.line = line;
    link.open_column = found->first;
    link.close_column = found->second;
    const std::optional<Underline> underline = hovered_underline();
    if (canvas_ != nullptr) {
        if (underline) canvas_->draw_underline(*underline);
        canvas_->set_cursor(ViewCursor::pointing_hand);
    }
}

// The text may have changed under a link that is still hovered (typing
// sends no mouse move): then the hover ends.
bool DataView::hovered_link_intact() {
    LinkHover& link = state_.link;
    if (!link.hovering) return false;
    const auto found = link_at(link.line, link.open_column + 1);
    if (found && found->first == link.open_column && found->second == link.close_column) return true;
    link.hovering = false;
    return false;
}

std::optional<Underline> DataView::hovered_underline() {
    if (!hovered_link_intact()) return std::nullopt;
    LinkHover& link = state_.link;
    const std::int32_t row = row_of_line(link.line);
    if (link.line > 0 && (row < 1 || row > visible_rows())) return std::nullopt;
    const std::string_view text = line_text(link.line);
    const bool bold = link.line == 0;
    const std::int32_t offset = view_.data_view_horizontal_offset;
    link.x_start = width(text.substr(0, static_cast<std::size_t>(link.open_column) + 1), bold) - offset;
    link.x_end = width(text.substr(0, static_cast<std::size_t>(link.close_column)), bold) - offset;
    const DataViewGeometry& g = state_.geometry;
    const std::int32_t y = row == 0 ? g.list_top() - 2 + (g.line_height + g.line_height / 2)
                                    : g.list_top() - 2 + (row + 2) * g.line_height;
    return Underline{link.x_start + 1, link.x_end + 1, y};
}

std::optional<std::string> DataView::link_click(bool ctrl) {
    LinkHover& link = state_.link;
    if (!link.hovering || ctrl || !hovered_link_intact()) return std::nullopt;
    link.hovering = false;
    const std::string_view text = line_text(link.line);
    const auto from = static_cast<std::size_t>(link.open_column) + 1;
    const auto count = std::min(static_cast<std::size_t>(link.close_column - link.open_column - 1), max_link_length);
    return std::string(text.substr(from, count));
}

// ---- Text block and mouse ------------------------------------------------------------------------

void DataView::clear_block() {
    TextBlock& b = view_.text_block;
    b.anchor_line = -1;
    b.anchor_column = -1;
    b.marked = false;
    store_.grey_copy_and_cut_when_unmarked();
}

void DataView::mark_block(TextPosition a, TextPosition b) {
    if (before(b, a)) std::swap(a, b);
    TextBlock& block = view_.text_block;
    block.start_line = a.line;
    block.start_column = a.column;
    block.end_line = b.line;
    block.end_column = b.column;
    if (!block.marked) {
        block.marked = true;
        port_.frame.enable_command(CMD_COPY, true);
        port_.frame.enable_command(CMD_CUT, true);
    }
}

bool DataView::position_in_block(TextPosition p) const {
    const TextBlock& b = view_.text_block;
    return b.marked && !before(p, {b.start_line, b.start_column}) && !before({b.end_line, b.end_column}, p);
}

bool DataView::press_sampled(std::int32_t x, std::int32_t y, bool shift, bool still_down) {
    if (!shift && !(view_.text_block.marked && still_down)) {
        clear_block();
        paint(DataViewPaintMode::toggle);
        const TextPosition p = locate_caret(x, y);
        view_.caret_line = p.line;
        view_.caret_column = p.column;
        paint(DataViewPaintMode::full);
    }
    return still_down;
}

DataPressOutcome DataView::press_and_hold(std::int32_t x, std::int32_t y, bool shift) {
    TextBlock& b = view_.text_block;
    const TextPosition caret{view_.caret_line, view_.caret_column};
    if (b.anchor_line == -1 && b.anchor_column == -1) {
        b.anchor_line = caret.line;
        b.anchor_column = caret.column;
    }
    if (b.marked && shift) return DataPressOutcome::mark_by_dragging;
    if (!b.marked) {
        mark_block(caret, caret);
        return DataPressOutcome::mark_by_dragging;
    }
    if (shift) return DataPressOutcome::placed;
    const TextPosition p = locate_caret(x, y);
    if (position_in_block(p)) return DataPressOutcome::drag_text;
    mark_block(p, p);
    b.anchor_line = p.line;
    b.anchor_column = p.column;
    view_.caret_line = p.line;
    view_.caret_column = p.column;
    return DataPressOutcome::mark_by_dragging;
}

std::int32_t DataView::mark_by_dragging_pass(std::int32_t x, std::int32_t y) {
    ensure_lines();
    std::int32_t waited = 0;
    const std::int32_t v = visible_rows();
    const std::int32_t count = store_.line_count();
    const std::int32_t line = std::clamp(line_at(y), 0, std::max(0, count - 1));
    std::int32_t& first = view_.first_scrolled_line;
    if (line > first + v - 2 && first + v - 2 < count) {
        waited += 50;
        ++first;
        paint(DataViewPaintMode::full);
    } else if (line < 1 && first > 0) {
        waited += 50;
        --first;
        paint(DataViewPaintMode::full);
    }
    const TextPosition p{line, column_at(line, x)};
    const TextBlock& b = view_.text_block;
    mark_block({b.anchor_line, b.anchor_column}, p);
    if (p != TextPosition{view_.caret_line, view_.caret_column}) {
        view_.caret_line = p.line;
        view_.caret_column = p.column;
        paint(DataViewPaintMode::full);
    }
    const std::int32_t caret_x = width_before(p.line, p.column) - view_.data_view_horizontal_offset;
    if (caret_x < 0 || caret_x > state_.geometry.client_width) {
        waited += 2;
        set_offset(view_.data_view_horizontal_offset + (caret_x < 0 ? -2 : 2));
        paint(DataViewPaintMode::full);
    }
    return waited;
}

void DataView::press_ended() {
    const TextBlock& b = view_.text_block;
    if (b.marked && b.start_line == b.end_line && b.start_column == b.end_column) clear_block();
    if (canvas_ != nullptr) canvas_->set_cursor(ViewCursor::i_beam);
}

void DataView::double_click(std::int32_t x, std::int32_t y, bool shift) {
    const TextPosition p = locate_caret(x, y);
    view_.caret_line = p.line;
    view_.caret_column = p.column;
    const std::string_view text = line_text(p.line);
    if (below(char_at(text, p.column), 33)) return;
    std::int32_t start = p.column;
    while (start > 0 && !below(char_at(text, start - 1), 33)) --start;
    std::int32_t end = p.column;
    while (end < length_of(text) && !below(char_at(text, end), 33)) ++end;
    const TextPosition word_start{p.line, start};
    const TextPosition word_end{p.line, end};
    TextBlock& b = view_.text_block;
    if (!shift || !b.marked) {
        mark_block(word_start, word_end);
        b.anchor_line = word_start.line;
        b.anchor_column = word_start.column;
        view_.caret_column = start;
    } else {
        const TextPosition anchor{b.anchor_line, b.anchor_column};
        mark_block(anchor, before(word_start, anchor) ? word_start : word_end);
    }
    if (b.start_line == b.end_line && b.start_column == b.end_column) clear_block();
    paint(DataViewPaintMode::full);
}

std::string_view DataView::block_text() {
    const TextBlock& b = view_.text_block;
    if (!b.marked) return {};
    ensure_lines();
    const std::int32_t from_line = store_.line_start(b.start_line);
    const std::int32_t to_line = store_.line_start(b.end_line);
    if (from_line < 0 || to_line < 0) return {};
    const std::int32_t from = from_line + clamp_column(b.start_line, b.start_column);
    const std::int32_t to = to_line + clamp_column(b.end_line, b.end_column);
    if (to <= from) return {};
    return store_.text_range(from, to);
}

}  // namespace lumo

// The edit engine: in-place edits of the selected entry, the blank line
// placeholder, the 255-character limit, block deletion and the common ending
// of every change (re-index, sort pending, repaint).
#include "views/edit_engine.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace lumo {
namespace {

constexpr std::string_view placeholder = " ";
constexpr std::string_view line_break = "\r\n";

}  // namespace

EditEngine::EditEngine(Store& store, ViewState& view, DataView& data_view, Port& port)
    : store_(store), view_(view), data_view_(data_view), port_(port) {}

// ---- Byte moves -----------------------------------------------------------------
// The store keeps its entry index in step with each change, so the re-index
// of commit_edit only reports.

bool EditEngine::insert_bytes(std::int32_t at, std::string_view bytes) { return store_.replace_text(at, 0, bytes); }

void EditEngine::remove_bytes(std::int32_t at, std::int32_t count) {
    if (count > 0) store_.replace_text(at, count, {});
}

// A line that would be left empty keeps one blank instead.
void EditEngine::overwrite_byte(std::int32_t at, char c) { store_.replace_text(at, 1, std::string_view(&c, 1)); }

// ---- The caret's line ---------------------------------------------------------------

EditEngine::CaretLine EditEngine::caret_line() {
    CaretLine line;
    data_view_.ensure_lines();
    view_.caret_line = std::clamp(view_.caret_line, 0, std::max(0, store_.line_count() - 1));
    line.start = store_.line_start(view_.caret_line);
    line.text = data_view_.line_text(view_.caret_line);
    line.length = static_cast<std::int32_t>(line.text.size());
    view_.caret_column = std::clamp(view_.caret_column, 0, line.length);
    line.column = view_.caret_column;
    line.is_placeholder = line.text == placeholder;
    return line;
}

int EditEngine::refuse_too_long() {
    show_error(port_, text_line_too_long);
    return edit_refused;
}

// ---- Common ending -------------------------------------------------------------------

void EditEngine::commit_edit(DataViewPaintMode mode, const std::function<void()>& move_caret) {
    const bool heading = view_.caret_line == 0;
    store_.reindex();
    if (heading) store_.sort_pending = true;
    store_.invalidate_current_entry();
    port_.modal_flag = false;
    if (move_caret) {
        const bool scrolled = data_view_.make_room();
        move_caret();
        if (data_view_.keep_cursor_visible() || scrolled) mode = DataViewPaintMode::full;
    }
    data_view_.paint(mode);
    if (heading) port_.frame.repaint(ViewId::overview);
}

void EditEngine::renew_if_empty() {
    if (store_.entry_count() != 0 || store_.text_length() != 0) return;
    store_.discard_undo_snapshot();
    if (!insert_bytes(0, empty_entry)) return;
    store_.reindex();
    store_.invalidate_current_entry();
    view_.reset_positions();
    data_view_.clear_block();
    port_.frame.repaint(ViewId::overview);
    data_view_.paint(DataViewPaintMode::full);
}

// ---- The engine ------------------------------------------------------------------------

int EditEngine::edit(int code) {
    if (store_.store_released()) return 0;
    if (view_.active_view == ActiveView::data_view) {
        const bool scrolled = data_view_.make_room();
        if (data_view_.keep_cursor_visible() || scrolled) data_view_.paint(DataViewPaintMode::full);
    }
    if (code >= 32 && code <= 255) return insert_char(static_cast<char>(code));
    switch (code) {
        case edit_code::delete_key: return delete_forward();
        case edit_code::backspace: return delete_backward();
        case edit_code::enter: return split_line();
        default: return 0;
    }
}

int EditEngine::insert_char(char c) {
    const CaretLine line = caret_line();
    if (line.start < 0) return 0;
    if (line.column >= max_line_length || line.length >= max_line_length) return refuse_too_long();
    port_.modal_flag = true;
    if (line.column == 0 && line.is_placeholder) {
        overwrite_byte(line.start, c);
    } else if (!insert_bytes(line.start + line.column, std::string_view(&c, 1))) {
        port_.modal_flag = false;
        return 0;
    }
    commit_edit(DataViewPaintMode::caret_row, [&] { view_.caret_column = line.column + 1; });
    return 0;
}

int EditEngine::split_line() {
    const CaretLine line = caret_line();
    if (line.start < 0) return 0;
    port_.modal_flag = true;
    bool done = false;
    if (line.column == 0)
        done = insert_bytes(line.start, " \r\n");
    else if (line.column < line.length)
        done = insert_bytes(line.start + line.column, line_break);
    else
        done = insert_bytes(line.start + line.length, "\r\n ");
    if (!done) {
        port_.modal_flag = false;
        return 0;
    }
    view_.caret_column = 0;
    commit_edit(DataViewPaintMode::full, [&] { data_view_.caret_down(); });
    return 0;
}

int EditEngine::delete_forward() {
    const CaretLine line = caret_line();
    if (line.start < 0) return 0;
    if (line.column < line.length) {
        if (line.column == 0 && line.is_placeholder) return remove_blank_line(false);
        port_.modal_flag = true;
        if (line.column == 0 && line.length == 1)
            overwrite_byte(line.start, ' ');
        else
            remove_bytes(line.start + line.column, 1);
        commit_edit(DataViewPaintMode::full, {});
        return 0;
    }
    const std::int32_t end = line.start + line.length;
    const std::int32_t length = store_.text_length();
    const char at_end = end < length ? store_.char_at(end) : '\0';
    if (end + 1 < length && at_end == '\r' && store_.char_at(end + 1) == '\n') {
        if (view_.caret_line + 1 >= store_.line_count()) return 0;  // the entry's last line
        return join_with_next(line);
    }
    if (end < length && static_cast<std::uint8_t>(at_end) < 32 && at_end != '\r' && at_end != '\n') {
        // A stray control byte inside the line goes like a character.
        port_.modal_flag = true;
        remove_bytes(end, 1);
        commit_edit(DataViewPaintMode::full, {});
    }
    return 0;
}

int EditEngine::join_with_next(const CaretLine& line) {
    const std::int32_t next = view_.caret_line + 1;
    const std::int32_t next_start = store_.line_start(next);
    const std::string_view next_text = data_view_.line_text(next);
    const bool next_blank = next_text == placeholder;
    const auto next_length = next_blank ? 0 : static_cast<std::int32_t>(next_text.size());
    if (line.length + next_length > max_line_length) return refuse_too_long();
    port_.modal_flag = true;
    const std::int32_t from = line.start + line.length;
    remove_bytes(from, next_start + (next_blank ? 1 : 0) - from);
    commit_edit(DataViewPaintMode::full, {});
    return 0;
}

int EditEngine::delete_backward() {
    const CaretLine line = caret_line();
    if (line.start < 0) return 0;
    if (line.column >= 1 && !(line.is_placeholder && line.column == 1)) {
        port_.modal_flag = true;
        if (line.length == 1)
            overwrite_byte(line.start, ' ');
        else
            remove_bytes(line.start + line.column - 1, 1);
        view_.caret_column = line.column - 1;
        commit_edit(DataViewPaintMode::full, {});
        return 0;
    }
    if (line.column == 1) {  // on a blank line: only step over its space
        data_view_.make_room();
        data_view_.caret_left();
        data_view_.keep_cursor_visible();
        data_view_.paint(DataViewPaintMode::full);
        return 0;
    }
    if (line.is_placeholder) return remove_blank_line(true);
    if (view_.caret_line >= 1) return join_with_previous(line);
    return 0;
}

// A blank line above joins as an empty one: its space goes with the break.
int EditEngine::join_with_previous(const CaretLine& line) {
    const std::int32_t previous = view_.caret_line - 1;
    const std::int32_t previous_start = store_.line_start(previous);
    const std::string_view previous_text = data_view_.line_text(previous);
    const bool previous_blank = previous_text == placeholder;
    const auto previous_length = previous_blank ? 0 : static_cast<std::int32_t>(previous_text.size());
    if (previous_length + line.length > max_line_length) return refuse_too_long();
    port_.modal_flag = true;
    const std::int32_t from = previous_start + previous_length;
    remove_bytes(from, line.start - from);
    view_.caret_line = previous;
    commit_edit(DataViewPaintMode::full, [&] { view_.caret_column = previous_length; });
    return 0;
}

int EditEngine::remove_blank_line(bool backspace) {
    const std::int32_t start = store_.line_start(view_.caret_line);
    const bool only_line =
        view_.caret_line == 0 && start + 3 < store_.text_length() && store_.char_at(start + 3) == '\r';
    if (only_line && !ask_yes_no(port_, text_really_delete_entry)) return 0;
    port_.modal_flag = true;
    remove_bytes(start, only_line ? static_cast<std::int32_t>(empty_entry.size()) : 3);
    commit_edit(DataViewPaintMode::full, [&] {
        const bool line_gone = data_view_.line_text(view_.caret_line).empty();
        if (backspace || line_gone) {
            data_view_.caret_up();
            data_view_.caret_end();
        }
    });
    renew_if_empty();
    return 0;
}

// ---- Blocks ---------------------------------------------------------------------------

void EditEngine::delete_text_block(bool keep_caret) {
    const TextBlock block = view_.text_block;
    if (!block.marked) return;
    port_.modal_flag = true;
    data_view_.clear_block();
    data_view_.ensure_lines();
    const std::int32_t start_line = store_.line_start(block.start_line);
    const std::int32_t end_line = store_.line_start(block.end_line);
    if (start_line < 0 || end_line < 0) {
        port_.modal_flag = false;
        return;
    }
    const std::int32_t start_column =
        std::clamp(block.start_column, 0, static_cast<std::int32_t>(data_view_.line_text(block.start_line).size()));
    const std::int32_t end_column =
        std::clamp(block.end_column, 0, static_cast<std::int32_t>(data_view_.line_text(block.end_line).size()));
    view_.caret_line = block.start_line;
    view_.caret_column = start_column;
    const std::int32_t from = start_line + start_column;
    const std::int32_t to = end_line + end_column;
    remove_bytes(from, to - from);
    if (start_column == 0 && start_line < store_.text_length() && store_.char_at(start_line) == '\r')
        insert_bytes(start_line, placeholder);
    store_.reindex();
    store_.sort_pending = true;
    store_.invalidate_current_entry();
    port_.modal_flag = false;
    if (keep_caret) return;
    data_view_.paint(DataViewPaintMode::full);
    if (block.start_line == 0) port_.frame.repaint(ViewId::overview);
}

namespace {

// Where a text position ends up once `block` is cut out of the text: before
// the block it stays, inside it goes to the block's start, behind it moves
// up by the lines the block spanned, and on the block's last line also left
// onto the block's first line.
TextPosition after_removal(TextPosition p, const TextBlock& block) {
    const TextPosition start{block.start_line, block.start_column};
    const TextPosition end{block.end_line, block.end_column};
    const auto before = [](TextPosition a, TextPosition b) {
        return a.line < b.line || (a.line == b.line && a.column < b.column);
    };
    if (before(p, start)) return p;
    if (before(p, end)) return start;
    if (p.line == end.line) return {start.line, start.column + (p.column - end.column)};
    return {p.line - (end.line - start.line), p.column};
}

}  // namespace

void EditEngine::finish_drag_move(bool snapshot_taken) {
    const TextBlock block = view_.text_block;
    if (!block.marked || block.start_line < 0 || block.end_line < 0) return;
    if (!snapshot_taken) store_.take_undo_snapshot();
    const TextPosition caret = after_removal({view_.caret_line, view_.caret_column}, block);
    delete_text_block(true);
    view_.caret_line = caret.line;
    view_.caret_column = caret.column;
    data_view_.paint(DataViewPaintMode::full);
    if (block.start_line == 0) port_.frame.repaint(ViewId::overview);
}

}  // namespace lumo

#include "app/drag_drop.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "app/app.h"
#include "app/keyboard.h"
#include "data/paste.h"
#include "port/ids.h"

namespace lumo {

namespace {

// The header of a DROPFILES block: offset of the list, a point, the
// non-client flag and the wide flag, four bytes each.
constexpr std::size_t dropfiles_header_size = 20;
constexpr std::size_t files_offset_at = 0;
constexpr std::size_t wide_flag_at = 16;

// Edge scrolling of a drag over the data view.
constexpr int vertical_scroll_wait_ms = 50;
constexpr int horizontal_scroll_wait_ms = 2;
constexpr std::int32_t horizontal_edge = 10;
constexpr std::int32_t horizontal_step = 10;

std::uint32_t read_u32(std::string_view block, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(block[at + i])) << (8 * i);
    return value;
}

// Windows-1252 has letters where Latin-1 has control codes 0x80 to 0x9F.
char to_windows_1252(std::uint16_t unit) {
    static constexpr std::array<std::uint16_t, 32> high_controls = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
    };
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
    const auto* hit = std::find(high_controls.begin(), high_controls.end(), unit);
    if (unit != 0 && hit != high_controls.end()) return static_cast<char>(0x80 + (hit - high_controls.begin()));
    return '?';
}

std::string narrow_path_at(std::string_view block, std::size_t at) {
    const std::string_view rest = block.substr(at);
    return std::string(rest.substr(0, rest.find('\0')));
}

std::string wide_path_at(std::string_view block, std::size_t at) {
    std::string path;
    for (std::size_t i = at; i + 1 < block.size(); i += 2) {
        const auto unit = static_cast<std::uint16_t>(static_cast<unsigned char>(block[i]) |
                                                     static_cast<unsigned char>(block[i + 1]) << 8);
        if (unit == 0) break;
        path.push_back(to_windows_1252(unit));
    }
    return path;
}

bool before(TextPosition a, TextPosition b) { return a.line < b.line || (a.line == b.line && a.column < b.column); }

}  // namespace

void DragState::begin(DragSource from, std::string text) {
    source = from;
    buffer = std::move(text);
    inserted_by_target = false;
}

void DragState::end() {
    source = DragSource::none;
    buffer.clear();
    shown_drop_position.reset();
}

DropEffect drop_effect(DragKeys keys, DragSource source, bool file_drop) {
    if (file_drop || keys.ctrl) return DropEffect::copy;
    if (keys.shift) return DropEffect::move;
    return source == DragSource::data_view ? DropEffect::move : DropEffect::copy;
}

std::optional<std::string> first_dropped_path(std::string_view block) {
    if (block.size() < dropfiles_header_size) return std::nullopt;
    const std::uint32_t at = read_u32(block, files_offset_at);
    if (at < dropfiles_header_size || at >= block.size()) return std::nullopt;
    const bool wide = read_u32(block, wide_flag_at) != 0;
    return wide ? wide_path_at(block, at) : narrow_path_at(block, at);
}

std::string file_link(std::string_view path) {
    std::string link;
    link.reserve(path.size() + 2);
    link.push_back('"');
    for (char c : path) link.push_back(static_cast<unsigned char>(c) < 32 ? ' ' : c);
    link.push_back('"');
    return link;
}

// ---- Drag starts ---------------------------------------------------------------------

bool begin_drag_text(App& app) {
    if (!app.views.text_block.marked) return false;
    app.drag.begin(DragSource::data_view, std::string(app.data_view.block_text()));
    return app.drag.own_drag_running();
}

void end_drag_text(App& app, bool dropped, DropEffect effect) {
    if (dropped && effect == DropEffect::move) app.edit_engine.finish_drag_move(app.drag.inserted_by_target);
    app.drag.end();
}

bool begin_drag_entries(App& app) {
    if (!app.views.entry_range.marked) return false;
    app.drag.begin(DragSource::overview, std::string(Overview(app.store, app.overview_state).marked_entries_text()));
    return app.drag.own_drag_running();
}

void end_drag_entries(App& app, bool dropped, DropEffect effect) {
    if (dropped && effect == DropEffect::move) {
        if (!app.drag.inserted_by_target) app.store.take_undo_snapshot();
        // The last entries gone: a new, empty store.
        if (Overview(app.store, app.overview_state).delete_marked_entries()) app.files.new_store();
    }
    app.drag.end();
}

// ---- DropTarget -------------------------------------------------------------------------

std::optional<DropEffect> DropTarget::enter(bool offers_text, bool offers_files, DragKeys keys) {
    DragState& drag = app_.drag;
    if (offers_text) {
        drag.file_drop = false;
        return effect(keys);
    }
    if (offers_files) {
        drag.file_drop = true;
        return DropEffect::copy;
    }
    return std::nullopt;
}

DropEffect DropTarget::effect(DragKeys keys) const { return drop_effect(keys, app_.drag.source, app_.drag.file_drop); }

DragOverStep DropTarget::over(std::int32_t x, std::int32_t y) {
    DataView& dv = app_.data_view;
    ViewState& views = app_.views;
    DragOverStep step;
    const TextPosition line_only = dv.locate_caret(0, y);
    const std::int32_t line = line_only.line;
    const std::int32_t v = dv.visible_rows();
    const std::int32_t last_shown = views.first_scrolled_line + v - 2;
    if (line > last_shown && last_shown < app_.store.line_count()) {
        step.vertical_wait_ms = vertical_scroll_wait_ms;
        ++views.first_scrolled_line;
    } else if (line == 0 && views.first_scrolled_line > 0) {
        step.vertical_wait_ms = vertical_scroll_wait_ms;
        --views.first_scrolled_line;
    }
    step.position = {line, dv.column_at(line, x)};
    DragState& drag = app_.drag;
    drag.drop_position = step.position;
    step.position_moved = drag.shown_drop_position != step.position;
    if (step.position_moved) drag.shown_drop_position = step.position;

    const std::int32_t offset = views.data_view_horizontal_offset;
    const std::int32_t caret_x = dv.width_before(line, step.position.column) - offset;
    std::int32_t wanted = offset;
    if (caret_x < horizontal_edge) wanted = std::max(0, offset - horizontal_step);
    else if (caret_x > app_.data_view_state.geometry.client_width - horizontal_edge)
        wanted = std::min(app_.data_view_state.geometry.max_horizontal_offset(), offset + horizontal_step);
    if (wanted != offset) {
        views.data_view_horizontal_offset = wanted;
        step.horizontal_wait_ms = horizontal_scroll_wait_ms;
    }
    return step;
}

void DropTarget::leave() { app_.drag.shown_drop_position.reset(); }

bool DropTarget::drop_inside_dragged_block() const {
    return app_.drag.own_drag_running() && app_.drag.source == DragSource::data_view &&
           app_.data_view.position_in_block(app_.drag.drop_position);
}

bool DropTarget::drop_into_dragged_entries() const {
    const DragState& drag = app_.drag;
    const EntryRange& range = app_.views.entry_range;
    const Store& store = app_.store;
    const std::int32_t count = store.entry_count();
    if (!drag.own_drag_running() || drag.source != DragSource::overview || !range.marked || count <= 0) return false;
    const std::int32_t first = std::clamp(range.first, 0, count - 1);
    const std::int32_t last = std::clamp(range.last, first, count - 1);
    const std::int32_t shown = app_.views.selected_entry_start;
    return store.entry_start(first) <= shown && shown < store.entry_start(last + 1);
}

bool DropTarget::drop_before_block() const {
    const TextBlock& b = app_.views.text_block;
    return b.marked && before(app_.drag.drop_position, {b.start_line, b.start_column});
}

DropEffect DropTarget::drop_text(std::string_view text, DragKeys keys) {
    DragState& drag = app_.drag;
    drag.shown_drop_position.reset();
    if (drop_inside_dragged_block()) return DropEffect::none;
    const DropEffect result = effect(keys);
    if (result == DropEffect::move && drop_into_dragged_entries()) return DropEffect::none;
    prepare_insertion();
    // Only the data view's own block may go: a drag from the overview never
    // takes a block of the data view with it.
    const bool own_block = drag.own_drag_running() && drag.source == DragSource::data_view;
    if (result == DropEffect::move && own_block && drop_before_block()) {
        app_.edit_engine.delete_text_block(true);
        app_.views.caret_line = drag.drop_position.line;
        app_.views.caret_column = drag.drop_position.column;
        TextBlock& b = app_.views.text_block;
        b.start_line = b.start_column = b.end_line = b.end_column = -1;
    }
    activate_data_view();
    insert_text_at_caret(app_.store, app_.views, text);
    // The caret steps of finish() drop a marked block; the drag start still
    // needs the dragged one to remove it after a move behind it. After a
    // copy it stays unmarked: text inserted before it has shifted it.
    const TextBlock dragged = app_.views.text_block;
    finish();
    if (own_block && result == DropEffect::move) app_.views.text_block = dragged;
    if (drag.own_drag_running()) drag.inserted_by_target = true;
    return result;
}

DropEffect DropTarget::drop_nothing(DragKeys keys) {
    app_.drag.shown_drop_position.reset();
    finish();
    return effect(keys);
}

DropEffect DropTarget::drop_file(std::string_view path) {
    app_.drag.shown_drop_position.reset();
    prepare_insertion();
    activate_data_view();
    insert_text_at_caret(app_.store, app_.views, file_link(path));
    finish();
    return DropEffect::copy;
}

void DropTarget::prepare_insertion() {
    app_.store.take_undo_snapshot();
    app_.data_view.ensure_lines();
    app_.views.caret_line = app_.drag.drop_position.line;
    app_.views.caret_column = app_.drag.drop_position.column;
}

void DropTarget::activate_data_view() { switch_to_data_view(app_); }

void DropTarget::finish() {
    Store& store = app_.store;
    store.reindex();
    store.sort_pending = true;
    store.invalidate_current_entry();
    app_.port().frame.repaint(ViewId::overview);
    app_.port().frame.repaint(ViewId::data_view);
    // One step left and back brings the caret and the horizontal scrolling
    // into line; held modifiers must not turn them into word jumps.
    app_.automatic_caret_step = true;
    on_key_down(app_, vk::left);
    on_key_down(app_, vk::right);
    app_.automatic_caret_step = false;
}

}  // namespace lumo

#include "app/keyboard.h"

#include "app/app.h"
#include "data/sort.h"
#include "port/ids.h"
#include "views/data_view.h"
#include "views/edit_engine.h"
#include "views/overview.h"

namespace lumo {

namespace {

bool held(App& app, int key) { return app.port().system.key_down(key); }

bool overview_active(const App& app) { return app.views.active_view == ActiveView::overview; }
bool data_view_active(const App& app) { return app.views.active_view == ActiveView::data_view; }

Overview overview_of(App& app) { return Overview(app.store, app.overview_state); }

// The last entry went: the store starts again with one blank entry.
void renew_if_emptied(App& app) {
    if (!app.store.store_released() && app.store.text_length() == 0) app.files.new_store();
}

void repaint_caption_strips(App& app) {
    app.port().frame.repaint(ViewId::overview);
    app.port().frame.repaint(ViewId::data_view);
}

// ---- Data view ----------------------------------------------------------------------

bool caret_before_anchor(const ViewState& v) {
    const TextBlock& b = v.text_block;
    return v.caret_line < b.anchor_line || (v.caret_line == b.anchor_line && v.caret_column <= b.anchor_column);
}

// Before a movement: Shift starts a block at the caret; no Shift drops one.
void block_rule_before(App& app, bool shift) {
    ViewState& v = app.views;
    TextBlock& b = v.text_block;
    if (shift) {
        if (!b.marked) {
            app.data_view.mark_block({v.caret_line, v.caret_column}, {v.caret_line, v.caret_column});
            b.anchor_line = v.caret_line;
            b.anchor_column = v.caret_column;
        } else if (b.anchor_line < 0) {
            // A block marked without an anchor grows from its start.
            b.anchor_line = b.start_line;
            b.anchor_column = b.start_column;
        }
        return;
    }
    if (b.marked) {
        app.data_view.clear_block();
        app.data_view.paint(DataViewPaintMode::full);
    }
    b.anchor_line = b.anchor_column = -1;
}

// After a movement with Shift: the block runs between anchor and caret, and
// an empty one is dropped again.
void block_rule_after(App& app, bool shift) {
    if (!shift) return;
    ViewState& v = app.views;
    TextBlock& b = v.text_block;
    const TextPosition caret{v.caret_line, v.caret_column};
    const TextPosition anchor{b.anchor_line, b.anchor_column};
    if (caret == anchor) {
        app.data_view.clear_block();
        return;
    }
    if (caret_before_anchor(v)) {
        app.data_view.mark_block(caret, anchor);
    } else {
        app.data_view.mark_block(anchor, caret);
    }
    // The block keeps its anchor where the marking began.
    b.anchor_line = anchor.line;
    b.anchor_column = anchor.column;
}

void move_caret(App& app, int key, bool ctrl) {
    DataView& dv = app.data_view;
    switch (key) {
    case vk::up: dv.caret_up(); break;
    case vk::down: dv.caret_down(); break;
    case vk::prior: dv.caret_page_up(); break;
    case vk::next: dv.caret_page_down(); break;
    case vk::home: ctrl ? dv.caret_first() : dv.caret_home(); break;
    case vk::end: ctrl ? dv.caret_last() : dv.caret_end(); break;
    case vk::left: ctrl ? dv.caret_word_left() : dv.caret_left(); break;
    case vk::right: ctrl ? dv.caret_word_right() : dv.caret_right(); break;
    default: break;
    }
}

void data_view_movement(App& app, int key) {
    const bool shift = held(app, vk::shift);
    const bool ctrl = held(app, vk::control) && !app.automatic_caret_step;
    DataView& dv = app.data_view;
    dv.ensure_lines();
    dv.make_room();
    block_rule_before(app, shift);
    move_caret(app, key, ctrl);
    block_rule_after(app, shift);
    dv.keep_cursor_visible();
    dv.paint(DataViewPaintMode::full);
}

// Delete (code 1) and Backspace (code 2) in the data view.
void data_view_delete(App& app, int code) {
    app.store.take_undo_snapshot();
    if (!app.views.text_block.marked) {
        edit_engine(app, code);
        return;
    }
    app.edit_engine.delete_text_block(false);
    if (app.data_view.keep_cursor_visible()) app.data_view.paint(DataViewPaintMode::full);
}

void data_view_enter(App& app) {
    app.store.take_undo_snapshot();
    if (app.views.text_block.marked) app.edit_engine.delete_text_block(false);
    edit_engine(app, edit_code::enter);
}

void data_view_key(App& app, int key) {
    switch (key) {
    case vk::up:
    case vk::down:
    case vk::prior:
    case vk::next:
    case vk::home:
    case vk::end:
    case vk::left:
    case vk::right: data_view_movement(app, key); break;
    case vk::back: data_view_delete(app, edit_code::backspace); break;
    case vk::del: data_view_delete(app, edit_code::delete_key); break;
    case vk::enter: data_view_enter(app); break;
    case vk::tab:
    case vk::escape: switch_to_overview(app); break;
    default: break;
    }
}

// ---- Overview -----------------------------------------------------------------------

// Delete (code 1) and Backspace (code 2) in the overview: shorten a
// type-ahead, else remove the marked entries or the selected one after
// asking.
void overview_delete(App& app, int code) {
    Overview ov = overview_of(app);
    if (app.overview_state.type_ahead.in_progress()) {
        edit_engine(app, code);
        return;
    }
    app.store.take_undo_snapshot();
    if (app.views.entry_range.marked) {
        if (!ask_yes_no(app.port(), text_really_delete_entries)) return;
        ov.delete_marked_entries();
        renew_if_emptied(app);
        return;
    }
    if (ask_yes_no(app.port(), text_really_delete_entry)) edit_engine(app, code);
}

void overview_key(App& app, int key) {
    Overview ov = overview_of(app);
    const bool shift = held(app, vk::shift);
    const bool ctrl = held(app, vk::control);
    switch (key) {
    case vk::up: ov.line_up(shift); break;
    case vk::down: ov.line_down(shift); break;
    case vk::prior: ov.page_up(shift); break;
    case vk::next: ov.page_down(shift); break;
    case vk::home: ctrl ? ov.go_first(shift) : ov.scroll_to_start(true); break;
    case vk::end: ctrl ? ov.go_last(shift) : ov.scroll_to_end(true); break;
    case vk::left: shift ? ov.scroll_to_start(false) : ov.scroll_left(); break;
    case vk::right: shift ? ov.scroll_to_end(false) : ov.scroll_right(); break;
    case vk::back: overview_delete(app, edit_code::backspace); break;
    case vk::del: overview_delete(app, edit_code::delete_key); break;
    case vk::enter:
    case vk::tab: switch_to_data_view(app); break;
    case vk::escape: ov.leave_type_ahead(); break;
    default: break;
    }
}

}  // namespace

int edit_engine(App& app, int code) {
    int result = 0;
    if (overview_active(app) && code != edit_code::enter) {
        result = overview_of(app).type_ahead(code);
    } else if (code != edit_code::end_type_ahead) {
        result = app.edit_engine.edit(code);
    }
    renew_if_emptied(app);
    return result;
}

void on_key_down(App& app, int key) {
    if (app.port().modal_flag) return;
    if (key == vk::insert) {
        overview_of(app).leave_type_ahead();
        app.store.insert_empty_entry();
        return;
    }
    if (overview_active(app)) {
        overview_key(app, key);
    } else if (data_view_active(app)) {
        data_view_key(app, key);
    }
}

void on_char(App& app, int code) {
    if (app.port().modal_flag || code < 32 || code > 255) return;
    if (!overview_active(app) && !data_view_active(app)) return;
    if (data_view_active(app)) app.store.take_undo_snapshot();
    if (app.views.text_block.marked) {
        if (data_view_active(app)) {
            app.edit_engine.delete_text_block(false);
        } else {
            // A typed search drops the data view's block.
            app.data_view.clear_block();
            app.data_view.paint(DataViewPaintMode::full);
        }
    }
    edit_engine(app, code);
}

void on_mouse_wheel(App& app, int delta) {
    if (app.port().modal_flag || delta == 0) return;
    if (overview_active(app)) {
        on_key_down(app, delta > 0 ? vk::up : vk::down);
        return;
    }
    if (!data_view_active(app)) return;
    DataView& dv = app.data_view;
    dv.ensure_lines();
    const ScrollCode code = delta > 0 ? ScrollCode::line_up : ScrollCode::line_down;
    for (int notch = 0; notch < 3; ++notch) {
        if (dv.scroll_vertical(code, 0)) dv.paint(DataViewPaintMode::full);
    }
}

void switch_to_data_view(App& app) {
    overview_of(app).leave_type_ahead();
    app.views.active_view = ActiveView::data_view;
    app.port().frame.enable_command(CMD_PASTE, true);
    app.port().frame.bring_to_top(ViewId::data_view);
    repaint_caption_strips(app);
}

void switch_to_overview(App& app) {
    app.views.active_view = ActiveView::overview;
    app.port().frame.enable_command(CMD_PASTE, false);
    app.port().frame.bring_to_top(ViewId::overview);
    if (app.store.sort_pending) sort(app.store);
    repaint_caption_strips(app);
}

void rotate_views(App& app) {
    if (overview_active(app)) {
        switch_to_data_view(app);
    } else if (data_view_active(app)) {
        switch_to_overview(app);
    }
}

}  // namespace lumo

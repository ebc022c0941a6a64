#include "app/commands.h"

#include <string>

#include "app/address_field.h"
#include "app/app.h"
#include "app/contact_commands.h"
#include "app/keyboard.h"
#include "data/paste.h"
#include "data/sort.h"
#include "port/ids.h"
#include "settings/configuration.h"
#include "views/overview.h"

namespace lumo {

namespace {

bool overview_active(const App& app) { return app.views.active_view == ActiveView::overview; }
bool data_view_active(const App& app) { return app.views.active_view == ActiveView::data_view; }

// The marked text of the active view: the data view's block or the
// overview's entries; empty when the active view has no mark.
std::string marked_text(App& app) {
    if (data_view_active(app) && app.views.text_block.marked) {
        app.data_view.ensure_lines();
        return std::string(app.data_view.block_text());
    }
    if (overview_active(app) && app.views.entry_range.marked)
        return std::string(Overview(app.store, app.overview_state).marked_entries_text());
    return {};
}

// The last entry went: the store starts again with one blank entry.
void renew_if_emptied(App& app) {
    if (!app.store.store_released() && app.store.text_length() == 0) app.files.new_store();
}

void mark_whole_entry(App& app) {
    DataView& view = app.data_view;
    view.ensure_lines();
    const std::int32_t last = std::max(app.store.line_count() - 1, 0);
    view.mark_block({0, 0}, {last, static_cast<std::int32_t>(view.line_text(last).size())});
    app.port().frame.repaint(ViewId::data_view);
}

void mark_all_entries(App& app) {
    Overview overview(app.store, app.overview_state);
    const std::int32_t count = app.store.entry_count();
    overview.mark_entries(0, count - 1);
    app.views.entry_range.anchor = count - 1;
    app.views.reset_positions();
    app.store.invalidate_current_entry();
    app.port().frame.repaint(ViewId::overview);
    app.port().frame.repaint(ViewId::data_view);
}

}  // namespace

bool run_state_command(App& app, int id) {
    switch (id) {
    case CMD_UNDO: undo_command(app); return true;
    case CMD_DATA_CHECK: data_check_command(app); return true;
    case CMD_COPY: copy_command(app); return true;
    case CMD_CUT: cut_command(app); return true;
    case CMD_PASTE: paste_command(app); return true;
    case CMD_SELECT_ALL: select_all_command(app); return true;
    case CMD_ADDRESS_FIELD: address_field_command(app); return true;
    case CMD_SAVE_CONFIGURATION: save_configuration_command(app); return true;
    case CMD_IMPORT: import_contacts_command(app); return true;
    case CMD_EXPORT: export_contacts_command(app); return true;
    case CMD_NEW_ENTRY: app.store.insert_empty_entry(); return true;
    case CMD_ROTATE: rotate_views(app); return true;
    default: return false;
    }
}

void undo_command(App& app) { app.store.swap_undo_snapshot(); }

void data_check_command(App& app) {
    app.store.take_undo_snapshot();
    data_check(app.store);
}

void copy_command(App& app) {
    const std::string text = marked_text(app);
    if (!text.empty()) app.port().clipboard.set_text(text);
}

void cut_command(App& app) {
    const bool block = data_view_active(app) && app.views.text_block.marked;
    const bool range = overview_active(app) && app.views.entry_range.marked;
    if (!block && !range) return;
    copy_command(app);
    app.store.take_undo_snapshot();
    if (block) {
        app.edit_engine.delete_text_block(false);
        return;
    }
    if (Overview(app.store, app.overview_state).delete_marked_entries()) renew_if_emptied(app);
}

void paste_command(App& app) {
    if (!data_view_active(app)) return;
    app.store.take_undo_snapshot();
    if (app.views.text_block.marked) app.edit_engine.delete_text_block(false);
    app.data_view.ensure_lines();
    const std::optional<std::string> text = app.port().clipboard.get_text();
    insert_text_at_caret(app.store, app.views, text.value_or(std::string{}));
    // One step left and back brings caret and display up to date; Ctrl
    // (still down from Ctrl+V) must not turn them into word jumps.
    app.automatic_caret_step = true;
    on_key_down(app, vk::left);
    on_key_down(app, vk::right);
    app.automatic_caret_step = false;
}

void select_all_command(App& app) {
    if (data_view_active(app)) mark_whole_entry(app);
    else if (overview_active(app)) mark_all_entries(app);
}

void address_field_command(App& app) {
    const bool range = app.views.entry_range.marked;
    if (range) app.port().modal_flag = true;
    const std::string text = build_address_field(app.store, app.views, app.settings);
    app.port().clipboard.set_text(text);
    if (range) app.port().modal_flag = false;
}

void save_configuration_command(App& app) {
    if (app.paths.configuration_file.empty()) return;
    set_text(app.settings.file_name, app.file.name());
    save_configuration(app.settings, app.paths.configuration_file, app.port().files);
}

}  // namespace lumo

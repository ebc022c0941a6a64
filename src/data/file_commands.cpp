// The File menu's commands around reading and writing address files.
#include "data/file_commands.h"

#include <algorithm>
#include <cstring>

#include "data/address_file.h"
#include "data/sort.h"
#include "data/window_title.h"
#include "port/ids.h"
#include "port/safe_write.h"
#include "settings/recent_files.h"

namespace lumo {

namespace {

constexpr char folder_offset = 0x40;  // drive letter <-> remembered-folder byte

struct DialogKind {
    FileDialogRequest::Kind kind;
    std::string_view title;
    std::string_view description;
    std::string_view pattern;
    std::uint32_t flags;
    std::string_view extension;
};

constexpr std::string_view adr_description = "VORNIX-Lumo-Files (*.ADR)";

DialogKind dialog_kind(FileDialog which) {
    using K = FileDialogRequest::Kind;
    switch (which) {
    case FileDialog::open: return {K::open, "Open VORNIX-Lumo-File", adr_description, "*.adr", ofn::open, "adr"};
    case FileDialog::add: return {K::open, "Add VORNIX-Lumo-File", adr_description, "*.adr", ofn::open, "adr"};
    case FileDialog::save: return {K::save, "Save VORNIX-Lumo-File", adr_description, "*.adr", ofn::save, "adr"};
    case FileDialog::entry_block:
        return {K::save, "Save VORNIX-Lumo-Block", adr_description, "*.adr", ofn::save, "adr"};
    case FileDialog::text_block: return {K::save, "Save Block", "Text-Files (*.TXT)", "*.txt", ofn::save, "txt"};
    }
    return {};
}

bool is_remembered_folder(std::string_view name) {
    return !name.empty() && name.front() >= 1 && name.front() <= 31;
}

bool is_ascii_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

// ---- Pure rules -----------------------------------------------------------

std::string initial_dialog_name(std::string_view remembered, std::string_view current_directory,
                                std::string_view pattern) {
    if (!remembered.empty()) return std::string(remembered);
    std::string name(current_directory);
    if (!name.empty() && name.back() != '\\' && name.back() != '/') name += '\\';
    name += pattern;
    return name;
}

std::string initial_dialog_name(FileDialog which, std::string_view remembered,
                                std::string_view current_directory) {
    return initial_dialog_name(remembered, current_directory, which == FileDialog::text_block ? "*.TXT" : "*.ADR");
}

FileDialogRequest file_dialog_request(FileDialog which, std::string_view remembered,
                                      std::string_view current_directory) {
    const DialogKind k = dialog_kind(which);
    FileDialogRequest request;
    request.kind = k.kind;
    request.title = k.title;
    request.filters = {{std::string(k.description), std::string(k.pattern)}};
    request.flags = k.flags;
    request.default_extension = k.extension;
    request.initial_name = initial_dialog_name(which, remembered, current_directory);
    return request;
}

void keep_folder_only(FileState& file) {
    char& first = file.file_name[0];
    const bool has_drive = file.file_name[1] == ':';
    if (has_drive && is_ascii_letter(first)) {
        // Upper-case first: a lower-case letter minus 0x40 would not land in
        // the remembered-folder range and would read as a path.
        if (first >= 'a') first = static_cast<char>(first - ('a' - 'A'));
        first = static_cast<char>(first - folder_offset);
    } else if (!(has_drive && is_remembered_folder(file.name()))) {
        file.clear_name();
    }
}

void forget_book_name(FileState& file) {
    std::string folder(file.name());
    const std::size_t cut = folder.find_last_of("\\/");
    folder.erase(cut == std::string::npos ? 0 : cut + 1);
    file.set_name(folder.empty() ? std::string() : folder + "*.ADR");
}

std::string dialog_name_of(std::string_view file_name) {
    std::string name(file_name);
    if (is_remembered_folder(name)) name[0] = static_cast<char>(name[0] + folder_offset);
    return name;
}

std::string renumber_recent_label(std::string_view label, int slot) {
    std::string renumbered(label);
    if (renumbered.empty() || renumbered.front() == ' ') return renumbered;
    const char digit = static_cast<char>('0' + slot);
    const std::size_t amp = renumbered.find('&');
    if (amp != std::string::npos && amp + 1 < renumbered.size()) renumbered[amp + 1] = digit;
    renumbered.back() = digit;
    return renumbered;
}

void push_recent_file(Settings& settings, Frame& frame, std::string_view path) {
    auto& slots = settings.recent_files;
    const std::string_view stored = path.substr(0, std::min(path.size(), file_name_size - 1));
    for (const FileName& slot : slots)
        if (text_of(slot) == stored) return;
    // Every slot moves down with its label, so slot and label never part.
    for (int k = static_cast<int>(slots.size()) - 2; k >= 0; --k) {
        const std::string label = frame.menu_label(CMD_RECENT_FIRST + k);
        frame.set_menu_label(CMD_RECENT_FIRST + k + 1, renumber_recent_label(label, k + 1));
        slots[static_cast<std::size_t>(k) + 1] = slots[static_cast<std::size_t>(k)];
    }
    set_text(slots[0], stored);
    frame.set_menu_label(CMD_RECENT_FIRST, recent_file_label(0, stored));
}

// ---- Commands -----------------------------------------------------------------

FileCommands::FileCommands(Store& store, FileState& file, Settings& settings, Port& port)
    : store_(store), file_(file), settings_(settings), port_(port) {}

void FileCommands::new_file() {
    store_.discard_undo_snapshot();
    file_.file_password.clear();
    new_store();
}

void FileCommands::new_store() {
    store_.release_store();
    keep_folder_only(file_);
    sync_file_name();
    show_title();
    reset_positions_and_marks();
    if (!store_.reset_store()) return;
    store_.replace_text(0, 0, empty_entry);
    store_.reindex();
    store_.invalidate_current_entry();

    ViewState& views = store_.view();
    views.active_view = ActiveView::overview;
    if (end_type_ahead) end_type_ahead();
    views.active_view = ActiveView::data_view;
    port_.frame.enable_command(CMD_PASTE, true);
    port_.frame.bring_to_top(ViewId::data_view);

    store_.modified = false;
    store_.set_modified_marker(false);
    port_.frame.repaint(ViewId::overview);
    port_.frame.repaint(ViewId::data_view);
}

void FileCommands::open() {
    ask_to_save_if_modified();
    // The open file's password goes with it, but only once another file has
    // really taken its place: until then a save must still protect it.
    const std::string old_password = std::move(file_.file_password);
    file_.file_password.clear();
    const std::optional<std::string> path = choose(FileDialog::open, dialog_name_of(file_.name()));
    if (!path || !replace_with_file(*path, old_password)) {
        file_.file_password = old_password;
        return;
    }
    store_.discard_undo_snapshot();
    push_recent_file(settings_, port_.frame, *path);
    reset_positions_and_marks();
    finish_load();
}

void FileCommands::open_recent(int slot) {
    ask_to_save_if_modified();
    if (slot < 0 || slot >= static_cast<int>(settings_.recent_files.size())) return;
    const std::string path(text_of(settings_.recent_files[static_cast<std::size_t>(slot)]));
    if (path.empty()) return;
    const std::string old_password = std::move(file_.file_password);
    file_.file_password.clear();
    if (!replace_with_file(path, old_password)) {
        file_.file_password = old_password;
        return;
    }
    // Marks of the previous file would point into entries that are gone.
    reset_positions_and_marks();
    finish_load();
}

void FileCommands::add() {
    store_.take_undo_snapshot();
    if (const std::optional<std::string> path = choose(FileDialog::add, add_name_)) {
        add_name_ = *path;
        read_address_file(store_, file_, *path, 1, hooks());
        show_added_entries();
    }
    ask_for_data_check();
}

void FileCommands::show_added_entries() {
    store_.invalidate_current_entry();
    if (end_type_ahead) end_type_ahead();
    store_.view().active_view = ActiveView::overview;
    port_.frame.enable_command(CMD_PASTE, false);
    port_.frame.bring_to_top(ViewId::overview);
    sort(store_);
    reset_positions_and_marks();
    port_.frame.repaint(ViewId::overview);
    port_.frame.repaint(ViewId::data_view);
}

void FileCommands::ask_for_data_check() {
    if (ask_yes_no(port_, text_data_check_question, box::question | box::topmost)) data_check(store_);
}

void FileCommands::save_command(bool save_as) {
    const ViewState& views = store_.view();
    const bool text_block = views.text_block.marked && views.active_view == ActiveView::data_view;
    const bool entry_range = views.entry_range.marked && views.active_view == ActiveView::overview;
    if (text_block || entry_range) {
        BlockChoice choice;
        {
            ModalScope modal(port_);
            choice = port_.prompts.ask_block_or_all();
        }
        if (choice == BlockChoice::block) save_block(text_block ? 1 : 0);
        if (choice != BlockChoice::all) return;
    }
    save(save_as);
}

int FileCommands::save(bool ask_for_name) {
    if (closing_ || store_.store_released()) return 0;
    if (store_.sort_pending) sort(store_);
    std::string path(file_.name());
    bool show_dialog = ask_for_name;
    if (path.empty() || is_remembered_folder(path)) {
        path = dialog_name_of(path);
        show_dialog = true;
    }
    if (show_dialog) {
        const std::optional<std::string> chosen = choose(FileDialog::save, path);
        if (!chosen) return 0;
        path = *chosen;
    }
    write_address_file(store_, file_, path, hooks());
    // The name is kept even when the write failed: `modified` stays set, so
    // nothing is lost, and the next save tries the same file again.
    file_.set_name(path);
    sync_file_name();
    show_title();
    return 1;
}

void FileCommands::save_block(int kind) {
    const std::optional<std::string> bytes = block_bytes(kind);
    if (!bytes) return;
    std::string& remembered = kind == 1 ? text_block_name_ : entry_block_name_;
    const std::optional<std::string> path =
        choose(kind == 1 ? FileDialog::text_block : FileDialog::entry_block, remembered);
    if (!path) return;
    const std::optional<std::uint64_t> free_bytes = port_.system.free_disk_bytes(*path);
    if (free_bytes && bytes->size() >= *free_bytes)
        show_error(port_, disk_full_text(*path));
    else if (!write_block(*path, *bytes))
        show_error(port_, text_cannot_save);
    remembered = *path;
}

bool FileCommands::end_of_program() {
    if (!store_.modified || store_.store_released()) return true;
    if (!settings_.save_data_automatically && !ask_yes_no(port_, text_save_now)) return true;
    save(false);
    return !store_.modified;
}

bool FileCommands::start() {
    add_name_.clear();
    text_block_name_.clear();
    entry_block_name_.clear();
    if (!store_.reset_store()) return false;
    const std::string last(file_.name());
    if (names_a_file(last)) {
        read_address_file(store_, file_, last, 0, hooks());
        sort(store_);
        store_.view().top_entry = 0;
        store_.view().cursor_row = 0;
        sync_file_name();
    } else {
        new_store();
    }
    return true;
}

// ---- Helpers ------------------------------------------------------------------

FileHooks FileCommands::hooks() {
    FileHooks h;
    h.new_store = [this] {
        forget_book_name(file_);
        new_store();
    };
    h.set_window_title = [this] { show_title(); };
    h.after_write = [this] { store_.discard_undo_snapshot(); };
    return h;
}


void FileCommands::ask_to_save_if_modified() {
    if (store_.modified && !store_.store_released() && ask_yes_no(port_, text_save_now)) save(false);
}

std::optional<std::string> FileCommands::choose(FileDialog which, std::string_view remembered) {
    const std::optional<FileDialogAnswer> answer =
        choose_files(port_, file_dialog_request(which, remembered, port_.system.current_directory()));
    if (!answer) return std::nullopt;
    return answer->paths.front();
}

void FileCommands::show_title() { set_window_title(store_, file_); }

void FileCommands::sync_file_name() { set_text(settings_.file_name, file_.name()); }

void FileCommands::reset_positions_and_marks() {
    ViewState& views = store_.view();
    const ActiveView active = views.active_view;
    views = ViewState{};
    views.active_view = active;
    port_.frame.enable_command(CMD_COPY, false);
    port_.frame.enable_command(CMD_CUT, false);
}

bool FileCommands::replace_with_file(const std::string& path, const std::string& old_password) {
    const std::array<char, file_name_bytes> old_name = file_.file_name;
    const bool was_modified = store_.modified;
    file_.set_name(path);
    show_title();
    const ReadResult result = read_address_file(store_, file_, path, 0, hooks());
    if (result.status == ReadStatus::read || result.status == ReadStatus::wrong_password) {
        sync_file_name();
        return true;
    }
    // Nothing was read: the entries in the store are still those of the old
    // file, so they keep its name, password and state. Saving them under the
    // new name would overwrite the other file.
    file_.file_name = old_name;
    file_.file_password = old_password;
    store_.modified = was_modified;
    store_.window_title_text()[0] = was_modified ? '*' : ' ';
    show_title();
    return false;
}

void FileCommands::finish_load() {
    store_.invalidate_current_entry();
    store_.view().active_view = ActiveView::overview;
    if (end_type_ahead) end_type_ahead();
    port_.frame.enable_command(CMD_PASTE, false);
    port_.frame.bring_to_top(ViewId::overview);
    sort(store_);
    store_.modified = false;
    store_.set_modified_marker(false);
    if (port_.frame.main_window_exists()) port_.frame.set_status_text(store_.entries_status_text());
    port_.frame.repaint(ViewId::overview);
    port_.frame.repaint(ViewId::data_view);
}

std::optional<std::string> FileCommands::block_bytes(int kind) {
    if (store_.store_released()) return std::nullopt;
    const ViewState& views = store_.view();
    if (kind == 1) {
        const TextBlock& block = views.text_block;
        if (!block.marked || store_.current_entry() < 0) return std::nullopt;
        const std::int32_t first_line = store_.line_start(block.start_line);
        const std::int32_t last_line = store_.line_start(block.end_line);
        if (first_line < 0 || last_line < 0) return std::nullopt;
        const std::int64_t from = std::int64_t{first_line} + block.start_column;
        const std::int64_t to = std::int64_t{last_line} + block.end_column;
        if (from < 0 || to < from || to > store_.text_length()) return std::nullopt;
        return std::string(store_.text_range(static_cast<std::int32_t>(from), static_cast<std::int32_t>(to)));
    }
    const EntryRange& range = views.entry_range;
    const std::int32_t first = std::min(range.first, range.last);
    const std::int32_t last = std::max(range.first, range.last);
    if (!range.marked || first < 0 || last >= store_.entry_count()) return std::nullopt;
    const std::int32_t from = store_.entry_start(first);
    const std::int32_t to = store_.entry_start(last + 1);
    std::string bytes(store_.text_range(from, to));
    to_oem(bytes.data(), bytes.size());
    return bytes;
}

bool FileCommands::write_block(const std::string& path, const std::string& bytes) {
    return write_file_safely(port_.files, path, bytes) == WriteStep::done;
}

}  // namespace lumo

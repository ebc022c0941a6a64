// The File menu: New, Open, the recent files, Add, Save, Save as, saving a
// marked block, and the save question when the program ends. Reading and
// writing the file itself is address_file.h; this is what the commands do
// around it (questions, dialogs, names, the recent list, the views).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "data/address_file.h"
#include "data/file_state.h"
#include "data/store.h"
#include "port/port.h"
#include "settings/settings.h"

namespace lumo {

inline constexpr std::string_view text_save_now = "Save Data now?";
// Asked when the program is to end but its data could not be saved.
inline constexpr std::string_view text_quit_without_saving =
    "The data could not be saved!\nQuit VORNIX-Lumo without saving?";
inline constexpr std::string_view text_data_check_question =
    "Shall VORNIX-Lumo make a\ndata-check now, deleting\ndouble entries?";

// OFN_* flags of the common file dialogs.
namespace ofn {
constexpr std::uint32_t overwrite_prompt = 0x2;
constexpr std::uint32_t path_must_exist = 0x800;
constexpr std::uint32_t file_must_exist = 0x1000;
constexpr std::uint32_t hide_read_only = 0x4;
constexpr std::uint32_t allow_multi_select = 0x200;
constexpr std::uint32_t explorer = 0x80000;
constexpr std::uint32_t open = file_must_exist | path_must_exist | hide_read_only;  // 0x1804
// Every save dialog asks before it lets an existing file be replaced.
constexpr std::uint32_t save = path_must_exist | hide_read_only | overwrite_prompt;  // 0x806
}  // namespace ofn

// The five file dialogs of the program.
enum class FileDialog { open, add, save, entry_block, text_block };

// The name a dialog starts with: `remembered` when it is set, else the
// current directory, a '\' unless it ends in '\' or '/', and `pattern`.
std::string initial_dialog_name(std::string_view remembered, std::string_view current_directory,
                                std::string_view pattern);
// The same for one of the five dialogs: the pattern "*.ADR" ("*.TXT" for the
// text block).
std::string initial_dialog_name(FileDialog which, std::string_view remembered,
                                std::string_view current_directory);

// The whole request for a dialog (title, filter, flags, extension, initial
// name as above).
FileDialogRequest file_dialog_request(FileDialog which, std::string_view remembered,
                                      std::string_view current_directory);

// New's rule for the `file name`: a path with a drive ("C:...") keeps its
// folder as the remembered-folder state (first byte - 0x40); one already in
// that state stays; anything else becomes no name.
void keep_folder_only(FileState& file);

// After a wrong password: the `file name` keeps the book's folder, as
// "<folder>*.ADR", but nothing that names the protected book, so no later
// save offers to write over it. A name without a folder is cleared.
void forget_book_name(FileState& file);

// The name a dialog starts from for a `file name`: the path again for the
// remembered-folder state (first byte + 0x40), the name itself otherwise.
std::string dialog_name_of(std::string_view file_name);

// Makes `path` the newest recent file: when it already is in a slot nothing
// changes; otherwise every slot moves down one (slot 9 is dropped), the
// menu labels move with them and get their new digit, and slot 0 and item
// 40101 take the path. Labels are read and written through `frame`.
void push_recent_file(Settings& settings, Frame& frame, std::string_view path);

// The new label of a recent item that moves to `slot`: the digit behind the
// '&' and the last character become the slot's digit. Labels that are empty
// or begin with a blank are returned unchanged.
std::string renumber_recent_label(std::string_view label, int slot);

class FileCommands {
public:
    // All references outlive the commands (the application object owns them).
    FileCommands(Store& store, FileState& file, Settings& settings, Port& port);

    // Ends a type-ahead search in progress (edit engine code 4); the views
    // install it. Does nothing when none is in progress or it is empty.
    std::function<void()> end_type_ahead;

    // ---- Menu commands --------------------------------------------------
    // 40018: drops the undo snapshot and the password, then new_store. No
    // question: unsaved changes are discarded.
    void new_file();
    // 40015: save question, Open dialog, read, recent list, sort. A file that
    // cannot be read leaves everything as it was.
    void open();
    // 40101 + slot: save question, then the file of that slot (when there is
    // one). The recent list keeps its order.
    void open_recent(int slot);
    // 40019: undo snapshot, Add dialog, append the file, sort, then the
    // data-check question (asked even when the dialog was cancelled).
    void add();
    // 40016 (save_as false) and 40017 (true): the block question when the
    // active view has a mark, then save_block or save.
    void save_command(bool save_as);

    // ---- Operations called from elsewhere ---------------------------------
    // Empties the store to one blank entry and keeps only the folder of the
    // file name (New, start-up without a last file).
    void new_store();
    // Saves the store (sorting it first when pending) under the file name,
    // with the Save dialog when asked for or when there is no name. 1 when a
    // name was chosen or kept (also when writing then failed), 0 when the
    // dialog was cancelled or the program is ending.
    int save(bool ask_for_name);
    // Kind 0 saves the marked entry range as an address file, kind 1 the
    // marked text block as plain text. Never touches `modified` or the name.
    void save_block(int kind);
    // The shut-down's save question: when modified, saves without asking if
    // `save data automatically` is set, else asks "Save Data now?". False
    // when a save was wanted but the data are still unsaved afterwards (the
    // write failed or its dialog was cancelled); true when nothing is left
    // to save or the user chose not to.
    bool end_of_program();

    // What Add does once entries were appended: the overview becomes active
    // and shows them sorted into place, positions and marks start afresh.
    // Import does the same.
    void show_added_entries();
    // Add's closing question "Shall VORNIX-Lumo make a data-check now...";
    // Yes runs the data check.
    void ask_for_data_check();

    // Start-up: clears the remembered names, resets the store (false when
    // that fails: the program must end), then reopens and sorts the last file
    // when the file name names one, else new_store.
    bool start();

    // From now on save does nothing: the store is being released.
    void begin_closing() { closing_ = true; }

    // The remembered names of the other dialogs (empty at every start).
    const std::string& add_name() const { return add_name_; }
    const std::string& text_block_name() const { return text_block_name_; }
    const std::string& entry_block_name() const { return entry_block_name_; }

private:
    FileHooks hooks();
    void ask_to_save_if_modified();
    std::optional<std::string> choose(FileDialog which, std::string_view remembered);
    void show_title();
    void sync_file_name();
    void reset_positions_and_marks();
    bool replace_with_file(const std::string& path, const std::string& old_password);
    void finish_load();
    std::optional<std::string> block_bytes(int kind);
    bool write_block(const std::string& path, const std::string& bytes);

    Store& store_;
    FileState& file_;
    Settings& settings_;
    Port& port_;
    std::string add_name_;
    std::string text_block_name_;
    std::string entry_block_name_;
    bool closing_ = false;
};

}  // namespace lumo

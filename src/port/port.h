// The port: the narrow set of interfaces through which the portable core
// reaches the user and the system. The Win32 shell implements them; unit tests
// implement them with a recording fake (tests/support/fake_port.h).
//
// Every slot states its contract here. Texts are Windows-1252 bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumo {

// Message box styles and answers carry the Win32 values, so the shell passes
// them through unchanged and tests can compare them with the documented styles.
namespace box {
constexpr std::uint32_t ok = 0x0;
constexpr std::uint32_t yes_no = 0x4;
constexpr std::uint32_t icon_hand = 0x10;
constexpr std::uint32_t icon_question = 0x20;
constexpr std::uint32_t icon_information = 0x40;
constexpr std::uint32_t set_foreground = 0x10000;
constexpr std::uint32_t topmost = 0x40000;

// The program's three kinds of boxes.
constexpr std::uint32_t error = icon_hand | set_foreground | topmost;
constexpr std::uint32_t question = yes_no | icon_question | set_foreground;
constexpr std::uint32_t notice = icon_information | set_foreground | topmost;
}  // namespace box

enum class Answer : int { ok = 1, cancel = 2, yes = 6, no = 7 };

inline constexpr std::string_view caption_main = "VORNIX-Lumo:";
inline constexpr std::string_view caption_load = "VORNIX-Lumo (laden):";

// Which password dialog to show.
enum class PasswordPrompt { open_file, add_file };

// One file type a common file dialog offers.
struct FileDialogFilter {
    std::string description;  // "VORNIX-Lumo-Files (*.ADR)"
    std::string pattern;      // "*.adr"
};

// One of the common file dialogs (Open or Save), described as data.
struct FileDialogRequest {
    enum class Kind { open, save };
    Kind kind = Kind::open;
    std::string title;
    std::vector<FileDialogFilter> filters;  // the first one is chosen at the start
    // OFN_* values; with OFN_ALLOWMULTISELECT (and OFN_EXPLORER) an Open
    // dialog lets several files be chosen.
    std::uint32_t flags = 0;
    // Appended when the user types no extension; a Save dialog takes the
    // chosen file type's extension instead when that names one.
    std::string default_extension;   // "adr"
    std::string initial_name;        // what the file name field starts with
};

// What a file dialog answered.
struct FileDialogAnswer {
    std::vector<std::string> paths;  // full paths; only one unless several were allowed
    int filter = 1;                  // the file type chosen at the end, 1 for the first
};

// The answer of the block question (dialog 130).
enum class BlockChoice { block, all, closed };

// A view as the shell knows it, for repaint requests and focus.
enum class ViewId { overview, data_view };

// Message boxes, beeps and modal prompts.
class Prompts {
public:
    virtual ~Prompts() = default;
    // MessageBeep(0).
    virtual void beep() = 0;
    // Shows a modal message box and returns the button pressed. The caller
    // sets the modal flag around it (see show_error and ask below).
    virtual Answer message_box(std::string_view text, std::string_view caption,
                               std::uint32_t style) = 0;
    // Runs a password dialog; returns what was typed (possibly empty) or
    // nothing when it was cancelled.
    virtual std::optional<std::string> ask_password(PasswordPrompt which) = 0;
    // Runs a common file dialog (owner the main window); the chosen files
    // and file type, or nothing when it was cancelled. The caller sets the
    // modal flag (see choose_files below).
    virtual std::optional<FileDialogAnswer> choose_file(const FileDialogRequest& request) = 0;
    // "You have marked a block!\nWhat shall be saved?" (dialog 130).
    virtual BlockChoice ask_block_or_all() = 0;
};

// The main window's frame: title, status bar, menu states, repainting.
class Frame {
public:
    virtual ~Frame() = default;
    // True once the main window exists; before that, title and status
    // changes are only kept in core state.
    virtual bool main_window_exists() const = 0;
    virtual void set_window_title(std::string_view text) = 0;
    // Item 1008 of the status bar.
    virtual void set_status_text(std::string_view text) = 0;
    // Enables or grays a menu command by id.
    virtual void enable_command(int id, bool enabled) = 0;
    virtual void check_command(int id, bool checked) = 0;
    // Invalidates a view so that it repaints from core state.
    virtual void repaint(ViewId view) = 0;
    // Brings a view to the top of the z-order.
    virtual void bring_to_top(ViewId view) = 0;
    // Minimises / restores the main window (around the password prompts).
    virtual void minimize_main_window() = 0;
    virtual void restore_main_window() = 0;
    // Shows a toolbar button pressed or released (BM_SETSTATE).
    virtual void set_toolbar_button_pressed(int id, bool pressed) = 0;
    // Ends the message loop (PostQuitMessage(0)).
    virtual void post_quit() = 0;
    // The text of a menu item by command id ("" when it has none), and
    // replacing it (ModifyMenuA, MF_STRING).
    virtual std::string menu_label(int id) = 0;
    virtual void set_menu_label(int id, std::string_view label) = 0;
};

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Clock and disks.
class System {
public:
    virtual ~System() = default;
    // Free bytes available on the volume that holds the folder of `path`,
    // or nothing when it cannot be determined.
    virtual std::optional<std::uint64_t> free_disk_bytes(std::string_view path) = 0;
    virtual LocalTime local_time() = 0;
    // GetTickCount: milliseconds since start, wrapping.
    virtual std::uint32_t tick_count() = 0;
    // GetCurrentDirectoryA.
    virtual std::string current_directory() = 0;
    // Whether the key with this virtual-key code (Shift, Ctrl, the left
    // mouse button) is held down right now (GetAsyncKeyState).
    virtual bool key_down(int virtual_key) = 0;
};

// The clipboard, plain text only (CF_TEXT).
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Puts `text` on the clipboard (OpenClipboard is tried up to 1000 times);
    // false when the block could not be allocated or the clipboard stayed busy.
    virtual bool set_text(std::string_view text) = 0;
    // The clipboard's text up to its NUL, or nothing when it holds none or
    // stayed busy.
    virtual std::optional<std::string> get_text() = 0;
};

// Text measuring in a view's current font, in pixels.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    // Width of `text` drawn in the view's font.
    virtual int text_width(ViewId view, std::string_view text) = 0;
    // Height of one row (tmHeight + tmExternalLeading of the view's font).
    virtual int line_height(ViewId view) = 0;
    // Width of `text` in the view's font at weight 700 (the data view draws
    // its heading line bold).
    virtual int bold_text_width(ViewId view, std::string_view text) = 0;
};

// A new file being written, made by FileSystem::create_beside. Destroying it
// closes it when that has not been done (without reporting anything); it
// never removes the file: that is its creator's decision.
class NewFile {
public:
    virtual ~NewFile() = default;
    // Where the file was created.
    virtual const std::string& path() const = 0;
    // Appends `bytes`; false unless every byte was taken.
    virtual bool write(std::string_view bytes) = 0;
    // Hands everything written so far to the disk itself (FlushFileBuffers,
    // fsync), so that it survives a crash or a power cut.
    virtual bool flush() = 0;
    // Closes the file; false when that reports an error (the last bytes may
    // then be missing). Nothing may be written afterwards.
    virtual bool close() = 0;
};

// The steps a safe save is made of (see port/safe_write.h, which drives
// them): files are never written in place.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Creates a new, empty file in the folder that holds `path` (which need
    // not exist), under a name that no file there has yet, and opens it for
    // writing; nothing when it cannot be created.
    virtual std::unique_ptr<NewFile> create_beside(std::string_view path) = 0;
    // Puts the closed file `from` in the place of `to` in one step, replacing
    // `to` when it exists: afterwards `to` is either the old file or the whole
    // new one, also after a crash. False when that is refused (the file is
    // read-only, locked, on another volume...); both files are then as they
    // were.
    virtual bool replace(std::string_view from, std::string_view to) = 0;
    // Deletes the file at `path`; false when it could not.
    virtual bool remove(std::string_view path) = 0;
};

// Everything the core reaches the user by, plus the modal flag that is set
// while one of the program's own boxes or dialogs is up (keys are ignored
// then).
struct Port {
    Prompts& prompts;
    Frame& frame;
    System& system;
    Clipboard& clipboard;
    TextMeasure& measure;
    FileSystem& files;
    bool modal_flag = false;
};

// Sets the modal flag for its lifetime and then restores what it was, so
// that keys arriving while a box, dialog or long operation is under way are
// ignored.
class ModalScope {
public:
    explicit ModalScope(Port& port) : port_(port), was_(port.modal_flag) { port_.modal_flag = true; }
    ~ModalScope() { port_.modal_flag = was_; }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    Port& port_;
    bool was_;
};

// MessageBeep(0), then an error box with the modal flag set around it.
void show_error(Port& port, std::string_view text,
                std::string_view caption = caption_main);
// A notice box (information icon), modal flag around it.
void show_notice(Port& port, std::string_view text,
                 std::string_view caption = caption_main);
// A question with the given style, modal flag around it; true on Yes.
bool ask_yes_no(Port& port, std::string_view text,
                std::uint32_t style = box::question,
                std::string_view caption = caption_main);
// A common file dialog, modal flag around it: the answer without empty
// paths, or nothing when it was cancelled or named no file.
std::optional<FileDialogAnswer> choose_files(Port& port, const FileDialogRequest& request);

// The paths in what an Open dialog that allows several files leaves in its
// file buffer, `name_offset` being where it says the (first) file name
// starts: "folder\0name\0name\0\0" for several files (the offset just
// behind the folder's NUL), "path\0" for one. Reads no further than
// `buffer` (nor past its first empty name).
std::vector<std::string> paths_of_chosen_files(std::string_view buffer, std::size_t name_offset);

}  // namespace lumo

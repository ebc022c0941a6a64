// The main window's frame as arithmetic and sequence: where the program's
// files are, where the windows go, and the core steps of start and end. The
// shell measures (screen, client area, fonts) and moves windows; the numbers
// and the order of things are decided here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/window_title.h"
#include "settings/settings.h"

namespace lumo {

class App;

inline constexpr std::size_t program_folder_max = 512;
inline constexpr std::string_view help_file_name = "DOC\\V_LUMO.HTM";

struct ProgramPaths {
    std::string program_folder;      // ends with its separator, or empty
    std::string configuration_file;  // folder + "V-LUMO.INF"
    std::string help_file;           // folder + "DOC\V_LUMO.HTM"
};

// From the whole command line (GetCommandLineA): its first token (to the
// closing double quote when it begins with one, else to the first blank),
// up to and including its last '\' or '/', at most 512 characters. A token
// without a separator gives an empty folder, i.e. the current directory.
ProgramPaths program_paths(std::string_view command_line);

// The address book named behind the program's path: the command line's
// second token, read like the first (to the closing double quote when it
// begins with one, else to the next blank). Empty when there is none.
std::string book_on_command_line(std::string_view command_line);

// `name` as a full path: a name without a drive or a network prefix is taken
// from `current_directory` (one that starts with a separator from its drive).
std::string absolute_path(std::string_view name, std::string_view current_directory);

struct ScreenSize {
    std::int32_t cx = 0, cy = 0;  // SM_CXFULLSCREEN, SM_CYFULLSCREEN
};

// The main window rectangle to use: the saved one when it lies near enough
// to the screen, else the centred default of 80 % of the screen.
Rect checked_main_window_rectangle(const Rect& saved, ScreenSize screen);
Rect default_main_window_rectangle(ScreenSize screen);

struct ViewPlacement {
    Rect overview;
    Rect data_view;
};

// Where arrangement 1 (side by side) or 2 (one upon the other) puts the two
// views in a client area of `width` x `height` below a toolbar of
// `toolbar_height`. Arrangement 0 places nothing: returns nothing.
std::optional<ViewPlacement> view_placement(std::uint8_t window_arrangement, std::int32_t width,
                                            std::int32_t height, std::int32_t toolbar_height);

// WM_GETMINMAXINFO's minimum tracking size. The metrics are the shell's:
// SM_CXHTHUMB, SM_CXFRAME, SM_CXBORDER, the view caption height and the
// overview's line height.
struct MinimumSizeInputs {
    std::int32_t toolbar_width = 0, toolbar_height = 0;
    std::int32_t thumb_width = 0, frame_width = 0, border_width = 0;
    std::int32_t caption_height = 0, overview_line_height = 0;
};
struct Size {
    std::int32_t width = 0, height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};
Size minimum_tracking_size(const MinimumSizeInputs& in);

struct Point {
    std::int32_t x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};
// The about box's top-left corner: centred on the mouse, moved so that the
// box lies within (0, 0) and the screen size.
Point about_box_position(Point mouse, Size box, ScreenSize screen);

// ---- Start and end ---------------------------------------------------------

// Start-up before the main window exists. `command_line` is
// GetCommandLineA(), `system_font` the stock SYSTEM_FONT's LOGFONT. Fills
// app.paths, gives both view fonts the system font, reads the configuration
// file (when it opens), sets the window title, resets the store and opens the
// book named on the command line, else reopens the last file (sorted), else
// makes a new store. Returns false when the store
// could not be allocated: the shell ends the program. The shell then
// creates the view fonts from app.settings.
bool start_up_before_window(App& app, std::string_view command_line, const LogFont& system_font);

// Start-up once the main window and its menu exist: the title without the
// modified marker, `modified` cleared, the arrangement check mark, and the
// recent-file labels (the file name becomes slot 0 when that slot is empty).
void start_up_after_window(App& app);

// The configuration written as the program ends, when that is automatic
// (with the open file as the last one).
void save_configuration_at_exit(App& app);

// The shut-down sequence (App::shut_down calls it once): modal flag on, the
// configuration saved when automatic and the data saved as the settings say
// (or after asking) unless App::may_quit has `saved` them already, then the
// store and undo snapshot released. The calendar's "LumoQuit" is
// App::shut_down's last step.
void shut_down_sequence(App& app, bool saved);

}  // namespace lumo

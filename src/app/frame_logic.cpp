// Paths, window geometry and the core steps of starting and ending.
#include "app/frame_logic.h"

#include <algorithm>

#include "app/app.h"
#include "port/ids.h"
#include "settings/configuration.h"
#include "settings/recent_files.h"

namespace lumo {

namespace {

struct Token {
    std::string_view text;
    std::string_view rest;  // what follows the token
};

// A command-line token: to the closing double quote when it begins with one
// (the quotes dropped), otherwise to the first blank.
Token next_token(std::string_view line) {
    if (!line.empty() && line.front() == '"') {
        const std::string_view inner = line.substr(1);
        const std::size_t close = inner.find('"');
        if (close == std::string_view::npos) return {inner, {}};
        return {inner.substr(0, close), inner.substr(close + 1)};
    }
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return {line, {}};
    return {line.substr(0, blank), line.substr(blank)};
}

bool is_separator(char c) { return c == '\\' || c == '/'; }

}  // namespace

ProgramPaths program_paths(std::string_view command_line) {
    const std::string_view token = next_token(command_line).text;
    // Without a separator the program was started from its own folder, which
    // is the current directory: the file names stand alone.
    const std::size_t separator = token.find_last_of("\\/");
    std::string_view folder = separator == std::string_view::npos ? std::string_view{} : token.substr(0, separator + 1);
    folder = folder.substr(0, std::min(folder.size(), program_folder_max));

    ProgramPaths paths;
    paths.program_folder = folder;
    paths.configuration_file.assign(folder).append(configuration_file_name);
    paths.help_file.assign(folder).append(help_file_name);
    return paths;
}

std::string book_on_command_line(std::string_view command_line) {
    std::string_view rest = next_token(command_line).rest;
    rest.remove_prefix(std::min(rest.find_first_not_of(" \t"), rest.size()));
    return std::string(next_token(rest).text);
}

std::string absolute_path(std::string_view name, std::string_view current_directory) {
    const bool drive = name.size() >= 2 && name[1] == ':';
    const bool rooted = !name.empty() && is_separator(name[0]);
    const bool network = rooted && name.size() >= 2 && is_separator(name[1]);
    if (drive || network || name.empty()) return std::string(name);
    const bool directory_has_drive = current_directory.size() >= 2 && current_directory[1] == ':';
    if (rooted) return directory_has_drive ? std::string(current_directory.substr(0, 2)).append(name) : std::string(name);
    std::string path(current_directory);
    if (!path.empty() && !is_separator(path.back())) path += '\\';
    return path.append(name);
}

Rect default_main_window_rectangle(ScreenSize screen) {
    Rect r;
    r.width = screen.cx * 80 / 100;
    r.height = screen.cy * 80 / 100;
    r.x = (screen.cx - r.width) / 2;
    r.y = (screen.cy - r.height) / 2;
    return r;
}

Rect checked_main_window_rectangle(const Rect& saved, ScreenSize screen) {
    // 64-bit sums: a damaged configuration may hold extreme values.
    const std::int64_t cx = screen.cx, cy = screen.cy;
    const bool stands = saved.x >= -20 && saved.y >= -20 && saved.x <= cx + 20 && saved.y <= cy + 20 &&
                        saved.width <= cx + 40 && saved.height <= cy + 40 &&
                        !(saved.width == 0 && saved.height == 0);
    return stands ? saved : default_main_window_rectangle(screen);
}

std::optional<ViewPlacement> view_placement(std::uint8_t window_arrangement, std::int32_t width,
                                            std::int32_t height, std::int32_t toolbar_height) {
    const std::int32_t w = width, h = height, t = toolbar_height;
    switch (window_arrangement) {
    case arrangement::side_by_side: {
        const std::int32_t data_width = w * 70 / 100;
        return ViewPlacement{{0, t, w - data_width, h - t}, {w - data_width, t, data_width, h - t}};
    }
    case arrangement::one_upon_the_other: {
        const std::int32_t data_height = h * 70 / 100;
        return ViewPlacement{{0, t, w, h - data_height}, {0, h - (data_height - t), w, data_height - t}};
    }
    default:
        return std::nullopt;
    }
}

Size minimum_tracking_size(const MinimumSizeInputs& in) {
    return {in.toolbar_width + in.thumb_width + 2 * (in.frame_width + in.border_width),
            3 * in.caption_height + in.toolbar_height + 4 * in.overview_line_height};
}

Point about_box_position(Point mouse, Size box, ScreenSize screen) {
    // Right and bottom first, so that a box larger than the screen keeps its
    // top-left corner (and its button) visible.
    auto place = [](std::int32_t centre, std::int32_t extent, std::int32_t limit) {
        std::int32_t at = centre - extent / 2;
        if (at + extent > limit) at = limit - extent;
        return std::max(at, 0);
    };
    return {place(mouse.x, box.width, screen.cx), place(mouse.y, box.height, screen.cy)};
}

// ---- Start and end -------------------------------------------------------------

bool start_up_before_window(App& app, std::string_view command_line, const LogFont& system_font) {
    app.paths = program_paths(command_line);
    app.settings = default_settings(system_font);
    app.file.clear_name();
    // A missing configuration file is no error: the defaults stand.
    load_configuration_file(app.settings, app.paths.configuration_file);
    // A book named on the command line (a double-clicked .adr file) opens
    // instead of the last one, and is the last one from then on.
    const std::string book = book_on_command_line(command_line);
    app.file.set_name(book.empty() ? std::string(text_of(app.settings.file_name))
                                   : absolute_path(book, app.port().system.current_directory()));
    set_window_title(app.store, app.file);
    return app.files.start();
}

void start_up_after_window(App& app) {
    Frame& frame = app.port().frame;
    app.store.modified = false;
    app.store.set_modified_marker(false);
    if (app.settings.window_arrangement == arrangement::side_by_side) frame.check_command(CMD_SIDE_BY_SIDE, true);
    if (app.settings.window_arrangement == arrangement::one_upon_the_other)
        frame.check_command(CMD_ONE_UPON_OTHER, true);
    set_text(app.settings.file_name, app.file.name());
    adopt_file_name_as_recent(app.settings);
    for (const RecentFileItem& item : recent_file_items(app.settings)) frame.set_menu_label(item.command_id, item.label);
}

void save_configuration_at_exit(App& app) {
    set_text(app.settings.file_name, app.file.name());
    if (app.settings.save_configuration_automatically && !app.paths.configuration_file.empty())
        save_configuration(app.settings, app.paths.configuration_file, app.port().files);
}

void shut_down_sequence(App& app, bool saved) {
    Port& port = app.port();
    port.modal_flag = true;  // stays set: no key may act from here on
    if (!saved) {
        save_configuration_at_exit(app);
        app.files.end_of_program();
    }
    app.files.begin_closing();
    app.store.discard_undo_snapshot();
    app.store.release_store();
}

}  // namespace lumo

// Helpers for the program's message boxes and file dialogs: they keep the
// modal flag set while one is up so that keys arriving meanwhile are ignored.
#include "port/port.h"

#include <algorithm>

namespace lumo {

void show_error(Port& port, std::string_view text, std::string_view caption) {
    ModalScope modal(port);
    port.prompts.beep();
    port.prompts.message_box(text, caption, box::error);
}

void show_notice(Port& port, std::string_view text, std::string_view caption) {
    ModalScope modal(port);
    port.prompts.message_box(text, caption, box::notice);
}

bool ask_yes_no(Port& port, std::string_view text, std::uint32_t style,
                std::string_view caption) {
    ModalScope modal(port);
    return port.prompts.message_box(text, caption, style) == Answer::yes;
}

std::optional<FileDialogAnswer> choose_files(Port& port, const FileDialogRequest& request) {
    std::optional<FileDialogAnswer> answer;
    {
        ModalScope modal(port);
        answer = port.prompts.choose_file(request);
    }
    if (!answer) return std::nullopt;
    std::erase_if(answer->paths, [](const std::string& path) { return path.empty(); });
    if (answer->paths.empty()) return std::nullopt;
    return answer;
}

std::vector<std::string> paths_of_chosen_files(std::string_view buffer, std::size_t name_offset) {
    const std::string_view first = buffer.substr(0, std::min(buffer.find('\0'), buffer.size()));
    // One file: its whole path, with nothing behind it that counts (the
    // dialog ends it with a single NUL; the rest may be the initial name).
    const bool list = name_offset == first.size() + 1;
    if (!list) return first.empty() ? std::vector<std::string>{} : std::vector<std::string>{std::string(first)};
    const bool ends_in_separator = !first.empty() && (first.back() == '\\' || first.back() == '/');
    std::vector<std::string> paths;
    buffer.remove_prefix(std::min(name_offset, buffer.size()));
    while (!buffer.empty() && buffer.front() != '\0') {
        const std::string_view name = buffer.substr(0, std::min(buffer.find('\0'), buffer.size()));
        std::string path(first);
        if (!ends_in_separator) path += '\\';
        path += name;
        paths.push_back(std::move(path));
        buffer.remove_prefix(std::min(name.size() + 1, buffer.size()));
    }
    return paths;
}

}  // namespace lumo

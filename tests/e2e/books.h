// Small builders the end-to-end tests share: address files and the titles
// lumo shows for them.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "data/window_title.h"

namespace lumo::e2e {

// An address file: each entry's lines joined by CR LF, each entry ended by
// an empty line.
inline std::string book(std::initializer_list<std::string_view> entries) {
    std::string text;
    for (std::string_view entry : entries) {
        text += entry;
        text += "\r\n\r\n";
    }
    return text;
}

// The window title for `path` with the modified marker in front.
inline std::string title_for(const std::string& path, char marker = ' ') {
    std::string title(1, marker);
    title += title_file_part(path);
    return title;
}

}  // namespace lumo::e2e

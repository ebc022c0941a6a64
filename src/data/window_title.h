// The window title: a modified marker and the open file's name, shortened so
// that the tail of a long path stays readable.
#pragma once

#include <string>
#include <string_view>

#include "data/file_state.h"
#include "data/store.h"

namespace lumo {

// The longest file part the title holds (the marker and a NUL make 72).
inline constexpr std::size_t title_file_part_max = 70;
inline constexpr std::string_view text_no_name = "NO NAME";

// The file part of the title for a `file name`: "NO NAME" when its first
// byte is below 32; the name itself up to 70 characters; a longer one as
// drive + "\..\" + the tail behind a separator, or as its base name (at most
// 64 characters) when no separator lies in the tail.
std::string title_file_part(std::string_view file_name);

// `set window title`: writes the file part behind the modified marker of the
// store's window title text and shows it when the main window exists.
void set_window_title(Store& store, const FileState& file);

}  // namespace lumo

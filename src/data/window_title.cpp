// Building the window title from the file name.
#include "data/window_title.h"

#include <algorithm>
#include <cstring>

#include "settings/recent_files.h"

namespace lumo {

namespace {
constexpr std::size_t shortened_base_name_max = 64;
}  // namespace

std::string title_file_part(std::string_view file_name) {
    if (file_name.empty() || static_cast<unsigned char>(file_name.front()) < 32) return std::string(text_no_name);
    const std::string_view name = file_name.substr(0, std::min(file_name.size(), file_name_bytes));
    if (name.size() <= title_file_part_max) return std::string(name);
    // Too long: keep the drive and as much of the tail as fits, cut at a
    // folder boundary so that the tail reads as a path.
    const bool drive = name[1] == ':';
    const std::size_t prefix = drive ? 6 : 4;  // "C:\..\" or "\..\"
    const std::size_t from = name.size() - title_file_part_max + prefix;
    const std::size_t separator = name.find_first_of("\\/", from);
    if (separator == std::string_view::npos)
        return std::string(base_name(name).substr(0, shortened_base_name_max));
    std::string shortened;
    shortened.reserve(prefix + name.size() - separator);
    if (drive) shortened.append(name.data(), 2);
    shortened.append("\\..\\", 4);
    shortened.append(name.data() + separator + 1, name.size() - separator - 1);
    return shortened;
}

void set_window_title(Store& store, const FileState& file) {
    const std::string part = title_file_part(file.name());
    auto& title = store.window_title_text();
    const std::size_t n = std::min(part.size(), title.size() - 2);
    std::memcpy(title.data() + 1, part.data(), n);
    std::fill(title.begin() + 1 + static_cast<std::ptrdiff_t>(n), title.end(), '\0');
    store.show_title();
}

}  // namespace lumo

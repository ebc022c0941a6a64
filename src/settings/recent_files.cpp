// Labels of the recent-file menu items.
#include "settings/recent_files.h"

#include "port/ids.h"

namespace lumo {

namespace {
constexpr std::size_t max_label_base_name = 508;
}  // namespace

bool names_a_file(std::string_view name) {
    return !name.empty() && static_cast<unsigned char>(name.front()) >= 65;
}

std::string_view base_name(std::string_view path) {
    std::size_t separator = path.find_last_of("\\/");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::string recent_file_label(int slot, std::string_view path) {
    const char digit = static_cast<char>('0' + slot);
    std::string label = "&";
    label += digit;
    label += ": ";
    label += base_name(path).substr(0, max_label_base_name);
    label += " \tStrg+";
    label += digit;
    return label;
}

bool adopt_file_name_as_recent(Settings& settings) {
    FileName& first = settings.recent_files[0];
    if (names_a_file(text_of(first)) || !names_a_file(text_of(settings.file_name))) return false;
    first = settings.file_name;
    return true;
}

std::vector<RecentFileItem> recent_file_items(const Settings& settings) {
    std::vector<RecentFileItem> items;
    for (std::size_t slot = 0; slot < settings.recent_files.size(); ++slot) {
        std::string_view path = text_of(settings.recent_files[slot]);
        if (!names_a_file(path)) continue;
        const int n = static_cast<int>(slot);
        items.push_back({CMD_RECENT_FIRST + n, recent_file_label(n, path)});
    }
    return items;
}

}  // namespace lumo

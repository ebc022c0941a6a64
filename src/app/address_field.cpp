#include "app/address_field.h"

#include <algorithm>
#include <vector>

#include "data/store.h"
#include "settings/settings.h"
#include "views/view_state.h"

namespace lumo {

namespace {

constexpr std::string_view crlf = "\r\n";

// The characters of the line that starts at `start`, up to its first control byte.
std::string_view line_at(std::string_view entry, std::size_t start) {
    std::size_t end = start;
    while (end < entry.size() && static_cast<unsigned char>(entry[end]) >= 32) ++end;
    return entry.substr(start, end - start);
}

std::string_view cut_at_name_separator(std::string_view line, const Settings& settings) {
    const auto cut = std::find_if(line.begin(), line.end(), [&](char c) {
        return std::find(settings.name_separators.begin(), settings.name_separators.end(), c) !=
               settings.name_separators.end() && c != '\0';
    });
    return line.substr(0, static_cast<std::size_t>(cut - line.begin()));
}

// "Miller John" becomes "John Miller".
std::string swap_first_word(std::string_view name) {
    const auto blank = name.find(' ');
    if (blank == std::string_view::npos) return std::string(name);
    std::string out(name.substr(blank + 1));
    out += ' ';
    out += name.substr(0, blank);
    return out;
}

std::string_view entry_text(const Store& store, std::int32_t start) {
    const std::string_view all = store.text_view();
    const auto clamped = static_cast<std::size_t>(std::clamp(start, 0, store.text_length()));
    const auto end = all.find("\r\n\r\n", clamped);
    return all.substr(clamped, end == std::string_view::npos ? std::string_view::npos : end + 4 - clamped);
}

}  // namespace

std::string address_of_entry(std::string_view entry, const Settings& settings) {
    const std::vector<std::int32_t> starts =
        scan_line_starts(entry.data(), static_cast<std::int32_t>(entry.size()), 0);
    std::string out;
    int address_line = 0;
    for (char digit : settings.address_line_order) {
        if (digit < '1' || digit > '9') continue;
        const auto line = static_cast<std::size_t>(digit - '1');
        if (line < starts.size()) {
            std::string_view text = line_at(entry, static_cast<std::size_t>(starts[line]));
            if (digit == '1') {
                text = cut_at_name_separator(text, settings);
                out += settings.swap_names_flag ? swap_first_word(text) : std::string(text);
            } else {
                out += text;
            }
        }
        out += crlf;
        if (address_line < 4 && settings.empty_line_flags[static_cast<std::size_t>(address_line)]) out += crlf;
        ++address_line;
    }
    return out;
}

std::string build_address_field(const Store& store, const ViewState& view, const Settings& settings) {
    const EntryRange& range = view.entry_range;
    if (!range.marked) {
        const std::int32_t start = store.current_entry() >= 0 ? store.current_entry() : view.selected_entry_start;
        return address_of_entry(entry_text(store, start), settings);
    }
    std::string out;
    const std::int32_t last = std::min(range.last, store.entry_count() - 1);
    for (std::int32_t k = std::max(range.first, 0); k <= last; ++k) {
        out += address_of_entry(entry_text(store, store.entry_start(k)), settings);
        out += crlf;
        out += crlf;
    }
    return out;
}

}  // namespace lumo

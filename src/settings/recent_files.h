// The "Last used files" menu: labels of the recent-file items and the rule
// that makes the last open file the first recent file at start-up.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

namespace lumo {

// A stored name counts only when its first character code is 65 ('A') or
// above; below that a slot is empty (or holds only a remembered folder).
bool names_a_file(std::string_view name);

// The part behind the last "\" or "/".
std::string_view base_name(std::string_view path);

// "&N: " + base name (at most 508 characters) + " \tStrg+N"; slot 0 to 9.
std::string recent_file_label(int slot, std::string_view path);

// Copies the file name into slot 0 when that slot is empty and the file name
// names a file; true when it did.
bool adopt_file_name_as_recent(Settings& settings);

// A menu item to relabel: the command id (40101 + slot) and its text.
struct RecentFileItem {
    int command_id;
    std::string label;
    friend bool operator==(const RecentFileItem&, const RecentFileItem&) = default;
};

// The items of all slots that name a file, in slot order.
std::vector<RecentFileItem> recent_file_items(const Settings& settings);

}  // namespace lumo

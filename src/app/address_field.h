// The address field: a postal address made from an entry (or from every entry
// of a marked range) by the address options, for the clipboard.
#pragma once

#include <string>
#include <string_view>

namespace lumo {

class Store;
struct Settings;
struct ViewState;

// The address lines of the entry whose text is `entry` (from its start to its
// terminator): for each digit of the line order the named line (the heading
// line cut before the first name separator, its first word moved behind the
// rest when names are swapped), or only CR LF when the entry lacks that line;
// the empty-line flags add a CR LF behind address lines 1 to 4.
std::string address_of_entry(std::string_view entry, const Settings& settings);

// The text for the clipboard: the address of the data view's entry, or of
// every marked entry with two more CR LF behind each.
std::string build_address_field(const Store& store, const ViewState& view, const Settings& settings);

}  // namespace lumo

// The configuration file "V-LUMO.INF": the binary form in which the settings
// go from one run to the next. Reading tolerates a file of any length: every
// field that the end of the file cuts off gets its own fallback value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "port/port.h"
#include "settings/settings.h"

namespace lumo {

inline constexpr std::string_view configuration_file_name = "V-LUMO.INF";
inline constexpr std::string_view configuration_magic = "V-Lumo ";

// The most bytes a reader ever takes: every name at its full 512 bytes.
inline constexpr std::size_t configuration_max_size =
    7 + 48 + file_name_size + 28 + text_pre_definition_count * text_pre_definition_size + 3 +
    2 * LogFont::byte_size + 10 + 5 + recent_file_count * file_name_size + 2;

// Reads a configuration file's bytes over the settings. A wrong magic changes
// nothing; bytes beyond configuration_max_size are never looked at.
void load_configuration(Settings& settings, std::span<const std::uint8_t> bytes);
void load_configuration(Settings& settings, std::istream& in);

// Opens the file at path in binary mode and loads it; false (settings
// untouched) when it does not open.
bool load_configuration_file(Settings& settings, const std::string& path);

// The file's bytes for the settings.
std::vector<std::uint8_t> configuration_bytes(const Settings& settings);

// Writes the settings to the file at path, through a new file that replaces
// the old one only when complete (a file cut short would read as both
// automatic saves on). Returns false when that fails: the old file is then
// as it was; callers show no message, and the settings in memory stay as
// they are either way.
bool save_configuration(const Settings& settings, const std::string& path, FileSystem& files);

}  // namespace lumo

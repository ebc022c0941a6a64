// Which file the store came from and the passwords that protect it.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace lumo {

inline constexpr std::size_t file_name_bytes = 512;
inline constexpr std::size_t max_password_length = 19;
inline constexpr std::size_t min_password_length = 4;

struct FileState {
    // NUL-terminated path. First byte 0: no name; 1 to 31: unnamed with a
    // remembered folder (drive letter - 0x40); otherwise a path.
    std::array<char, file_name_bytes> file_name{};
    // Empty for an unprotected file.
    std::string file_password;
    // The password typed for a protected file that is being added.
    std::string add_password;

    std::string_view name() const {
        const auto end = std::find(file_name.begin(), file_name.end(), '\0');
        return {file_name.data(), static_cast<std::size_t>(end - file_name.begin())};
    }
    // Stores `path`, cut to 511 bytes.
    void set_name(std::string_view path) {
        const std::size_t n = std::min(path.size(), file_name_bytes - 1);
        std::copy_n(path.begin(), n, file_name.begin());
        std::fill(file_name.begin() + static_cast<std::ptrdiff_t>(n), file_name.end(), '\0');
    }
    void clear_name() { file_name.fill('\0'); }
};

}  // namespace lumo

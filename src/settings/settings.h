// The user's settings: window places, colours, fonts, text pre-definitions,
// the options of the general configuration, the recent files and the print
// margins. One plain value owned by the application object; the views,
// dialogs and commands read and change it in place.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace lumo {

// A window's place: position and size in pixels.
struct Rect {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A Win32 COLORREF: 0x00BBGGRR.
using Colour = std::uint32_t;

constexpr Colour rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return Colour{r} | (Colour{g} << 8) | (Colour{b} << 16);
}

// The 60 bytes of a LOGFONTA, field for field, so the shell converts it with a
// plain copy of the same bytes (to_bytes / from_bytes keep the Win32 order).
struct LogFont {
    static constexpr std::size_t byte_size = 60;
    static constexpr std::size_t face_name_size = 32;

    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strike_out = 0;
    std::uint8_t char_set = 0;
    std::uint8_t out_precision = 0;
    std::uint8_t clip_precision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitch_and_family = 0;
    std::array<char, face_name_size> face_name{};

    using Bytes = std::array<std::uint8_t, byte_size>;
    // Little-endian integers, as LOGFONTA lies in memory on Windows.
    Bytes to_bytes() const;
    // The face name always ends with a zero byte, whatever the bytes hold, so a
    // damaged record cannot make a font call read past it.
    static LogFont from_bytes(const Bytes& bytes);

    friend bool operator==(const LogFont&, const LogFont&) = default;
};

// Fixed-size texts: a name that fills its whole array has no zero byte, so
// always read them through text_of, never as a C string.
template <std::size_t N>
using FixedText = std::array<char, N>;

template <std::size_t N>
std::string_view text_of(const FixedText<N>& text) {
    std::size_t length = 0;
    while (length < N && text[length] != '\0') ++length;
    return {text.data(), length};
}

// Stores at most N - 1 characters and clears the rest of the array.
template <std::size_t N>
void set_text(FixedText<N>& text, std::string_view value) {
    text.fill('\0');
    std::size_t length = value.size() < N - 1 ? value.size() : N - 1;
    if (length != 0) std::memcpy(text.data(), value.data(), length);
}

inline constexpr std::size_t file_name_size = 512;
inline constexpr std::size_t text_pre_definition_size = 51;  // 50 characters and a zero
inline constexpr std::size_t text_pre_definition_count = 10;
inline constexpr std::size_t recent_file_count = 10;

using FileName = FixedText<file_name_size>;
using TextPreDefinition = FixedText<text_pre_definition_size>;

// Window arrangement values.
namespace arrangement {
constexpr std::uint8_t free_placement = 0;
constexpr std::uint8_t side_by_side = 1;
constexpr std::uint8_t one_upon_the_other = 2;
}  // namespace arrangement

struct ViewColours {
    Colour data_view_background = rgb(255, 255, 255);
    Colour data_view_text = rgb(0, 0, 0);
    Colour first_line_text = rgb(0, 0, 255);
    Colour first_line_background = rgb(200, 200, 200);
    Colour overview_background = rgb(230, 230, 230);
    Colour overview_text = rgb(0, 0, 0);
    Colour link = rgb(255, 0, 0);
    friend bool operator==(const ViewColours&, const ViewColours&) = default;
};

std::array<TextPreDefinition, text_pre_definition_count> default_text_pre_definitions();

struct Settings {
    Rect main_window_rectangle;
    Rect overview_rectangle;
    Rect data_view_rectangle;

    // The address file that was open when the settings were saved; start-up
    // opens it again. The file commands keep it current while the program runs.
    FileName file_name{};

    ViewColours colours;
    std::array<TextPreDefinition, text_pre_definition_count> text_pre_definitions =
        default_text_pre_definitions();

    std::uint8_t window_arrangement = arrangement::side_by_side;
    std::uint8_t save_data_automatically = 0;
    std::uint8_t save_configuration_automatically = 1;

    // Both start as the system font (see default_settings).
    LogFont data_view_font;
    LogFont overview_font;

    // Address field options; a zero character is an empty slot.
    std::array<char, 5> name_separators{',', 0, 0, 0, 0};
    std::array<char, 5> address_line_order{'1', '2', '3', 0, 0};
    std::array<std::uint8_t, 4> empty_line_flags{0, 1, 0, 0};
    std::uint8_t swap_names_flag = 1;

    std::array<FileName, recent_file_count> recent_files{};

    std::uint8_t print_left_margin = 0;  // characters
    std::uint8_t print_top_margin = 0;   // lines

    friend bool operator==(const Settings&, const Settings&) = default;
};

// The settings of a start without a usable configuration file. Both view fonts
// take the system font, which only the shell can ask for.
Settings default_settings(const LogFont& system_font);

}  // namespace lumo

// The configuration file: layout, fallbacks of cut-off fields, round trips.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "settings/configuration.h"
#include "support/faulty_files.h"
#include "support/native_files.h"
#include "support/temp_folder.h"

namespace lumo {
namespace {

using Bytes = std::vector<std::uint8_t>;

LogFont system_font() {
    LogFont font;
    font.height = 16;
    font.weight = 700;
    font.char_set = 0;
    font.pitch_and_family = 0x22;
    std::memcpy(font.face_name.data(), "System", 6);
    return font;
}

Settings defaults() { return default_settings(system_font()); }

Settings loaded(const Bytes& bytes, Settings settings = defaults()) {
    load_configuration(settings, bytes);
    return settings;
}

Bytes magic() { return {'V', '-', 'L', 'u', 'm', 'o', ' '}; }

std::uint32_t le32_at(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

void fill_name(FileName& name, char c, std::size_t length) {
    name.fill('\0');
    std::fill_n(name.begin(), length, c);
}

// Every setting away from its default; the names have lengths 0, 1, 40, 511
// and 512 so that short, full and unterminated names all occur.
Settings full_settings() {
    Settings s = defaults();
    s.main_window_rectangle = {-10, 20, 800, 600};
    s.overview_rectangle = {0, 40, 240, 560};
    s.data_view_rectangle = {240, 40, 560, -1};
    set_text(s.file_name, "C:\\Daten\\Adressen.adr");
    s.colours = {rgb(1, 2, 3), rgb(4, 5, 6), rgb(7, 8, 9), rgb(10, 11, 12),
                 rgb(13, 14, 15), rgb(16, 17, 18), rgb(19, 20, 21)};
    for (std::size_t i = 0; i < s.text_pre_definitions.size(); ++i)
        set_text(s.text_pre_definitions[i], std::string(i * 5 + 1, static_cast<char>('a' + i)));
    s.window_arrangement = arrangement::one_upon_the_other;
    s.save_data_automatically = 1;
    s.save_configuration_automatically = 0;
    s.data_view_font.height = -13;
    s.data_view_font.italic = 1;
    std::memcpy(s.data_view_font.face_name.data(), "Courier New", 11);
    s.overview_font.weight = 400;
    s.overview_font.face_name.fill('\0');
    s.name_separators = {';', '/', 0, '-', 0};
    s.address_line_order = {'2', '1', 0, '4', '9'};
    s.empty_line_flags = {1, 0, 1, 1};
    s.swap_names_flag = 0;
    for (std::size_t i = 0; i < s.recent_files.size(); ++i)
        set_text(s.recent_files[i], "D:\\adr\\file" + std::to_string(i) + ".adr");
    fill_name(s.recent_files[2], 'R', 511);
    fill_name(s.recent_files[3], 'S', 512);
    s.recent_files[5].fill('\0');
    set_text(s.recent_files[6], "x");
    s.print_left_margin = 5;
    s.print_top_margin = 255;
    return s;
}

TEST(Settings, DefaultsAreThoseOfAFreshStart) {
    Settings s = defaults();
    EXPECT_EQ(s.main_window_rectangle, Rect{});
    EXPECT_EQ(text_of(s.file_name), "");
    EXPECT_EQ(s.colours.data_view_background, 0x00FFFFFFu);
    EXPECT_EQ(s.colours.first_line_text, 0x00FF0000u);
    EXPECT_EQ(s.colours.first_line_background, 0x00C8C8C8u);
    EXPECT_EQ(s.colours.overview_background, 0x00E6E6E6u);
    EXPECT_EQ(s.colours.link, 0x000000FFu);
    EXPECT_EQ(text_of(s.text_pre_definitions[0]), "PhoneNumber: ");
    EXPECT_EQ(text_of(s.text_pre_definitions[3]), "http:// ");
    EXPECT_EQ(text_of(s.text_pre_definitions[9]), "ToDo: ");
    EXPECT_EQ(s.window_arrangement, 1);
    EXPECT_EQ(s.save_data_automatically, 0);
    EXPECT_EQ(s.save_configuration_automatically, 1);
    EXPECT_EQ(s.data_view_font, system_font());
    EXPECT_EQ(s.overview_font, system_font());
    EXPECT_EQ(s.name_separators, (std::array<char, 5>{',', 0, 0, 0, 0}));
    EXPECT_EQ(s.address_line_order, (std::array<char, 5>{'1', '2', '3', 0, 0}));
    EXPECT_EQ(s.empty_line_flags, (std::array<std::uint8_t, 4>{0, 1, 0, 0}));
    EXPECT_EQ(s.swap_names_flag, 1);
    for (const FileName& name : s.recent_files) EXPECT_EQ(text_of(name), "");
}

TEST(LogFontBytes, FollowTheWin32LayoutAndAlwaysEndTheFaceName) {
    LogFont font = system_font();
    font.height = -2;
    font.quality = 3;
    LogFont::Bytes b = font.to_bytes();
    EXPECT_EQ(b[0], 0xFE);
    EXPECT_EQ(b[3], 0xFF);
    EXPECT_EQ(b[16], 700 & 0xFF);
    EXPECT_EQ(b[17], 700 >> 8);
    EXPECT_EQ(b[26], 3);
    EXPECT_EQ(b[27], 0x22);
    EXPECT_EQ(std::memcmp(b.data() + 28, "System", 7), 0);
    EXPECT_EQ(LogFont::from_bytes(b), font);

    b.fill('Z');
    LogFont damaged = LogFont::from_bytes(b);
    EXPECT_EQ(damaged.face_name[31], '\0');
    EXPECT_EQ(std::string(damaged.face_name.data()), std::string(31, 'Z'));
}

TEST(ConfigurationLayout, EmptyNamesGiveThe744ByteFile) {
    Bytes b = configuration_bytes(defaults());
    ASSERT_EQ(b.size(), 744u);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 7), magic());
    EXPECT_EQ(b[55], 0);  // the empty file name
    const std::size_t f = 56;
    EXPECT_EQ(le32_at(b, f), 0x00FFFFFFu);
    EXPECT_EQ(le32_at(b, f + 8), 0x00FF0000u);
    EXPECT_EQ(le32_at(b, f + 24), 0x000000FFu);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[f + 28])), "PhoneNumber: ");
    EXPECT_TRUE(std::all_of(&b[f + 28 + 13], &b[f + 28 + 51], [](std::uint8_t c) { return c == 0; }));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[f + 28 + 9 * 51])), "ToDo: ");
    EXPECT_EQ(b[f + 538], 1);
    EXPECT_EQ(b[f + 539], 0);
    EXPECT_EQ(b[f + 540], 1);
    LogFont::Bytes font = system_font().to_bytes();
    EXPECT_TRUE(std::equal(font.begin(), font.end(), &b[f + 541]));
    EXPECT_TRUE(std::equal(font.begin(), font.end(), &b[f + 601]));
    EXPECT_EQ(Bytes(&b[f + 661], &b[f + 676]),
              (Bytes{',', 0, 0, 0, 0, '1', '2', '3', 0, 0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(Bytes(&b[f + 676], &b[f + 686]), Bytes(10, 0));
    EXPECT_EQ(b[742], 0);
    EXPECT_EQ(b[743], 0);
    EXPECT_EQ(loaded(b), defaults());
}

TEST(ConfigurationLayout, IntegersAreLittleEndian) {
    Settings s = defaults();
    s.main_window_rectangle = {0x01020304, -1, 0, 0};
    s.colours.link = 0x00A0B0C0;
    Bytes b = configuration_bytes(s);
    EXPECT_EQ(Bytes(&b[7], &b[15]), (Bytes{4, 3, 2, 1, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Bytes(&b[56 + 24], &b[56 + 28]), (Bytes{0xC0, 0xB0, 0xA0, 0}));
}

TEST(ConfigurationLayout, NamesOf511And512CharactersBothTake512Bytes) {
    Settings s = defaults();
    fill_name(s.file_name, 'A', 511);
    Bytes b = configuration_bytes(s);
    EXPECT_EQ(b.size(), 744u + 511);
    EXPECT_EQ(b[55 + 510], 'A');
    EXPECT_EQ(b[55 + 511], 0);
    EXPECT_EQ(le32_at(b, 55 + 512), 0x00FFFFFFu);  // the first colour right behind
    EXPECT_EQ(loaded(b), s);

    fill_name(s.file_name, 'B', 512);
    b = configuration_bytes(s);
    EXPECT_EQ(b.size(), 744u + 511);
    EXPECT_EQ(b[55 + 511], 'B');
    EXPECT_EQ(le32_at(b, 55 + 512), 0x00FFFFFFu);
    Settings back = loaded(b);
    EXPECT_EQ(text_of(back.file_name), std::string(512, 'B'));
    EXPECT_EQ(back, s);

    // A full recent file: the next slot begins right behind it.
    s = defaults();
    fill_name(s.recent_files[3], 'S', 512);
    set_text(s.recent_files[4], "Next.adr");
    b = configuration_bytes(s);
    EXPECT_EQ(b.size(), 744u + 511 + 8);
    back = loaded(b);
    EXPECT_EQ(text_of(back.recent_files[3]), std::string(512, 'S'));
    EXPECT_EQ(text_of(back.recent_files[4]), "Next.adr");
    EXPECT_EQ(back.print_left_margin, 0);
}

TEST(ConfigurationLoad, OnlyTheMagicSetsTheCutOffValues) {
    Settings start = full_settings();
    Settings got = loaded(magic(), start);
    Settings expected = start;
    expected.window_arrangement = 1;
    expected.save_data_automatically = 1;
    expected.save_configuration_automatically = 1;
    expected.name_separators = {',', 0, 0, 0, 0};
    expected.address_line_order = {'1', '2', '3', 0, 0};
    expected.empty_line_flags = {0, 1, 0, 0};
    expected.swap_names_flag = 1;
    expected.print_left_margin = 0;
    expected.print_top_margin = 0;
    EXPECT_EQ(got, expected);

    Settings from_defaults = defaults();
    from_defaults.save_data_automatically = 1;
    EXPECT_EQ(loaded(magic()), from_defaults);
}

TEST(ConfigurationLoad, WrongOrShortMagicChangesNothing) {
    Settings start = full_settings();
    Bytes good = configuration_bytes(defaults());
    for (std::size_t i = 0; i < 7; ++i) {
        Bytes b = good;
        b[i] ^= 0x20;
        EXPECT_EQ(loaded(b, start), start) << "magic byte " << i;
    }
    EXPECT_EQ(loaded(Bytes(good.begin(), good.begin() + 6), start), start);
    EXPECT_EQ(loaded(Bytes{}, start), start);
}

TEST(ConfigurationLoad, CutRectangleIntegerKeepsItsOtherBytes) {
    Settings file = defaults();
    file.main_window_rectangle = {0x11223344, 0x00000005, 7, 8};
    Bytes b = configuration_bytes(file);
    b.resize(7 + 4 + 2);  // x whole, two bytes of y
    Settings start = defaults();
    start.main_window_rectangle = {1, -1, 2, 3};
    Settings got = loaded(b, start);
    EXPECT_EQ(got.main_window_rectangle.x, 0x11223344);
    EXPECT_EQ(static_cast<std::uint32_t>(got.main_window_rectangle.y), 0xFFFF0005u);
    EXPECT_EQ(got.main_window_rectangle.width, 2);
    EXPECT_EQ(got.main_window_rectangle.height, 3);
}

TEST(ConfigurationLoad, CutColourKeepsItsDefault) {
    Settings file = full_settings();
    set_text(file.file_name, "");
    Bytes b = configuration_bytes(file);
    b.resize(56 + 4 + 3);  // colour 1 whole, three bytes of colour 2
    Settings got = loaded(b);
    EXPECT_EQ(got.colours.data_view_background, file.colours.data_view_background);
    EXPECT_EQ(got.colours.data_view_text, defaults().colours.data_view_text);
    EXPECT_EQ(got.colours.link, defaults().colours.link);
}

TEST(ConfigurationLoad, FlagBytesFollowTheirOwnRules) {
    const Bytes base = configuration_bytes(defaults());
    const std::size_t f = 56;
    auto with = [&](std::size_t at, std::uint8_t value) {
        Bytes b = base;
        b[at] = value;
        return loaded(b);
    };
    for (std::uint8_t v : {1, 2, 0x80, 0xFF}) {
        EXPECT_EQ(with(f + 539, v).save_data_automatically, 1) << int(v);
        EXPECT_EQ(with(f + 540, v).save_configuration_automatically, 1) << int(v);
        EXPECT_EQ(with(f + 672, v).empty_line_flags[1], 1) << int(v);
        EXPECT_EQ(with(f + 675, v).swap_names_flag, 1) << int(v);
    }
    EXPECT_EQ(with(f + 540, 0).save_configuration_automatically, 0);
    EXPECT_EQ(with(f + 672, 0).empty_line_flags[1], 0);
    EXPECT_EQ(with(f + 675, 0).swap_names_flag, 0);

    for (std::size_t k : {0, 2, 3}) {
        EXPECT_EQ(with(f + 671 + k, 1).empty_line_flags[k], 1);
        EXPECT_EQ(with(f + 671 + k, 2).empty_line_flags[k], 0);
        EXPECT_EQ(with(f + 671 + k, 0xFF).empty_line_flags[k], 0);
    }
    // Arrangement, separators, order digits and margins are taken as they are.
    EXPECT_EQ(with(f + 538, 7).window_arrangement, 7);
    EXPECT_EQ(with(f + 661, 0).name_separators[0], 0);
    EXPECT_EQ(with(f + 668, '7').address_line_order[2], '7');
    EXPECT_EQ(with(742, 200).print_left_margin, 200);
}

TEST(ConfigurationLoad, TextPreDefinitionsEndAtTheirFirstZeroAndFiftyCharacters) {
    Bytes b = configuration_bytes(defaults());
    const std::size_t field = 56 + 28;
    std::memcpy(&b[field], "Tel\0garbage", 11);
    std::fill_n(&b[field + 51], 51, 'Q');  // no zero byte at all
    Settings got = loaded(b);
    EXPECT_EQ(text_of(got.text_pre_definitions[0]), "Tel");
    EXPECT_EQ(text_of(got.text_pre_definitions[1]), std::string(50, 'Q'));
    Bytes again = configuration_bytes(got);
    EXPECT_EQ(Bytes(&again[field], &again[field + 3]), (Bytes{'T', 'e', 'l'}));
    EXPECT_TRUE(std::all_of(&again[field + 3], &again[field + 51], [](std::uint8_t c) { return c == 0; }));
    EXPECT_EQ(again[field + 51 + 50], 0);

    // Cut inside a field: the characters that were read, not mixed with the old text.
    b.resize(field + 5);
    std::memcpy(&b[field], "Mobil", 5);
    got = loaded(b);
    EXPECT_EQ(text_of(got.text_pre_definitions[0]), "Mobil");
    EXPECT_EQ(text_of(got.text_pre_definitions[1]), "FaxNumber: ");
}

TEST(ConfigurationLoad, CutFontKeepsTheSystemFont) {
    Settings file = full_settings();
    set_text(file.file_name, "");
    Bytes b = configuration_bytes(file);
    const std::size_t font_at = 56 + 541;
    b.resize(font_at + 59);
    Settings got = loaded(b);
    EXPECT_EQ(got.data_view_font, system_font());
    b = configuration_bytes(file);
    b.resize(font_at + 60 + 30);
    got = loaded(b);
    EXPECT_EQ(got.data_view_font, file.data_view_font);
    EXPECT_EQ(got.overview_font, system_font());
}

TEST(ConfigurationLoad, CutNameKeepsWhatWasReadAndClearsTheRest) {
    Settings start = defaults();
    set_text(start.file_name, "C:\\a very long older name.adr");
    Bytes b = magic();
    b.resize(55, 0);
    for (char c : std::string("D:\\x")) b.push_back(static_cast<std::uint8_t>(c));
    EXPECT_EQ(text_of(loaded(b, start).file_name), "D:\\x");
    b.resize(55);
    EXPECT_EQ(text_of(loaded(b, start).file_name), "C:\\a very long older name.adr");
}

TEST(ConfigurationLoad, FullSettingsRoundTrip) {
    Settings s = full_settings();
    Bytes b = configuration_bytes(s);
    // Names: the file name 21 + 1; recent: six of 16 + 1, 511 + 1, 512, 1, 1 + 1.
    EXPECT_EQ(b.size(), 744u - 11 + 22 + 6 * 17 + 512 + 512 + 1 + 2);
    EXPECT_EQ(loaded(b), s);
    EXPECT_EQ(b[b.size() - 2], 5);
    EXPECT_EQ(b[b.size() - 1], 255);
}

// What a reader must make of the first len bytes of full_settings()'s file,
// worked out from the layout table rather than by reading.
Settings expected_after_cut(std::size_t len) {
    const Settings full = full_settings();
    Settings e = defaults();
    if (len < 7) return e;
    std::size_t at = 7;
    auto available = [&](std::size_t size) {
        std::size_t k = len <= at ? 0 : std::min(size, len - at);
        at += size;
        return k;
    };
    auto integer = [&](std::int32_t& out, std::int32_t value) {
        std::size_t k = available(4);
        auto o = static_cast<std::uint32_t>(out), v = static_cast<std::uint32_t>(value);
        for (std::size_t i = 0; i < k; ++i) o = (o & ~(0xFFu << (8 * i))) | (v & (0xFFu << (8 * i)));
        out = static_cast<std::int32_t>(o);
    };
    auto name = [&](FileName& out, const FileName& value) {
        std::size_t stored = std::min<std::size_t>(text_of(value).size() + 1, 512);
        std::size_t k = available(stored);
        if (k == 0) return;
        out.fill('\0');
        std::copy_n(value.begin(), std::min(k, text_of(value).size()), out.begin());
    };
    auto byte = [&](auto& out, auto value, auto cut_off) {
        out = available(1) == 1 ? value : cut_off;
    };
    for (auto [o, v] : {std::pair{&e.main_window_rectangle, full.main_window_rectangle},
                        {&e.overview_rectangle, full.overview_rectangle},
                        {&e.data_view_rectangle, full.data_view_rectangle}}) {
        integer(o->x, v.x);
        integer(o->y, v.y);
        integer(o->width, v.width);
        integer(o->height, v.height);
    }
    name(e.file_name, full.file_name);
    Colour* colours = &e.colours.data_view_background;
    const Colour* full_colours = &full.colours.data_view_background;
    for (int i = 0; i < 7; ++i)
        if (available(4) == 4) colours[i] = full_colours[i];
    for (std::size_t i = 0; i < 10; ++i) {
        std::size_t k = available(51);
        std::string_view text = text_of(full.text_pre_definitions[i]);
        if (k > 0) set_text(e.text_pre_definitions[i], text.substr(0, k));
    }
    byte(e.window_arrangement, full.window_arrangement, std::uint8_t{1});
    byte(e.save_data_automatically, full.save_data_automatically, std::uint8_t{1});
    byte(e.save_configuration_automatically, full.save_configuration_automatically, std::uint8_t{1});
    if (available(60) == 60) e.data_view_font = full.data_view_font;
    if (available(60) == 60) e.overview_font = full.overview_font;
    const Settings d = defaults();
    for (std::size_t i = 0; i < 5; ++i) byte(e.name_separators[i], full.name_separators[i], d.name_separators[i]);
    for (std::size_t i = 0; i < 5; ++i)
        byte(e.address_line_order[i], full.address_line_order[i], d.address_line_order[i]);
    for (std::size_t i = 0; i < 4; ++i) byte(e.empty_line_flags[i], full.empty_line_flags[i], d.empty_line_flags[i]);
    byte(e.swap_names_flag, full.swap_names_flag, std::uint8_t{1});
    for (std::size_t i = 0; i < 10; ++i) name(e.recent_files[i], full.recent_files[i]);
    byte(e.print_left_margin, full.print_left_margin, std::uint8_t{0});
    byte(e.print_top_margin, full.print_top_margin, std::uint8_t{0});
    return e;
}

TEST(ConfigurationLoad, EveryTruncationOfAFullFileObeysTheFieldRules) {
    const Bytes b = configuration_bytes(full_settings());
    for (std::size_t len = 0; len <= b.size(); ++len) {
        Settings got = loaded(Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(len)));
        ASSERT_EQ(got, expected_after_cut(len)) << "length " << len;
    }
    EXPECT_EQ(expected_after_cut(b.size()), full_settings());
}

TEST(ConfigurationLoad, BytesBeyondTheLongestFileAreIgnored) {
    Bytes b = configuration_bytes(full_settings());
    b.resize(configuration_max_size + 1000, 0xAB);
    EXPECT_NO_FATAL_FAILURE(loaded(b));
    std::istringstream in(std::string(b.begin(), b.end()));
    Settings s = defaults();
    load_configuration(s, in);
    EXPECT_EQ(s, loaded(b));
}

class ConfigurationFile : public ::testing::Test {
protected:
    std::string path(const char* name) const { return (dir_ / name).string(); }

    testing::TempFolder dir_{"lumo_config_"};
    testing::NativeFileSystem disk_;
    testing::FaultyFileSystem files_{disk_};
};

TEST_F(ConfigurationFile, SaveThenLoadGivesTheSameSettings) {
    const std::string file = path("V-LUMO.INF");
    Settings s = full_settings();
    ASSERT_TRUE(save_configuration(s, file, files_));
    EXPECT_EQ(std::filesystem::file_size(file), configuration_bytes(s).size());
    Settings back = defaults();
    ASSERT_TRUE(load_configuration_file(back, file));
    EXPECT_EQ(back, s);

    // Saving again truncates the longer file.
    ASSERT_TRUE(save_configuration(defaults(), file, files_));
    EXPECT_EQ(std::filesystem::file_size(file), 744u);
}

TEST_F(ConfigurationFile, AFailingSaveLeavesTheOldFileWhole) {
    // Cut short, the file would read as both automatic saves on.
    const std::string file = path("V-LUMO.INF");
    Settings s = full_settings();
    s.save_data_automatically = 0;
    ASSERT_TRUE(save_configuration(s, file, files_));
    for (testing::FileStep step : {testing::FileStep::create, testing::FileStep::write, testing::FileStep::flush,
                                   testing::FileStep::close, testing::FileStep::replace}) {
        files_.fail(step);
        EXPECT_FALSE(save_configuration(defaults(), file, files_));
        Settings back = defaults();
        ASSERT_TRUE(load_configuration_file(back, file));
        EXPECT_EQ(back, s) << static_cast<int>(step);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);
    }
}

TEST_F(ConfigurationFile, MissingFileOrFolderChangesNothing) {
    Settings s = full_settings();
    EXPECT_FALSE(load_configuration_file(s, path("absent.inf")));
    EXPECT_EQ(s, full_settings());
    EXPECT_FALSE(save_configuration(s, path("no/such/folder/V-LUMO.INF"), files_));
    EXPECT_EQ(s, full_settings());
}

}  // namespace
}  // namespace lumo

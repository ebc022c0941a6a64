// Window title, program paths, window geometry and the start-up steps.
#include "app/frame_logic.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/app.h"
#include "port/ids.h"
#include "settings/configuration.h"
#include "support/fake_port.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;

// ---- Window title --------------------------------------------------------------

TEST(WindowTitle, ShortNamesStandWholeAndUnnamedStatesShowNoName) {
    EXPECT_EQ(title_file_part(""), "NO NAME");
    EXPECT_EQ(title_file_part("\x03:\\books\\a.adr"), "NO NAME");
    const std::string seventy = "C:\\" + std::string(61, 'd') + "\\a.adr";
    ASSERT_EQ(seventy.size(), 70u);
    EXPECT_EQ(title_file_part(seventy), seventy);
}

TEST(WindowTitle, LongNamesKeepTheDriveAndATailFromAFolderBoundary) {
    // 71 characters with a drive: "C:\..\" and what follows the first
    // separator at or after position 71 - 70 + 6 = 7.
    const std::string with_drive = "C:\\abcd\\efgh\\" + std::string(52, 'x') + "\\a.adr";
    ASSERT_EQ(with_drive.size(), 71u);
    EXPECT_EQ(title_file_part(with_drive), "C:\\..\\efgh\\" + std::string(52, 'x') + "\\a.adr");
    const std::string past_it = "C:\\abcdef\\" + std::string(55, 'x') + "\\a.adr";  // '\' at 9, not 2
    ASSERT_EQ(past_it.size(), 71u);
    EXPECT_EQ(title_file_part(past_it), "C:\\..\\" + std::string(55, 'x') + "\\a.adr");

    // No drive (a network path): the prefix alone, searched from 71 - 70 + 4 = 5.
    const std::string network = "\\\\srv\\share\\" + std::string(53, 'y') + "\\b.adr";
    ASSERT_EQ(network.size(), 71u);
    EXPECT_EQ(title_file_part(network), "\\..\\share\\" + std::string(53, 'y') + "\\b.adr");

    // No separator in the tail: the base name, cut to 64 characters.
    const std::string one_long_name = "C:\\" + std::string(100, 'n') + ".adr";
    EXPECT_EQ(title_file_part(one_long_name), std::string(64, 'n'));

    // Any length fits the 72-byte title with its marker.
    for (std::size_t n = 60; n < 600; n += 7) {
        const std::string deep = "D:" + std::string(n, '\\');
        EXPECT_LE(title_file_part(deep).size(), 70u) << n;
    }
}

TEST(WindowTitle, SetWindowTitleKeepsTheMarkerAndShowsTheText) {
    testing::FakePort fake;
    ViewState views;
    Store store{fake.port, views};
    FileState file;
    file.set_name("C:\\books\\friends.adr");
    store.window_title_text()[0] = '*';
    set_window_title(store, file);
    EXPECT_EQ(fake.title, "*C:\\books\\friends.adr");
    file.set_name("\x03:\\books\\friends.adr");
    fake.window_exists = false;
    set_window_title(store, file);
    EXPECT_EQ(fake.title, "*C:\\books\\friends.adr") << "no window: nothing shown";
    EXPECT_STREQ(store.window_title_text().data(), "*NO NAME");
}

// ---- Program paths ------------------------------------------------------------

TEST(ProgramPaths, QuotedTokensKeepBlanksAndUnquotedOnesStopAtTheFirst) {
    ProgramPaths p = program_paths("\"C:\\Program Files\\Lumo\\lumo.exe\" extra \"args\"");
    EXPECT_EQ(p.program_folder, "C:\\Program Files\\Lumo\\");
    EXPECT_EQ(p.configuration_file, "C:\\Program Files\\Lumo\\V-LUMO.INF");
    EXPECT_EQ(p.help_file, "C:\\Program Files\\Lumo\\DOC\\V_LUMO.HTM");

    EXPECT_EQ(program_paths("C:\\Program Files\\Lumo\\lumo.exe").program_folder, "C:\\");
    EXPECT_EQ(program_paths("C:/lumo/lumo.exe file.adr").program_folder, "C:/lumo/");
    EXPECT_EQ(program_paths("\"C:\\unclosed\\lumo.exe").program_folder, "C:\\unclosed\\");
}

TEST(ProgramPaths, WithoutAFolderTheNamesStandAloneAndLongFoldersAreCut) {
    ProgramPaths p = program_paths("lumo.exe");
    EXPECT_EQ(p.program_folder, "");
    EXPECT_EQ(p.configuration_file, "V-LUMO.INF");
    EXPECT_EQ(program_paths("").configuration_file, "V-LUMO.INF");

    const std::string deep = "C:\\" + std::string(600, 'd') + "\\lumo.exe";
    EXPECT_EQ(program_paths(deep).program_folder.size(), 512u);
}

TEST(CommandLine, TheSecondTokenNamesABookQuotedOrNot) {
    EXPECT_EQ(book_on_command_line("\"C:\\Program Files\\Lumo\\lumo.exe\" \"D:\\My Books\\family.adr\""),
              "D:\\My Books\\family.adr");
    EXPECT_EQ(book_on_command_line("C:\\lumo\\lumo.exe D:\\books\\family.adr more"), "D:\\books\\family.adr");
    EXPECT_EQ(book_on_command_line("\"C:\\lumo.exe\"D:\\a.adr"), "D:\\a.adr");
    EXPECT_EQ(book_on_command_line("lumo.exe  \t book.adr"), "book.adr");
    EXPECT_EQ(book_on_command_line("lumo.exe \"an unclosed name.adr"), "an unclosed name.adr");
    for (const char* alone : {"", "lumo.exe", "lumo.exe   ", "\"C:\\Program Files\\lumo.exe\"", "\"C:\\lumo.exe"})
        EXPECT_EQ(book_on_command_line(alone), "") << alone;

    // Names are kept as full paths, so that the configuration finds them again.
    EXPECT_EQ(absolute_path("D:\\a.adr", "C:\\Users"), "D:\\a.adr");
    EXPECT_EQ(absolute_path("\\\\srv\\share\\a.adr", "C:\\Users"), "\\\\srv\\share\\a.adr");
    EXPECT_EQ(absolute_path("book.adr", "C:\\Users\\lumo"), "C:\\Users\\lumo\\book.adr");
    EXPECT_EQ(absolute_path("books\\a.adr", "C:\\"), "C:\\books\\a.adr");
    EXPECT_EQ(absolute_path("\\books\\a.adr", "C:\\Users"), "C:\\books\\a.adr");
}

// ---- Geometry --------------------------------------------------------------

TEST(MainWindowRectangle, ASavedPlaceNearTheScreenStandsElseTheCentredDefault) {
    const ScreenSize screen{1000, 800};
    const Rect centred{100, 80, 800, 640};
    EXPECT_EQ(checked_main_window_rectangle({0, 0, 0, 0}, screen), centred);
    EXPECT_EQ(default_main_window_rectangle({1001, 799}), (Rect{100, 80, 800, 639}));

    for (const Rect& ok : {Rect{-20, -20, 1040, 840}, Rect{1020, 820, 10, 10}, Rect{5, 5, 0, 30}})
        EXPECT_EQ(checked_main_window_rectangle(ok, screen), ok);
    for (const Rect& off : {Rect{-21, 0, 100, 100}, Rect{0, -21, 100, 100}, Rect{1021, 0, 100, 100},
                            Rect{0, 821, 100, 100}, Rect{0, 0, 1041, 100}, Rect{0, 0, 100, 841},
                            Rect{INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX}})
        EXPECT_EQ(checked_main_window_rectangle(off, screen), centred) << off.x << "," << off.y;
}

TEST(ViewPlacement, SideBySideAndOneUponTheOtherSplitSeventyThirty) {
    const auto side = view_placement(arrangement::side_by_side, 1001, 601, 50);
    ASSERT_TRUE(side);
    EXPECT_EQ(side->overview, (Rect{0, 50, 301, 551}));
    EXPECT_EQ(side->data_view, (Rect{301, 50, 700, 551}));

    const auto stacked = view_placement(arrangement::one_upon_the_other, 1001, 601, 50);
    ASSERT_TRUE(stacked);
    EXPECT_EQ(stacked->overview, (Rect{0, 50, 1001, 181}));
    EXPECT_EQ(stacked->data_view, (Rect{0, 231, 1001, 370}));

    EXPECT_FALSE(view_placement(arrangement::free_placement, 1001, 601, 50));
}

TEST(FrameGeometry, MinimumSizeAndAboutBoxPlace) {
    EXPECT_EQ(minimum_tracking_size({470, 72, 17, 4, 1, 14, 16}), (Size{470 + 17 + 10, 42 + 72 + 64}));

    const ScreenSize screen{1000, 800};
    const Size box{200, 300};
    EXPECT_EQ(about_box_position({500, 400}, box, screen), (Point{400, 250}));
    EXPECT_EQ(about_box_position({990, 790}, box, screen), (Point{800, 500}));
    EXPECT_EQ(about_box_position({10, 10}, box, screen), (Point{0, 0}));
    EXPECT_EQ(about_box_position({500, 400}, {1200, 900}, screen), (Point{0, 0})) << "larger than the screen";
}

// ---- Start-up steps ------------------------------------------------------------

class NoCalendar final : public calendar::Transport {
public:
    bool find_calendar() override { return true; }
    void post(const calendar::WireMessage&) override {}
    void bring_calendar_to_front() override {}
};

class StartUpTest : public ::testing::Test {
protected:
    testing::FakePort fake;
    NoCalendar calendar;
    App app{fake.port, calendar};
    fs::path folder;

    void SetUp() override {
        // Relative: stored names count as files only when they begin with a
        // letter (a drive on Windows), not with '/'.
        folder = "lumo_start_up_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string path(const std::string& name) const { return (folder / name).string(); }
    std::string command_line() const { return "\"" + path("lumo.exe") + "\""; }
};

TEST_F(StartUpTest, TheLastFileIsReopenedSortedAndBecomesTheFirstRecentFile) {
    std::ofstream(path("last.adr"), std::ios::binary) << "Bert\r\n\r\nAnna\r\n\r\n";
    Settings saved = default_settings(LogFont{});
    set_text(saved.file_name, path("last.adr"));
    saved.window_arrangement = arrangement::one_upon_the_other;
    set_text(saved.recent_files[2], path("other.adr"));
    ASSERT_TRUE(save_configuration(saved, path("V-LUMO.INF"), fake.files));
    LogFont system_font;
    system_font.height = 16;
    fake.window_exists = false;

    ASSERT_TRUE(start_up_before_window(app, command_line(), system_font));
    EXPECT_EQ(app.paths.configuration_file, path("V-LUMO.INF"));
    EXPECT_EQ(app.settings.window_arrangement, arrangement::one_upon_the_other);
    EXPECT_EQ(app.file.name(), path("last.adr"));
    EXPECT_EQ(std::string(app.store.text_view()), "Anna\r\n\r\nBert\r\n\r\n");
    EXPECT_EQ(app.store.window_title_text()[0], '*');

    fake.window_exists = true;
    start_up_after_window(app);
    EXPECT_FALSE(app.store.modified);
    EXPECT_EQ(fake.title, " " + title_file_part(path("last.adr")));
    EXPECT_TRUE(fake.checked[CMD_ONE_UPON_OTHER]);
    EXPECT_FALSE(fake.checked.count(CMD_SIDE_BY_SIDE));
    EXPECT_EQ(fake.menu_labels[CMD_RECENT_FIRST], "&0: last.adr \tStrg+0");
    EXPECT_EQ(fake.menu_labels[CMD_RECENT_FIRST + 2], "&2: other.adr \tStrg+2");
    EXPECT_FALSE(fake.menu_labels.count(CMD_RECENT_FIRST + 1));
}

TEST_F(StartUpTest, ABookOnTheCommandLineOpensInsteadOfTheLastFileAndBecomesIt) {
    std::ofstream(path("last.adr"), std::ios::binary) << "Last\r\n\r\n";
    std::ofstream(path("my book.adr"), std::ios::binary) << "Bert\r\n\r\nAnna\r\n\r\n";
    Settings saved = default_settings(LogFont{});
    set_text(saved.file_name, path("last.adr"));
    ASSERT_TRUE(save_configuration(saved, path("V-LUMO.INF"), fake.files));
    fake.directory = "";  // the test's paths are relative already

    ASSERT_TRUE(start_up_before_window(app, command_line() + " \"" + path("my book.adr") + "\"", LogFont{}));
    EXPECT_EQ(app.file.name(), path("my book.adr"));
    EXPECT_EQ(std::string(app.store.text_view()), "Anna\r\n\r\nBert\r\n\r\n");
    start_up_after_window(app);
    EXPECT_EQ(text_of(app.settings.file_name), path("my book.adr"));
    EXPECT_EQ(fake.menu_labels[CMD_RECENT_FIRST], "&0: my book.adr \tStrg+0");
}

TEST_F(StartUpTest, WithoutAConfigurationTheDefaultsStandAndTheStoreIsNew) {
    LogFont system_font;
    system_font.weight = 700;
    ASSERT_TRUE(start_up_before_window(app, command_line(), system_font));
    EXPECT_EQ(app.settings.data_view_font, system_font);
    EXPECT_EQ(app.settings.overview_font, system_font);
    EXPECT_EQ(std::string(app.store.text_view()), " \r\n\r\n");
    EXPECT_STREQ(app.store.window_title_text().data(), " NO NAME");
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(StartUpTest, AMissingLastFileIsReportedAndForgotten) {
    Settings saved = default_settings(LogFont{});
    set_text(saved.file_name, path("gone.adr"));
    ASSERT_TRUE(save_configuration(saved, path("V-LUMO.INF"), fake.files));
    ASSERT_TRUE(start_up_before_window(app, command_line(), LogFont{}));
    EXPECT_EQ(fake.last_box(), "Cannot open file!");
    EXPECT_TRUE(app.file.name().empty());
    EXPECT_TRUE(text_of(app.settings.file_name).empty());
    EXPECT_FALSE(app.store.store_released());
}

}  // namespace
}  // namespace lumo

// The File menu of the real lumo.exe: the file named by the configuration,
// Open, Save, Save as and Add through the common dialogs, the recent files,
// New, the backup, and the save question at the end.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

#include "data/store.h"
#include "data/window_title.h"
#include "e2e/books.h"
#include "e2e/harness.h"
#include "port/ids.h"
#include "settings/configuration.h"

namespace lumo::e2e {
namespace {

std::string entries_status(std::int32_t count) {
    const auto text = format_entries_status(count);
    return std::string(text.data(), text.size());
}

class FileCommands : public ::testing::Test {
protected:
    FileCommands() { settings.save_configuration_automatically = 1; }

    std::string path(const std::string& name) const { return lumo.folder() + name; }

    void write_configuration() {
        const auto bytes = configuration_bytes(settings);
        lumo.write_file(std::string(configuration_file_name), std::string(bytes.begin(), bytes.end()));
    }

    Settings read_configuration() const {
        const std::string bytes = lumo.read_file(std::string(configuration_file_name));
        Settings read = default_settings(LogFont{});
        load_configuration(read, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
        return read;
    }

    // Writes the configuration naming `file`, starts lumo beside the calendar.
    void start_with(const std::string& file) {
        set_text(settings.file_name, file.empty() ? std::string() : path(file));
        write_configuration();
        ASSERT_TRUE(lumo.start());
        ASSERT_TRUE(calendar.wait_for("HALLO, HIER IST LUMO!")) << lumo.describe();
        ASSERT_TRUE(lumo.wait_for_main_window()) << lumo.describe();
        wait_for_views();
    }

    // The data view is the last window start-up creates.
    void wait_for_views() {
        ASSERT_TRUE(lumo.wait_until([&] { return GetDlgItem(lumo.main_window(), 2) != nullptr; }))
            << lumo.describe();
    }

    bool title_becomes(const std::string& expected) {
        return lumo.wait_until([&] { return lumo.title() == expected; });
    }
    bool status_becomes(std::int32_t count) {
        return lumo.wait_until([&] { return lumo.status_text() == entries_status(count); });
    }
    bool file_becomes(const std::string& name, const std::string& bytes) {
        return lumo.wait_until([&] { return lumo.read_file(name) == bytes; });
    }

    // Runs a command that shows a file dialog and picks `file` in it.
    void choose_through(int command, const std::string& caption, const std::string& file) {
        lumo.post_command(command);
        HWND dialog = lumo.wait_for_dialog(caption);
        ASSERT_NE(dialog, nullptr) << lumo.describe();
        Lumo::choose_file(dialog, path(file));
    }

    void quit_without_question() {
        lumo.post_command(CMD_QUIT);
        EXPECT_TRUE(calendar.wait_for("LumoQuit")) << lumo.describe();
        EXPECT_EQ(lumo.wait_for_exit(), 0) << lumo.describe();
    }

    FakeCalendar calendar;
    Lumo lumo;
    Settings settings = default_settings(LogFont{});
};

const std::string unsorted = book({"Zander, Paul\r\nBerlin", "Adler, Bernd\r\nKiel", "Meier, Anna"});
const std::string sorted = book({"Adler, Bernd\r\nKiel", "Meier, Anna", "Zander, Paul\r\nBerlin"});

TEST_F(FileCommands, ConfiguredFileOpensSortedAndSavesWithBackups) {
    lumo.write_file("book.adr", unsorted);
    start_with("book.adr");
    EXPECT_TRUE(title_becomes(title_for(path("book.adr")))) << lumo.title();
    EXPECT_TRUE(status_becomes(3)) << lumo.status_text();

    // Saving a file that has a name asks nothing; the old bytes go to ".DUP".
    lumo.post_command(CMD_SAVE);
    EXPECT_TRUE(file_becomes("book.adr", sorted)) << lumo.read_file("book.adr");
    EXPECT_EQ(lumo.read_file("book.DUP"), unsorted);

    // A second save keeps the first saved version as the backup.
    lumo.post_command(CMD_NEW_ENTRY);
    EXPECT_TRUE(status_becomes(4));
    EXPECT_TRUE(title_becomes(title_for(path("book.adr"), '*')));
    lumo.post_command(CMD_SAVE);
    EXPECT_TRUE(lumo.wait_until([&] { return lumo.read_file("book.DUP") == sorted; }))
        << lumo.read_file("book.DUP");
    EXPECT_TRUE(lumo.wait_until([&] { return lumo.read_file("book.adr").size() == sorted.size() + 5; }));
    EXPECT_TRUE(title_becomes(title_for(path("book.adr"))));
    quit_without_question();
}

TEST_F(FileCommands, OpenAndSaveAsGoThroughTheCommonDialogs) {
    lumo.write_file("first.adr", sorted);
    lumo.write_file("second.adr", book({"Otto\r\nBonn", "Berta"}));
    start_with("first.adr");
    EXPECT_TRUE(status_becomes(3));

    choose_through(CMD_OPEN, "Open VORNIX-Lumo-File", "second.adr");
    EXPECT_TRUE(title_becomes(title_for(path("second.adr")))) << lumo.describe();
    EXPECT_TRUE(status_becomes(2));

    choose_through(CMD_SAVE_AS, "Save VORNIX-Lumo-File", "third.adr");
    EXPECT_TRUE(file_becomes("third.adr", book({"Berta", "Otto\r\nBonn"}))) << lumo.read_file("third.adr");
    EXPECT_TRUE(title_becomes(title_for(path("third.adr"))));
    EXPECT_EQ(lumo.read_file("second.adr"), book({"Otto\r\nBonn", "Berta"}));
    quit_without_question();

    // The configuration written at the end names the last file; Open made
    // the opened file the newest recent one, ahead of the first file.
    const Settings saved = read_configuration();
    EXPECT_EQ(text_of(saved.file_name), path("third.adr"));
    EXPECT_EQ(text_of(saved.recent_files[0]), path("second.adr"));
    EXPECT_EQ(text_of(saved.recent_files[1]), path("first.adr"));
}

TEST_F(FileCommands, RecentFileOpensByCtrlDigitAndAnEmptySlotDoesNothing) {
    lumo.write_file("first.adr", sorted);
    lumo.write_file("second.adr", book({"Berta", "Otto"}));
    set_text(settings.recent_files[0], path("first.adr"));
    set_text(settings.recent_files[1], path("second.adr"));
    start_with("second.adr");
    EXPECT_TRUE(status_becomes(2));

    lumo.post_command(CMD_RECENT_FIRST);  // Ctrl+0
    EXPECT_TRUE(title_becomes(title_for(path("first.adr")))) << lumo.describe();
    EXPECT_TRUE(status_becomes(3));

    lumo.post_command(CMD_RECENT_FIRST + 5);  // nothing stored there
    pump_for(300);
    EXPECT_EQ(lumo.title(), title_for(path("first.adr")));
    EXPECT_EQ(lumo.status_text(), entries_status(3));
    quit_without_question();
}

TEST_F(FileCommands, NewLeavesOneEmptyEntryAndSaveThenAsksForAName) {
    lumo.write_file("book.adr", sorted);
    start_with("book.adr");
    lumo.post_command(CMD_NEW);
    EXPECT_TRUE(title_becomes(" NO NAME")) << lumo.describe();
    EXPECT_TRUE(status_becomes(1));

    choose_through(CMD_SAVE, "Save VORNIX-Lumo-File", "fresh.adr");
    EXPECT_TRUE(file_becomes("fresh.adr", " \r\n\r\n")) << lumo.read_file("fresh.adr");
    EXPECT_TRUE(title_becomes(title_for(path("fresh.adr"))));
    EXPECT_EQ(lumo.read_file("book.adr"), sorted);
    quit_without_question();
}

TEST_F(FileCommands, AddMergesTheFileAndOffersTheDataCheck) {
    lumo.write_file("book.adr", book({"Adler", "Meier"}));
    lumo.write_file("more.adr", book({"Meier", "Berta"}));
    start_with("book.adr");
    EXPECT_TRUE(status_becomes(2));

    choose_through(CMD_ADD, "Add VORNIX-Lumo-File", "more.adr");
    MessageBoxInfo question = lumo.wait_for_box("data-check");
    ASSERT_NE(question.window, nullptr) << lumo.describe();
    EXPECT_EQ(question.text, "Shall VORNIX-Lumo make a\ndata-check now, deleting\ndouble entries?");
    EXPECT_EQ(question.caption, "VORNIX-Lumo:");
    EXPECT_TRUE(status_becomes(4));
    lumo.answer(question, IDYES);
    // The doubled "Meier" is gone; the merged data are unsaved.
    EXPECT_TRUE(status_becomes(3)) << lumo.status_text();
    EXPECT_EQ(lumo.title().substr(0, 1), "*");

    lumo.post_command(CMD_SAVE);
    EXPECT_TRUE(file_becomes("book.adr", book({"Adler", "Berta", "Meier"}))) << lumo.read_file("book.adr");
    quit_without_question();
}

// Quits with one new entry unsaved and answers the save question.
class SaveQuestion : public FileCommands, public ::testing::WithParamInterface<int> {};

TEST_P(SaveQuestion, QuittingWithUnsavedChangesAsksAndHonoursTheAnswer) {
    const int answer = GetParam();
    lumo.write_file("book.adr", sorted);
    start_with("book.adr");
    lumo.post_command(CMD_NEW_ENTRY);
    EXPECT_TRUE(status_becomes(4));
    lumo.post_command(CMD_QUIT);
    MessageBoxInfo question = lumo.wait_for_box("Save Data now?");
    ASSERT_NE(question.window, nullptr) << lumo.describe();
    EXPECT_EQ(question.caption, "VORNIX-Lumo:");
    lumo.answer(question, answer);
    EXPECT_TRUE(calendar.wait_for("LumoQuit")) << lumo.describe();
    EXPECT_EQ(lumo.wait_for_exit(), 0);
    if (answer == IDYES) {
        EXPECT_EQ(lumo.read_file("book.adr").size(), sorted.size() + 5);
        EXPECT_EQ(lumo.read_file("book.DUP"), sorted);
    } else {
        EXPECT_EQ(lumo.read_file("book.adr"), sorted);
        EXPECT_EQ(lumo.read_file("book.DUP"), "");
    }
}

INSTANTIATE_TEST_SUITE_P(BothAnswers, SaveQuestion, ::testing::Values(IDYES, IDNO));

TEST_F(FileCommands, SaveDataAutomaticallySavesWithoutAsking) {
    settings.save_data_automatically = 1;
    lumo.write_file("book.adr", sorted);
    start_with("book.adr");
    lumo.post_command(CMD_NEW_ENTRY);
    EXPECT_TRUE(status_becomes(4));
    quit_without_question();
    EXPECT_EQ(lumo.read_file("book.adr").size(), sorted.size() + 5);
}

// A save that fails (the book's folder has gone since it was opened): the
// message; Quit asks whether to quit without saving and No keeps lumo
// running with the data; Save as to a writable folder then writes them all.
TEST_F(FileCommands, AFailedSaveKeepsLumoAndItsDataUntilTheyAreSavedElsewhere) {
    ASSERT_TRUE(CreateDirectoryA(path("books").c_str(), nullptr));
    lumo.write_file("books\\book.adr", sorted);
    start_with("books\\book.adr");
    EXPECT_TRUE(status_becomes(3));
    lumo.post_command(CMD_NEW_ENTRY);
    EXPECT_TRUE(status_becomes(4));
    ASSERT_TRUE(MoveFileA(path("books").c_str(), path("gone").c_str()));

    auto answer = [&](const std::string& text, int button) {
        const MessageBoxInfo box = lumo.wait_for_box(text);
        ASSERT_NE(box.window, nullptr) << lumo.describe();
        EXPECT_EQ(box.caption, "VORNIX-Lumo:");
        lumo.answer(box, button);
    };
    lumo.post_command(CMD_SAVE);
    answer("Cannot save file!", IDOK);
    lumo.post_command(CMD_QUIT);
    answer("Save Data now?", IDYES);
    answer("Cannot save file!", IDOK);
    const MessageBoxInfo question = lumo.wait_for_box("without saving");
    ASSERT_NE(question.window, nullptr) << lumo.describe();
    EXPECT_EQ(question.text, "The data could not be saved!\nQuit VORNIX-Lumo without saving?");
    lumo.answer(question, IDNO);
    // The end of the Windows session asks the same way.
    PostMessageA(lumo.main_window(), WM_QUERYENDSESSION, 0, 0);
    answer("Save Data now?", IDYES);
    answer("Cannot save file!", IDOK);
    answer("without saving", IDNO);

    pump_for(500);
    EXPECT_TRUE(lumo.running());
    EXPECT_TRUE(lumo.responsive());
    EXPECT_EQ(lumo.title().substr(0, 1), "*");
    EXPECT_EQ(lumo.status_text(), entries_status(4));
    for (const std::string& text : calendar.received()) EXPECT_NE(text, "LumoQuit");
    EXPECT_EQ(lumo.read_file("gone\\book.adr"), sorted) << "the old book is untouched";

    choose_through(CMD_SAVE_AS, "Save VORNIX-Lumo-File", "saved.adr");
    EXPECT_TRUE(lumo.wait_until([&] { return lumo.read_file("saved.adr").size() == sorted.size() + 5; }))
        << lumo.describe();
    EXPECT_TRUE(title_becomes(title_for(path("saved.adr"))));
    // Saved now: the close box ends lumo without a question.
    PostMessageA(lumo.main_window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(calendar.wait_for("LumoQuit")) << lumo.describe();
    EXPECT_EQ(lumo.wait_for_exit(), 0) << lumo.describe();
}

// Undo after a recent file returns to the first book under its own name;
// saving then writes the first book, never the second.
TEST_F(FileCommands, UndoAfterARecentFileReturnsToTheFirstBookAndSaveLeavesTheSecondAlone) {
    const std::string second = book({"Berta", "Otto"});
    lumo.write_file("first.adr", sorted);
    lumo.write_file("second.adr", second);
    set_text(settings.recent_files[1], path("second.adr"));
    start_with("first.adr");
    EXPECT_TRUE(status_becomes(3));
    lumo.post_command(CMD_NEW_ENTRY);  // the undo snapshot holds the first book as loaded
    EXPECT_TRUE(status_becomes(4));

    lumo.post_command(CMD_RECENT_FIRST + 1);
    const MessageBoxInfo question = lumo.wait_for_box("Save Data now?");
    ASSERT_NE(question.window, nullptr) << lumo.describe();
    lumo.answer(question, IDNO);
    EXPECT_TRUE(title_becomes(title_for(path("second.adr")))) << lumo.describe();
    EXPECT_TRUE(status_becomes(2));

    lumo.post_command(CMD_UNDO);
    EXPECT_TRUE(title_becomes(title_for(path("first.adr")))) << lumo.title();
    EXPECT_TRUE(status_becomes(3));
    lumo.post_command(CMD_SAVE);
    EXPECT_TRUE(file_becomes("first.DUP", sorted)) << lumo.describe();
    EXPECT_TRUE(file_becomes("first.adr", sorted));
    EXPECT_EQ(lumo.read_file("second.adr"), second);
    EXPECT_EQ(lumo.read_file("second.DUP"), "");
    quit_without_question();
}

TEST_F(FileCommands, ConfigurationAtExitReopensTheFileAndThePlacement) {
    lumo.write_file("book.adr", sorted);
    settings.main_window_rectangle = {40, 30, 700, 480};
    start_with("book.adr");
    RECT r{};
    GetWindowRect(lumo.main_window(), &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, 700);
    EXPECT_EQ(r.bottom - r.top, 480);

    // Moved by the user: the new place is what the configuration keeps.
    SetWindowPos(lumo.main_window(), nullptr, 60, 50, 720, 500, SWP_NOZORDER | SWP_NOACTIVATE);
    pump_for(200);
    quit_without_question();
    const Settings saved = read_configuration();
    EXPECT_EQ(saved.main_window_rectangle, (Rect{60, 50, 720, 500}));
    EXPECT_EQ(text_of(saved.file_name), path("book.adr"));

    ASSERT_TRUE(lumo.start());
    ASSERT_TRUE(lumo.wait_for_main_window()) << lumo.describe();
    wait_for_views();
    EXPECT_TRUE(title_becomes(title_for(path("book.adr"))));
    GetWindowRect(lumo.main_window(), &r);
    EXPECT_EQ(r.left, 60);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(r.right - r.left, 720);
    EXPECT_EQ(r.bottom - r.top, 500);
    quit_without_question();
}

TEST_F(FileCommands, ToolbarButtonsFollowTheCalendarsReports) {
    start_with("");
    EXPECT_TRUE(title_becomes(" NO NAME"));
    HWND calendar_2 = lumo.frame_control(CMD_CALENDAR_2);
    HWND clock = lumo.frame_control(CMD_ANALOG_CLOCK);
    ASSERT_NE(calendar_2, nullptr) << lumo.describe();
    ASSERT_NE(clock, nullptr);
    auto pressed = [](HWND button) { return (SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; };
    EXPECT_FALSE(pressed(calendar_2));

    ASSERT_TRUE(calendar.send("OpenKal2"));
    EXPECT_TRUE(lumo.wait_until([&] { return pressed(calendar_2); }));
    ASSERT_TRUE(calendar.send("OpenGClock"));
    EXPECT_TRUE(lumo.wait_until([&] { return pressed(clock); }));
    ASSERT_TRUE(calendar.send("CloseKal2"));
    EXPECT_TRUE(lumo.wait_until([&] { return !pressed(calendar_2); }));
    EXPECT_TRUE(pressed(clock));
    quit_without_question();
}

}  // namespace
}  // namespace lumo::e2e

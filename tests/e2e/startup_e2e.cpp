// lumo.exe beside a calendar played by the test: greeting, quitting, the
// missing calendar, the second instance, a book named on the command line,
// and hostile transfer messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <random>
#include <span>
#include <string>

#include "e2e/books.h"
#include "e2e/harness.h"
#include "port/ids.h"
#include "settings/configuration.h"

namespace lumo::e2e {
namespace {

// Starts lumo beside the calendar and waits for the greeting.
void start_beside(Lumo& lumo, FakeCalendar& calendar) {
    ASSERT_TRUE(lumo.start());
    ASSERT_TRUE(calendar.wait_for("HALLO, HIER IST LUMO!")) << lumo.describe();
    ASSERT_TRUE(lumo.wait_for_main_window()) << lumo.describe();
}

TEST(Startup, GreetsTheCalendarAndSaysGoodbyeOnQuit) {
    FakeCalendar calendar;
    Lumo lumo;
    start_beside(lumo, calendar);
    char title[128] = {};
    GetWindowTextA(lumo.main_window(), title, sizeof title);
    EXPECT_STREQ(title, " NO NAME");
    EXPECT_NE(GetMenu(lumo.main_window()), nullptr);

    lumo.post_command(CMD_QUIT);
    EXPECT_TRUE(calendar.wait_for("LumoQuit")) << lumo.describe();
    EXPECT_EQ(lumo.wait_for_exit(), 0) << lumo.describe();
}

TEST(Startup, CalendarWindowCommandsSendTheirRequests) {
    FakeCalendar calendar;
    Lumo lumo;
    start_beside(lumo, calendar);
    lumo.post_command(CMD_CALENDAR_2);
    lumo.post_command(CMD_ANALOG_CLOCK);
    lumo.post_command(CMD_ALARM_WINDOW);
    PostMessageA(lumo.main_window(), WM_SYSCOMMAND, CMD_CALENDAR_4, 0);
    EXPECT_TRUE(calendar.wait_for("OpenAlarm")) << lumo.describe();
    EXPECT_TRUE(calendar.wait_for("OpenKal4")) << lumo.describe();
    EXPECT_EQ(calendar.received(), (std::vector<std::string>{"HALLO, HIER IST LUMO!", "OpenKal2", "OpenGClock",
                                                             "OpenAlarm", "OpenKal4"}));
    // The system menu's Quit item ends the program too.
    PostMessageA(lumo.main_window(), WM_SYSCOMMAND, CMD_QUIT, 0);
    EXPECT_TRUE(calendar.wait_for("LumoQuit"));
    EXPECT_EQ(lumo.wait_for_exit(), 0);
}

TEST(Startup, CalendarQuitReportEndsLumo) {
    FakeCalendar calendar;
    Lumo lumo;
    start_beside(lumo, calendar);
    ASSERT_TRUE(calendar.send("VornixQuit"));
    EXPECT_TRUE(calendar.wait_for("LumoQuit")) << lumo.describe();
    EXPECT_EQ(lumo.wait_for_exit(), 0) << lumo.describe();
}

TEST(Startup, MissingCalendarIsReportedAndLumoEnds) {
    Lumo lumo;
    ASSERT_TRUE(lumo.start());
    MessageBoxInfo box = lumo.wait_for_box("not started a VORNIX");
    ASSERT_NE(box.window, nullptr) << lumo.describe();
    EXPECT_EQ(box.text, "You\x92ve not started a VORNIX!");
    EXPECT_EQ(box.caption, "VORNIX-Lumo:");
    lumo.answer(box, IDOK);
    EXPECT_EQ(lumo.wait_for_exit(), 0) << lumo.describe();
}

TEST(Startup, SecondInstanceIsRefusedAndTheFirstGoesOn) {
    FakeCalendar calendar;
    Lumo first;
    start_beside(first, calendar);
    Lumo second;
    ASSERT_TRUE(second.start());
    MessageBoxInfo box = second.wait_for_box("already active");
    ASSERT_NE(box.window, nullptr) << second.describe();
    EXPECT_EQ(box.text, "VORNIX-Lumo is already active!");
    EXPECT_EQ(box.caption, "VORNIX-Lumo:");
    second.answer(box, IDOK);
    EXPECT_EQ(second.wait_for_exit(), 1) << second.describe();
    EXPECT_TRUE(first.running());
    EXPECT_TRUE(first.responsive());
}

// What a double click on a book does: the book is the second token of the
// command line, quoted.
TEST(Startup, ABookNamedOnTheCommandLineOpensAndBecomesTheLastFile) {
    FakeCalendar calendar;
    Lumo lumo;
    const std::string named = lumo.folder() + "my book.adr";
    lumo.write_file("my book.adr", book({"Anton A\r\nStreet 1", "Berta B\r\nStreet 2"}));
    ASSERT_TRUE(lumo.start("\"" + named + "\""));
    ASSERT_TRUE(calendar.wait_for("HALLO, HIER IST LUMO!")) << lumo.describe();
    ASSERT_TRUE(lumo.wait_for_main_window()) << lumo.describe();
    EXPECT_TRUE(lumo.wait_until([&] { return lumo.title() == title_for(named); })) << lumo.title();
    EXPECT_EQ(lumo.status_text(), "       2 Entries");

    // A second lumo asked to open a book is refused like any second one.
    Lumo second;
    second.write_file("other.adr", book({"Caesar C"}));
    ASSERT_TRUE(second.start(second.folder() + "other.adr"));
    const MessageBoxInfo box = second.wait_for_box("already active");
    ASSERT_NE(box.window, nullptr) << second.describe();
    second.answer(box, IDOK);
    EXPECT_EQ(second.wait_for_exit(), 1) << second.describe();
    EXPECT_EQ(lumo.title(), title_for(named));

    // The configuration saved at the end names the book as the last file.
    lumo.post_command(CMD_QUIT);
    EXPECT_EQ(lumo.wait_for_exit(), 0) << lumo.describe();
    const std::string bytes = lumo.read_file(std::string(configuration_file_name));
    Settings saved = default_settings(LogFont{});
    load_configuration(saved, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    EXPECT_EQ(text_of(saved.file_name), named);
}

TEST(Startup, HostileTransferMessagesLeaveLumoRunning) {
    FakeCalendar calendar;
    Lumo lumo;
    start_beside(lumo, calendar);
    std::mt19937 rng(7);
    const WPARAM nasty_w[] = {0, 1, 1023, 1024, 65535, 999999, 999998, ~WPARAM{0}, WPARAM{1} << 31};
    const LPARAM nasty_l[] = {0, 1, 255, 256, -1, 999999, 0x7FFFFFFF, -0x7FFFFFFF};
    for (int i = 0; i < 3000; ++i)
        calendar.post_raw(nasty_w[rng() % std::size(nasty_w)], nasty_l[rng() % std::size(nasty_l)]);
    for (int i = 0; i < 2000; ++i) calendar.post_raw(rng() % 1500, static_cast<LPARAM>(rng() % 300));
    pump_for(500);
    EXPECT_TRUE(lumo.running()) << lumo.describe();
    EXPECT_TRUE(lumo.responsive());
    // The link still works afterwards: a request goes out and a quit report is obeyed.
    lumo.post_command(CMD_CALENDAR_1);
    EXPECT_TRUE(calendar.wait_for("OpenKal1")) << lumo.describe();
    ASSERT_TRUE(calendar.send("VornixQuit"));
    EXPECT_TRUE(calendar.wait_for("LumoQuit")) << lumo.describe();
    EXPECT_EQ(lumo.wait_for_exit(), 0);
}

}  // namespace
}  // namespace lumo::e2e

// The calendar's side of the link: dates and times as people type them, the
// requests the address book sends, the reports that answer them, and the
// appointments file that must survive restarts and keep what it cannot read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "calendar/appointments.h"
#include "calendar/calendar_link.h"
#include "port/ids.h"
#include "support/temp_folder.h"

namespace lumo::calendar {
namespace {

namespace fs = std::filesystem;

TEST(CalendarDates, DayNumbersWeekdaysAndMonthsAgreeDayByDay) {
    // Walk two centuries one day at a time: the day number must count up by
    // one, convert back, and the weekday must cycle.
    Date date{1900, 1, 1};
    std::int64_t expected = day_number(date);
    int expected_weekday = weekday(date);
    EXPECT_EQ(expected_weekday, 0);  // 1 January 1900 was a Monday
    while (date.year < 2100) {
        ASSERT_TRUE(is_valid_date(date));
        ASSERT_EQ(day_number(date), expected) << format_date(date);
        ASSERT_EQ(date_from_day_number(expected), date);
        ASSERT_EQ(weekday(date), expected_weekday) << format_date(date);
        ++date.day;
        if (date.day > days_in_month(date.year, date.month)) date = month_start(date.year, date.month, 1);
        ++expected;
        expected_weekday = (expected_weekday + 1) % 7;
    }
    EXPECT_EQ(day_number({1970, 1, 1}), 0);
    EXPECT_EQ(day_number({2026, 12, 6}), 20793);
    EXPECT_EQ(weekday({2026, 12, 6}), 6);  // a Sunday
    EXPECT_EQ(days_in_month(2024, 2), 29);
    EXPECT_EQ(days_in_month(1900, 2), 28);
    EXPECT_EQ(days_in_month(2000, 2), 29);
    EXPECT_EQ(days_in_month(2026, 13), 0);
    EXPECT_EQ(month_start(2026, 12, 1), (Date{2027, 1, 1}));
    EXPECT_EQ(month_start(2026, 1, -1), (Date{2025, 12, 1}));
    EXPECT_EQ(month_start(2026, 5, -17), (Date{2024, 12, 1}));
}

TEST(CalendarDates, DatesAndTimesAsTyped) {
    EXPECT_EQ(parse_date("06/12/2026"), (Date{2026, 12, 6}));
    EXPECT_EQ(parse_date("6.12.2026"), (Date{2026, 12, 6}));
    EXPECT_EQ(parse_date("06122026"), (Date{2026, 12, 6}));
    EXPECT_EQ(parse_date("1/1/2003"), (Date{2003, 1, 1}));
    EXPECT_EQ(parse_date("29-02-2024"), (Date{2024, 2, 29}));
    // The address book lets these through; a calendar has no such days.
    for (const char* bad : {"45/13/2003", "06/12/26", "00/12/2026", "29.02.2023", "31.04.2026", "", "6.12.2026x",
                            "6..12.2026", "x6.12.2026", "06/12/20266"})
        EXPECT_FALSE(parse_date(bad)) << bad;

    EXPECT_EQ(parse_time("14:05"), (TimeOfDay{14, 5}));
    EXPECT_EQ(parse_time("14.05"), (TimeOfDay{14, 5}));
    EXPECT_EQ(parse_time("9.05"), (TimeOfDay{9, 5}));
    EXPECT_EQ(parse_time("9:5"), (TimeOfDay{9, 5}));
    EXPECT_EQ(parse_time("1405"), (TimeOfDay{14, 5}));
    EXPECT_EQ(parse_time("00.00"), (TimeOfDay{0, 0}));
    for (const char* bad : {"24:00", "12:60", "1", "12", "", "140", "12:05:30", "ab:cd", "12:5x"})
        EXPECT_FALSE(parse_time(bad)) << bad;

    EXPECT_EQ(format_date({2026, 12, 6}), "06.12.2026");
    EXPECT_EQ(format_time({9, 5}), "09:05");
}

TEST(CalendarRequests, WindowsGreetingAndGoodbye) {
    EXPECT_EQ(interpret_request("HALLO, HIER IST LUMO!").kind, CalendarRequest::Kind::greeting);
    EXPECT_EQ(interpret_request("LumoQuit").kind, CalendarRequest::Kind::lumo_quit);
    const std::pair<const char*, CalendarWindow> opens[] = {
        {"OpenKal1", CalendarWindow::calendar_1}, {"OpenKal2", CalendarWindow::calendar_2},
        {"OpenKal3", CalendarWindow::calendar_3}, {"OpenKal4", CalendarWindow::calendar_4},
        {"OpenGClock", CalendarWindow::clock},    {"OpenAlarm", CalendarWindow::alarm}};
    for (const auto& [text, window] : opens) {
        const auto request = interpret_request(text);
        EXPECT_EQ(request.kind, CalendarRequest::Kind::open_window) << text;
        EXPECT_EQ(request.window, window) << text;
    }
    for (const char* other : {"", "openkal1", "OpenKal5", "OpenKal1 ", "CloseKal1", "VORNIX000000", "hallo"})
        EXPECT_EQ(interpret_request(other).kind, CalendarRequest::Kind::unknown) << other;
}

TEST(CalendarRequests, AppointmentsAreReadApart) {
    auto request = interpret_request("TS100006/12/2026 14.05 Birthday: <Miller>");
    ASSERT_EQ(request.kind, CalendarRequest::Kind::appointment);
    EXPECT_EQ(request.problem, "");
    EXPECT_EQ(request.appointment.calendars, (std::array<bool, 4>{true, false, false, false}));
    EXPECT_EQ(request.appointment.date, (Date{2026, 12, 6}));
    EXPECT_EQ(request.appointment.time, (TimeOfDay{14, 5}));
    EXPECT_EQ(request.appointment.text, "Birthday: Miller");

    // Without a pre-definition; angle brackets inside the text stay; control
    // characters cannot break the one-line file.
    request = interpret_request("TS01016.12.2026 9:30 <a <b> c\x01\td\xfc>");
    EXPECT_EQ(request.problem, "");
    EXPECT_EQ(request.appointment.calendars, (std::array<bool, 4>{false, true, false, true}));
    EXPECT_EQ(request.appointment.text, "a <b> c  d\xfc");

    // A text cut before its ">" is still taken; an empty one too, and a blank
    // after the calendar digits does no harm.
    EXPECT_EQ(interpret_request("TS001006/12/2026 14.05 <Mill").appointment.text, "Mill");
    EXPECT_EQ(interpret_request("TS0010 06/12/2026 14.05 <>").problem, "");

    const std::pair<const char*, const char*> refused[] = {
        {"TS", "no calendars named"},
        {"TS10", "no calendars named"},
        {"TS000006/12/2026 14.05 <x>", "no calendar chosen"},
        {"TS1x0006/12/2026 14.05 <x>", "calendars are not four digits 0 or 1"},
        {"TS100045/13/2003 14.05 <x>", "unreadable date"},
        {"TS1000", "unreadable date"},
        {"TS100006/12/2026", "unreadable date"},
        {"TS100006/12/2026 25.00 <x>", "unreadable time"},
        {"TS100006/12/2026 14.05", "unreadable time"},
        {"TS100006/12/2026 14.05 Miller", "no text in angle brackets"},
    };
    for (const auto& [text, problem] : refused) {
        request = interpret_request(text);
        EXPECT_EQ(request.kind, CalendarRequest::Kind::appointment) << text;
        EXPECT_EQ(request.problem, problem) << text;
    }
}

TEST(CalendarRequests, SearchesNameACalendarAndAText) {
    auto request = interpret_request("XS2Miller");
    ASSERT_EQ(request.kind, CalendarRequest::Kind::search);
    EXPECT_EQ(request.problem, "");
    EXPECT_EQ(request.search_calendar, 2);
    EXPECT_EQ(request.search_text, "Miller");
    EXPECT_EQ(interpret_request("XS4").search_text, "");
    EXPECT_EQ(interpret_request("XS5Miller").problem, "no calendar 1 to 4 named");
    EXPECT_EQ(interpret_request("XS").problem, "no calendar 1 to 4 named");
}

TEST(CalendarReports, WhatTheCalendarSendsIsWhatTheAddressBookUnderstands) {
    const int buttons[] = {CMD_CALENDAR_1, CMD_CALENDAR_2,   CMD_CALENDAR_3,
                           CMD_CALENDAR_4, CMD_ANALOG_CLOCK, CMD_ALARM_WINDOW};
    for (int i = 0; i < window_count; ++i) {
        const auto window = static_cast<CalendarWindow>(i);
        const Report opened = interpret_report(open_report(window));
        ASSERT_EQ(opened.kind, Report::Kind::buttons);
        EXPECT_EQ(opened.buttons, (std::vector<std::pair<int, bool>>{{buttons[i], true}}));
        const Report closed = interpret_report(close_report(window));
        EXPECT_EQ(closed.buttons, (std::vector<std::pair<int, bool>>{{buttons[i], false}}));
    }
    EXPECT_EQ(open_report(CalendarWindow::calendar_3), "OpenKal3");
    EXPECT_EQ(close_report(CalendarWindow::alarm), "CloseAlarm");

    EXPECT_EQ(status_report({false, false, false, false, false, false}), "VORNIX000000");
    const std::string status = status_report({true, false, true, false, false, true});
    EXPECT_EQ(status, "VORNIX101001");
    EXPECT_EQ(interpret_report(status).buttons,
              (std::vector<std::pair<int, bool>>{{CMD_CALENDAR_1, true}, {CMD_CALENDAR_3, true}, {CMD_ALARM_WINDOW, true}}));
}

TEST(AppointmentLines, RoundTripAndRefuseDamagedLines) {
    const Appointment appointment{3, {2026, 12, 6}, {9, 5}, "Besuch bei M\xfcller, Stra\xdf" "e 1"};
    const std::string line = format_appointment_line(appointment);
    EXPECT_EQ(line, "3 06.12.2026 09:05 Besuch bei M\xfcller, Stra\xdf" "e 1");
    EXPECT_EQ(parse_appointment_line(line), appointment);
    EXPECT_EQ(parse_appointment_line("1 06.12.2026 14:05"), (Appointment{1, {2026, 12, 6}, {14, 5}, ""}));
    // A text that came in with line breaks is written on one line.
    EXPECT_EQ(format_appointment_line({1, {2026, 1, 2}, {3, 4}, "a\r\nb"}), "1 02.01.2026 03:04 a  b");
    for (const char* bad : {"", "1", "5 06.12.2026 14:05 x", "0 06.12.2026 14:05 x", "1 31.02.2026 14:05 x",
                            "1 06.12.2026", "1  06.12.2026 14:05 x", "1 06.12.2026 1405x y", "a 06.12.2026 14:05"})
        EXPECT_FALSE(parse_appointment_line(bad)) << bad;
}

TEST(AppointmentLines, SearchIgnoresCaseOfGermanLettersToo) {
    EXPECT_TRUE(contains_folded("Geburtstag M\xfcller", "m\xdcLLER"));
    EXPECT_TRUE(contains_folded("\xc4rzte", "\xe4rz"));
    EXPECT_TRUE(contains_folded("anything", ""));
    EXPECT_FALSE(contains_folded("Mueller", "m\xfcller"));
    EXPECT_FALSE(contains_folded("Mil", "Miller"));
}

class AppointmentBookTest : public ::testing::Test {
protected:

    std::string read(const fs::path& path) const {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    void write(const std::string& bytes) const { std::ofstream(file, std::ios::binary) << bytes; }

    lumo::testing::TempFolder folder{"lumo-appointments-"};
    fs::path file = folder / "appointments.txt";
};

TEST_F(AppointmentBookTest, RequestsSurviveARestartSortedPerCalendar) {
    AppointmentBook book(file);
    ASSERT_TRUE(book.load());  // no file yet: an empty book
    EXPECT_TRUE(book.all().empty());
    EXPECT_EQ(book.add(interpret_request("TS101006/12/2026 14.05 Birthday: <M\xfcller>").appointment), 2);
    EXPECT_EQ(book.add(interpret_request("TS100006/12/2026 09.30 <Dentist>").appointment), 1);
    EXPECT_EQ(book.add(interpret_request("TS100001.11.2026 18:00 <Concert>").appointment), 1);
    ASSERT_TRUE(book.save());

    EXPECT_EQ(read(file),
              "# VORNIX appointments: calendar (1-4), date, time, text\r\n"
              "1 01.11.2026 18:00 Concert\r\n"
              "1 06.12.2026 09:30 Dentist\r\n"
              "1 06.12.2026 14:05 Birthday: M\xfcller\r\n"
              "3 06.12.2026 14:05 Birthday: M\xfcller\r\n");
    EXPECT_FALSE(fs::exists(folder / "appointments.txt.new"));

    AppointmentBook again(file);
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.all(), book.all());
    EXPECT_EQ(again.in_month(1, 2026, 12).size(), 2u);
    EXPECT_EQ(again.in_month(3, 2026, 12).size(), 1u);
    EXPECT_TRUE(again.in_month(2, 2026, 12).empty());
    EXPECT_TRUE(again.in_month(1, 2025, 12).empty());
    ASSERT_EQ(again.matching(1, "m\xdcller").size(), 1u);
    EXPECT_EQ(again.matching(1, "m\xdcller")[0].time, (TimeOfDay{14, 5}));
    EXPECT_TRUE(again.matching(2, "M\xfcller").empty());

    // Today and the next days, all calendars, ends included and excluded.
    EXPECT_EQ(again.upcoming({2026, 12, 6}, 1).size(), 3u);
    EXPECT_EQ(again.upcoming({2026, 11, 1}, 35).size(), 1u);
    EXPECT_EQ(again.upcoming({2026, 11, 1}, 36).size(), 4u);
    EXPECT_TRUE(again.upcoming({2026, 12, 7}, 365).empty());

    EXPECT_TRUE(again.remove(again.all()[0]));
    EXPECT_FALSE(again.remove(Appointment{4, {2026, 1, 1}, {0, 0}, "none"}));
    ASSERT_TRUE(again.save());
    AppointmentBook third(file);
    ASSERT_TRUE(third.load());
    EXPECT_EQ(third.all().size(), 3u);
}

TEST_F(AppointmentBookTest, LinesItCannotReadAreKeptAndWrittenBack) {
    write("2 24.12.2026 18:00 Christmas Eve\n"
          "# a comment\n"
          "\n"
          "someone wrote this by hand\r\n"
          "9 99.99.9999 99:99 broken\r\n"
          "1 01.01.2027 00:00 New Year");  // no line end at the end
    AppointmentBook book(file);
    ASSERT_TRUE(book.load());
    EXPECT_EQ(book.all().size(), 2u);
    EXPECT_EQ(book.unreadable_lines(), 2u);
    book.add(Appointment{4, {2026, 12, 31}, {23, 0}, "Party"});
    ASSERT_TRUE(book.save());
    EXPECT_EQ(read(file),
              "# VORNIX appointments: calendar (1-4), date, time, text\r\n"
              "someone wrote this by hand\r\n"
              "9 99.99.9999 99:99 broken\r\n"
              "2 24.12.2026 18:00 Christmas Eve\r\n"
              "4 31.12.2026 23:00 Party\r\n"
              "1 01.01.2027 00:00 New Year\r\n");
}

TEST_F(AppointmentBookTest, AFileThatCannotBeReadIsNeverOverwritten) {
    // A folder where the file should be: it cannot be read, so the book
    // refuses to save rather than replace what it could not see.
    fs::create_directories(file);
    AppointmentBook book(file);
    EXPECT_FALSE(book.load());
    book.add(Appointment{1, {2026, 1, 1}, {8, 0}, "x"});
    EXPECT_FALSE(book.save());
    EXPECT_TRUE(fs::is_directory(file));

    // A folder that does not exist: the save fails and says so.
    AppointmentBook nowhere(folder / "missing" / "appointments.txt");
    EXPECT_TRUE(nowhere.load());
    nowhere.add(Appointment{1, {2026, 1, 1}, {8, 0}, "x"});
    EXPECT_FALSE(nowhere.save());
}

}  // namespace
}  // namespace lumo::calendar

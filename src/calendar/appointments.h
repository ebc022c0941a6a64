// The calendar's side of the link: what the calendar program makes of the
// requests it receives, its appointments and the plain-text file that keeps
// them between runs. The calendar stand-in (peer/) is built on this.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::calendar {

inline constexpr int calendar_count = 4;

struct Date {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
    auto operator<=>(const Date&) const = default;
};

struct TimeOfDay {
    int hour = 0;    // 0 to 23
    int minute = 0;  // 0 to 59
    auto operator<=>(const TimeOfDay&) const = default;
};

bool is_leap_year(int year);
// 0 for a month outside 1 to 12.
int days_in_month(int year, int month);
bool is_valid_date(const Date& date);
// Days since 1 January 1970 (negative before), for distances between dates.
std::int64_t day_number(const Date& date);
Date date_from_day_number(std::int64_t days);
// 0 Monday to 6 Sunday.
int weekday(const Date& date);
// The first day of the month `delta` months away from `year`/`month`.
Date month_start(int year, int month, int delta = 0);

// "06.12.2026" and "14:05".
std::string format_date(const Date& date);
std::string format_time(const TimeOfDay& time);

// Reads a date as a person types it: day and month of one or two digits,
// the year of four, with one separator between them or none at all
// ("6.12.2026", "06/12/2026", "06122026"). Only real dates pass.
std::optional<Date> parse_date(std::string_view text);
// Hours and minutes: "14:05", "9.05", "1405"; only times of a day pass.
std::optional<TimeOfDay> parse_time(std::string_view text);

struct Appointment {
    int calendar = 1;  // 1 to 4
    Date date;
    TimeOfDay time;
    std::string text;  // Windows-1252, one line
    bool operator==(const Appointment&) const = default;
};

// Date, then time, then calendar.
bool earlier(const Appointment& a, const Appointment& b);

// ---- Requests from the address book -------------------------------------------------

// The calendar windows, in the order of the status report's characters.
enum class CalendarWindow { calendar_1, calendar_2, calendar_3, calendar_4, clock, alarm };
inline constexpr int window_count = 6;

std::string_view open_report(CalendarWindow window);
std::string_view close_report(CalendarWindow window);
// "VORNIX" and one '1' or '0' per window that is open or not.
std::string status_report(const std::array<bool, window_count>& open);

// An appointment request ("TS..."): which calendars, when, and what.
struct AppointmentRequest {
    std::array<bool, calendar_count> calendars{};
    Date date;
    TimeOfDay time;
    std::string text;  // the pre-definition (if any) and the entry text
};

struct CalendarRequest {
    enum class Kind { greeting, open_window, lumo_quit, appointment, search, unknown };
    Kind kind = Kind::unknown;
    CalendarWindow window = CalendarWindow::calendar_1;  // open_window
    AppointmentRequest appointment;                      // appointment
    int search_calendar = 1;                             // search
    std::string search_text;                             // search
    // Why an appointment or search request could not be taken (else empty).
    std::string problem;
};

CalendarRequest interpret_request(std::string_view text);

// ---- The appointments and their file ------------------------------------------------

// One appointment as one line of the file (without the line end), and back.
std::string format_appointment_line(const Appointment& appointment);
std::optional<Appointment> parse_appointment_line(std::string_view line);

// Case-insensitive containment on Windows-1252 text (umlauts included).
bool contains_folded(std::string_view text, std::string_view what);

// The appointments of all four calendars, kept sorted, with the file they
// live in. Lines of the file that cannot be read are kept as they are and
// written back, so nothing a person wrote there is lost.
class AppointmentBook {
public:
    explicit AppointmentBook(std::filesystem::path file) : file_(std::move(file)) {}

    // Reads the file; a missing file is an empty book. False when the file
    // exists but cannot be read (the book is then left empty and saving is
    // refused, so the file is not overwritten).
    bool load();
    // Writes the whole book through a temporary file that then replaces the
    // old one, so a failed write never leaves half a file behind.
    bool save() const;

    // Adds one appointment per calendar the request names; returns how many.
    int add(const AppointmentRequest& request);
    void add(const Appointment& appointment);
    bool remove(const Appointment& appointment);

    const std::vector<Appointment>& all() const { return appointments_; }
    std::size_t unreadable_lines() const { return kept_lines_.size(); }
    const std::filesystem::path& file() const { return file_; }

    std::vector<Appointment> in_month(int calendar, int year, int month) const;
    // Appointments of `calendar` whose text contains `what` (any case).
    std::vector<Appointment> matching(int calendar, std::string_view what) const;
    // All calendars, from `today` on for `days` days.
    std::vector<Appointment> upcoming(const Date& today, int days) const;

private:
    std::filesystem::path file_;
    std::vector<Appointment> appointments_;
    std::vector<std::string> kept_lines_;
    bool load_failed_ = false;
};

}  // namespace lumo::calendar

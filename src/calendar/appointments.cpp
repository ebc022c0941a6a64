// The calendar's side of the link: requests, dates, appointments and their file.
#include "calendar/appointments.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#include "calendar/calendar_texts.h"
#include "data/store.h"

namespace lumo::calendar {

// ---- Dates ------------------------------------------------------------------------

bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && is_leap_year(year) ? 29 : days[static_cast<std::size_t>(month - 1)];
}

bool is_valid_date(const Date& date) {
    return date.year >= 1 && date.year <= 9999 && date.day >= 1 && date.day <= days_in_month(date.year, date.month);
}

// Proleptic Gregorian calendar counted in eras of 400 years.
std::int64_t day_number(const Date& date) {
    const std::int64_t y = date.year - (date.month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t year_of_era = y - era * 400;
    const std::int64_t m = date.month;
    const std::int64_t day_of_year = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + date.day - 1;
    const std::int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

Date date_from_day_number(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t day_of_era = days - era * 146097;
    const std::int64_t year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const std::int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const std::int64_t mp = (5 * day_of_year + 2) / 153;
    const int day = static_cast<int>(day_of_year - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(year_of_era + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

int weekday(const Date& date) {
    // 1 January 1970 was a Thursday (3 when Monday is 0).
    const std::int64_t w = (day_number(date) + 3) % 7;
    return static_cast<int>(w < 0 ? w + 7 : w);
}

Date month_start(int year, int month, int delta) {
    const int months = year * 12 + (month - 1) + delta;
    return {months / 12, months % 12 + 1, 1};
}

std::string format_date(const Date& date) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", date.day % 100, date.month % 100, date.year % 10000);
    return text;
}

std::string format_time(const TimeOfDay& time) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", time.hour % 100, time.minute % 100);
    return text;
}

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads min_digits to max_digits digits at `at`, moving it past them.
std::optional<int> read_number(std::string_view text, std::size_t& at, std::size_t min_digits,
                               std::size_t max_digits) {
    int value = 0;
    std::size_t digits = 0;
    while (at < text.size() && digits < max_digits && is_digit(text[at])) {
        value = value * 10 + (text[at] - '0');
        ++at;
        ++digits;
    }
    if (digits < min_digits) return std::nullopt;
    return value;
}

// Steps over one of the separators a person types between numbers.
void skip_separator(std::string_view text, std::size_t& at, std::string_view separators) {
    if (at < text.size() && separators.find(text[at]) != std::string_view::npos) ++at;
}

bool starts_with(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Text kept on one line: control characters become blanks.
std::string one_line(std::string_view text) {
    std::string line(text);
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 32) c = ' ';
    return line;
}

}  // namespace

std::optional<Date> parse_date(std::string_view text) {
    std::size_t at = 0;
    const auto day = read_number(text, at, 1, 2);
    skip_separator(text, at, "./-");
    const auto month = read_number(text, at, 1, 2);
    skip_separator(text, at, "./-");
    const auto year = read_number(text, at, 4, 4);
    if (!day || !month || !year || at != text.size()) return std::nullopt;
    const Date date{*year, *month, *day};
    if (!is_valid_date(date)) return std::nullopt;
    return date;
}

std::optional<TimeOfDay> parse_time(std::string_view text) {
    std::size_t at = 0;
    const auto hour = read_number(text, at, 1, 2);
    const bool separated = at < text.size() && (text[at] == ':' || text[at] == '.');
    skip_separator(text, at, ":.");
    const auto minute = read_number(text, at, separated ? 1 : 2, 2);
    if (!hour || !minute || at != text.size() || *hour > 23 || *minute > 59) return std::nullopt;
    return TimeOfDay{*hour, *minute};
}

bool earlier(const Appointment& a, const Appointment& b) {
    if (a.date != b.date) return a.date < b.date;
    if (a.time != b.time) return a.time < b.time;
    return a.calendar < b.calendar;
}

// ---- Requests and reports -----------------------------------------------------------------

namespace {

std::string_view window_report(CalendarWindow window, bool open) {
    const int button = status_buttons[static_cast<std::size_t>(window)];
    for (const auto& report : button_reports)
        if (report.button == button && report.pressed == open) return report.text;
    return {};
}

CalendarRequest appointment_request(std::string_view text) {
    CalendarRequest request;
    request.kind = CalendarRequest::Kind::appointment;
    auto& appointment = request.appointment;
    std::string_view rest = text.substr(appointment_prefix.size());
    if (rest.size() < calendar_count) {
        request.problem = "no calendars named";
        return request;
    }
    for (std::size_t i = 0; i < calendar_count; ++i) {
        if (rest[i] != '0' && rest[i] != '1') {
            request.problem = "calendars are not four digits 0 or 1";
            return request;
        }
        appointment.calendars[i] = rest[i] == '1';
    }
    if (std::none_of(appointment.calendars.begin(), appointment.calendars.end(), [](bool on) { return on; })) {
        request.problem = "no calendar chosen";
        return request;
    }
    rest.remove_prefix(calendar_count);
    // The date follows the digits directly; a blank between them is forgiven.
    if (!rest.empty() && rest[0] == ' ') rest.remove_prefix(1);
    const std::size_t date_end = rest.find(' ');
    const auto date = parse_date(rest.substr(0, date_end));
    if (date_end == std::string_view::npos || !date) {
        request.problem = "unreadable date";
        return request;
    }
    rest.remove_prefix(date_end + 1);
    const std::size_t time_end = rest.find(' ');
    const auto time = parse_time(rest.substr(0, time_end));
    if (time_end == std::string_view::npos || !time) {
        request.problem = "unreadable time";
        return request;
    }
    rest.remove_prefix(time_end + 1);
    // The pre-definition stands before "<", the entry text between it and ">".
    const std::size_t open = rest.find('<');
    if (open == std::string_view::npos) {
        request.problem = "no text in angle brackets";
        return request;
    }
    std::string_view entry_text = rest.substr(open + 1);
    if (!entry_text.empty() && entry_text.back() == '>') entry_text.remove_suffix(1);
    appointment.date = *date;
    appointment.time = *time;
    appointment.text = one_line(std::string(rest.substr(0, open)) + std::string(entry_text));
    return request;
}

CalendarRequest search_request(std::string_view text) {
    CalendarRequest request;
    request.kind = CalendarRequest::Kind::search;
    const std::string_view rest = text.substr(search_prefix_request.size());
    if (rest.empty() || rest[0] < '1' || rest[0] > '4') {
        request.problem = "no calendar 1 to 4 named";
        return request;
    }
    request.search_calendar = rest[0] - '0';
    request.search_text = one_line(rest.substr(1));
    return request;
}

}  // namespace

std::string_view open_report(CalendarWindow window) { return window_report(window, true); }
std::string_view close_report(CalendarWindow window) { return window_report(window, false); }

std::string status_report(const std::array<bool, window_count>& open) {
    std::string report(status_prefix);
    for (bool is_open : open) report += is_open ? '1' : '0';
    return report;
}

CalendarRequest interpret_request(std::string_view text) {
    CalendarRequest request;
    if (text == greeting) {
        request.kind = CalendarRequest::Kind::greeting;
        return request;
    }
    if (text == lumo_quit) {
        request.kind = CalendarRequest::Kind::lumo_quit;
        return request;
    }
    for (int i = 0; i < window_count; ++i) {
        const auto window = static_cast<CalendarWindow>(i);
        if (text == open_report(window)) {
            request.kind = CalendarRequest::Kind::open_window;
            request.window = window;
            return request;
        }
    }
    if (starts_with(text, appointment_prefix)) return appointment_request(text);
    if (starts_with(text, search_prefix_request)) return search_request(text);
    return request;
}

// ---- The file -----------------------------------------------------------------------

namespace {

constexpr std::string_view file_header = "# VORNIX appointments: calendar (1-4), date, time, text";

}  // namespace

std::string format_appointment_line(const Appointment& appointment) {
    return std::to_string(appointment.calendar) + ' ' + format_date(appointment.date) + ' ' +
           format_time(appointment.time) + ' ' + one_line(appointment.text);
}

std::optional<Appointment> parse_appointment_line(std::string_view line) {
    if (line.size() < 2 || line[0] < '1' || line[0] > '4' || line[1] != ' ') return std::nullopt;
    Appointment appointment;
    appointment.calendar = line[0] - '0';
    line.remove_prefix(2);
    const std::size_t date_end = line.find(' ');
    const auto date = parse_date(line.substr(0, date_end));
    if (date_end == std::string_view::npos || !date) return std::nullopt;
    line.remove_prefix(date_end + 1);
    const std::size_t time_end = line.find(' ');
    const auto time = parse_time(line.substr(0, time_end));
    if (!time) return std::nullopt;
    appointment.date = *date;
    appointment.time = *time;
    if (time_end != std::string_view::npos) appointment.text = one_line(line.substr(time_end + 1));
    return appointment;
}

bool contains_folded(std::string_view text, std::string_view what) {
    const auto& fold = fold_table(1);
    const auto same = [&](char a, char b) {
        return fold[static_cast<unsigned char>(a)] == fold[static_cast<unsigned char>(b)];
    };
    return std::search(text.begin(), text.end(), what.begin(), what.end(), same) != text.end();
}

bool AppointmentBook::load() {
    appointments_.clear();
    kept_lines_.clear();
    load_failed_ = false;
    std::error_code error;
    const bool exists = std::filesystem::exists(file_, error);
    if (!exists && !error) return true;  // a first run: nothing planned yet
    std::ifstream in(file_, std::ios::binary);
    if (error || !std::filesystem::is_regular_file(file_, error) || !in) {
        load_failed_ = true;
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == '#') continue;
        if (auto appointment = parse_appointment_line(line))
            add(*appointment);
        else
            kept_lines_.emplace_back(line);
    }
    return true;
}

bool AppointmentBook::save() const {
    if (load_failed_) return false;
    std::filesystem::path temporary = file_;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << file_header << "\r\n";
        for (const auto& line : kept_lines_) out << line << "\r\n";
        for (const auto& appointment : appointments_) out << format_appointment_line(appointment) << "\r\n";
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, file_, error);
    if (error) std::filesystem::remove(temporary, error);
    return !error;
}

void AppointmentBook::add(const Appointment& appointment) {
    // Behind its equals, so appointments of one time keep the order they came in.
    const auto at = std::upper_bound(appointments_.begin(), appointments_.end(), appointment, earlier);
    appointments_.insert(at, appointment);
}

int AppointmentBook::add(const AppointmentRequest& request) {
    int added = 0;
    for (int i = 0; i < calendar_count; ++i) {
        if (!request.calendars[static_cast<std::size_t>(i)]) continue;
        add(Appointment{i + 1, request.date, request.time, request.text});
        ++added;
    }
    return added;
}

bool AppointmentBook::remove(const Appointment& appointment) {
    const auto at = std::find(appointments_.begin(), appointments_.end(), appointment);
    if (at == appointments_.end()) return false;
    appointments_.erase(at);
    return true;
}

std::vector<Appointment> AppointmentBook::in_month(int calendar, int year, int month) const {
    std::vector<Appointment> found;
    for (const auto& a : appointments_)
        if (a.calendar == calendar && a.date.year == year && a.date.month == month) found.push_back(a);
    return found;
}

std::vector<Appointment> AppointmentBook::matching(int calendar, std::string_view what) const {
    std::vector<Appointment> found;
    for (const auto& a : appointments_)
        if (a.calendar == calendar && contains_folded(a.text, what)) found.push_back(a);
    return found;
}

std::vector<Appointment> AppointmentBook::upcoming(const Date& today, int days) const {
    const std::int64_t first = day_number(today);
    std::vector<Appointment> found;
    for (const auto& a : appointments_) {
        const std::int64_t day = day_number(a.date);
        if (day >= first && day < first + days) found.push_back(a);
    }
    return found;
}

}  // namespace lumo::calendar

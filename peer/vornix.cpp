// The calendar stand-in: a small calendar of window class "VORNIX" that plays
// the calendar's side of the link, so lumo can run and be tested beside it.
//
//   vornix.exe [--log FILE]
//
// It keeps its appointments in appointments.txt beside the exe, answers the
// greeting with a status report, opens its windows on request (and reports
// them opening and closing), enters "TS" requests into its calendars and
// lists the matches of "XS" requests. With --log it appends every request it
// receives as a line to FILE (the file exists once the window does).
#include <cstdio>
#include <string>

#include "calendar/calendar_texts.h"
#include "desk.h"

namespace vornix {

namespace calendar = lumo::calendar;

namespace {

constexpr char lumo_class[] = "VORNIX-Lumo";

std::string clock_time() {
    SYSTEMTIME time;
    GetLocalTime(&time);
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", time.wHour, time.wMinute, time.wSecond);
    return text;
}

std::string calendar_list(const std::array<bool, calendar::calendar_count>& calendars) {
    std::string list;
    for (int i = 0; i < calendar::calendar_count; ++i) {
        if (!calendars[static_cast<std::size_t>(i)]) continue;
        if (!list.empty()) list += ", ";
        list += std::to_string(i + 1);
    }
    return list;
}

void append_line(const std::string& path, const std::string& text) {
    if (path.empty()) return;
    if (FILE* f = std::fopen(path.c_str(), "ab")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fputs("\n", f);
        std::fclose(f);
    }
}

}  // namespace

bool ToLumo::find_calendar() {
    lumo_ = FindWindowA(lumo_class, nullptr);
    return lumo_ != nullptr;
}

void ToLumo::post(const calendar::WireMessage& m) {
    PostMessageA(lumo_, message_, static_cast<WPARAM>(m.w), static_cast<LPARAM>(m.l));
}

Desk::Desk(HINSTANCE instance, std::filesystem::path appointments_file, std::string log_path)
    : instance_(instance),
      book_(std::move(appointments_file)),
      log_path_(std::move(log_path)),
      transfer_message_(RegisterWindowMessageA(std::string(calendar::transfer_message_name).c_str())),
      to_lumo_(transfer_message_),
      link_(to_lumo_) {}

void Desk::on_transfer(WPARAM w, LPARAM l) {
    // Our own receiver: sending a report must not cut off a request that
    // is still arriving.
    auto text = receiver_.receive(static_cast<std::uint64_t>(w), static_cast<std::int64_t>(l));
    if (text) handle_request(*text);
}

void Desk::send_to_lumo(std::string_view text) { link_.send_to_calendar(text); }

void Desk::handle_request(const std::string& text) {
    append_line(log_path_, text);
    const auto request = calendar::interpret_request(text);
    using Kind = calendar::CalendarRequest::Kind;
    switch (request.kind) {
    case Kind::greeting: {
        std::array<bool, calendar::window_count> open{};
        for (int i = 0; i < calendar::window_count; ++i) open[static_cast<std::size_t>(i)] = windows_[static_cast<std::size_t>(i)] != nullptr;
        const std::string status = calendar::status_report(open);
        send_to_lumo(status);
        note(text + "  (answered " + status + ")");
        break;
    }
    case Kind::open_window:
        note(text);
        open_window(request.window);
        break;
    case Kind::lumo_quit:
        note(text + "  (Lumo has ended)");
        break;
    case Kind::appointment:
        enter_appointment(request, text);
        break;
    case Kind::search:
        if (!request.problem.empty()) {
            note(text + "  (refused: " + request.problem + ")");
            break;
        }
        note(text + "  (search in calendar " + std::to_string(request.search_calendar) + ")");
        show_search_results(request.search_calendar, request.search_text);
        break;
    case Kind::unknown:
        note(text + "  (not a request of the link)");
        break;
    }
    update_status();
}

void Desk::enter_appointment(const calendar::CalendarRequest& request, const std::string& text) {
    if (!request.problem.empty()) {
        MessageBeep(MB_ICONHAND);
        note(text + "  (refused: " + request.problem + ")");
        return;
    }
    book_.add(request.appointment);
    const bool saved = appointments_changed();
    note(text + "  (entered in calendar " + calendar_list(request.appointment.calendars) +
         (saved ? ")" : ", NOT SAVED)"));
}

bool Desk::appointments_changed() {
    const bool saved = book_.save();
    if (!saved) {
        MessageBeep(MB_ICONHAND);
        note("The appointments could not be written to " + book_.file().string() + "!");
    }
    for (HWND window : windows_)
        if (window) SendMessageA(window, msg_refresh, 0, 0);
    if (found_ && IsWindow(found_)) SendMessageA(found_, msg_refresh, 0, 0);
    update_status();
    return saved;
}

void Desk::note(const std::string& line) {
    if (!request_list_) return;
    const std::string row = clock_time() + "   " + line;
    const LRESULT at = SendMessageA(request_list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    if (at >= 0) SendMessageA(request_list_, LB_SETTOPINDEX, static_cast<WPARAM>(at), 0);
}

bool Desk::is_open(CalendarWindow window) const { return windows_[static_cast<std::size_t>(window)] != nullptr; }

namespace {

ListContent alarm_content(const calendar::AppointmentBook& book) {
    constexpr int days_ahead = 14;
    const calendar::Date day = today();
    const calendar::TimeOfDay time = now();
    const std::int64_t first = calendar::day_number(day);
    ListContent content;
    content.heading = std::string("Today: ") + weekday_name(calendar::weekday(day)) + ", " + calendar::format_date(day);
    int today_count = 0;
    for (const auto& a : book.upcoming(day, days_ahead)) {
        const std::int64_t distance = calendar::day_number(a.date) - first;
        std::string when = distance == 0   ? "Today"
                           : distance == 1 ? "Tomorrow"
                                           : std::string(weekday_name(calendar::weekday(a.date))).substr(0, 3) + " " +
                                                 calendar::format_date(a.date).substr(0, 6);
        std::string row = when + "\t" + calendar::format_time(a.time) + "\tCal " + std::to_string(a.calendar) +
                          "\t" + a.text;
        if (distance == 0) {
            ++today_count;
            if (a.time < time) row += "   (passed)";
        }
        content.rows.push_back(std::move(row));
    }
    const int later = static_cast<int>(content.rows.size()) - today_count;
    content.subheading = std::to_string(today_count) + (today_count == 1 ? " appointment" : " appointments") +
                         " today, " + std::to_string(later) + " more in the next " + std::to_string(days_ahead - 1) +
                         " days";
    if (content.rows.empty()) content.rows.push_back("\tNothing planned for the next two weeks.");
    return content;
}

ListContent search_content(const calendar::AppointmentBook& book, int calendar_number, const std::string& text) {
    ListContent content;
    content.heading = "Calendar " + std::to_string(calendar_number) + ": \"" + text + "\"";
    const auto found = book.matching(calendar_number, text);
    content.subheading = found.empty() ? std::string("No appointment found")
                                       : std::to_string(found.size()) +
                                             (found.size() == 1 ? " appointment found" : " appointments found");
    for (const auto& a : found)
        content.rows.push_back(std::string(weekday_name(calendar::weekday(a.date))).substr(0, 3) + " " +
                               calendar::format_date(a.date) + "\t" + calendar::format_time(a.time) + "\t" + a.text);
    return content;
}

}  // namespace

void Desk::open_window(CalendarWindow window) {
    HWND& slot = windows_[static_cast<std::size_t>(window)];
    if (slot) {
        if (IsIconic(slot)) ShowWindow(slot, SW_RESTORE);
        SetForegroundWindow(slot);
    } else if (window == CalendarWindow::clock) {
        slot = create_clock_window(*this);
    } else if (window == CalendarWindow::alarm) {
        static constexpr CalendarWindow alarm = CalendarWindow::alarm;
        slot = create_list_window(*this, "Alarm window", [this] { return alarm_content(book_); }, 30000, &alarm,
                                  300, 440, 460, 300);
    } else {
        slot = create_month_window(*this, static_cast<int>(window) + 1);
    }
    // Said again when it was open already: a click on the address book's
    // button may have shown it released meanwhile.
    if (slot) send_to_lumo(calendar::open_report(window));
    update_status();
}

void Desk::window_closed(CalendarWindow window) {
    windows_[static_cast<std::size_t>(window)] = nullptr;
    send_to_lumo(calendar::close_report(window));
    update_status();
}

void Desk::close_all_windows() {
    for (HWND window : windows_)
        if (window) DestroyWindow(window);
    if (found_ && IsWindow(found_)) DestroyWindow(found_);
    found_ = nullptr;
}

void Desk::show_search_results(int calendar_number, const std::string& text) {
    if (found_ && IsWindow(found_)) DestroyWindow(found_);
    found_ = create_list_window(
        *this, "Search results", [this, calendar_number, text] { return search_content(book_, calendar_number, text); },
        0, nullptr, 340, 120, 460, 260);
    if (found_) SetForegroundWindow(found_);
}

}  // namespace vornix

namespace {

std::string log_path_from(LPSTR command_line) {
    std::string args(command_line ? command_line : "");
    const std::string flag = "--log ";
    const auto at = args.find(flag);
    if (at == std::string::npos) return {};
    std::string path = args.substr(at + flag.size());
    if (!path.empty() && path.front() == '"') {
        const auto end = path.find('"', 1);
        return path.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    }
    return path.substr(0, path.find(' '));
}

std::filesystem::path program_folder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::filesystem::path(std::string(path, n)).parent_path();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show_command) {
    if (!vornix::register_month_class(instance) || !vornix::register_clock_class(instance) ||
        !vornix::register_list_class(instance))
        return 1;
    const std::string log_path = log_path_from(command_line);
    vornix::Desk desk(instance, program_folder() / "appointments.txt", log_path);
    if (!desk.create_main_window(show_command)) return 1;
    // The log exists from the moment the window does, so a script can wait
    // for the calendar before it starts the address book.
    if (!log_path.empty())
        if (FILE* f = std::fopen(log_path.c_str(), "ab")) std::fclose(f);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        // Tab and Enter in the windows with controls.
        HWND root = GetAncestor(msg.hwnd, GA_ROOT);
        if (root && (GetWindowLongPtrA(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && IsDialogMessageA(root, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

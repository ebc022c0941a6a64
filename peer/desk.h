// The calendar stand-in: the desk that owns its appointments, its link to the
// address book and its windows (the main window of class "VORNIX", four month
// calendars, the analog clock, the alarm list and search results).
#pragma once

#include <windows.h>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "calendar/appointments.h"
#include "calendar/calendar_link.h"

namespace vornix {

using lumo::calendar::Appointment;
using lumo::calendar::CalendarWindow;

// Posts to the address book's main window.
class ToLumo final : public lumo::calendar::Transport {
public:
    explicit ToLumo(UINT message) : message_(message) {}
    bool find_calendar() override;
    void post(const lumo::calendar::WireMessage& m) override;
    void bring_calendar_to_front() override {}

private:
    UINT message_;
    HWND lumo_ = nullptr;
};

// Fonts of all windows, made once from the system's message font.
struct Fonts {
    Fonts();
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;
    HFONT normal = nullptr;
    HFONT bold = nullptr;
    HFONT large = nullptr;
};

// Sent to an open window when the appointments changed.
inline constexpr UINT msg_refresh = WM_APP + 1;

// What a list window (alarm, search results) shows.
struct ListContent {
    std::string heading;
    std::string subheading;
    std::vector<std::string> rows;
};

class Desk {
public:
    Desk(HINSTANCE instance, std::filesystem::path appointments_file, std::string log_path);
    Desk(const Desk&) = delete;
    Desk& operator=(const Desk&) = delete;

    HINSTANCE instance() const { return instance_; }
    const Fonts& fonts() const { return fonts_; }
    lumo::calendar::AppointmentBook& book() { return book_; }
    UINT transfer_message() const { return transfer_message_; }

    // Creates the main window; false when that fails.
    bool create_main_window(int show_command);
    HWND main_window() const { return main_; }

    // One transfer message from the address book.
    void on_transfer(WPARAM w, LPARAM l);
    void send_to_lumo(std::string_view text);

    // Opens a calendar window, or brings it to the front when it is open;
    // either way the address book hears that it is open.
    void open_window(CalendarWindow window);
    void close_all_windows();
    // Called by each window as it goes.
    void window_closed(CalendarWindow window);
    bool is_open(CalendarWindow window) const;
    void show_search_results(int calendar, const std::string& text);

    // Saves the book and tells every open window; false (after telling the
    // user) when the file could not be written.
    bool appointments_changed();
    // A line in the main window's request list.
    void note(const std::string& line);

    // The main window's pieces (main_window.cpp).
    LRESULT main_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

private:
    void handle_request(const std::string& text);
    void enter_appointment(const lumo::calendar::CalendarRequest& request, const std::string& text);
    void layout_main(int width, int height);
    void create_main_controls(HWND hwnd);
    void on_main_command(int id);
    void update_status();

    HINSTANCE instance_;
    Fonts fonts_;
    lumo::calendar::AppointmentBook book_;
    std::string log_path_;
    UINT transfer_message_;
    lumo::calendar::Receiver receiver_;
    ToLumo to_lumo_;
    lumo::calendar::Link link_;
    HWND main_ = nullptr;
    HWND request_list_ = nullptr;
    HWND search_edit_ = nullptr;
    HWND status_ = nullptr;
    std::vector<HWND> main_controls_;
    std::array<HWND, lumo::calendar::window_count> windows_{};
    HWND found_ = nullptr;
};

// Window classes and their creation (one file each).
bool register_month_class(HINSTANCE instance);
HWND create_month_window(Desk& desk, int calendar);
bool register_clock_class(HINSTANCE instance);
HWND create_clock_window(Desk& desk);
bool register_list_class(HINSTANCE instance);
// A list window; `fill` is asked again on every refresh (and every
// `refresh_ms` when not 0). `window` names the calendar window it plays, if any.
HWND create_list_window(Desk& desk, const char* title, std::function<ListContent()> fill, UINT refresh_ms,
                        const CalendarWindow* window, int x, int y, int width, int height);

// Shared drawing and text helpers (widgets.cpp).
lumo::calendar::Date today();
lumo::calendar::TimeOfDay now();
const char* weekday_name(int weekday);  // 0 Monday
const char* month_name(int month);      // 1 January
// Calendar n's colour.
COLORREF calendar_colour(int calendar);
HWND make_control(HWND parent, const char* cls, const char* text, DWORD style, int id, HFONT font,
                  DWORD ex_style = 0);
void set_list_rows(HWND list, const std::vector<std::string>& rows);
// Fills a rectangle with a solid colour.
void fill(HDC dc, const RECT& rect, COLORREF colour);

// A window's own state, owned by the window: creation hands over a
// std::unique_ptr<State>* as the create parameter, WM_NCCREATE takes the
// state out of it, and WM_NCDESTROY deletes it.
template <class State>
State* adopt_state(HWND hwnd, UINT msg, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* holder = static_cast<std::unique_ptr<State>*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        State* state = holder->release();
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        return state;
    }
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        delete state;
        return nullptr;
    }
    return state;
}

// Registers one of the stand-in's window classes: arrow cursor, the
// application icon, `background` (none when the window paints it all).
inline bool register_peer_class(HINSTANCE instance, WNDPROC procedure, const char* name, UINT style = 0,
                                HBRUSH background = nullptr) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassExA(&wc) != 0;
}

}  // namespace vornix

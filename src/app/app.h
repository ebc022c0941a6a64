// The application object: owns the program's state and turns what the main
// window receives into actions. The Win32 shell holds exactly one.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "calendar/calendar_link.h"
#include "port/port.h"

namespace lumo {

class App {
public:
    App(Port& port, calendar::Transport& transport);

    Port& port() { return port_; }
    calendar::Link& calendar() { return calendar_; }

    // Creation of the main window: greets the calendar program. When it is not
    // running, says so and ends the program; returns false then.
    bool greet_calendar();

    // A transfer message from the calendar program.
    void on_transfer_message(std::uint64_t w, std::int64_t l);

    // Commands that open one of the calendar's windows (1216 to 1219, 40006,
    // 40041). From the menu, toolbar or keys the calendar comes to the front
    // first; the system menu sends without that step.
    void open_calendar_window(int command, bool bring_to_front);

    // The end of the program; runs once.
    void shut_down();
    bool shut_down_done() const { return shut_down_done_; }

    // Search requests of the calendar ("AS" + text) go here.
    std::function<void(std::string_view)> on_search_request;

private:
    Port& port_;
    calendar::Link calendar_;
    bool shut_down_done_ = false;
};

}  // namespace lumo

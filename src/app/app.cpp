#include "app/app.h"

#include "calendar/calendar_texts.h"
#include "port/ids.h"

namespace lumo {

App::App(Port& port, calendar::Transport& transport) : port_(port), calendar_(transport) {
    // New and the loads end a type-ahead with the overview active.
    files.end_type_ahead = [this] { Overview(store, overview_state).leave_type_ahead(); };
    // "AS" requests run like Search again with the calendar's text.
    on_search_request = [this](std::string_view text) { search.search_request(text); };
    search.set_metrics(search_metrics);
}

bool App::greet_calendar() {
    if (calendar_.send_to_calendar(calendar::greeting) == 0) return true;
    show_error(port_, "You\x92ve not started a VORNIX!");
    port_.frame.post_quit();
    return false;
}

void App::on_transfer_message(std::uint64_t w, std::int64_t l) {
    auto report = calendar_.on_transfer_message(w, l);
    if (!report) return;
    switch (report->kind) {
    case calendar::Report::Kind::buttons:
        for (auto [button, pressed] : report->buttons) port_.frame.set_toolbar_button_pressed(button, pressed);
        break;
    case calendar::Report::Kind::quit:
        quit();
        break;
    case calendar::Report::Kind::search:
        if (on_search_request) on_search_request(report->search_text);
        break;
    case calendar::Report::Kind::ignored:
        break;
    }
}

namespace {

std::string_view request_for(int command) {
    switch (command) {
    case CMD_CALENDAR_1: return calendar::open_calendar[0];
    case CMD_CALENDAR_2: return calendar::open_calendar[1];
    case CMD_CALENDAR_3: return calendar::open_calendar[2];
    case CMD_CALENDAR_4: return calendar::open_calendar[3];
    case CMD_ANALOG_CLOCK: return calendar::open_clock;
    case CMD_ALARM_WINDOW: return calendar::open_alarm;
    default: return {};
    }
}

}  // namespace

void App::open_calendar_window(int command, bool bring_to_front) {
    const std::string_view request = request_for(command);
    if (request.empty()) return;
    if (bring_to_front) calendar_.transport().bring_calendar_to_front();
    calendar_.send_to_calendar(request);
}

bool App::may_quit() {
    if (quit_allowed_) return true;
    if (asking_to_quit_ || shut_down_done_) return false;
    asking_to_quit_ = true;
    save_configuration_at_exit(*this);
    quit_allowed_ = files.end_of_program() || ask_yes_no(port_, text_quit_without_saving);
    asking_to_quit_ = false;
    if (quit_allowed_) port_.modal_flag = true;  // the data are settled: no key may change them now
    return quit_allowed_;
}

void App::quit() {
    // The calendar's quit report may come while one of our boxes or dialogs
    // is up, in the middle of a command: the questions and the save wait
    // until the command is over.
    if (port_.modal_flag && !quit_allowed_) {
        quit_pending_ = true;
        return;
    }
    if (may_quit()) port_.frame.post_quit();
}

void App::run_pending_quit() {
    if (!quit_pending_ || port_.modal_flag) return;
    quit_pending_ = false;
    quit();
}

bool App::may_end_session() {
    // In the middle of a command nothing can be saved safely: the session waits.
    if (port_.modal_flag && !quit_allowed_) return false;
    return may_quit();
}

void App::shut_down() {
    if (shut_down_done_) return;
    shut_down_done_ = true;
    shut_down_sequence(*this, quit_allowed_);
    calendar_.send_to_calendar(calendar::lumo_quit);
}

}  // namespace lumo

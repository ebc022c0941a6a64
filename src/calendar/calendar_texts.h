// The texts that cross between the address book and the calendar program, in
// one place: the codec, the receiver and the commands all read from here.
#pragma once

#include <array>
#include <string_view>

#include "port/ids.h"

namespace lumo::calendar {

// Name both programs register to share one message number.
inline constexpr std::string_view transfer_message_name = "Datatransfer VORNIX zu Lumo";
// Window class of the calendar program's top-level window.
inline constexpr std::string_view calendar_class = "VORNIX";

// Requests (address book -> calendar).
inline constexpr std::string_view greeting = "HALLO, HIER IST LUMO!";
inline constexpr std::array<std::string_view, 4> open_calendar = {"OpenKal1", "OpenKal2", "OpenKal3",
                                                                  "OpenKal4"};
inline constexpr std::string_view open_clock = "OpenGClock";
inline constexpr std::string_view open_alarm = "OpenAlarm";
inline constexpr std::string_view lumo_quit = "LumoQuit";
inline constexpr std::string_view appointment_prefix = "TS";
inline constexpr std::string_view search_prefix_request = "XS";

// Reports (calendar -> address book), matched in this order.
struct ButtonReport {
    std::string_view text;
    int button;
    bool pressed;
};

inline constexpr std::array<ButtonReport, 12> button_reports = {{
    {"OpenKal1", CMD_CALENDAR_1, true},
    {"OpenKal2", CMD_CALENDAR_2, true},
    {"OpenKal3", CMD_CALENDAR_3, true},
    {"OpenKal4", CMD_CALENDAR_4, true},
    {"OpenGClock", CMD_ANALOG_CLOCK, true},
    {"OpenAlarm", CMD_ALARM_WINDOW, true},
    {"CloseKal1", CMD_CALENDAR_1, false},
    {"CloseKal2", CMD_CALENDAR_2, false},
    {"CloseKal3", CMD_CALENDAR_3, false},
    {"CloseKal4", CMD_CALENDAR_4, false},
    {"CloseGClock", CMD_ANALOG_CLOCK, false},
    {"CloseAlarm", CMD_ALARM_WINDOW, false},
}};

inline constexpr std::string_view vornix_quit = "VornixQuit";
// A status report: "VORNIX" and then one character per button below.
inline constexpr std::string_view status_prefix = "VORNIX";
inline constexpr std::array<int, 6> status_buttons = {CMD_CALENDAR_1, CMD_CALENDAR_2,   CMD_CALENDAR_3,
                                                      CMD_CALENDAR_4, CMD_ANALOG_CLOCK, CMD_ALARM_WINDOW};
// A search request from the calendar: "AS" and the text to find.
inline constexpr std::string_view search_prefix_report = "AS";
inline constexpr std::size_t search_text_limit = 51;

}  // namespace lumo::calendar

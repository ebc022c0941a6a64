// What the program's dialogs decide: the values each one shows, the rules
// that its OK applies to them, and the follow-up actions (typing a text
// pre-definition or a chosen path into the data view, the calendar's
// appointment and search requests, password protection). The shell's dialog
// procedure only moves these values between controls and the calls below.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "data/search.h"
#include "port/port.h"
#include "settings/settings.h"

namespace lumo {

class App;

inline constexpr std::string_view text_incomplete_date_time =
    "Always fill in the complete\ndate (dd.mm.yyyy) and time (hh.mm.ss) please!";
inline constexpr std::string_view text_not_protected_now = "This diary is not protected now!";
inline constexpr std::string_view text_password_mistyped = "The password is not correctly typed in!";

// How many characters the dialogs' edits give.
namespace dialog_limit {
constexpr std::size_t search_text = 50;
constexpr std::size_t pre_definition = 50;
constexpr std::size_t appointment_heading = 223;  // what the dialog starts with
constexpr std::size_t appointment_text = 222;     // what OK takes
constexpr std::size_t date_text = 10;
constexpr std::size_t time_text = 5;
constexpr std::size_t calendar_search_text = 50;
constexpr std::size_t print_headline = 49;
constexpr std::size_t password = 19;
constexpr std::size_t chosen_path = 511;
constexpr std::size_t typed_path = 255;
constexpr std::size_t request_body = 222;  // the appointment request in front of its ">"
}  // namespace dialog_limit

inline constexpr int calendar_count = 4;
inline constexpr int direction_count = 4;

// What the dialogs remember for the run (nothing of it is saved).
struct DialogState {
    // The appointment dialog.
    std::array<bool, calendar_count> calendars{true, false, false, false};
    bool insert_pre_definition = false;
    int selected_pre_definition = 1;  // 1 to 10
    std::string appointment_text;
    std::string date_text;
    std::string time_text;
    // The print settings.
    std::string print_headline;
    // The path last chosen with the Fileselector.
    std::string last_chosen_path;
};

// ---- Date, time and the calendar requests --------------------------------------

// Whether a date as typed has a day, a month and a four-place year, each
// non-zero (one separator or none between them; no range is checked).
bool date_complete(std::string_view date);
// Whether a time as typed has an hour and a minute (one separator or none).
bool time_complete(std::string_view time);
// "DD/MM/YYYY" and "HH.MM" of the local time, as the appointment dialog starts.
std::string date_text(const LocalTime& now);
std::string time_text(const LocalTime& now);

// The heading line as the calendar dialogs start with it: at most `limit`
// characters, ending before a name separator or a byte below 32.
std::string heading_for_calendar(std::string_view line, const std::array<char, 5>& name_separators,
                                 std::size_t limit);

// "TS", one '1' or '0' per calendar, then date, time, the pre-definition (may
// be empty) and "<text>"; everything behind "TS...." is cut to 222 characters
// in front of the closing ">".
std::string appointment_request(const std::array<bool, calendar_count>& calendars, std::string_view date,
                                std::string_view time, std::string_view pre_definition, std::string_view text);
// "XS", the calendar's digit and the text (at most 50 characters).
std::string calendar_search_request(int calendar, std::string_view text);

// ---- Passwords -----------------------------------------------------------------

// The password that the open and add prompts accept: the typed text cut to
// 19 characters, or nothing when it is shorter than 4.
std::optional<std::string> accepted_password(std::string_view typed);

struct PasswordRepeat {
    std::optional<std::string> password;  // set when accepted
    std::string_view message;             // what to tell otherwise
};
// The protection dialog: both fields equal (as cut to 19) and at least 4
// characters long; otherwise the message says whether the repetition was
// left empty or differs.
PasswordRepeat check_password_repeat(std::string_view password, std::string_view repetition);

// ---- The Fileselector ------------------------------------------------------------

// The Open dialog that chooses a path to type: "Choose File", all files,
// starting at `last_chosen` or else in the current directory.
FileDialogRequest fileselector_request(std::string_view last_chosen, std::string_view current_directory);
// How a path is typed: in double quotes; a path with a blank also in
// apostrophes, its own apostrophes doubled.
std::string quoted_path(std::string_view path);

// ---- Values of the dialogs ---------------------------------------------------------

// The Search and Replace dialogs. `direction` is the first checked radio
// button, -1 when none is.
struct SearchFields {
    std::string text;
    int direction = -1;
    bool case_sensitive = false;
};
struct ReplaceFields {
    SearchFields search;
    std::string replacement;
    bool replace_all = false;
};
SearchFields search_fields(const SearchSettings& settings);
void apply_search_fields(SearchSettings& settings, const SearchFields& fields);
ReplaceFields replace_fields(const ReplaceSettings& settings);
void apply_replace_fields(ReplaceSettings& settings, const ReplaceFields& fields);

// The general configuration: one character per edit ("" for none).
struct GeneralFields {
    std::array<std::string, 5> name_separators;
    std::array<std::string, 5> address_line_order;
    std::array<bool, 4> empty_lines{};
    bool swap_names = false;
    bool save_data_automatically = false;
    bool save_configuration_automatically = false;
};
GeneralFields general_fields(const Settings& settings);
void apply_general_fields(Settings& settings, const GeneralFields& fields);

// The ten text pre-definitions and the selected one (0: no radio checked).
struct PreDefinitionFields {
    std::array<std::string, text_pre_definition_count> texts;
    int selected = 0;
};
PreDefinitionFields pre_definition_fields(const Settings& settings, const DialogState& state);
void apply_pre_definition_fields(Settings& settings, DialogState& state, const PreDefinitionFields& fields);

// The appointment dialog.
struct AppointmentFields {
    std::string text;
    PreDefinitionFields pre_definitions;
    bool insert_pre_definition = false;
    std::array<bool, calendar_count> calendars{};
    std::string date;
    std::string time;
};

// The calendar search dialog (calendar 0: no radio checked).
struct CalendarSearchFields {
    std::string text;
    int calendar = 0;
};

// The print settings (the margins as the edits read them).
struct PrintFields {
    unsigned left_margin = 0;
    unsigned top_margin = 0;
    std::string headline;
};
PrintFields print_fields(const Settings& settings, const DialogState& state);
void apply_print_fields(Settings& settings, DialogState& state, const PrintFields& fields);

// ---- On the application ------------------------------------------------------------

// The heading line of the entry the data view shows ("" when there is none).
std::string_view shown_heading(const App& app);

// The appointment dialog starts with the shown heading, the kept flags and
// pre-definitions, and the local date and time.
AppointmentFields appointment_fields(App& app);
// OK of the appointment dialog keeps its values (also when the date or time
// then fails) ...
void keep_appointment_fields(App& app, const AppointmentFields& fields);
// ... and then checks date and time: incomplete ones are told and nothing is
// sent; otherwise the "TS" request goes to the calendar.
void send_appointment(App& app);

CalendarSearchFields calendar_search_fields(App& app);
// OK of the calendar search dialog keeps the choice (when one is checked) and
// then sends "XS" with the text.
void send_calendar_search(App& app, const CalendarSearchFields& fields);

// Where Replace works: the whole data from the overview, the shown entry from
// the data view, nowhere while neither view is active.
std::optional<ReplaceScope> replace_scope(const App& app);
// Repeat replace (Alt+G): the Replace dialog when it has no search text yet.
void repeat_replace(App& app);

// After OK of the protection dialog: the file password taken, or cleared
// with the message told.
void apply_password_repeat(App& app, const PasswordRepeat& outcome);
// After the protection dialog, whatever its outcome: the data count as
// modified, so the next save writes them with the password as it now is.
void finish_password_protection(App& app);

// `type text pre-definition`(n): n from 1 to 10 types that pre-definition at
// the data view's caret, 11 types a path chosen with the Fileselector. Only
// while the data view is the active view; undo returns to the text before.
void type_text_pre_definition(App& app, int n);

}  // namespace lumo

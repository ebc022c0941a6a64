#include "app/dialog_logic.h"

#include <algorithm>
#include <cstdio>

#include "app/app.h"
#include "calendar/calendar_texts.h"
#include "data/file_commands.h"
#include "views/edit_engine.h"

namespace lumo {

namespace {

bool is_digit(std::string_view text, std::size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; }
int digit(std::string_view text, std::size_t i) { return text[i] - '0'; }

// One or two digits at `at`: the value, and whether any digit was there.
struct Number {
    int value = 0;
    bool any = false;
};
Number one_or_two_digits(std::string_view text, std::size_t at) {
    Number n;
    for (std::size_t i = at; i < at + 2; ++i) {
        if (!is_digit(text, i)) continue;
        n.value = n.value * 10 + digit(text, i);
        n.any = true;
    }
    return n;
}

// Where the next field starts: right behind `at` + 2, or one later when a
// separator stands there.
std::size_t next_field(std::string_view text, std::size_t at) { return is_digit(text, at + 2) ? at + 2 : at + 3; }

std::string cut(std::string_view text, std::size_t limit) { return std::string(text.substr(0, std::min(limit, text.size()))); }

// What typing gives of `text`: up to its first byte below 32, at most `limit`.
std::string typed_part(std::string_view text, std::size_t limit) {
    const auto end = std::find_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 32; });
    return cut(text.substr(0, static_cast<std::size_t>(end - text.begin())), limit);
}

// The first character of an edit's text, 0 for an empty one.
char first_character(std::string_view text) { return text.empty() ? '\0' : text[0]; }
std::string as_field(char c) { return c == '\0' ? std::string() : std::string(1, c); }

}  // namespace

// ---- Date, time and the calendar requests --------------------------------------

bool date_complete(std::string_view d) {
    if (d.size() < 3) return false;
    const int day = one_or_two_digits(d, 0).value;
    const std::size_t m = is_digit(d, 2) ? 2 : 3;
    if (d.size() < m + 3) return false;
    const int month = one_or_two_digits(d, m).value;
    const std::size_t y = next_field(d, m);
    if (d.size() < y + 4) return false;
    int year = 0;
    for (std::size_t i = y; i < y + 4; ++i) year = is_digit(d, i) ? year * 10 + digit(d, i) : 0;
    return day != 0 && month != 0 && year != 0;
}

bool time_complete(std::string_view t) {
    if (t.size() < 3) return false;
    const bool hour = one_or_two_digits(t, 0).any;
    const bool minute = one_or_two_digits(t, is_digit(t, 2) ? 2 : 3).any;
    return hour && minute;
}

std::string date_text(const LocalTime& now) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", now.day, now.month, now.year);
    return text;
}

std::string time_text(const LocalTime& now) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d.%02d", now.hour, now.minute);
    return text;
}

std::string heading_for_calendar(std::string_view line, const std::array<char, 5>& name_separators,
                                 std::size_t limit) {
    std::string heading;
    for (const char c : line.substr(0, std::min(limit, line.size()))) {
        if (static_cast<unsigned char>(c) < 32) break;
        if (std::find(name_separators.begin(), name_separators.end(), c) != name_separators.end()) break;
        heading.push_back(c);
    }
    return heading;
}

std::string appointment_request(const std::array<bool, calendar_count>& calendars, std::string_view date,
                                std::string_view time, std::string_view pre_definition, std::string_view text) {
    std::string body(date);
    body += ' ';
    body += time;
    body += ' ';
    body += pre_definition;
    body += '<';
    body += text;
    body.resize(std::min(body.size(), dialog_limit::request_body));
    body += '>';
    std::string request(calendar::appointment_prefix);
    for (const bool on : calendars) request += on ? '1' : '0';
    return request + body;
}

std::string calendar_search_request(int calendar, std::string_view text) {
    std::string request(calendar::search_prefix_request);
    request += static_cast<char>('0' + std::clamp(calendar, 1, calendar_count));
    return request + cut(text, dialog_limit::calendar_search_text);
}

// ---- Passwords -----------------------------------------------------------------

std::optional<std::string> accepted_password(std::string_view typed) {
    std::string password = cut(typed, dialog_limit::password);
    if (password.size() < min_password_length) return std::nullopt;
    return password;
}

PasswordRepeat check_password_repeat(std::string_view password, std::string_view repetition) {
    const std::string first = cut(password, dialog_limit::password);
    const std::string second = cut(repetition, dialog_limit::password);
    if (first == second && first.size() >= min_password_length) return {first, {}};
    return {std::nullopt, second.empty() ? text_not_protected_now : text_password_mistyped};
}

// ---- The Fileselector ------------------------------------------------------------

FileDialogRequest fileselector_request(std::string_view last_chosen, std::string_view current_directory) {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::open;
    request.title = "Choose File";
    request.filters = {{"(*.*)", "*.*"}};
    request.flags = ofn::hide_read_only;
    request.default_extension = "dry";
    if (!last_chosen.empty()) {
        request.initial_name = std::string(last_chosen);
    } else {
        request.initial_name = std::string(current_directory);
        if (request.initial_name.empty() || (request.initial_name.back() != '\\' && request.initial_name.back() != '/'))
            request.initial_name += '\\';
        request.initial_name += "*.*";
    }
    return request;
}

std::string quoted_path(std::string_view path) {
    const bool blank = path.find(' ') != std::string_view::npos;
    std::string quoted(1, '"');
    if (blank) quoted += '\'';
    for (const char c : path) {
        quoted += c;
        if (blank && c == '\'') quoted += '\'';
    }
    if (blank) quoted += '\'';
    quoted += '"';
    return quoted;
}

// ---- Values of the dialogs ---------------------------------------------------------

SearchFields search_fields(const SearchSettings& settings) {
    return {settings.text, static_cast<int>(settings.direction), !settings.ignore_case};
}

namespace {

void apply_search_part(std::string& text, SearchDirection& direction, bool& ignore_case, const SearchFields& fields) {
    if (fields.direction >= 0 && fields.direction < direction_count)
        direction = static_cast<SearchDirection>(fields.direction);
    ignore_case = !fields.case_sensitive;
    text = cut(fields.text, dialog_limit::search_text);
}

}  // namespace

void apply_search_fields(SearchSettings& settings, const SearchFields& fields) {
    apply_search_part(settings.text, settings.direction, settings.ignore_case, fields);
}

ReplaceFields replace_fields(const ReplaceSettings& settings) {
    // Replace all starts unchecked every time.
    return {{settings.text, static_cast<int>(settings.direction), !settings.ignore_case}, settings.replacement, false};
}

void apply_replace_fields(ReplaceSettings& settings, const ReplaceFields& fields) {
    apply_search_part(settings.text, settings.direction, settings.ignore_case, fields.search);
    settings.replacement = cut(fields.replacement, dialog_limit::search_text);
    settings.replace_all = fields.replace_all;
}

GeneralFields general_fields(const Settings& settings) {
    GeneralFields fields;
    for (std::size_t i = 0; i < 5; ++i) {
        fields.name_separators[i] = as_field(settings.name_separators[i]);
        fields.address_line_order[i] = as_field(settings.address_line_order[i]);
    }
    for (std::size_t i = 0; i < 4; ++i) fields.empty_lines[i] = settings.empty_line_flags[i] == 1;
    fields.swap_names = settings.swap_names_flag == 1;
    fields.save_data_automatically = settings.save_data_automatically == 1;
    fields.save_configuration_automatically = settings.save_configuration_automatically == 1;
    return fields;
}

void apply_general_fields(Settings& settings, const GeneralFields& fields) {
    for (std::size_t i = 0; i < 5; ++i) {
        settings.name_separators[i] = first_character(fields.name_separators[i]);
        const char order = first_character(fields.address_line_order[i]);
        settings.address_line_order[i] = order == '0' ? '\0' : order;
    }
    // The address field needs at least one separator.
    if (std::all_of(settings.name_separators.begin(), settings.name_separators.end(), [](char c) { return c == 0; }))
        settings.name_separators[0] = ',';
    for (std::size_t i = 0; i < 4; ++i) settings.empty_line_flags[i] = fields.empty_lines[i] ? 1 : 0;
    settings.swap_names_flag = fields.swap_names ? 1 : 0;
    settings.save_data_automatically = fields.save_data_automatically ? 1 : 0;
    settings.save_configuration_automatically = fields.save_configuration_automatically ? 1 : 0;
}

PreDefinitionFields pre_definition_fields(const Settings& settings, const DialogState& state) {
    PreDefinitionFields fields;
    for (std::size_t i = 0; i < text_pre_definition_count; ++i)
        fields.texts[i] = std::string(text_of(settings.text_pre_definitions[i]));
    fields.selected = state.selected_pre_definition;
    return fields;
}

void apply_pre_definition_fields(Settings& settings, DialogState& state, const PreDefinitionFields& fields) {
    if (fields.selected >= 1 && fields.selected <= static_cast<int>(text_pre_definition_count))
        state.selected_pre_definition = fields.selected;
    for (std::size_t i = 0; i < text_pre_definition_count; ++i)
        set_text(settings.text_pre_definitions[i], cut(fields.texts[i], dialog_limit::pre_definition));
}

PrintFields print_fields(const Settings& settings, const DialogState& state) {
    return {settings.print_left_margin, settings.print_top_margin, state.print_headline};
}

void apply_print_fields(Settings& settings, DialogState& state, const PrintFields& fields) {
    settings.print_left_margin = static_cast<std::uint8_t>(fields.left_margin % 256);
    settings.print_top_margin = static_cast<std::uint8_t>(fields.top_margin % 256);
    state.print_headline = cut(fields.headline, dialog_limit::print_headline);
}

// ---- On the application ------------------------------------------------------------

std::string_view shown_heading(const App& app) {
    const Store& store = app.store;
    const std::int32_t start = app.views.selected_entry_start;
    if (store.store_released() || store.entry_count() == 0 || start < 0 || start >= store.text_length()) return {};
    const std::string_view rest = store.text_view().substr(static_cast<std::size_t>(start));
    return rest.substr(0, std::min(rest.find('\r'), rest.size()));
}

AppointmentFields appointment_fields(App& app) {
    const DialogState& state = app.dialog_state;
    AppointmentFields fields;
    fields.text = heading_for_calendar(shown_heading(app), app.settings.name_separators,
                                       dialog_limit::appointment_heading);
    fields.pre_definitions = pre_definition_fields(app.settings, state);
    fields.insert_pre_definition = state.insert_pre_definition;
    fields.calendars = state.calendars;
    const LocalTime now = app.port().system.local_time();
    fields.date = date_text(now);
    fields.time = time_text(now);
    return fields;
}

void keep_appointment_fields(App& app, const AppointmentFields& fields) {
    DialogState& state = app.dialog_state;
    apply_pre_definition_fields(app.settings, state, fields.pre_definitions);
    state.insert_pre_definition = fields.insert_pre_definition;
    state.calendars = fields.calendars;
    state.time_text = cut(fields.time, dialog_limit::time_text);
    state.date_text = cut(fields.date, dialog_limit::date_text);
    state.appointment_text = cut(fields.text, dialog_limit::appointment_text);
}

void send_appointment(App& app) {
    const DialogState& state = app.dialog_state;
    if (!date_complete(state.date_text) || !time_complete(state.time_text)) {
        show_error(app.port(), text_incomplete_date_time);
        return;
    }
    std::string_view pre_definition;
    const int selected = state.selected_pre_definition;
    if (state.insert_pre_definition && selected >= 1 && selected <= static_cast<int>(text_pre_definition_count))
        pre_definition = text_of(app.settings.text_pre_definitions[static_cast<std::size_t>(selected - 1)]);
    app.calendar().send_to_calendar(
        appointment_request(state.calendars, state.date_text, state.time_text, pre_definition, state.appointment_text));
}

CalendarSearchFields calendar_search_fields(App& app) {
    return {heading_for_calendar(shown_heading(app), app.settings.name_separators, dialog_limit::calendar_search_text),
            app.calendar().search_calendar};
}

void send_calendar_search(App& app, const CalendarSearchFields& fields) {
    int& choice = app.calendar().search_calendar;
    if (fields.calendar >= 1 && fields.calendar <= calendar_count) choice = fields.calendar;
    app.calendar().send_to_calendar(calendar_search_request(choice, fields.text));
}

std::optional<ReplaceScope> replace_scope(const App& app) {
    switch (app.views.active_view) {
    case ActiveView::overview: return ReplaceScope::whole_data;
    case ActiveView::data_view: return ReplaceScope::current_entry;
    default: return std::nullopt;
    }
}

void repeat_replace(App& app) {
    if (app.search.replace_settings.text.empty() && app.search.open_replace_dialog) {
        app.search.open_replace_dialog();
        return;
    }
    if (const auto scope = replace_scope(app)) app.search.replace(*scope);
}

void apply_password_repeat(App& app, const PasswordRepeat& outcome) {
    if (outcome.password) {
        app.file.file_password = *outcome.password;
        return;
    }
    app.file.file_password.clear();
    show_error(app.port(), outcome.message);
}

void finish_password_protection(App& app) {
    app.store.set_modified_marker(true);
    app.port().frame.set_status_text(app.store.entries_status_text());
    app.store.modified = true;
}

namespace {

// The Fileselector: a path to type, or nothing when it was cancelled.
std::optional<std::string> choose_path(App& app) {
    DialogState& state = app.dialog_state;
    const std::optional<FileDialogAnswer> chosen = choose_files(
        app.port(), fileselector_request(state.last_chosen_path, app.port().system.current_directory()));
    if (!chosen) return std::nullopt;
    state.last_chosen_path = cut(chosen->paths.front(), dialog_limit::chosen_path);
    return quoted_path(state.last_chosen_path);
}

}  // namespace

void type_text_pre_definition(App& app, int n) {
    if (n < 1 || n > static_cast<int>(text_pre_definition_count) + 1) return;
    if (!app.port().frame.main_window_exists() || app.views.active_view != ActiveView::data_view) return;
    if (app.store.store_released()) return;
    app.store.take_undo_snapshot();
    std::string text;
    if (n <= static_cast<int>(text_pre_definition_count)) {
        text = typed_part(text_of(app.settings.text_pre_definitions[static_cast<std::size_t>(n - 1)]),
                          dialog_limit::pre_definition);
    } else {
        const std::optional<std::string> path = choose_path(app);
        if (!path) return;
        text = typed_part(*path, dialog_limit::typed_path);
    }
    if (text.empty()) return;
    // Typed text takes the place of a marked block, as a typed key does.
    if (app.views.text_block.marked) app.edit_engine.delete_text_block(false);
    // Typed as the keyboard would, one character at a time: at a full line the
    // first refused character ends the typing, after the engine's one message.
    for (const char c : text)
        if (app.edit_engine.edit(static_cast<unsigned char>(c)) == edit_refused) break;
}

}  // namespace lumo

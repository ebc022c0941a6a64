#include "win32/dialogs.h"

#include <span>
#include <vector>

#include "app/app.h"
#include "port/ids.h"

namespace lumo::win32 {

namespace {

constexpr std::array<int, direction_count> direction_buttons = {
    IDC_DIRECTION_BACKWARD, IDC_DIRECTION_FORWARD, IDC_DIRECTION_BACKWARD_WRAP, IDC_DIRECTION_FORWARD_WRAP};
// Their pictures, in the same order.
constexpr std::array<int, direction_count> direction_bitmaps = {
    IDB_DIRECTION_BACKWARD, IDB_DIRECTION_FORWARD, IDB_DIRECTION_BACKWARD_WRAP, IDB_DIRECTION_FORWARD_WRAP};
// What the pictures mean.
constexpr std::array<Tooltip, direction_count> direction_tooltips = {{
    {IDC_DIRECTION_BACKWARD, "Backward, up to the beginning"},
    {IDC_DIRECTION_FORWARD, "Forward, up to the end"},
    {IDC_DIRECTION_BACKWARD_WRAP, "Backward through all entries, on from the end"},
    {IDC_DIRECTION_FORWARD_WRAP, "Forward through all entries, on from the beginning"},
}};

constexpr std::array<int, text_pre_definition_count> pre_definition_edits = {
    IDC_PREDEFINITION_TEXT_1, IDC_PREDEFINITION_TEXT_2, IDC_PREDEFINITION_TEXT_3, IDC_PREDEFINITION_TEXT_4,
    IDC_PREDEFINITION_TEXT_5, IDC_PREDEFINITION_TEXT_6, IDC_PREDEFINITION_TEXT_7, IDC_PREDEFINITION_TEXT_8,
    IDC_PREDEFINITION_TEXT_9, IDC_PREDEFINITION_TEXT_10};
constexpr std::array<int, text_pre_definition_count> pre_definition_picks = {
    IDC_PREDEFINITION_PICK_1, IDC_PREDEFINITION_PICK_2, IDC_PREDEFINITION_PICK_3, IDC_PREDEFINITION_PICK_4,
    IDC_PREDEFINITION_PICK_5, IDC_PREDEFINITION_PICK_6, IDC_PREDEFINITION_PICK_7, IDC_PREDEFINITION_PICK_8,
    IDC_PREDEFINITION_PICK_9, IDC_PREDEFINITION_PICK_10};

constexpr std::array<int, 5> separator_edits = {IDC_SEPARATOR_1, IDC_SEPARATOR_2, IDC_SEPARATOR_3, IDC_SEPARATOR_4,
                                                IDC_SEPARATOR_5};
constexpr std::array<int, 5> order_edits = {IDC_ORDER_1, IDC_ORDER_2, IDC_ORDER_3, IDC_ORDER_4, IDC_ORDER_5};
constexpr std::array<int, 4> empty_line_boxes = {IDC_EMPTY_LINE_1, IDC_EMPTY_LINE_2, IDC_EMPTY_LINE_3,
                                                 IDC_EMPTY_LINE_4};
constexpr std::array<int, calendar_count> calendar_flags = {IDC_CALENDAR_FLAG_1, IDC_CALENDAR_FLAG_2,
                                                            IDC_CALENDAR_FLAG_3, IDC_CALENDAR_FLAG_4};
constexpr std::array<int, calendar_count> calendar_choices = {IDC_CALENDAR_CHOICE_1, IDC_CALENDAR_CHOICE_2,
                                                              IDC_CALENDAR_CHOICE_3, IDC_CALENDAR_CHOICE_4};

// ---- Controls ------------------------------------------------------------------------

// At most `limit` characters of an edit.
std::string item_text(HWND dialog, int id, std::size_t limit) {
    std::vector<char> buffer(limit + 1, '\0');
    const UINT length = GetDlgItemTextA(dialog, id, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), std::min<std::size_t>(length, limit));
}

// Shows `text` in an edit that takes at most `limit` characters when typed.
void set_item_text(HWND dialog, int id, const std::string& text, std::size_t limit) {
    SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, limit, 0);
    SetDlgItemTextA(dialog, id, text.c_str());
}

bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

// 1 + the position of the first checked button, 0 when none is.
int first_checked(HWND dialog, std::span<const int> ids) {
    for (std::size_t i = 0; i < ids.size(); ++i)
        if (checked(dialog, ids[i])) return static_cast<int>(i) + 1;
    return 0;
}

// Checks button `number` (1-based) of a group; out of range checks none.
void check_one(HWND dialog, std::span<const int> ids, int number) {
    for (std::size_t i = 0; i < ids.size(); ++i) check(dialog, ids[i], static_cast<int>(i) + 1 == number);
}

// ---- The dialogs' values ------------------------------------------------------------------

void show_search_fields(HWND dialog, const SearchFields& fields) {
    set_item_text(dialog, IDC_SEARCH_TEXT, fields.text, dialog_limit::search_text);
    check_one(dialog, direction_buttons, fields.direction + 1);
    check(dialog, IDC_CASE_SENSITIVE, fields.case_sensitive);
}

SearchFields read_search_fields(HWND dialog) {
    return {item_text(dialog, IDC_SEARCH_TEXT, dialog_limit::search_text),
            first_checked(dialog, direction_buttons) - 1, checked(dialog, IDC_CASE_SENSITIVE)};
}

void show_general_fields(HWND dialog, const GeneralFields& fields) {
    for (std::size_t i = 0; i < 5; ++i) {
        set_item_text(dialog, separator_edits[i], fields.name_separators[i], 1);
        set_item_text(dialog, order_edits[i], fields.address_line_order[i], 1);
    }
    for (std::size_t i = 0; i < 4; ++i) check(dialog, empty_line_boxes[i], fields.empty_lines[i]);
    check(dialog, IDC_SWAP_NAMES, fields.swap_names);
    check(dialog, IDC_SAVE_DATA_AUTOMATICALLY, fields.save_data_automatically);
    check(dialog, IDC_SAVE_CONFIG_AUTOMATICALLY, fields.save_configuration_automatically);
}

GeneralFields read_general_fields(HWND dialog) {
    GeneralFields fields;
    for (std::size_t i = 0; i < 5; ++i) {
        fields.name_separators[i] = item_text(dialog, separator_edits[i], 1);
        fields.address_line_order[i] = item_text(dialog, order_edits[i], 1);
    }
    for (std::size_t i = 0; i < 4; ++i) fields.empty_lines[i] = checked(dialog, empty_line_boxes[i]);
    fields.swap_names = checked(dialog, IDC_SWAP_NAMES);
    fields.save_data_automatically = checked(dialog, IDC_SAVE_DATA_AUTOMATICALLY);
    fields.save_configuration_automatically = checked(dialog, IDC_SAVE_CONFIG_AUTOMATICALLY);
    return fields;
}

void show_pre_definitions(HWND dialog, const PreDefinitionFields& fields) {
    for (std::size_t i = 0; i < text_pre_definition_count; ++i)
        set_item_text(dialog, pre_definition_edits[i], fields.texts[i], dialog_limit::pre_definition);
    check_one(dialog, pre_definition_picks, fields.selected);
}

PreDefinitionFields read_pre_definitions(HWND dialog) {
    PreDefinitionFields fields;
    for (std::size_t i = 0; i < text_pre_definition_count; ++i)
        fields.texts[i] = item_text(dialog, pre_definition_edits[i], dialog_limit::pre_definition);
    fields.selected = first_checked(dialog, pre_definition_picks);
    return fields;
}

void show_appointment_fields(HWND dialog, const AppointmentFields& fields) {
    set_item_text(dialog, IDC_APPOINTMENT_TEXT, fields.text, dialog_limit::appointment_text);
    show_pre_definitions(dialog, fields.pre_definitions);
    check(dialog, IDC_INSERT_PREDEFINITION, fields.insert_pre_definition);
    for (std::size_t i = 0; i < calendar_count; ++i) check(dialog, calendar_flags[i], fields.calendars[i]);
    set_item_text(dialog, IDC_DATE, fields.date, dialog_limit::date_text);
    set_item_text(dialog, IDC_TIME, fields.time, dialog_limit::time_text);
}

AppointmentFields read_appointment_fields(HWND dialog) {
    AppointmentFields fields;
    fields.pre_definitions = read_pre_definitions(dialog);
    fields.insert_pre_definition = checked(dialog, IDC_INSERT_PREDEFINITION);
    for (std::size_t i = 0; i < calendar_count; ++i) fields.calendars[i] = checked(dialog, calendar_flags[i]);
    fields.time = item_text(dialog, IDC_TIME, dialog_limit::time_text);
    fields.date = item_text(dialog, IDC_DATE, dialog_limit::date_text);
    fields.text = item_text(dialog, IDC_APPOINTMENT_TEXT, dialog_limit::appointment_text);
    return fields;
}

void show_print_fields(HWND dialog, const PrintFields& fields) {
    SetDlgItemInt(dialog, IDC_PRINT_LEFT_MARGIN, fields.left_margin, FALSE);
    SetDlgItemInt(dialog, IDC_PRINT_TOP_MARGIN, fields.top_margin, FALSE);
    set_item_text(dialog, IDC_PRINT_HEADLINE, fields.headline, dialog_limit::print_headline);
}

PrintFields read_print_fields(HWND dialog) {
    return {GetDlgItemInt(dialog, IDC_PRINT_LEFT_MARGIN, nullptr, FALSE),
            GetDlgItemInt(dialog, IDC_PRINT_TOP_MARGIN, nullptr, FALSE),
            item_text(dialog, IDC_PRINT_HEADLINE, dialog_limit::print_headline)};
}

// ---- The procedure ------------------------------------------------------------------------

void set_modal(DialogSession& session, bool on) {
    if (session.app) session.app->port().modal_flag = on;
}

void end_dialog(HWND dialog, DialogSession& session, INT_PTR result) {
    set_modal(session, false);
    EndDialog(dialog, result);
}

void init_dialog(HWND dialog, DialogSession& session) {
    switch (session.kind) {
    case IDD_PASSWORD_OPEN_GERMAN: set_item_text(dialog, IDC_OPEN_PASSWORD, "", dialog_limit::password); return;
    case IDD_PASSWORD_ADD_GERMAN: set_item_text(dialog, IDC_ADD_PASSWORD, "", dialog_limit::password); return;
    default: break;
    }
    if (!session.app) return;
    App& app = *session.app;
    switch (session.kind) {
    case IDD_SEARCH_GERMAN:
        session.directions.attach(dialog, session.resources);
        show_search_fields(dialog, search_fields(app.search.search_settings));
        break;
    case IDD_REPLACE_GERMAN: {
        session.directions.attach(dialog, session.resources);
        const ReplaceFields fields = replace_fields(app.search.replace_settings);
        show_search_fields(dialog, fields.search);
        set_item_text(dialog, IDC_REPLACEMENT_TEXT, fields.replacement, dialog_limit::search_text);
        check(dialog, IDC_REPLACE_ALL, fields.replace_all);
        break;
    }
    case IDD_GENERAL_CONFIG_GERMAN: show_general_fields(dialog, general_fields(app.settings)); break;
    case IDD_TEXT_PREDEFINITIONS_GERMAN:
        show_pre_definitions(dialog, pre_definition_fields(app.settings, app.dialog_state));
        break;
    case IDD_APPOINTMENT_GERMAN: show_appointment_fields(dialog, appointment_fields(app)); break;
    case IDD_CALENDAR_SEARCH_GERMAN: {
        const CalendarSearchFields fields = calendar_search_fields(app);
        set_item_text(dialog, IDC_SEARCH_TEXT, fields.text, dialog_limit::calendar_search_text);
        check_one(dialog, calendar_choices, fields.calendar);
        break;
    }
    case IDD_PRINT_SETTINGS_GERMAN: show_print_fields(dialog, print_fields(app.settings, app.dialog_state)); break;
    case IDD_PASSWORD_PROTECT_GERMAN:
        set_item_text(dialog, IDC_NEW_PASSWORD, "", dialog_limit::password);
        set_item_text(dialog, IDC_NEW_PASSWORD_REPEAT, "", dialog_limit::password);
        break;
    default: break;
    }
}

// A password prompt's OK: the dialog ends with `ok_id` when the password is
// long enough, else with -1.
void accept_prompt(HWND dialog, DialogSession& session, int edit, int ok_id) {
    session.password = accepted_password(item_text(dialog, edit, dialog_limit::password));
    end_dialog(dialog, session, session.password ? ok_id : -1);
}

// The OK buttons that need only the controls.
bool on_prompt_command(HWND dialog, DialogSession& session, int id) {
    switch (id) {
    case IDOK: end_dialog(dialog, session, 1); return true;
    case IDCANCEL: end_dialog(dialog, session, -1); return true;
    case IDC_OPEN_PASSWORD_OK: accept_prompt(dialog, session, IDC_OPEN_PASSWORD, IDC_OPEN_PASSWORD_OK); return true;
    case IDC_ADD_PASSWORD_OK: accept_prompt(dialog, session, IDC_ADD_PASSWORD, IDC_ADD_PASSWORD_OK); return true;
    case IDC_NEW_PASSWORD_OK:
        session.password_repeat = check_password_repeat(item_text(dialog, IDC_NEW_PASSWORD, dialog_limit::password),
                                                        item_text(dialog, IDC_NEW_PASSWORD_REPEAT, dialog_limit::password));
        session.follow_up = FollowUp::password_repeat;
        end_dialog(dialog, session, session.password_repeat.password ? IDC_NEW_PASSWORD_OK : -1);
        return true;
    default: return false;
    }
}

// The OK buttons that write into the application's state.
bool on_app_command(HWND dialog, DialogSession& session, int id) {
    if (!session.app) return false;
    App& app = *session.app;
    auto finish = [&](FollowUp follow_up, INT_PTR result = 0) {
        session.follow_up = follow_up;
        end_dialog(dialog, session, result);
    };
    switch (id) {
    case IDC_SEARCH_OK:
        apply_search_fields(app.search.search_settings, read_search_fields(dialog));
        finish(FollowUp::search);
        return true;
    case IDC_REPLACE_OK: {
        const ReplaceFields fields{read_search_fields(dialog),
                                   item_text(dialog, IDC_REPLACEMENT_TEXT, dialog_limit::search_text),
                                   checked(dialog, IDC_REPLACE_ALL)};
        apply_replace_fields(app.search.replace_settings, fields);
        finish(FollowUp::replace);
        return true;
    }
    case IDC_GENERAL_OK:
        apply_general_fields(app.settings, read_general_fields(dialog));
        finish(FollowUp::none);
        return true;
    case IDC_PREDEFINITIONS_OK:
    case IDC_PREDEFINITION_SET:
        apply_pre_definition_fields(app.settings, app.dialog_state, read_pre_definitions(dialog));
        session.pre_definition = app.dialog_state.selected_pre_definition;
        finish(id == IDC_PREDEFINITION_SET ? FollowUp::type_pre_definition : FollowUp::none);
        return true;
    case IDC_FILESELECTOR:
        session.pre_definition = static_cast<int>(text_pre_definition_count) + 1;
        finish(FollowUp::type_pre_definition);
        return true;
    case IDC_APPOINTMENT_OK:
        keep_appointment_fields(app, read_appointment_fields(dialog));
        finish(FollowUp::appointment);
        return true;
    case IDC_CALENDAR_SEARCH_OK:
        session.calendar_search = {item_text(dialog, IDC_SEARCH_TEXT, dialog_limit::calendar_search_text),
                                   first_checked(dialog, calendar_choices)};
        finish(FollowUp::calendar_search);
        return true;
    case IDC_PRINT_OK:
        apply_print_fields(app.settings, app.dialog_state, read_print_fields(dialog));
        finish(FollowUp::none, IDC_PRINT_OK);
        return true;
    default: return false;
    }
}

DialogSession* session_of(HWND dialog) {
    return reinterpret_cast<DialogSession*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

}  // namespace

DirectionButtons::~DirectionButtons() {
    for (HBITMAP bitmap : bitmaps_)
        if (bitmap) DeleteObject(bitmap);
}

void DirectionButtons::attach(HWND dialog, HINSTANCE resources) {
    for (std::size_t i = 0; i < direction_count; ++i) {
        if (!bitmaps_[i])
            bitmaps_[i] = static_cast<HBITMAP>(
                LoadImageA(resources, MAKEINTRESOURCEA(direction_bitmaps[i]), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
        SendDlgItemMessageA(dialog, direction_buttons[i], BM_SETIMAGE, IMAGE_BITMAP,
                            reinterpret_cast<LPARAM>(bitmaps_[i]));
    }
    tooltips_ = add_tooltips(dialog, direction_tooltips);
}

int template_for_kind(int kind) {
    switch (kind) {
    case IDD_SEARCH_GERMAN: return IDD_SEARCH;
    case IDD_REPLACE_GERMAN: return IDD_REPLACE;
    case IDD_GENERAL_CONFIG_GERMAN: return IDD_GENERAL_CONFIG;
    case IDD_TEXT_PREDEFINITIONS_GERMAN: return IDD_TEXT_PREDEFINITIONS;
    case IDD_APPOINTMENT_GERMAN: return IDD_APPOINTMENT;
    case IDD_CALENDAR_SEARCH_GERMAN: return IDD_CALENDAR_SEARCH;
    case IDD_PRINT_SETTINGS_GERMAN: return IDD_PRINT_SETTINGS_GERMAN;
    case IDD_PASSWORD_OPEN_GERMAN: return IDD_PASSWORD_OPEN;
    case IDD_PASSWORD_ADD_GERMAN: return IDD_PASSWORD_ADD;
    case IDD_PASSWORD_PROTECT_GERMAN: return IDD_PASSWORD_PROTECT;
    default: return 0;
    }
}

INT_PTR CALLBACK common_dialog_procedure(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    DialogSession* session = msg == WM_INITDIALOG ? reinterpret_cast<DialogSession*>(lp) : session_of(dialog);
    if (!session) return FALSE;
    try {
        if (msg == WM_INITDIALOG) {
            SetWindowLongPtrA(dialog, DWLP_USER, lp);
            set_modal(*session, true);
            init_dialog(dialog, *session);
            return TRUE;
        }
        // Buttons only: edits report their changes under their own ids.
        if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return FALSE;
        const int id = LOWORD(wp);
        return on_prompt_command(dialog, *session, id) || on_app_command(dialog, *session, id) ? TRUE : FALSE;
    } catch (...) {
        // Out of memory while taking the values over: the dialog ends as if
        // cancelled, with nothing left to do.
        session->follow_up = FollowUp::none;
        end_dialog(dialog, *session, -1);
        return TRUE;
    }
}

void run_follow_up(DialogSession& session) {
    if (!session.app) return;
    App& app = *session.app;
    switch (session.follow_up) {
    case FollowUp::none: break;
    case FollowUp::search: app.search.search(); break;
    case FollowUp::replace:
        if (const auto scope = replace_scope(app)) app.search.replace(*scope);
        break;
    case FollowUp::type_pre_definition: type_text_pre_definition(app, session.pre_definition); break;
    case FollowUp::appointment: send_appointment(app); break;
    case FollowUp::calendar_search: send_calendar_search(app, session.calendar_search); break;
    case FollowUp::password_repeat: apply_password_repeat(app, session.password_repeat); break;
    }
    session.follow_up = FollowUp::none;
}

std::optional<std::string> run_password_prompt(HINSTANCE resources, HWND owner, PasswordPrompt which) {
    DialogSession session;
    session.kind = which == PasswordPrompt::open_file ? IDD_PASSWORD_OPEN_GERMAN : IDD_PASSWORD_ADD_GERMAN;
    session.resources = resources;
    DialogBoxParamA(resources, MAKEINTRESOURCEA(template_for_kind(session.kind)), owner, &common_dialog_procedure,
                    reinterpret_cast<LPARAM>(&session));
    return session.password;
}

// ---- The commands ---------------------------------------------------------------------------

Dialogs::Dialogs(App& app, ShellWindows& windows, HINSTANCE resources)
    : app_(app), windows_(windows), resources_(resources) {
    app_.search.open_search_dialog = [this] { search(); };
    app_.search.open_replace_dialog = [this] { replace(); };
}

INT_PTR Dialogs::run(int kind, HWND owner) {
    DialogSession session;
    session.kind = kind;
    session.app = &app_;
    session.resources = resources_;
    kind_ = kind;
    const INT_PTR result = DialogBoxParamA(resources_, MAKEINTRESOURCEA(template_for_kind(kind)), owner,
                                           &common_dialog_procedure, reinterpret_cast<LPARAM>(&session));
    kind_ = 0;
    app_.port().modal_flag = false;
    run_follow_up(session);
    return result;
}

void Dialogs::search() { run(IDD_SEARCH_GERMAN, windows_.main); }
void Dialogs::replace() { run(IDD_REPLACE_GERMAN, windows_.main); }
void Dialogs::general_configuration() { run(IDD_GENERAL_CONFIG_GERMAN, GetActiveWindow()); }
void Dialogs::text_pre_definitions() { run(IDD_TEXT_PREDEFINITIONS_GERMAN, windows_.main); }
void Dialogs::appointment() { run(IDD_APPOINTMENT_GERMAN, windows_.main); }

void Dialogs::calendar_search() {
    SetFocus(windows_.main);
    run(IDD_CALENDAR_SEARCH_GERMAN, windows_.main);
}

void Dialogs::password_protection() {
    run(IDD_PASSWORD_PROTECT_GERMAN, windows_.main);
    finish_password_protection(app_);
}

bool Dialogs::print_settings() { return run(IDD_PRINT_SETTINGS_GERMAN, GetActiveWindow()) == IDC_PRINT_OK; }

bool Dialogs::on_command(int id) {
    switch (id) {
    case CMD_SEARCH: search(); return true;
    case CMD_FIND_NEXT: app_.search.repeat_search(); return true;
    case CMD_REPLACE: replace(); return true;
    case CMD_REPLACE_NEXT: repeat_replace(app_); return true;
    case CMD_GENERAL_CONFIGURATION: general_configuration(); return true;
    case CMD_TEXT_PREDEFINITIONS: text_pre_definitions(); return true;
    case CMD_APPOINTMENT: appointment(); return true;
    case CMD_CALENDAR_SEARCH: calendar_search(); return true;
    case CMD_PASSWORD: password_protection(); return true;
    case CMD_CHOOSE_PREDEFINITION: type_text_pre_definition(app_, 11); return true;
    default: break;
    }
    for (std::size_t i = 0; i < pre_definition_edits.size(); ++i) {
        // Shift+F1 .. Shift+F10 carry the numbers of the pre-definitions' edits.
        if (id != pre_definition_edits[i]) continue;
        type_text_pre_definition(app_, static_cast<int>(i) + 1);
        return true;
    }
    return false;
}

}  // namespace lumo::win32

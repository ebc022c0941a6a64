// The program's modal dialogs: search, replace, general configuration, text
// pre-definitions, the two calendar dialogs, the print settings and the three
// password dialogs. One common dialog procedure serves them all and tells
// them apart by the dialog kind (the German twin's template number); it only
// moves values between the controls and app/dialog_logic.h. What OK leaves
// to do (a search, typing, a calendar request) runs after the dialog ended.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "app/dialog_logic.h"
#include "port/port.h"
#include "win32/tooltips.h"
#include "win32/win32_port.h"

namespace lumo {
class App;
}

namespace lumo::win32 {

// What a dialog's OK leaves for after the dialog has ended.
enum class FollowUp { none, search, replace, type_pre_definition, appointment, calendar_search, password_repeat };

// The pictures of the four direction buttons, for one run of a dialog (the
// buttons do not own them), and the tooltips that say what they mean.
class DirectionButtons {
public:
    DirectionButtons() = default;
    ~DirectionButtons();
    DirectionButtons(const DirectionButtons&) = delete;
    DirectionButtons& operator=(const DirectionButtons&) = delete;

    // Loads the pictures (once) and gives them and the tooltips to the
    // buttons 1059 to 1062.
    void attach(HWND dialog, HINSTANCE resources);
    // The tooltip window (it goes with the dialog).
    HWND tooltips() const { return tooltips_; }

private:
    std::array<HBITMAP, direction_count> bitmaps_{};
    HWND tooltips_ = nullptr;
};

// One run of a dialog: what the common procedure reads and leaves behind.
struct DialogSession {
    int kind = 0;
    // The application; none for the password prompts, which start-up may
    // show before the application's windows exist.
    App* app = nullptr;
    HINSTANCE resources = nullptr;

    FollowUp follow_up = FollowUp::none;
    int pre_definition = 0;                // to type afterwards (1 to 11)
    CalendarSearchFields calendar_search;  // to send afterwards
    PasswordRepeat password_repeat;        // to apply afterwards
    std::optional<std::string> password;   // what a password prompt accepted
    DirectionButtons directions;
};

// The template a dialog kind is shown from (0 for an unknown kind).
int template_for_kind(int kind);

// The common dialog procedure. WM_INITDIALOG takes the DialogSession as its
// lParam; the modal flag is set from then until the dialog ends.
INT_PTR CALLBACK common_dialog_procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Runs what the session's OK left to do.
void run_follow_up(DialogSession& session);

// The password prompt of a protected file being opened or added: the
// accepted password, or nothing (Esc, or fewer than 4 characters).
std::optional<std::string> run_password_prompt(HINSTANCE resources, HWND owner, PasswordPrompt which);

// The main window's dialog commands.
class Dialogs {
public:
    // Search again and Repeat replace open the dialogs through `app` when
    // they have no text yet.
    Dialogs(App& app, ShellWindows& windows, HINSTANCE resources);
    Dialogs(const Dialogs&) = delete;
    Dialogs& operator=(const Dialogs&) = delete;

    // Runs a command of the Edit, Special and Configuration menus that ends
    // up in a dialog (or types a pre-definition); false for other ids.
    bool on_command(int id);

    void search();                 // 40028
    void replace();                // 40030
    void general_configuration();  // 40060
    void text_pre_definitions();   // 40061
    void appointment();            // 40001
    void calendar_search();        // 40012
    void password_protection();    // 40111
    // The print settings; true when printing is to go on (OK).
    bool print_settings();

    // The dialog kind while one of these dialogs is up, else 0.
    int dialog_kind() const { return kind_; }

private:
    INT_PTR run(int kind, HWND owner);

    App& app_;
    ShellWindows& windows_;
    HINSTANCE resources_;
    int kind_ = 0;
};

}  // namespace lumo::win32

// The main window "VORNIX-Lumo": every command, key and calendar message of
// the program arrives at its window procedure, which hands it to the core.
// It also receives every message of the toolbar and the status bar; frame
// messages count only when they are its own.
#pragma once

#include <windows.h>

#include "app/app.h"
#include "win32/about_box.h"
#include "win32/colours_dialog.h"
#include "win32/data_view_window.h"
#include "win32/dialogs.h"
#include "win32/frame_bars.h"
#include "win32/overview_window.h"
#include "win32/printing.h"
#include "win32/shell_resources.h"
#include "win32/view_caption.h"
#include "win32/win32_port.h"

namespace lumo::win32 {

inline constexpr char main_window_class[] = "VORNIX-Lumo";

class MainWindow {
public:
    MainWindow(App& app, ShellWindows& windows, ShellResources& resources, UINT transfer_message);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Registers "VORNIX-Lumo" and the two view classes.
    static bool register_classes(HINSTANCE instance);
    // Creates the window with menu 105 at the given rectangle; its creation
    // greets the calendar program.
    HWND create(const Rect& rect, const char* title);
    // The toolbar and status bar across the top, with pictures, background
    // and the entries status text.
    bool create_bars();
    // Both views at their rectangles; the overview is the active view.
    bool create_views();
    // The calendar and quit items of the system menu.
    void add_system_menu_items() const;

    AboutBox& about_box() { return about_; }

    // The window procedure, for the main window and for the bars.
    LRESULT procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    // For window_thunk.
    void attach(HWND hwnd) { windows_.main = hwnd; }
    LRESULT handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

private:
    bool is_main(HWND hwnd) const { return hwnd == windows_.main; }

    // Frame messages
    LRESULT on_create(HWND hwnd);
    void on_move_or_size(HWND hwnd, UINT msg, LPARAM lp);
    void on_get_min_max_info(HWND hwnd, MINMAXINFO& info) const;
    LRESULT on_paint(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void on_display_change(HWND hwnd);
    void on_set_focus(HWND hwnd);
    void on_kill_focus(HWND hwnd, HWND gaining);
    LRESULT on_query_end_session();

    // Commands
    LRESULT on_command(int id);
    LRESULT on_sys_command(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void on_arrangement(std::uint8_t arrangement, int command, int other_command);
    void on_print();

    // Places both views for the current arrangement (nothing in free placement).
    void place_views();
    void remember_main_rectangle();
    void repaint_captions() const;

    App& app_;
    ShellWindows& windows_;
    ShellResources& resources_;
    UINT transfer_message_;
    ViewCaption caption_;
    FrameBars bars_;
    AboutBox about_;
    OverviewWindow overview_;
    DataViewWindow data_view_;
    // The dialog commands (search, replace, configuration, calendar, password).
    Dialogs dialogs_{app_, windows_, resources_.instance()};
    // The colours dialog, with the chooser's custom colours for the run.
    ColoursDialog colours_{app_, windows_, resources_.instance()};
    // The print dialog's record: the printer chosen last stays for the run.
    PrintRecord print_record_{resources_.instance()};
};

}  // namespace lumo::win32

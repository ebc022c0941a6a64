// The main window "VORNIX-Lumo": every command, key and calendar message of
// the program arrives at its window procedure, which hands it to the core.
#pragma once

#include <windows.h>

#include "app/app.h"
#include "win32/win32_port.h"

namespace lumo::win32 {

inline constexpr char main_window_class[] = "VORNIX-Lumo";

class MainWindow {
public:
    MainWindow(App& app, ShellWindows& windows, UINT transfer_message)
        : app_(app), windows_(windows), transfer_message_(transfer_message) {}

    static bool register_class(HINSTANCE instance);
    // Creates the window with menu 105 at the given rectangle; its creation
    // greets the calendar program.
    HWND create(HINSTANCE instance, const RECT& rect, const char* title);

private:
    static LRESULT CALLBACK thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    LRESULT on_create();
    LRESULT on_command(HWND hwnd, int id);
    LRESULT on_sys_command(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT on_query_end_session();

    App& app_;
    ShellWindows& windows_;
    UINT transfer_message_;
};

}  // namespace lumo::win32

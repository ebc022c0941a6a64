// The program's start, message loop and end.
#pragma once

#include <windows.h>

namespace lumo::win32 {

// Runs lumo; returns the quit code of the message loop, or 1 when another
// instance is already running.
int run_lumo(HINSTANCE instance, int show_command);

}  // namespace lumo::win32

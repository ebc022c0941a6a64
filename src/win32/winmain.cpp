// Entry point of lumo.exe.
#include <windows.h>

#include "win32/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
    return lumo::win32::run_lumo(instance, show_command);
}

#include "win32/startup.h"

#include <memory>

#include "app/app.h"
#include "port/ids.h"
#include "win32/main_window.h"
#include "win32/win32_port.h"

namespace lumo::win32 {

namespace {

// Refuses a second instance: the first one is brought to the front instead.
bool another_instance_runs(Port& port) {
    HWND other = FindWindowA(main_window_class, nullptr);
    if (!other) return false;
    port.modal_flag = true;
    MessageBeep(0);
    port.prompts.message_box("VORNIX-Lumo is already active!", caption_main,
                             box::icon_question | box::set_foreground | box::topmost);
    port.modal_flag = false;
    SetForegroundWindow(other);
    return true;
}

// The centred default at 80 % of the screen.
RECT default_main_rectangle() {
    const int cx = GetSystemMetrics(SM_CXFULLSCREEN);
    const int cy = GetSystemMetrics(SM_CYFULLSCREEN);
    const int w = cx * 80 / 100, h = cy * 80 / 100;
    return RECT{(cx - w) / 2, (cy - h) / 2, w, h};
}

void add_system_menu_items(HWND main) {
    HMENU menu = GetSystemMenu(main, FALSE);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, CMD_CALENDAR_1, "Calendar &1 \tCtrl+F1");
    AppendMenuA(menu, MF_STRING, CMD_CALENDAR_2, "Calendar &2 \tCtrl+F2");
    AppendMenuA(menu, MF_STRING, CMD_CALENDAR_3, "Calendar &3 \tCtrl+F3");
    AppendMenuA(menu, MF_STRING, CMD_CALENDAR_4, "Calendar &4 \tCtrl+F4");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, CMD_QUIT, "&Quit VORNIX-Lumo \tCtrl+Q");
}

int message_loop(HWND main, HACCEL accelerators) {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorA(main, accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

int run_lumo(HINSTANCE instance, int show_command) {
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_ACCELERATORS));

    ShellWindows windows;
    Win32Port shell(windows);
    Port port{shell, shell, shell};
    const UINT transfer_message = register_transfer_message();
    Win32Transport transport(transfer_message);
    App app(port, transport);

    if (another_instance_runs(port)) return 1;

    MainWindow main_window(app, windows, transfer_message);
    if (!MainWindow::register_class(instance)) return 1;
    HWND main = main_window.create(instance, default_main_rectangle(), " NO NAME");
    if (!main) return 1;
    ShowWindow(main, show_command);
    UpdateWindow(main);
    add_system_menu_items(main);

    const int code = message_loop(main, accelerators);
    app.shut_down();
    return code;
}

}  // namespace lumo::win32

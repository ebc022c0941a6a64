#include "win32/startup.h"

#include <fcntl.h>
#include <ole2.h>

#include <cstdlib>

#include "app/app.h"
#include "app/frame_logic.h"
#include "port/ids.h"
#include "win32/drop_target.h"
#include "win32/main_window.h"
#include "win32/shell_resources.h"
#include "win32/win32_files.h"
#include "win32/win32_port.h"

namespace lumo::win32 {

namespace {

// OLE for the whole run (drag and drop).
class OleSession {
public:
    OleSession() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleSession() { end(); }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
    void end() {
        if (ok_) OleUninitialize();
        ok_ = false;
    }

private:
    bool ok_;
};

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

ScreenSize screen_size() { return {GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)}; }

int message_loop(App& app, HWND main, HACCEL accelerators, const AboutBox& about) {
    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!about.takes(msg) && !TranslateAcceleratorA(main, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        // Here no command is running: a quit that had to wait may go on.
        app.run_pending_quit();
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

int run_lumo(HINSTANCE instance, int show_command) {
    // Files are always read and written byte for byte.
    _fmode = _O_BINARY;
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_ACCELERATORS));
    OleSession ole;
    ShellResources resources(instance);

    ShellWindows windows;
    Win32Port shell(windows);
    Win32FileSystem files;
    Port port{shell, shell, shell, shell, shell, files};
    const UINT transfer_message = register_transfer_message();
    Win32Transport transport(transfer_message);
    App app(port, transport);

    // Configuration, title, store and the last file, before any window.
    if (!start_up_before_window(app, GetCommandLineA(), system_logfont())) return 1;
    // The port measures text with the fonts the views paint with.
    resources.view_fonts_created = [&shell, &resources] {
        shell.overview_font = resources.overview_font();
        shell.data_view_font = resources.data_view_font();
        shell.data_view_bold_font = resources.data_view_bold_font();
    };
    resources.create_view_fonts(app.settings);

    if (another_instance_runs(port)) return 1;

    app.settings.main_window_rectangle = checked_main_window_rectangle(app.settings.main_window_rectangle, screen_size());
    MainWindow main_window(app, windows, resources, transfer_message);
    if (!MainWindow::register_classes(instance)) return 1;
    HWND main = main_window.create(app.settings.main_window_rectangle, app.store.window_title_text().data());
    if (!main) return 1;
    if (!main_window.create_bars()) return 1;
    ShowWindow(main, show_command);
    UpdateWindow(main);
    if (!main_window.create_views()) return 1;
    main_window.add_system_menu_items();
    // The data view takes text and files dropped on it.
    DropTargetRegistration drop_target(app, windows.data_view);

    start_up_after_window(app);

    const int code = message_loop(app, main, accelerators, main_window.about_box());
    app.shut_down();
    drop_target.revoke();
    ole.end();
    return code;
}

}  // namespace lumo::win32

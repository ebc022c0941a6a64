#include "win32/main_window.h"

#include "port/ids.h"

namespace lumo::win32 {

bool MainWindow::register_class(HINSTANCE instance) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &MainWindow::thunk;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_LUMO_LARGE));
    wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_LUMO_SMALL), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = main_window_class;
    return RegisterClassExA(&wc) != 0;
}

HWND MainWindow::create(HINSTANCE instance, const RECT& rect, const char* title) {
    HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDM_MENU_ENGLISH));
    return CreateWindowExA(0, main_window_class, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, rect.left,
                           rect.top, rect.right, rect.bottom, nullptr, menu, instance, this);
}

LRESULT CALLBACK MainWindow::thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lp);
        auto* self = static_cast<MainWindow*>(create->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->windows_.main = hwnd;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    // No exception may cross into the system's code.
    try {
        return self->handle(hwnd, msg, wp, lp);
    } catch (...) {
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

LRESULT MainWindow::handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (app_.shut_down_done()) return DefWindowProcA(hwnd, msg, wp, lp);
    if (msg == transfer_message_) {
        app_.on_transfer_message(static_cast<std::uint64_t>(wp), static_cast<std::int64_t>(lp));
        return 0;
    }
    switch (msg) {
    case WM_CREATE:
        return on_create();
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_QUERYENDSESSION:
        return on_query_end_session();
    case WM_COMMAND:
        return on_command(hwnd, LOWORD(wp));
    case WM_SYSCOMMAND:
        return on_sys_command(hwnd, msg, wp, lp);
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

LRESULT MainWindow::on_create() {
    app_.greet_calendar();
    return 0;
}

LRESULT MainWindow::on_command(HWND hwnd, int id) {
    switch (id) {
    case CMD_QUIT:
        PostQuitMessage(0);
        break;
    case CMD_CALENDAR_1:
    case CMD_CALENDAR_2:
    case CMD_CALENDAR_3:
    case CMD_CALENDAR_4:
    case CMD_ALARM_WINDOW:
    case CMD_ANALOG_CLOCK:
        SetFocus(hwnd);
        app_.open_calendar_window(id, true);
        break;
    default:
        break;
    }
    return 0;
}

LRESULT MainWindow::on_sys_command(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const int id = static_cast<int>(wp);
    if (id >= CMD_CALENDAR_1 && id <= CMD_CALENDAR_4) {
        SetFocus(hwnd);
        app_.open_calendar_window(id, false);
        return 0;
    }
    if (id == CMD_QUIT) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT MainWindow::on_query_end_session() {
    app_.shut_down();
    PostQuitMessage(0);
    return TRUE;
}

}  // namespace lumo::win32

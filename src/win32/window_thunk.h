// The static window procedure of a window class whose object is passed as
// the creation parameter: it finds the object and calls its handle(). No
// exception may cross into the system's code.
#pragma once

#include <windows.h>

namespace lumo::win32 {

template <typename Window>
LRESULT CALLBACK window_thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lp);
        auto* self = static_cast<Window*>(create->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) self->attach(hwnd);
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    try {
        return self->handle(hwnd, msg, wp, lp);
    } catch (...) {
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

// Registers a class with the program's icons (102 large, 103 small).
bool register_window_class(HINSTANCE instance, const char* name, UINT style, WNDPROC procedure, HCURSOR cursor,
                           HBRUSH background);

}  // namespace lumo::win32

#include "win32/about_box.h"

#include "app/frame_logic.h"
#include "port/ids.h"

namespace lumo::win32 {

AboutBox::~AboutBox() {
    if (window_) DestroyWindow(window_);
}

void AboutBox::show() {
    if (window_) {
        SetWindowPos(window_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
        return;
    }
    HWND box = CreateDialogParamA(instance_, MAKEINTRESOURCEA(IDD_ABOUT), nullptr, &AboutBox::procedure,
                                  reinterpret_cast<LPARAM>(this));
    if (!box) return;
    RECT r{};
    GetWindowRect(box, &r);
    POINT mouse{};
    GetCursorPos(&mouse);
    const ScreenSize screen{GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)};
    const Point at = about_box_position({mouse.x, mouse.y}, {r.right - r.left, r.bottom - r.top}, screen);
    SetWindowPos(box, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    window_ = box;
}

bool AboutBox::takes(MSG& msg) const { return window_ && IsDialogMessageA(window_, &msg); }

void AboutBox::close() {
    HWND box = window_;
    window_ = nullptr;
    DestroyWindow(box);
    if (main_) SetForegroundWindow(main_);
}

INT_PTR CALLBACK AboutBox::procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lp);
        return TRUE;
    }
    auto* self = reinterpret_cast<AboutBox*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self || msg != WM_COMMAND) return FALSE;
    switch (LOWORD(wp)) {
    case IDOK:
    case IDCANCEL:
    case IDC_ABOUT_OK:
        self->close();
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace lumo::win32

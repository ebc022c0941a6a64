#include "win32/frame_bars.h"

#include <vector>

#include "port/ids.h"
#include "win32/shell_resources.h"
#include "win32/tooltips.h"

namespace lumo::win32 {

bool FrameBars::create(HINSTANCE instance, HWND main) {
    const auto self = reinterpret_cast<LPARAM>(this);
    toolbar_ = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_TOOLBAR), main, &FrameBars::toolbar_procedure, self);
    status_bar_ =
        CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_STATUS_BAR), main, &FrameBars::status_bar_procedure, self);
    if (!toolbar_ || !status_bar_) return false;
    // The status bar lies over the toolbar's empty top band.
    SetWindowPos(status_bar_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RECT r{};
    GetWindowRect(toolbar_, &r);
    toolbar_width_ = r.right - r.left + 1;
    toolbar_height_ = r.bottom - r.top + 1;
    add_toolbar_tooltips();
    return true;
}

// The buttons show pictures only: the tooltips tell what they do.
void FrameBars::add_toolbar_tooltips() {
    std::vector<Tooltip> tips{{IDC_LOGO, "Info (Ctrl+I)"}};
    for (const ToolbarButton& button : toolbar_buttons) tips.push_back({button.command, button.tooltip});
    tooltips_ = add_tooltips(toolbar_, tips);
}

void FrameBars::fit_toolbar(int width) const {
    if (toolbar_) MoveWindow(toolbar_, 0, 0, width, toolbar_height_, TRUE);
}

void FrameBars::set_button_pictures(const ShellResources& resources) const {
    for (const ToolbarButton& button : toolbar_buttons)
        SendDlgItemMessageA(toolbar_, button.command, BM_SETIMAGE, IMAGE_BITMAP,
                            reinterpret_cast<LPARAM>(resources.toolbar_bitmap(button.command)));
}

void FrameBars::set_background(HBRUSH brush) const {
    if (!toolbar_ || !brush) return;
    SetClassLongPtrA(toolbar_, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush));
    InvalidateRect(toolbar_, nullptr, TRUE);
}

INT_PTR FrameBars::forward(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) SetWindowLongPtrA(hwnd, DWLP_USER, lp);
    auto* self = reinterpret_cast<FrameBars*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    // Messages before WM_INITDIALOG (the font) belong to the dialog itself.
    if (!self || !self->main_procedure_) return FALSE;
    return static_cast<INT_PTR>(self->main_procedure_(hwnd, msg, wp, lp));
}

INT_PTR CALLBACK FrameBars::toolbar_procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    // A click on the toolbar activates the program, as a click on its frame would.
    if (msg == WM_NCHITTEST && (GetAsyncKeyState(VK_LBUTTON) < 0 || GetAsyncKeyState(VK_RBUTTON) < 0))
        SetActiveWindow(GetParent(hwnd));
    return forward(hwnd, msg, wp, lp);
}

INT_PTR CALLBACK FrameBars::status_bar_procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return forward(hwnd, msg, wp, lp);
}

}  // namespace lumo::win32

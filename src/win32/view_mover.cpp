#include "win32/view_mover.h"

#include "port/ids.h"
#include "views/view_frame.h"

namespace lumo::win32 {

bool left_button_still_down_after(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) Sleep(1);
    return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
}

void ViewMover::press(HWND view, int x, int y) {
    // Where the press lies from the window's corner (its frame included),
    // so that the view does not jump by its frame when the move begins.
    POINT at{x, y};
    ClientToScreen(view, &at);
    RECT frame{};
    GetWindowRect(view, &frame);
    press_ = {at.x - frame.left, at.y - frame.top};
    if (!left_button_still_down_after(100)) {
        moving_ = false;
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        return;
    }
    SetCursor(LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDCUR_GRAB_HAND)));
    SetCapture(view);
    moving_ = true;
}

bool ViewMover::drag(HWND view, int x, int y) const {
    if (!moving_) return false;
    HWND main = GetParent(view);
    POINT mouse{x, y};
    MapWindowPoints(view, main, &mouse, 1);
    RECT client{};
    GetClientRect(main, &client);
    const ViewPoint origin = moved_view_origin({mouse.x, mouse.y}, {press_.x, press_.y}, bars_.toolbar_height(),
                                               caption_.height(), client.right, client.bottom);
    MoveWindow(view, origin.x, origin.y, place_.width, place_.height, TRUE);
    // The grab hand stays while the view is carried.
    SetCursor(LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDCUR_GRAB_HAND)));
    return true;
}

void ViewMover::release() {
    if (!moving_) return;
    ReleaseCapture();
    moving_ = false;
}

}  // namespace lumo::win32

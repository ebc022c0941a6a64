// Moving a view inside the main window by dragging its caption strip, for
// both views. A press on the strip that is held for 100 ms grabs the view
// (grab-hand cursor, mouse captured); mouse moves then carry it, and the
// button's release lets it go. Each view window owns one mover and calls it
// from its WM_LBUTTONDOWN, WM_MOUSEMOVE and WM_LBUTTONUP.
#pragma once

#include <windows.h>

#include "settings/settings.h"
#include "win32/frame_bars.h"
#include "win32/view_caption.h"

namespace lumo::win32 {

class ViewMover {
public:
    // `moving` is the view's moving-view flag; `place` its stored rectangle,
    // whose width and height a move keeps. All outlive the mover.
    ViewMover(const FrameBars& bars, const ViewCaption& caption, bool& moving, const Rect& place)
        : bars_(bars), caption_(caption), moving_(moving), place_(place) {}
    ViewMover(const ViewMover&) = delete;
    ViewMover& operator=(const ViewMover&) = delete;

    // Whether client y of a view lies on its caption strip.
    bool on_caption(int y) const { return y < caption_.height(); }
    // Left button down at client (x, y) on the caption strip of `view`:
    // waits 100 ms, then grabs the view when the button is still down.
    void press(HWND view, int x, int y);
    // WM_MOUSEMOVE at client (x, y): moves the view while it is grabbed.
    // Returns whether it is grabbed (the caller does nothing else then).
    bool drag(HWND view, int x, int y) const;
    // WM_LBUTTONUP: lets a grabbed view go.
    void release();
    // WM_CAPTURECHANGED: the system took the mouse away; the move ends.
    void capture_lost() { moving_ = false; }

private:
    const FrameBars& bars_;
    const ViewCaption& caption_;
    bool& moving_;
    const Rect& place_;
    POINT press_{};  // from the view's top-left window corner
};

// Waits `ms` milliseconds on the tick count, the way the views tell a click
// from a held button; returns whether the left button is still down.
bool left_button_still_down_after(DWORD ms);

}  // namespace lumo::win32

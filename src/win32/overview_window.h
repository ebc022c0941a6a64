// The Overview: the list of the heading lines of all entries. Window class "Uebersicht",
// child id 1 of the main window; it paints its caption strip and background.
#pragma once

#include <windows.h>

#include "app/app.h"
#include "win32/view_caption.h"

namespace lumo::win32 {

class OverviewWindow {
public:
    static constexpr char class_name[] = "Uebersicht";
    static constexpr int child_id = 1;

    OverviewWindow(App& app, const ViewCaption& caption) : app_(app), caption_(caption) {}
    OverviewWindow(const OverviewWindow&) = delete;
    OverviewWindow& operator=(const OverviewWindow&) = delete;

    static bool register_class(HINSTANCE instance);
    // Creates the view inside `parent` at `place` (x, y, width, height).
    HWND create(HINSTANCE instance, HWND parent, const Rect& place);
    HWND window() const { return window_; }
    // Redraws the caption strip (the active view shows the active colours).
    void repaint_caption() const;

    // For window_thunk.
    void attach(HWND hwnd) { window_ = hwnd; }
    LRESULT handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

private:
    void on_paint();
    bool is_active() const { return app_.views.active_view == ActiveView::overview; }

    App& app_;
    const ViewCaption& caption_;
    HWND window_ = nullptr;
};

}  // namespace lumo::win32

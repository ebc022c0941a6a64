// The Data view: the editor of the selected entry. Window class "Datensatz",
// child id 2 of the main window; it paints its caption strip and background.
#pragma once

#include <windows.h>

#include "app/app.h"
#include "win32/view_caption.h"

namespace lumo::win32 {

class DataViewWindow {
public:
    static constexpr char class_name[] = "Datensatz";
    static constexpr int child_id = 2;

    DataViewWindow(App& app, const ViewCaption& caption) : app_(app), caption_(caption) {}
    DataViewWindow(const DataViewWindow&) = delete;
    DataViewWindow& operator=(const DataViewWindow&) = delete;

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
    bool is_active() const { return app_.views.active_view == ActiveView::data_view; }

    App& app_;
    const ViewCaption& caption_;
    HWND window_ = nullptr;
};

}  // namespace lumo::win32

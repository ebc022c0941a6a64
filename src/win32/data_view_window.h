// The Data view: the editor of the selected entry. Window class "Datensatz",
// child id 2 of the main window. It paints what the data view model plans,
// takes the mouse (caret, marking, words, links, scroll bars) and hands its
// keys and wheel to the main window. It is also the model's canvas: the
// immediate passes the model asks for are drawn at once on its device context.
#pragma once

#include <windows.h>

#include <functional>

#include "app/app.h"
#include "views/data_view.h"
#include "win32/frame_bars.h"
#include "win32/gdi_pool.h"
#include "win32/view_caption.h"
#include "win32/view_mover.h"

namespace lumo::win32 {

class DataViewWindow final : public DataViewCanvas {
public:
    static constexpr char class_name[] = "Datensatz";
    static constexpr int child_id = 2;

    // All three outlive the window object.
    DataViewWindow(App& app, const ViewCaption& caption, const FrameBars& bars)
        : app_(app), caption_(caption), bars_(bars) {}
    ~DataViewWindow() override;
    DataViewWindow(const DataViewWindow&) = delete;
    DataViewWindow& operator=(const DataViewWindow&) = delete;

    static bool register_class(HINSTANCE instance);
    // Creates the view inside `parent` at `place` (x, y, width, height).
    HWND create(HINSTANCE instance, HWND parent, const Rect& place);
    HWND window() const { return window_; }
    // Redraws the caption strip (the active view shows the active colours).
    void repaint_caption() const;
    // Measures the data view font again (line height, longest line width);
    // whoever changes the font calls it, then repaints.
    void measure_font();

    // A press on the marked block starts dragging it; drag and drop fills
    // this in. Without it nothing happens.
    std::function<void()> on_drag_text;

    // DataViewCanvas: immediate passes on the window's device context.
    void draw(const DataViewPaint& paint) override;
    void draw_underline(const Underline& line) override;
    void set_cursor(ViewCursor cursor) override;

    // For window_thunk.
    void attach(HWND hwnd) { window_ = hwnd; }
    LRESULT handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

private:
    bool is_active() const { return app_.views.active_view == ActiveView::data_view; }
    bool key_down(int key) const { return app_.port().system.key_down(key); }

    // Window messages
    void on_create();
    void on_destroy();
    void on_paint();
    void on_move_or_size();
    void on_get_min_max_info(MINMAXINFO& info) const;
    LRESULT on_mouse_activate();
    void on_scroll(bool vertical, int code);
    bool on_set_cursor(LPARAM lp);
    void on_mouse_move(int x, int y);
    void on_button_down(int x, int y, bool left);
    void on_button_up();
    void on_double_click(int x, int y);

    // Pieces of the mouse handling
    void open_link(const std::string& link) const;
    void press_and_hold(int x, int y, bool shift);
    void mark_by_dragging();
    void update_geometry();
    // Draws one planned pass (and the hovered link's underline) on `dc`.
    void paint_pass(HDC dc, const DataViewPaint& paint);

    App& app_;
    const ViewCaption& caption_;
    const FrameBars& bars_;
    // Moves the view by its caption strip (shared with the overview).
    ViewMover mover_{bars_, caption_, app_.data_view_state.moving_view, app_.settings.data_view_rectangle};
    HWND window_ = nullptr;
    GdiObjectPool pool_;
    HCURSOR cursor_ = nullptr;  // what WM_SETCURSOR shows in the client area
    bool button_held_ = false;
};

}  // namespace lumo::win32

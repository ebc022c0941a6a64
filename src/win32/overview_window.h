// The Overview: the list of the heading lines of all entries. Window class
// "Uebersicht", child id 1 of the main window. It paints the list from the
// store's overview rows, takes the mouse (click, press and hold, Shift+click,
// marking by dragging, moving by its caption strip, scroll bars) and hands
// its keys and wheel to the main window. It is also the model's canvas: the
// selection frame and the range marks are toggled at once on its device
// context.
#pragma once

#include <windows.h>

#include <functional>

#include "app/app.h"
#include "views/overview.h"
#include "win32/frame_bars.h"
#include "win32/gdi_pool.h"
#include "win32/view_caption.h"
#include "win32/view_mover.h"

namespace lumo::win32 {

class OverviewWindow final : public OverviewCanvas {
public:
    static constexpr char class_name[] = "Uebersicht";
    static constexpr int child_id = 1;

    // All three outlive the window object.
    OverviewWindow(App& app, const ViewCaption& caption, const FrameBars& bars)
        : app_(app),
          caption_(caption),
          bars_(bars),
          mover_(bars, caption, app.overview_state.moving_view, app.settings.overview_rectangle) {}
    ~OverviewWindow() override;
    OverviewWindow(const OverviewWindow&) = delete;
    OverviewWindow& operator=(const OverviewWindow&) = delete;

    static bool register_class(HINSTANCE instance);
    // Creates the view inside `parent` at `place` (x, y, width, height).
    HWND create(HINSTANCE instance, HWND parent, const Rect& place);
    HWND window() const { return window_; }
    // Redraws the caption strip (the active view shows the active colours).
    void repaint_caption() const;
    // Measures the overview font again (line height, longest line width);
    // whoever changes the font calls it, then repaints.
    void measure_font();

    // Holding the button on the marked entries starts dragging them; drag
    // and drop fills this in. Without it nothing happens.
    std::function<void()> on_drag_entries;

    // OverviewCanvas: the frame and the range marks, inverted at once.
    void toggle_marks() override;

    // For window_thunk.
    void attach(HWND hwnd) { window_ = hwnd; }
    LRESULT handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

private:
    bool is_active() const { return app_.views.active_view == ActiveView::overview; }
    bool key_down(int key) const { return app_.port().system.key_down(key); }
    bool modal() const { return app_.port().modal_flag; }
    Overview model() { return Overview(app_.store, app_.overview_state); }

    // Window messages
    void on_create();
    void on_destroy();
    void on_paint();
    void on_move_or_size();
    void on_get_min_max_info(MINMAXINFO& info) const;
    LRESULT on_mouse_activate();
    void on_scroll(bool vertical, int code);
    void on_button_down(int x, int y);
    void on_mouse_move(int x, int y);
    void on_button_up();

    // Pieces of painting and of the mouse handling
    void update_geometry();
    void paint_full(HDC dc);
    void set_scroll_bars(std::int32_t visible_rows);
    void draw_rows(HDC dc, std::int32_t visible_rows);
    void draw_marks(HDC dc) const;
    void press_and_hold(PressOutcome outcome);
    void mark_by_dragging();

    App& app_;
    const ViewCaption& caption_;
    const FrameBars& bars_;
    ViewMover mover_;
    HWND window_ = nullptr;
    GdiObjectPool pool_;
    POINT mouse_{};  // where the mouse was last seen in the client area
    // What the scroll bars show, so that painting sets them only on change.
    SCROLLINFO vertical_{}, horizontal_{};
};

}  // namespace lumo::win32

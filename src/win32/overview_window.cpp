#include "win32/overview_window.h"

#include <windowsx.h>

#include <cstring>

#include "app/keyboard.h"
#include "port/ids.h"
#include "views/view_frame.h"
#include "win32/shell_resources.h"
#include "win32/window_thunk.h"

namespace lumo::win32 {

namespace {

constexpr char window_title[] = "\xdc" "bersicht";
constexpr DWORD view_style =
    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_THICKFRAME;

// What the overview font measures: tmHeight + tmExternalLeading, and the
// widest heading of 254 of its widest characters.
struct FontMetrics {
    std::int32_t line_height = 0;
    std::int32_t longest_line_width = 0;
};

FontMetrics measure(const LogFont& logfont) {
    const LOGFONTA description = to_logfont(logfont);
    Font font(CreateFontIndirectA(&description));
    HDC dc = GetDC(nullptr);
    TEXTMETRICA tm{};
    {
        SelectedObject selected(dc, font.get() ? static_cast<HGDIOBJ>(font.get()) : GetStockObject(SYSTEM_FONT));
        GetTextMetricsA(dc, &tm);
    }
    ReleaseDC(nullptr, dc);
    return {tm.tmHeight + tm.tmExternalLeading, 254 * tm.tmMaxCharWidth};
}

HCURSOR program_cursor(int id) { return LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)); }
HCURSOR system_cursor(LPCSTR id) { return LoadCursorA(nullptr, id); }

// The key a scroll bar code acts like (0: none).
int key_for_scroll(bool vertical, int code) {
    switch (code) {
    case SB_LINEUP: return vertical ? VK_UP : VK_LEFT;
    case SB_LINEDOWN: return vertical ? VK_DOWN : VK_RIGHT;
    case SB_PAGEUP: return vertical ? VK_PRIOR : VK_HOME;
    case SB_PAGEDOWN: return vertical ? VK_NEXT : VK_END;
    default: return 0;
    }
}

bool same_scroll_setting(const SCROLLINFO& a, const SCROLLINFO& b) {
    return a.nMin == b.nMin && a.nMax == b.nMax && a.nPage == b.nPage && a.nPos == b.nPos;
}

}  // namespace

OverviewWindow::~OverviewWindow() {
    if (app_.overview_state.canvas == this) app_.overview_state.canvas = nullptr;
}

bool OverviewWindow::register_class(HINSTANCE instance) {
    return register_window_class(instance, class_name, CS_HREDRAW | CS_VREDRAW, &window_thunk<OverviewWindow>,
                                 LoadCursorA(nullptr, IDC_ARROW), static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
}

HWND OverviewWindow::create(HINSTANCE instance, HWND parent, const Rect& place) {
    return CreateWindowExA(0, class_name, window_title, view_style, place.x, place.y, place.width, place.height,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(child_id)), instance, this);
}

void OverviewWindow::repaint_caption() const {
    if (!window_) return;
    RECT client{};
    GetClientRect(window_, &client);
    client.bottom = client.top + caption_.height() + 1;
    InvalidateRect(window_, &client, FALSE);
}

void OverviewWindow::measure_font() {
    const FontMetrics metrics = measure(app_.settings.overview_font);
    OverviewGeometry& g = app_.overview_state.geometry;
    if (metrics.line_height > 0) g.line_height = metrics.line_height;
    g.longest_line_width = metrics.longest_line_width;
}

LRESULT OverviewWindow::handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        on_create();
        return 0;
    case WM_DESTROY:
        on_destroy();
        return 0;
    case WM_PAINT:
        on_paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // painting covers the whole client area
    case WM_MOVE:
    case WM_SIZE:
        on_move_or_size();
        return 0;
    case WM_GETMINMAXINFO:
        on_get_min_max_info(*reinterpret_cast<MINMAXINFO*>(lp));
        return 0;
    case WM_MOUSEACTIVATE:
        return on_mouse_activate();
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (!modal()) on_scroll(msg == WM_VSCROLL, LOWORD(wp));
        return 0;
    case WM_LBUTTONDOWN:
        if (!modal()) on_button_down(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_MOUSEMOVE:
        if (!modal()) on_mouse_move(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_LBUTTONUP:
        if (!modal()) on_button_up();
        return 0;
    case WM_CAPTURECHANGED:
        mover_.capture_lost();
        return 0;
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_MOUSEWHEEL:
        // Keys and the wheel have one dispatcher: the main window's.
        return SendMessageA(GetParent(hwnd), msg, wp, lp);
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

// ---- Window messages --------------------------------------------------------------

void OverviewWindow::on_create() {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = 100;
    info.nPage = 50;
    info.nPos = 0;
    SetScrollInfo(window_, SB_HORZ, &info, TRUE);
    measure_font();
    update_geometry();
    app_.overview_state.canvas = this;
}

void OverviewWindow::on_destroy() {
    if (app_.overview_state.canvas == this) app_.overview_state.canvas = nullptr;
}

void OverviewWindow::update_geometry() {
    RECT client{};
    GetClientRect(window_, &client);
    OverviewGeometry& g = app_.overview_state.geometry;
    g.client_width = client.right;
    g.client_height = client.bottom;
    g.caption_height = caption_.height();
}

void OverviewWindow::on_paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    paint_full(dc);
    pool_.release();
    EndPaint(window_, &ps);
}

void OverviewWindow::on_move_or_size() {
    if (!window_ || IsIconic(window_)) return;
    update_geometry();
    HWND main = GetParent(window_);
    RECT r{};
    GetWindowRect(window_, &r);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    const Rect place{r.left, r.top, r.right - r.left, r.bottom - r.top};
    const Rect kept = kept_below_toolbar(place, bars_.toolbar_height());
    app_.settings.overview_rectangle = kept;
    if (kept != place)
        SetWindowPos(window_, nullptr, kept.x, kept.y, kept.width, kept.height, SWP_NOZORDER | SWP_SHOWWINDOW);
}

void OverviewWindow::on_get_min_max_info(MINMAXINFO& info) const {
    const ViewMinimum minimum =
        view_minimum_size(caption_.height(), app_.overview_state.geometry.line_height);
    info.ptMinTrackSize = {minimum.width, minimum.height};
}

LRESULT OverviewWindow::on_mouse_activate() {
    if (is_active()) return MA_ACTIVATE;
    // Paste greyed, brought to the top, a pending sort done, both caption
    // strips repainted.
    switch_to_overview(app_);
    BringWindowToTop(window_);
    return MA_ACTIVATE;
}

void OverviewWindow::on_scroll(bool vertical, int code) {
    if (const int key = key_for_scroll(vertical, code)) {
        SendMessageA(GetParent(window_), WM_KEYDOWN, static_cast<WPARAM>(key), 0);
        return;
    }
    if (code != SB_THUMBTRACK) return;
    // The tracked position in full 32 bits (the message carries only 16).
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(window_, vertical ? SB_VERT : SB_HORZ, &info);
    Overview ov = model();
    if (vertical) {
        ov.track_vertical(info.nTrackPos);
    } else {
        ov.track_horizontal(info.nTrackPos);
    }
    UpdateWindow(window_);
}

// ---- Painting ---------------------------------------------------------------------

void OverviewWindow::paint_full(HDC dc) {
    update_geometry();
    RECT client{};
    GetClientRect(window_, &client);
    caption_.paint(dc, client, app_.overview_state.type_ahead.caption().data(), is_active(), pool_);
    if (!app_.overview_state.geometry.paintable()) return;
    const std::int32_t v = model().prepare_paint();
    set_scroll_bars(v);
    draw_rows(dc, v);
    draw_marks(dc);
}

void OverviewWindow::set_scroll_bars(std::int32_t visible_rows) {
    const OverviewGeometry& g = app_.overview_state.geometry;
    SCROLLINFO vertical{};
    vertical.cbSize = sizeof vertical;
    vertical.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    vertical.nMax = app_.store.entry_count();
    vertical.nPage = static_cast<UINT>(visible_rows);
    vertical.nPos = app_.views.top_entry;
    SCROLLINFO horizontal = vertical;
    horizontal.nMax = g.longest_line_width;
    horizontal.nPage = static_cast<UINT>(g.client_width);
    horizontal.nPos = app_.views.overview_horizontal_offset;
    // Setting them changes nothing on screen unless they moved.
    if (!same_scroll_setting(vertical, vertical_)) SetScrollInfo(window_, SB_VERT, &vertical, TRUE);
    if (!same_scroll_setting(horizontal, horizontal_)) SetScrollInfo(window_, SB_HORZ, &horizontal, TRUE);
    vertical_ = vertical;
    horizontal_ = horizontal;
}

void OverviewWindow::draw_rows(HDC dc, std::int32_t visible_rows) {
    const OverviewGeometry& g = app_.overview_state.geometry;
    const ViewColours& colours = app_.settings.colours;
    HBRUSH background = pool_.add(CreateSolidBrush(colours.overview_background));
    const LOGFONTA description = to_logfont(app_.settings.overview_font);
    HFONT font = pool_.add(CreateFontIndirectA(&description));
    SelectedObject selected(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    SetTextColor(dc, colours.overview_text);
    SetBkMode(dc, TRANSPARENT);
    const std::int32_t with_text = model().rows_with_entries(visible_rows);
    const int x = 1 - app_.views.overview_horizontal_offset;
    for (std::int32_t row = 0; row <= visible_rows; ++row) {
        const RECT band{0, g.row_top(row), g.client_width, g.row_top(row + 1)};
        FillRect(dc, &band, background ? background : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        if (row >= with_text) continue;
        const char* text = app_.store.overview_row(row).data();
        TextOutA(dc, x, band.top, text, static_cast<int>(std::strlen(text)));
    }
}

// `paint overview` in mode toggle: the selection frame's top and bottom
// edges, and every visible marked row, inverted. Drawing twice removes them.
void OverviewWindow::draw_marks(HDC dc) const {
    const OverviewGeometry& g = app_.overview_state.geometry;
    if (!g.paintable()) return;
    const std::int32_t v = g.visible_rows();
    const std::int32_t frame_top = g.row_top(app_.views.cursor_row);
    PatBlt(dc, 0, frame_top, g.client_width, 1, DSTINVERT);
    PatBlt(dc, 0, frame_top + g.line_height + 1, g.client_width, 1, DSTINVERT);
    if (!app_.views.entry_range.marked) return;
    Overview ov(app_.store, app_.overview_state);
    for (std::int32_t row = 0; row <= v; ++row) {
        if (!ov.row_marked(row)) continue;
        PatBlt(dc, 0, g.row_top(row), g.client_width, g.row_height(), DSTINVERT);
    }
}

void OverviewWindow::toggle_marks() {
    if (!window_) return;
    update_geometry();
    ClientDc dc(window_);
    if (dc.get()) draw_marks(dc.get());
}

// ---- Mouse ------------------------------------------------------------------------

void OverviewWindow::on_button_down(int x, int y) {
    mouse_ = {x, y};
    if (mover_.on_caption(y)) {
        mover_.press(window_, x, y);
        return;
    }
    Overview ov = model();
    ov.press_begins();
    BringWindowToTop(window_);
    const bool shift = key_down(VK_SHIFT);
    // A click is told from a held button by sampling it 200 ms later; with
    // Shift it is sampled at once.
    const bool still_down = shift ? key_down(VK_LBUTTON) : left_button_still_down_after(200);
    SetCursor(still_down ? program_cursor(IDCUR_POINTING_HAND) : system_cursor(IDC_ARROW));
    const PressOutcome outcome = ov.press_sampled(y, shift, still_down);
    UpdateWindow(window_);
    if (outcome != PressOutcome::released) press_and_hold(outcome);
}

void OverviewWindow::press_and_hold(PressOutcome outcome) {
    if (outcome == PressOutcome::mark_by_dragging) {
        mark_by_dragging();
    } else if (outcome == PressOutcome::drag_entries && on_drag_entries) {
        on_drag_entries();
    }
    SetCursor(system_cursor(IDC_IBEAM));
}

// Runs while the left button is down: marks from the anchor to the entry
// under the mouse, scrolling at the list's edges. Paints directly, as no
// messages are handled meanwhile.
void OverviewWindow::mark_by_dragging() {
    while (key_down(VK_LBUTTON) && IsWindow(window_)) {
        POINT mouse{};
        GetCursorPos(&mouse);
        ScreenToClient(window_, &mouse);
        update_geometry();
        const Overview::DragPass pass = model().mark_by_dragging_pass(mouse.y);
        if (pass.edge_scrolled) Sleep(50);
        if (pass.changed) {
            UpdateWindow(window_);
        } else {
            Sleep(10);
        }
    }
    app_.overview_state.button_held = false;
}

void OverviewWindow::on_mouse_move(int x, int y) {
    if (mover_.drag(window_, x, y)) return;
    mouse_ = {x, y};
}

void OverviewWindow::on_button_up() {
    app_.overview_state.button_held = false;
    mover_.release();
}

}  // namespace lumo::win32

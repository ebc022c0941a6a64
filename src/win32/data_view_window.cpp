#include "win32/data_view_window.h"

#include <shellapi.h>
#include <windowsx.h>

#include <string>

#include "app/keyboard.h"
#include "port/ids.h"
#include "views/view_frame.h"
#include "win32/data_view_painter.h"
#include "win32/window_thunk.h"

namespace lumo::win32 {

namespace {

constexpr char window_title[] = "Datensatz";
constexpr char caption_text[] = "Data view";
constexpr DWORD view_style =
    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_THICKFRAME;

// How long a press must last to count as held, and the pause between two
// passes of marking by dragging when nothing scrolled.
constexpr DWORD hold_test_ms = 200;
constexpr DWORD drag_poll_ms = 10;

// Win32's scroll codes SB_LINEUP (0) to SB_THUMBTRACK (5) are the model's.
std::optional<ScrollCode> scroll_code(int code) {
    if (code < SB_LINEUP || code > SB_THUMBTRACK) return std::nullopt;
    return static_cast<ScrollCode>(code);
}

HCURSOR program_cursor(int id) { return LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)); }

}  // namespace

DataViewWindow::~DataViewWindow() { app_.data_view.set_canvas(nullptr); }

bool DataViewWindow::register_class(HINSTANCE instance) {
    // No class cursor: the view chooses its cursor on every mouse move.
    return register_window_class(instance, class_name, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                 &window_thunk<DataViewWindow>, nullptr,
                                 static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
}

HWND DataViewWindow::create(HINSTANCE instance, HWND parent, const Rect& place) {
    return CreateWindowExA(0, class_name, window_title, view_style, place.x, place.y, place.width, place.height,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(child_id)), instance, this);
}

void DataViewWindow::repaint_caption() const {
    if (!window_) return;
    RECT client{};
    GetClientRect(window_, &client);
    client.bottom = client.top + caption_.height() + 1;
    InvalidateRect(window_, &client, FALSE);
}

LRESULT DataViewWindow::handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const bool modal = app_.port().modal_flag;
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
    case WM_CAPTURECHANGED:
        mover_.capture_lost();
        return 0;
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_MOUSEWHEEL:
        // One dispatcher for keys: the main window's.
        return SendMessageA(GetParent(hwnd), msg, wp, lp);
    case WM_SETCURSOR:
        if (on_set_cursor(lp)) return TRUE;
        break;
    default:
        break;
    }
    if (modal) return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return on_mouse_activate();
    case WM_HSCROLL:
    case WM_VSCROLL:
        on_scroll(msg == WM_VSCROLL, LOWORD(wp));
        return 0;
    case WM_MOUSEMOVE:
        on_mouse_move(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        on_button_down(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), msg == WM_LBUTTONDOWN);
        return 0;
    case WM_LBUTTONUP:
        on_button_up();
        return 0;
    case WM_LBUTTONDBLCLK:
        on_double_click(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

// ---- Creation, size and painting ---------------------------------------------------

void DataViewWindow::on_create() {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = 100;
    info.nPage = 50;
    info.nPos = 0;
    SetScrollInfo(window_, SB_HORZ, &info, FALSE);
    app_.data_view_state.geometry.caption_height = caption_.height();
    measure_font();
    update_geometry();
    cursor_ = LoadCursorA(nullptr, IDC_IBEAM);
    app_.data_view.set_canvas(this);
}

void DataViewWindow::on_destroy() {
    app_.data_view.set_canvas(nullptr);
    window_ = nullptr;
}

void DataViewWindow::measure_font() {
    const DataViewFontMetrics metrics = measure_data_view_font(app_.settings.data_view_font);
    DataViewGeometry& g = app_.data_view_state.geometry;
    if (metrics.line_height > 0) g.line_height = metrics.line_height;
    g.longest_line_width = metrics.longest_line_width;
}

void DataViewWindow::update_geometry() {
    RECT client{};
    GetClientRect(window_, &client);
    DataViewGeometry& g = app_.data_view_state.geometry;
    g.client_width = client.right - client.left;
    g.client_height = client.bottom - client.top;
}

void DataViewWindow::paint_pass(HDC dc, const DataViewPaint& paint) {
    {
        DataViewPainter painter(dc, pool_, app_.settings.colours, app_.settings.data_view_font);
        painter.draw(paint, app_.data_view_state.geometry.client_width);
        // A pass that redrew rows may have covered the hovered link's
        // underline: draw it again.
        if (paint.heading || !paint.rows.empty())
            if (const auto underline = app_.data_view.hovered_underline()) painter.draw_underline(*underline);
    }
    pool_.release();
    set_data_view_scroll_bars(window_, paint);
}

void DataViewWindow::on_paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    update_geometry();
    RECT client{};
    GetClientRect(window_, &client);
    caption_.paint(dc, client, caption_text, is_active(), pool_);
    pool_.release();
    DataView& dv = app_.data_view;
    dv.prepare_paint(DataViewPaintMode::full);
    paint_pass(dc, dv.plan_paint(DataViewPaintMode::full));
    EndPaint(window_, &ps);
}

void DataViewWindow::draw(const DataViewPaint& paint) {
    if (!window_) return;
    ClientDc dc(window_);
    if (dc.get()) paint_pass(dc.get(), paint);
}

void DataViewWindow::draw_underline(const Underline& line) {
    if (!window_) return;
    ClientDc dc(window_);
    if (!dc.get()) return;
    {
        DataViewPainter painter(dc.get(), pool_, app_.settings.colours, app_.settings.data_view_font);
        painter.draw_underline(line);
    }
    pool_.release();
}

void DataViewWindow::set_cursor(ViewCursor cursor) {
    switch (cursor) {
    case ViewCursor::unchanged: return;
    case ViewCursor::arrow: cursor_ = LoadCursorA(nullptr, IDC_ARROW); break;
    case ViewCursor::i_beam: cursor_ = LoadCursorA(nullptr, IDC_IBEAM); break;
    case ViewCursor::pointing_hand: cursor_ = program_cursor(IDCUR_POINTING_HAND); break;
    }
    SetCursor(cursor_);
}

bool DataViewWindow::on_set_cursor(LPARAM lp) {
    // Over the frame and the scroll bars the system chooses.
    if (LOWORD(lp) != HTCLIENT || !cursor_) return false;
    SetCursor(cursor_);
    return true;
}

void DataViewWindow::on_move_or_size() {
    HWND parent = GetParent(window_);
    if (IsIconic(window_) || (parent && IsIconic(parent))) return;
    update_geometry();
    RECT r{};
    GetWindowRect(window_, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    const Rect place{r.left, r.top, r.right - r.left, r.bottom - r.top};
    const Rect kept = kept_below_toolbar(place, bars_.toolbar_height());
    app_.settings.data_view_rectangle = kept;
    if (kept != place)
        SetWindowPos(window_, nullptr, kept.x, kept.y, kept.width, kept.height, SWP_NOZORDER | SWP_SHOWWINDOW);
}

void DataViewWindow::on_get_min_max_info(MINMAXINFO& info) const {
    HWND parent = GetParent(window_);
    if (!window_ || IsIconic(window_) || (parent && IsIconic(parent))) return;
    const ViewMinimum minimum = view_minimum_size(caption_.height(), app_.data_view_state.geometry.line_height);
    info.ptMinTrackSize = {minimum.width, minimum.height};
}

// ---- Activation and scroll bars ------------------------------------------------------

LRESULT DataViewWindow::on_mouse_activate() {
    if (!is_active()) switch_to_data_view(app_);
    return MA_ACTIVATE;
}

void DataViewWindow::on_scroll(bool vertical, int code) {
    const auto scroll = scroll_code(code);
    if (!scroll) return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(window_, vertical ? SB_VERT : SB_HORZ, &info);
    DataView& dv = app_.data_view;
    const bool changed =
        vertical ? dv.scroll_vertical(*scroll, info.nTrackPos) : dv.scroll_horizontal(*scroll, info.nTrackPos);
    if (!changed) return;
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);
}

// ---- Mouse -----------------------------------------------------------------------------

void DataViewWindow::on_mouse_move(int x, int y) {
    if (mover_.drag(window_, x, y)) return;
    app_.data_view.hover(x, y);
}

void DataViewWindow::open_link(const std::string& link) const {
    // A link that cannot be opened is not reported.
    ShellExecuteA(window_, "open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void DataViewWindow::on_button_down(int x, int y, bool left) {
    DataView& dv = app_.data_view;
    if (left && !mover_.on_caption(y)) {
        if (const auto link = dv.link_click(key_down(VK_CONTROL))) {
            open_link(*link);
            return;
        }
    }
    button_held_ = true;
    BringWindowToTop(window_);
    if (mover_.on_caption(y)) {
        if (left) mover_.press(window_, x, y);
        return;
    }
    const bool shift = key_down(VK_SHIFT);
    // A press is told from a click by whether the button is still down a
    // moment later; with Shift the block is extended at once.
    button_held_ = shift ? key_down(VK_LBUTTON) : left_button_still_down_after(hold_test_ms);
    set_cursor(button_held_ ? ViewCursor::pointing_hand : ViewCursor::i_beam);
    if (dv.press_sampled(x, y, shift, button_held_)) press_and_hold(x, y, shift);
}

void DataViewWindow::press_and_hold(int x, int y, bool shift) {
    DataView& dv = app_.data_view;
    switch (dv.press_and_hold(x, y, shift)) {
    case DataPressOutcome::mark_by_dragging:
        mark_by_dragging();
        break;
    case DataPressOutcome::drag_text:
        if (on_drag_text) on_drag_text();
        break;
    case DataPressOutcome::placed:
        break;
    }
    dv.press_ended();
}

void DataViewWindow::mark_by_dragging() {
    DataView& dv = app_.data_view;
    // Polls the button: the marking follows the mouse, also outside the
    // window, where the view scrolls towards it.
    while (key_down(VK_LBUTTON)) {
        POINT mouse{};
        GetCursorPos(&mouse);
        ScreenToClient(window_, &mouse);
        const std::int32_t waited = dv.mark_by_dragging_pass(mouse.x, mouse.y);
        Sleep(waited > 0 ? static_cast<DWORD>(waited) : drag_poll_ms);
    }
    button_held_ = false;
}

void DataViewWindow::on_button_up() {
    button_held_ = false;
    mover_.release();
}

void DataViewWindow::on_double_click(int x, int y) {
    button_held_ = true;
    BringWindowToTop(window_);
    if (mover_.on_caption(y)) return;
    app_.data_view.double_click(x, y, key_down(VK_SHIFT));
}

}  // namespace lumo::win32

#include "win32/data_view_window.h"

#include "win32/window_thunk.h"

namespace lumo::win32 {

namespace {

constexpr char window_title[] = "Datensatz";
constexpr char caption_text[] = "Data view";
constexpr DWORD view_style =
    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_THICKFRAME;

}  // namespace

bool DataViewWindow::register_class(HINSTANCE instance) {
    return register_window_class(instance, class_name, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, &window_thunk<DataViewWindow>,
                                 nullptr, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
}

HWND DataViewWindow::create(HINSTANCE instance, HWND parent, const Rect& place) {
    return CreateWindowExA(0, class_name, window_title, view_style, place.x, place.y, place.width, place.height,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(child_id)), instance, this);
}

void DataViewWindow::repaint_caption() const {
    if (!window_) return;
    RECT client{};
    GetClientRect(window_, &client);
    client.bottom = client.top + caption_.height();
    InvalidateRect(window_, &client, FALSE);
}

LRESULT DataViewWindow::handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
        on_paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // painting covers the whole client area
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

void DataViewWindow::on_paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    RECT client{};
    GetClientRect(window_, &client);
    caption_.paint(dc, client, caption_text, is_active());
    RECT body = client;
    body.top += caption_.height();
    HBRUSH background = CreateSolidBrush(app_.settings.colours.data_view_background);
    FillRect(dc, &body, background);
    DeleteObject(background);
    EndPaint(window_, &ps);
}

}  // namespace lumo::win32

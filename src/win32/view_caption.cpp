#include "win32/view_caption.h"

#include <cstring>

#include "win32/window_thunk.h"

namespace lumo::win32 {

bool register_window_class(HINSTANCE instance, const char* name, UINT style, WNDPROC procedure, HCURSOR cursor,
                           HBRUSH background) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(102));
    wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(103), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassExA(&wc) != 0;
}

ViewCaption::ViewCaption() {
    // The structure size of the original Windows 95 NONCLIENTMETRICS (340),
    // which every Windows accepts.
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = 340;
    static_assert(sizeof metrics >= 340);
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0))
        font_ = CreateFontIndirectA(&metrics.lfSmCaptionFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    height_ = tm.tmHeight + tm.tmExternalLeading;
}

ViewCaption::~ViewCaption() {
    if (font_) DeleteObject(font_);
}

void ViewCaption::paint(HDC dc, const RECT& client, const char* text, bool active, GdiObjectPool& pool) const {
    const int width = client.right - client.left;
    if (width < 1 || client.bottom - client.top < 1) return;
    RECT strip{client.left, client.top, client.right, client.top + height_};
    FillRect(dc, &strip, GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    {
        SelectedObject font(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        TextOutA(dc, client.left + 2, client.top, text, static_cast<int>(std::strlen(text)));
    }
    HPEN pen = pool.add(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE)));
    SelectedObject selected(dc, pen ? static_cast<HGDIOBJ>(pen) : GetStockObject(BLACK_PEN));
    MoveToEx(dc, client.left, client.top + height_, nullptr);
    LineTo(dc, client.right, client.top + height_);
}

void ViewCaption::paint(HDC dc, const RECT& client, const char* text, bool active) const {
    GdiObjectPool pool;
    paint(dc, client, text, active, pool);
}

}  // namespace lumo::win32

#include "win32/tooltips.h"

#include <commctrl.h>

namespace lumo::win32 {

HWND add_tooltips(HWND window, std::span<const Tooltip> tips) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    // A popup owned by the window: it stays above it and goes with it.
    HWND tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                   reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)), nullptr);
    if (!tooltip) return nullptr;
    for (const Tooltip& tip : tips) {
        HWND control = GetDlgItem(window, tip.control);
        if (!control) continue;
        TTTOOLINFOA tool{};
        // The size that version 5 of the common controls knows too.
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = window;
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = const_cast<char*>(tip.text);
        SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return tooltip;
}

}  // namespace lumo::win32

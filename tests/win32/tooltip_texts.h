// What a tooltip window shows, read back through its messages.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <string>

namespace lumo::win32 {

// The text of each tool of `tooltip`, by the id of the control it belongs to.
inline std::map<int, std::string> tooltip_texts(HWND tooltip) {
    std::map<int, std::string> texts;
    const auto count = static_cast<int>(SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        TTTOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.lpszText = text;
        if (SendMessageA(tooltip, TTM_ENUMTOOLSA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tool)))
            texts[GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId))] = text;
    }
    return texts;
}

}  // namespace lumo::win32

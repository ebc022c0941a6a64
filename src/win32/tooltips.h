// Tooltips: a short text that shows while the mouse rests on a control whose
// picture alone does not tell what it does (the toolbar, the direction
// buttons of search and replace).
#pragma once

#include <windows.h>

#include <span>

namespace lumo::win32 {

struct Tooltip {
    int control;       // the control's id in its window
    const char* text;  // copied by the tooltip window
};

// Gives controls of `window` their tooltips through one tooltip window of the
// common controls. That window belongs to `window`'s top-level window and is
// destroyed with it. Returns it, or null when it could not be made; controls
// that `window` does not hold are passed over.
HWND add_tooltips(HWND window, std::span<const Tooltip> tips);

}  // namespace lumo::win32

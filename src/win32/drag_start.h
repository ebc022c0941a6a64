// The program's own drags: the marked block of the data view or the marked
// entries of the overview, carried by a data object through DoDragDrop.
#pragma once

#include "app/app.h"

namespace lumo::win32 {

// Runs the drag loop for the data view's marked block (copy or move).
void drag_text(App& app);
// Runs the drag loop for the overview's marked entries (copy).
void drag_entries(App& app);

}  // namespace lumo::win32

#include "win32/drag_start.h"

#include <ole2.h>

#include <new>

#include "win32/com_object.h"
#include "win32/data_object.h"
#include "win32/drop_source.h"

namespace lumo::win32 {

namespace {

struct DragOutcome {
    bool dropped = false;
    DropEffect effect = DropEffect::none;
};

// DoDragDrop over the drag state that the caller filled. The objects go with
// this call; the state stays for the caller to finish.
DragOutcome run_drag_loop(App& app, DWORD allowed) {
    DragOutcome outcome;
    try {
        ComPtr<DataObject> data(new DataObject(app.drag));
        ComPtr<DropSource> source(new DropSource);
        DWORD effect = DROPEFFECT_NONE;
        outcome.dropped = DoDragDrop(data.get(), source.get(), allowed, &effect) == DRAGDROP_S_DROP;
        outcome.effect = (effect & DROPEFFECT_MOVE) && !(effect & DROPEFFECT_COPY) ? DropEffect::move
                         : (effect & DROPEFFECT_COPY)                              ? DropEffect::copy
                                                                                   : DropEffect::none;
    } catch (const std::bad_alloc&) {
        outcome = {};
    }
    return outcome;
}

}  // namespace

void drag_text(App& app) {
    if (!begin_drag_text(app)) return;
    const DragOutcome outcome = run_drag_loop(app, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    end_drag_text(app, outcome.dropped, outcome.effect);
}

void drag_entries(App& app) {
    if (!begin_drag_entries(app)) return;
    const DragOutcome outcome = run_drag_loop(app, DROPEFFECT_COPY);
    end_drag_entries(app, outcome.dropped, outcome.effect);
}

}  // namespace lumo::win32

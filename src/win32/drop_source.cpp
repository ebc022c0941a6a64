#include "win32/drop_source.h"

namespace lumo::win32 {

HRESULT DropSource::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropSource)) {
        *object = static_cast<IDropSource*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG DropSource::AddRef() { return ++references_; }

ULONG DropSource::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT DropSource::QueryContinueDrag(BOOL escape_pressed, DWORD key_state) {
    if (escape_pressed) return DRAGDROP_S_CANCEL;
    if (!(key_state & MK_LBUTTON)) return DRAGDROP_S_DROP;
    return S_OK;
}

HRESULT DropSource::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

}  // namespace lumo::win32

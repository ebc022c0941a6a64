#include "win32/data_object.h"

#include <cstring>

namespace lumo::win32 {

namespace {

bool is_text_request(const FORMATETC* format) {
    return format && format->cfFormat == CF_TEXT && !format->ptd && format->dwAspect == DVASPECT_CONTENT;
}

// Copies the text with its closing zero into `block`; false when it does not fit.
bool fill(HGLOBAL block, const std::string& text) {
    if (GlobalSize(block) < text.size() + 1) return false;
    void* bytes = GlobalLock(block);
    if (!bytes) return false;
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    return true;
}

}  // namespace

HRESULT DataObject::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
        *object = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG DataObject::AddRef() { return ++references_; }

ULONG DataObject::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT DataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (!medium) return E_POINTER;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = nullptr;
    medium->pUnkForRelease = nullptr;
    if (!is_text_request(format)) return DV_E_FORMATETC;
    // No text of our own: the consumer gets success without data.
    if (drag_.buffer.empty()) return S_OK;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, drag_.buffer.size() + 1);
    if (!block) return S_OK;
    if (!fill(block, drag_.buffer)) {
        GlobalFree(block);
        return S_OK;
    }
    medium->hGlobal = block;
    return S_OK;
}

HRESULT DataObject::GetDataHere(FORMATETC* format, STGMEDIUM* medium) {
    if (!medium) return E_POINTER;
    if (!is_text_request(format) || medium->tymed != TYMED_HGLOBAL) return DV_E_FORMATETC;
    // The caller owns the block: it is filled in place, never replaced.
    if (!medium->hGlobal) return E_INVALIDARG;
    return fill(medium->hGlobal, drag_.buffer) ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT DataObject::QueryGetData(FORMATETC* format) {
    return format && format->cfFormat == CF_TEXT && format->dwAspect == DVASPECT_CONTENT ? S_OK : DV_E_FORMATETC;
}

HRESULT DataObject::GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) {
    if (!in || !out) return E_POINTER;
    out->cfFormat = in->cfFormat;
    out->dwAspect = in->dwAspect;
    out->lindex = in->lindex;
    out->tymed = in->tymed;
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

HRESULT DataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

HRESULT DataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) {
    if (formats) *formats = nullptr;
    return direction == DATADIR_GET ? OLE_S_USEREG : E_NOTIMPL;
}

HRESULT DataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return E_NOTIMPL; }
HRESULT DataObject::DUnadvise(DWORD) { return E_NOTIMPL; }
HRESULT DataObject::EnumDAdvise(IEnumSTATDATA**) { return E_NOTIMPL; }

}  // namespace lumo::win32

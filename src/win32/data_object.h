// The data object of the program's own drags: the drag buffer as CF_TEXT in
// a global memory block, nothing else.
#pragma once

#include <ole2.h>

#include "app/drag_drop.h"

namespace lumo::win32 {

class DataObject final : public IDataObject {
public:
    // `drag` outlives the object (the application owns it).
    explicit DataObject(const DragState& drag) : drag_(drag) {}
    DataObject(const DataObject&) = delete;
    DataObject& operator=(const DataObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advisers) override;

private:
    ~DataObject() = default;
    const DragState& drag_;
    ULONG references_ = 1;
};

}  // namespace lumo::win32

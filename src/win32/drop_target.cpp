#include "win32/drop_target.h"

#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "win32/com_object.h"

namespace lumo::win32 {

namespace {

DragKeys keys_of(DWORD key_state) { return {(key_state & MK_CONTROL) != 0, (key_state & MK_SHIFT) != 0}; }

DWORD to_dword(DropEffect effect) { return static_cast<DWORD>(effect); }

// The bytes of a global memory medium, never past its block; nothing when
// the medium holds no such block.
std::optional<std::string> medium_bytes(const STGMEDIUM& medium) {
    if (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal) return std::nullopt;
    const SIZE_T size = GlobalSize(medium.hGlobal);
    const void* bytes = GlobalLock(medium.hGlobal);
    if (!bytes) return std::nullopt;
    std::string copy(static_cast<const char*>(bytes), size);
    GlobalUnlock(medium.hGlobal);
    return copy;
}

// The medium of one GetData call, released when it goes.
class Medium {
public:
    Medium() = default;
    ~Medium() {
        if (filled_) ReleaseStgMedium(&medium_);
    }
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;
    bool get(IDataObject* data, FORMATETC format) {
        filled_ = data && SUCCEEDED(data->GetData(&format, &medium_));
        return filled_;
    }
    std::optional<std::string> bytes() const { return medium_bytes(medium_); }

private:
    STGMEDIUM medium_{};
    bool filled_ = false;
};

}  // namespace

HRESULT DropTarget::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG DropTarget::AddRef() { return ++references_; }

ULONG DropTarget::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT DropTarget::DragEnter(IDataObject* data, DWORD key_state, POINTL, DWORD* effect) {
    if (!effect) return E_POINTER;
    FORMATETC text = text_format();
    FORMATETC files = files_format();
    const bool offers_text = data && data->QueryGetData(&text) == S_OK;
    const bool offers_files = !offers_text && data && data->QueryGetData(&files) == S_OK;
    const std::optional<DropEffect> result = app_.drop_target.enter(offers_text, offers_files, keys_of(key_state));
    *effect = to_dword(result.value_or(DropEffect::none));
    return result ? S_OK : E_INVALIDARG;
}

HRESULT DropTarget::DragOver(DWORD key_state, POINTL, DWORD* effect) {
    if (!effect) return E_POINTER;
    try {
        *effect = to_dword(app_.drop_target.effect(keys_of(key_state)));
        POINT mouse{};
        GetCursorPos(&mouse);
        ScreenToClient(data_view_, &mouse);
        const DragOverStep step = app_.drop_target.over(mouse.x, mouse.y);
        const int wait = step.vertical_wait_ms + step.horizontal_wait_ms;
        if (wait > 0) Sleep(static_cast<DWORD>(wait));
        if (step.position_moved || wait > 0) show_drop_position();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT DropTarget::DragLeave() {
    app_.drop_target.leave();
    app_.data_view.paint(DataViewPaintMode::full);
    return S_OK;
}

HRESULT DropTarget::Drop(IDataObject* data, DWORD key_state, POINTL, DWORD* effect) {
    if (!effect) return E_POINTER;
    try {
        bool offered = false;
        DropEffect result = drop_text(data, keys_of(key_state), offered);
        if (!offered) result = drop_files(data);
        *effect = to_dword(result);
        return S_OK;
    } catch (const std::bad_alloc&) {
        *effect = DROPEFFECT_NONE;
        return E_OUTOFMEMORY;
    }
}

DropEffect DropTarget::drop_text(IDataObject* data, DragKeys keys, bool& offered) {
    Medium medium;
    offered = medium.get(data, text_format());
    if (!offered) return DropEffect::none;
    const std::optional<std::string> text = medium.bytes();
    const DropEffect result = text ? app_.drop_target.drop_text(*text, keys) : app_.drop_target.drop_nothing(keys);
    end_drop();
    return result;
}

DropEffect DropTarget::drop_files(IDataObject* data) {
    Medium medium;
    if (!medium.get(data, files_format())) return DropEffect::none;
    const std::optional<std::string> block = medium.bytes();
    const std::optional<std::string> path = block ? first_dropped_path(*block) : std::nullopt;
    const DropEffect result = path ? app_.drop_target.drop_file(*path) : app_.drop_target.drop_nothing({true, false});
    end_drop();
    return result;
}

void DropTarget::show_drop_position() {
    ViewState& views = app_.views;
    const TextPosition caret{views.caret_line, views.caret_column};
    views.caret_line = app_.drag.drop_position.line;
    views.caret_column = app_.drag.drop_position.column;
    app_.data_view.paint(DataViewPaintMode::full);
    views.caret_line = caret.line;
    views.caret_column = caret.column;
}

void DropTarget::end_drop() {
    if (HWND main = GetAncestor(data_view_, GA_ROOT)) SetForegroundWindow(main);
}

}  // namespace lumo::win32

namespace lumo::win32 {

DropTargetRegistration::DropTargetRegistration(App& app, HWND data_view)
    : window_(data_view), target_(new DropTarget(app, data_view)),
      registered_(SUCCEEDED(RegisterDragDrop(data_view, target_))) {}

void DropTargetRegistration::revoke() {
    if (registered_) RevokeDragDrop(window_);
    registered_ = false;
    if (target_) target_->Release();
    target_ = nullptr;
}

}  // namespace lumo::win32

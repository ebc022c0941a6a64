// The data view's drop target: unpacks what OLE hands over (key state,
// mouse position, the offered data) and lets the application's drop model
// decide; draws the caret where a drop would land.
#pragma once

#include <ole2.h>

#include "app/app.h"

namespace lumo::win32 {

class DropTarget final : public IDropTarget {
public:
    // `app` outlives the object; `data_view` is the registered window.
    DropTarget(App& app, HWND data_view) : app_(app), data_view_(data_view) {}
    DropTarget(const DropTarget&) = delete;
    DropTarget& operator=(const DropTarget&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD key_state, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD key_state, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD key_state, POINTL point, DWORD* effect) override;

private:
    ~DropTarget() = default;
    // Drops of each kind; they return the effect to report.
    DropEffect drop_text(IDataObject* data, DragKeys keys, bool& offered);
    DropEffect drop_files(IDataObject* data);
    // The data view drawn with the caret at the drop position.
    void show_drop_position();
    void end_drop();

    App& app_;
    HWND data_view_;
    ULONG references_ = 1;
};

}  // namespace lumo::win32

namespace lumo::win32 {

// The drop target registered for the data view for the run: revoked and
// released by revoke() or at the latest when this goes (before OLE ends).
class DropTargetRegistration {
public:
    DropTargetRegistration(App& app, HWND data_view);
    ~DropTargetRegistration() { revoke(); }
    DropTargetRegistration(const DropTargetRegistration&) = delete;
    DropTargetRegistration& operator=(const DropTargetRegistration&) = delete;
    bool registered() const { return registered_; }
    void revoke();

private:
    HWND window_;
    DropTarget* target_;
    bool registered_;
};

}  // namespace lumo::win32

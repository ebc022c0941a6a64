// The drop source of the program's own drags: Esc cancels, releasing the
// left button drops, the system's cursors show the effect.
#pragma once

#include <ole2.h>

namespace lumo::win32 {

class DropSource final : public IDropSource {
public:
    DropSource() = default;
    DropSource(const DropSource&) = delete;
    DropSource& operator=(const DropSource&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape_pressed, DWORD key_state) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

private:
    ~DropSource() = default;
    ULONG references_ = 1;
};

}  // namespace lumo::win32

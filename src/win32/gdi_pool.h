// The pens, brushes and fonts that one painting pass creates. Each pass puts
// what it makes here and releases all of it at its end, so nothing created
// for painting outlives the pass. Twenty slots are plenty for any pass.
#pragma once

#include <windows.h>

#include <array>

namespace lumo::win32 {

class GdiObjectPool {
public:
    static constexpr int slots = 20;

    GdiObjectPool() = default;
    GdiObjectPool(const GdiObjectPool&) = delete;
    GdiObjectPool& operator=(const GdiObjectPool&) = delete;
    ~GdiObjectPool() { release(); }

    // Takes ownership of `object` and returns it. With every slot taken the
    // pool releases what it holds first: objects from a finished part of the
    // pass must no longer be selected into a device context then.
    template <class Handle>
    Handle add(Handle object) {
        if (!object) return object;
        if (used_ == slots) release();
        objects_[used_++] = object;
        return object;
    }

    // `release GDI objects`: deletes every object held and empties the slots.
    void release() {
        for (int i = 0; i < used_; ++i) DeleteObject(objects_[i]);
        objects_.fill(nullptr);
        used_ = 0;
    }

    int used() const { return used_; }

private:
    std::array<HGDIOBJ, slots> objects_{};
    int used_ = 0;
};

// Selects an object into a device context for a scope and puts the old one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() { SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A device context of a window's client area for one immediate pass (a
// paint outside WM_PAINT), released at the end of the scope.
class ClientDc {
public:
    explicit ClientDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ClientDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    ClientDc(const ClientDc&) = delete;
    ClientDc& operator=(const ClientDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

}  // namespace lumo::win32

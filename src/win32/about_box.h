// The about box: a modeless dialog (template 160) centred on the mouse; at
// most one exists. The message loop hands it its keys (IsDialogMessageA).
#pragma once

#include <windows.h>

namespace lumo::win32 {

class AboutBox {
public:
    // `main` becomes the foreground window again when the box closes.
    AboutBox(HINSTANCE instance, HWND& main) : instance_(instance), main_(main) {}
    AboutBox(const AboutBox&) = delete;
    AboutBox& operator=(const AboutBox&) = delete;
    ~AboutBox();

    // Brings an open box to the front, or opens it at the mouse.
    void show();
    // Null while closed.
    HWND window() const { return window_; }
    // True when the box took the message (only while it is open).
    bool takes(MSG& msg) const;

private:
    static INT_PTR CALLBACK procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void close();

    HINSTANCE instance_;
    HWND& main_;
    HWND window_ = nullptr;
};

}  // namespace lumo::win32

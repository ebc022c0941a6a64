// The toolbar (template 115) and the status bar (template 124): two child
// dialogs of the main window that hand every message, with their own window
// handle, to the main window procedure.
#pragma once

#include <windows.h>

#include <functional>

namespace lumo::win32 {

class ShellResources;

// The main window procedure as the bars see it.
using MainProcedure = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

class FrameBars {
public:
    explicit FrameBars(MainProcedure main_procedure) : main_procedure_(std::move(main_procedure)) {}
    FrameBars(const FrameBars&) = delete;
    FrameBars& operator=(const FrameBars&) = delete;

    // Creates the toolbar, then the status bar, as children of `main`.
    bool create(HINSTANCE instance, HWND main);
    HWND toolbar() const { return toolbar_; }
    HWND status_bar() const { return status_bar_; }
    // The tooltip window of the toolbar's buttons and logo.
    HWND tooltips() const { return tooltips_; }

    // Toolbar size in pixels, as created from its template.
    int toolbar_width() const { return toolbar_width_; }
    int toolbar_height() const { return toolbar_height_; }

    // Moves the toolbar across the top of a client area `width` wide.
    void fit_toolbar(int width) const;
    // Puts the pictures on the nine buttons.
    void set_button_pictures(const ShellResources& resources) const;
    // Makes `brush` the toolbar's background and repaints it.
    void set_background(HBRUSH brush) const;

private:
    static INT_PTR CALLBACK toolbar_procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static INT_PTR CALLBACK status_bar_procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static INT_PTR forward(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void add_toolbar_tooltips();

    MainProcedure main_procedure_;
    HWND toolbar_ = nullptr;
    HWND status_bar_ = nullptr;
    HWND tooltips_ = nullptr;
    int toolbar_width_ = 0;
    int toolbar_height_ = 0;
};

}  // namespace lumo::win32

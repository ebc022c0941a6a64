// The colours dialog (template 152) and the two font commands. The dialog's
// seven colour fields show their colours; a click opens the colour chooser
// and the pick is live at once in its view; Cancel takes every pick back.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <array>
#include <functional>
#include <optional>

#include "app/app.h"
#include "app/colours.h"
#include "win32/shell_resources.h"
#include "win32/win32_port.h"

namespace lumo::win32 {

class ColoursDialog {
public:
    // Both outlive the dialog object; `windows` tells which views exist.
    ColoursDialog(App& app, const ShellWindows& windows, HINSTANCE resources)
        : app_(app), windows_(windows), resources_(resources) {}
    ColoursDialog(const ColoursDialog&) = delete;
    ColoursDialog& operator=(const ColoursDialog&) = delete;

    // Shows the dialog modally over `owner` until OK or Cancel.
    void run(HWND owner);

    // The chooser's custom colours, kept from one use to the next.
    std::array<COLORREF, custom_colour_count> custom_colours{};

    // Shows the colour chooser on the record and returns what the user took
    // (the record's rgbResult). Tests replace it to pick without a screen.
    std::function<void(CHOOSECOLORA&)> choose_colour = [](CHOOSECOLORA& record) { ChooseColorA(&record); };

private:
    static INT_PTR CALLBACK procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR handle(HWND hwnd, UINT msg, WPARAM wp);

    void on_init(HWND hwnd);
    void paint_fields(HWND hwnd) const;
    void on_field(HWND hwnd, int control);
    void end(HWND hwnd, bool restore);
    HWND view_window(ViewId view) const;

    App& app_;
    const ShellWindows& windows_;
    HINSTANCE resources_;
    // Live while the dialog is up.
    std::optional<ColoursEditor> editor_;
    CHOOSECOLORA chooser_{};
};

// Shows the font chooser on the record; true when the user took a font.
using FontChooser = std::function<bool(CHOOSEFONTA&)>;
bool show_font_chooser(CHOOSEFONTA& record);

// Lets the user choose a view's font; a cancelled chooser keeps it. The font
// is reduced to its regular face, the shell's view fonts are made anew and,
// when the view's window exists, `measure` measures it again (line height,
// longest line width) before the window is repainted.
void choose_view_font(App& app, ShellResources& resources, ViewId view, HWND window,
                      const std::function<void()>& measure, const FontChooser& chooser = show_font_chooser);

}  // namespace lumo::win32

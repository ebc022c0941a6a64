#include "win32/colours_dialog.h"

#include "port/ids.h"

namespace lumo::win32 {

void ColoursDialog::run(HWND owner) {
    DialogBoxParamA(resources_, MAKEINTRESOURCEA(IDD_COLOURS), owner, &ColoursDialog::procedure,
                    reinterpret_cast<LPARAM>(this));
    // Whatever ended the dialog, nothing of it is up any more.
    editor_.reset();
    app_.port().modal_flag = false;
}

INT_PTR CALLBACK ColoursDialog::procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) SetWindowLongPtrA(hwnd, DWLP_USER, lp);
    auto* self = reinterpret_cast<ColoursDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self) return FALSE;
    // No exception may cross the dialog procedure.
    try {
        return self->handle(hwnd, msg, wp);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR ColoursDialog::handle(HWND hwnd, UINT msg, WPARAM wp) {
    switch (msg) {
    case WM_INITDIALOG:
        on_init(hwnd);
        return TRUE;
    case WM_PAINT:
        paint_fields(hwnd);
        return FALSE;  // the dialog's own painting follows
    case WM_COMMAND: {
        const int control = LOWORD(wp);
        if (control == IDC_COLOURS_OK || control == IDOK) {
            end(hwnd, false);
            return TRUE;
        }
        if (control == IDCANCEL) {
            end(hwnd, true);
            return TRUE;
        }
        if (!find_colour_field(control)) return FALSE;
        on_field(hwnd, control);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void ColoursDialog::on_init(HWND hwnd) {
    editor_.emplace(app_.settings.colours);
    chooser_ = CHOOSECOLORA{};
    chooser_.lStructSize = sizeof(chooser_);
    chooser_.hwndOwner = hwnd;
    chooser_.lpCustColors = custom_colours.data();
    chooser_.Flags = CC_RGBINIT | CC_FULLOPEN;
    app_.port().modal_flag = true;
}

// Each field draws itself first (its frame), then is filled with its colour.
void ColoursDialog::paint_fields(HWND hwnd) const {
    for (const ColourField& field : colour_fields) {
        HWND control = GetDlgItem(hwnd, field.control);
        if (!control) continue;
        InvalidateRect(control, nullptr, TRUE);
        UpdateWindow(control);
        RECT client{};
        GetClientRect(control, &client);
        Brush brush(CreateSolidBrush(app_.settings.colours.*(field.colour)));
        if (!brush.get()) continue;
        HDC dc = GetDC(control);
        FillRect(dc, &client, brush.get());
        ReleaseDC(control, dc);
    }
}

void ColoursDialog::on_field(HWND hwnd, int control) {
    const std::optional<Colour> current = editor_->colour_of(control);
    chooser_.rgbResult = *current;
    // A cancelled chooser leaves rgbResult as it was: nothing changes then.
    choose_colour(chooser_);
    const std::optional<ColourChange> change = editor_->pick(control, chooser_.rgbResult);
    if (!change) return;
    InvalidateRect(hwnd, nullptr, TRUE);
    HWND view = view_window(change->view);
    if (!view) return;
    InvalidateRect(view, nullptr, TRUE);
    // A link on display takes its new colour at once.
    if (change->update_now) UpdateWindow(view);
}

void ColoursDialog::end(HWND hwnd, bool restore) {
    if (restore) {
        editor_->cancel();
        for (HWND view : {windows_.data_view, windows_.overview})
            if (view) InvalidateRect(view, nullptr, TRUE);
    }
    EndDialog(hwnd, 0);
    app_.port().modal_flag = false;
}

HWND ColoursDialog::view_window(ViewId view) const {
    return view == ViewId::overview ? windows_.overview : windows_.data_view;
}

bool show_font_chooser(CHOOSEFONTA& record) { return ChooseFontA(&record) != FALSE; }

void choose_view_font(App& app, ShellResources& resources, ViewId view, HWND window,
                      const std::function<void()>& measure, const FontChooser& chooser) {
    app.port().modal_flag = true;
    LogFont& font = view == ViewId::overview ? app.settings.overview_font : app.settings.data_view_font;
    LOGFONTA logfont = to_logfont(font);
    CHOOSEFONTA record{};
    record.lStructSize = sizeof(record);
    record.hwndOwner = GetActiveWindow();
    record.lpLogFont = &logfont;
    record.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    // A cancelled chooser leaves the LOGFONT as it was.
    if (chooser(record)) font = from_logfont(logfont);
    make_regular(font);
    resources.create_view_fonts(app.settings);
    if (window) {
        if (measure) measure();
        InvalidateRect(window, nullptr, TRUE);
    }
    app.port().modal_flag = false;
}

}  // namespace lumo::win32

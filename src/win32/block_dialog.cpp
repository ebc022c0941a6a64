#include "win32/block_dialog.h"

#include "port/ids.h"

namespace lumo::win32 {

namespace {

INT_PTR CALLBACK block_procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg != WM_COMMAND) return FALSE;
    switch (LOWORD(wp)) {
    case IDC_BLOCK:
        EndDialog(hwnd, IDC_BLOCK);
        return TRUE;
    case IDC_ALL:
        EndDialog(hwnd, IDC_ALL);
        return TRUE;
    case IDOK:
        EndDialog(hwnd, 1);
        return TRUE;
    case IDCANCEL:
        EndDialog(hwnd, -1);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

BlockChoice run_block_dialog(HINSTANCE instance, HWND owner) {
    const INT_PTR result =
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_BLOCK_OR_ALL), owner, &block_procedure, 0);
    if (result == IDC_BLOCK) return BlockChoice::block;
    if (result == IDC_ALL) return BlockChoice::all;
    return BlockChoice::closed;
}

}  // namespace lumo::win32

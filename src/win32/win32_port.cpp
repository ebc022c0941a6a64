#include "win32/win32_port.h"

#include <string>
#include <vector>

#include <commdlg.h>

#include "calendar/calendar_texts.h"
#include "port/ids.h"
#include "win32/block_dialog.h"
#include "win32/dialogs.h"

namespace lumo::win32 {

namespace {

// Win32 wants NUL-terminated texts; the core hands out views.
std::string z(std::string_view text) { return std::string(text); }

// "description\0pattern\0" for each file type, then one more NUL.
std::string filter_list(const std::vector<FileDialogFilter>& filters) {
    std::string list;
    for (const FileDialogFilter& f : filters) {
        list += f.description;
        list.push_back('\0');
        list += f.pattern;
        list.push_back('\0');
    }
    if (!list.empty()) list.push_back('\0');
    return list;
}

}  // namespace

void Win32Port::beep() { MessageBeep(0); }

Answer Win32Port::message_box(std::string_view text, std::string_view caption, std::uint32_t style) {
    HWND owner = IsWindow(windows_.main) ? windows_.main : nullptr;
    return static_cast<Answer>(MessageBoxA(owner, z(text).c_str(), z(caption).c_str(), style));
}

std::optional<std::string> Win32Port::ask_password(PasswordPrompt which) {
    HWND owner = IsWindow(windows_.main) ? windows_.main : nullptr;
    return run_password_prompt(GetModuleHandleA(nullptr), owner, which);
}

std::optional<FileDialogAnswer> Win32Port::choose_file(const FileDialogRequest& request) {
    const std::string filter = filter_list(request.filters);
    const bool several = (request.flags & OFN_ALLOWMULTISELECT) != 0;
    // One path fits in 512 bytes; a folder with a list of names needs room.
    std::vector<char> file(several ? 65536 : 512, '\0');
    request.initial_name.copy(file.data(), file.size() - 1);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = IsWindow(windows_.main) ? windows_.main : nullptr;
    ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = request.title.c_str();
    ofn.Flags = request.flags;
    ofn.lpstrDefExt = request.default_extension.c_str();
    const BOOL chosen = request.kind == FileDialogRequest::Kind::open ? GetOpenFileNameA(&ofn)
                                                                      : GetSaveFileNameA(&ofn);
    if (!chosen) return std::nullopt;
    FileDialogAnswer answer;
    answer.filter = static_cast<int>(ofn.nFilterIndex);
    if (several) answer.paths = paths_of_chosen_files(std::string_view(file.data(), file.size()), ofn.nFileOffset);
    else answer.paths.emplace_back(file.data());
    return answer;
}

BlockChoice Win32Port::ask_block_or_all() {
    HWND owner = IsWindow(windows_.main) ? windows_.main : nullptr;
    return run_block_dialog(GetModuleHandleA(nullptr), owner);
}

bool Win32Port::main_window_exists() const { return IsWindow(windows_.main) != FALSE; }

void Win32Port::set_window_title(std::string_view text) {
    if (main_window_exists()) SetWindowTextA(windows_.main, z(text).c_str());
}

void Win32Port::set_status_text(std::string_view text) {
    if (windows_.status_bar) SetDlgItemTextA(windows_.status_bar, IDC_STATUS_TEXT, z(text).c_str());
}

void Win32Port::enable_command(int id, bool enabled) {
    if (!main_window_exists()) return;
    EnableMenuItem(GetMenu(windows_.main), static_cast<UINT>(id),
                   MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void Win32Port::check_command(int id, bool checked) {
    if (!main_window_exists()) return;
    CheckMenuItem(GetMenu(windows_.main), static_cast<UINT>(id),
                  MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

HWND Win32Port::view_window(ViewId view) const {
    return view == ViewId::overview ? windows_.overview : windows_.data_view;
}

void Win32Port::repaint(ViewId view) {
    if (HWND w = view_window(view)) InvalidateRect(w, nullptr, FALSE);
}

void Win32Port::bring_to_top(ViewId view) {
    if (HWND w = view_window(view)) BringWindowToTop(w);
}

void Win32Port::minimize_main_window() {
    if (main_window_exists()) ShowWindow(windows_.main, SW_MINIMIZE);
}

void Win32Port::restore_main_window() {
    if (main_window_exists()) ShowWindow(windows_.main, SW_RESTORE);
}

void Win32Port::set_toolbar_button_pressed(int id, bool pressed) {
    if (windows_.toolbar) SendDlgItemMessageA(windows_.toolbar, id, BM_SETSTATE, pressed ? 1 : 0, 0);
}

void Win32Port::post_quit() { PostQuitMessage(0); }

std::string Win32Port::menu_label(int id) {
    char text[600] = {};
    if (!main_window_exists()) return {};
    const int n = GetMenuStringA(GetMenu(windows_.main), static_cast<UINT>(id), text, sizeof text, MF_BYCOMMAND);
    return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

void Win32Port::set_menu_label(int id, std::string_view label) {
    if (!main_window_exists()) return;
    ModifyMenuA(GetMenu(windows_.main), static_cast<UINT>(id), MF_BYCOMMAND | MF_STRING, static_cast<UINT_PTR>(id),
                z(label).c_str());
}

std::optional<std::uint64_t> Win32Port::free_disk_bytes(std::string_view path) {
    // The folder that holds the file: a drive root, a UNC share or a relative
    // path all get a real figure this way.
    std::string folder(path);
    const auto cut = folder.find_last_of("\\/");
    folder = (cut == std::string::npos) ? std::string(".") : folder.substr(0, cut + 1);
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr)) return std::nullopt;
    return available.QuadPart;
}

LocalTime Win32Port::local_time() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

std::uint32_t Win32Port::tick_count() { return GetTickCount(); }

// The state at the time of handling, not of the queued message: a modifier
// released since then no longer counts.
bool Win32Port::key_down(int virtual_key) { return (GetAsyncKeyState(virtual_key) & 0x8000) != 0; }

std::string Win32Port::current_directory() {
    char folder[MAX_PATH + 1] = {};
    const DWORD n = GetCurrentDirectoryA(sizeof folder, folder);
    return std::string(folder, n < sizeof folder ? n : 0);
}

bool Win32Port::open_clipboard() const {
    // Another program may hold the clipboard for a moment.
    for (int attempt = 0; attempt < 1000; ++attempt)
        if (OpenClipboard(windows_.main)) return true;
    return false;
}

bool Win32Port::set_text(std::string_view text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
    if (!block) return false;
    if (auto* bytes = static_cast<char*>(GlobalLock(block))) {
        text.copy(bytes, text.size());
        bytes[text.size()] = '\0';
        GlobalUnlock(block);
    }
    if (!open_clipboard()) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    const bool handed_over = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    if (!handed_over) GlobalFree(block);
    return handed_over;
}

std::optional<std::string> Win32Port::get_text() {
    if (!open_clipboard()) return std::nullopt;
    std::optional<std::string> text;
    if (HANDLE block = GetClipboardData(CF_TEXT)) {
        if (const auto* bytes = static_cast<const char*>(GlobalLock(block))) {
            // Never read past the block, even when its text lacks a NUL.
            const SIZE_T size = GlobalSize(block);
            std::size_t n = 0;
            while (n < size && bytes[n] != '\0') ++n;
            text = std::string(bytes, n);
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return text;
}

HFONT Win32Port::font_of(ViewId view) const {
    HFONT font = view == ViewId::overview ? overview_font : data_view_font;
    return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

int Win32Port::width_in(HFONT font, std::string_view text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx;
}

int Win32Port::text_width(ViewId view, std::string_view text) { return width_in(font_of(view), text); }

int Win32Port::line_height(ViewId view) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font_of(view));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return metrics.tmHeight + metrics.tmExternalLeading;
}

int Win32Port::bold_text_width(ViewId view, std::string_view text) {
    if (view == ViewId::data_view && data_view_bold_font) return width_in(data_view_bold_font, text);
    LOGFONTA font{};
    GetObjectA(font_of(view), sizeof font, &font);
    font.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectA(&font);
    const int width = width_in(bold ? bold : font_of(view), text);
    if (bold) DeleteObject(bold);
    return width;
}

bool Win32Transport::find_calendar() {
    calendar_window_ = FindWindowA(std::string(calendar::calendar_class).c_str(), nullptr);
    return calendar_window_ != nullptr;
}

void Win32Transport::post(const calendar::WireMessage& message) {
    PostMessageA(calendar_window_, transfer_message_, static_cast<WPARAM>(message.w),
                 static_cast<LPARAM>(message.l));
}

void Win32Transport::bring_calendar_to_front() {
    SetForegroundWindow(FindWindowA(std::string(calendar::calendar_class).c_str(), nullptr));
}

UINT register_transfer_message() {
    return RegisterWindowMessageA(std::string(calendar::transfer_message_name).c_str());
}

}  // namespace lumo::win32

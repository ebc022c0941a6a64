#include "win32/win32_port.h"

#include <string>

#include "calendar/calendar_texts.h"
#include "port/ids.h"

namespace lumo::win32 {

namespace {

// Win32 wants NUL-terminated texts; the core hands out views.
std::string z(std::string_view text) { return std::string(text); }

}  // namespace

void Win32Port::beep() { MessageBeep(0); }

Answer Win32Port::message_box(std::string_view text, std::string_view caption, std::uint32_t style) {
    HWND owner = IsWindow(windows_.main) ? windows_.main : nullptr;
    return static_cast<Answer>(MessageBoxA(owner, z(text).c_str(), z(caption).c_str(), style));
}

std::optional<std::string> Win32Port::ask_password(PasswordPrompt) {
    // The password dialogs arrive with the dialogs; until then a protected
    // file counts as cancelled.
    return std::nullopt;
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

// The Win32 side of the port: message boxes, the main window's frame, the
// clock and disks, and the calendar transport over posted window messages.
#pragma once

#include <windows.h>

#include "calendar/calendar_link.h"
#include "port/port.h"

namespace lumo::win32 {

// The windows the port acts on; filled in by start-up as they are created.
struct ShellWindows {
    HWND main = nullptr;
    HWND toolbar = nullptr;
    HWND status_bar = nullptr;
    HWND overview = nullptr;
    HWND data_view = nullptr;
};

class Win32Port final : public Prompts, public Frame, public System, public Clipboard, public TextMeasure {
public:
    explicit Win32Port(ShellWindows& windows) : windows_(windows) {}

    // Prompts
    void beep() override;
    Answer message_box(std::string_view text, std::string_view caption, std::uint32_t style) override;
    std::optional<std::string> ask_password(PasswordPrompt which) override;
    std::optional<FileDialogAnswer> choose_file(const FileDialogRequest& request) override;
    BlockChoice ask_block_or_all() override;

    // Frame
    bool main_window_exists() const override;
    void set_window_title(std::string_view text) override;
    void set_status_text(std::string_view text) override;
    void enable_command(int id, bool enabled) override;
    void check_command(int id, bool checked) override;
    void repaint(ViewId view) override;
    void bring_to_top(ViewId view) override;
    void minimize_main_window() override;
    void restore_main_window() override;
    void set_toolbar_button_pressed(int id, bool pressed) override;
    void post_quit() override;
    std::string menu_label(int id) override;
    void set_menu_label(int id, std::string_view label) override;

    // System
    std::optional<std::uint64_t> free_disk_bytes(std::string_view path) override;
    LocalTime local_time() override;
    std::uint32_t tick_count() override;
    std::string current_directory() override;
    bool key_down(int virtual_key) override;

    // Clipboard
    bool set_text(std::string_view text) override;
    std::optional<std::string> get_text() override;

    // TextMeasure
    int text_width(ViewId view, std::string_view text) override;
    int line_height(ViewId view) override;
    int bold_text_width(ViewId view, std::string_view text) override;

    // The fonts the views paint with (owned by the shell); measuring uses them.
    HFONT overview_font = nullptr;
    HFONT data_view_font = nullptr;
    // The data view's heading line is measured in this one (weight 700).
    HFONT data_view_bold_font = nullptr;

private:
    HWND view_window(ViewId view) const;
    bool open_clipboard() const;
    HFONT font_of(ViewId view) const;
    static int width_in(HFONT font, std::string_view text);

    ShellWindows& windows_;
};

// Posts the link's messages to the calendar program's top-level window.
class Win32Transport final : public calendar::Transport {
public:
    explicit Win32Transport(UINT transfer_message) : transfer_message_(transfer_message) {}

    bool find_calendar() override;
    void post(const calendar::WireMessage& message) override;
    void bring_calendar_to_front() override;

private:
    UINT transfer_message_;
    HWND calendar_window_ = nullptr;
};

// The number both programs share for the transfer message.
UINT register_transfer_message();

}  // namespace lumo::win32

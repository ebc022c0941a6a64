// A recording fake of the port for unit tests: every call a user could notice
// is appended to `calls` as one readable line, and answers are scripted.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "port/port.h"
#include "faulty_files.h"
#include "native_files.h"

namespace lumo::testing {

struct BoxCall {
    std::string text;
    std::string caption;
    std::uint32_t style = 0;
};

class FakePort final : public Prompts, public Frame, public System, public Clipboard, public TextMeasure {
public:
    // Real files through the machine's own steps; `files` can make any step
    // fail (see faulty_files.h).
    NativeFileSystem disk;
    FaultyFileSystem files{disk};

    FakePort() : port{*this, *this, *this, *this, *this, files} {}

    Port port;

    // Recorded effects.
    std::vector<std::string> calls;
    std::vector<BoxCall> boxes;
    int beeps = 0;
    std::string title;
    std::string status;
    std::map<int, bool> enabled;
    std::map<int, bool> checked;
    int repaints = 0;
    std::map<int, bool> buttons;
    int quits = 0;
    bool modal_seen_in_box = false;

    // Scripted answers: consumed front to back; when empty, `default_answer`.
    std::deque<Answer> answers;
    Answer default_answer = Answer::no;
    std::deque<std::optional<std::string>> passwords;
    std::optional<std::uint64_t> free_bytes = std::uint64_t{1} << 40;
    LocalTime now{2026, 12, 7, 12, 0, 0};
    std::uint32_t ticks = 0;
    bool window_exists = true;

    // Prompts
    void beep() override { ++beeps; calls.push_back("beep"); }
    Answer message_box(std::string_view text, std::string_view caption,
                       std::uint32_t style) override {
        modal_seen_in_box = port.modal_flag;
        boxes.push_back({std::string(text), std::string(caption), style});
        calls.push_back("box: " + std::string(text));
        if (answers.empty()) return default_answer;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> ask_password(PasswordPrompt which) override {
        calls.push_back(which == PasswordPrompt::open_file ? "password: open" : "password: add");
        if (passwords.empty()) return std::nullopt;
        auto p = passwords.front();
        passwords.pop_front();
        return p;
    }

    std::vector<FileDialogRequest> file_dialogs;
    // Whole answers (several files, another file type) come first; then one
    // file of the first type each; cancelled when both are used up.
    std::deque<std::optional<FileDialogAnswer>> file_answers;
    std::deque<std::optional<std::string>> chosen_files;
    std::optional<FileDialogAnswer> choose_file(const FileDialogRequest& request) override {
        file_dialogs.push_back(request);
        calls.push_back("file dialog: " + request.title);
        if (!file_answers.empty()) {
            auto a = file_answers.front();
            file_answers.pop_front();
            return a;
        }
        if (chosen_files.empty()) return std::nullopt;
        auto f = chosen_files.front();
        chosen_files.pop_front();
        if (!f) return std::nullopt;
        return FileDialogAnswer{{*f}, 1};
    }
    std::deque<BlockChoice> block_choices;
    BlockChoice ask_block_or_all() override {
        calls.push_back("block question");
        if (block_choices.empty()) return BlockChoice::closed;
        auto c = block_choices.front();
        block_choices.pop_front();
        return c;
    }

    // Frame
    bool main_window_exists() const override { return window_exists; }
    void set_window_title(std::string_view text) override {
        title = std::string(text);
        calls.push_back("title: " + title);
    }
    void set_status_text(std::string_view text) override {
        status = std::string(text);
        calls.push_back("status: " + status);
    }
    void enable_command(int id, bool on) override {
        enabled[id] = on;
        calls.push_back((on ? "enable " : "gray ") + std::to_string(id));
    }
    void check_command(int id, bool on) override {
        checked[id] = on;
        calls.push_back((on ? "check " : "uncheck ") + std::to_string(id));
    }
    void repaint(ViewId view) override {
        ++repaints;
        calls.push_back(view == ViewId::overview ? "repaint overview" : "repaint data view");
    }
    void bring_to_top(ViewId view) override {
        calls.push_back(view == ViewId::overview ? "top overview" : "top data view");
    }
    void minimize_main_window() override { calls.push_back("minimize"); }
    void restore_main_window() override { calls.push_back("restore"); }
    void set_toolbar_button_pressed(int id, bool pressed) override {
        buttons[id] = pressed;
        calls.push_back((pressed ? "press " : "release ") + std::to_string(id));
    }
    void post_quit() override { ++quits; calls.push_back("quit"); }
    std::map<int, std::string> menu_labels;
    std::string menu_label(int id) override { return menu_labels[id]; }
    void set_menu_label(int id, std::string_view label) override {
        menu_labels[id] = std::string(label);
        calls.push_back("label " + std::to_string(id) + ": " + std::string(label));
    }

    // System
    std::optional<std::uint64_t> free_disk_bytes(std::string_view) override { return free_bytes; }
    LocalTime local_time() override { return now; }
    std::uint32_t tick_count() override { return ticks; }
    std::string directory = "C:\\Users\\lumo";
    std::string current_directory() override { return directory; }
    // Keys held down, by virtual-key code.
    std::set<int> held_keys;
    bool key_down(int virtual_key) override { return held_keys.count(virtual_key) > 0; }

    // Clipboard
    std::optional<std::string> clipboard_text;
    bool clipboard_busy = false;
    bool set_text(std::string_view text) override {
        calls.push_back("clipboard set");
        if (clipboard_busy) return false;
        clipboard_text = std::string(text);
        return true;
    }
    std::optional<std::string> get_text() override {
        if (clipboard_busy) return std::nullopt;
        return clipboard_text;
    }

    // TextMeasure: fixed width by default; a proportional table when
    // `char_widths` is filled (width of byte b is char_widths[b]).
    int char_width = 8;
    int row_height = 16;
    std::vector<int> char_widths;
    int text_width(ViewId, std::string_view text) override {
        int w = 0;
        for (unsigned char c : text) w += char_widths.empty() ? char_width : char_widths[c];
        return w;
    }
    int line_height(ViewId) override { return row_height; }
    // Bold text is `bold_extra` pixels wider per character.
    int bold_extra = 0;
    int bold_text_width(ViewId view, std::string_view text) override {
        return text_width(view, text) + bold_extra * static_cast<int>(text.size());
    }

    // The last box's text, or "" when none was shown.
    std::string last_box() const { return boxes.empty() ? std::string() : boxes.back().text; }
};

}  // namespace lumo::testing

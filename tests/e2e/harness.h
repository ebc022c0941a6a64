// End-to-end harness: the test plays the calendar program with its own window
// of class "VORNIX", starts lumo.exe from a temporary program folder, finds
// and answers its message boxes, and always ends the processes it started.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "calendar/calendar_link.h"
#include "settings/settings.h"

namespace lumo::e2e {

// Runs the message loop of this thread until `done` holds or `ms` elapse.
bool pump_until(const std::function<bool()>& done, DWORD ms = 15000);
void pump_for(DWORD ms);

// The calendar's side: receives lumo's requests, sends reports.
class FakeCalendar {
public:
    FakeCalendar();
    ~FakeCalendar();
    FakeCalendar(const FakeCalendar&) = delete;
    FakeCalendar& operator=(const FakeCalendar&) = delete;

    // Texts received so far, in order.
    const std::vector<std::string>& received() const { return received_; }
    bool wait_for(const std::string& text, DWORD ms = 15000);
    // Sends a report to lumo's main window; false when lumo is not there.
    bool send(const std::string& text);
    // Posts one raw transfer message to lumo's main window.
    void post_raw(WPARAM w, LPARAM l);
    UINT transfer_message() const { return transfer_message_; }

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    class ToLumo;

    UINT transfer_message_;
    HWND window_ = nullptr;
    calendar::Receiver receiver_;
    std::vector<std::string> received_;
};

// A message box (a #32770 dialog) of a process.
struct MessageBoxInfo {
    HWND window = nullptr;
    std::string caption;
    std::string text;
};

// A lumo.exe started from its own temporary program folder.
class Lumo {
public:
    // Creates the program folder with a copy of lumo.exe.
    Lumo();
    ~Lumo();
    Lumo(const Lumo&) = delete;
    Lumo& operator=(const Lumo&) = delete;

    const std::string& folder() const { return folder_; }
    void write_file(const std::string& name, const std::string& bytes) const;
    std::string read_file(const std::string& name) const;

    // Starts lumo.exe from the folder (again, after an earlier run ended),
    // with `arguments` behind the program's path on its command line.
    bool start(const std::string& arguments = {});
    // Waits for lumo's main window of this process.
    HWND wait_for_main_window(DWORD ms = 15000);
    HWND main_window() const { return main_; }
    // Waits for a message box of this process whose text contains `text`.
    MessageBoxInfo wait_for_box(const std::string& text, DWORD ms = 15000);
    void answer(const MessageBoxInfo& box, int button);
    // Waits for the process to end; returns its exit code, or -1 on time-out.
    int wait_for_exit(DWORD ms = 15000);
    // Quits lumo, answering No when it asks to save a modified book; returns
    // the exit code as wait_for_exit does (-1 when it was not running).
    int quit_discarding_changes();
    bool running() const;
    // The process, for what the tests measure of it (its memory, its end).
    HANDLE process_handle() const { return process_.hProcess; }
    // True when the main window still answers messages.
    bool responsive() const;
    void post_command(int id) const;

    // The main window's title.
    std::string title() const;
    // A control of lumo's frame by id (searched through all descendants of
    // the main window), e.g. 1008 the status text or a toolbar button.
    HWND frame_control(int id) const;
    // Text of the status bar's item 1008.
    std::string status_text() const;
    // A visible top-level dialog of this process with the given caption.
    HWND wait_for_dialog(const std::string& caption, DWORD ms = 15000);
    // Fills the file name of an Open/Save common dialog and presses OK.
    static void choose_file(HWND dialog, const std::string& path);
    // Picks the file type `index` (1 for the first) of an Open/Save common
    // dialog, as a click in its list of types would.
    static void choose_file_type(HWND dialog, int index);
    // Waits until `done` holds, pumping this thread's messages.
    bool wait_until(const std::function<bool()>& done, DWORD ms = 15000) const;
    // Everything on screen of this process, for failure reports.
    std::string describe() const;

    // ---- Keyboard and mouse, through the real input path ----------------
    // lumo reads Shift and Ctrl with GetAsyncKeyState when it handles a key,
    // so keys and clicks are injected with SendInput into the foreground
    // window: the main window is brought to the front first, modifiers are
    // pressed about 100 ms ahead and released only after the key has had
    // time to be handled.
    // Brings lumo's main window to the front (SetForegroundWindow).
    bool bring_to_front() const;
    // One key press (down and up) with the virtual-key code `vk`.
    void press_key(int vk, bool ctrl = false, bool shift = false) const;
    // Types Windows-1252 text: one WM_CHAR per byte to the main window, the
    // message that TranslateMessage would make of the keys.
    void type_text(const std::string& text) const;
    // A view of the main window by child id (1 the overview, 2 the data view).
    HWND view(int child_id) const;
    // A quick left click (down, up) at a client point of a view; with
    // `shift`, Shift is held around it.
    void click_view(int child_id, int x, int y, bool shift = false) const;
    // Left button down at a client point of a view, held for `hold_ms`
    // while the mouse moves to (x2, y2), then released there.
    void drag_view(int child_id, int x, int y, int x2, int y2, DWORD hold_ms = 400) const;
    // Drag and drop with the real mouse: the button goes down at a client
    // point of view `from_id` and stays down until lumo runs its drag loop
    // (its thread captures the mouse), the mouse moves in small steps to a
    // client point of view `to_id`, and the button is released there. With
    // `ctrl`, Ctrl is held from the first step until after the release.
    // `over_target` runs while the mouse rests over the target, before the
    // release. Returns when the drag loop has ended; false when it never
    // started.
    bool drag_and_drop(int from_id, int x, int y, int to_id, int x2, int y2, bool ctrl = false,
                       const std::function<void()>& over_target = {}) const;
    // The window that holds the mouse capture in lumo's thread, if any.
    HWND capture_window() const;

private:
    std::string folder_;
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};

// Starts `lumo` on `bytes` as "book.adr" with a configuration naming it
// (`settings` with its file name set to it), waits for the greeting to
// `calendar`, the main window and both views, and brings lumo to the front.
// The empty string on success, else what went wrong and what was on screen.
std::string start_on_book(Lumo& lumo, FakeCalendar& calendar, const std::string& bytes,
                          Settings settings = default_settings(LogFont{}));

}  // namespace lumo::e2e

#include "e2e/harness.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "calendar/calendar_texts.h"
#include "port/ids.h"
#include "settings/configuration.h"

namespace lumo::e2e {

namespace {

FakeCalendar* current_calendar = nullptr;
constexpr char lumo_class[] = "VORNIX-Lumo";

std::string module_folder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

std::string window_text(HWND hwnd) {
    char buffer[2048];
    int n = GetWindowTextA(hwnd, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string class_name(HWND hwnd) {
    char buffer[256];
    int n = GetClassNameA(hwnd, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

DWORD process_of(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

std::vector<HWND> top_windows_of(DWORD pid) {
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search{pid, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            if (process_of(hwnd) == s->pid) s->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// One key event through the system's input queue.
void send_key(int vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(vk);
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(static_cast<UINT>(vk), MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    // The navigation keys live on the extended block.
    if (vk >= VK_PRIOR && vk <= VK_DOWN) input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    if (vk == VK_INSERT || vk == VK_DELETE) input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    SendInput(1, &input, sizeof input);
}

void send_mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

// Holds the modifiers for a scope: pressed ahead of the key so that
// GetAsyncKeyState sees them, released after the key had time to be handled.
class HeldModifiers {
public:
    HeldModifiers(bool ctrl, bool shift) : ctrl_(ctrl), shift_(shift) {
        press();
        if (!ctrl_ && !shift_) return;
        pump_for(100);
        // Wine may reset the modifiers' state to the X keyboard's while it
        // settles the focus: press them once more right before the key.
        press();
        pump_for(30);
    }
    ~HeldModifiers() {
        if (ctrl_ || shift_) pump_for(200);
        if (shift_) send_key(VK_SHIFT, true);
        if (ctrl_) send_key(VK_CONTROL, true);
        pump_for(50);
    }
    HeldModifiers(const HeldModifiers&) = delete;
    HeldModifiers& operator=(const HeldModifiers&) = delete;

private:
    void press() const {
        if (ctrl_) send_key(VK_CONTROL, false);
        if (shift_) send_key(VK_SHIFT, false);
    }

    bool ctrl_, shift_;
};

}  // namespace

bool pump_until(const std::function<bool()>& done, DWORD ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
    return true;
}

void pump_for(DWORD ms) {
    pump_until([] { return false; }, ms);
}

class FakeCalendar::ToLumo final : public calendar::Transport {
public:
    explicit ToLumo(UINT message) : message_(message) {}
    bool find_calendar() override {
        lumo_ = FindWindowA(lumo_class, nullptr);
        return lumo_ != nullptr;
    }
    void post(const calendar::WireMessage& m) override {
        PostMessageA(lumo_, message_, static_cast<WPARAM>(m.w), static_cast<LPARAM>(m.l));
    }
    void bring_calendar_to_front() override {}

private:
    UINT message_;
    HWND lumo_ = nullptr;
};

FakeCalendar::FakeCalendar()
    : transfer_message_(RegisterWindowMessageA(std::string(calendar::transfer_message_name).c_str())) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &FakeCalendar::proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VORNIX";
    RegisterClassExA(&wc);  // stays registered across tests
    current_calendar = this;
    window_ = CreateWindowExA(0, "VORNIX", "VORNIX (test)", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                              wc.hInstance, nullptr);
}

FakeCalendar::~FakeCalendar() {
    DestroyWindow(window_);
    current_calendar = nullptr;
}

LRESULT CALLBACK FakeCalendar::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    FakeCalendar* self = current_calendar;
    if (self && msg == self->transfer_message_) {
        if (auto text = self->receiver_.receive(wp, static_cast<std::int64_t>(lp)))
            self->received_.push_back(*text);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

bool FakeCalendar::wait_for(const std::string& text, DWORD ms) {
    return pump_until(
        [&] {
            for (const auto& t : received_)
                if (t == text) return true;
            return false;
        },
        ms);
}

bool FakeCalendar::send(const std::string& text) {
    ToLumo transport(transfer_message_);
    calendar::Link link(transport);
    return link.send_to_calendar(text) == 0;
}

void FakeCalendar::post_raw(WPARAM w, LPARAM l) {
    PostMessageA(FindWindowA(lumo_class, nullptr), transfer_message_, w, l);
}

Lumo::Lumo() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int counter = 0;
    folder_ = std::string(temp) + "lumo-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(++counter) + "\\";
    // Wine reuses process ids: a folder of that name may be left from a run
    // that was killed. Each test starts from an empty one.
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    CreateDirectoryA(folder_.c_str(), nullptr);
    // Wine now and then refuses a copy or a start for a moment; try again.
    for (int tries = 0; tries < 20; ++tries) {
        if (CopyFileA((module_folder() + "lumo.exe").c_str(), (folder_ + "lumo.exe").c_str(), FALSE)) break;
        Sleep(100);
    }
}

Lumo::~Lumo() {
    if (running()) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    if (process_.hProcess) CloseHandle(process_.hProcess);
    if (process_.hThread) CloseHandle(process_.hThread);
    // With the folders a test made in it.
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void Lumo::write_file(const std::string& name, const std::string& bytes) const {
    std::ofstream out(folder_ + name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Lumo::read_file(const std::string& name) const {
    // Shared for deleting too: lumo may put a new file in this one's place
    // while the test reads it, and must not be refused by the test.
    HANDLE file = CreateFileA((folder_ + name).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

bool Lumo::start(const std::string& arguments) {
    // A second start in the same folder follows an ended run.
    if (process_.hProcess) CloseHandle(process_.hProcess);
    if (process_.hThread) CloseHandle(process_.hThread);
    process_ = {};
    main_ = nullptr;
    std::string command = "\"" + folder_ + "lumo.exe\"";
    if (!arguments.empty()) command += ' ' + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    for (int tries = 0; tries < 20; ++tries) {
        if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &startup,
                           &process_))
            return true;
        Sleep(100);
    }
    return false;
}

HWND Lumo::wait_for_main_window(DWORD ms) {
    pump_until(
        [&] {
            for (HWND hwnd : top_windows_of(process_.dwProcessId))
                if (class_name(hwnd) == lumo_class) main_ = hwnd;
            return main_ != nullptr;
        },
        ms);
    return main_;
}

MessageBoxInfo Lumo::wait_for_box(const std::string& text, DWORD ms) {
    MessageBoxInfo found;
    pump_until(
        [&] {
            for (HWND hwnd : top_windows_of(process_.dwProcessId)) {
                if (class_name(hwnd) != "#32770" || !IsWindowVisible(hwnd)) continue;
                HWND label = GetDlgItem(hwnd, 0xFFFF);
                std::string body = label ? window_text(label) : std::string();
                if (body.find(text) == std::string::npos) continue;
                found = {hwnd, window_text(hwnd), body};
                return true;
            }
            return false;
        },
        ms);
    return found;
}

void Lumo::answer(const MessageBoxInfo& box, int button) {
    PostMessageA(box.window, WM_COMMAND, static_cast<WPARAM>(button), 0);
}

int Lumo::wait_for_exit(DWORD ms) {
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > ms) return -1;
        pump_for(20);
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<int>(code);
}

int Lumo::quit_discarding_changes() {
    if (!running()) return -1;
    post_command(CMD_QUIT);
    if (const MessageBoxInfo box = wait_for_box("Save Data now?", 3000); box.window) answer(box, IDNO);
    return wait_for_exit();
}

bool Lumo::running() const {
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Lumo::responsive() const {
    DWORD_PTR result = 0;
    return main_ && SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, &result) != 0;
}

void Lumo::post_command(int id) const { PostMessageA(main_, WM_COMMAND, static_cast<WPARAM>(id), 0); }

std::string Lumo::title() const { return main_ ? window_text(main_) : std::string(); }

HWND Lumo::frame_control(int id) const {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    if (!main_) return nullptr;
    EnumChildWindows(
        main_,
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            // Dialog item ids travel as 16 bits (40006 may come back sign-extended).
            const auto item = static_cast<WORD>(GetDlgCtrlID(hwnd));
            if (item != static_cast<WORD>(s->id) || class_name(GetParent(hwnd)) != "#32770") return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Lumo::status_text() const {
    HWND item = frame_control(1008);
    return item ? window_text(item) : std::string();
}

HWND Lumo::wait_for_dialog(const std::string& caption, DWORD ms) {
    HWND found = nullptr;
    pump_until(
        [&] {
            for (HWND hwnd : top_windows_of(process_.dwProcessId))
                if (class_name(hwnd) == "#32770" && IsWindowVisible(hwnd) && window_text(hwnd) == caption)
                    found = hwnd;
            return found != nullptr;
        },
        ms);
    return found;
}

void Lumo::choose_file(HWND dialog, const std::string& path) {
    // The file name field is a ComboBoxEx32 (0x47C) holding an Edit.
    HWND field = GetDlgItem(dialog, 0x47C);
    HWND edit = field ? FindWindowExA(field, nullptr, "ComboBox", nullptr) : nullptr;
    edit = edit ? FindWindowExA(edit, nullptr, "Edit", nullptr) : FindWindowExA(field, nullptr, "Edit", nullptr);
    SendMessageA(edit ? edit : field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

void Lumo::choose_file_type(HWND dialog, int index) {
    // The list of file types is a combo box (0x470); a click in its list
    // changes the selection and then ends it, which is when the dialog
    // takes the new type.
    constexpr int file_types = 0x470;
    HWND types = GetDlgItem(dialog, file_types);
    SendMessageA(types, CB_SETCURSEL, static_cast<WPARAM>(index - 1), 0);
    for (WORD notification : {CBN_SELCHANGE, CBN_SELENDOK})
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(file_types, notification), reinterpret_cast<LPARAM>(types));
}

bool Lumo::wait_until(const std::function<bool()>& done, DWORD ms) const { return pump_until(done, ms); }

std::string Lumo::describe() const {
    std::ostringstream out;
    out << "lumo process " << process_.dwProcessId << (running() ? " running" : " ended") << "; windows:";
    for (HWND hwnd : top_windows_of(process_.dwProcessId)) {
        out << "\n  [" << class_name(hwnd) << "] \"" << window_text(hwnd) << "\""
            << (IsWindowVisible(hwnd) ? "" : " (hidden)");
        if (HWND label = GetDlgItem(hwnd, 0xFFFF)) out << " text \"" << window_text(label) << "\"";
    }
    return out.str();
}

bool Lumo::bring_to_front() const {
    if (!main_) return false;
    // Under Wine every change of focus makes lumo take the modifier keys'
    // state from the X keyboard again, a while later: change it only when
    // needed, and let it settle before any key is pressed.
    if (GetForegroundWindow() == main_) return true;
    SetForegroundWindow(main_);
    const bool in_front = pump_until([&] { return GetForegroundWindow() == main_; }, 3000);
    pump_for(300);
    return in_front;
}

void Lumo::press_key(int vk, bool ctrl, bool shift) const {
    bring_to_front();
    HeldModifiers modifiers(ctrl, shift);
    send_key(vk, false);
    send_key(vk, true);
    pump_for(150);
}

void Lumo::type_text(const std::string& text) const {
    for (char c : text) PostMessageA(main_, WM_CHAR, static_cast<unsigned char>(c), 1);
    // A round trip through the queue: every character is handled by then.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    pump_for(100);
}

HWND Lumo::view(int child_id) const { return main_ ? GetDlgItem(main_, child_id) : nullptr; }

namespace {

bool move_mouse_to(HWND window, int x, int y) {
    POINT p{x, y};
    if (!window || !ClientToScreen(window, &p)) return false;
    SetCursorPos(p.x, p.y);
    pump_for(50);
    return true;
}

// Moves the mouse through the input queue, so that the window under it (or
// the capture window) sees a WM_MOUSEMOVE, as a real mouse would make.
void send_mouse_move(POINT screen) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = (screen.x * 65536 + width - 1) / width;
    input.mi.dy = (screen.y * 65536 + height - 1) / height;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

}  // namespace

void Lumo::click_view(int child_id, int x, int y, bool shift) const {
    bring_to_front();
    if (!move_mouse_to(view(child_id), x, y)) return;
    HeldModifiers modifiers(false, shift);
    send_mouse(MOUSEEVENTF_LEFTDOWN);
    // With Shift the view samples the button at once and follows it until
    // it is released: keep it down a moment.
    if (shift) pump_for(150);
    send_mouse(MOUSEEVENTF_LEFTUP);
    // The view waits 200 ms before it samples the button.
    pump_for(400);
}

void Lumo::drag_view(int child_id, int x, int y, int x2, int y2, DWORD hold_ms) const {
    bring_to_front();
    HWND window = view(child_id);
    if (!move_mouse_to(window, x, y)) return;
    send_mouse(MOUSEEVENTF_LEFTDOWN);
    pump_for(hold_ms);
    move_mouse_to(window, x2, y2);
    pump_for(hold_ms);
    send_mouse(MOUSEEVENTF_LEFTUP);
    pump_for(300);
}

HWND Lumo::capture_window() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!main_ || !GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info)) return nullptr;
    return info.hwndCapture;
}

bool Lumo::drag_and_drop(int from_id, int x, int y, int to_id, int x2, int y2, bool ctrl,
                         const std::function<void()>& over_target) const {
    bring_to_front();
    POINT from{x, y};
    POINT to{x2, y2};
    if (!ClientToScreen(view(from_id), &from) || !ClientToScreen(view(to_id), &to)) return false;
    send_mouse_move(from);
    pump_for(100);
    send_mouse(MOUSEEVENTF_LEFTDOWN);
    // The view tells a press-and-hold after about 200 ms and then starts
    // the drag loop, which captures the mouse.
    const bool started = pump_until([&] { return capture_window() != nullptr; }, 3000);
    constexpr int steps = 8;
    for (int i = 1; i <= steps; ++i) {
        send_mouse_move({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        pump_for(60);
    }
    pump_for(200);
    if (ctrl) {
        // Pressed only now: every mouse move lets Wine take the modifiers'
        // state from the X keyboard again. Pressed twice for the same reason.
        send_key(VK_CONTROL, false);
        pump_for(100);
        send_key(VK_CONTROL, false);
        pump_for(100);
    }
    if (over_target) over_target();
    send_mouse(MOUSEEVENTF_LEFTUP);
    const bool ended = pump_until([&] { return capture_window() == nullptr; }, 5000);
    if (ctrl) send_key(VK_CONTROL, true);
    pump_for(200);
    return started && ended;
}

std::string start_on_book(Lumo& lumo, FakeCalendar& calendar, const std::string& bytes, Settings settings) {
    lumo.write_file("book.adr", bytes);
    set_text(settings.file_name, lumo.folder() + "book.adr");
    const auto config = configuration_bytes(settings);
    lumo.write_file(std::string(configuration_file_name), std::string(config.begin(), config.end()));
    if (!lumo.start()) return "lumo.exe did not start";
    if (!calendar.wait_for("HALLO, HIER IST LUMO!")) return "no greeting\n" + lumo.describe();
    if (!lumo.wait_for_main_window()) return "no main window\n" + lumo.describe();
    if (!lumo.wait_until([&] { return lumo.view(2) != nullptr; })) return "no views\n" + lumo.describe();
    if (!lumo.bring_to_front()) return "not in front\n" + lumo.describe();
    return {};
}

}  // namespace lumo::e2e

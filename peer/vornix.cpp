// The calendar stand-in: a small program of window class "VORNIX" that plays
// the calendar's side of the link, so lumo can run and be tested beside it.
//
//   vornix.exe [--log FILE]
//
// It lists every request it receives, appends each one as a line to FILE,
// answers the greeting with a status report and the open requests with the
// matching reports.
#include <windows.h>

#include <cstdio>
#include <string>

#include "calendar/calendar_link.h"
#include "calendar/calendar_texts.h"

namespace {

using namespace lumo::calendar;

constexpr int list_id = 100;
constexpr char lumo_class[] = "VORNIX-Lumo";

// Posts to lumo's main window.
class ToLumo final : public Transport {
public:
    explicit ToLumo(UINT message) : message_(message) {}
    bool find_calendar() override {
        lumo_ = FindWindowA(lumo_class, nullptr);
        return lumo_ != nullptr;
    }
    void post(const WireMessage& m) override {
        PostMessageA(lumo_, message_, static_cast<WPARAM>(m.w), static_cast<LPARAM>(m.l));
    }
    void bring_calendar_to_front() override {}

private:
    UINT message_;
    HWND lumo_ = nullptr;
};

struct Peer {
    UINT transfer_message = 0;
    Receiver receiver;
    ToLumo* to_lumo = nullptr;
    Link* link = nullptr;
    std::string log_path;
    HWND list = nullptr;
};

Peer peer;

void log_request(const std::string& text) {
    SendMessageA(peer.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (peer.log_path.empty()) return;
    if (FILE* f = std::fopen(peer.log_path.c_str(), "ab")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fputs("\n", f);
        std::fclose(f);
    }
}

// What the calendar answers to a request.
std::string answer_to(const std::string& request) {
    if (request == greeting) return "VORNIX000000";
    for (const auto& open : open_calendar)
        if (request == open) return request;
    if (request == open_clock || request == open_alarm) return request;
    return {};
}

void on_transfer(WPARAM wp, LPARAM lp) {
    auto text = peer.receiver.receive(static_cast<std::uint64_t>(wp), static_cast<std::int64_t>(lp));
    if (!text) return;
    log_request(*text);
    const std::string answer = answer_to(*text);
    if (!answer.empty()) peer.link->send_to_calendar(answer);
}

LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == peer.transfer_message) {
        on_transfer(wp, lp);
        return 0;
    }
    switch (msg) {
    case WM_CREATE:
        peer.list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0, 0, 0,
                                    hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(list_id)), nullptr,
                                    nullptr);
        return 0;
    case WM_SIZE:
        MoveWindow(peer.list, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

std::string log_path_from(LPSTR command_line) {
    std::string args(command_line ? command_line : "");
    const std::string flag = "--log ";
    const auto at = args.find(flag);
    if (at == std::string::npos) return {};
    std::string path = args.substr(at + flag.size());
    if (!path.empty() && path.front() == '"') {
        const auto end = path.find('"', 1);
        return path.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    }
    return path.substr(0, path.find(' '));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show_command) {
    peer.transfer_message = RegisterWindowMessageA(std::string(transfer_message_name).c_str());
    peer.log_path = log_path_from(command_line);
    ToLumo to_lumo(peer.transfer_message);
    Link link(to_lumo);
    peer.to_lumo = &to_lumo;
    peer.link = &link;

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "VORNIX";
    if (!RegisterClassExA(&wc)) return 1;
    HWND hwnd = CreateWindowExA(0, "VORNIX", "VORNIX calendar (stand-in)", WS_OVERLAPPEDWINDOW, 20, 20, 360,
                                260, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, show_command);
    UpdateWindow(hwnd);
    // The log exists from the moment the window does, so a script can wait
    // for the calendar before it starts the address book.
    if (!peer.log_path.empty())
        if (FILE* f = std::fopen(peer.log_path.c_str(), "ab")) std::fclose(f);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

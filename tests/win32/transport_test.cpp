// The calendar transport between two real windows in one process: the
// address book's side posts with Win32Transport, a window of class "VORNIX"
// receives, and its answer travels back into the application object.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "calendar/calendar_link.h"
#include "win32/win32_port.h"

namespace lumo::win32 {
namespace {

UINT transfer_message = 0;
calendar::Receiver calendar_receiver;
std::vector<std::string> calendar_received;

LRESULT CALLBACK calendar_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == transfer_message) {
        if (auto text = calendar_receiver.receive(wp, static_cast<std::int64_t>(lp)))
            calendar_received.push_back(*text);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

class TransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        transfer_message = register_transfer_message();
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = calendar_proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VORNIX";
        RegisterClassExA(&wc);
        calendar_window = CreateWindowExA(0, "VORNIX", "stand-in", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                          nullptr, wc.hInstance, nullptr);
        ASSERT_NE(calendar_window, nullptr);
        calendar_received.clear();
        calendar_receiver.reset();
    }
    void TearDown() override { DestroyWindow(calendar_window); }

    HWND calendar_window = nullptr;
};

TEST_F(TransportTest, TransferMessageIsSharedByName) {
    EXPECT_GE(transfer_message, 0xC000u);
    EXPECT_EQ(register_transfer_message(), transfer_message);
}

TEST_F(TransportTest, TextsArriveWholeInOrder) {
    Win32Transport transport(transfer_message);
    calendar::Link link(transport);
    EXPECT_EQ(link.send_to_calendar("HALLO, HIER IST LUMO!"), 0);
    EXPECT_EQ(link.send_to_calendar("OpenKal4"), 0);
    EXPECT_EQ(link.send_to_calendar("TS1000 07.12.2026 12:00 <M\xfcller>"), 0);
    pump();
    EXPECT_EQ(calendar_received,
              (std::vector<std::string>{"HALLO, HIER IST LUMO!", "OpenKal4", "TS1000 07.12.2026 12:00 <M\xfcller>"}));
}

TEST_F(TransportTest, NoCalendarWindowMeansNothingIsSent) {
    DestroyWindow(calendar_window);
    calendar_window = nullptr;
    Win32Transport transport(transfer_message);
    calendar::Link link(transport);
    EXPECT_EQ(link.send_to_calendar("OpenAlarm"), -1);
}

}  // namespace
}  // namespace lumo::win32

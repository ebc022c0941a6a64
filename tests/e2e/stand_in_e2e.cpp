// lumo.exe beside the real calendar stand-in (vornix.exe): the toolbar buttons
// follow the stand-in's windows, the greeting is answered with the windows
// already open, appointment requests land in the stand-in's file and outlive
// a restart, search requests list their matches, the stand-in's search box
// reaches lumo, closing the stand-in ends lumo, and lumo's appointment dialog
// enters the selected name into the chosen calendars.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "calendar/calendar_link.h"
#include "calendar/calendar_texts.h"
#include "e2e/harness.h"
#include "port/ids.h"
#include "settings/configuration.h"

namespace lumo::e2e {
namespace {

std::string module_folder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

std::string class_of(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string read_whole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// vornix.exe started from lumo's program folder with a request log.
class StandIn {
public:
    explicit StandIn(std::string folder) : folder_(std::move(folder)) {
        CopyFileA((module_folder() + "vornix.exe").c_str(), (folder_ + "vornix.exe").c_str(), FALSE);
    }
    ~StandIn() {
        if (running()) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        close_handles();
        DeleteFileA((folder_ + "vornix.exe").c_str());
        DeleteFileA((folder_ + "calendar.log").c_str());
        DeleteFileA((folder_ + "appointments.txt").c_str());
    }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    bool start() {
        close_handles();
        main_ = nullptr;
        std::string command = "\"" + folder_ + "vornix.exe\" --log calendar.log";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &startup,
                            &process_))
            return false;
        pump_until([&] { return (main_ = window_of_class("VORNIX")) != nullptr; });
        return main_ != nullptr;
    }
    bool running() const { return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    int wait_for_exit(DWORD ms = 15000) {
        pump_until([&] { return !running(); }, ms);
        DWORD code = 0;
        return GetExitCodeProcess(process_.hProcess, &code) && !running() ? static_cast<int>(code) : -1;
    }
    HWND main_window() const { return main_; }
    // Returns once the stand-in has finished what it was doing, so every
    // reply it posted is queued before anything the test posts afterwards.
    bool wait_idle() const {
        DWORD_PTR result = 0;
        return SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
    }

    // A visible top-level window of the stand-in of class `cls`.
    HWND window_of_class(const std::string& cls) const {
        struct Search {
            DWORD pid;
            std::string cls;
            HWND found;
        } search{process_.dwProcessId, cls, nullptr};
        EnumWindows(
            [](HWND hwnd, LPARAM lp) -> BOOL {
                auto* s = reinterpret_cast<Search*>(lp);
                DWORD pid = 0;
                GetWindowThreadProcessId(hwnd, &pid);
                if (pid != s->pid || !IsWindowVisible(hwnd) || class_of(hwnd) != s->cls) return TRUE;
                s->found = hwnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    HWND wait_for_window(const std::string& cls) const {
        HWND found = nullptr;
        pump_until([&] { return (found = window_of_class(cls)) != nullptr; });
        return found;
    }
    void click(int id) const { PostMessageA(main_, WM_COMMAND, static_cast<WPARAM>(id), 0); }
    std::string log() const { return read_whole(folder_ + "calendar.log"); }
    std::string appointments() const { return read_whole(folder_ + "appointments.txt"); }

private:
    void close_handles() {
        if (process_.hProcess) CloseHandle(process_.hProcess);
        if (process_.hThread) CloseHandle(process_.hThread);
        process_ = {};
    }

    std::string folder_;
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};

// Plays the address book's side of the link towards the stand-in, for the
// requests lumo's own dialogs send.
class TestSender final : public calendar::Transport {
public:
    bool find_calendar() override { return (calendar_ = FindWindowA("VORNIX", nullptr)) != nullptr; }
    void post(const calendar::WireMessage& m) override {
        PostMessageA(calendar_, message_, static_cast<WPARAM>(m.w), static_cast<LPARAM>(m.l));
    }
    void bring_calendar_to_front() override {}
    bool send(const std::string& text) { return link_.send_to_calendar(text) == 0; }

private:
    UINT message_ = RegisterWindowMessageA(std::string(calendar::transfer_message_name).c_str());
    HWND calendar_ = nullptr;
    calendar::Link link_{*this};
};

bool pressed(const Lumo& lumo, int button) {
    HWND control = lumo.frame_control(button);
    return control && (SendMessageA(control, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
}

bool wait_pressed(const Lumo& lumo, int button, bool state) {
    return pump_until([&] { return pressed(lumo, button) == state; }, 10000);
}

LRESULT list_count(HWND window) {
    HWND list = FindWindowExA(window, nullptr, "ListBox", nullptr);
    return list ? SendMessageA(list, LB_GETCOUNT, 0, 0) : -1;
}

void start_lumo(Lumo& lumo, const StandIn& stand_in) {
    ASSERT_TRUE(lumo.start());
    ASSERT_TRUE(lumo.wait_for_main_window()) << lumo.describe();
    ASSERT_TRUE(pump_until([&] { return stand_in.log().find("HALLO, HIER IST LUMO!") != std::string::npos; }))
        << stand_in.log();
    // The greeting's answer must be in lumo's queue before the test sends a
    // request: a send drops a report that is still arriving.
    ASSERT_TRUE(stand_in.wait_idle());
}

TEST(StandIn, ToolbarButtonsFollowTheCalendarWindows) {
    Lumo lumo;
    StandIn stand_in(lumo.folder());
    ASSERT_TRUE(stand_in.start());
    start_lumo(lumo, stand_in);
    EXPECT_FALSE(pressed(lumo, CMD_CALENDAR_2));

    lumo.post_command(CMD_CALENDAR_2);
    HWND month = stand_in.wait_for_window("VornixMonth");
    ASSERT_NE(month, nullptr);
    EXPECT_TRUE(wait_pressed(lumo, CMD_CALENDAR_2, true));
    lumo.post_command(CMD_ANALOG_CLOCK);
    HWND clock = stand_in.wait_for_window("VornixClock");
    ASSERT_NE(clock, nullptr);
    EXPECT_TRUE(wait_pressed(lumo, CMD_ANALOG_CLOCK, true));
    lumo.post_command(CMD_ALARM_WINDOW);
    ASSERT_NE(stand_in.wait_for_window("VornixList"), nullptr);
    EXPECT_TRUE(wait_pressed(lumo, CMD_ALARM_WINDOW, true));

    PostMessageA(month, WM_CLOSE, 0, 0);
    EXPECT_TRUE(wait_pressed(lumo, CMD_CALENDAR_2, false));
    PostMessageA(clock, WM_CLOSE, 0, 0);
    EXPECT_TRUE(wait_pressed(lumo, CMD_ANALOG_CLOCK, false));
    EXPECT_TRUE(pressed(lumo, CMD_ALARM_WINDOW));
    EXPECT_FALSE(pressed(lumo, CMD_CALENDAR_1));
    EXPECT_EQ(stand_in.log(), "HALLO, HIER IST LUMO!\nOpenKal2\nOpenGClock\nOpenAlarm\n");
}

TEST(StandIn, GreetingIsAnsweredWithTheWindowsAlreadyOpen) {
    Lumo lumo;
    StandIn stand_in(lumo.folder());
    ASSERT_TRUE(stand_in.start());
    stand_in.click(103);  // Calendar 3
    stand_in.click(105);  // Clock
    ASSERT_NE(stand_in.wait_for_window("VornixMonth"), nullptr);
    ASSERT_NE(stand_in.wait_for_window("VornixClock"), nullptr);
    start_lumo(lumo, stand_in);
    EXPECT_TRUE(wait_pressed(lumo, CMD_CALENDAR_3, true));
    EXPECT_TRUE(wait_pressed(lumo, CMD_ANALOG_CLOCK, true));
    for (int other : {CMD_CALENDAR_1, CMD_CALENDAR_2, CMD_CALENDAR_4, CMD_ALARM_WINDOW})
        EXPECT_FALSE(pressed(lumo, other)) << other;
}

TEST(StandIn, AppointmentsLandInTheFileOutliveARestartAndAreFound) {
    Lumo lumo;  // only for its folder
    StandIn stand_in(lumo.folder());
    ASSERT_TRUE(stand_in.start());
    TestSender sender;
    ASSERT_TRUE(sender.send("TS101006/12/2026 14.05 Birthday: <M\xfcller>"));
    ASSERT_TRUE(sender.send("TS100045/13/2003 12.00 <refused>"));
    ASSERT_TRUE(sender.send("TS01001.1.2027 9.30 <Dentist>"));
    const std::string expected =
        "# VORNIX appointments: calendar (1-4), date, time, text\r\n"
        "1 06.12.2026 14:05 Birthday: M\xfcller\r\n"
        "3 06.12.2026 14:05 Birthday: M\xfcller\r\n"
        "2 01.01.2027 09:30 Dentist\r\n";
    EXPECT_TRUE(pump_until([&] { return stand_in.appointments() == expected; })) << stand_in.appointments();

    PostMessageA(stand_in.main_window(), WM_CLOSE, 0, 0);
    ASSERT_EQ(stand_in.wait_for_exit(), 0);
    EXPECT_EQ(stand_in.appointments(), expected);
    ASSERT_TRUE(stand_in.start());
    ASSERT_TRUE(sender.send("XS3m\xdcller"));
    HWND found = stand_in.wait_for_window("VornixList");
    ASSERT_NE(found, nullptr);
    EXPECT_TRUE(pump_until([&] { return list_count(found) == 1; })) << list_count(found);
    ASSERT_TRUE(sender.send("XS2m\xfcller"));
    EXPECT_TRUE(pump_until([&] {
        HWND again = stand_in.window_of_class("VornixList");
        return again && again != found && list_count(again) == 0;
    }));
    EXPECT_EQ(stand_in.appointments(), expected);
}

TEST(StandIn, SearchBoxReachesLumoAndClosingTheCalendarEndsLumo) {
    Lumo lumo;
    StandIn stand_in(lumo.folder());
    ASSERT_TRUE(stand_in.start());
    start_lumo(lumo, stand_in);
    HWND edit = GetDlgItem(stand_in.main_window(), 110);
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Zebra"));
    stand_in.click(IDOK);
    // lumo's book is empty: its search says so.
    MessageBoxInfo box = lumo.wait_for_box("No adequate entry found!");
    ASSERT_NE(box.window, nullptr) << lumo.describe();
    lumo.answer(box, IDOK);

    PostMessageA(stand_in.main_window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(lumo.wait_for_exit(), 0) << lumo.describe();
    EXPECT_EQ(stand_in.wait_for_exit(), 0);
}

// A visible dialog of lumo's process that holds control `id`.
HWND wait_for_dialog_with(const Lumo& lumo, int id) {
    struct Search {
        int id;
        DWORD pid;
        HWND found;
    } search{id, 0, nullptr};
    GetWindowThreadProcessId(lumo.main_window(), &search.pid);
    pump_until([&] {
        EnumWindows(
            [](HWND hwnd, LPARAM lp) -> BOOL {
                auto* s = reinterpret_cast<Search*>(lp);
                DWORD pid = 0;
                GetWindowThreadProcessId(hwnd, &pid);
                if (pid != s->pid || class_of(hwnd) != "#32770" || !IsWindowVisible(hwnd) || !GetDlgItem(hwnd, s->id))
                    return TRUE;
                s->found = hwnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    return search.found;
}

TEST(StandIn, AppointmentDialogEntersTheSelectedNameIntoTheCalendars) {
    Lumo lumo;
    StandIn stand_in(lumo.folder());
    lumo.write_file("book.adr", "Miller John, 030 555\r\nMain Street 1\r\n\r\n");
    Settings settings;
    settings.save_configuration_automatically = 0;
    set_text(settings.file_name, lumo.folder() + "book.adr");
    const auto config = configuration_bytes(settings);
    lumo.write_file(std::string(configuration_file_name), std::string(config.begin(), config.end()));
    ASSERT_TRUE(stand_in.start());
    start_lumo(lumo, stand_in);
    ASSERT_TRUE(pump_until([&] { return GetDlgItem(lumo.main_window(), 2) != nullptr; })) << lumo.describe();

    lumo.post_command(CMD_APPOINTMENT);
    HWND dialog = wait_for_dialog_with(lumo, IDC_APPOINTMENT_OK);
    ASSERT_NE(dialog, nullptr) << lumo.describe();
    const auto set = [&](int id, const char* text) {
        SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    };
    set(IDC_DATE, "06/12/2026");
    set(IDC_TIME, "14.05");
    for (int i = 0; i < 4; ++i)
        SendMessageA(GetDlgItem(dialog, IDC_CALENDAR_FLAG_1 + i), BM_SETCHECK, i % 2 == 0 ? BST_CHECKED : BST_UNCHECKED,
                     0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_APPOINTMENT_OK, BN_CLICKED), 0);

    const std::string expected =
        "# VORNIX appointments: calendar (1-4), date, time, text\r\n"
        "1 06.12.2026 14:05 Miller John\r\n"
        "3 06.12.2026 14:05 Miller John\r\n";
    EXPECT_TRUE(pump_until([&] { return stand_in.appointments() == expected; })) << stand_in.appointments();
    EXPECT_NE(stand_in.log().find("TS101006/12/2026 14.05 <Miller John>\n"), std::string::npos) << stand_in.log();
}

}  // namespace
}  // namespace lumo::e2e

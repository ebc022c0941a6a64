// The frame's pieces on their real templates from lumo.exe: the bitmaps and
// cursors, the toolbar and status bar handing their messages to the main
// window procedure, the block question and the about box.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "port/ids.h"
#include "win32/about_box.h"
#include "win32/block_dialog.h"
#include "win32/frame_bars.h"
#include "win32/shell_resources.h"
#include "win32/tooltip_texts.h"

namespace lumo::win32 {
namespace {

std::string lumo_exe_path() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string result(path, length);
    result.erase(result.find_last_of("\\/") + 1);
    return result + "lumo.exe";
}

std::string text_of(HWND hwnd) {
    char text[256] = {};
    const int n = GetWindowTextA(hwnd, text, sizeof text);
    return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

void pump(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
}

class FramePieces : public ::testing::Test {
protected:
    void SetUp() override {
        // Loaded as a module (not a data file) so that dialogs can be made from it.
        image_ = LoadLibraryExA(lumo_exe_path().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
        ASSERT_NE(image_, nullptr);
        parent_ = CreateWindowExA(0, "STATIC", "parent", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                                  nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override {
        DestroyWindow(parent_);
        FreeLibrary(image_);
    }

    HINSTANCE image_ = nullptr;
    HWND parent_ = nullptr;
};

TEST_F(FramePieces, PicturesAndCursorsLoad) {
    ShellResources resources(image_);
    for (const ToolbarButton& button : toolbar_buttons) {
        HBITMAP picture = resources.toolbar_bitmap(button.command);
        ASSERT_NE(picture, nullptr) << "button " << button.command;
        BITMAP info{};
        GetObjectA(picture, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, 24);
        EXPECT_EQ(info.bmHeight, 24);
    }
    for (int direction = 0; direction < 4; ++direction) EXPECT_NE(resources.direction_bitmap(direction), nullptr);
    EXPECT_NE(resources.pattern_brush(), nullptr);
    EXPECT_NE(resources.remake_pattern_brush(), nullptr);
    for (int id : {IDB_LOGO, IDB_ABOUT, IDB_ABOUT_GERMAN}) {
        HANDLE picture = LoadImageA(image_, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0);
        EXPECT_NE(picture, nullptr) << "bitmap " << id;
        DeleteObject(picture);
    }
    struct Expected {
        int id;
        DWORD hot_x, hot_y;
    };
    for (Expected cursor : {Expected{IDCUR_POINTING_HAND, 0, 0}, Expected{IDCUR_GRAB_HAND, 9, 7}}) {
        HCURSOR loaded = LoadCursorA(image_, MAKEINTRESOURCEA(cursor.id));
        ASSERT_NE(loaded, nullptr) << "cursor " << cursor.id;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(loaded, &info));
        EXPECT_EQ(info.xHotspot, cursor.hot_x);
        EXPECT_EQ(info.yHotspot, cursor.hot_y);
        DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
    }
}

TEST_F(FramePieces, BarsHandEveryMessageToTheMainProcedure) {
    struct Seen {
        HWND window;
        UINT msg;
        int id;
    };
    std::vector<Seen> seen;
    FrameBars bars([&](HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        if (msg == WM_COMMAND) seen.push_back({hwnd, msg, LOWORD(wp)});
        return DefWindowProcA(hwnd, msg, wp, lp);
    });
    ASSERT_TRUE(bars.create(image_, parent_));

    // 235 x 36 dialog units; the status bar lies at (0, 0).
    RECT units{0, 0, 235, 36};
    MapDialogRect(bars.toolbar(), &units);
    EXPECT_EQ(bars.toolbar_width(), units.right + 1);
    EXPECT_EQ(bars.toolbar_height(), units.bottom + 1);
    RECT status{};
    GetWindowRect(bars.status_bar(), &status);
    MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&status), 2);
    EXPECT_EQ(status.left, 0);
    EXPECT_EQ(status.top, 0);
    EXPECT_FALSE(IsWindowEnabled(bars.status_bar()));
    EXPECT_NE(GetDlgItem(bars.status_bar(), IDC_STATUS_TEXT), nullptr);

    bars.fit_toolbar(500);
    RECT toolbar{};
    GetClientRect(bars.toolbar(), &toolbar);
    EXPECT_EQ(toolbar.right, 500);

    // A button click and a click on the logo arrive as commands from the toolbar.
    SendDlgItemMessageA(bars.toolbar(), CMD_CALENDAR_3, BM_CLICK, 0, 0);
    SendMessageA(bars.toolbar(), WM_COMMAND, MAKEWPARAM(IDC_LOGO, STN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(bars.toolbar(), IDC_LOGO)));
    pump(50);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].window, bars.toolbar());
    EXPECT_EQ(seen[0].id, CMD_CALENDAR_3);
    EXPECT_EQ(seen[1].id, CMD_INFO);

    ShellResources resources(image_);
    bars.set_button_pictures(resources);
    for (const ToolbarButton& button : toolbar_buttons)
        EXPECT_EQ(reinterpret_cast<HBITMAP>(SendDlgItemMessageA(bars.toolbar(), button.command, BM_GETIMAGE,
                                                                IMAGE_BITMAP, 0)),
                  resources.toolbar_bitmap(button.command));

    // Every picture has a tooltip in the words and keys of its menu item.
    const std::map<int, std::string> expected{
        {CMD_CALENDAR_1, "Calendar 1 (Ctrl+F1)"},
        {CMD_CALENDAR_2, "Calendar 2 (Ctrl+F2)"},
        {CMD_CALENDAR_3, "Calendar 3 (Ctrl+F3)"},
        {CMD_CALENDAR_4, "Calendar 4 (Ctrl+F4)"},
        {IDC_LOGO, "Info (Ctrl+I)"},
        {CMD_ANALOG_CLOCK, "AnalogClock (Ctrl+F5)"},
        {CMD_ALARM_WINDOW, "Alarm window (Ctrl+F10)"},
        {CMD_APPOINTMENT, "Make entry in VORNIX (Ctrl+T)"},
        {CMD_CALENDAR_SEARCH, "Searching in VORNIX (Alt+X)"},
        {CMD_ADDRESS_FIELD, "Address -> Addressfield (Alt+C)"},
    };
    ASSERT_NE(bars.tooltips(), nullptr);
    EXPECT_EQ(tooltip_texts(bars.tooltips()), expected);
    // The tooltip window goes with the window that owns the toolbar.
    EXPECT_EQ(GetWindow(bars.tooltips(), GW_OWNER), parent_);
}

// Presses `button` in the dialog captioned "VORNIX-Lumo:" once it shows.
std::thread press_in_question(int button) {
    return std::thread([button] {
        for (int i = 0; i < 500; ++i) {
            if (HWND dialog = FindWindowA("#32770", "VORNIX-Lumo:")) {
                PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0);
                return;
            }
            Sleep(10);
        }
    });
}

TEST_F(FramePieces, BlockQuestionTellsBlockAllAndClosed) {
    struct Case {
        int button;
        BlockChoice expected;
    };
    for (Case c : {Case{IDC_BLOCK, BlockChoice::block}, Case{IDC_ALL, BlockChoice::all},
                   Case{IDCANCEL, BlockChoice::closed}}) {
        std::thread presser = press_in_question(c.button);
        EXPECT_EQ(run_block_dialog(image_, parent_), c.expected) << "button " << c.button;
        presser.join();
    }
}

TEST_F(FramePieces, AboutBoxOpensOnceAndClosesOnItsButton) {
    HWND main = parent_;
    AboutBox about(image_, main);
    about.show();
    HWND box = about.window();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(text_of(box), "VORNIX-Lumo-Info");
    EXPECT_TRUE(IsWindowVisible(box));
    RECT r{};
    GetWindowRect(box, &r);
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);

    about.show();  // a second Info command brings the same box forward
    EXPECT_EQ(about.window(), box);

    MSG key{box, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(about.takes(key));
    PostMessageA(box, WM_COMMAND, IDC_ABOUT_OK, 0);
    pump(50);
    EXPECT_EQ(about.window(), nullptr);
    EXPECT_FALSE(IsWindow(box));
}

}  // namespace
}  // namespace lumo::win32

// The Edit and Window menus of the real lumo.exe with the real clipboard:
// Select all and Copy, Paste of a messy text, Cut of marked entries, Undo
// twice, the address field, and the arrangement commands.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "data/store.h"
#include "e2e/books.h"
#include "app/frame_logic.h"
#include "e2e/harness.h"
#include "port/ids.h"
#include "settings/configuration.h"

namespace lumo::e2e {
namespace {

std::string clipboard_text() {
    std::string text;
    for (int tries = 0; tries < 100 && !OpenClipboard(nullptr); ++tries) Sleep(10);
    if (HANDLE block = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(block))) {
            text = bytes;
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return text;
}

bool put_on_clipboard(const std::string& text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!block) return false;
    char* bytes = static_cast<char*>(GlobalLock(block));
    text.copy(bytes, text.size());
    bytes[text.size()] = '\0';
    GlobalUnlock(block);
    if (!OpenClipboard(nullptr)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    const bool done = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    if (!done) GlobalFree(block);
    return done;
}

const std::string three = book({"Anton A\r\nStreet 1", "Berta B\r\nStreet 2", "Caesar C\r\nStreet 3"});

class Commands : public ::testing::Test {
protected:
    std::string path() const { return lumo.folder() + "book.adr"; }

    void start_with(const std::string& bytes) {
        ASSERT_EQ(start_on_book(lumo, calendar, bytes), "");
        pump_for(300);
    }

    // Saves under the file's name and returns what was written.
    std::string save() {
        lumo.post_command(CMD_SAVE);
        EXPECT_TRUE(lumo.wait_until([&] { return lumo.title() == title_for(path()); })) << lumo.title();
        return lumo.read_file("book.adr");
    }

    // Alt with a key, as the accelerators know it.
    void press_alt(int vk) {
        INPUT alt[2]{};
        alt[0].type = alt[1].type = INPUT_KEYBOARD;
        alt[0].ki.wVk = alt[1].ki.wVk = VK_MENU;
        alt[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(1, &alt[0], sizeof(INPUT));
        pump_for(100);
        lumo.press_key(vk);
        SendInput(1, &alt[1], sizeof(INPUT));
        pump_for(100);
    }

    // Runs a key combination and waits for the clipboard to change.
    std::string copied_by(int vk, bool ctrl, bool alt = false, bool shift = false) {
        put_on_clipboard("-");
        if (alt) {
            press_alt(vk);
        } else {
            lumo.press_key(vk, ctrl, shift);
        }
        std::string text;
        lumo.wait_until([&] { return (text = clipboard_text()) != "-"; }, 5000);
        return text;
    }

    // Waits for the status bar to show `count` entries.
    bool entries_shown(std::int32_t count) const {
        const auto text = format_entries_status(count);
        return lumo.wait_until([&] { return lumo.status_text() == std::string(text.data(), text.size()); });
    }

    void quit_without_saving() { EXPECT_EQ(lumo.quit_discarding_changes(), 0) << lumo.describe(); }

    FakeCalendar calendar;
    Lumo lumo;
};

TEST_F(Commands, SelectAllAndCopyInTheDataViewGiveTheWholeEntry) {
    start_with(three);
    lumo.press_key(VK_TAB);
    lumo.press_key('A', true);
    EXPECT_EQ(copied_by('C', true), "Anton A\r\nStreet 1");
    quit_without_saving();
}

TEST_F(Commands, PastedTextArrivesCleanedInTheSavedFile) {
    start_with(three);
    lumo.press_key(VK_TAB);
    lumo.press_key(VK_END);
    ASSERT_TRUE(put_on_clipboard("\tx\r\n\r\ny\r\n"));
    lumo.press_key('V', true);
    EXPECT_EQ(save(), book({"Anton A x\r\n \r\ny\r\n \r\nStreet 1", "Berta B\r\nStreet 2", "Caesar C\r\nStreet 3"}));
    quit_without_saving();
}

// Save drops the undo snapshot, so the steps are followed by the status
// bar's entry count and only the end is saved.
TEST_F(Commands, CutOfMarkedEntriesAndUndoTwice) {
    start_with(three);
    lumo.press_key(VK_DOWN, false, true);
    EXPECT_EQ(copied_by('X', true), book({"Anton A\r\nStreet 1", "Berta B\r\nStreet 2"}));
    EXPECT_TRUE(entries_shown(1)) << lumo.status_text();

    lumo.press_key('Z', true);
    EXPECT_TRUE(entries_shown(3)) << "Undo brings the entries back";
    lumo.press_key('Z', true);
    EXPECT_TRUE(entries_shown(1)) << "a second Undo takes them away again";
    EXPECT_EQ(save(), book({"Caesar C\r\nStreet 3"}));
    quit_without_saving();
}

// The Windows clipboard keys do what Ctrl+C, Ctrl+X and Ctrl+V do; plain
// Insert still makes a new entry.
TEST_F(Commands, CtrlInsertCopiesShiftDeleteCutsShiftInsertPastes) {
    start_with(three);
    const std::string two = book({"Anton A\r\nStreet 1", "Berta B\r\nStreet 2"});
    lumo.press_key(VK_DOWN, false, true);
    EXPECT_EQ(copied_by(VK_INSERT, true), two);
    EXPECT_TRUE(entries_shown(3)) << "Ctrl+Insert made no entry";
    EXPECT_EQ(copied_by(VK_DELETE, false, false, true), two);
    EXPECT_TRUE(entries_shown(1)) << lumo.status_text();

    lumo.press_key(VK_TAB);
    lumo.press_key(VK_END);
    ASSERT_TRUE(put_on_clipboard("xyz"));
    lumo.press_key(VK_INSERT, false, true);
    EXPECT_EQ(save(), book({"Caesar Cxyz\r\nStreet 3"}));

    lumo.press_key(VK_INSERT);
    EXPECT_TRUE(entries_shown(2)) << lumo.status_text();
    quit_without_saving();
}

TEST_F(Commands, AddressFieldPutsTheLabelOnTheClipboard) {
    start_with(book({"Miller John, 030 555\r\nMain Street 1\r\nSpringfield"}));
    EXPECT_EQ(copied_by('C', false, true), "John Miller\r\nMain Street 1\r\n\r\nSpringfield\r\n");
    quit_without_saving();
}

// The views lie exactly where the placement formula puts them, whatever the
// window's size: the formula's remainders decide single pixels.
TEST_F(Commands, OneUponTheOtherAndSideBySideFollowThePlacementExactly) {
    start_with(three);
    const HWND main = lumo.main_window();
    const HWND toolbar = GetParent(lumo.frame_control(CMD_CALENDAR_1));
    ASSERT_NE(toolbar, nullptr);
    auto client_rect = [&](int id) {
        RECT r{};
        GetWindowRect(lumo.view(id), &r);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
    };
    // lumo has moved the toolbar to its height T (the template's height + 1).
    auto placed = [&](std::uint8_t arrangement) {
        RECT client{}, bar{};
        GetClientRect(main, &client);
        GetWindowRect(toolbar, &bar);
        const auto expected = view_placement(arrangement, client.right, client.bottom, bar.bottom - bar.top);
        return expected && client_rect(1) == expected->overview && client_rect(2) == expected->data_view;
    };
    auto describe = [&] {
        RECT client{};
        GetClientRect(main, &client);
        const Rect o = client_rect(1), d = client_rect(2);
        return "client " + std::to_string(client.right) + "x" + std::to_string(client.bottom) + ", overview " +
               std::to_string(o.y) + "+" + std::to_string(o.height) + ", data view " + std::to_string(d.y) + "+" +
               std::to_string(d.height);
    };
    for (const auto& [command, arrangement] : {std::pair{CMD_ONE_UPON_OTHER, arrangement::one_upon_the_other},
                                              std::pair{CMD_SIDE_BY_SIDE, arrangement::side_by_side}}) {
        lumo.post_command(command);
        EXPECT_TRUE(lumo.wait_until([&] { return placed(arrangement); })) << describe();
        for (const int height : {500, 501, 502, 503, 507}) {
            SetWindowPos(main, nullptr, 0, 0, 640 + height % 7, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            EXPECT_TRUE(lumo.wait_until([&] { return placed(arrangement); }, 3000)) << height << ": " << describe();
        }
    }
    quit_without_saving();
}

TEST_F(Commands, ArrangementCommandsPlaceTheViewsAndAreKept) {
    start_with(three);
    auto rect = [&](int id) {
        RECT r{};
        GetWindowRect(lumo.view(id), &r);
        return r;
    };
    auto one_upon_the_other = [&] { return rect(1).left == rect(2).left && rect(1).top < rect(2).top; };
    auto side_by_side = [&] { return rect(1).top == rect(2).top && rect(1).left < rect(2).left; };

    lumo.post_command(CMD_ONE_UPON_OTHER);
    EXPECT_TRUE(lumo.wait_until(one_upon_the_other));
    lumo.post_command(CMD_SIDE_BY_SIDE);
    EXPECT_TRUE(lumo.wait_until(side_by_side));

    // The same command again switches the arrangement off; the views stay.
    const RECT before = rect(2);
    lumo.post_command(CMD_SIDE_BY_SIDE);
    lumo.post_command(CMD_ONE_UPON_OTHER);
    EXPECT_TRUE(lumo.wait_until(one_upon_the_other));
    lumo.post_command(CMD_ONE_UPON_OTHER);
    pump_for(300);
    EXPECT_TRUE(one_upon_the_other());
    const RECT after = rect(2);
    EXPECT_FALSE(EqualRect(&before, &after));
    quit_without_saving();

    // Menu check marks belong to lumo's process; the arrangement they show is
    // what the configuration keeps at the end: switched off.
    const std::string bytes = lumo.read_file(std::string(configuration_file_name));
    Settings saved = default_settings(LogFont{});
    load_configuration(saved, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    EXPECT_EQ(saved.window_arrangement, arrangement::free_placement);
}

TEST_F(Commands, PrintCalledOffPrintsNothingAndKeysWorkAfterwards) {
    start_with(three);
    lumo.press_key('P', true);
    // Without a printer the print dialog only says so; with one (test.sh
    // sets up a PDF printer) it is cancelled.
    HWND answered = nullptr;
    ASSERT_TRUE(lumo.wait_until(
        [&] {
            if (const MessageBoxInfo note = lumo.wait_for_box("printer", 100); note.window) {
                lumo.answer(note, IDOK);
                answered = note.window;
            } else if (HWND dialog = lumo.wait_for_dialog("Print", 100)) {
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                answered = dialog;
            }
            return answered != nullptr;
        },
        30000))
        << lumo.describe();
    ASSERT_TRUE(lumo.wait_until([&] { return !IsWindow(answered); })) << lumo.describe();
    // Nothing was printed and the program takes keys again.
    ASSERT_TRUE(lumo.bring_to_front());
    lumo.press_key(VK_TAB);
    lumo.press_key('A', true);
    EXPECT_EQ(copied_by('C', true), "Anton A\r\nStreet 1");
    EXPECT_EQ(lumo.status_text(), "       3 Entries");
    quit_without_saving();
}

TEST_F(Commands, ColoursDialogOpensOnItsTemplateAndCancelCloses) {
    start_with(three);
    lumo.post_command(CMD_COLOURS);
    HWND dialog = nullptr;
    ASSERT_TRUE(lumo.wait_until([&] {
        dialog = lumo.wait_for_dialog("VORNIX-Lumo:", 200);
        return dialog && GetDlgItem(dialog, IDC_COLOUR_DATA_VIEW_BACKGROUND);
    })) << lumo.describe();
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(lumo.wait_until([&] { return !IsWindow(dialog); })) << lumo.describe();
    EXPECT_TRUE(lumo.responsive());
    quit_without_saving();
}

}  // namespace
}  // namespace lumo::e2e

// The data view of the real lumo.exe, driven as a user drives it: a new
// entry typed and sorted in, lines split and joined with Enter, Backspace
// and Delete, the 255-character limit, blocks marked with Shift and by a
// double click, and the page and Ctrl keys. Every result is read back from
// the saved file.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "data/window_title.h"
#include "e2e/books.h"
#include "e2e/harness.h"
#include "e2e/view_layout.h"
#include "port/ids.h"
#include "settings/configuration.h"

namespace lumo::e2e {
namespace {

constexpr int data_view_id = 2;

void send_mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

class DataViewE2e : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return lumo.folder() + name; }

    // Starts lumo on `bytes` as "book.adr" and makes the data view active.
    void start_with(const std::string& bytes) {
        Settings settings = default_settings(LogFont{});
        settings.data_view_font = system_font_setting();
        ASSERT_EQ(start_on_book(lumo, calendar, bytes, settings), "");
    }

    // Tab from the overview makes the data view the active view.
    void to_data_view() { lumo.press_key(VK_TAB); }

    // Saves (the file has a name, so nothing is asked) and returns the file.
    std::string save() {
        lumo.post_command(CMD_SAVE);
        EXPECT_TRUE(lumo.wait_until([&] { return lumo.title() == title_for(path("book.adr"), ' '); }))
            << lumo.title();
        return lumo.read_file("book.adr");
    }

    void keys(std::initializer_list<int> codes, bool ctrl = false, bool shift = false) {
        for (int code : codes) lumo.press_key(code, ctrl, shift);
    }

    // A real double click at a client point of the data view.
    void double_click(int x, int y) {
        lumo.bring_to_front();
        POINT p{x, y};
        ClientToScreen(lumo.view(data_view_id), &p);
        SetCursorPos(p.x, p.y);
        pump_for(100);
        for (int click = 0; click < 2; ++click) {
            send_mouse(MOUSEEVENTF_LEFTDOWN);
            send_mouse(MOUSEEVENTF_LEFTUP);
        }
        pump_for(600);
    }

    void quit() {
        lumo.post_command(CMD_QUIT);
        EXPECT_TRUE(calendar.wait_for("LumoQuit")) << lumo.describe();
        EXPECT_EQ(lumo.wait_for_exit(), 0) << lumo.describe();
    }

    FakeCalendar calendar;
    Lumo lumo;
    ViewLayout metrics;
};

TEST_F(DataViewE2e, ANewEntryIsTypedAndSortedIn) {
    start_with(book({"Berta", "Dora"}));
    lumo.post_command(CMD_NEW_ENTRY);
    pump_for(300);
    lumo.type_text("Carl");
    keys({VK_TAB});  // to the overview, which sorts
    EXPECT_EQ(save(), book({"Berta", "Carl", "Dora"}));

    // The Insert key does the same from the overview.
    lumo.press_key(VK_INSERT);
    lumo.type_text("Anton");
    keys({VK_TAB});
    EXPECT_EQ(save(), book({"Anton", "Berta", "Carl", "Dora"}));
    quit();
}

TEST_F(DataViewE2e, EnterBackspaceAndDeleteSplitAndJoinLines) {
    start_with(book({"Anna\r\nline one"}));
    to_data_view();
    // Enter at the end of a line adds a blank line; typing replaces its blank.
    keys({VK_DOWN, VK_END, VK_RETURN});
    lumo.type_text("x");
    EXPECT_EQ(save(), book({"Anna\r\nline one\r\nx"}));

    // Backspace at the start of a line joins it to the line above; Enter in
    // the middle splits it again; Delete at a line's end joins the next.
    keys({VK_HOME, VK_BACK});
    EXPECT_EQ(save(), book({"Anna\r\nline onex"}));
    keys({VK_RETURN});
    EXPECT_EQ(save(), book({"Anna\r\nline one\r\nx"}));
    keys({VK_UP, VK_END, VK_DELETE});
    EXPECT_EQ(save(), book({"Anna\r\nline onex"}));

    // Enter at column 0 puts a blank line before; Delete on it removes it.
    keys({VK_HOME, VK_RETURN});
    EXPECT_EQ(save(), book({"Anna\r\n \r\nline onex"}));
    keys({VK_UP, VK_HOME, VK_DELETE});
    EXPECT_EQ(save(), book({"Anna\r\nline onex"}));

    // Backspace at column 1 of a blank line only steps left; the next one
    // removes the line and the caret ends on the line above.
    keys({VK_END, VK_RETURN, VK_RIGHT, VK_BACK, VK_BACK});
    lumo.type_text("!");
    EXPECT_EQ(save(), book({"Anna\r\nline onex!"}));
    quit();
}

TEST_F(DataViewE2e, LinesLongerThan255CharactersAreRefused) {
    const std::string full(255, 'a');
    const std::string long_line(200, 'b');
    const std::string next(60, 'c');
    start_with(book({"Anna\r\n" + full + "\r\n" + long_line + "\r\n" + next}));
    to_data_view();
    keys({VK_DOWN, VK_END});
    lumo.type_text("z");
    MessageBoxInfo box = lumo.wait_for_box("Line would be longer than 255 characters!");
    ASSERT_NE(box.window, nullptr) << lumo.describe();
    EXPECT_EQ(box.caption, "VORNIX-Lumo:");
    lumo.answer(box, IDOK);
    ASSERT_TRUE(lumo.wait_until([&] { return !IsWindow(box.window); }));

    // Joining 200 and 60 characters is refused as well.
    keys({VK_DOWN, VK_END, VK_DELETE});
    box = lumo.wait_for_box("Line would be longer than 255 characters!");
    ASSERT_NE(box.window, nullptr) << lumo.describe();
    lumo.answer(box, IDOK);
    ASSERT_TRUE(lumo.wait_until([&] { return !IsWindow(box.window); }));

    keys({VK_HOME}, true);
    lumo.type_text("Z");
    EXPECT_EQ(save(), book({"ZAnna\r\n" + full + "\r\n" + long_line + "\r\n" + next}));
    quit();
}

TEST_F(DataViewE2e, ShiftArrowsMarkABlockThatDeleteRemoves) {
    start_with(book({"Anna\r\nabcdef\r\nghij"}));
    to_data_view();
    keys({VK_DOWN, VK_RIGHT});
    keys({VK_RIGHT, VK_RIGHT, VK_RIGHT}, false, true);
    keys({VK_DELETE});
    EXPECT_EQ(save(), book({"Anna\r\naef\r\nghij"}));

    // Saving sorted the book, which put the caret back on the heading. A
    // block across a line break joins what is left of both lines.
    keys({VK_DOWN, VK_RIGHT});
    keys({VK_DOWN}, false, true);
    keys({VK_DELETE});
    EXPECT_EQ(save(), book({"Anna\r\nahij"}));
    quit();
}

TEST_F(DataViewE2e, ADoubleClickMarksAWordThatTypingReplaces) {
    start_with(book({"Anna\r\nfoo barbaz qux"}));
    to_data_view();
    const int x = 1 + metrics.width_of("foo bar");
    double_click(x, metrics.line_y(1));
    lumo.type_text("X");
    EXPECT_EQ(save(), book({"Anna\r\nfoo X qux"})) << lumo.describe();

    // On a blank a double click marks nothing: Delete removes one character.
    double_click(1 + metrics.width_of("foo X") + 2, metrics.line_y(1));
    keys({VK_DELETE});
    EXPECT_EQ(save(), book({"Anna\r\nfoo Xqux"}));
    quit();
}

TEST_F(DataViewE2e, AClickPlacesTheCaretAndPressingAndDraggingMarks) {
    start_with(book({"Anna\r\nabcdefgh"}));
    // A click activates the view and puts the caret before the character
    // whose left edge is nearest right of the mouse.
    const auto column_x = [&](const std::string& before) { return 2 + metrics.width_of(before); };
    const int y = metrics.line_y(1);
    lumo.click_view(data_view_id, column_x("abc"), y);
    lumo.type_text("X");
    EXPECT_EQ(save(), book({"Anna\r\nabcXdefgh"}));

    // Held and dragged: the block runs from the press to the release.
    lumo.drag_view(data_view_id, column_x("a"), y, column_x("abcXd"), y);
    keys({VK_DELETE});
    EXPECT_EQ(save(), book({"Anna\r\naefgh"}));

    // Shift+click marks from the caret to the click.
    lumo.click_view(data_view_id, column_x("a"), y);
    lumo.click_view(data_view_id, column_x("aef"), y, true);
    keys({VK_DELETE});
    EXPECT_EQ(save(), book({"Anna\r\nagh"}));
    quit();
}

TEST_F(DataViewE2e, PageKeysAndCtrlHomeEndMoveTheCaret) {
    std::string entry = "Anna";
    for (int i = 1; i <= 80; ++i) entry += "\r\nline " + std::to_string(i);
    start_with(book({entry}));
    to_data_view();
    RECT client{};
    GetClientRect(lumo.view(data_view_id), &client);
    const int visible_rows = client.bottom / metrics.line_height;
    ASSERT_GT(visible_rows, 4);

    keys({VK_END}, true);
    lumo.type_text("E");
    keys({VK_HOME}, true);
    lumo.type_text("H");
    // From line 1 a page down moves the caret by the rows that scroll.
    keys({VK_DOWN, VK_HOME, VK_NEXT});
    lumo.type_text("P");
    // Down a page and up again: back on the same line, one column on.
    keys({VK_NEXT, VK_PRIOR});
    lumo.type_text("Q");

    std::string expected = "HAnna";
    const int paged = 1 + (visible_rows - 3);
    for (int i = 1; i <= 80; ++i) {
        expected += "\r\n";
        if (i == paged) expected += "PQ";
        expected += "line " + std::to_string(i);
        if (i == 80) expected += "E";
    }
    EXPECT_EQ(save(), book({expected}));
    quit();
}

}  // namespace
}  // namespace lumo::e2e

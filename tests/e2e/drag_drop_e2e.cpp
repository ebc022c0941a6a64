// Drag and drop in the real lumo.exe, through OLE's drag loop with the real
// mouse: a marked block of the data view moved and, with Ctrl, copied to
// another line, and entries marked in the overview dropped into the data
// view. Every result is read back from the saved file.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "e2e/books.h"
#include "e2e/harness.h"
#include "e2e/view_layout.h"
#include "port/ids.h"
#include "settings/configuration.h"

namespace lumo::e2e {
namespace {

constexpr int overview_id = 1;
constexpr int data_view_id = 2;

// The screen's pixels of a client rectangle of a window, row by row.
std::vector<COLORREF> screen_pixels(HWND window, const RECT& client) {
    std::vector<COLORREF> pixels;
    HDC screen = GetDC(nullptr);
    for (int y = client.top; y < client.bottom; ++y) {
        for (int x = client.left; x < client.right; ++x) {
            POINT p{x, y};
            ClientToScreen(window, &p);
            pixels.push_back(GetPixel(screen, p.x, p.y) & 0xFFFFFF);
        }
    }
    ReleaseDC(nullptr, screen);
    return pixels;
}

// How many pixels of `now` are the inversion of those in `before`.
int inverted_count(const std::vector<COLORREF>& before, const std::vector<COLORREF>& now) {
    int count = 0;
    for (std::size_t i = 0; i < before.size() && i < now.size(); ++i)
        if (now[i] == (~before[i] & 0xFFFFFF)) ++count;
    return count;
}

class DragDropE2e : public ::testing::Test {
protected:
    std::string path() const { return lumo.folder() + "book.adr"; }

    void start_with(const std::string& bytes) {
        Settings settings = default_settings(LogFont{});
        settings.data_view_font = system_font_setting();
        ASSERT_EQ(start_on_book(lumo, calendar, bytes, settings), "");
    }

    // Marks `count` characters of line 1 from `column` with Shift+Right.
    void mark_on_line_1(int column, int count) {
        lumo.press_key(VK_TAB);  // the data view becomes active
        lumo.press_key(VK_DOWN);
        for (int i = 0; i < column; ++i) lumo.press_key(VK_RIGHT);
        for (int i = 0; i < count; ++i) lumo.press_key(VK_RIGHT, false, true);
    }

    // Saves once the drop has marked the book modified; returns the file.
    std::string save_after_drop() {
        EXPECT_TRUE(lumo.wait_until([&] { return lumo.title() == title_for(path(), '*'); }, 5000))
            << lumo.title();
        lumo.post_command(CMD_SAVE);
        EXPECT_TRUE(lumo.wait_until([&] { return lumo.title() == title_for(path(), ' '); })) << lumo.describe();
        return lumo.read_file("book.adr");
    }

    void TearDown() override { lumo.quit_discarding_changes(); }

    FakeCalendar calendar;
    Lumo lumo;
    ViewLayout layout;
};

TEST_F(DragDropE2e, ABlockDraggedToAnotherLineMoves) {
    start_with(book({"Anna\r\nabcdefgh\r\nsecond line"}));
    mark_on_line_1(1, 3);  // "bcd"
    // While the mouse rests over the drop position, the caret is drawn
    // there: two inverted pixel columns behind "sec" on line 2.
    const int caret_x = layout.width_of("sec");
    const int top = layout.line_y(2) - layout.line_height / 2;
    const RECT caret{caret_x, top + 1, caret_x + 2, top + layout.line_height - 1};
    HWND data_view = lumo.view(data_view_id);
    const std::vector<COLORREF> before = screen_pixels(data_view, caret);
    int inverted = 0;
    ASSERT_TRUE(lumo.drag_and_drop(data_view_id, layout.column_x("ab"), layout.line_y(1), data_view_id,
                                   layout.column_x("sec"), layout.line_y(2), false,
                                   [&] { inverted = inverted_count(before, screen_pixels(data_view, caret)); }))
        << lumo.describe();
    EXPECT_EQ(inverted, static_cast<int>(before.size()));
    EXPECT_EQ(save_after_drop(), book({"Anna\r\naefgh\r\nsecbcdond line"}));
}

TEST_F(DragDropE2e, ABlockMovedAlongItsOwnLineLeavesTheCaretBehindIt) {
    start_with(book({"Anna\r\nabcdefgh"}));
    mark_on_line_1(1, 3);  // "bcd", dropped between "f" and "g"
    ASSERT_TRUE(lumo.drag_and_drop(data_view_id, layout.column_x("ab"), layout.line_y(1), data_view_id,
                                   layout.column_x("abcdef"), layout.line_y(1)))
        << lumo.describe();
    EXPECT_TRUE(lumo.wait_until([&] { return lumo.title() == title_for(path(), '*'); }, 5000)) << lumo.title();
    lumo.type_text("!");
    EXPECT_EQ(save_after_drop(), book({"Anna\r\naefbcd!gh"}));
}

TEST_F(DragDropE2e, ABlockDraggedWithCtrlIsCopied) {
    start_with(book({"Anna\r\nabcdefgh\r\nsecond line"}));
    mark_on_line_1(1, 3);
    ASSERT_TRUE(lumo.drag_and_drop(data_view_id, layout.column_x("ab"), layout.line_y(1), data_view_id,
                                   layout.column_x("sec"), layout.line_y(2), true))
        << lumo.describe();
    EXPECT_EQ(save_after_drop(), book({"Anna\r\nabcdefgh\r\nsecbcdond line"}));
}

TEST_F(DragDropE2e, EntriesDraggedFromTheOverviewAreInsertedAtTheDropPosition) {
    start_with(book({"Anna\r\nx", "Bert\r\ny"}));
    // Held on the first row without moving: that entry alone is marked.
    lumo.drag_view(overview_id, 10, layout.row_y(0), 10, layout.row_y(0));
    ASSERT_TRUE(lumo.drag_and_drop(overview_id, 10, layout.row_y(0), data_view_id, layout.column_x("x"),
                                   layout.line_y(1)))
        << lumo.describe();
    // The empty line that ends the dropped entry keeps a blank, so the
    // entry it lands in is not split.
    EXPECT_EQ(save_after_drop(), book({"Anna\r\nxAnna\r\nx\r\n \r\n ", "Bert\r\ny"}));
}

}  // namespace
}  // namespace lumo::e2e

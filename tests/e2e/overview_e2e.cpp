// The Overview of the real lumo.exe driven with keys, typed text and mouse
// clicks: the selected entry is found out by deleting it and saving, which
// leaves exactly that entry missing from the file.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/harness.h"
#include "e2e/view_layout.h"
#include "port/ids.h"
#include "settings/configuration.h"

namespace lumo::e2e {
namespace {

std::string book(const std::vector<std::string>& headings) {
    std::string text;
    for (const auto& heading : headings) text += heading + "\r\nSome Street 1\r\n\r\n";
    return text;
}

std::vector<std::string> numbered(int count) {
    std::vector<std::string> headings;
    for (int i = 0; i < count; ++i) headings.push_back("Entry " + std::to_string(100 + i));
    return headings;
}

std::vector<std::string> without(std::vector<std::string> headings, std::vector<int> gone) {
    // Highest first, so the earlier indexes stay valid.
    std::sort(gone.rbegin(), gone.rend());
    for (int i : gone) headings.erase(headings.begin() + i);
    return headings;
}

class OverviewE2e : public ::testing::Test {
protected:
    void start_with(const std::vector<std::string>& headings) {
        headings_ = headings;
        original_ = book(headings);
        ASSERT_EQ(start_on_book(lumo, calendar, original_), "");
        pump_for(300);
    }

    // The overview's visible rows, as lumo counts them.
    int visible_rows() const {
        RECT client{};
        GetClientRect(lumo.view(1), &client);
        return client.bottom / layout.overview_row_height;
    }

    // Delete asks first; Yes removes.
    void delete_answering_yes(const std::string& question) {
        lumo.press_key(VK_DELETE);
        MessageBoxInfo box = lumo.wait_for_box(question);
        ASSERT_NE(box.window, nullptr) << lumo.describe();
        EXPECT_EQ(box.caption, "VORNIX-Lumo:");
        lumo.answer(box, IDYES);
        pump_for(300);
    }

    // Saves and expects the file to hold exactly `headings`.
    void expect_saved(const std::vector<std::string>& headings) {
        lumo.post_command(CMD_SAVE);
        const std::string expected = book(headings);
        EXPECT_TRUE(lumo.wait_until([&] { return lumo.read_file("book.adr") == expected; }, 8000))
            << "saved:\n" << lumo.read_file("book.adr") << "\n" << lumo.describe();
    }

    void TearDown() override { lumo.quit_discarding_changes(); }

    FakeCalendar calendar;
    Lumo lumo;
    ViewLayout layout;
    std::vector<std::string> headings_;
    std::string original_;
};

TEST_F(OverviewE2e, TypingTheBeginningOfAHeadingSelectsThatEntry) {
    start_with({"Adler, Bernd", "Bauer, Karl", "Meier, Anna", "Mueller, Jan", "Schmidt, Eva", "Zander, Paul"});
    lumo.type_text("mu");
    // Esc ends the type-ahead; the list stays where the search put it.
    lumo.press_key(VK_ESCAPE);
    delete_answering_yes("Really delete this entry?");
    expect_saved(without(headings_, {3}));
}

TEST_F(OverviewE2e, CtrlEndAndCtrlHomeSelectTheLastAndTheFirstEntry) {
    start_with(numbered(60));
    lumo.press_key(VK_END, true);
    delete_answering_yes("Really delete this entry?");
    lumo.press_key(VK_HOME, true);
    delete_answering_yes("Really delete this entry?");
    expect_saved(without(headings_, {0, 59}));
}

TEST_F(OverviewE2e, PageDownMovesAWindowLessTwoRowsAndPageUpComesBack) {
    start_with(numbered(60));
    const int step = visible_rows() - 2;
    ASSERT_GT(step, 0);
    lumo.press_key(VK_NEXT);
    delete_answering_yes("Really delete this entry?");
    lumo.press_key(VK_PRIOR);
    delete_answering_yes("Really delete this entry?");
    expect_saved(without(headings_, {0, step}));
}

TEST_F(OverviewE2e, ShiftDownMarksARangeThatDeleteRemovesAfterAsking) {
    start_with(numbered(20));
    lumo.press_key(VK_DOWN);
    lumo.press_key(VK_DOWN, false, true);
    lumo.press_key(VK_DOWN, false, true);
    delete_answering_yes("Really delete these entries?");
    expect_saved(without(headings_, {1, 2, 3}));
}

TEST_F(OverviewE2e, AClickSelectsTheRowAndShiftClickMarksUpToIt) {
    start_with(numbered(20));
    lumo.click_view(1, 40, layout.row_y(4));
    delete_answering_yes("Really delete this entry?");
    expect_saved(without(headings_, {4}));

    // The selection is now entry 4 of the shorter list (the old entry 5).
    lumo.click_view(1, 40, layout.row_y(1));
    lumo.click_view(1, 40, layout.row_y(3), true);
    delete_answering_yes("Really delete these entries?");
    expect_saved(without(headings_, {1, 2, 3, 4}));
}

// A view's rectangle in the main window's client coordinates.
RECT place_of(HWND view) {
    RECT r{};
    GetWindowRect(view, &r);
    MapWindowPoints(nullptr, GetParent(view), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST_F(OverviewE2e, TheCaptionStripCarriesTheViewButNeverAboveTheToolbar) {
    start_with(numbered(5));
    HWND overview = lumo.view(1);
    const RECT before = place_of(overview);
    const int y = layout.caption_height / 2;
    lumo.drag_view(1, 30, y, 30 + 80, y + 50);
    RECT after = place_of(overview);
    EXPECT_EQ(after.left, before.left + 80);
    EXPECT_EQ(after.top, before.top + 50);
    EXPECT_EQ(after.right - after.left, before.right - before.left);

    // Dragged far up and left it stops at the left edge and right below the
    // toolbar, where side by side placed it at the start.
    lumo.drag_view(1, 30, y, 30 - 2000, y - 2000);
    after = place_of(overview);
    EXPECT_EQ(after.left, 0);
    EXPECT_EQ(after.top, before.top);

    // A click on the strip released at once moves nothing.
    lumo.click_view(1, 30, y);
    const RECT clicked = place_of(overview);
    EXPECT_TRUE(EqualRect(&after, &clicked) != FALSE);
}

}  // namespace
}  // namespace lumo::e2e

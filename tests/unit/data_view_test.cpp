// The data view's model: layout and paint plans, locate caret with fixed and
// proportional widths, caret movement, scrolling, links and mouse marking.
#include "views/data_view.h"

#include <gtest/gtest.h>

#include <string>

#include "port/ids.h"
#include "support/data_view_fixture.h"

namespace lumo {
namespace {

using testing::DataViewFixture;

class DataViewTest : public DataViewFixture {
protected:
    // An entry with a heading and `lines` more lines "line 1" ...
    static std::string long_entry(int lines) {
        std::string entry = "Miller\r\n";
        for (int i = 1; i <= lines; ++i) entry += "line " + std::to_string(i) + "\r\n";
        return entry + "\r\n";
    }
    // Client y of the middle of the text on screen row `row`.
    std::int32_t y_of_row(std::int32_t row) const {
        return row == 0 ? 20 + 16 : 20 + (row + 1) * 16 + 4;
    }
};

TEST_F(DataViewTest, TheHeadingStaysWhileTheOtherLinesScroll) {
    load(long_entry(30));
    view.first_scrolled_line = 3;
    data_view.paint(DataViewPaintMode::full);
    const DataViewPaint& paint = canvas.paints.back();
    ASSERT_TRUE(paint.heading);
    EXPECT_EQ(paint.heading->text, "Miller");
    EXPECT_EQ(paint.heading->band, (PixelRect{0, 21, 400, 21 + 30}));
    EXPECT_EQ(paint.heading->text_y, 21 + 8 - 1);
    EXPECT_EQ(paint.light_rule_y, 21 + 30);
    EXPECT_EQ(paint.dark_rule_y, 21 + 31);
    ASSERT_EQ(paint.rows.size(), 12u);
    EXPECT_EQ(paint.rows[0].text, "line 4");
    EXPECT_EQ(paint.rows[0].band, (PixelRect{0, 21 + 32, 400, 21 + 48}));
    EXPECT_EQ(*paint.vertical, (ScrollBarSetting{0, 32, 12, 3}));
    EXPECT_EQ(*paint.horizontal, (ScrollBarSetting{0, 254 * 8, 400, 0}));
    // Near the end a full paint pulls the scroll position back.
    view.first_scrolled_line = 25;
    data_view.paint(DataViewPaintMode::full);
    EXPECT_EQ(view.first_scrolled_line, 31 - 12 + 2);
}

TEST_F(DataViewTest, PaintModesDrawWhatTheyPromise) {
    load("Miller\r\nab\r\ncd\r\n\r\n");
    caret(2, 1);
    data_view.paint(DataViewPaintMode::toggle);
    EXPECT_FALSE(canvas.paints.back().heading);
    EXPECT_TRUE(canvas.paints.back().rows.empty());
    EXPECT_FALSE(canvas.paints.back().vertical);
    EXPECT_EQ(canvas.paints.back().caret, (PixelRect{8, 21 + 48, 10, 21 + 64}));

    data_view.paint(DataViewPaintMode::caret_row);
    ASSERT_EQ(canvas.paints.back().rows.size(), 1u);
    EXPECT_EQ(canvas.paints.back().rows[0].row, 2);
    EXPECT_TRUE(canvas.paints.back().caret);

    data_view.paint(DataViewPaintMode::wipe_row);
    EXPECT_EQ(canvas.paints.back().rows.size(), 1u);
    EXPECT_FALSE(canvas.paints.back().caret);

    caret(0, 2);
    data_view.paint(DataViewPaintMode::caret_row);
    EXPECT_TRUE(canvas.paints.back().heading);
    EXPECT_TRUE(canvas.paints.back().rows.empty());

    // Rows past the entry are bands without text.
    data_view.paint(DataViewPaintMode::rows);
    EXPECT_EQ(canvas.paints.back().rows[1].text, "cd");
    EXPECT_EQ(canvas.paints.back().rows[2].text, "");

    state.geometry.client_height = 0;
    data_view.paint(DataViewPaintMode::full);
    EXPECT_FALSE(canvas.paints.back().draws);
}

TEST_F(DataViewTest, PaintingPullsTheCaretBackToItsLineAndHidesItOutOfView) {
    load(long_entry(30));
    caret(2, 99);
    data_view.paint(DataViewPaintMode::full);
    EXPECT_EQ(view.caret_column, 6);
    EXPECT_EQ(canvas.paints.back().caret->left, 6 * 8);
    // Scrolling leaves the caret; off screen it is not drawn.
    EXPECT_TRUE(data_view.scroll_vertical(ScrollCode::page_down, 0));
    data_view.paint(DataViewPaintMode::full);
    EXPECT_EQ(caret(), (TextPosition{2, 6}));
    EXPECT_FALSE(canvas.paints.back().caret);
}

TEST_F(DataViewTest, TheBlockIsInvertedLineByLine) {
    load("Miller\r\nabc\r\ndefg\r\nhi\r\n\r\n");
    mark({1, 1}, {3, 1});
    data_view.paint(DataViewPaintMode::toggle);
    const auto& block = canvas.paints.back().block;
    ASSERT_EQ(block.size(), 3u);
    EXPECT_EQ(block[0], (PixelRect{8, 21 + 32, 3 * 8 + 2, 21 + 48}));   // from column 1 to the end
    EXPECT_EQ(block[1], (PixelRect{-1, 21 + 48, 4 * 8 + 2, 21 + 64}));  // a line it runs through
    EXPECT_EQ(block[2], (PixelRect{0, 21 + 64, 8 + 2, 21 + 80}));       // up to column 1
    // Lines scrolled away are skipped.
    view.first_scrolled_line = 1;
    data_view.paint(DataViewPaintMode::rows);
    EXPECT_EQ(canvas.paints.back().block.size(), 2u);
}

TEST_F(DataViewTest, LocateCaretUsesTextWidths) {
    load("Miller\r\nabcdef\r\n\r\n");
    // Fixed width 8: the first column whose left edge is at or right of x - 3.
    EXPECT_EQ(data_view.locate_caret(3, y_of_row(1)), (TextPosition{1, 0}));
    EXPECT_EQ(data_view.locate_caret(4, y_of_row(1)), (TextPosition{1, 1}));
    EXPECT_EQ(data_view.locate_caret(11, y_of_row(1)), (TextPosition{1, 1}));
    EXPECT_EQ(data_view.locate_caret(12, y_of_row(1)), (TextPosition{1, 2}));
    EXPECT_EQ(data_view.locate_caret(300, y_of_row(1)), (TextPosition{1, 6}));
    // Below the last line: the last line.
    EXPECT_EQ(data_view.locate_caret(0, y_of_row(9)).line, 1);
    // The heading band is two lines high.
    EXPECT_EQ(data_view.line_at(20 + 31), 0);
    EXPECT_EQ(data_view.line_at(20 + 32), 1);

    // Proportional: 'i' is 3 wide, 'm' 14, everything else 8.
    fake.char_widths.assign(256, 8);
    fake.char_widths['i'] = 3;
    fake.char_widths['m'] = 14;
    load("Miller\r\nimim\r\n\r\n");
    EXPECT_EQ(data_view.column_at(1, 6), 1);   // 'i' ends at 3 <= 6 - 3
    EXPECT_EQ(data_view.column_at(1, 7), 2);
    EXPECT_EQ(data_view.column_at(1, 20), 2);  // 'm' ends at 17
    EXPECT_EQ(data_view.column_at(1, 21), 3);
    // With a horizontal offset the same x lies further into the text.
    view.data_view_horizontal_offset = 14;
    EXPECT_EQ(data_view.column_at(1, 6), 2);

    // The heading is measured bold.
    fake.char_widths.clear();
    fake.bold_extra = 2;
    view.data_view_horizontal_offset = 0;
    EXPECT_EQ(data_view.column_at(0, 13), 1);  // bold characters are 10 wide
    EXPECT_EQ(data_view.width_before(0, 2), 20);
    EXPECT_EQ(data_view.width_before(1, 2), 16);
}

TEST_F(DataViewTest, CaretMovesWithinTheEntry) {
    load("Miller\r\nfoo bar  baz\r\nx\r\n\r\n");
    caret(0, 0);
    data_view.caret_left();  // nothing before (0, 0)
    EXPECT_EQ(caret(), (TextPosition{0, 0}));
    caret(0, 6);
    data_view.caret_right();  // wraps to the next line
    EXPECT_EQ(caret(), (TextPosition{1, 0}));
    data_view.caret_left();
    EXPECT_EQ(caret(), (TextPosition{0, 6}));
    caret(2, 1);
    data_view.caret_right();  // end of the last line: nothing
    data_view.caret_down();
    EXPECT_EQ(caret(), (TextPosition{2, 1}));

    caret(1, 0);
    data_view.caret_word_right();
    EXPECT_EQ(view.caret_column, 4);
    data_view.caret_word_right();
    EXPECT_EQ(view.caret_column, 9);
    data_view.caret_word_right();
    EXPECT_EQ(view.caret_column, 12);  // not past the line's end
    data_view.caret_word_left();
    EXPECT_EQ(view.caret_column, 9);
    data_view.caret_word_left();
    EXPECT_EQ(view.caret_column, 4);
    data_view.caret_word_left();
    EXPECT_EQ(view.caret_column, 0);

    data_view.caret_end();
    EXPECT_EQ(view.caret_column, 12);
    data_view.caret_home();
    EXPECT_EQ(view.caret_column, 0);
    data_view.caret_last();
    EXPECT_EQ(caret(), (TextPosition{2, 1}));
    EXPECT_EQ(view.first_scrolled_line, 0);
    // A page down in an entry shorter than the view does not scroll.
    caret(1, 0);
    data_view.caret_page_down();
    EXPECT_EQ(view.first_scrolled_line, 0);
    EXPECT_EQ(view.caret_line, 2);
}

TEST_F(DataViewTest, MakeRoomAndKeepCursorVisible) {
    load(long_entry(40));
    caret(20, 0);
    EXPECT_TRUE(data_view.make_room());
    EXPECT_EQ(view.first_scrolled_line, 20 + 3 - 12);
    caret(5, 0);
    EXPECT_TRUE(data_view.make_room());
    EXPECT_EQ(view.first_scrolled_line, 4);
    EXPECT_FALSE(data_view.make_room());

    load("Miller\r\n" + std::string(200, 'a') + "\r\n\r\n");
    caret(1, 100);  // x = 800, beyond the 400 pixels
    EXPECT_TRUE(data_view.keep_cursor_visible());
    EXPECT_EQ(view.data_view_horizontal_offset, 800 - 400 / 8);
    caret(1, 0);
    EXPECT_TRUE(data_view.keep_cursor_visible());
    EXPECT_EQ(view.data_view_horizontal_offset, 0);
}

TEST_F(DataViewTest, ScrollBars) {
    load(long_entry(30));
    EXPECT_FALSE(data_view.scroll_vertical(ScrollCode::line_up, 0));
    EXPECT_TRUE(data_view.scroll_vertical(ScrollCode::line_down, 0));
    EXPECT_EQ(view.first_scrolled_line, 1);
    data_view.scroll_vertical(ScrollCode::page_down, 0);
    EXPECT_EQ(view.first_scrolled_line, 10);
    data_view.scroll_vertical(ScrollCode::page_down, 0);
    data_view.scroll_vertical(ScrollCode::page_down, 0);
    EXPECT_EQ(view.first_scrolled_line, 31 - 12 + 2);
    data_view.scroll_vertical(ScrollCode::thumb_track, 5);
    EXPECT_EQ(view.first_scrolled_line, 5);
    data_view.scroll_vertical(ScrollCode::page_up, 0);
    EXPECT_EQ(view.first_scrolled_line, 0);

    EXPECT_FALSE(data_view.scroll_horizontal(ScrollCode::line_up, 0));
    EXPECT_TRUE(data_view.scroll_horizontal(ScrollCode::line_down, 0));
    EXPECT_EQ(view.data_view_horizontal_offset, 100);
    data_view.scroll_horizontal(ScrollCode::thumb_track, 99999);
    EXPECT_EQ(view.data_view_horizontal_offset, 254 * 8 - 400);
    EXPECT_FALSE(data_view.scroll_horizontal(ScrollCode::page_down, 0));
    data_view.scroll_horizontal(ScrollCode::page_up, 0);
    EXPECT_EQ(view.data_view_horizontal_offset, 254 * 8 - 800);
}

TEST_F(DataViewTest, LinksLieBetweenTwoQuotes) {
    load("Miller\r\nsee \"www.x.de\" and \"y\" or \"open\r\n\"\"\r\n\r\n");
    using Span = std::pair<std::int32_t, std::int32_t>;
    EXPECT_EQ(data_view.link_at(1, 6), (Span{4, 13}));
    EXPECT_EQ(data_view.link_at(1, 5), (Span{4, 13}));
    EXPECT_FALSE(data_view.link_at(1, 4));   // on the opening quote
    EXPECT_FALSE(data_view.link_at(1, 13));  // on the closing quote
    EXPECT_FALSE(data_view.link_at(1, 1));   // no quote to the left
    EXPECT_EQ(data_view.link_at(1, 16), (Span{13, 19}));  // between two quoted words
    EXPECT_FALSE(data_view.link_at(1, 30));  // no closing quote
    EXPECT_FALSE(data_view.link_at(2, 0));   // two adjacent quotes
    EXPECT_FALSE(data_view.link_at(2, 1));
    EXPECT_FALSE(data_view.link_at(7, 0));   // past the entry
}

TEST_F(DataViewTest, HoveringUnderlinesAndAClickOpens) {
    load("Miller\r\nsee \"www.x.de\" ok\r\n\r\n");
    data_view.hover(6 * 8, y_of_row(1));
    ASSERT_TRUE(state.link.hovering);
    ASSERT_EQ(canvas.underlines.size(), 1u);
    EXPECT_EQ(canvas.underlines[0], (Underline{5 * 8 + 1, 13 * 8 + 1, 21 - 2 + 3 * 16}));
    EXPECT_EQ(canvas.cursors.back(), ViewCursor::pointing_hand);

    EXPECT_FALSE(data_view.link_click(true));  // Ctrl: an ordinary click
    EXPECT_EQ(data_view.link_click(false), "www.x.de");
    EXPECT_FALSE(state.link.hovering);
    EXPECT_FALSE(data_view.link_click(false));

    // Leaving the link wipes its row (mode 4), then restores the caret row.
    data_view.hover(6 * 8, y_of_row(1));
    canvas.paints.clear();
    data_view.hover(1, y_of_row(1));
    EXPECT_FALSE(state.link.hovering);
    ASSERT_EQ(canvas.paints.size(), 2u);
    EXPECT_FALSE(canvas.paints[0].caret);
    EXPECT_EQ(canvas.paints[0].rows.at(0).row, 1);
    EXPECT_EQ(canvas.cursors.back(), ViewCursor::i_beam);
    data_view.hover(1, 5);
    EXPECT_EQ(canvas.cursors.back(), ViewCursor::arrow);
}

// A repaint covers the underline; the shell draws it again from here.
TEST_F(DataViewTest, TheHoveredUnderlineFollowsScrollingAndEndsWithItsLink) {
    load("Miller \"home\"\r\nsee \"www.x.de\" ok\r\n" + std::string("a\r\nb\r\nc\r\n") + "\r\n");
    EXPECT_FALSE(data_view.hovered_underline());
    data_view.hover(10 * 8, y_of_row(0));
    ASSERT_TRUE(state.link.hovering);
    // On the heading line: bold widths (one pixel more per character here).
    fake.bold_extra = 1;
    EXPECT_EQ(data_view.hovered_underline(), (Underline{8 * 9 + 1, 12 * 9 + 1, 21 - 2 + 16 + 8}));

    data_view.hover(6 * 8, y_of_row(1));
    ASSERT_EQ(state.link.line, 1);
    view.data_view_horizontal_offset = 16;
    EXPECT_EQ(data_view.hovered_underline(), (Underline{5 * 8 - 16 + 1, 13 * 8 - 16 + 1, 21 - 2 + 3 * 16}));
    view.data_view_horizontal_offset = 0;

    // Scrolled away: nothing to draw, but still hovered.
    view.first_scrolled_line = 1;
    EXPECT_FALSE(data_view.hovered_underline());
    EXPECT_TRUE(state.link.hovering);
    view.first_scrolled_line = 0;

    // The link's text changed under the mouse: the hover ends, and a click
    // there is an ordinary one rather than opening a shifted piece of text.
    caret(1, 4);
    engine.edit('x');
    EXPECT_FALSE(data_view.link_click(false));
    EXPECT_FALSE(state.link.hovering);
    data_view.hover(6 * 8, y_of_row(1));
    engine.edit('y');
    EXPECT_FALSE(data_view.hovered_underline());
    EXPECT_FALSE(state.link.hovering);
}

TEST_F(DataViewTest, DoubleClickMarksAWord) {
    load("Miller\r\nM\xfcller  Stra\xdf" "e 1\r\n\r\n");
    data_view.double_click(7 * 8, y_of_row(1), false);  // on a space
    EXPECT_FALSE(view.text_block.marked);
    data_view.double_click(2 * 8, y_of_row(1), false);
    ASSERT_TRUE(view.text_block.marked);
    EXPECT_EQ(data_view.block_text(), "M\xfcller");
    EXPECT_EQ(view.caret_column, 0);
    EXPECT_TRUE(fake.enabled[CMD_COPY]);
    // With Shift the block reaches from the anchor to the far side of the word.
    data_view.double_click(11 * 8, y_of_row(1), true);
    EXPECT_EQ(data_view.block_text(), "M\xfcller  Stra\xdf" "e");
}

TEST_F(DataViewTest, ClickingPlacesTheCaretAndDraggingMarks) {
    load(long_entry(30));
    mark({1, 0}, {1, 3});
    EXPECT_FALSE(data_view.press_sampled(2 * 8 + 2, y_of_row(2), false, false));
    EXPECT_EQ(caret(), (TextPosition{2, 2}));
    EXPECT_FALSE(view.text_block.marked);

    // Held: the empty block at the caret grows to the mouse.
    EXPECT_TRUE(data_view.press_sampled(2 * 8 + 2, y_of_row(2), false, true));
    EXPECT_EQ(data_view.press_and_hold(2 * 8 + 2, y_of_row(2), false), DataPressOutcome::mark_by_dragging);
    EXPECT_EQ(data_view.mark_by_dragging_pass(4 * 8 + 2, y_of_row(3)), 0);
    EXPECT_EQ(data_view.block_text(), "ne 2\r\nline");
    EXPECT_EQ(caret(), (TextPosition{3, 4}));
    // At the bottom edge the view scrolls a line per pass, after 50 ms.
    EXPECT_EQ(data_view.mark_by_dragging_pass(8, y_of_row(11)), 50);
    EXPECT_EQ(view.first_scrolled_line, 1);
    data_view.press_ended();
    EXPECT_TRUE(view.text_block.marked);

    // Holding the button on the marked text starts dragging it.
    EXPECT_TRUE(data_view.press_sampled(3 * 8, y_of_row(2), false, true));
    EXPECT_EQ(data_view.press_and_hold(3 * 8, y_of_row(2), false), DataPressOutcome::drag_text);

    // A click held outside the block starts a new one there; empty, it goes.
    EXPECT_EQ(data_view.press_and_hold(0, y_of_row(1), false), DataPressOutcome::mark_by_dragging);
    EXPECT_EQ(caret(), (TextPosition{2, 0}));
    data_view.press_ended();
    EXPECT_FALSE(view.text_block.marked);
    EXPECT_EQ(view.text_block.anchor_line, -1);
}

TEST_F(DataViewTest, ShiftClickMarksFromTheCaret) {
    load(long_entry(5));
    caret(1, 2);
    EXPECT_TRUE(data_view.press_sampled(5 * 8, y_of_row(3), true, true));
    EXPECT_EQ(caret(), (TextPosition{1, 2}));
    EXPECT_EQ(data_view.press_and_hold(5 * 8, y_of_row(3), true), DataPressOutcome::mark_by_dragging);
    data_view.mark_by_dragging_pass(5 * 8, y_of_row(3));
    data_view.press_ended();
    EXPECT_EQ(view.text_block.start_line, 1);
    EXPECT_EQ(view.text_block.start_column, 2);
    EXPECT_EQ(view.text_block.end_line, 3);
    EXPECT_EQ(view.text_block.end_column, 5);
}

}  // namespace
}  // namespace lumo

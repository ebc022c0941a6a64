// Drag and drop: the effect of a drop, the first path of a shell drop, where
// a drag over the data view lands and scrolls, and what a drop does to the
// entry (copies, moves before and behind the dragged block, onto itself).
#include "app/drag_drop.h"

#include <gtest/gtest.h>

#include <string>

#include "support/app_fixture.h"

namespace lumo {
namespace {

using testing::AppTest;

TEST(DropEffectRule, CtrlCopiesShiftMovesOwnDataViewDragMoves) {
    for (DragSource source : {DragSource::none, DragSource::overview, DragSource::data_view}) {
        EXPECT_EQ(drop_effect({true, false}, source, false), DropEffect::copy);
        EXPECT_EQ(drop_effect({true, true}, source, false), DropEffect::copy);
        EXPECT_EQ(drop_effect({false, true}, source, false), DropEffect::move);
        EXPECT_EQ(drop_effect({false, true}, source, true), DropEffect::copy);  // files are never moved
    }
    EXPECT_EQ(drop_effect({}, DragSource::none, false), DropEffect::copy);
    EXPECT_EQ(drop_effect({}, DragSource::overview, false), DropEffect::copy);
    EXPECT_EQ(drop_effect({}, DragSource::data_view, false), DropEffect::move);
}

std::string dropfiles(std::uint32_t offset, bool wide, std::string list) {
    std::string block(20, '\0');
    for (int i = 0; i < 4; ++i) block[static_cast<std::size_t>(i)] = static_cast<char>(offset >> (8 * i));
    block[16] = wide ? 1 : 0;
    return block + list;
}

std::string widen(std::string_view s) {
    std::string out;
    for (char c : s) out += std::string{c, '\0'};
    return out;
}

TEST(DroppedFiles, FirstPathInEitherWidthAndSafeOnDamagedBlocks) {
    using namespace std::string_literals;
    EXPECT_EQ(first_dropped_path(dropfiles(20, false, "C:\\a.txt\0D:\\b.txt\0\0"s)), "C:\\a.txt");
    EXPECT_EQ(first_dropped_path(dropfiles(20, true, widen("C:\\\xe4.txt\0D:\\b\0\0"s))), "C:\\\xe4.txt");
    // A wide character that Windows-1252 has above 0x7F, and one it lacks.
    EXPECT_EQ(first_dropped_path(dropfiles(20, true, "\xac\x20" "\x3a\x04" "\0\0"s)), "\x80?");
    // The list may start further on.
    EXPECT_EQ(first_dropped_path(dropfiles(24, false, "xxxxE:\\c\0\0"s)), "E:\\c");
    // No terminator: the block's end ends the path.
    EXPECT_EQ(first_dropped_path(dropfiles(20, false, "C:\\x")), "C:\\x");
    EXPECT_EQ(first_dropped_path(dropfiles(20, true, "C\0:"s)), "C");
    // Too short, or an offset into the header or past the end.
    EXPECT_EQ(first_dropped_path(std::string(19, '\0')), std::nullopt);
    EXPECT_EQ(first_dropped_path(dropfiles(4, false, "C:\\a\0\0"s)), std::nullopt);
    EXPECT_EQ(first_dropped_path(dropfiles(4000, false, "C:\\a\0\0"s)), std::nullopt);
    EXPECT_EQ(first_dropped_path(dropfiles(0xFFFFFFFF, true, "C:\\a\0\0"s)), std::nullopt);

    EXPECT_EQ(file_link("C:\\my file.adr"), "\"C:\\my file.adr\"");
    EXPECT_EQ(file_link("a\tb\x01"), "\"a b \"");
}

class DropTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        load("Name\r\nabcXYZdef\r\nsecond\r\n\r\n");
        app.views.active_view = ActiveView::data_view;
        app.data_view.ensure_lines();
    }
    // The program's own drag of the block (line 1, columns 3 to 6).
    void drag_block() {
        app.data_view.mark_block({1, 3}, {1, 6});
        ASSERT_TRUE(begin_drag_text(app));
        EXPECT_EQ(app.drag.buffer, "XYZ");
    }
    DropEffect drop_at(TextPosition at, std::string_view text, DragKeys keys = {}) {
        app.drag.drop_position = at;
        return app.drop_target.drop_text(text, keys);
    }
    // What the data view's drag start does after DoDragDrop.
    void end_drag(DropEffect effect) { end_drag_text(app, effect != DropEffect::none, effect); }
};

TEST_F(DropTest, TextFromAnotherProgramIsCopiedWithoutSplittingTheEntry) {
    app.views.active_view = ActiveView::overview;
    EXPECT_EQ(drop_at({2, 3}, "1\r\n\r\n2"), DropEffect::copy);
    EXPECT_EQ(text(), "Name\r\nabcXYZdef\r\nsec1\r\n \r\n2ond\r\n\r\n");
    EXPECT_EQ(app.store.entry_count(), 1);
    EXPECT_EQ(active(), ActiveView::data_view);
    EXPECT_TRUE(app.store.sort_pending);
    EXPECT_TRUE(app.store.modified);
    EXPECT_FALSE(app.drag.inserted_by_target);
    // Undo brings the entry back as it was.
    app.store.swap_undo_snapshot();
    EXPECT_EQ(text(), "Name\r\nabcXYZdef\r\nsecond\r\n\r\n");
}

TEST_F(DropTest, OwnBlockMovesBehindAndBeforeItselfAndStaysOnItself) {
    drag_block();
    EXPECT_EQ(drop_at({1, 4}, app.drag.buffer), DropEffect::none);  // inside
    EXPECT_EQ(drop_at({1, 6}, app.drag.buffer), DropEffect::none);  // its end counts
    EXPECT_EQ(text(), "Name\r\nabcXYZdef\r\nsecond\r\n\r\n");

    end_drag(drop_at({2, 6}, app.drag.buffer));  // behind: the drag start removes it
    EXPECT_EQ(text(), "Name\r\nabcdef\r\nsecondXYZ\r\n\r\n");

    load("Name\r\nabcXYZdef\r\nsecond\r\n\r\n");
    app.data_view.ensure_lines();
    drag_block();
    end_drag(drop_at({1, 1}, app.drag.buffer));  // before: removed first
    EXPECT_EQ(text(), "Name\r\naXYZbcdef\r\nsecond\r\n\r\n");
    EXPECT_TRUE(app.store.check());
}

TEST_F(DropTest, AMoveWithinOneLineLeavesTheCaretBehindTheDroppedText) {
    // Block before the drop position: the caret shifts left with the text
    // the drag start removes after the drop.
    drag_block();
    end_drag(drop_at({1, 8}, app.drag.buffer));
    EXPECT_EQ(text(), "Name\r\nabcdeXYZf\r\nsecond\r\n\r\n");
    EXPECT_EQ(app.views.caret_line, 1);
    EXPECT_EQ(app.views.caret_column, 8);
    type("!");
    EXPECT_EQ(text(), "Name\r\nabcdeXYZ!f\r\nsecond\r\n\r\n");

    // Block behind the drop position: removed before the insertion.
    load("Name\r\nabcXYZdef\r\nsecond\r\n\r\n");
    app.data_view.ensure_lines();
    drag_block();
    end_drag(drop_at({1, 1}, app.drag.buffer));
    EXPECT_EQ(app.views.caret_column, 4);
    type("!");
    EXPECT_EQ(text(), "Name\r\naXYZ!bcdef\r\nsecond\r\n\r\n");
}

TEST_F(DropTest, AMoveKeepsTheCaretInPlaceAcrossLines) {
    // A block over a line break, dropped further down: the caret stays
    // behind the dropped text, its line moved up by the line break.
    load("Name\r\nabcXY\r\nZdefgh\r\nlast\r\n\r\n");
    app.data_view.ensure_lines();
    app.data_view.mark_block({1, 3}, {2, 1});
    ASSERT_TRUE(begin_drag_text(app));
    end_drag(drop_at({2, 4}, app.drag.buffer));
    type("!");
    EXPECT_EQ(text(), "Name\r\nabcdefXY\r\nZ!gh\r\nlast\r\n\r\n");

    // Moved to another program: the caret at the block's end goes to where
    // the block began, on the line that the block's end joined.
    load("Name\r\nabcXY\r\nZdefgh\r\nlast\r\n\r\n");
    app.data_view.ensure_lines();
    app.data_view.mark_block({1, 3}, {2, 1});
    app.views.caret_line = 2;
    app.views.caret_column = 1;
    ASSERT_TRUE(begin_drag_text(app));
    end_drag(DropEffect::move);
    EXPECT_EQ(text(), "Name\r\nabcdefgh\r\nlast\r\n\r\n");
    EXPECT_EQ(app.views.caret_line, 1);
    EXPECT_EQ(app.views.caret_column, 3);
    EXPECT_TRUE(app.store.check());
}

TEST_F(DropTest, CtrlCopiesTheOwnBlockAndAnOverviewDragLeavesTheBlockAlone) {
    drag_block();
    end_drag(drop_at({0, 0}, app.drag.buffer, {true, false}));
    EXPECT_EQ(text(), "XYZName\r\nabcXYZdef\r\nsecond\r\n\r\n");
    // The copy is done with the block: Delete takes one character behind
    // the caret, not a block that the copy has shifted.
    EXPECT_FALSE(app.views.text_block.marked);
    press(vk::del);
    EXPECT_EQ(text(), "XYZame\r\nabcXYZdef\r\nsecond\r\n\r\n");

    // Marked entries dropped with Shift inside the data view's block and
    // before it: inserted, and the block of the data view is not touched.
    load("Name\r\nabcXYZdef\r\n\r\n");
    app.data_view.ensure_lines();
    app.data_view.mark_block({1, 3}, {1, 6});
    app.drag.begin(DragSource::overview, "Other\r\n\r\n");
    EXPECT_EQ(drop_at({1, 4}, app.drag.buffer, {false, true}), DropEffect::move);
    EXPECT_EQ(text(), "Name\r\nabcXOther\r\n \r\n YZdef\r\n\r\n");
    app.drag.end();
}

TEST_F(DropTest, EntriesDraggedFromTheOverviewAreCopiedOrWithShiftMoved) {
    load("Anna\r\nx\r\n\r\nBert\r\ny\r\n\r\n");
    app.data_view.ensure_lines();
    EXPECT_FALSE(begin_drag_entries(app));  // nothing marked, no drag
    Overview(app.store, app.overview_state).mark_entries(1, 1);
    ASSERT_TRUE(begin_drag_entries(app));
    EXPECT_EQ(app.drag.buffer, "Bert\r\ny\r\n\r\n");
    const DropEffect copied = drop_at({1, 1}, app.drag.buffer);
    end_drag_entries(app, true, copied);
    EXPECT_EQ(text(), "Anna\r\nxBert\r\ny\r\n \r\n \r\n\r\nBert\r\ny\r\n\r\n");
    EXPECT_FALSE(app.drag.own_drag_running());

    Overview(app.store, app.overview_state).mark_entries(1, 1);
    ASSERT_TRUE(begin_drag_entries(app));
    const DropEffect moved = drop_at({0, 0}, app.drag.buffer, {false, true});
    EXPECT_EQ(moved, DropEffect::move);
    end_drag_entries(app, true, moved);
    EXPECT_EQ(app.store.entry_count(), 1);
    EXPECT_TRUE(app.store.check());
}

TEST_F(DropTest, EntriesMovedIntoOneOfThemselvesStayAsTheyAre) {
    const std::string book = "Anna\r\nx\r\n\r\nBert\r\ny\r\n\r\nCarl\r\n\r\n";
    load(book);
    app.views.selected_entry_start = app.store.entry_start(1);  // the data view shows Bert
    app.data_view.ensure_lines();
    Overview(app.store, app.overview_state).mark_entries(0, 1);
    ASSERT_TRUE(begin_drag_entries(app));
    const DropEffect moved = drop_at({1, 1}, app.drag.buffer, {false, true});
    EXPECT_EQ(moved, DropEffect::none);
    end_drag_entries(app, true, moved);
    EXPECT_EQ(text(), book);

    // Copied into one of themselves they are inserted as usual.
    Overview(app.store, app.overview_state).mark_entries(1, 1);
    ASSERT_TRUE(begin_drag_entries(app));
    const DropEffect copied = drop_at({1, 1}, app.drag.buffer, {true, false});
    EXPECT_EQ(copied, DropEffect::copy);
    end_drag_entries(app, true, copied);
    EXPECT_EQ(text(), "Anna\r\nx\r\n\r\nBert\r\nyBert\r\ny\r\n \r\n \r\n\r\nCarl\r\n\r\n");
    EXPECT_TRUE(app.store.check());
}

TEST_F(DropTest, LongDropBreaksAt255AndFilesComeAsLinks) {
    load("Name\r\n0123456789\r\n\r\n");
    app.data_view.ensure_lines();
    drop_at({1, 10}, std::string(300, 'x'));
    EXPECT_EQ(text(), "Name\r\n0123456789" + std::string(244, 'x') + "\r\n" + std::string(56, 'x') + "\r\n\r\n");

    app.drag.drop_position = {0, 4};
    EXPECT_EQ(app.drop_target.drop_file("C:\\b\x01.adr"), DropEffect::copy);
    EXPECT_EQ(text().substr(0, 18), "Name\"C:\\b .adr\"\r\n0");
}

TEST_F(DropTest, EnterTellsTextFromFilesAndRefusesNeither) {
    EXPECT_EQ(app.drop_target.enter(false, true, {}), DropEffect::copy);
    EXPECT_TRUE(app.drag.file_drop);
    EXPECT_EQ(app.drop_target.effect({false, true}), DropEffect::copy);
    EXPECT_EQ(app.drop_target.enter(true, true, {false, true}), DropEffect::move);
    EXPECT_FALSE(app.drag.file_drop);
    EXPECT_EQ(app.drop_target.enter(false, false, {}), std::nullopt);
}

TEST_F(DropTest, DragOverFindsThePositionAndScrollsAtTheEdges) {
    std::string entry = "Name\r\n";
    for (int i = 1; i < 40; ++i) entry += "line " + std::to_string(i) + "\r\n";
    load(entry + "\r\n");
    app.data_view.ensure_lines();
    // Caption 20, line height 16: the heading line down to y 51, then line 1.
    DragOverStep step = app.drop_target.over(200, 30);
    EXPECT_EQ(step.position, (TextPosition{0, 4}));
    EXPECT_TRUE(step.position_moved);
    EXPECT_EQ(step.vertical_wait_ms, 0);
    EXPECT_FALSE(app.drop_target.over(200, 30).position_moved);
    step = app.drop_target.over(0, 52);
    EXPECT_EQ(step.position, (TextPosition{1, 0}));
    EXPECT_EQ(app.views.caret_line, 0);  // the caret itself stays

    // Below the visible rows: one line per pass, while lines remain.
    const std::int32_t rows = app.data_view.visible_rows();
    step = app.drop_target.over(0, 52 + rows * 16);
    EXPECT_EQ(step.vertical_wait_ms, 50);
    EXPECT_EQ(app.views.first_scrolled_line, 1);
    for (int i = 0; i < 60; ++i) app.drop_target.over(0, 199);
    EXPECT_LE(app.views.first_scrolled_line + rows - 2, app.store.line_count());
    EXPECT_EQ(app.drop_target.over(0, 199).vertical_wait_ms, 0);
    // Over the heading line: back up one line per pass.
    const std::int32_t first = app.views.first_scrolled_line;
    EXPECT_EQ(app.drop_target.over(0, 30).vertical_wait_ms, 50);
    EXPECT_EQ(app.views.first_scrolled_line, first - 1);

    // Left edge with an offset: 10 pixels back, never below 0.
    app.views.data_view_horizontal_offset = 15;
    step = app.drop_target.over(0, 30);
    EXPECT_EQ(step.horizontal_wait_ms, 2);
    EXPECT_EQ(app.views.data_view_horizontal_offset, 5);
    app.drop_target.over(0, 30);
    EXPECT_EQ(app.views.data_view_horizontal_offset, 0);
    EXPECT_EQ(app.drop_target.over(0, 30).horizontal_wait_ms, 0);
}

}  // namespace
}  // namespace lumo

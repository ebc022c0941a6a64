// The main window's keys, characters and wheel in both views: switching
// views, the delete questions, Shift marking, typed characters and the
// modal flag.
#include "app/keyboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "port/ids.h"
#include "support/app_fixture.h"

namespace lumo {
namespace {

using KeyboardTest = testing::AppTest;

const std::string three = "Berta\r\nx\r\n\r\nAnton\r\ny\r\n\r\nCaesar\r\nz\r\n\r\n";

TEST_F(KeyboardTest, TabTwiceReturnsToTheOverviewAndSortsWhenPending) {
    load(three);
    app.store.sort_pending = true;
    press(vk::tab);
    EXPECT_EQ(active(), ActiveView::data_view);
    EXPECT_TRUE(fake.enabled[CMD_PASTE]);
    EXPECT_EQ(text(), three);  // leaving the overview does not sort
    press(vk::tab);
    EXPECT_EQ(active(), ActiveView::overview);
    EXPECT_FALSE(fake.enabled[CMD_PASTE]);
    EXPECT_FALSE(app.store.sort_pending);
    EXPECT_EQ(text(), "Anton\r\ny\r\n\r\nBerta\r\nx\r\n\r\nCaesar\r\nz\r\n\r\n");
}

TEST_F(KeyboardTest, RotateTwiceComesBackAndDoesNothingWithoutAnActiveView) {
    load(three);
    rotate_views(app);
    EXPECT_EQ(active(), ActiveView::data_view);
    app.store.sort_pending = true;
    rotate_views(app);
    EXPECT_EQ(active(), ActiveView::overview);
    EXPECT_FALSE(app.store.sort_pending);
    EXPECT_EQ(text().substr(0, 5), "Anton");

    app.views.active_view = ActiveView::none_was_data_view;
    fake.calls.clear();
    rotate_views(app);
    EXPECT_EQ(active(), ActiveView::none_was_data_view);
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(KeyboardTest, EnterAndEscMoveBetweenViewsAndEndATypeAhead) {
    load(three);
    type("c");
    EXPECT_EQ(app.overview_state.type_ahead.caption(), "c");
    press(vk::escape);  // in the overview it only ends the search
    EXPECT_EQ(active(), ActiveView::overview);
    EXPECT_EQ(app.overview_state.type_ahead.caption(), "Overview");
    EXPECT_EQ(app.views.selected_entry(), 2);

    type("b");
    press(vk::enter);
    EXPECT_EQ(active(), ActiveView::data_view);
    EXPECT_FALSE(app.overview_state.type_ahead.in_progress());
    EXPECT_EQ(app.views.selected_entry_start, app.store.entry_start(0));
    press(vk::escape);
    EXPECT_EQ(active(), ActiveView::overview);
}

TEST_F(KeyboardTest, DeletingInTheOverviewAsksFirst) {
    load(three);
    app.views.cursor_row = 1;
    fake.answers = {Answer::no};
    press(vk::del);
    EXPECT_EQ(fake.last_box(), "Really delete this entry?");
    EXPECT_EQ(fake.boxes.back().style, box::question);
    EXPECT_EQ(fake.boxes.back().caption, "VORNIX-Lumo:");
    EXPECT_EQ(text(), three);
    EXPECT_TRUE(app.store.has_undo_snapshot());

    fake.answers = {Answer::yes};
    press(vk::back);
    EXPECT_EQ(text(), "Berta\r\nx\r\n\r\nCaesar\r\nz\r\n\r\n");

    // With a range marked the question is about all of them.
    press(vk::up);
    press(vk::down, {vk::shift});
    ASSERT_TRUE(app.views.entry_range.marked);
    fake.answers = {Answer::yes};
    press(vk::del);
    EXPECT_EQ(fake.last_box(), "Really delete these entries?");
    // The last entries gone: one blank entry stands in their place.
    EXPECT_EQ(text(), " \r\n\r\n");
    EXPECT_EQ(app.store.entry_count(), 1);
    EXPECT_FALSE(fake.port.modal_flag);
}

TEST_F(KeyboardTest, BackspaceShortensATypeAheadWithoutAsking) {
    load(three);
    type("ca");
    press(vk::back);
    EXPECT_EQ(app.overview_state.type_ahead.caption(), "c");
    press(vk::del);
    EXPECT_EQ(app.overview_state.type_ahead.caption(), "Overview");
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_EQ(text(), three);
}

TEST_F(KeyboardTest, ShiftMarksARangeInTheOverviewAndABlockInTheDataView) {
    load(three);
    press(vk::down, {vk::shift});
    press(vk::down, {vk::shift});
    EXPECT_EQ(app.views.entry_range.first, 0);
    EXPECT_EQ(app.views.entry_range.last, 2);
    press(vk::up);
    EXPECT_FALSE(app.views.entry_range.marked);

    press(vk::tab);
    app.views.caret_line = 0;
    app.views.caret_column = 1;
    press(vk::right, {vk::shift});
    press(vk::right, {vk::shift});
    const TextBlock& b = app.views.text_block;
    EXPECT_TRUE(b.marked);
    EXPECT_EQ(b.start_column, 1);
    EXPECT_EQ(b.end_column, 3);
    EXPECT_TRUE(fake.enabled[CMD_COPY]);
    // Back over the anchor the block turns round it; on the anchor it goes.
    press(vk::left, {vk::shift});
    press(vk::left, {vk::shift});
    EXPECT_FALSE(b.marked);
    press(vk::left, {vk::shift});
    EXPECT_TRUE(b.marked);
    EXPECT_EQ(b.start_column, 0);
    EXPECT_EQ(b.end_column, 1);
    press(vk::right);
    EXPECT_FALSE(b.marked);
    EXPECT_FALSE(fake.enabled[CMD_CUT]);
}

TEST_F(KeyboardTest, DataViewKeysMoveTheCaretAndCtrlJumpsWords) {
    load("Anna Maria Meier\r\nline one\r\nline two\r\n\r\n");
    press(vk::tab);
    press(vk::end);
    EXPECT_EQ(app.views.caret_column, 16);
    press(vk::left, {vk::control});
    EXPECT_EQ(app.views.caret_column, 11);
    press(vk::left, {vk::control});
    EXPECT_EQ(app.views.caret_column, 5);
    press(vk::down);
    EXPECT_EQ(app.views.caret_line, 1);
    press(vk::end, {vk::control});
    EXPECT_EQ(app.views.caret_line, 2);
    EXPECT_EQ(app.views.caret_column, 8);
    press(vk::home, {vk::control});
    EXPECT_EQ(app.views.caret_line, 0);
    EXPECT_EQ(app.views.caret_column, 0);
}

TEST_F(KeyboardTest, TypedCharactersEditOrSearchAndControlCodesAreIgnored) {
    load(three);
    on_char(app, 9);
    on_char(app, 3);
    EXPECT_FALSE(app.overview_state.type_ahead.in_progress());

    press(vk::tab);
    type("Q");
    EXPECT_EQ(text().substr(0, 6), "QBerta");
    EXPECT_TRUE(app.store.has_undo_snapshot());
    EXPECT_TRUE(app.store.sort_pending);

    // A block in the data view: typing there replaces it...
    app.views.caret_column = 0;
    press(vk::right, {vk::shift});
    press(vk::right, {vk::shift});
    type("Z");
    EXPECT_EQ(text().substr(0, 5), "Zerta");
    // ...while a search in the overview just drops it.
    app.views.caret_column = 0;
    press(vk::right, {vk::shift});
    press(vk::escape);
    type("c");
    EXPECT_FALSE(app.views.text_block.marked);
    EXPECT_EQ(app.overview_state.type_ahead.caption(), "c");
}

TEST_F(KeyboardTest, TheModalFlagBlocksKeysCharactersAndTheWheel) {
    load(three);
    fake.port.modal_flag = true;
    press(vk::tab);
    press(vk::down);
    type("c");
    on_mouse_wheel(app, -120);
    EXPECT_EQ(active(), ActiveView::overview);
    EXPECT_EQ(app.views.selected_entry(), 0);
    EXPECT_FALSE(app.overview_state.type_ahead.in_progress());
}

TEST_F(KeyboardTest, TheWheelMovesOneEntryOrThreeLinesANotch) {
    std::string many;
    for (int i = 0; i < 12; ++i) many += "Entry " + std::to_string(10 + i) + "\r\nx\r\n\r\n";
    load(many);
    on_mouse_wheel(app, -120);
    on_mouse_wheel(app, -120);
    EXPECT_EQ(app.views.selected_entry(), 2);
    on_mouse_wheel(app, 120);
    EXPECT_EQ(app.views.selected_entry(), 1);

    std::string lines = "Long\r\n";
    for (int i = 0; i < 40; ++i) lines += "line " + std::to_string(i) + "\r\n";
    load(lines + "\r\n");
    press(vk::tab);
    on_mouse_wheel(app, -120);
    EXPECT_EQ(app.views.first_scrolled_line, 3);
    on_mouse_wheel(app, -240);
    EXPECT_EQ(app.views.first_scrolled_line, 6);
    on_mouse_wheel(app, 120);
    on_mouse_wheel(app, 120);
    on_mouse_wheel(app, 120);
    EXPECT_EQ(app.views.first_scrolled_line, 0);
}

TEST_F(KeyboardTest, InsertEndsATypeAheadAndAddsAnEntryBeforeTheSelection) {
    load(three);
    type("c");
    press(vk::insert);
    EXPECT_FALSE(app.overview_state.type_ahead.in_progress());
    EXPECT_EQ(active(), ActiveView::data_view);
    EXPECT_EQ(app.store.entry_count(), 4);
    EXPECT_EQ(app.store.entry_start(3) - app.store.entry_start(2), 5);  // " " CR LF CR LF before Caesar
}

}  // namespace
}  // namespace lumo

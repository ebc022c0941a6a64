// The Edit menu's commands and the other state commands of the main window:
// Copy, Cut, Paste, Select all, Undo, the address field.
#include "app/commands.h"

#include <gtest/gtest.h>

#include "port/ids.h"
#include "support/app_fixture.h"

namespace lumo {
namespace {

using CommandsTest = testing::AppTest;

const std::string book = "Berta\r\nx\r\n\r\nAnton\r\ny\r\n\r\nCaesar\r\nz\r\n\r\n";

TEST_F(CommandsTest, CopyAndCutTakeTheMarkOfTheActiveViewOnly) {
    load(book);
    app.views.active_view = ActiveView::data_view;
    copy_command(app);
    EXPECT_FALSE(fake.clipboard_text) << "nothing marked, nothing copied";

    press(vk::right, {vk::shift});
    press(vk::right, {vk::shift});
    copy_command(app);
    EXPECT_EQ(fake.clipboard_text, "Be");

    // The data view's block means nothing while the overview is active.
    fake.clipboard_text.reset();
    app.views.active_view = ActiveView::overview;
    cut_command(app);
    EXPECT_FALSE(fake.clipboard_text);
    EXPECT_EQ(text(), book);

    app.views.active_view = ActiveView::data_view;
    cut_command(app);
    EXPECT_EQ(fake.clipboard_text, "Be");
    EXPECT_EQ(text().substr(0, 7), "rta\r\nx\r");
    undo_command(app);
    EXPECT_EQ(text(), book) << "Cut is undone in one step";
    undo_command(app);
    EXPECT_EQ(text().substr(0, 7), "rta\r\nx\r") << "a second undo swaps back";
}

TEST_F(CommandsTest, CutOfAnEntryRangeCopiesWholeEntriesAndRemovesThem) {
    load(book);
    press(vk::down, {vk::shift});
    ASSERT_TRUE(app.views.entry_range.marked);
    cut_command(app);
    EXPECT_EQ(fake.clipboard_text, "Berta\r\nx\r\n\r\nAnton\r\ny\r\n\r\n");
    EXPECT_EQ(text(), "Caesar\r\nz\r\n\r\n");
}

TEST_F(CommandsTest, CutOfEveryEntryLeavesOneEmptyEntry) {
    load(book);
    select_all_command(app);
    cut_command(app);
    EXPECT_EQ(fake.clipboard_text, book);
    EXPECT_EQ(app.store.entry_count(), 1);
    EXPECT_TRUE(app.store.check());
}

TEST_F(CommandsTest, SelectAllMarksTheWholeEntryOrEveryEntry) {
    load(book);
    app.views.active_view = ActiveView::data_view;
    select_all_command(app);
    copy_command(app);
    EXPECT_EQ(fake.clipboard_text, "Berta\r\nx");

    app.views.active_view = ActiveView::overview;
    app.views.cursor_row = 2;
    select_all_command(app);
    const EntryRange& range = app.views.entry_range;
    EXPECT_TRUE(range.marked);
    EXPECT_EQ(range.first, 0);
    EXPECT_EQ(range.last, 2);
    EXPECT_EQ(range.anchor, 2);
    EXPECT_EQ(app.views.selected_entry(), 0);
}

TEST_F(CommandsTest, PasteInsertsCleanedTextAtTheCaretInTheDataViewOnly) {
    load(book);
    fake.clipboard_text = "1\t2\r\n";
    paste_command(app);
    EXPECT_EQ(text(), book) << "the overview does not paste";

    app.views.active_view = ActiveView::data_view;
    fake.held_keys = {vk::control};  // still down from Ctrl+V
    paste_command(app);
    fake.held_keys.clear();
    EXPECT_EQ(text().substr(0, 14), "1 2\r\n Berta\r\nx");
    EXPECT_EQ(app.views.caret_line, 1);
    EXPECT_EQ(app.views.caret_column, 1) << "the closing steps are single steps, not word jumps";
    EXPECT_TRUE(app.store.sort_pending);
    undo_command(app);
    EXPECT_EQ(text(), book);
}

TEST_F(CommandsTest, PasteReplacesAMarkedBlock) {
    load(book);
    app.views.active_view = ActiveView::data_view;
    press(vk::end, {vk::shift});
    fake.clipboard_text = "Dora";
    paste_command(app);
    // The emptied heading line kept its blank placeholder; the paste goes in
    // front of it.
    EXPECT_EQ(text().substr(0, 9), "Dora \r\nx\r");
}

TEST_F(CommandsTest, AddressFieldGoesToTheClipboard) {
    load("Miller John, 030 555\r\nMain Street 1\r\nSpringfield\r\n\r\n");
    app.settings.address_line_order = {'1', '2', '3', 0, 0};
    app.settings.swap_names_flag = 1;
    app.settings.empty_line_flags = {0, 0, 0, 0};
    address_field_command(app);
    EXPECT_EQ(fake.clipboard_text, "John Miller\r\nMain Street 1\r\nSpringfield\r\n");
    app.settings.empty_line_flags = {0, 1, 0, 0};
    address_field_command(app);
    EXPECT_EQ(fake.clipboard_text, "John Miller\r\nMain Street 1\r\n\r\nSpringfield\r\n");
    EXPECT_FALSE(fake.port.modal_flag);
}

TEST_F(CommandsTest, StateCommandsAreDispatchedByTheirIds) {
    load(book);
    EXPECT_TRUE(run_state_command(app, CMD_SELECT_ALL));
    EXPECT_TRUE(app.views.entry_range.marked);
    EXPECT_TRUE(run_state_command(app, CMD_ROTATE));
    EXPECT_EQ(active(), ActiveView::data_view);
    EXPECT_FALSE(run_state_command(app, CMD_OPEN)) << "the shell's commands are not taken here";
}

// The data view follows the overview's selection and drops its own block
// then; the marked entries must keep Copy and Cut usable (their shortcuts
// only act on enabled items).
TEST_F(CommandsTest, MarkingEntriesKeepsCutEnabledThroughTheRepaints) {
    load(book);
    press(vk::down, {vk::shift});
    app.data_view.paint(DataViewPaintMode::full);
    Overview(app.store, app.overview_state).prepare_paint();
    EXPECT_TRUE(fake.enabled[CMD_CUT]);
    EXPECT_TRUE(fake.enabled[CMD_COPY]);
}

TEST_F(CommandsTest, CopyAndCutAreGreyedOnlyWhenNothingIsMarked) {
    load(book);
    press(vk::down, {vk::shift});
    app.views.active_view = ActiveView::data_view;
    press(vk::right, {vk::shift});
    press(vk::right);  // drops the block; the entries stay marked
    EXPECT_TRUE(fake.enabled[CMD_CUT]);
    app.views.active_view = ActiveView::overview;
    press(vk::down);  // drops the range too
    EXPECT_FALSE(fake.enabled[CMD_CUT]);
    EXPECT_FALSE(fake.enabled[CMD_COPY]);
}

}  // namespace
}  // namespace lumo

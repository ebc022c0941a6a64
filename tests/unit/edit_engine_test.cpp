// The edit engine: typing, Enter, Delete, Backspace, blank lines and their
// placeholder, removing entries, the 255-character limit, block deletion,
// and the quick re-index against the full scan.
#include "views/edit_engine.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "port/ids.h"
#include "support/data_view_fixture.h"

namespace lumo {
namespace {

using testing::DataViewFixture;

constexpr int del = edit_code::delete_key;
constexpr int backspace = edit_code::backspace;
constexpr int enter = edit_code::enter;

class EditEngineTest : public DataViewFixture {};

TEST_F(EditEngineTest, TypingInsertsAtTheCaretAndRepaintsOnlyItsRow) {
    load("Adams\r\n\r\nMiller\r\nMain Street\r\n\r\nZorn\r\n\r\n", 1);
    caret(1, 4);
    EXPECT_EQ(type("X"), 0);
    EXPECT_EQ(text(), "Adams\r\n\r\nMiller\r\nMainX Street\r\n\r\nZorn\r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{1, 5}));
    EXPECT_EQ(store.entry_start(2), 33);
    EXPECT_TRUE(store.modified);
    EXPECT_FALSE(store.sort_pending);
    EXPECT_FALSE(fake.port.modal_flag);
    ASSERT_EQ(canvas.paints.size(), 1u);
    const DataViewPaint& paint = canvas.paints.back();
    EXPECT_FALSE(paint.heading);
    ASSERT_EQ(paint.rows.size(), 1u);
    EXPECT_EQ(paint.rows[0].text, "MainX Street");
    ASSERT_TRUE(paint.caret);
    EXPECT_EQ(paint.caret->left, 5 * 8);
}

TEST_F(EditEngineTest, TypingOnTheHeadingSetsSortPendingAndRepaintsTheOverview) {
    load("Miller\r\n\r\n");
    caret(0, 0);
    type("A");
    EXPECT_EQ(text(), "AMiller\r\n\r\n");
    EXPECT_TRUE(store.sort_pending);
    EXPECT_NE(std::find(fake.calls.begin(), fake.calls.end(), "repaint overview"), fake.calls.end());
    ASSERT_TRUE(canvas.paints.back().heading);
    EXPECT_EQ(canvas.paints.back().heading->text, "AMiller");
}

TEST_F(EditEngineTest, TypingIntoABlankLineReplacesItsSpace) {
    load("Miller\r\n \r\nCity\r\n\r\n");
    caret(1, 0);
    type("ab");
    EXPECT_EQ(text(), "Miller\r\nab\r\nCity\r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{1, 2}));
    // At column 1 of a blank line the space is a character like any other.
    load(" \r\n\r\n");
    caret(0, 1);
    type("x");
    EXPECT_EQ(text(), " x\r\n\r\n");
}

TEST_F(EditEngineTest, TheLineLimitRefusesTypingWithTheMessage) {
    const std::string full(255, 'a');
    load("Miller\r\n" + full + "\r\n\r\n");
    caret(1, 10);
    EXPECT_EQ(key('b'), edit_refused);
    EXPECT_EQ(text(), "Miller\r\n" + full + "\r\n\r\n");
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, "Line would be longer than 255 characters!");
    EXPECT_EQ(fake.boxes[0].caption, "VORNIX-Lumo:");
    EXPECT_EQ(fake.boxes[0].style, box::error);
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_TRUE(fake.modal_seen_in_box);
    EXPECT_FALSE(fake.port.modal_flag);
    EXPECT_FALSE(store.modified);

    // One short of the limit takes one more, then refuses the next of a run.
    load("Miller\r\n" + std::string(254, 'a') + "\r\n\r\n");
    caret(1, 254);
    EXPECT_EQ(type("xy"), edit_refused);
    EXPECT_EQ(text(), "Miller\r\n" + std::string(254, 'a') + "x\r\n\r\n");
}

TEST_F(EditEngineTest, EnterSplitsAddsBlankLinesAndMovesDown) {
    load("Miller\r\nMain Street\r\n\r\n");
    caret(1, 4);
    key(enter);  // inside the line
    EXPECT_EQ(text(), "Miller\r\nMain\r\n Street\r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{2, 0}));
    EXPECT_FALSE(store.sort_pending);

    caret(2, 7);
    key(enter);  // at the end: a blank line below, caret on it
    EXPECT_EQ(text(), "Miller\r\nMain\r\n Street\r\n \r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{3, 0}));

    caret(1, 0);
    key(enter);  // at column 0: a blank line above, caret stays with the text
    EXPECT_EQ(text(), "Miller\r\n \r\nMain\r\n Street\r\n \r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{2, 0}));
}

TEST_F(EditEngineTest, EnterAtTheStartOfTheHeadingMakesABlankHeading) {
    load("Adams\r\n\r\nMiller\r\n\r\n", 1);
    caret(0, 0);
    key(enter);
    EXPECT_EQ(text(), "Adams\r\n\r\n \r\nMiller\r\n\r\n");
    EXPECT_TRUE(store.sort_pending);
    EXPECT_EQ(store.entry_count(), 2);
    EXPECT_NE(std::find(fake.calls.begin(), fake.calls.end(), "repaint overview"), fake.calls.end());
    store.fill_overview_rows(2, 0);
    EXPECT_STREQ(store.overview_row(1).data(), " ");
}

TEST_F(EditEngineTest, DeleteRemovesCharactersAndJoinsLines) {
    load("Miller\r\nab\r\ncd\r\n\r\n");
    caret(1, 0);
    key(del);
    EXPECT_EQ(text(), "Miller\r\nb\r\ncd\r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{1, 0}));
    key(del);  // the last character: the line keeps a placeholder
    EXPECT_EQ(text(), "Miller\r\n \r\ncd\r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{1, 0}));

    caret(0, 6);
    key(del);  // the next line is blank: it goes with its space
    EXPECT_EQ(text(), "Miller\r\ncd\r\n\r\n");
    key(del);  // at the end of a line: joins
    EXPECT_EQ(text(), "Millercd\r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{0, 6}));
    EXPECT_TRUE(store.sort_pending);

    caret(0, 8);
    key(del);  // the end of the entry's last line: nothing
    EXPECT_EQ(text(), "Millercd\r\n\r\n");
}

TEST_F(EditEngineTest, JoiningHonoursTheLineLimit) {
    const std::string a(200, 'a');
    load("Miller\r\n" + a + "\r\n" + std::string(60, 'b') + "\r\n\r\n");
    caret(1, 200);
    EXPECT_EQ(key(del), edit_refused);
    EXPECT_EQ(fake.last_box(), "Line would be longer than 255 characters!");
    caret(2, 0);
    EXPECT_EQ(key(backspace), edit_refused);
    EXPECT_EQ(text(), "Miller\r\n" + a + "\r\n" + std::string(60, 'b') + "\r\n\r\n");

    load("Miller\r\n" + a + "\r\n" + std::string(55, 'b') + "\r\n\r\n");
    caret(1, 200);
    EXPECT_EQ(key(del), 0);
    EXPECT_EQ(text(), "Miller\r\n" + a + std::string(55, 'b') + "\r\n\r\n");

    // A full line still takes a blank line below it away.
    load("Miller\r\n" + std::string(255, 'a') + "\r\n \r\nx\r\n\r\n");
    caret(1, 255);
    EXPECT_EQ(key(del), 0);
    EXPECT_EQ(text(), "Miller\r\n" + std::string(255, 'a') + "\r\nx\r\n\r\n");
}

TEST_F(EditEngineTest, BackspaceRemovesStepsOverBlanksAndJoins) {
    load("Miller\r\nab\r\n \r\ncd\r\n\r\n");
    caret(1, 2);
    key(backspace);
    EXPECT_EQ(text(), "Miller\r\na\r\n \r\ncd\r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{1, 1}));
    key(backspace);  // the line would be empty: placeholder, caret at 0
    EXPECT_EQ(text(), "Miller\r\n \r\n \r\ncd\r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{1, 0}));

    caret(2, 1);
    key(backspace);  // column 1 of a blank line: only the caret moves
    EXPECT_EQ(text(), "Miller\r\n \r\n \r\ncd\r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{2, 0}));
    key(backspace);  // now the blank line goes; caret to the end of the line above
    EXPECT_EQ(text(), "Miller\r\n \r\ncd\r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{1, 1}));

    caret(2, 0);
    key(backspace);  // joining onto a blank line takes its space too
    EXPECT_EQ(text(), "Miller\r\ncd\r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{1, 0}));
    key(backspace);  // joining with the heading
    EXPECT_EQ(text(), "Millercd\r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{0, 6}));
    EXPECT_TRUE(store.sort_pending);

    caret(0, 0);
    key(backspace);  // column 0 of the heading: nothing
    EXPECT_EQ(text(), "Millercd\r\n\r\n");
}

TEST_F(EditEngineTest, DeleteOnTheLastBlankLineLeavesTheCaretAtTheLineAbove) {
    load("Miller\r\nab\r\n \r\n\r\nZorn\r\n\r\n");
    caret(2, 0);
    key(del);
    EXPECT_EQ(text(), "Miller\r\nab\r\n\r\nZorn\r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{1, 2}));
    // A blank line in the middle: the caret stays on the line that moved up.
    load("Miller\r\n \r\nab\r\n\r\n");
    caret(1, 0);
    key(del);
    EXPECT_EQ(text(), "Miller\r\nab\r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{1, 0}));
    // A blank heading above other lines.
    load(" \r\nMiller\r\n\r\n");
    caret(0, 0);
    key(del);
    EXPECT_EQ(text(), "Miller\r\n\r\n");
    EXPECT_TRUE(store.sort_pending);
}

TEST_F(EditEngineTest, RemovingTheOnlyLineAsksBeforeTheEntryGoes) {
    const std::string before = "Adams\r\n\r\n \r\n\r\nZorn\r\n\r\n";
    load(before, 1);
    caret(0, 0);
    fake.answers = {Answer::no};
    key(backspace);
    EXPECT_EQ(text(), before);
    EXPECT_EQ(fake.last_box(), "Really delete this entry?");
    EXPECT_EQ(fake.boxes.back().style, box::question);
    EXPECT_FALSE(store.modified);
    EXPECT_FALSE(fake.port.modal_flag);

    fake.answers = {Answer::yes};
    key(del);
    EXPECT_EQ(text(), "Adams\r\n\r\nZorn\r\n\r\n");
    EXPECT_EQ(store.entry_count(), 2);
    EXPECT_TRUE(store.sort_pending);
}

TEST_F(EditEngineTest, RemovingTheLastEntryOfTheFileLeavesANewEmptyStore) {
    load(" \r\n\r\n");
    store.take_undo_snapshot();
    fake.answers = {Answer::yes};
    caret(0, 0);
    key(del);
    EXPECT_EQ(text(), " \r\n\r\n");
    EXPECT_EQ(store.entry_count(), 1);
    EXPECT_FALSE(store.has_undo_snapshot());
    EXPECT_FALSE(fake.enabled[CMD_UNDO]);
    EXPECT_EQ(caret(), (TextPosition{0, 0}));
    EXPECT_EQ(view.selected_entry_start, 0);
}

TEST_F(EditEngineTest, DeletingABlockJoinsItsEndsAndKeepsLinesNonEmpty) {
    load("Miller\r\nabc\r\ndef\r\nghi\r\n\r\nZorn\r\n\r\n");
    mark({1, 1}, {3, 2});
    engine.delete_text_block(false);
    EXPECT_EQ(text(), "Miller\r\nai\r\n\r\nZorn\r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{1, 1}));
    EXPECT_FALSE(view.text_block.marked);
    EXPECT_EQ(view.text_block.anchor_line, -1);
    EXPECT_FALSE(fake.enabled[CMD_COPY]);
    EXPECT_FALSE(fake.enabled[CMD_CUT]);
    EXPECT_TRUE(store.sort_pending);
    expect_sound();

    mark({1, 0}, {1, 2});  // the whole line: a placeholder stays
    engine.delete_text_block(true);
    EXPECT_EQ(text(), "Miller\r\n \r\n\r\nZorn\r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{1, 0}));
    expect_sound();

    mark({0, 0}, {1, 1});  // the whole entry: a blank heading stays
    engine.delete_text_block(false);
    EXPECT_EQ(text(), " \r\n\r\nZorn\r\n\r\n");
    EXPECT_EQ(store.entry_count(), 2);
    EXPECT_NE(std::find(fake.calls.begin(), fake.calls.end(), "repaint overview"), fake.calls.end());
    expect_sound();
}

TEST_F(EditEngineTest, BlockColumnsBeyondTheirLinesAreClamped) {
    load("Miller\r\nab\r\ncd\r\n\r\nZorn\r\n\r\n");
    mark({1, 1}, {2, 200});
    engine.delete_text_block(false);
    EXPECT_EQ(text(), "Miller\r\na\r\n\r\nZorn\r\n\r\n");
    expect_sound();
}

TEST_F(EditEngineTest, AMovedBlockLeavesItsPlaceAndTheCaretFollows) {
    load("Miller\r\nab\r\ncd\r\nef\r\n\r\n");
    mark({1, 0}, {2, 0});  // "ab" and its line break
    caret(3, 2);           // where the drop left the caret, on the line after
    engine.finish_drag_move(false);
    EXPECT_EQ(text(), "Miller\r\ncd\r\nef\r\n\r\n");
    EXPECT_EQ(caret(), (TextPosition{2, 2}));
    EXPECT_TRUE(store.has_undo_snapshot());
}

TEST_F(EditEngineTest, CodesWithoutAnEditChangeNothing) {
    load("Miller\r\n\r\n");
    for (int code : {0, 4, 5, 31}) EXPECT_EQ(key(code), 0);
    EXPECT_EQ(text(), "Miller\r\n\r\n");
    EXPECT_FALSE(store.modified);
}

TEST_F(EditEngineTest, TheCaretIsScrolledIntoViewFirst) {
    std::string entry = "Miller\r\n";
    for (int i = 1; i < 40; ++i) entry += "line " + std::to_string(i) + "\r\n";
    load(entry + "\r\n");
    caret(30, 0);  // far below the 12 visible rows
    type("x");
    EXPECT_EQ(view.first_scrolled_line, 30 + 3 - 12);
    EXPECT_EQ(data_view.line_text(30), "xline 30");
}

// Random edits over several entries: after each, check() compares the entry
// index with a full scan, so the quick re-index must agree with it.
TEST_F(EditEngineTest, RandomEditsKeepTheStoreSound) {
    std::mt19937 random(20261207);
    std::string text_in;
    for (int e = 0; e < 6; ++e) text_in += "Entry " + std::to_string(e) + "\r\nline\r\n \r\nlast\r\n\r\n";
    load(text_in, 2);
    fake.default_answer = Answer::yes;
    const int codes[] = {'a', ' ', '"', del, backspace, enter, del, backspace};
    for (int step = 0; step < 3000; ++step) {
        if (store.entry_count() == 0) break;
        const auto entry = static_cast<std::int32_t>(random() % static_cast<unsigned>(store.entry_count()));
        if (step % 7 == 0) {
            view.selected_entry_start = store.entry_start(entry);
            view.caret_line = view.caret_column = view.first_scrolled_line = 0;
        }
        data_view.ensure_lines();
        view.caret_line = static_cast<std::int32_t>(random() % static_cast<unsigned>(store.line_count() + 1));
        view.caret_column = static_cast<std::int32_t>(random() % 8);
        if (step % 50 == 0) {
            mark({0, 1}, {view.caret_line, view.caret_column});
            engine.delete_text_block(step % 100 == 0);
        } else {
            engine.edit(codes[random() % std::size(codes)]);
        }
        std::string why;
        ASSERT_TRUE(store.check(&why)) << why << " at step " << step;
        ASSERT_GE(store.entry_count(), 1);
        for (std::int32_t k = 0; k < store.entry_count(); ++k)  // no empty line anywhere
            ASSERT_NE(store.char_at(store.entry_start(k)), '\r') << "at step " << step;
        ASSERT_FALSE(fake.port.modal_flag);
    }
}

}  // namespace
}  // namespace lumo

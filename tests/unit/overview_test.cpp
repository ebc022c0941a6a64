// The overview's model: navigation at both ends of the list, painting's
// repairs, the marked range under Shift, the type-ahead search, removing
// entries and the mouse decisions.
#include "views/overview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "data/sort.h"
#include "port/ids.h"
#include "support/fake_port.h"

namespace lumo {
namespace {

using testing::FakePort;

std::string book(const std::vector<std::string>& headings) {
    std::string text;
    for (const auto& h : headings) text += h + "\r\nline\r\n\r\n";
    return text;
}

std::vector<std::string> numbered(int n) {
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.push_back("Entry " + std::to_string(1000 + i));
    return out;
}

class OverviewTest : public ::testing::Test {
protected:
    FakePort fake;
    ViewState view;
    Store store{fake.port, view};
    OverviewState state;
    Overview ov{store, state};

    void SetUp() override {
        ASSERT_TRUE(store.reset_store());
        // Lines 10 pixels high, rows 15 apart: 10 visible rows.
        state.geometry = {200, 150, 10, 2032, 20};
    }
    void load(const std::vector<std::string>& headings) {
        const std::string text = book(headings);
        TextBuffer buffer = store.allocate_text(static_cast<std::int32_t>(text.size()) + text_headroom);
        ASSERT_TRUE(buffer);
        std::memcpy(buffer.data(), text.data(), text.size());
        store.adopt_text(std::move(buffer), static_cast<std::int32_t>(text.size()));
        store.reindex();
    }
    void type(std::string_view s) {
        for (char c : s) ov.type_ahead(static_cast<unsigned char>(c));
    }
    std::int32_t selected() const { return view.selected_entry(); }
    // The data view was somewhere inside an entry; following resets it.
    void scroll_data_view() {
        view.caret_line = 3;
        view.caret_column = 4;
        view.first_scrolled_line = 2;
        view.data_view_horizontal_offset = 50;
    }
    void expect_data_view_at(std::int32_t entry) {
        EXPECT_EQ(view.selected_entry_start, store.entry_start(entry));
        EXPECT_EQ(view.caret_line, 0);
        EXPECT_EQ(view.caret_column, 0);
        EXPECT_EQ(view.first_scrolled_line, 0);
        EXPECT_EQ(view.data_view_horizontal_offset, 0);
    }
};

TEST_F(OverviewTest, GeometryCountsWholeRowsAndCapsThemToTheCache) {
    EXPECT_EQ(state.geometry.row_height(), 15);
    EXPECT_EQ(state.geometry.visible_rows(), 10);
    EXPECT_EQ(state.geometry.row_at(20 + 31), 2);
    EXPECT_EQ(state.geometry.max_horizontal_offset(), 2032 - 200);
    state.geometry.client_height = 1'000'000;
    EXPECT_EQ(state.geometry.visible_rows(), max_row_count - 1);
    state.geometry.line_height = 0;
    EXPECT_EQ(state.geometry.visible_rows(), 0);
}

TEST_F(OverviewTest, UpAndDownStopAtTheEndsButStillResetTheDataView) {
    load(numbered(12));
    scroll_data_view();
    ov.line_up(false);
    EXPECT_EQ(view.top_entry, 0);
    EXPECT_EQ(view.cursor_row, 0);
    expect_data_view_at(0);

    // Down walks to row V - 2, then the list scrolls under the cursor.
    for (int i = 0; i < 8; ++i) ov.line_down(false);
    EXPECT_EQ(view.cursor_row, 8);
    EXPECT_EQ(view.top_entry, 0);
    ov.line_down(false);
    EXPECT_EQ(view.cursor_row, 8);
    EXPECT_EQ(view.top_entry, 1);
    for (int i = 0; i < 5; ++i) ov.line_down(false);
    EXPECT_EQ(selected(), 11);
    scroll_data_view();
    ov.line_down(false);
    EXPECT_EQ(selected(), 11);
    expect_data_view_at(11);

    // Up at the top row scrolls the list back.
    view.top_entry = 5;
    view.cursor_row = 0;
    ov.line_up(false);
    EXPECT_EQ(selected(), 4);
    EXPECT_EQ(view.top_entry, 3);  // no further down than the list's end allows
    EXPECT_GT(fake.repaints, 0);
}

TEST_F(OverviewTest, PagesAndCtrlHomeEndKeepTheSelectionInsideTheList) {
    load(numbered(30));
    ov.page_down(false);
    EXPECT_EQ(view.top_entry, 8);
    ov.page_down(false);
    ov.page_down(false);
    EXPECT_EQ(view.top_entry, 21);  // at most count - V + 1
    view.cursor_row = 8;
    ov.page_down(false);
    EXPECT_EQ(selected(), 29);
    ov.page_up(false);
    EXPECT_EQ(view.top_entry, 13);
    ov.page_up(false);
    ov.page_up(false);
    EXPECT_EQ(view.top_entry, 0);

    view.overview_horizontal_offset = 40;
    ov.go_last(false);
    EXPECT_EQ(view.top_entry, 21);
    EXPECT_EQ(view.cursor_row, 8);
    EXPECT_EQ(view.overview_horizontal_offset, 0);
    expect_data_view_at(29);
    ov.go_first(false);
    EXPECT_EQ(selected(), 0);
    expect_data_view_at(0);
}

TEST_F(OverviewTest, CtrlEndOnAShortListSelectsTheLastEntry) {
    load(numbered(10));
    state.geometry.client_height = 20 * 15;
    ov.go_last(false);
    EXPECT_EQ(view.top_entry, 0);
    EXPECT_EQ(view.cursor_row, 9);
    expect_data_view_at(9);
}

TEST_F(OverviewTest, PaintingRepairsPositionsAndFillsTheVisibleRows) {
    load(numbered(12));
    view.top_entry = 50;
    view.cursor_row = 30;
    view.overview_horizontal_offset = 99999;
    const std::int32_t v = ov.prepare_paint();
    EXPECT_EQ(v, 10);
    EXPECT_EQ(view.top_entry, 3);
    EXPECT_EQ(view.cursor_row, 8);
    EXPECT_EQ(view.overview_horizontal_offset, 2032 - 200);
    EXPECT_EQ(view.selected_entry_start, store.entry_start(11));
    EXPECT_EQ(ov.rows_with_entries(v), 9);
    EXPECT_STREQ(store.overview_row(0).data(), "Entry 1003");
    EXPECT_STREQ(store.overview_row(9).data(), "");

    // An empty client paints nothing and changes nothing.
    state.geometry.client_width = 0;
    view.top_entry = 50;
    EXPECT_EQ(ov.prepare_paint(), 0);
    EXPECT_EQ(view.top_entry, 50);
}

TEST_F(OverviewTest, HorizontalKeysScrollWithinTheLongestLine) {
    load({std::string(100, 'W'), "short"});
    ov.scroll_right();
    EXPECT_EQ(view.overview_horizontal_offset, 50);
    ov.scroll_left();
    ov.scroll_left();
    EXPECT_EQ(view.overview_horizontal_offset, 0);
    // End shows the end of the selected heading (8 pixels a character).
    ov.scroll_to_end(true);
    EXPECT_EQ(view.overview_horizontal_offset, 800 - 200 + 1);
    ov.scroll_to_start(false);
    EXPECT_EQ(view.overview_horizontal_offset, 0);
    // A short heading leaves nothing to scroll.
    view.cursor_row = 1;
    ov.scroll_to_end(false);
    EXPECT_EQ(view.overview_horizontal_offset, 0);
    view.overview_horizontal_offset = 2032 - 200;
    ov.scroll_right();
    EXPECT_EQ(view.overview_horizontal_offset, 2032 - 200);
}

TEST_F(OverviewTest, ShiftMovesMarkARangeFromTheAnchor) {
    load(numbered(20));
    view.cursor_row = 3;
    ov.line_down(true);
    ov.line_down(true);
    EXPECT_TRUE(view.entry_range.marked);
    EXPECT_EQ(view.entry_range.anchor, 3);
    EXPECT_EQ(view.entry_range.first, 3);
    EXPECT_EQ(view.entry_range.last, 5);
    EXPECT_TRUE(fake.enabled[CMD_COPY]);
    EXPECT_TRUE(fake.enabled[CMD_CUT]);
    EXPECT_TRUE(ov.row_marked(4));
    EXPECT_FALSE(ov.row_marked(6));

    // Back over the anchor: the range turns round it.
    for (int i = 0; i < 4; ++i) ov.line_up(true);
    EXPECT_EQ(view.entry_range.first, 1);
    EXPECT_EQ(view.entry_range.last, 3);
    ov.go_last(true);
    EXPECT_EQ(view.entry_range.first, 3);
    EXPECT_EQ(view.entry_range.last, 19);

    // A move without Shift drops it.
    ov.line_up(false);
    EXPECT_FALSE(view.entry_range.marked);
    EXPECT_EQ(view.entry_range.anchor, -1);
    EXPECT_FALSE(fake.enabled[CMD_COPY]);
    EXPECT_FALSE(fake.enabled[CMD_CUT]);
}

const std::vector<std::string> names = {"Adams", "Mahler", "Meier", "Mueller, Hans", "M\xfcller Eva", "Zander"};

TEST_F(OverviewTest, PrefixSearchFindsTheBeginningOrTheNearestPlace) {
    load(names);
    EXPECT_EQ(prefix_search(store, "m"), 1);
    EXPECT_EQ(prefix_search(store, "M\xdc"), 3);  // umlauts fold to plain vowels
    EXPECT_EQ(prefix_search(store, "mey"), 3);  // where "mey" would stand
    EXPECT_EQ(prefix_search(store, "mb"), 2);   // where "mb" would stand
    EXPECT_EQ(prefix_search(store, "adx"), 0);
    EXPECT_EQ(prefix_search(store, "b"), 1);    // nothing begins with b: the next letter up
    EXPECT_EQ(prefix_search(store, "zz"), 5);
    EXPECT_EQ(prefix_search(store, "~"), 5);    // nothing folds higher: the last place

    // Among equal beginnings the later entry wins.
    load({"Ma", "Mb", "Mc"});
    EXPECT_EQ(prefix_search(store, "mz"), 2);
    // The longest beginning, once the next heading shares less of it.
    load({"Meier", "Nagel", "Otto"});
    EXPECT_EQ(prefix_search(store, "meix"), 0);

    ASSERT_TRUE(store.reset_store());
    EXPECT_EQ(prefix_search(store, "x"), 0);
}

// The search as first written: a second pass for the next letter up.
std::int32_t reference_prefix_search(const Store& store, const std::string& pattern) {
    auto fold = [](char c) { return fold_char(static_cast<std::uint8_t>(c), 2); };
    const char* p = pattern.c_str();
    std::int32_t best = -1, best_entry = 0, j = 0;
    for (std::int32_t i = 0; i < store.entry_count(); ++i) {
        const char* h = store.text_view().data() + store.entry_start(i);
        for (j = 0; j < 255; ++j) {
            if (static_cast<std::uint8_t>(h[j]) < 32 || static_cast<std::uint8_t>(p[j]) < 32) break;
            if (fold(h[j]) != fold(p[j])) {
                if (j > 0 && fold(p[j]) < fold(h[j])) return i;
                break;
            }
        }
        if (p[j] == 0) return i;
        if (j < best) return best_entry;
        best = j;
        best_entry = i;
    }
    if (j == 0) {
        for (std::int32_t k = 0; k < store.entry_count(); ++k) {
            const char first = store.char_at(store.entry_start(k));
            if (static_cast<std::uint8_t>(first) >= 32 && fold(p[0]) < fold(first)) return k;
        }
    }
    return best_entry;
}

// In books sorted as the program sorts them (the search then jumps over the
// entries that behave as their neighbours), in books in any order, and after
// edits that the search must notice.
TEST_F(OverviewTest, PrefixSearchAgreesWithTheTwoPassSearchOnRandomBooks) {
    std::mt19937 random(4711);
    const std::string letters = "abmMuU\xfc\xdc\xe4 ~";
    auto word = [&](int max) {
        std::string w;
        const int n = static_cast<int>(random() % static_cast<unsigned>(max));
        for (int i = 0; i < n; ++i) w += letters[random() % letters.size()];
        return w;
    };
    for (int round = 0; round < 400; ++round) {
        std::vector<std::string> headings;
        const int n = 1 + static_cast<int>(random() % (round < 200 ? 12 : 200));
        for (int i = 0; i < n; ++i) headings.push_back(word(round % 3 == 0 ? 24 : 6));
        if (round % 4 == 0) std::sort(headings.begin(), headings.end());
        load(headings);
        if (round % 4 == 1) sort(store);
        if (round % 8 == 3) {  // an edit after the sort
            sort(store);
            store.replace_text(store.entry_start(static_cast<std::int32_t>(random() % static_cast<unsigned>(store.entry_count()))), 0, "m");
            store.reindex();
        }
        for (int k = 0; k < 8; ++k) {
            std::string pattern = word(5);
            if (k % 2 == 0 && store.entry_count() > 0) {  // a heading's beginning, maybe with more behind it
                const std::int32_t e = static_cast<std::int32_t>(random() % static_cast<unsigned>(store.entry_count()));
                const std::string_view rest = store.text_range(store.entry_start(e), store.entry_start(e + 1));
                pattern = std::string(rest.substr(0, std::min(rest.find('\r'), random() % 8))) + word(3);
            }
            if (pattern.empty() || static_cast<std::uint8_t>(pattern[0]) < 32) pattern = "b";
            EXPECT_EQ(prefix_search(store, pattern.c_str()), reference_prefix_search(store, pattern))
                << "round " << round << " pattern " << pattern;
        }
    }
}

TEST_F(OverviewTest, TypingSearchesShorteningSearchesAgainAndEndingKeepsThePlace) {
    load(names);
    scroll_data_view();
    type("m");
    EXPECT_EQ(state.type_ahead.caption(), "m");
    EXPECT_EQ(selected(), 1);
    expect_data_view_at(1);
    type("\xfc");
    EXPECT_EQ(state.type_ahead.caption(), "m\xfc");
    EXPECT_EQ(selected(), 3);
    EXPECT_FALSE(fake.port.modal_flag);

    ov.type_ahead(2);
    EXPECT_EQ(state.type_ahead.caption(), "m");
    EXPECT_EQ(selected(), 1);
    ov.type_ahead(1);
    EXPECT_FALSE(state.type_ahead.in_progress());
    EXPECT_EQ(state.type_ahead.caption(), "Overview");
    EXPECT_EQ(store.entry_count(), 6);  // shortening never deletes

    type("z");
    ov.type_ahead(4);
    EXPECT_EQ(state.type_ahead.caption(), "Overview");
    EXPECT_EQ(selected(), 5);

    // A navigation key ends the search first.
    type("a");
    ov.line_down(false);
    EXPECT_FALSE(state.type_ahead.in_progress());
    EXPECT_EQ(selected(), 1);
}

TEST_F(OverviewTest, TheTypeAheadTextHoldsAtMost253Characters) {
    load(names);
    type(std::string(260, 'z'));
    EXPECT_EQ(state.type_ahead.length(), 253);
    EXPECT_EQ(state.type_ahead.caption(), std::string(253, 'z'));
    EXPECT_EQ(selected(), 5);
}

TEST_F(OverviewTest, DeletingEntriesRemovesTheirBytesAndKeepsTheSelectionValid) {
    load(numbered(6));
    ov.mark_entries(1, 3);
    view.cursor_row = 3;
    EXPECT_EQ(ov.marked_entries_text(), book({"Entry 1001", "Entry 1002", "Entry 1003"}));
    EXPECT_FALSE(ov.delete_marked_entries());
    EXPECT_EQ(store.text_view(), book({"Entry 1000", "Entry 1004", "Entry 1005"}));
    EXPECT_EQ(store.entry_count(), 3);
    EXPECT_EQ(selected(), 1);
    EXPECT_FALSE(view.entry_range.marked);
    EXPECT_FALSE(fake.enabled[CMD_CUT]);
    EXPECT_EQ(view.selected_entry_start, store.entry_start(1));
    EXPECT_TRUE(store.modified);
    EXPECT_TRUE(store.check());

    // The last entry: the selection moves up to the new last one.
    view.cursor_row = 2;
    EXPECT_FALSE(ov.delete_selected_entry());
    EXPECT_EQ(selected(), 1);
    EXPECT_EQ(view.selected_entry_start, store.entry_start(1));

    // A range that starts above the list scrolls it back.
    view.top_entry = 1;
    view.cursor_row = 0;
    ov.mark_entries(0, 0);
    ov.delete_marked_entries();
    EXPECT_EQ(view.top_entry, 0);
    EXPECT_EQ(view.cursor_row, 0);

    // Everything gone: the caller is told to make a new store.
    EXPECT_TRUE(ov.delete_selected_entry());
    EXPECT_EQ(store.text_length(), 0);
    EXPECT_FALSE(fake.port.modal_flag);
}

TEST_F(OverviewTest, AQuickClickSelectsTheRowAndMarksNothing) {
    load(numbered(20));
    type("e");
    ov.press_begins();
    EXPECT_FALSE(state.type_ahead.in_progress());
    EXPECT_EQ(ov.press_sampled(20 + 4 * 15 + 2, false, false), PressOutcome::released);
    EXPECT_EQ(view.cursor_row, 4);
    EXPECT_FALSE(view.entry_range.marked);
    expect_data_view_at(4);
    // The row at the bottom edge selects the one above it.
    ov.press_sampled(20 + 9 * 15, false, false);
    EXPECT_EQ(view.cursor_row, 8);
}

TEST_F(OverviewTest, HoldingMarksByDraggingAndHoldingOnTheRangeDragsIt) {
    load(numbered(20));
    EXPECT_EQ(ov.press_sampled(20 + 2 * 15, false, true), PressOutcome::mark_by_dragging);
    EXPECT_TRUE(view.entry_range.marked);
    EXPECT_EQ(view.entry_range.first, 2);
    const auto pass = ov.mark_by_dragging_pass(20 + 5 * 15);
    EXPECT_TRUE(pass.changed);
    EXPECT_FALSE(pass.edge_scrolled);
    EXPECT_EQ(view.entry_range.first, 2);
    EXPECT_EQ(view.entry_range.last, 5);
    EXPECT_EQ(view.cursor_row, 5);
    EXPECT_FALSE(ov.mark_by_dragging_pass(20 + 5 * 15).changed);
    // At the bottom edge the list scrolls.
    EXPECT_TRUE(ov.mark_by_dragging_pass(20 + 9 * 15).edge_scrolled);
    EXPECT_EQ(view.top_entry, 1);
    // Far above the list nothing before the first entry is marked.
    view.top_entry = 0;
    ov.mark_by_dragging_pass(-500);
    EXPECT_EQ(view.entry_range.first, 0);
    EXPECT_EQ(view.entry_range.last, 2);

    // Holding on the marked range starts a drag; outside it marks anew.
    EXPECT_EQ(ov.press_sampled(20 + 1 * 15, false, true), PressOutcome::drag_entries);
    EXPECT_EQ(ov.press_sampled(20 + 7 * 15, false, true), PressOutcome::mark_by_dragging);
    EXPECT_EQ(view.entry_range.first, 7);
    EXPECT_EQ(view.entry_range.last, 7);
    EXPECT_EQ(view.entry_range.anchor, 7);
}

TEST_F(OverviewTest, ShiftClickMarksFromThePreviousSelectionAndKeepsTheDataView) {
    load(numbered(20));
    view.cursor_row = 2;
    ov.follow_selection();
    const std::int32_t shown = view.selected_entry_start;
    EXPECT_EQ(ov.press_sampled(20 + 6 * 15, true, true), PressOutcome::mark_by_dragging);
    ov.mark_by_dragging_pass(20 + 6 * 15);
    EXPECT_EQ(view.entry_range.first, 2);
    EXPECT_EQ(view.entry_range.last, 6);
    EXPECT_EQ(view.cursor_row, 6);
    EXPECT_EQ(view.selected_entry_start, shown);
}

TEST_F(OverviewTest, ThumbTrackingEndsTheSearchAndClamps) {
    load(numbered(30));
    type("e");
    ov.track_vertical(25);
    EXPECT_FALSE(state.type_ahead.in_progress());
    EXPECT_EQ(view.top_entry, 21);
    ov.track_horizontal(-5);
    EXPECT_EQ(view.overview_horizontal_offset, 0);
    ov.track_horizontal(5000);
    EXPECT_EQ(view.overview_horizontal_offset, 2032 - 200);
}

TEST_F(OverviewTest, AnEmptyStoreKeepsRowAndTopAtZero) {
    ASSERT_TRUE(store.reset_store());
    ov.line_down(false);
    ov.page_down(false);
    ov.go_last(false);
    EXPECT_EQ(view.top_entry, 0);
    EXPECT_EQ(view.cursor_row, 0);
    EXPECT_EQ(ov.prepare_paint(), 10);
    EXPECT_EQ(ov.rows_with_entries(10), 0);
    EXPECT_FALSE(ov.delete_selected_entry());
}

TEST_F(OverviewTest, AWindowTallerThanAHundredRowsShowsEveryRow) {
    load(numbered(300));
    state.geometry.client_height = 150 * 15;
    const std::int32_t v = ov.prepare_paint();
    EXPECT_EQ(v, 150);
    EXPECT_EQ(ov.rows_with_entries(v), 151);
    EXPECT_STREQ(store.overview_row(150).data(), "Entry 1150");
    ov.go_last(false);
    EXPECT_EQ(view.top_entry, 300 - 150 + 1);
    EXPECT_EQ(selected(), 299);
}

// The window as a canvas sees it: which rows show the inverted frame.
class FrameScreen final : public OverviewCanvas {
public:
    explicit FrameScreen(const ViewState& view) : view_(view) {}
    void toggle_marks() override {
        const std::int32_t row = view_.cursor_row;
        if (framed_.erase(row) == 0) framed_.insert(row);
        ++toggles;
    }
    // A full paint draws the frame once, at the cursor row.
    void paint_full() { framed_ = {view_.cursor_row}; }
    const std::set<std::int32_t>& framed() const { return framed_; }
    int toggles = 0;

private:
    const ViewState& view_;
    std::set<std::int32_t> framed_;
};

TEST_F(OverviewTest, UpAndDownMoveTheFrameByTogglesAndRepaintOnlyWhenTheListScrolls) {
    load(numbered(20));
    FrameScreen screen(view);
    state.canvas = &screen;
    screen.paint_full();
    const auto overview_repaints = [&] {
        return std::count(fake.calls.begin(), fake.calls.end(), "repaint overview");
    };

    ov.line_down(false);
    ov.line_down(false);
    ov.line_up(false);
    EXPECT_EQ(screen.framed(), std::set<std::int32_t>{1});
    EXPECT_EQ(screen.toggles, 6);
    EXPECT_EQ(overview_repaints(), 0);

    // Up on the first entry takes the frame off and puts it back.
    ov.line_up(false);
    ov.line_up(false);
    EXPECT_EQ(screen.framed(), std::set<std::int32_t>{0});

    // Down at row V - 2 scrolls: a full paint follows.
    view.cursor_row = 8;
    screen.paint_full();
    ov.line_down(false);
    EXPECT_EQ(view.top_entry, 1);
    EXPECT_GT(overview_repaints(), 0);

    // With Shift the range is painted in full, not toggled.
    const int toggles = screen.toggles;
    ov.line_up(true);
    EXPECT_EQ(screen.toggles, toggles);
    EXPECT_TRUE(view.entry_range.marked);
}

}  // namespace
}  // namespace lumo

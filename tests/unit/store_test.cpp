// The record store: entry index, line index and rows, growth, undo and the
// new-entry command, with check() after every operation.
#include "data/store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "port/ids.h"
#include "support/fake_port.h"

namespace lumo {
namespace {

using testing::FakePort;

class StoreTest : public ::testing::Test {
protected:
    FakePort fake;
    ViewState view;
    Store store{fake.port, view};

    void SetUp() override { ASSERT_TRUE(store.reset_store()); }

    // Replaces the text and reindexes, as a load does.
    void load(std::string_view text) {
        TextBuffer buffer = store.allocate_text(static_cast<std::int32_t>(text.size()) + text_headroom);
        ASSERT_TRUE(buffer);
        std::memcpy(buffer.data(), text.data(), text.size());
        store.adopt_text(std::move(buffer), static_cast<std::int32_t>(text.size()));
        store.reindex();
        expect_sound();
    }
    void expect_sound() {
        std::string why;
        EXPECT_TRUE(store.check(&why)) << why;
    }
    std::vector<std::int32_t> slots() const {
        return {store.entry_index(), store.entry_index() + store.entry_count() + 2};
    }
    std::string row(std::int32_t r) const { return store.data_view_row(r).data(); }
    std::string heading(std::int32_t r) const { return store.overview_row(r).data(); }
};

TEST_F(StoreTest, ResetGivesAnEmptyLiveStore) {
    EXPECT_FALSE(store.store_released());
    EXPECT_EQ(store.text_capacity(), 2000);
    EXPECT_EQ(store.index_capacity(), 100);
    EXPECT_EQ(store.entries_status_text(), "XXXXXXXX Entries");
    expect_sound();
}

TEST_F(StoreTest, ResetFailureReleasesAndTellsTheUser) {
    Store other(fake.port, view);
    other.allocation_gate = [](std::size_t) { return false; };
    EXPECT_FALSE(other.reset_store());
    EXPECT_TRUE(other.store_released());
    EXPECT_EQ(fake.last_box(), "Not enough memory free!");
    EXPECT_EQ(fake.boxes.back().style, box::error);
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_TRUE(other.check());
}

TEST_F(StoreTest, ReindexOfEmptyBuffer) {
    EXPECT_EQ(store.reindex(), 0);
    EXPECT_EQ(slots(), (std::vector<std::int32_t>{0, 0}));
    EXPECT_EQ(store.entries_status_text(), "       0 Entries");
    EXPECT_TRUE(store.modified);
    EXPECT_EQ(store.window_title_text()[0], '*');
    EXPECT_EQ(fake.status, "       0 Entries");
    EXPECT_EQ(fake.title, "*");
    expect_sound();
}

TEST_F(StoreTest, StatusTextFormatsEveryWidth) {
    auto text = [](std::int32_t n) { auto a = format_entries_status(n); return std::string(a.begin(), a.end()); };
    EXPECT_EQ(text(7), "       7 Entries");
    EXPECT_EQ(text(10), "      10 Entries");
    EXPECT_EQ(text(1234), "    1234 Entries");
    EXPECT_EQ(text(10000001), "10000001 Entries");
    EXPECT_EQ(text(12345678), "12345678 Entries");
}

TEST_F(StoreTest, ReindexFindsTerminatorsOnly) {
    load("A\r\nB\r\n\r\n");
    EXPECT_EQ(slots(), (std::vector<std::int32_t>{0, 8, 8}));

    // The spare CR LF after a terminator starts the next entry.
    load("A\r\n\r\n\r\nB\r\n\r\n");
    EXPECT_EQ(slots(), (std::vector<std::int32_t>{0, 5, 12, 12}));

    // Text behind the last terminator is no entry but the last slot is the length.
    load("X\r\n\r\nYZ");
    EXPECT_EQ(slots(), (std::vector<std::int32_t>{0, 5, 7}));

    // Overlapping candidates: scanning resumes behind a match.
    load("\r\n\r\n\r\n\r\n");
    EXPECT_EQ(slots(), (std::vector<std::int32_t>{0, 4, 8, 8}));
    load("\r\n\r\n\r\n");
    EXPECT_EQ(slots(), (std::vector<std::int32_t>{0, 4, 6}));

    // A terminator cut off by the text length does not count, whatever lies behind.
    load("A\r\n\r");
    store.rewrite_text()[4] = '\n';
    store.reindex();
    EXPECT_EQ(store.entry_count(), 0);
    expect_sound();
}

TEST_F(StoreTest, ReindexMatchesADirectScanOnRandomTexts) {
    std::mt19937 random(7);
    const char alphabet[] = {'\r', '\n', 'a', ' ', '\r', '\n', '\0'};
    for (int round = 0; round < 300; ++round) {
        std::string text(random() % (round < 150 ? 200 : 3000), ' ');
        for (char& c : text) c = alphabet[random() % sizeof alphabet];
        load(text);  // check() compares with a byte-by-byte scan
    }
}

TEST_F(StoreTest, ReindexGrowsTheIndexForManyEntries) {
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "Name\r\n\r\n";
    load(text);
    EXPECT_EQ(store.entry_count(), 5000);
    EXPECT_EQ(store.entries_status_text(), "    5000 Entries");
}

TEST_F(StoreTest, ReindexLeavesStatusAndTitleAloneWhileSorting) {
    load("A\r\n\r\n");
    fake.calls.clear();
    store.modified = false;
    store.sort_running = true;
    store.rewrite_text()[0] = 'B';
    store.reindex();
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_TRUE(store.modified);
    fake.window_exists = false;
    store.sort_running = false;
    store.reindex();
    EXPECT_TRUE(fake.calls.empty());  // no window yet: only core state changes
    EXPECT_EQ(store.entries_status_text(), "       1 Entries");
}

TEST_F(StoreTest, ShowEntryIndexesLinesAndFillsRows) {
    load("A\r\nB\r\n\r\nC\r\n\r\n");
    store.show_entry(4, 0, 0);
    expect_sound();
    EXPECT_EQ(store.current_entry(), 0);
    EXPECT_EQ(store.line_count(), 2);
    EXPECT_EQ(store.line_start(0), 0);
    EXPECT_EQ(store.line_start(1), 3);
    EXPECT_EQ(store.line_start(2), -1);
    EXPECT_EQ(store.line_index().size(), 102u);
    EXPECT_EQ(row(0), "A");
    EXPECT_EQ(row(1), "B");
    EXPECT_EQ(row(2), "");
    EXPECT_EQ(row(3), "");

    // Scrolled: row 0 keeps the heading, row r shows line F + r.
    store.show_entry(3, 0, -1);
    EXPECT_EQ(row(0), "A");
    EXPECT_EQ(row(1), "A");
    EXPECT_EQ(row(2), "B");
}

TEST_F(StoreTest, ShowEntryWithEmptyHeadingAndControlBytes) {
    load("A\r\n\r\n\r\nB\r\n\r\n");
    store.show_entry(2, 5, 0);
    expect_sound();
    EXPECT_EQ(store.line_count(), 2);
    EXPECT_EQ(row(0), "");
    EXPECT_EQ(row(1), "B");

    // A CR LF followed by a control byte starts no line; a row stops at it.
    load("A\x01x\r\n\x02y\r\nZ\r\n\r\n");
    store.show_entry(3, 0, 0);
    expect_sound();
    EXPECT_EQ(store.line_count(), 2);
    EXPECT_EQ(row(0), "A");
    EXPECT_EQ(row(1), "Z");
}

TEST_F(StoreTest, RowsHoldAtMost255Characters) {
    const std::string long_line(300, 'x');
    load(long_line + "\r\n\r\n");
    store.show_entry(1, 0, 0);
    EXPECT_EQ(row(0), std::string(255, 'x'));
    store.fill_overview_rows(1, 0);
    EXPECT_EQ(heading(0), std::string(255, 'x'));
    expect_sound();
}

TEST_F(StoreTest, ShowEntryClearsTheTextBlockOnlyForAnotherEntry) {
    load("A\r\n\r\nB\r\n\r\n");
    store.show_entry(2, 0, 0);
    view.text_block.marked = true;
    fake.calls.clear();
    store.show_entry(2, 0, 0);
    EXPECT_TRUE(view.text_block.marked);
    EXPECT_TRUE(fake.calls.empty());
    store.show_entry(2, 5, 0);
    EXPECT_FALSE(view.text_block.marked);
    EXPECT_FALSE(fake.enabled[CMD_COPY]);
    EXPECT_FALSE(fake.enabled[CMD_CUT]);
    expect_sound();
}

TEST_F(StoreTest, ShowEntryWithoutTerminatorOrOutsideTheText) {
    // An unterminated tail still has its first line, so a caret has a line.
    load("A\r\n\r\nB\r\nC");
    store.show_entry(3, 5, 0);
    expect_sound();
    EXPECT_EQ(store.line_count(), 2);
    EXPECT_EQ(row(1), "C");

    load("");
    store.show_entry(2, 0, 0);
    expect_sound();
    EXPECT_EQ(store.line_count(), 1);
    EXPECT_EQ(row(0), "");

    for (std::int32_t bad : {-5, 1000}) {
        store.show_entry(2, bad, 7);
        expect_sound();
        EXPECT_EQ(store.current_entry(), -1);
        EXPECT_EQ(row(0), "");
    }
    store.show_entry(-3, 0, 0);
    store.show_entry(1 << 30, 0, 1 << 30);
    expect_sound();
}

TEST_F(StoreTest, ShowEntryKeepsOldLinesWhenNoMemory) {
    load("A\r\nB\r\n\r\nC\r\n\r\n");
    store.show_entry(2, 0, 0);
    store.allocation_gate = [](std::size_t) { return false; };
    store.show_entry(2, 8, 0);
    EXPECT_EQ(fake.last_box(), "Not enough memory free!");
    EXPECT_EQ(store.current_entry(), 0);
    EXPECT_EQ(store.line_count(), 2);
    expect_sound();
}

TEST_F(StoreTest, OverviewRowsShowHeadings) {
    load("Beta\r\nx\r\n\r\nAlpha\r\n\r\n");
    store.fill_overview_rows(4, 0);
    EXPECT_EQ(heading(0), "Beta");
    EXPECT_EQ(heading(1), "Alpha");
    EXPECT_EQ(heading(2), "");
    store.fill_overview_rows(2, -1);
    EXPECT_EQ(heading(0), "");
    EXPECT_EQ(heading(1), "Beta");
    store.fill_overview_rows(200, 0);  // more rows than the cache had
    EXPECT_GE(store.overview_row_count(), 200);
    expect_sound();
}

TEST_F(StoreTest, EnsureRoomGrowsWithHeadroom) {
    const std::string text(1600, 'a');
    load(text + "\r\n\r\n");
    store.ensure_room();  // 1604 of 3604: enough room
    EXPECT_EQ(store.text_capacity(), 3604);
    store.set_text_length(3200);
    store.reindex();
    store.ensure_room();
    EXPECT_EQ(store.text_capacity(), 5200);
    EXPECT_EQ(store.index_capacity(), 101);  // entry count + 100
    EXPECT_EQ(std::string(store.text_view().data(), 1600), text);
    expect_sound();
}

TEST_F(StoreTest, EnsureRoomFailureKeepsTheStore) {
    std::string text;
    for (int i = 0; i < 96; ++i) text += "E\r\n\r\n";
    load(text);
    const std::int32_t capacity = store.text_capacity();
    const std::int32_t slots = store.index_capacity();
    store.allocation_gate = [](std::size_t) { return false; };
    store.ensure_room();
    EXPECT_EQ(fake.last_box(), "Not enough memory free!");
    EXPECT_TRUE(fake.modal_seen_in_box);
    EXPECT_FALSE(fake.port.modal_flag);
    EXPECT_EQ(store.text_capacity(), capacity);
    EXPECT_EQ(store.index_capacity(), slots);
    EXPECT_EQ(store.text_view(), text);
    expect_sound();

    store.allocation_gate = nullptr;
    store.ensure_room();
    EXPECT_EQ(store.index_capacity(), 196);
    expect_sound();
}

TEST_F(StoreTest, UndoSwapsTextAndViewBackAndForth) {
    load("A\r\n\r\n");
    view.top_entry = 3;
    view.active_view = ActiveView::overview;
    store.take_undo_snapshot();
    EXPECT_TRUE(store.has_undo_snapshot());
    EXPECT_TRUE(fake.enabled[CMD_UNDO]);

    store.rewrite_text()[0] = 'B';
    store.set_text_length(3);
    std::memcpy(store.rewrite_text() + 3, "\r\n", 2);
    store.set_text_length(5);
    view.top_entry = 0;
    view.active_view = ActiveView::data_view;
    store.show_entry(2, 0, 0);
    fake.calls.clear();

    store.swap_undo_snapshot();
    expect_sound();
    EXPECT_EQ(store.text_view(), "A\r\n\r\n");
    EXPECT_EQ(view.top_entry, 3);
    EXPECT_EQ(store.current_entry(), -1);
    EXPECT_EQ(fake.calls.front(), "top overview");
    EXPECT_EQ(fake.repaints, 2);

    store.swap_undo_snapshot();  // undo doubles as redo
    expect_sound();
    EXPECT_EQ(store.text_view(), "B\r\n\r\n");
    EXPECT_EQ(view.active_view, ActiveView::data_view);
    EXPECT_TRUE(store.has_undo_snapshot());

    store.discard_undo_snapshot();
    EXPECT_FALSE(fake.enabled[CMD_UNDO]);
    store.swap_undo_snapshot();  // nothing to swap
    EXPECT_EQ(store.text_view(), "B\r\n\r\n");
    expect_sound();
}

TEST_F(StoreTest, UndoWithoutMemoryIsSilent) {
    load("A\r\n\r\n");
    store.allocation_gate = [](std::size_t) { return false; };
    store.take_undo_snapshot();
    EXPECT_FALSE(store.has_undo_snapshot());
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_EQ(fake.enabled.count(CMD_UNDO), 0u);
    expect_sound();
}

TEST_F(StoreTest, RepeatedSnapshotsKeepTheLatestState) {
    load("A\r\n\r\n");
    for (int i = 0; i < 3; ++i) {
        store.take_undo_snapshot();
        store.insert_empty_entry();
    }
    const std::string before_last_insert(store.text_view().substr(5));
    store.swap_undo_snapshot();
    EXPECT_EQ(store.text_view(), before_last_insert);
    expect_sound();
}

TEST_F(StoreTest, InsertEmptyEntryInFrontOfTheSelectedEntry) {
    load("A\r\n\r\nB\r\n\r\n");
    view.top_entry = 0;
    view.cursor_row = 1;
    view.caret_line = 2;
    view.caret_column = 4;
    view.first_scrolled_line = 1;
    view.data_view_horizontal_offset = 9;
    view.entry_range.marked = true;
    store.modified = false;
    store.insert_empty_entry();
    expect_sound();
    EXPECT_EQ(store.text_view(), "A\r\n\r\n \r\n\r\nB\r\n\r\n");
    EXPECT_EQ(store.entry_count(), 3);
    EXPECT_EQ(view.selected_entry_start, 5);
    EXPECT_EQ(view.caret_line, 0);
    EXPECT_EQ(view.caret_column, 0);
    EXPECT_EQ(view.first_scrolled_line, 0);
    EXPECT_EQ(view.data_view_horizontal_offset, 0);
    EXPECT_FALSE(view.entry_range.marked);
    EXPECT_EQ(view.active_view, ActiveView::data_view);
    EXPECT_TRUE(fake.enabled[CMD_PASTE]);
    EXPECT_TRUE(store.modified);
    EXPECT_TRUE(store.has_undo_snapshot());

    view.cursor_row = 0;  // the first entry: the new one goes to offset 0
    store.insert_empty_entry();
    EXPECT_EQ(view.selected_entry_start, 0);
    EXPECT_EQ(store.text_view().substr(0, 5), " \r\n\r\n");
    store.swap_undo_snapshot();
    EXPECT_EQ(store.text_view(), "A\r\n\r\n \r\n\r\nB\r\n\r\n");
    expect_sound();
}

TEST_F(StoreTest, InsertEmptyEntryGrowsWhenRoomRunsOut) {
    load("");
    view.cursor_row = 40;  // beyond the last entry: appended in front of nothing
    for (int i = 0; i < 500; ++i) store.insert_empty_entry();
    expect_sound();
    EXPECT_EQ(store.entry_count(), 500);
    EXPECT_EQ(store.text_length(), 2500);

    store.allocation_gate = [](std::size_t) { return false; };
    while (store.text_length() + 5 + text_guard <= store.text_capacity() &&
           store.entry_count() + 3 <= store.index_capacity())
        store.insert_empty_entry();
    const std::string before(store.text_view());
    store.insert_empty_entry();
    EXPECT_EQ(fake.last_box(), "Not enough memory free!");
    EXPECT_EQ(store.text_view(), before);
    expect_sound();
}

TEST_F(StoreTest, ReleasedStoreIgnoresOperations) {
    store.release_store();
    store.reindex();
    store.ensure_room();
    store.take_undo_snapshot();
    store.insert_empty_entry();
    store.show_entry(3, 0, 0);
    store.fill_overview_rows(3, 0);
    EXPECT_TRUE(store.store_released());
    EXPECT_EQ(row(0), "");
    expect_sound();
}

// ---- Scanning kernels ----------------------------------------------------------------

const ScanKernel all_kernels[] = {ScanKernel::portable, ScanKernel::sse2, ScanKernel::avx2};
const Recoding test_recoding{{142, 153, 154, 132, 148, 129, 158, 225}, {196, 214, 220, 228, 246, 252, 223, 223}, 8};
// The other way, and two values the fastest kernel's table cannot tell apart.
const Recoding test_recodings[] = {
    test_recoding,
    {{196, 214, 220, 228, 246, 252, 223, 0}, {142, 153, 154, 132, 148, 129, 158, 0}, 7},
    {{0x81, 0x90, 0, 0, 0, 0, 0, 0}, {0x82, 0x91, 0, 0, 0, 0, 0, 0}, 2},
};

// The plain reading of the rules: every terminator wholly inside the text,
// scanning on behind each match.
std::vector<std::int32_t> terminator_ends(const std::string& text) {
    std::vector<std::int32_t> ends;
    for (std::size_t p = 0; p + 3 < text.size();) {
        if (text.compare(p, 4, "\r\n\r\n") == 0) {
            ends.push_back(static_cast<std::int32_t>(p + 4));
            p += 4;
        } else {
            ++p;
        }
    }
    return ends;
}

std::string recoded(std::string text, const Recoding& r) {
    for (char& c : text)
        for (std::size_t k = 0; k < r.count; ++k)
            if (static_cast<std::uint8_t>(c) == r.from[k]) {
                c = static_cast<char>(r.to[k]);
                break;
            }
    return text;
}

// Texts dense in line ends, runs of CR LF and the recoded bytes, so that
// matches fall on every block and chunk border.
std::string random_text(std::mt19937& random, std::size_t length) {
    const char alphabet[] = {'\r', '\n', '\r', '\n', 'a',    ' ',    '\0',   '\x84', '\xe1',
                             '\x9e', '\xff', '\x80', '\xc4', '\xdf', '\x81', '\x90', '\x91'};
    std::string text(length, ' ');
    for (char& c : text) c = alphabet[random() % sizeof alphabet];
    return text;
}

TEST(ScanKernels, EveryKernelFindsTheSameTerminatorsAndRecodesAlike) {
    ASSERT_TRUE(scan_kernel_available(ScanKernel::portable));
    EXPECT_TRUE(scan_kernel_available(fastest_scan_kernel()));
    std::mt19937 random(17);
    for (int round = 0; round < 400; ++round) {
        const std::string text = random_text(random, random() % (round < 300 ? 300 : 5000));
        const std::vector<std::int32_t> want = terminator_ends(text);
        const Recoding& recoding = test_recodings[static_cast<std::size_t>(round) % std::size(test_recodings)];
        const std::string want_recoded = recoded(text, recoding);
        const std::size_t pieces = 1 + random() % 5;  // a scan split at random points resumes correctly
        for (ScanKernel kernel : all_kernels) {
            for (const bool recode_too : {false, true}) {
                // Spare bytes behind the text are CR LF: they must not complete a match.
                std::string buffer = text + "\r\n\r\n";
                const auto length = static_cast<std::int32_t>(text.size());
                std::vector<std::int32_t> got;
                std::int32_t next = 0;
                std::int32_t begin = 0;
                for (std::size_t piece = 1; piece <= pieces; ++piece) {
                    const std::int32_t end = piece == pieces ? length : std::min<std::int32_t>(length, begin + static_cast<std::int32_t>(random() % 700));
                    std::vector<std::int32_t> ends(static_cast<std::size_t>(end - begin) / 4 + 2);
                    const std::size_t n = scan_text(kernel, buffer.data(), length, begin, end, next,
                                                    recode_too ? &recoding : nullptr, ends.data());
                    got.insert(got.end(), ends.begin(), ends.begin() + static_cast<std::ptrdiff_t>(n));
                    begin = end;
                }
                EXPECT_EQ(got, want) << "kernel " << static_cast<int>(kernel) << " round " << round;
                EXPECT_EQ(buffer.substr(0, text.size()), recode_too ? want_recoded : text);
                EXPECT_EQ(buffer.substr(text.size()), "\r\n\r\n");
            }
            std::string alone = text;
            recode(alone.data(), alone.size(), recoding, kernel);
            EXPECT_EQ(alone, want_recoded);
        }
    }
}

TEST(ScanKernels, EveryKernelAddsTheRepeatingPatternAlike) {
    std::mt19937 random(31);
    for (int round = 0; round < 200; ++round) {
        const std::size_t period = 1 + random() % 80;
        std::vector<std::uint8_t> pattern(period);
        for (auto& b : pattern) b = static_cast<std::uint8_t>(random());
        std::string text(random() % 700, ' ');
        for (char& c : text) c = static_cast<char>(random());
        std::string want = text;
        for (std::size_t i = 0; i < want.size(); ++i)
            want[i] = static_cast<char>(static_cast<std::uint8_t>(want[i]) + pattern[i % period]);
        for (ScanKernel kernel : all_kernels) {
            std::string got = text + "tail";  // nothing behind the length changes
            add_repeating(got.data(), text.size(), pattern.data(), period, kernel);
            EXPECT_EQ(got, want + "tail") << "kernel " << static_cast<int>(kernel) << " period " << period;
        }
    }
}

TEST(ScanKernels, DenseTerminatorsFillEveryBlock) {
    // One match every four bytes: the most a range can hold.
    std::string text;
    for (int i = 0; i < 300; ++i) text += "\r\n\r\n";
    for (ScanKernel kernel : all_kernels) {
        std::vector<std::int32_t> ends(text.size() / 4 + 2);
        std::int32_t next = 0;
        const auto length = static_cast<std::int32_t>(text.size());
        EXPECT_EQ(scan_text(kernel, text.data(), length, 0, length, next, nullptr, ends.data()), 300u);
        EXPECT_EQ(ends[299], length);
        EXPECT_EQ(next, length);
    }
}

TEST_F(StoreTest, ReindexAcrossLongTextsMatchesADirectScan) {
    // Longer than the store's scanning chunks, with terminators straddling
    // their borders and overlapping runs at every offset.
    std::mt19937 random(23);
    for (int round = 0; round < 12; ++round) {
        std::string text = random_text(random, 20000 + random() % 20000);
        for (std::size_t border = 8192 - 3; border < text.size(); border += 8192 + round % 5)
            text.replace(border, 6, "\r\n\r\n\r\n");
        load(text);
        std::vector<std::int32_t> want{0};
        for (std::int32_t end : terminator_ends(text)) want.push_back(end);
        want.push_back(static_cast<std::int32_t>(text.size()));
        EXPECT_EQ(slots(), want);
    }
}

TEST_F(StoreTest, RecodeAndReindexIsRecodeThenReindex) {
    std::mt19937 random(29);
    for (int round = 0; round < 20; ++round) {
        const std::string text = random_text(random, random() % 20000);
        load(text);
        store.modified = false;
        EXPECT_EQ(store.recode_and_reindex(test_recoding), static_cast<std::int32_t>(terminator_ends(text).size()));
        EXPECT_EQ(store.text_view(), recoded(text, test_recoding));
        EXPECT_TRUE(store.modified);
        expect_sound();
    }
}

TEST(FoldChar, FollowsCharUpperAndTheUmlautRule) {
    EXPECT_EQ(fold_char('a', 1), 'A');
    EXPECT_EQ(fold_char(0xF6, 1), 0xD6);  // "ö" -> "Ö"
    EXPECT_EQ(fold_char(0xDF, 1), 0xDF);  // "ß" stays
    EXPECT_EQ(fold_char(0xF7, 1), 0xF7);  // division sign
    EXPECT_EQ(fold_char(0xE0, 1), 0xC0);
    EXPECT_EQ(fold_char(0xFE, 1), 0xDE);
    EXPECT_EQ(fold_char(0x9A, 1), 0x8A);
    EXPECT_EQ(fold_char(0x9C, 1), 0x8C);
    EXPECT_EQ(fold_char(0x9E, 1), 0x8E);
    EXPECT_EQ(fold_char(0xFF, 1), 0x9F);
    EXPECT_EQ(fold_char('{', 1), '{');
    EXPECT_EQ(fold_char(0xF6, 2), 'O');
    EXPECT_EQ(fold_char(0xD6, 2), 'O');
    EXPECT_EQ(fold_char(0xE4, 2), 'A');
    EXPECT_EQ(fold_char(0xC4, 2), 'A');
    EXPECT_EQ(fold_char(0xFC, 2), 'U');
    EXPECT_EQ(fold_char(0xDC, 2), 'U');
    EXPECT_EQ(fold_char(0xDF, 2), 0xDF);
    EXPECT_EQ(fold_char(0xE9, 2), 0xC9);
    EXPECT_EQ(fold_char('a', 0), 'a');
    EXPECT_EQ(fold_char(0xF6, 3), 0xF6);
}

// Edits anywhere, short and long (making and breaking entry terminators), reads that move
// the gap, undo swaps and whole rewrites, against a plain string: the text,
// the entry index and what Undo brings back must be the string's, and the
// store sound after every step.
TEST_F(StoreTest, EditsAndUndoAgreeWithAPlainText) {
    std::mt19937 random(41);
    const char alphabet[] = {'\r', '\n', '\r', '\n', 'a', 'b', ' ', '\xe4'};
    auto some_bytes = [&](std::size_t most) {
        std::string s(random() % (most + 1), ' ');
        for (char& c : s) c = alphabet[random() % sizeof alphabet];
        return s;
    };
    auto starts_of = [](const std::string& text) {
        std::vector<std::int32_t> starts{0};
        for (std::int32_t end : terminator_ends(text)) starts.push_back(end);
        starts.push_back(static_cast<std::int32_t>(text.size()));
        return starts;
    };
    for (int round = 0; round < 40; ++round) {
        std::string model;
        for (int e = 0; e < 30; ++e) model += "entry " + std::to_string(e) + "\r\nline\r\n\r\n";
        load(model);
        std::optional<std::string> undo;  // the text a swap brings back
        for (int step = 0; step < 300; ++step) {
            const auto length = static_cast<std::int32_t>(model.size());
            const std::int32_t at = length == 0 ? 0 : static_cast<std::int32_t>(random() % static_cast<unsigned>(length + 1));
            switch (random() % 10) {
            case 0:
                store.take_undo_snapshot();
                undo = model;
                break;
            case 1:
                if (undo) {
                    store.swap_undo_snapshot();
                    std::swap(*undo, model);
                }
                break;
            case 2: {  // a read in one piece moves the gap; the bytes stay
                const std::int32_t to = std::min(length, at + static_cast<std::int32_t>(random() % 40));
                ASSERT_EQ(store.text_range(at, to), model.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(to - at)));
                break;
            }
            case 3:
                if (random() % 4 == 0) {  // a rewrite in place, as the data check does
                    store.rewrite_text()[0] = 'R';
                    if (!model.empty()) model[0] = 'R';
                    store.reindex();
                }
                break;
            default: {
                const std::int32_t removed = std::min<std::int32_t>(static_cast<std::int32_t>(random() % 12), length - at);
                // Now and then a long insertion, as an import or a paste of many entries makes.
                const std::string bytes = some_bytes(random() % 8 == 0 ? 1200 : 10);
                ASSERT_TRUE(store.replace_text(at, removed, bytes));
                store.reindex();
                model.replace(static_cast<std::size_t>(at), static_cast<std::size_t>(removed), bytes);
                break;
            }
            }
            std::string why;
            ASSERT_TRUE(store.check(&why)) << why << " round " << round << " step " << step;
            std::string copy(static_cast<std::size_t>(store.text_length()), '\0');
            store.copy_text(0, store.text_length(), copy.data());
            ASSERT_EQ(copy, model) << "round " << round << " step " << step;
            ASSERT_EQ(slots(), starts_of(model)) << "round " << round << " step " << step;
            const std::int32_t k = store.entry_at(at);
            ASSERT_TRUE(store.entry_start(k) <= at && (k == store.entry_count() || at < store.entry_start(k + 1)));
        }
    }
}

}  // namespace
}  // namespace lumo

// Search and replace: the scan in four directions, case folding, the hit as
// text block with the caret behind it, the messages, replace once and all,
// line breaking, the blank-line placeholder, the current-entry scope, the
// calendar's search request, and a differential test of the one-pass
// replace-all against replacing one hit at a time.
#include "data/search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/app.h"
#include "data/store.h"
#include "port/ids.h"
#include "support/fake_port.h"

namespace lumo {
namespace {

using testing::FakePort;

constexpr SearchDirection backward = SearchDirection::backward;
constexpr SearchDirection forward = SearchDirection::forward;
constexpr SearchDirection backward_wrap = SearchDirection::backward_wrap;
constexpr SearchDirection forward_wrap = SearchDirection::forward_wrap;

class SearchTest : public ::testing::Test {
protected:
    FakePort fake;
    ViewState view;
    Store store{fake.port, view};
    FixedDataViewMetrics metrics;
    Search search{store};

    void SetUp() override {
        ASSERT_TRUE(store.reset_store());
        search.set_metrics(metrics);
    }

    void load(std::string_view text) {
        TextBuffer buffer = store.allocate_text(static_cast<std::int32_t>(text.size()) + text_headroom);
        ASSERT_TRUE(buffer);
        std::memcpy(buffer.data(), text.data(), text.size());
        store.adopt_text(std::move(buffer), static_cast<std::int32_t>(text.size()));
        store.reindex();
        store.modified = false;
        fake.calls.clear();
    }
    std::string text() const { return std::string(store.text_view()); }
    void expect_sound() {
        std::string why;
        EXPECT_TRUE(store.check(&why)) << why;
    }
    void caret_at(std::int32_t entry, std::int32_t line, std::int32_t column) {
        view.top_entry = 0;
        view.cursor_row = entry;
        view.selected_entry_start = store.entry_start(entry);
        view.caret_line = line;
        view.caret_column = column;
    }
    void find(std::string_view what, SearchDirection d, bool ignore_case = true) {
        search.search_settings = {std::string(what), d, ignore_case};
        search.search();
    }
    void set_replace(std::string_view what, std::string_view with, SearchDirection d, bool all) {
        search.replace_settings = {std::string(what), std::string(with), d, true, all};
    }
    // Where the last search put the user: entry, line, column of the caret.
    std::vector<std::int32_t> caret() const { return {view.selected_entry(), view.caret_line, view.caret_column}; }
};

const std::string book =
    "Alpha\r\nMain Street 1\r\n\r\n"
    "Beta\r\nfoo bar\r\nfoo\r\n\r\n"
    "Gamma\r\nbaz \xe4rger\r\n\r\n";

// ---- Text level -------------------------------------------------------------

TEST(Needle, FoldsCaseOnlyWhenAskedAndNeverSpansALineEnd) {
    const std::string text = "Hello\r\nWORLD \xe4rger \xc4RGER\r\n";
    const auto length = static_cast<std::int32_t>(text.size());
    const Needle folded("world", true);
    const Needle exact("world", false);
    EXPECT_EQ(folded.find_forward(text.data(), length, 0, length), 7);
    EXPECT_EQ(exact.find_forward(text.data(), length, 0, length), -1);
    // Umlauts fold as CharUpperA does: \xe4 and \xc4 are one letter.
    const Needle umlaut("\xc4rger", true);
    EXPECT_EQ(umlaut.find_forward(text.data(), length, 0, length), 13);
    EXPECT_EQ(umlaut.find_backward(text.data(), length, length - 1, 0), 19);
    EXPECT_EQ(Needle("\xc4RGER", false).find_forward(text.data(), length, 0, length), 19);
    EXPECT_EQ(Needle("\xc4rger", false).find_forward(text.data(), length, 0, length), -1);
    // A line end on either side never matches, with or without a blank.
    EXPECT_EQ(Needle("Hello\r\nWORLD", true).find_forward(text.data(), length, 0, length), -1);
    EXPECT_EQ(Needle("hello world", true).find_forward(text.data(), length, 0, length), -1);
    EXPECT_FALSE(Needle("\t", true).can_match());
    EXPECT_FALSE(Needle("", true).can_match());
    // One character finds that character; a hit never reaches past the length.
    EXPECT_EQ(Needle("h", true).find_forward(text.data(), length, 1, length), -1);
    EXPECT_EQ(Needle("o", true).find_forward(text.data(), length, 0, length), 4);
    EXPECT_EQ(Needle("Hel", true).find_forward(text.data(), 2, 0, 2), -1);
}

TEST(Scan, FourDirectionsStopOrGoRoundOnce) {
    //                      0123456789
    const std::string text = "ab ab ab x";
    const auto n = static_cast<std::int32_t>(text.size());
    const Needle ab("ab", true);
    auto at = [&](std::int32_t start, SearchDirection d) { return scan(ab, text.data(), n, 0, n, start, d); };
    EXPECT_EQ(at(0, forward), 0);
    EXPECT_EQ(at(1, forward), 3);
    EXPECT_EQ(at(7, forward), -1);
    EXPECT_EQ(at(7, forward_wrap), 0);
    EXPECT_EQ(at(6, forward_wrap), 6);
    // Backward steps one byte back first, so a hit at the start is skipped.
    EXPECT_EQ(at(6, backward), 3);
    EXPECT_EQ(at(7, backward), 6);
    EXPECT_EQ(at(0, backward), -1);
    EXPECT_EQ(at(0, backward_wrap), 6);
    EXPECT_EQ(at(1, backward_wrap), 0);
    // Going round stops where it began: with one hit exactly there, it is found.
    const std::string one = "x ab x";
    EXPECT_EQ(scan(ab, one.data(), 6, 0, 6, 2, forward_wrap), 2);
    EXPECT_EQ(scan(ab, one.data(), 6, 0, 6, 3, backward_wrap), 2);
    EXPECT_EQ(scan(ab, one.data(), 6, 0, 6, 3, forward_wrap), 2);
    // Limits: nothing outside [lo, hi) is reported.
    EXPECT_EQ(scan(ab, text.data(), n, 1, 6, 1, forward_wrap), 3);
    EXPECT_EQ(scan(ab, text.data(), n, 1, 6, 4, forward_wrap), 3);
    EXPECT_EQ(scan(ab, text.data(), n, 4, 6, 4, backward_wrap), -1);
}

TEST(WriteReplacement, BreaksBeforeLine255AndNeverLeavesAnEmptyLine) {
    char out[64];
    // Plenty of room: written as is, the caret behind it.
    Insertion done = write_replacement("abc", 10, 5, false, out);
    EXPECT_EQ(std::string(out, static_cast<std::size_t>(done.size)), "abc");
    EXPECT_EQ(done.caret_column, 13);
    // Column 240 with 10 characters behind: 245 + 4 = 249 fits, the fifth breaks.
    done = write_replacement("0123456789", 240, 10, false, out);
    EXPECT_EQ(std::string(out, static_cast<std::size_t>(done.size)), "0123\r\n456789");
    EXPECT_EQ(done.breaks, 1);
    EXPECT_EQ(done.caret_column, 6);
    // At column 0 nothing is broken off, whatever follows.
    done = write_replacement("xy", 0, 254, false, out);
    EXPECT_EQ(std::string(out, static_cast<std::size_t>(done.size)), "x\r\ny");
    // An emptied line keeps its blank behind the replacement.
    done = write_replacement("new", 0, 0, true, out);
    EXPECT_EQ(std::string(out, static_cast<std::size_t>(done.size)), "new ");
    EXPECT_EQ(done.caret_column, 3);
    done = write_replacement("", 0, 0, true, out);
    EXPECT_EQ(std::string(out, static_cast<std::size_t>(done.size)), " ");
    // Control bytes are left out.
    done = write_replacement("a\r\nb", 0, 0, false, out);
    EXPECT_EQ(std::string(out, static_cast<std::size_t>(done.size)), "ab");
}

// ---- Search on the store ----------------------------------------------------

TEST_F(SearchTest, EmptySearchTextIsToldAndRepeatOpensTheDialog) {
    load(book);
    find("", forward);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, "No searching-text defined!");
    EXPECT_EQ(fake.boxes[0].caption, "VORNIX-Lumo:");
    EXPECT_EQ(fake.boxes[0].style, box::notice);
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_TRUE(fake.modal_seen_in_box);

    int dialogs = 0;
    search.open_search_dialog = [&] { ++dialogs; };
    search.repeat_search();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(fake.boxes.size(), 1u);
}

TEST_F(SearchTest, HitBecomesTheBlockAndTheDataViewTakesOver) {
    load(book);
    view.active_view = ActiveView::overview;
    caret_at(0, 0, 0);
    find("FOO", forward);
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_EQ(caret(), (std::vector<std::int32_t>{1, 1, 3}));
    EXPECT_EQ(view.top_entry, 0);
    EXPECT_EQ(view.selected_entry_start, store.entry_start(1));
    EXPECT_TRUE(view.text_block.marked);
    EXPECT_EQ(view.text_block.start_line, 1);
    EXPECT_EQ(view.text_block.end_line, 1);
    EXPECT_EQ(view.text_block.start_column, 0);
    EXPECT_EQ(view.text_block.end_column, 3);
    EXPECT_TRUE(fake.enabled[CMD_COPY]);
    EXPECT_TRUE(fake.enabled[CMD_CUT]);
    EXPECT_EQ(view.active_view, ActiveView::data_view);
    EXPECT_TRUE(fake.enabled[CMD_PASTE]);
    // The data view shows the entry, so painting keeps the block.
    EXPECT_EQ(store.current_entry(), store.entry_start(1));
    EXPECT_STREQ(store.data_view_row(0).data(), "Beta");
    // The status bar said what was going on and then the count again.
    EXPECT_NE(std::find(fake.calls.begin(), fake.calls.end(), "status: Suchen..."), fake.calls.end());
    EXPECT_EQ(fake.status, std::string(store.entries_status_text()));

    // Search again goes on behind the hit, then to the umlaut in another entry.
    search.repeat_search();
    EXPECT_EQ(caret(), (std::vector<std::int32_t>{1, 2, 3}));
    find("\xc4RGER", forward);
    EXPECT_EQ(caret(), (std::vector<std::int32_t>{2, 1, 9}));
    EXPECT_EQ(view.text_block.start_column, 4);
}

TEST_F(SearchTest, DirectionsWrapAndNotFoundMessages) {
    load(book);
    // Backward: the caret goes to the hit's start, so the next search moves on.
    caret_at(2, 1, 3);
    find("foo", backward);
    EXPECT_EQ(caret(), (std::vector<std::int32_t>{1, 2, 0}));
    search.search();
    EXPECT_EQ(caret(), (std::vector<std::int32_t>{1, 1, 0}));
    search.search();
    EXPECT_EQ(fake.last_box(), "No adequate entry found!");
    EXPECT_EQ(fake.boxes.back().style, box::notice);
    // Backward with wrap goes round from the first entry to the last hit.
    search.search_settings.direction = backward_wrap;
    search.search();
    EXPECT_EQ(caret(), (std::vector<std::int32_t>{1, 2, 0}));

    // Forward without wrap behind the last hit: not found; with wrap: found.
    fake.boxes.clear();
    caret_at(2, 0, 0);
    find("alpha", forward);
    EXPECT_EQ(fake.last_box(), "No adequate entry found!");
    find("alpha", forward_wrap);
    EXPECT_EQ(caret(), (std::vector<std::int32_t>{0, 0, 5}));

    // One hit at the caret: found; Search again goes round to it again.
    fake.boxes.clear();
    caret_at(0, 1, 5);
    find("street", forward_wrap);
    EXPECT_EQ(caret(), (std::vector<std::int32_t>{0, 1, 11}));
    search.repeat_search();
    EXPECT_EQ(caret(), (std::vector<std::int32_t>{0, 1, 11}));
    EXPECT_TRUE(fake.boxes.empty());

    // Case distinction on: "ALPHA" is not "Alpha".
    find("ALPHA", forward_wrap, false);
    EXPECT_EQ(fake.last_box(), "No adequate entry found!");
}

TEST_F(SearchTest, CaretIsScrolledIntoView) {
    std::string entry = "Long\r\n";
    for (int i = 1; i < 40; ++i) entry += "line " + std::to_string(i) + "\r\n";
    entry += std::string(200, 'x') + "needle\r\n\r\n";
    load(entry);
    metrics.rows = 10;
    metrics.width = 400;
    caret_at(0, 0, 0);
    view.first_scrolled_line = 0;
    find("line 30", forward);
    EXPECT_EQ(view.caret_line, 30);
    EXPECT_EQ(view.first_scrolled_line, 30 - 10 + 3);
    // A hit above the shown lines: the line before it becomes the first.
    find("line 5", backward);
    EXPECT_EQ(view.first_scrolled_line, 4);
    // Far right: offset = x - width / 8.
    EXPECT_EQ(view.data_view_horizontal_offset, 0);
    find("needle", forward);
    EXPECT_EQ(view.caret_column, 206);
    EXPECT_EQ(view.data_view_horizontal_offset, 206 * 8 - 400 / 8);
    // Back on the heading (bold cells) the offset returns.
    find("long", forward_wrap);
    EXPECT_EQ(view.first_scrolled_line, 0);
    EXPECT_EQ(view.data_view_horizontal_offset, 0);
}

TEST_F(SearchTest, CalendarRequestSearchesItsFirst51Characters) {
    load(book);
    caret_at(0, 0, 0);
    search.search_request("MAIN street" + std::string(60, 'z'));
    EXPECT_EQ(search.search_settings.text.size(), 51u);
    EXPECT_EQ(fake.last_box(), "No adequate entry found!");
    search.search_request("bar");
    EXPECT_EQ(caret(), (std::vector<std::int32_t>{1, 1, 7}));
}

TEST(SearchWiring, AppRunsTheCalendarsSearchRequests) {
    struct NoCalendar final : calendar::Transport {
        bool find_calendar() override { return true; }
        void post(const calendar::WireMessage&) override {}
        void bring_calendar_to_front() override {}
    } transport;
    FakePort fake;
    App app{fake.port, transport};
    ASSERT_TRUE(app.store.reset_store());
    const std::string text = "Miller\r\nx\r\n\r\n";
    TextBuffer buffer = app.store.allocate_text(2000);
    std::memcpy(buffer.data(), text.data(), text.size());
    app.store.adopt_text(std::move(buffer), static_cast<std::int32_t>(text.size()));
    app.store.reindex();
    for (const auto& m : calendar::encode_text("ASmill")) app.on_transfer_message(m.w, m.l);
    EXPECT_EQ(app.search.search_settings.text, "mill");
    EXPECT_TRUE(app.views.text_block.marked);
    EXPECT_EQ(app.views.caret_column, 4);
}

// ---- Replace ---------------------------------------------------------------------

TEST_F(SearchTest, ReplaceOnceMovesTheCaretBehindAndUndoRestores) {
    load(book);
    view.active_view = ActiveView::data_view;
    caret_at(0, 0, 0);
    set_replace("foo", "quux", forward, false);
    search.replace(ReplaceScope::whole_data);
    EXPECT_EQ(text(), "Alpha\r\nMain Street 1\r\n\r\nBeta\r\nquux bar\r\nfoo\r\n\r\nGamma\r\nbaz \xe4rger\r\n\r\n");
    EXPECT_EQ(caret(), (std::vector<std::int32_t>{1, 1, 4}));
    EXPECT_FALSE(view.text_block.marked);
    EXPECT_TRUE(store.sort_pending);
    EXPECT_TRUE(store.modified);
    EXPECT_EQ(store.current_entry(), -1);
    EXPECT_NE(std::find(fake.calls.begin(), fake.calls.end(), "status: Suchen/Ersetzen..."), fake.calls.end());
    expect_sound();
    // Repeat replace goes on from the caret.
    search.repeat_replace(ReplaceScope::whole_data);
    EXPECT_EQ(caret(), (std::vector<std::int32_t>{1, 2, 4}));
    store.swap_undo_snapshot();
    EXPECT_EQ(text().substr(24, 20), "Beta\r\nquux bar\r\nfoo\r");

    // Backward: the caret stays at the hit's start.
    load(book);
    caret_at(2, 0, 0);
    set_replace("foo", "F", backward, false);
    search.replace(ReplaceScope::whole_data);
    EXPECT_EQ(caret(), (std::vector<std::int32_t>{1, 2, 0}));
    EXPECT_NE(text().find("foo bar\r\nF \r\n"), std::string::npos);
}

TEST_F(SearchTest, ReplacingTheHeadingFromTheOverviewSortsAtOnce) {
    load(book);
    view.active_view = ActiveView::overview;
    caret_at(0, 0, 0);
    set_replace("Alpha", "Zulu", forward, false);
    search.replace(ReplaceScope::whole_data);
    EXPECT_EQ(text().substr(0, 6), "Beta\r\n");
    EXPECT_EQ(view.selected_entry(), 2);
    EXPECT_EQ(view.caret_line, 0);
    EXPECT_EQ(view.caret_column, 4);
    EXPECT_FALSE(store.sort_pending);
    expect_sound();
}

TEST_F(SearchTest, LongLinesBreakAndEmptiedLinesKeepABlank) {
    const std::string long_line = std::string(100, 'a') + "abc" + std::string(147, 'b');  // 250
    load("Head\r\n" + long_line + "\r\n\r\n");
    caret_at(0, 1, 0);
    set_replace("abc", "0123456789", forward, false);
    search.replace(ReplaceScope::whole_data);
    const std::string expected_first = std::string(100, 'a') + "0123456";
    const std::string expected_second = "789" + std::string(147, 'b');
    EXPECT_EQ(text(), "Head\r\n" + expected_first + "\r\n" + expected_second + "\r\n\r\n");
    EXPECT_EQ(caret(), (std::vector<std::int32_t>{0, 2, 3}));
    expect_sound();

    // A whole line replaced: the blank stays behind the replacement; an
    // empty replacement leaves the blank alone, so the entry stays whole.
    load("Head\r\nfoo\r\nrest\r\n\r\n");
    caret_at(0, 0, 0);
    set_replace("foo", "new", forward, false);
    search.replace(ReplaceScope::whole_data);
    EXPECT_EQ(text(), "Head\r\nnew \r\nrest\r\n\r\n");
    set_replace("new", "", forward, false);
    caret_at(0, 0, 0);
    search.replace(ReplaceScope::whole_data);
    EXPECT_EQ(text(), "Head\r\n \r\nrest\r\n\r\n");
    set_replace("head", "", forward, true);
    search.replace(ReplaceScope::whole_data);
    EXPECT_EQ(text(), " \r\n \r\nrest\r\n\r\n");
    EXPECT_EQ(store.entry_count(), 1);
    expect_sound();
}

TEST_F(SearchTest, ReplaceAllOverTheDataCountsSortsAndUndoes) {
    load("Beta\r\naa a\r\n\r\nAlpha\r\nA\r\n\r\n");
    view.active_view = ActiveView::overview;
    caret_at(1, 1, 0);
    set_replace("a", "xa", backward_wrap, true);  // the whole data always goes forward
    search.replace(ReplaceScope::whole_data);
    EXPECT_EQ(text(), "Betxa\r\nxaxa xa\r\n\r\nxalphxa\r\nxa \r\n\r\n");
    EXPECT_EQ(fake.last_box(), "7 entries were replaced!");
    EXPECT_EQ(fake.boxes.back().style, box::notice);
    EXPECT_NE(std::find(fake.calls.begin(), fake.calls.end(), "status: Alles ersetzen..."), fake.calls.end());
    EXPECT_FALSE(store.sort_pending);
    EXPECT_TRUE(store.modified);
    EXPECT_EQ(view.top_entry, 0);
    EXPECT_EQ(search.replace_settings.direction, backward_wrap);
    expect_sound();
    store.swap_undo_snapshot();
    EXPECT_EQ(text(), "Beta\r\naa a\r\n\r\nAlpha\r\nA\r\n\r\n");

    fake.boxes.clear();
    set_replace("zzz", "y", forward, true);
    search.replace(ReplaceScope::whole_data);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, "No adequate entry found!");
}

TEST_F(SearchTest, CurrentEntryScopeEndsAfterOneRoundWhateverTheReplacement) {
    const std::string others = "Alpha\r\naaa\r\n\r\n";
    const std::string mine = "Beta\r\nab a\r\n\r\n";
    for (const SearchDirection d : {backward, forward, backward_wrap, forward_wrap}) {
        load(others + mine + others);
        caret_at(1, 1, 2);
        set_replace("a", "aa", d, true);
        search.replace(ReplaceScope::current_entry);
        EXPECT_EQ(fake.last_box(), "3 entries were replaced!") << int(d);
        // Only the shown entry changed; every "a" of it was doubled once.
        const std::string after = text();
        EXPECT_NE(after.find("Betaa\r\naab aa\r\n\r\n"), std::string::npos) << int(d);
        EXPECT_EQ(std::count(after.begin(), after.end(), 'a'), 2 * 4 + 6) << int(d);
        expect_sound();
    }
}

TEST_F(SearchTest, NoHitInTheEntryOffersTheWholeData) {
    load(book);
    view.active_view = ActiveView::data_view;
    caret_at(0, 0, 0);
    set_replace("gamma", "Delta", forward, true);
    fake.answers = {Answer::no};
    search.replace(ReplaceScope::current_entry);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, "No adequate entry found!\nDo want to search in whole Data?");
    EXPECT_EQ(fake.boxes[0].style, box::question | box::topmost);
    EXPECT_EQ(text(), book);

    // Yes: a single replacement over the whole data, from the overview.
    fake.answers = {Answer::yes};
    search.replace(ReplaceScope::current_entry);
    EXPECT_FALSE(search.replace_settings.replace_all);
    EXPECT_NE(text().find("Delta \r\nbaz"), std::string::npos);
    // Heading replaced from the overview: sorted at once.
    EXPECT_EQ(view.active_view, ActiveView::overview);
    EXPECT_FALSE(fake.enabled[CMD_PASTE]);
    expect_sound();
}

// ---- Differential: one pass against one hit at a time ----------------------------

// Replace all as written down: scan forward; at a hit delete it, give an
// emptied line its blank, insert the replacement byte by byte (a CR LF in
// front of a byte that would bring the line to 255, never at a line's
// start), and go on right behind what was inserted.
std::string reference_replace_all(std::string text, std::size_t end, const std::string& needle, bool ignore_case,
                                  const std::string& replacement, int& count) {
    const std::size_t tail = text.size() - end;
    auto fold = [&](unsigned char c) { return ignore_case ? fold_char(c, 1) : c; };
    auto match = [&](std::size_t p) {
        if (p + needle.size() > text.size()) return false;
        for (std::size_t i = 0; i < needle.size(); ++i) {
            const auto t = static_cast<unsigned char>(text[p + i]);
            const auto s = static_cast<unsigned char>(needle[i]);
            if (t < 32 || s < 32 || fold(t) != fold(s)) return false;
        }
        return true;
    };
    count = 0;
    std::size_t p = 0;
    while (p < text.size() - tail) {
        if (!match(p)) {
            ++p;
            continue;
        }
        ++count;
        std::size_t line_start = p;
        while (line_start > 0 && text[line_start - 1] != '\r') --line_start;
        int column = 0;
        for (std::size_t q = line_start; q < p; ++q)
            if (static_cast<unsigned char>(text[q]) >= 32) ++column;
        text.erase(p, needle.size());
        bool blank = false;
        if (column == 0 && (p == text.size() || text[p] == '\r')) {
            text.insert(p, 1, ' ');
            blank = true;
        }
        int rest = 0;
        for (std::size_t q = p; q < text.size() && text[q] != '\r'; ++q)
            if (static_cast<unsigned char>(text[q]) >= 32) ++rest;
        std::size_t at = p;
        for (const char c : replacement) {
            if (static_cast<unsigned char>(c) < 32) continue;
            if (column > 0 && rest + column + 1 >= 255) {
                text.insert(at, "\r\n");
                at += 2;
                column = 0;
            }
            text.insert(at, 1, c);
            ++at;
            ++column;
        }
        p = at + (blank ? 1 : 0);
    }
    return text;
}

std::size_t count_terminators(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t p = text.find("\r\n\r\n"); p != std::string::npos; p = text.find("\r\n\r\n", p + 4)) ++count;
    return count;
}

TEST(ReplaceAllDifferential, OnePassEqualsOneHitAtATime) {
    std::mt19937 random(20261207);
    const std::string alphabet = "aAb \xe4\xc4";
    auto pick = [&](std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i) s += alphabet[random() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 600; ++round) {
        // Entries of lines; some lines near the 255 limit, some placeholders.
        std::string text;
        const int entries = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < entries; ++e) {
            const int lines = 1 + static_cast<int>(random() % 4);
            for (int l = 0; l < lines; ++l) {
                const unsigned shape = random() % 10;
                std::string line = shape == 0 ? " " : shape == 1 ? pick(240 + random() % 16) : pick(1 + random() % 12);
                if (line.find_first_not_of(' ') == std::string::npos) line = " ";
                text += line + "\r\n";
            }
            text += "\r\n";
        }
        const std::size_t end = text.size();
        if (random() % 4 == 0) text += "a b";  // text behind the last entry
        const std::string needle = random() % 8 == 0 ? " " : pick(1 + random() % 3);
        const std::string replacement = random() % 3 == 0 ? needle + pick(random() % 3) : pick(random() % 14);
        const bool ignore_case = random() % 2 == 0;

        int expected_count = 0;
        const std::string expected = reference_replace_all(text, end, needle, ignore_case, replacement, expected_count);

        const Needle n(needle, ignore_case);
        const auto length = static_cast<std::int32_t>(text.size());
        const auto hits = collect_hits_forward(n, text.data(), length, 0, static_cast<std::int32_t>(end));
        std::string out(static_cast<std::size_t>(rebuilt_size_bound(length, hits.size(), n.size(),
                                                                    static_cast<std::int32_t>(replacement.size()))),
                        '\0');
        out.resize(static_cast<std::size_t>(write_replacements(text.data(), length, hits, n.size(), replacement, out.data())));
        ASSERT_EQ(static_cast<int>(hits.size()), expected_count) << round;
        ASSERT_EQ(out, expected) << "round " << round << " needle '" << needle << "' replacement '" << replacement << "'";
        // Replacing never adds or removes an entry.
        EXPECT_EQ(count_terminators(out), count_terminators(text)) << round;
    }
}

}  // namespace
}  // namespace lumo

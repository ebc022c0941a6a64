// Sort and data check: differential tests against direct transcriptions of
// the insertion sort with a moving finger (bytes shifted, new buffer rescanned
// after every entry) and of the pairwise data check, plus the store-level
// effects (cursor row, modified marker, status text, views, memory failure).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "data/common_prefixes.h"
#include "data/sort.h"
#include "data/store.h"
#include "port/ids.h"
#include "support/fake_port.h"

namespace lumo {
namespace {

using testing::FakePort;

// ---- Reference algorithms ------------------------------------------------------

// Start of every entry, then the offset behind the last terminator.
std::vector<std::int32_t> scan_entries(const std::string& text, std::size_t length) {
    std::vector<std::int32_t> starts{0};
    for (std::size_t p = 0; p + 3 < length;) {
        if (text.compare(p, 4, "\r\n\r\n") == 0) {
            starts.push_back(static_cast<std::int32_t>(p + 4));
            p += 4;
        } else {
            ++p;
        }
    }
    return starts;
}

int reference_compare(const char* a, const char* b) {
    for (int c = 0; c < 255; ++c) {
        const auto x = static_cast<std::uint8_t>(a[c]);
        const auto y = static_cast<std::uint8_t>(b[c]);
        if (x < 32 || y < 32) return 0;
        const std::uint8_t fx = fold_char(x, 2), fy = fold_char(y, 2);
        if (fx != fy) return fx < fy ? -1 : 1;
    }
    return 0;
}

struct Sorted {
    std::string text;
    std::int32_t cursor_row = -1;
};

// The insertion sort as written down: a zeroed second buffer, the finger F,
// the direction D, a byte shift per insertion and a rescan of the new buffer.
// Text behind the last terminator is kept behind the sorted entries.
Sorted reference_sort(const std::string& text, std::int32_t selected) {
    const std::vector<std::int32_t> live = scan_entries(text, text.size());
    const auto count = static_cast<std::int32_t>(live.size()) - 1;
    std::string out(text.size() + 2000, '\0');
    std::size_t out_length = 0;
    std::vector<std::int32_t> index{0};
    std::int32_t finger = 0;
    Sorted result;
    bool seen = false;
    for (std::int32_t e = 0; e < count; ++e) {
        const char* entry = text.data() + live[static_cast<std::size_t>(e)];
        enum { none, forward, backward } direction = none;
        std::int32_t at = -1;
        while (at < 0) {
            const char* there = out.data() + index[static_cast<std::size_t>(finger)];
            const int r = *there == '\0' ? 0 : reference_compare(entry, there);
            if (r == 0) {
                at = finger;
            } else if (r < 0) {
                if (direction == forward) at = finger;
                else if (finger == 0) at = 0;
                else { direction = backward; --finger; }
            } else {
                if (direction == backward) at = finger + 1;
                else { direction = forward; ++finger; }
            }
        }
        finger = at;
        if (e == selected) {
            result.cursor_row = at;
            seen = true;
        } else if (seen && at <= result.cursor_row) {
            ++result.cursor_row;
        }
        const auto length = static_cast<std::size_t>(live[static_cast<std::size_t>(e) + 1] - live[static_cast<std::size_t>(e)]);
        const auto pos = static_cast<std::size_t>(index[static_cast<std::size_t>(at)]);
        std::memmove(out.data() + pos + length, out.data() + pos, out_length - pos);
        std::memcpy(out.data() + pos, entry, length);
        out_length += length;
        index = scan_entries(out, out_length);
    }
    out.replace(out_length, text.size() - out_length, text, static_cast<std::size_t>(live.back()));
    out.resize(text.size());
    result.text = out;
    return result;
}

// The data check as written down: remove entry k while its bytes equal the
// bytes of its successor, reindexing after every removal.
std::string reference_data_check(std::string text) {
    std::vector<std::int32_t> starts = scan_entries(text, text.size());
    for (std::size_t k = 0; k + 2 < starts.size();) {
        const auto length = static_cast<std::size_t>(starts[k + 1] - starts[k]);
        const std::size_t next = static_cast<std::size_t>(starts[k + 1]);
        if (next + length <= text.size() && text.compare(static_cast<std::size_t>(starts[k]), length, text, next, length) == 0) {
            text.erase(static_cast<std::size_t>(starts[k]), length);
            starts = scan_entries(text, text.size());
        } else {
            ++k;
        }
    }
    return text;
}

// ---- Random address texts -------------------------------------------------------

// Headings from a small alphabet so that ties, prefixes and folded umlauts are
// frequent: A/a/Ae/ae fold together, likewise O and U.
std::string random_heading(std::mt19937& rng) {
    static const std::vector<std::string> pieces = {
        "A", "a", "\xc4", "\xe4", "O", "\xd6", "\xf6", "U", "\xdc", "\xfc", "B", "\xdf", "ss", " ", "z", "M\xfcller", "Muller", "Meier"};
    std::uniform_int_distribution<int> kind(0, 23);
    const int k = kind(rng);
    if (k == 0) return "";
    if (k == 1) return std::string(250 + rng() % 20, 'K') + static_cast<char>('A' + rng() % 3);
    if (k == 20 || k == 21) {
        // Long headings that agree over their first sixteen bytes or more.
        std::string h = "Schneider, Maxim" + std::string(rng() % 3, 'i');
        for (int i = static_cast<int>(rng() % 4); i > 0; --i) h += pieces[rng() % pieces.size()];
        return h;
    }
    if (k == 22) {
        // Any byte a heading can hold, for the folding of every value.
        std::string h;
        for (int i = 1 + static_cast<int>(rng() % 20); i > 0; --i) h += static_cast<char>(32 + rng() % 224);
        return h;
    }
    std::string h;
    const int n = static_cast<int>(rng() % 4);
    for (int i = 0; i <= n; ++i) h += pieces[rng() % pieces.size()];
    if (k == 2) h += '\t' + std::string("tab");
    return h;
}

std::string random_entry(std::mt19937& rng) {
    std::string e = random_heading(rng);
    const int lines = static_cast<int>(rng() % 3);
    for (int i = 0; i < lines; ++i) e += "\r\n" + std::string(1, static_cast<char>('a' + rng() % 3)) + "line";
    if (e.empty() && rng() % 2) e = "\r\nB";  // empty heading, one line behind it
    return e + "\r\n\r\n";
}

std::string random_text(std::mt19937& rng, int entries) {
    std::vector<std::string> made;
    std::string text;
    for (int i = 0; i < entries; ++i) {
        if (!made.empty() && rng() % 4 == 0)
            made.push_back(made[rng() % made.size()]);  // a duplicate
        else
            made.push_back(random_entry(rng));
        text += made.back();
    }
    switch (rng() % 4) {
    case 0: text += "trailing"; break;
    case 1: text += "\r\n"; break;
    default: break;
    }
    return text;
}

// ---- A store with a recording port ---------------------------------------------------

class SortTest : public ::testing::Test {
protected:
    FakePort fake;
    ViewState view;
    Store store{fake.port, view};

    void load(const std::string& text) {
        ASSERT_TRUE(store.reset_store());
        TextBuffer buffer = store.allocate_text(static_cast<std::int32_t>(text.size()) + text_headroom);
        std::memcpy(buffer.data(), text.data(), text.size());
        store.adopt_text(std::move(buffer), static_cast<std::int32_t>(text.size()));
        store.reindex();
        store.modified = false;
        store.window_title_text()[0] = ' ';
        fake.calls.clear();
    }
    std::string text() const { return std::string(store.text_view()); }
    void expect_sound() const {
        std::string why;
        EXPECT_TRUE(store.check(&why)) << why;
    }
    void select(std::int32_t top, std::int32_t row) {
        view.top_entry = top;
        view.cursor_row = row;
    }
    std::vector<std::string> headings() const {
        std::vector<std::string> out;
        for (std::int32_t k = 0; k < store.entry_count(); ++k) {
            const char* p = store.text_view().data() + store.entry_start(k);
            out.emplace_back(p, static_cast<std::size_t>(heading_length(reinterpret_cast<const std::uint8_t*>(p))));
        }
        return out;
    }
};

// ---- Differential tests --------------------------------------------------------------

TEST_F(SortTest, MatchesTheInsertionSortOnRandomTexts) {
    for (unsigned seed = 1; seed <= 400; ++seed) {
        std::mt19937 rng(seed);
        const std::string input = random_text(rng, 1 + static_cast<int>(rng() % 40));
        load(input);
        const std::int32_t count = store.entry_count();
        const std::int32_t selected = count == 0 ? 0 : static_cast<std::int32_t>(rng() % static_cast<unsigned>(count));
        select(selected / 2, selected - selected / 2);
        const Sorted expected = reference_sort(input, selected);
        sort(store);
        ASSERT_EQ(text(), expected.text) << "seed " << seed;
        if (count > 0) {
            ASSERT_EQ(view.cursor_row, expected.cursor_row) << "seed " << seed;
        }
        expect_sound();
        // The order depends on the order before, so sorting again must also
        // agree with the reference run on the sorted text.
        const Sorted again = reference_sort(text(), 0);
        sort(store);
        ASSERT_EQ(text(), again.text) << "seed " << seed << " (second sort)";
    }
}

TEST_F(SortTest, MatchesTheInsertionSortOnLargerTexts) {
    for (unsigned seed = 1000; seed < 1010; ++seed) {
        std::mt19937 rng(seed);
        const std::string input = random_text(rng, 300 + static_cast<int>(rng() % 300));
        load(input);
        const std::int32_t selected = static_cast<std::int32_t>(rng() % static_cast<unsigned>(store.entry_count()));
        select(0, selected);
        const Sorted expected = reference_sort(input, selected);
        sort(store);
        ASSERT_EQ(text(), expected.text) << "seed " << seed;
        ASSERT_EQ(view.cursor_row, expected.cursor_row) << "seed " << seed;
        expect_sound();
    }
}

// Each way of working out the order on its own, on random texts, on sorted
// ones (short walks) and on sorted ones with a few headings changed.
TEST_F(SortTest, EveryWayOfOrderingMatchesTheInsertionSort) {
    for (unsigned seed = 1; seed <= 150; ++seed) {
        std::mt19937 rng(seed);
        std::string input = random_text(rng, 1 + static_cast<int>(rng() % (seed < 100 ? 40 : 400)));
        if (seed % 3 != 0) input = reference_sort(input, 0).text;
        if (seed % 3 == 2) {
            std::vector<std::int32_t> starts = scan_entries(input, input.size());
            for (int k = 0; k < 3 && starts.size() > 1; ++k)
                input.insert(static_cast<std::size_t>(starts[rng() % (starts.size() - 1)]), k % 2 ? "~" : "a");
        }
        const std::string expected = reference_sort(input, 0).text;
        const std::vector<std::int32_t> starts = scan_entries(input, input.size());
        for (const OrderWay way : {OrderWay::walk, OrderWay::blocks, OrderWay::tree}) {
            const std::vector<std::int32_t> order =
                sorted_entry_order_by(way, reinterpret_cast<const std::uint8_t*>(input.data()), starts);
            std::string out(input.size(), '\0');
            gather_entries(reinterpret_cast<const std::uint8_t*>(input.data()), starts, order, starts.back(),
                           static_cast<std::int32_t>(input.size()), reinterpret_cast<std::uint8_t*>(out.data()));
            ASSERT_EQ(out, expected) << "seed " << seed << " way " << static_cast<int>(way);
        }
    }
}

// Written over its own text with exactly the room it asked for, any order
// gives what a gather into new memory gives: orders that move entries a
// little (neighbours traded, short runs turned round) and a shuffle. A
// little move needs little room.
TEST(GatherInPlace, GivesWhatANewBufferGetsWithTheRoomItAskedFor) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 rng(seed);
        std::string text = "lead";  // text in front of the first entry stays
        std::vector<std::int32_t> starts{static_cast<std::int32_t>(text.size())};
        const int count = 1 + static_cast<int>(rng() % 60);
        std::int32_t longest = 0;
        for (int e = 0; e < count; ++e) {
            const std::string entry = std::string(rng() % (e % 7 == 0 ? 300 : 12), static_cast<char>('a' + e % 26)) + "\r\n\r\n";
            text += entry;
            starts.push_back(static_cast<std::int32_t>(text.size()));
            longest = std::max(longest, static_cast<std::int32_t>(entry.size()));
        }
        text += "tail";
        std::vector<std::int32_t> order(static_cast<std::size_t>(count));
        for (int e = 0; e < count; ++e) order[static_cast<std::size_t>(e)] = e;
        const bool little = seed % 3 != 0;
        if (little) {
            for (int k = 0; k < count / 3; ++k) {
                const auto at = static_cast<std::size_t>(rng() % static_cast<unsigned>(count));
                if (k % 2 == 0 && at + 1 < order.size())
                    std::swap(order[at], order[at + 1]);
                else
                    std::reverse(order.begin() + static_cast<std::ptrdiff_t>(at),
                                 order.begin() + static_cast<std::ptrdiff_t>(std::min(order.size(), at + 3)));
            }
        } else {
            std::shuffle(order.begin(), order.end(), rng);
        }
        std::string expected = text;
        gather_entries(reinterpret_cast<const std::uint8_t*>(text.data()), starts, order, starts.back(),
                       static_cast<std::int32_t>(text.size()), reinterpret_cast<std::uint8_t*>(expected.data() + starts.front()));
        const std::int64_t room = room_to_gather_in_place(starts, order);
        if (little) {
            ASSERT_LE(room, 6 * longest) << "seed " << seed;
        }
        std::vector<char> aside(static_cast<std::size_t>(std::max<std::int64_t>(room, 1)));
        std::vector<std::int32_t> placed = order;
        gather_in_place(text.data(), starts, placed, aside);
        ASSERT_EQ(text, expected) << "seed " << seed;
        std::int32_t at = starts.front();
        for (std::size_t p = 0; p < order.size(); ++p) {
            ASSERT_EQ(placed[p], at) << "seed " << seed << " position " << p;
            at += starts[static_cast<std::size_t>(order[p]) + 1] - starts[static_cast<std::size_t>(order[p])];
        }
    }
}

// A book big enough to be sorted on two threads, its headings all apart
// (none a prefix of another), so that the order is simply that of the
// folded headings. Some differ only past their sixteenth byte, where the
// keys keep the remainders, in both halves; an edit first leaves the gap in the middle. The text,
// the index and what the type-ahead search is told must all be right.
TEST_F(SortTest, ABookSortedOnTwoThreadsIsInTheOrderOfItsFoldedHeadings) {
    std::mt19937 rng(7);
    const std::string letters = "abcxyzAB\xe4\xc4\xf6\xdf \xfc";
    std::vector<std::string> headings;
    std::string input;
    for (int e = 0; e < 70001; ++e) {
        std::string h;
        for (int i = 0; i < 4; ++i) h += letters[rng() % letters.size()];
        // Every third heading first differs from its neighbours past its sixteenth byte.
        if (e % 3 == 0) h += std::string(12 + rng() % 20, 'k');
        h += std::to_string(100000 + e);  // six digits: apart, and none a prefix of another
        headings.push_back(h);
        if (e > 0) input += h + "\r\nline " + std::to_string(e) + "\r\n\r\n";
    }
    load(input);
    // The first entry comes in by an edit, which moves the gap to it.
    ASSERT_TRUE(store.replace_text(0, 0, headings[0] + "\r\nline 0\r\n\r\n"));
    store.reindex();
    const auto folded = [](const std::string& h) {
        std::string f;
        for (const char c : h) f += static_cast<char>(fold_char(static_cast<std::uint8_t>(c), 2));
        return f;
    };
    std::vector<std::pair<std::string, std::size_t>> expected;
    for (std::size_t e = 0; e < headings.size(); ++e) expected.emplace_back(folded(headings[e]), e);
    std::sort(expected.begin(), expected.end());

    sort(store);
    expect_sound();
    std::string sorted_text;
    for (const auto& [key, e] : expected) sorted_text += headings[e] + "\r\nline " + std::to_string(e) + "\r\n\r\n";
    const std::string got = text();
    ASSERT_TRUE(got == sorted_text) << "differs from byte "
                                    << std::mismatch(got.begin(), got.end(), sorted_text.begin(), sorted_text.end()).first - got.begin();
    // Each heading shares exactly so many folded bytes with the one before.
    const CommonPrefixes& prefixes = store.heading_prefixes();
    for (std::size_t p = 1; p < expected.size(); ++p) {
        const std::string& a = expected[p - 1].first;
        const std::string& b = expected[p].first;
        const auto shared = static_cast<std::int32_t>(std::mismatch(a.begin(), a.end(), b.begin()).first - a.begin());
        const auto at = static_cast<std::int32_t>(p);
        ASSERT_EQ(prefixes.next_at_most(at, shared), at) << p;
        if (shared > 0) {
            ASSERT_NE(prefixes.next_at_most(at, shared - 1), at) << p;
        }
        ASSERT_EQ(prefixes.next_beginning_with(at, static_cast<std::uint8_t>(b[0])), at) << p;
    }
}

// Each way of working out the order on a book big enough to be prepared on
// two threads, with ties, prefixes and empty headings in both halves; the
// finger's walk on keys needs no heading numbers, the others do.
TEST_F(SortTest, EveryWayAgreesOnABookPreparedOnTwoThreads) {
    std::mt19937 rng(11);
    std::string input;
    for (int e = 0; e < 70000; ++e) {
        // Where the halves meet, two equal headings, unlike the first one.
        if (e == 0) input += "Anfang\r\n\r\n";
        else if (e == 34999 || e == 35000) input += "Mitte\r\nline\r\n\r\n";
        else input += random_entry(rng);
    }
    const std::vector<std::int32_t> starts = scan_entries(input, input.size());
    const auto* text = reinterpret_cast<const std::uint8_t*>(input.data());
    const std::vector<std::int32_t> walked = sorted_entry_order_by(OrderWay::walk, text, starts);
    ASSERT_EQ(sorted_entry_order(text, starts), walked);
    ASSERT_EQ(sorted_entry_order_by(OrderWay::blocks, text, starts), walked);
    ASSERT_EQ(sorted_entry_order_by(OrderWay::tree, text, starts), walked);
}

TEST_F(SortTest, DataCheckMatchesThePairwiseRemoval) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 rng(seed);
        std::string input = random_text(rng, 1 + static_cast<int>(rng() % 30));
        if (seed % 2 == 0) input = reference_sort(input, 0).text;  // bring copies together
        load(input);
        data_check(store);
        ASSERT_EQ(text(), reference_data_check(input)) << "seed " << seed;
        EXPECT_GE(store.text_capacity(), store.text_length() + text_headroom);
        EXPECT_LE(store.text_capacity(), 2 * (store.text_length() + text_headroom));
        expect_sound();
    }
}

// ---- Comparison ------------------------------------------------------------------------

HeadingOrder compare(const std::string& a, const std::string& b) {
    const std::string x = a + "\r\n", y = b + "\r\n";
    return compare_headings(reinterpret_cast<const std::uint8_t*>(x.data()), reinterpret_cast<const std::uint8_t*>(y.data()));
}

TEST(CompareHeadings, FoldsUmlautsAndTreatsPrefixesAndLongHeadingsAsEqual) {
    EXPECT_EQ(compare("M\xfcller", "Muller"), HeadingOrder::equal);
    EXPECT_EQ(compare("\xc4pfel", "apfel"), HeadingOrder::equal);
    EXPECT_EQ(compare("\xf6l", "Ol"), HeadingOrder::equal);
    EXPECT_EQ(compare("Meier", "Meier Hans"), HeadingOrder::equal);
    EXPECT_EQ(compare("", "Zorn"), HeadingOrder::equal);
    EXPECT_EQ(compare("abc", "ABD"), HeadingOrder::less);
    EXPECT_EQ(compare("Zorn", "Abel"), HeadingOrder::greater);
    EXPECT_EQ(compare(" ", "A"), HeadingOrder::less);
    // Bytes compare unsigned: a high letter comes after Z.
    EXPECT_EQ(compare("\xdf", "Z"), HeadingOrder::greater);
    const std::string long_a = std::string(255, 'x') + "A", long_b = std::string(255, 'x') + "B";
    EXPECT_EQ(compare(long_a, long_b), HeadingOrder::equal);
    EXPECT_EQ(compare(long_a.substr(0, 254) + "A", long_b.substr(0, 254) + "B"), HeadingOrder::less);
    EXPECT_EQ(compare("Meier\tB", "Meier\tA"), HeadingOrder::equal);
}

// ---- Sort on the store ------------------------------------------------------------------

TEST_F(SortTest, TiesKeepOrSwapAsTheFingerWalks) {
    // Equal headings: the later one goes in front of the one it ties with,
    // so two neighbours change places at every sort.
    load("Anna\r\n1\r\n\r\nAnna\r\n2\r\n\r\n");
    sort(store);
    EXPECT_EQ(text(), "Anna\r\n2\r\n\r\nAnna\r\n1\r\n\r\n");
    sort(store);
    EXPECT_EQ(text(), "Anna\r\n1\r\n\r\nAnna\r\n2\r\n\r\n");

    load("Meier\r\n\r\nMeier Hans\r\n\r\n");
    sort(store);
    EXPECT_EQ(headings(), (std::vector<std::string>{"Meier Hans", "Meier"}));

    load("M\xfcller\r\n\r\nMuller\r\n\r\nAbel\r\n\r\n");
    sort(store);
    EXPECT_EQ(headings(), (std::vector<std::string>{"Abel", "Muller", "M\xfcller"}));

    load("Zorn\r\n\r\n \r\n\r\nabel\r\n\r\n");
    sort(store);
    EXPECT_EQ(headings(), (std::vector<std::string>{" ", "abel", "Zorn"}));
    expect_sound();
}

// A sort that only lets equal headings trade places writes the text over
// itself: it needs no second buffer. Undo keeps what its snapshot holds.
TEST_F(SortTest, ASortThatMovesEntriesALittleNeedsNoSecondBuffer) {
    std::string input;
    for (int k = 0; k < 300; ++k)
        input += std::string(1, static_cast<char>('A' + k / 12)) + (k % 6 == 0 ? "" : " " + std::to_string(k)) + "\r\nline\r\n\r\n";
    input = reference_sort(input, 0).text;
    const std::string expected = reference_sort(input, 0).text;
    ASSERT_NE(expected, input);  // equal headings trade places at every sort

    load(input);
    store.allocation_gate = [](std::size_t) { return false; };
    sort(store);
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_EQ(text(), expected);
    expect_sound();

    // A snapshot that holds a copy of the text (a rewrite made it one).
    store.allocation_gate = nullptr;
    load(input);
    store.take_undo_snapshot();
    store.replace_text(0, 0, "Q");
    data_check(store);
    const std::string checked = text();
    sort(store);
    const std::string sorted = text();
    EXPECT_EQ(sorted, reference_sort(checked, 0).text);
    store.swap_undo_snapshot();
    EXPECT_EQ(text(), input);
    store.swap_undo_snapshot();
    EXPECT_EQ(text(), sorted);
    expect_sound();
}

// Typing records only the change; the sort that follows (which takes no
// snapshot) must leave Undo able to bring back the text from before the
// typing, and a second Undo the sorted text.
TEST_F(SortTest, UndoAfterTypingAndSortingBringsBackTheTextBeforeTheTyping) {
    load("Berta\r\n\r\nAnton\r\n\r\nCaesar\r\n\r\n");
    const std::string before = text();
    store.take_undo_snapshot();
    store.replace_text(store.entry_start(2) + 1, 0, "x");  // "Cxaesar"
    store.reindex();
    store.take_undo_snapshot();  // the next keystroke: the snapshot holds "Cxaesar"
    const std::string after_first = text();
    store.replace_text(0, 0, "Z");  // "ZBerta" moves to the end
    store.reindex();
    sort(store);
    const std::string sorted = text();
    EXPECT_EQ(headings(), (std::vector<std::string>{"Anton", "Cxaesar", "ZBerta"}));
    store.swap_undo_snapshot();
    EXPECT_EQ(text(), after_first);
    store.swap_undo_snapshot();
    EXPECT_EQ(text(), sorted);
    expect_sound();
    EXPECT_NE(before, after_first);

    // An edit that keeps its entry's place: the text stays, Undo still works.
    load("Anton\r\n\r\nBerta\r\n\r\n");
    store.take_undo_snapshot();
    store.replace_text(store.entry_start(1) + 4, 1, "o");
    store.reindex();
    const std::string edited = text();
    sort(store);
    EXPECT_EQ(text(), edited);
    store.swap_undo_snapshot();
    EXPECT_EQ(text(), "Anton\r\n\r\nBerta\r\n\r\n");
    store.swap_undo_snapshot();
    EXPECT_EQ(text(), edited);
    expect_sound();
}

TEST_F(SortTest, CursorRowFollowsTheSelectedEntry) {
    load("D\r\n\r\nC\r\nx\r\n\r\nB\r\n\r\nA\r\n\r\n");
    select(1, 0);  // entry 1, "C"
    view.overview_horizontal_offset = 7;
    view.caret_line = 2;
    view.caret_column = 3;
    view.first_scrolled_line = 1;
    view.data_view_horizontal_offset = 4;
    sort(store);
    EXPECT_EQ(headings(), (std::vector<std::string>{"A", "B", "C", "D"}));
    EXPECT_EQ(view.top_entry, 0);
    EXPECT_EQ(view.cursor_row, 2);
    EXPECT_EQ(view.overview_horizontal_offset, 0);
    EXPECT_EQ(view.selected_entry_start, store.entry_start(2));
    EXPECT_EQ(view.caret_line, 0);
    EXPECT_EQ(view.caret_column, 0);
    EXPECT_EQ(view.first_scrolled_line, 0);
    EXPECT_EQ(view.data_view_horizontal_offset, 0);
    EXPECT_EQ(store.current_entry(), -1);

    // A selection beyond the entries lands on the last one.
    select(3, 5);
    sort(store);
    EXPECT_EQ(view.cursor_row, 3);
    EXPECT_EQ(view.selected_entry_start, store.entry_start(3));
}

TEST_F(SortTest, KeepsModifiedAndTitleAndShowsProgress) {
    load("B\r\n\r\nA\r\n\r\n");
    std::strcpy(store.window_title_text().data(), " C:\\addr.adr");
    store.sort_pending = true;
    sort(store);
    EXPECT_FALSE(store.modified);
    EXPECT_FALSE(store.sort_pending);
    EXPECT_EQ(fake.title, " C:\\addr.adr");
    ASSERT_FALSE(fake.calls.empty());
    EXPECT_EQ(fake.calls.front(), "status: Sortieren...");
    EXPECT_EQ(fake.status, "       2 Entries");

    store.modified = true;
    store.window_title_text()[0] = '*';
    sort(store);
    EXPECT_TRUE(store.modified);
    EXPECT_EQ(fake.title, "*C:\\addr.adr");
    expect_sound();
}

TEST_F(SortTest, NoSecondBufferLeavesTheStoreAlone) {
    const std::string input = "B\r\n\r\nA\r\n\r\n";
    load(input);
    select(0, 1);
    store.sort_pending = true;
    store.allocation_gate = [](std::size_t) { return false; };
    sort(store);
    EXPECT_EQ(text(), input);
    EXPECT_FALSE(store.sort_pending);
    EXPECT_EQ(fake.last_box(), "Not enough memory free!");
    EXPECT_EQ(fake.boxes.back().caption, "VORNIX-Lumo:");
    EXPECT_EQ(fake.boxes.back().style, box::error);
    EXPECT_TRUE(fake.modal_seen_in_box);
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_EQ(view.cursor_row, 1);
    expect_sound();
}

TEST_F(SortTest, EmptyAndEntrylessTextsStayAsTheyAre) {
    load("");
    store.sort_pending = true;
    sort(store);
    EXPECT_FALSE(store.sort_pending);
    EXPECT_TRUE(fake.calls.empty());

    // Text without any terminator belongs to no entry and is not lost.
    load("loose text");
    sort(store);
    EXPECT_EQ(text(), "loose text");
    expect_sound();
    data_check(store);
    EXPECT_EQ(text(), "loose text");
    EXPECT_EQ(store.entry_count(), 0);
    expect_sound();
}

// ---- Data check on the store --------------------------------------------------------------

TEST_F(SortTest, DataCheckRemovesOnlyExactCopies) {
    load("A\r\n1\r\n\r\nA\r\n1\r\n\r\nA\r\n1\r\n\r\nB\r\n1\r\n\r\nB\r\n2\r\n\r\n");
    view.text_block.marked = true;
    view.entry_range.marked = true;
    select(1, 1);
    view.caret_column = 2;
    data_check(store);
    EXPECT_EQ(text(), "A\r\n1\r\n\r\nB\r\n1\r\n\r\nB\r\n2\r\n\r\n");
    EXPECT_EQ(store.entry_count(), 3);
    EXPECT_TRUE(store.modified);
    EXPECT_FALSE(view.text_block.marked);
    EXPECT_FALSE(view.entry_range.marked);
    EXPECT_EQ(view.selected_entry(), 0);
    EXPECT_EQ(view.caret_column, 0);
    EXPECT_FALSE(fake.enabled[CMD_COPY]);
    EXPECT_FALSE(fake.enabled[CMD_CUT]);
    EXPECT_EQ(fake.status, "       3 Entries");
    expect_sound();
}

TEST_F(SortTest, DataCheckOnOneEntryOnlyRedrawsAndMarksModified) {
    load("Solo\r\n\r\n");
    data_check(store);
    EXPECT_EQ(text(), "Solo\r\n\r\n");
    EXPECT_TRUE(store.modified);
    EXPECT_EQ(fake.title.substr(0, 1), "*");
    EXPECT_EQ(fake.repaints, 2);
    expect_sound();
}

TEST_F(SortTest, DataCheckKeepsTheOldBlockWhenShrinkingFails) {
    const std::string copy = "Copy\r\n\r\n";
    std::string input;
    for (int i = 0; i < 1000; ++i) input += copy;
    load(input);
    const std::int32_t capacity = store.text_capacity();
    store.allocation_gate = [](std::size_t) { return false; };
    data_check(store);
    EXPECT_EQ(text(), copy);
    EXPECT_EQ(store.text_capacity(), capacity);
    EXPECT_TRUE(fake.boxes.empty());
    expect_sound();
}

}  // namespace
}  // namespace lumo

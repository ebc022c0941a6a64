// Pasting and dropping text: cleaning, insertion at the caret with the
// 255-character line breaking, the caret afterwards, and the address field.
#include "data/paste.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/address_field.h"
#include "data/store.h"
#include "settings/settings.h"
#include "support/fake_port.h"
#include "views/view_state.h"

namespace lumo {
namespace {

using testing::FakePort;

TEST(CleanText, KeepsTheStoresStructure) {
    EXPECT_EQ(clean_text("A\r\n\r\nB"), "A\r\n \r\nB");
    EXPECT_EQ(clean_text("A\r\n"), "A\r\n ");
    EXPECT_EQ(clean_text("A\r\n\r\n\r\n"), "A\r\n \r\n \r\n ");
    EXPECT_EQ(clean_text("a\tb\x01\x1f" "c"), "a b  c");
    EXPECT_EQ(clean_text("a\nb\rc"), "a\nb\rc");  // lone LF and CR pass
    EXPECT_EQ(clean_text(std::string_view("ab\0cd", 5)), "ab");
    EXPECT_EQ(clean_text("\xe4\xf6\xfc\xdf"), "\xe4\xf6\xfc\xdf");
    EXPECT_EQ(clean_text(""), "");
}

class PasteTest : public ::testing::Test {
protected:
    FakePort fake;
    ViewState view;
    Store store{fake.port, view};

    void load(std::string_view text) {
        ASSERT_TRUE(store.reset_store());
        TextBuffer buffer = store.allocate_text(static_cast<std::int32_t>(text.size()) + text_headroom);
        std::memcpy(buffer.data(), text.data(), text.size());
        store.adopt_text(std::move(buffer), static_cast<std::int32_t>(text.size()));
        store.reindex();
    }
    void caret(std::int32_t entry_start, std::int32_t line, std::int32_t column) {
        view.selected_entry_start = entry_start;
        view.caret_line = line;
        view.caret_column = column;
    }
    std::string text() const { return std::string(store.text_view()); }
    void expect_sound() {
        std::string why;
        EXPECT_TRUE(store.check(&why)) << why;
    }
};

TEST_F(PasteTest, EmptyLinesArriveAsBlankLinesInsideTheEntry) {
    load("Meier\r\n\r\n");
    caret(0, 0, 5);
    EXPECT_EQ(insert_text_at_caret(store, view, "A\r\n\r\nB"), InsertResult::inserted);
    EXPECT_EQ(text(), "MeierA\r\n \r\nB\r\n\r\n");
    EXPECT_EQ(store.entry_count(), 1);
    EXPECT_EQ(view.caret_line, 2);
    EXPECT_EQ(view.caret_column, 1);
    EXPECT_TRUE(store.sort_pending);
    EXPECT_TRUE(store.modified);
    EXPECT_EQ(store.current_entry(), -1);
    expect_sound();
}

TEST_F(PasteTest, FinalLineEndOpensABlankLineBeforeTheRest) {
    load("Meier Hans\r\n\r\n");
    caret(0, 0, 5);
    insert_text_at_caret(store, view, "X\r\n");
    EXPECT_EQ(text(), "MeierX\r\n  Hans\r\n\r\n");
    EXPECT_EQ(view.caret_line, 1);
    EXPECT_EQ(view.caret_column, 1);
    expect_sound();
}

TEST_F(PasteTest, LongTextIsBrokenSoNoLinePassesTheLimit) {
    const std::string ten(10, 'x');
    load(ten + "\r\n\r\nB\r\n\r\n");
    caret(0, 0, 10);
    insert_text_at_caret(store, view, std::string(300, 'p'));
    EXPECT_EQ(text(), ten + std::string(244, 'p') + "\r\n" + std::string(56, 'p') + "\r\n\r\nB\r\n\r\n");
    EXPECT_EQ(view.caret_line, 1);
    EXPECT_EQ(view.caret_column, 55);  // the byte that moved down is not counted
    EXPECT_EQ(store.entry_count(), 2);

    load(ten + "\r\n\r\n");
    caret(0, 0, 10);
    insert_text_at_caret(store, view, std::string(600, 'p'));
    EXPECT_EQ(text(), ten + std::string(244, 'p') + "\r\n" + std::string(255, 'p') + "\r\n" +
                          std::string(101, 'p') + "\r\n\r\n");
    expect_sound();
}

TEST_F(PasteTest, RestOfTheCaretLineCountsTowardsTheLimit) {
    load(std::string(200, 'a') + "\r\n\r\n");
    caret(0, 0, 100);  // 100 characters follow the caret
    insert_text_at_caret(store, view, std::string(200, 'p'));
    const std::string result = text();
    std::size_t start = 0;
    for (std::size_t end; (end = result.find("\r\n", start)) != std::string::npos; start = end + 2)
        EXPECT_LE(end - start, 255u);
    expect_sound();
}

TEST_F(PasteTest, LineEndAtTheStartOfALineNeverEndsTheEntry) {
    load("Meier\r\nStreet\r\n\r\nZ\r\n\r\n");
    caret(0, 1, 0);
    insert_text_at_caret(store, view, "\r\nX");
    EXPECT_EQ(store.entry_count(), 2);
    EXPECT_EQ(text(), "Meier\r\n \r\nXStreet\r\n\r\nZ\r\n\r\n");
    expect_sound();
}

TEST_F(PasteTest, LoneLineFeedIsCopiedAndSecondEntryWorks) {
    load("A\r\n\r\nB\r\nC\r\n\r\n");
    caret(5, 1, 1);
    insert_text_at_caret(store, view, "\nq");
    EXPECT_EQ(text(), "A\r\n\r\nB\r\nC\nq\r\n\r\n");
    EXPECT_EQ(view.caret_line, 1);
    EXPECT_EQ(view.caret_column, 2);
    expect_sound();
}

TEST_F(PasteTest, FailedGrowthLeavesTheTextAndTellsTheUser) {
    load("Meier\r\n\r\n");
    store.allocation_gate = [](std::size_t) { return false; };
    caret(0, 0, 5);
    EXPECT_EQ(insert_text_at_caret(store, view, std::string(5000, 'p')), InsertResult::no_memory);
    EXPECT_EQ(text(), "Meier\r\n\r\n");
    EXPECT_EQ(fake.last_box(), "Not enough memory free!");
    EXPECT_EQ(view.caret_column, 5);
    expect_sound();
}

TEST(AddressField, MakesAPostalAddressFromTheEntryLines) {
    Settings settings = default_settings(LogFont{});
    // Order 1, 2, 3; separator ','; swapping on; an empty line behind line 2.
    EXPECT_EQ(address_of_entry("Miller John, 030 555\r\nMain Street 1\r\nSpringfield\r\n\r\n", settings),
              "John Miller\r\nMain Street 1\r\n\r\nSpringfield\r\n");
    settings.empty_line_flags = {0, 0, 0, 0};
    settings.swap_names_flag = 0;
    EXPECT_EQ(address_of_entry("Miller John, 030 555\r\nMain Street 1\r\nSpringfield\r\n\r\n", settings),
              "Miller John\r\nMain Street 1\r\nSpringfield\r\n");
    // Missing lines give only their line end; other separators and orders.
    settings.name_separators = {';', '/', 0, 0, 0};
    settings.address_line_order = {'3', '1', 0, '5', 0};
    settings.empty_line_flags = {1, 0, 0, 0};
    EXPECT_EQ(address_of_entry("Meier/Tel 1\r\nGasse 2\r\nBerlin\r\n\r\n", settings),
              "Berlin\r\n\r\nMeier\r\n\r\n");
}

TEST_F(PasteTest, AddressFieldOfARangeSeparatesEntries) {
    load("Adam Eva\r\nA-Weg\r\n\r\nBerg Udo\r\n\r\nCorn Ida\r\nC-Weg\r\n\r\n");
    Settings settings = default_settings(LogFont{});
    settings.empty_line_flags = {0, 0, 0, 0};
    settings.address_line_order = {'1', '2', 0, 0, 0};
    view.entry_range = {true, 1, 0, 1};
    EXPECT_EQ(build_address_field(store, view, settings),
              "Eva Adam\r\nA-Weg\r\n\r\n\r\nUdo Berg\r\n\r\n\r\n\r\n");
    view.entry_range = {};
    view.selected_entry_start = store.entry_start(2);
    EXPECT_EQ(build_address_field(store, view, settings), "Ida Corn\r\nC-Weg\r\n");
}

}  // namespace
}  // namespace lumo

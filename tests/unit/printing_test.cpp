// The print job: page layout (positions, weights, rules, page breaks) and the
// command's steps over a recording printer.
#include "app/printing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/app_fixture.h"

namespace lumo {
namespace {

// Records what a job draws as readable lines; pages as "page".
class RecordingPrinter final : public Printer {
public:
    std::vector<std::string> log;
    bool choose = true, settings_ok = true;
    int pages_allowed = 1000;
    PageSize page{1000, 100};
    PrintFontMetrics font{10, 6};
    Port* port = nullptr;
    bool modal_seen_in_dialog = false;

    void text(std::int32_t x, std::int32_t y, std::string_view s, PrintStyle style) override {
        log.push_back("text " + std::to_string(x) + "," + std::to_string(y) + " w" + std::to_string(style.weight) +
                      (style.italic ? " i " : " ") + std::string(s));
    }
    void rule(std::int32_t x0, std::int32_t x1, std::int32_t y, RuleTone tone) override {
        log.push_back("rule " + std::to_string(x0) + "-" + std::to_string(x1) + "," + std::to_string(y) +
                      (tone == RuleTone::light ? " light" : " dark"));
    }
    bool choose_printer() override {
        if (port) modal_seen_in_dialog = port->modal_flag;
        log.push_back("print dialog");
        return choose;
    }
    bool edit_print_settings() override {
        log.push_back("settings");
        return settings_ok;
    }
    void release_printer() override { log.push_back("release"); }
    void start_document() override { log.push_back("start document"); }
    PrintFontMetrics set_font(const LogFont&) override { return font; }
    std::optional<PageSize> start_page() override {
        if (pages_allowed-- <= 0) return std::nullopt;
        log.push_back("page");
        return page;
    }
    void end_page() override { log.push_back("end page"); }
    void end_document() override { log.push_back("end document"); }
};

// The layout alone, from the first page on (that page already started).
std::vector<std::string> lay_out(std::string_view text, RecordingPrinter& printer, std::string_view headline = {},
                                 std::int32_t left = 0, std::int32_t top = 0) {
    const PrintLayout layout{headline, "STAMP", left, top, printer.font, printer.page};
    lay_out_pages(text, layout, printer);
    return printer.log;
}

using Lines = std::vector<std::string>;

TEST(PrintLayout, OneEntryWithoutHeadline) {
    RecordingPrinter printer;
    // L = 10, W = 6: left margin 2 is 12 pixels, top margin 1 is row 1.
    EXPECT_EQ(lay_out("Miller\r\nBerlin\r\n\r\n", printer, {}, 2, 1),
              (Lines{"text 12,10 w900 STAMP", "text 12,30 w700 Miller", "text 12,40 w400 Berlin",
                     // The rule runs through the middle of the empty row 50..59.
                     "rule 12-999,54 light", "rule 12-999,55 dark"}));
}

TEST(PrintLayout, HeadlineMakesTheStampItalicAndMovesTheBodyDown) {
    RecordingPrinter printer;
    EXPECT_EQ(lay_out("A\r\n\r\n", printer, "Friends", 0, 0),
              (Lines{"text 0,0 w900 Friends", "text 0,10 w400 i STAMP", "text 0,30 w700 A", "rule 0-999,44 light",
                     "rule 0-999,45 dark"}));
}

TEST(PrintLayout, TwoEntriesEachStartBold) {
    RecordingPrinter printer;
    const Lines log = lay_out("A\r\nb\r\n\r\nC\r\nd\r\n\r\n", printer);
    EXPECT_EQ(log, (Lines{"text 0,0 w900 STAMP", "text 0,20 w700 A", "text 0,30 w400 b", "rule 0-999,44 light",
                          "rule 0-999,45 dark", "text 0,50 w700 C", "text 0,60 w400 d", "rule 0-999,74 light",
                          "rule 0-999,75 dark"}));
}

TEST(PrintLayout, PagesBreakAboveTheLastRowAndLaterPagesStartAtTheTop) {
    RecordingPrinter printer;
    printer.page = {100, 60};  // a row r fits while (r + top) * 10 <= 50
    const Lines log = lay_out("1\r\n2\r\n3\r\n4\r\n5\r\n\r\n", printer, "H", 0, 1);
    // Top row 2 (margin 1 + headline): the body starts at row 4 on the first
    // page and at row 2 on later ones.
    EXPECT_EQ(log, (Lines{"text 0,10 w900 H", "text 0,20 w400 i STAMP", "text 0,40 w700 1", "text 0,50 w400 2",
                          "end page", "page", "text 0,20 w400 3", "text 0,30 w400 4", "text 0,40 w400 5",
                          "rule 0-99,54 light", "rule 0-99,55 dark"}));
}

TEST(PrintLayout, NoEmptySheetWhenTheLastLineFillsThePage) {
    RecordingPrinter printer;
    printer.page = {100, 50};  // body rows 2 and 3 fit without a headline
    const Lines log = lay_out("1\r\n2\r\n\r\n", printer);
    EXPECT_EQ(std::count(log.begin(), log.end(), "page"), 0);
}

TEST(PrintLayout, RefusedPageEndsTheJob) {
    RecordingPrinter printer;
    printer.page = {100, 40};
    printer.pages_allowed = 0;
    EXPECT_FALSE(lay_out_pages("1\r\n2\r\n3\r\n\r\n", {{}, "S", 0, 0, printer.font, printer.page}, printer));
    EXPECT_EQ(printer.log.back(), "end page");
}

TEST(PrintLayout, DamagedTextCannotStickOrSkip) {
    RecordingPrinter printer;
    // A tab, a lone LF and no terminator at the end: every piece is printed once.
    const Lines log = lay_out("a\tb\nc\r\nd", printer);
    EXPECT_EQ(log, (Lines{"text 0,0 w900 STAMP", "text 0,20 w700 a", "text 0,30 w400 b", "text 0,40 w400 c",
                          "text 0,50 w400 d"}));
}

TEST(PrintStamp, TwoDigitFieldsAndFourDigitYear) {
    EXPECT_EQ(print_stamp({2026, 3, 7, 9, 5, 59}), "(Stand: 07/03/2026 09:05, VORNIX-Lumo)");
    EXPECT_EQ(print_stamp({1999, 12, 31, 23, 59, 0}), "(Stand: 31/12/1999 23:59, VORNIX-Lumo)");
}

TEST(PrintFont, HeightScaledByPrinterResolutionTowardZero) {
    EXPECT_EQ(printer_font_height(-13, 600), -78);
    EXPECT_EQ(printer_font_height(-13, 96), -12);
    EXPECT_EQ(printer_font_height(13, 96), 12);
    EXPECT_EQ(printer_font_height(2'000'000'000, 600), 2'147'483'647);
}

TEST(PrintFont, TheViewFontAtThePrintersHeightRegularUprightAndAtItsOwnWidth) {
    // The stock System font's record: 16 high, 7 wide, bold.
    LogFont view;
    view.height = 16;
    view.width = 7;
    view.weight = 700;
    view.italic = 1;
    view.underline = 1;
    view.char_set = 238;
    view.face_name = {'S', 'y', 's', 't', 'e', 'm'};
    LogFont expected = view;
    expected.height = 48;
    expected.width = 0;  // with the screen's 7 the printed margin came out a third of its size
    expected.weight = 400;
    expected.italic = 0;
    EXPECT_EQ(printer_font(view, 300), expected);
}

class PrintCommand : public testing::AppTest {
protected:
    RecordingPrinter printer;
    void SetUp() override {
        AppTest::SetUp();
        load("Ann\r\nx\r\n\r\nBob\r\ny\r\n\r\nCid\r\nz\r\n\r\n");
        fake.window_exists = true;
        fake.now = {2026, 12, 7, 8, 4, 0};
        printer.port = &fake.port;
    }
    bool printed(std::string_view line) const {
        return std::find(printer.log.begin(), printer.log.end(), std::string(line)) != printer.log.end();
    }
};

TEST_F(PrintCommand, SelectedEntryAloneWithoutRange) {
    app.views.cursor_row = 1;
    EXPECT_EQ(print_entries(app, printer), print_done);
    EXPECT_TRUE(printed("text 0,20 w700 Bob"));
    EXPECT_FALSE(printed("text 0,20 w700 Ann"));
    EXPECT_TRUE(printed("text 0,0 w900 (Stand: 07/12/2026 08:04, VORNIX-Lumo)"));
    EXPECT_EQ(printer.log.front(), "print dialog");
    EXPECT_EQ(printer.log.back(), "end document");
    EXPECT_TRUE(printer.modal_seen_in_dialog);
    EXPECT_FALSE(fake.port.modal_flag);
    // "Printing..." while the job runs, the entries count afterwards.
    const auto printing = std::find(fake.calls.begin(), fake.calls.end(), "status: Printing VORNIX-Lumo-Data...");
    ASSERT_NE(printing, fake.calls.end());
    EXPECT_EQ(fake.status, std::string(app.store.entries_status_text()));
}

TEST_F(PrintCommand, MarkedRangeWithHeadlineAndMargins) {
    app.views.entry_range = {true, 1, 1, 2};
    app.dialog_state.print_headline = "Club";
    app.settings.print_left_margin = 1;
    app.settings.print_top_margin = 2;
    EXPECT_EQ(print_entries(app, printer), print_done);
    EXPECT_TRUE(printed("text 6,20 w900 Club"));
    EXPECT_TRUE(printed("text 6,50 w700 Bob"));
    EXPECT_TRUE(printed("text 6,80 w700 Cid"));
    EXPECT_FALSE(printed("text 6,50 w700 Ann"));
}

TEST_F(PrintCommand, CancelledDialogsPrintNothing) {
    printer.choose = false;
    EXPECT_EQ(print_entries(app, printer), print_cancelled);
    EXPECT_EQ(printer.log, (Lines{"print dialog"}));
    EXPECT_FALSE(fake.port.modal_flag);

    printer = {};
    fake.status.clear();
    printer.settings_ok = false;
    EXPECT_EQ(print_entries(app, printer), print_not_started);
    EXPECT_EQ(printer.log, (Lines{"print dialog", "settings", "release"}));
    EXPECT_FALSE(fake.port.modal_flag);
    EXPECT_EQ(fake.status, std::string(app.store.entries_status_text()));
}

TEST_F(PrintCommand, RefusedFirstPageEndsTheDocumentWithoutPages) {
    printer.pages_allowed = 0;
    EXPECT_EQ(print_entries(app, printer), print_done);
    EXPECT_EQ(printer.log, (Lines{"print dialog", "settings", "start document", "end document"}));
}

}  // namespace
}  // namespace lumo

// Import and Export of contacts in the real lumo.exe: a vCard and a CSV file
// chosen together in the Open dialog, then the book written as vCard 4.0 and
// as CSV through the Save dialog, which asks before it replaces a file.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

#include "data/store.h"
#include "e2e/books.h"
#include "e2e/harness.h"
#include "port/ids.h"

namespace lumo::e2e {
namespace {

std::string entries_status(std::int32_t count) {
    const auto text = format_entries_status(count);
    return std::string(text.data(), text.size());
}

std::size_t count_of(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

class Contacts : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string failure = start_on_book(lumo, calendar, book({"Zimmer Zoe, 040 9", "Albrecht Sabine"}));
        ASSERT_EQ(failure, "");
    }

    // Runs Import or Export, waits for its dialog and hands it back.
    HWND open_dialog(int command, const std::string& caption) {
        lumo.post_command(command);
        return lumo.wait_for_dialog(caption);
    }

    // Answers the box that contains `text` with `button`; returns its text.
    std::string answer_box(const std::string& text, int button) {
        const MessageBoxInfo box = lumo.wait_for_box(text);
        EXPECT_NE(box.window, nullptr) << lumo.describe();
        if (box.window) lumo.answer(box, button);
        return box.text;
    }

    bool status_becomes(std::int32_t count) {
        return lumo.wait_until([&] { return lumo.status_text() == entries_status(count); });
    }

    // Exports in file type `type` under `name` (no extension: the type's is added).
    void export_as(int type, const std::string& name) {
        HWND dialog = open_dialog(CMD_EXPORT, "Export contacts");
        ASSERT_NE(dialog, nullptr) << lumo.describe();
        Lumo::choose_file_type(dialog, type);
        Lumo::choose_file(dialog, name);
    }

    FakeCalendar calendar;
    Lumo lumo;
};

TEST_F(Contacts, ImportOfAVcardAndACsvFileThenExportAsVcardAndCsv) {
    lumo.write_file("phone.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Nowak;Ma\xC5\x82gorzata\r\nTEL:030 1\r\nEND:VCARD\r\n"
                                 "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Meier;Eva\r\nEMAIL:eva@example.de\r\nEND:VCARD\r\n");
    lumo.write_file("mail.csv", "Vorname;Nachname;Ort\r\nAnna;Berg;Kiel\r\n");

    // Both files at once, as the dialog's name field takes several.
    HWND dialog = open_dialog(CMD_IMPORT, "Import contacts");
    ASSERT_NE(dialog, nullptr) << lumo.describe();
    Lumo::choose_file(dialog, "\"phone.vcf\" \"mail.csv\"");
    EXPECT_EQ(answer_box("data-check", IDNO), "Shall VORNIX-Lumo make a\ndata-check now, deleting\ndouble entries?");
    EXPECT_EQ(answer_box("contacts imported", IDOK), "3 contacts imported.\n1 contained characters that were replaced.");
    EXPECT_TRUE(status_becomes(5)) << lumo.status_text();
    EXPECT_EQ(lumo.title().substr(0, 1), "*");

    export_as(1, "all");
    ASSERT_TRUE(lumo.wait_until([&] { return lumo.read_file("all.vcf") != ""; })) << lumo.describe();
    const std::string cards = lumo.read_file("all.vcf");
    EXPECT_EQ(cards.rfind("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Sabine Albrecht\r\n", 0), 0u) << cards;
    EXPECT_EQ(count_of(cards, "BEGIN:VCARD\r\n"), 5u);
    EXPECT_EQ(count_of(cards, "END:VCARD\r\n"), 5u);
    EXPECT_NE(cards.find("N:Nowak;Malgorzata;;;\r\nTEL;TYPE=voice:030 1\r\n"), std::string::npos) << cards;
    EXPECT_NE(cards.find("EMAIL:eva@example.de\r\n"), std::string::npos);

    export_as(3, "all");
    ASSERT_TRUE(lumo.wait_until([&] { return lumo.read_file("all.csv") != ""; })) << lumo.describe();
    const std::string csv = lumo.read_file("all.csv");
    EXPECT_EQ(csv.rfind("\xEF\xBB\xBF", 0), 0u) << "UTF-8 with byte order mark";
    EXPECT_EQ(count_of(csv, "\r\n"), 6u) << "the column names and five rows\n" << csv;
    EXPECT_NE(csv.find("\"Anna\",\"Berg\""), std::string::npos) << csv;
    EXPECT_NE(csv.find("Kiel"), std::string::npos);

    // The Save dialog asks before it replaces a file; No keeps it as it was.
    export_as(3, "all");
    answer_box("exists", IDNO);
    dialog = lumo.wait_for_dialog("Export contacts");
    ASSERT_NE(dialog, nullptr) << lumo.describe();
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(lumo.wait_until([&] { return !IsWindow(dialog); }));
    EXPECT_EQ(lumo.read_file("all.csv"), csv);

    // Export left the book alone: still five entries, unsaved.
    EXPECT_EQ(lumo.status_text(), entries_status(5));
    EXPECT_EQ(lumo.title().substr(0, 1), "*");
    EXPECT_EQ(lumo.quit_discarding_changes(), 0) << lumo.describe();
}

}  // namespace
}  // namespace lumo::e2e

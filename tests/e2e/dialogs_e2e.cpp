// The dialogs of the real lumo.exe: the password of a protected file at
// start, Search and Replace through their dialogs, the appointment and the
// calendar search requests, and activating password protection.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

#include "data/address_file.h"
#include "data/store.h"
#include "e2e/books.h"
#include "e2e/harness.h"
#include "port/ids.h"
#include "settings/configuration.h"

namespace lumo::e2e {
namespace {

// A protected address file as the writer makes it: the marker, the check
// word and the enciphered text (plain ASCII, so no letters change code).
std::string protected_file(std::string text, const std::string& password) {
    std::string check(check_text);
    encipher(check.data(), check.size(), password);
    encipher(text.data(), text.size(), password);
    return std::string(1, protection_marker) + check + text;
}

std::string entries_status(std::int32_t count) {
    const auto text = format_entries_status(count);
    return std::string(text.data(), text.size());
}

struct FindDialog {
    int control;
    HWND found;
};

BOOL CALLBACK note_dialog_with_control(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<FindDialog*>(lp);
    char name[16] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (std::string(name) != "#32770" || !IsWindowVisible(hwnd) || !GetDlgItem(hwnd, search->control)) return TRUE;
    search->found = hwnd;
    return FALSE;
}

class Dialogs : public ::testing::Test {
protected:
    Dialogs() { settings.save_configuration_automatically = 0; }

    std::string path(const std::string& name) const { return lumo.folder() + name; }

    void write_configuration(const std::string& file) {
        set_text(settings.file_name, path(file));
        const auto bytes = configuration_bytes(settings);
        lumo.write_file(std::string(configuration_file_name), std::string(bytes.begin(), bytes.end()));
    }

    // Starts lumo on the protected `file` and answers its prompt with `password`.
    void start_with_password(const std::string& file, const std::string& password) {
        write_configuration(file);
        ASSERT_TRUE(lumo.start());
        HWND prompt = wait_for_dialog_with(IDC_OPEN_PASSWORD_OK);
        ASSERT_NE(prompt, nullptr) << lumo.describe();
        set(prompt, IDC_OPEN_PASSWORD, password);
        press(prompt, IDC_OPEN_PASSWORD_OK);
    }

    // Starts lumo on `file` and waits for its views.
    void start_with(const std::string& file) {
        write_configuration(file);
        ASSERT_TRUE(lumo.start());
        wait_for_views();
    }
    void wait_for_views() {
        ASSERT_TRUE(calendar.wait_for("HALLO, HIER IST LUMO!")) << lumo.describe();
        ASSERT_TRUE(lumo.wait_for_main_window()) << lumo.describe();
        ASSERT_TRUE(lumo.wait_until([&] { return GetDlgItem(lumo.main_window(), 2) != nullptr; }))
            << lumo.describe();
        // Views are active only while the main window has the focus.
        SetForegroundWindow(lumo.main_window());
        lumo.wait_until([&] { return GetForegroundWindow() == lumo.main_window(); }, 3000);
    }

    // The visible dialog that holds `control` (its OK button tells them apart).
    HWND wait_for_dialog_with(int control) {
        FindDialog search{control, nullptr};
        lumo.wait_until([&] {
            EnumWindows(&note_dialog_with_control, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        });
        return search.found;
    }
    HWND open_dialog(int command, int control) {
        lumo.post_command(command);
        return wait_for_dialog_with(control);
    }

    static void set(HWND dialog, int id, const std::string& text) {
        SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    static void check(HWND dialog, int id, bool on) {
        SendMessageA(GetDlgItem(dialog, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    static void press(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    bool file_becomes(const std::string& name, const std::string& bytes) {
        return lumo.wait_until([&] { return lumo.read_file(name) == bytes; });
    }
    void answer_box(const std::string& text) {
        const MessageBoxInfo box = lumo.wait_for_box(text);
        ASSERT_NE(box.window, nullptr) << lumo.describe();
        EXPECT_EQ(box.caption, "VORNIX-Lumo:");
        lumo.answer(box, IDOK);
    }
    void quit() { EXPECT_EQ(lumo.quit_discarding_changes(), 0) << lumo.describe(); }

    FakeCalendar calendar;
    Lumo lumo;
    Settings settings = default_settings(LogFont{});
};

const std::string plain = book({"Anton\r\nRing 1", "Berta\r\nneedle here"});

TEST_F(Dialogs, ProtectedFileAsksForItsPasswordAndSavesEncipheredAgain) {
    const std::string stored = protected_file(plain, "geheim");
    lumo.write_file("secret.adr", stored);
    start_with_password("secret.adr", "geheim");
    wait_for_views();
    EXPECT_TRUE(lumo.wait_until([&] { return lumo.status_text() == entries_status(2); })) << lumo.status_text();

    lumo.post_command(CMD_SAVE);
    EXPECT_TRUE(lumo.wait_until([&] { return lumo.read_file("secret.DUP") == stored; }));
    // The backup comes first; the file itself may still be being written.
    EXPECT_TRUE(lumo.wait_until([&] { return lumo.read_file("secret.adr") == stored; }))
        << lumo.read_file("secret.adr");
    quit();
}

TEST_F(Dialogs, WrongPasswordIsToldAndTheFileStaysAsItWas) {
    const std::string stored = protected_file(plain, "geheim");
    lumo.write_file("secret.adr", stored);
    start_with_password("secret.adr", "falsch");
    answer_box("Wrong password!");
    wait_for_views();
    EXPECT_TRUE(lumo.wait_until([&] { return lumo.status_text() == entries_status(1); })) << lumo.status_text();
    quit();
    EXPECT_EQ(lumo.read_file("secret.adr"), stored);
}

// After a wrong password nothing leads back to the protected book: the
// Save dialog at Quit does not offer its name, and choosing it anyway asks
// before replacing it.
TEST_F(Dialogs, AfterAWrongPasswordSavingOverTheProtectedBookAsksFirst) {
    const std::string stored = protected_file(plain, "geheim");
    lumo.write_file("secret.adr", stored);
    start_with_password("secret.adr", "falsch");
    answer_box("Wrong password!");
    wait_for_views();
    lumo.post_command(CMD_NEW_ENTRY);  // the data view takes the keys
    lumo.type_text("Notiz");
    EXPECT_TRUE(lumo.wait_until([&] { return lumo.title() == "*NO NAME"; })) << lumo.title();

    lumo.post_command(CMD_QUIT);
    const MessageBoxInfo save_now = lumo.wait_for_box("Save Data now?");
    ASSERT_NE(save_now.window, nullptr) << lumo.describe();
    lumo.answer(save_now, IDYES);
    HWND dialog = lumo.wait_for_dialog("Save VORNIX-Lumo-File");
    ASSERT_NE(dialog, nullptr) << lumo.describe();
    char offered[512] = {};
    GetWindowTextA(GetDlgItem(dialog, 0x47C), offered, sizeof offered);
    EXPECT_EQ(std::string(offered).find("secret"), std::string::npos) << offered;

    Lumo::choose_file(dialog, path("secret.adr"));
    const MessageBoxInfo replace = lumo.wait_for_box("exists");
    ASSERT_NE(replace.window, nullptr) << lumo.describe();
    lumo.answer(replace, IDNO);
    pump_for(300);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    const MessageBoxInfo quit_anyway = lumo.wait_for_box("without saving");
    ASSERT_NE(quit_anyway.window, nullptr) << lumo.describe();
    lumo.answer(quit_anyway, IDYES);
    EXPECT_EQ(lumo.wait_for_exit(), 0) << lumo.describe();
    EXPECT_EQ(lumo.read_file("secret.adr"), stored);
}

TEST_F(Dialogs, AddingAProtectedFileAsksForItsOwnPassword) {
    lumo.write_file("book.adr", plain);
    lumo.write_file("more.adr", protected_file(book({"Caesar\r\nHafen 3", "Aaron"}), "zusatz"));
    start_with("book.adr");
    lumo.post_command(CMD_ADD);
    HWND chooser = lumo.wait_for_dialog("Add VORNIX-Lumo-File");
    ASSERT_NE(chooser, nullptr) << lumo.describe();
    Lumo::choose_file(chooser, path("more.adr"));

    HWND prompt = wait_for_dialog_with(IDC_ADD_PASSWORD_OK);
    ASSERT_NE(prompt, nullptr) << lumo.describe();
    set(prompt, IDC_ADD_PASSWORD, "zusatz");
    press(prompt, IDC_ADD_PASSWORD_OK);
    const MessageBoxInfo question = lumo.wait_for_box("data-check now");
    ASSERT_NE(question.window, nullptr) << lumo.describe();
    lumo.answer(question, IDNO);
    EXPECT_TRUE(lumo.wait_until([&] { return lumo.status_text() == entries_status(4); })) << lumo.status_text();

    // The open file has no password: it stays plain, with the added entries in order.
    lumo.post_command(CMD_SAVE);
    EXPECT_TRUE(file_becomes("book.adr", book({"Aaron", "Anton\r\nRing 1", "Berta\r\nneedle here",
                                               "Caesar\r\nHafen 3"})))
        << lumo.read_file("book.adr");
    quit();
}

TEST_F(Dialogs, ActivatedProtectionEnciphersTheNextSave) {
    lumo.write_file("book.adr", plain);
    start_with("book.adr");
    HWND dialog = open_dialog(CMD_PASSWORD, IDC_NEW_PASSWORD_OK);
    ASSERT_NE(dialog, nullptr) << lumo.describe();
    set(dialog, IDC_NEW_PASSWORD, "kennwort");
    set(dialog, IDC_NEW_PASSWORD_REPEAT, "kennwort");
    press(dialog, IDC_NEW_PASSWORD_OK);
    EXPECT_TRUE(lumo.wait_until([&] { return lumo.title().rfind('*', 0) == 0; })) << lumo.title();

    lumo.post_command(CMD_SAVE);
    EXPECT_TRUE(file_becomes("book.adr", protected_file(plain, "kennwort"))) << lumo.describe();
    EXPECT_EQ(lumo.read_file("book.DUP"), plain);
    quit();
}

TEST_F(Dialogs, SearchMarksTheHitThatDeleteThenRemoves) {
    lumo.write_file("book.adr", plain);
    start_with("book.adr");
    HWND dialog = open_dialog(CMD_SEARCH, IDC_SEARCH_OK);
    ASSERT_NE(dialog, nullptr) << lumo.describe();
    set(dialog, IDC_SEARCH_TEXT, "NEEDLE");  // case is ignored unless asked for
    press(dialog, IDC_SEARCH_OK);
    ASSERT_TRUE(lumo.wait_until([&] { return !IsWindow(dialog); }));
    pump_for(300);

    // The hit is the data view's marked block: Delete removes exactly it.
    PostMessageA(lumo.main_window(), WM_KEYDOWN, VK_DELETE, 0);
    lumo.wait_until([&] { return lumo.title().rfind('*', 0) == 0; });
    lumo.post_command(CMD_SAVE);
    EXPECT_TRUE(file_becomes("book.adr", book({"Anton\r\nRing 1", "Berta\r\n here"}))) << lumo.read_file("book.adr");

    // Nothing more to find: the message says so.
    lumo.post_command(CMD_FIND_NEXT);
    answer_box("No adequate entry found!");
    quit();
}

TEST_F(Dialogs, ReplaceAllCountsItsReplacementsAndSortsTheData) {
    lumo.write_file("book.adr", book({"Adler\r\nold road", "Berta\r\nold", "Otto\r\nnothing"}));
    start_with("book.adr");
    HWND dialog = open_dialog(CMD_REPLACE, IDC_REPLACE_OK);
    ASSERT_NE(dialog, nullptr) << lumo.describe();
    set(dialog, IDC_SEARCH_TEXT, "old");
    set(dialog, IDC_REPLACEMENT_TEXT, "new");
    check(dialog, IDC_REPLACE_ALL, true);
    press(dialog, IDC_REPLACE_OK);
    answer_box("2 entries were replaced!");
    // (a line replaced whole keeps a blank behind the replacement)

    lumo.post_command(CMD_SAVE);
    EXPECT_TRUE(file_becomes("book.adr", book({"Adler\r\nnew road", "Berta\r\nnew ", "Otto\r\nnothing"})))
        << lumo.read_file("book.adr");
    quit();
}

TEST_F(Dialogs, AppointmentAndCalendarSearchSendTheirRequests) {
    lumo.write_file("book.adr", book({"Miller, Hans\r\nRing 1"}));
    start_with("book.adr");

    HWND dialog = open_dialog(CMD_APPOINTMENT, IDC_APPOINTMENT_OK);
    ASSERT_NE(dialog, nullptr) << lumo.describe();
    char shown[64] = {};
    SendMessageA(GetDlgItem(dialog, IDC_APPOINTMENT_TEXT), WM_GETTEXT, sizeof shown, reinterpret_cast<LPARAM>(shown));
    EXPECT_STREQ(shown, "Miller");
    set(dialog, IDC_DATE, "06/12/2026");
    set(dialog, IDC_TIME, "14.05");
    check(dialog, IDC_INSERT_PREDEFINITION, true);
    check(dialog, IDC_PREDEFINITION_PICK_1, false);
    check(dialog, IDC_PREDEFINITION_PICK_6, true);
    press(dialog, IDC_APPOINTMENT_OK);
    EXPECT_TRUE(calendar.wait_for("TS100006/12/2026 14.05 Birthday: <Miller>")) << lumo.describe();

    // A time without minutes is refused and nothing goes out.
    dialog = open_dialog(CMD_APPOINTMENT, IDC_APPOINTMENT_OK);
    ASSERT_NE(dialog, nullptr);
    set(dialog, IDC_TIME, "12");
    press(dialog, IDC_APPOINTMENT_OK);
    answer_box("Always fill in the complete\ndate (dd.mm.yyyy) and time (hh.mm.ss) please!");

    dialog = open_dialog(CMD_CALENDAR_SEARCH, IDC_CALENDAR_SEARCH_OK);
    ASSERT_NE(dialog, nullptr) << lumo.describe();
    check(dialog, IDC_CALENDAR_CHOICE_1, false);
    check(dialog, IDC_CALENDAR_CHOICE_2, true);
    press(dialog, IDC_CALENDAR_SEARCH_OK);
    EXPECT_TRUE(calendar.wait_for("XS2Miller")) << lumo.describe();
    EXPECT_EQ(calendar.received().end() - std::find_if(calendar.received().begin(), calendar.received().end(),
                                                       [](const std::string& t) { return t.rfind("TS", 0) == 0; }),
              2)
        << "the refused appointment must not be sent";
    quit();
}

}  // namespace
}  // namespace lumo::e2e

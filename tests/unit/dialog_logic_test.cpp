// The dialogs' rules without a screen: date and time checks, the calendar's
// appointment and search requests, password rules, the Fileselector's path,
// the values each dialog shows and takes, and typing a text pre-definition.
#include "app/dialog_logic.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "port/ids.h"
#include "support/fake_port.h"

namespace lumo {
namespace {

// ---- Date and time ----------------------------------------------------------------

TEST(DateCheck, DayMonthAndFourPlaceYearWithOneSeparatorOrNone) {
    for (const char* date : {"06/12/2026", "6.12.2026", "1/1/2003", "06122026", "45/13/2003", "6-1-1999"})
        EXPECT_TRUE(date_complete(date)) << date;
    for (const char* date : {"06/12/26", "00/12/2026", "06/00/2026", "06/12/0000", "", "6/", "1/1", "6.12.202",
                             "ab/cd/efgh"})
        EXPECT_FALSE(date_complete(date)) << date;
}

TEST(TimeCheck, NeedsAnHourAndAMinuteDigit) {
    for (const char* time : {"14.05", "99.99", "1405", "1.05", "9.5", "00.00"})
        EXPECT_TRUE(time_complete(time)) << time;
    for (const char* time : {"12", "12.", "", "ab.cd", "14:"}) EXPECT_FALSE(time_complete(time)) << time;
}

TEST(DateCheck, TheDialogStartsWithTheLocalTimeInTheCheckedForm) {
    const LocalTime now{2026, 12, 6, 14, 5, 59};
    EXPECT_EQ(date_text(now), "06/12/2026");
    EXPECT_EQ(time_text(now), "14.05");
    EXPECT_TRUE(date_complete(date_text(now)));
    EXPECT_TRUE(time_complete(time_text(now)));
    EXPECT_EQ(date_text({987, 1, 2, 0, 0, 0}), "02/01/0987");
}

// ---- Requests to the calendar --------------------------------------------------------

TEST(CalendarRequests, AppointmentAsTheCalendarReadsIt) {
    EXPECT_EQ(appointment_request({true, false, false, false}, "06/12/2026", "14.05", "Birthday: ", "Miller"),
              "TS100006/12/2026 14.05 Birthday: <Miller>");
    EXPECT_EQ(appointment_request({false, true, false, true}, "1.1.2003", "9.5", "", ""), "TS01011.1.2003 9.5 <>");
}

TEST(CalendarRequests, AnAppointmentIsCutInFrontOfItsClosingBracket) {
    const std::string text(222, 'x');
    const std::string request = appointment_request({true, true, true, true}, "06/12/2026", "14.05", "Urgent: ", text);
    ASSERT_EQ(request.size(), 6u + 223u);
    EXPECT_EQ(request.substr(0, 6), "TS1111");
    EXPECT_EQ(request.back(), '>');
    EXPECT_EQ(request.substr(6, 26), "06/12/2026 14.05 Urgent: <");
    EXPECT_EQ(request[request.size() - 2], 'x');
}

TEST(CalendarRequests, SearchNamesTheCalendarAndCutsTheText) {
    EXPECT_EQ(calendar_search_request(2, "Miller"), "XS2Miller");
    EXPECT_EQ(calendar_search_request(4, std::string(60, 'q')), "XS4" + std::string(50, 'q'));
}

TEST(CalendarRequests, HeadingStopsAtANameSeparatorOrControlByte) {
    const std::array<char, 5> separators{',', ';', 0, 0, 0};
    EXPECT_EQ(heading_for_calendar("Miller, Hans", separators, 223), "Miller");
    EXPECT_EQ(heading_for_calendar("Miller Hans; 0123", separators, 223), "Miller Hans");
    EXPECT_EQ(heading_for_calendar("Miller\tHans", separators, 223), "Miller");
    EXPECT_EQ(heading_for_calendar(std::string(80, 'M'), separators, 50), std::string(50, 'M'));
    EXPECT_EQ(heading_for_calendar("", separators, 50), "");
}

// ---- Passwords ----------------------------------------------------------------------

TEST(Passwords, PromptsTakeFourToNineteenCharacters) {
    EXPECT_FALSE(accepted_password(""));
    EXPECT_FALSE(accepted_password("abc"));
    EXPECT_EQ(accepted_password("abcd"), "abcd");
    EXPECT_EQ(accepted_password(std::string(25, 'k')), std::string(19, 'k'));
}

TEST(Passwords, RepetitionMustMatchAndBeLongEnough) {
    const PasswordRepeat ok = check_password_repeat("secret", "secret");
    EXPECT_EQ(ok.password, "secret");

    const PasswordRepeat empty = check_password_repeat("abcd", "");
    EXPECT_FALSE(empty.password);
    EXPECT_EQ(empty.message, "This diary is not protected now!");

    for (const auto& [first, second] : {std::pair{"ab", "ab"}, std::pair{"abcd", "abce"}, std::pair{"", "abcd"}}) {
        const PasswordRepeat wrong = check_password_repeat(first, second);
        EXPECT_FALSE(wrong.password) << first;
        EXPECT_EQ(wrong.message, "The password is not correctly typed in!") << first;
    }
    // Only the first nineteen characters count, in both fields.
    EXPECT_EQ(check_password_repeat(std::string(19, 'p') + "1", std::string(19, 'p') + "2").password,
              std::string(19, 'p'));
}

// ---- The Fileselector ---------------------------------------------------------------

TEST(Fileselector, PathsAreQuotedAndABlankAddsApostrophes) {
    EXPECT_EQ(quoted_path("C:\\data\\list.txt"), "\"C:\\data\\list.txt\"");
    EXPECT_EQ(quoted_path("C:\\My Files\\Today's list.txt"), "\"'C:\\My Files\\Today''s list.txt'\"");
    EXPECT_EQ(quoted_path("C:\\Today's.txt"), "\"C:\\Today's.txt\"");
}

TEST(Fileselector, StartsInTheCurrentDirectoryUntilAPathWasChosen) {
    FileDialogRequest request = fileselector_request("", "C:\\Users\\lumo");
    EXPECT_EQ(request.kind, FileDialogRequest::Kind::open);
    EXPECT_EQ(request.title, "Choose File");
    ASSERT_EQ(request.filters.size(), 1u);
    EXPECT_EQ(request.filters[0].description, "(*.*)");
    EXPECT_EQ(request.filters[0].pattern, "*.*");
    EXPECT_EQ(request.default_extension, "dry");
    EXPECT_EQ(request.flags, 0x4u);
    EXPECT_EQ(request.initial_name, "C:\\Users\\lumo\\*.*");
    EXPECT_EQ(fileselector_request("", "C:\\").initial_name, "C:\\*.*");
    EXPECT_EQ(fileselector_request("", "/tmp/").initial_name, "/tmp/*.*");
    EXPECT_EQ(fileselector_request("D:\\a.txt", "C:\\").initial_name, "D:\\a.txt");
}

// ---- Values of the dialogs ------------------------------------------------------------

TEST(DialogFields, SearchWithoutACheckedDirectionKeepsThePreviousOne) {
    SearchSettings settings;
    settings.direction = SearchDirection::backward_wrap;
    SearchFields fields = search_fields(settings);
    EXPECT_EQ(fields.direction, 2);
    EXPECT_FALSE(fields.case_sensitive);
    fields.direction = -1;
    fields.case_sensitive = true;
    fields.text = std::string(60, 's');
    apply_search_fields(settings, fields);
    EXPECT_EQ(settings.direction, SearchDirection::backward_wrap);
    EXPECT_FALSE(settings.ignore_case);
    EXPECT_EQ(settings.text, std::string(50, 's'));
    fields.direction = 0;
    fields.case_sensitive = false;
    apply_search_fields(settings, fields);
    EXPECT_EQ(settings.direction, SearchDirection::backward);
    EXPECT_TRUE(settings.ignore_case);
}

TEST(DialogFields, ReplaceAllStartsUncheckedAndTheTextsAreSeparate) {
    ReplaceSettings settings;
    settings.replace_all = true;
    settings.text = "old";
    ReplaceFields fields = replace_fields(settings);
    EXPECT_FALSE(fields.replace_all);
    EXPECT_EQ(fields.search.text, "old");
    EXPECT_EQ(fields.search.direction, 3);
    fields.replacement = "new";
    fields.replace_all = true;
    fields.search.direction = 1;
    apply_replace_fields(settings, fields);
    EXPECT_EQ(settings.replacement, "new");
    EXPECT_TRUE(settings.replace_all);
    EXPECT_EQ(settings.direction, SearchDirection::forward);
}

TEST(DialogFields, GeneralConfigurationKeepsOneSeparatorAndDropsZeroOrders) {
    Settings settings = default_settings(LogFont{});
    GeneralFields fields = general_fields(settings);
    EXPECT_EQ(fields.name_separators[0], ",");
    EXPECT_EQ(fields.name_separators[1], "");
    EXPECT_EQ(fields.address_line_order[2], "3");
    EXPECT_TRUE(fields.empty_lines[1]);
    EXPECT_TRUE(fields.swap_names);
    EXPECT_TRUE(fields.save_configuration_automatically);

    fields.name_separators = {"", "", "", "", ""};
    fields.address_line_order = {"0", "21", "", "5", "x"};
    fields.empty_lines = {true, false, true, false};
    fields.swap_names = false;
    fields.save_data_automatically = true;
    apply_general_fields(settings, fields);
    EXPECT_EQ(settings.name_separators, (std::array<char, 5>{',', 0, 0, 0, 0}));
    EXPECT_EQ(settings.address_line_order, (std::array<char, 5>{0, '2', 0, '5', 'x'}));
    EXPECT_EQ(settings.empty_line_flags, (std::array<std::uint8_t, 4>{1, 0, 1, 0}));
    EXPECT_EQ(settings.swap_names_flag, 0);
    EXPECT_EQ(settings.save_data_automatically, 1);

    fields.name_separators = {"", "-", "", "/", ""};
    apply_general_fields(settings, fields);
    EXPECT_EQ(settings.name_separators, (std::array<char, 5>{0, '-', 0, '/', 0}));
}

TEST(DialogFields, PreDefinitionsKeepTheSelectionWhenNoneIsChecked) {
    Settings settings = default_settings(LogFont{});
    DialogState state;
    PreDefinitionFields fields = pre_definition_fields(settings, state);
    EXPECT_EQ(fields.texts[0], "PhoneNumber: ");
    EXPECT_EQ(fields.selected, 1);
    fields.selected = 0;
    fields.texts[9] = std::string(70, 't');
    apply_pre_definition_fields(settings, state, fields);
    EXPECT_EQ(state.selected_pre_definition, 1);
    EXPECT_EQ(text_of(settings.text_pre_definitions[9]), std::string(50, 't'));
    fields.selected = 7;
    apply_pre_definition_fields(settings, state, fields);
    EXPECT_EQ(state.selected_pre_definition, 7);
}

TEST(DialogFields, PrintMarginsWrapAtAByteAndTheHeadlineIsCut) {
    Settings settings = default_settings(LogFont{});
    DialogState state;
    apply_print_fields(settings, state, {300, 12, std::string(60, 'h')});
    EXPECT_EQ(settings.print_left_margin, 44);
    EXPECT_EQ(settings.print_top_margin, 12);
    EXPECT_EQ(state.print_headline, std::string(49, 'h'));
    const PrintFields shown = print_fields(settings, state);
    EXPECT_EQ(shown.left_margin, 44u);
    EXPECT_EQ(shown.headline, state.print_headline);
}

// ---- On the application -----------------------------------------------------------------

// Keeps every text the address book sends to the calendar.
class RecordingCalendar final : public calendar::Transport {
public:
    bool running = true;
    std::vector<std::string> texts;

    bool find_calendar() override { return running; }
    void post(const calendar::WireMessage& message) override {
        if (message.w == calendar::announcement) return;
        if (message.l == 0) {
            texts.push_back(pending_);
            pending_.clear();
        } else {
            pending_.push_back(static_cast<char>(message.l));
        }
    }
    void bring_calendar_to_front() override {}

private:
    std::string pending_;
};

class DialogApp : public ::testing::Test {
protected:
    testing::FakePort fake;
    RecordingCalendar calendar;
    App app{fake.port, calendar};

    void SetUp() override {
        ASSERT_TRUE(app.store.reset_store());
        app.overview_state.geometry = {200, 150, 10, 2032, 20};
        app.data_view_state.geometry = {400, 200, 16, 254 * 8, 20};
    }
    void load(std::string_view text) {
        TextBuffer buffer = app.store.allocate_text(static_cast<std::int32_t>(text.size()) + text_headroom);
        ASSERT_TRUE(buffer);
        std::memcpy(buffer.data(), text.data(), text.size());
        app.store.adopt_text(std::move(buffer), static_cast<std::int32_t>(text.size()));
        app.store.reindex();
        app.store.modified = false;
        app.views.selected_entry_start = 0;
    }
    // Shows the entry that starts at `offset` in the data view, caret at (line, column).
    void show(std::int32_t offset, std::int32_t line, std::int32_t column) {
        app.views.selected_entry_start = offset;
        app.views.caret_line = line;
        app.views.caret_column = column;
        app.views.active_view = ActiveView::data_view;
    }
    std::string text() const { return std::string(app.store.text_view()); }
};

TEST_F(DialogApp, AppointmentDialogStartsFromTheShownEntryAndTheClock) {
    load("Anton\r\n\r\nMiller, Hans\r\nStreet 1\r\n\r\n");
    app.views.selected_entry_start = 9;
    app.dialog_state.calendars = {false, true, false, false};
    fake.now = {2026, 12, 6, 14, 5, 0};
    const AppointmentFields fields = appointment_fields(app);
    EXPECT_EQ(fields.text, "Miller");
    EXPECT_EQ(fields.date, "06/12/2026");
    EXPECT_EQ(fields.time, "14.05");
    EXPECT_EQ(fields.calendars, (std::array<bool, 4>{false, true, false, false}));
    EXPECT_EQ(fields.pre_definitions.selected, 1);

    app.store.release_store();
    EXPECT_EQ(appointment_fields(app).text, "");
}

TEST_F(DialogApp, AppointmentIsSentWithTheSelectedPreDefinition) {
    AppointmentFields fields;
    fields.text = "Miller";
    fields.date = "06/12/2026";
    fields.time = "14.05";
    fields.calendars = {true, false, false, false};
    fields.insert_pre_definition = true;
    fields.pre_definitions = pre_definition_fields(app.settings, app.dialog_state);
    fields.pre_definitions.selected = 6;  // "Birthday: "
    keep_appointment_fields(app, fields);
    send_appointment(app);
    ASSERT_EQ(calendar.texts.size(), 1u);
    EXPECT_EQ(calendar.texts[0], "TS100006/12/2026 14.05 Birthday: <Miller>");
    EXPECT_TRUE(fake.boxes.empty());

    // Without the check box the pre-definition stays out; odd dates go as typed.
    fields.insert_pre_definition = false;
    fields.date = "45/13/2003";
    fields.time = "99.99";
    keep_appointment_fields(app, fields);
    send_appointment(app);
    EXPECT_EQ(calendar.texts.back(), "TS100045/13/2003 99.99 <Miller>");
}

TEST_F(DialogApp, AnIncompleteTimeIsToldAndNothingIsSentButTheValuesStay) {
    AppointmentFields fields;
    fields.text = std::string(230, 'a');
    fields.date = "06/12/2026";
    fields.time = "12";
    fields.calendars = {false, false, true, false};
    fields.pre_definitions.texts[2] = "eMail";
    fields.pre_definitions.selected = 3;
    keep_appointment_fields(app, fields);
    send_appointment(app);
    EXPECT_TRUE(calendar.texts.empty());
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, "Always fill in the complete\ndate (dd.mm.yyyy) and time (hh.mm.ss) please!");
    EXPECT_EQ(fake.boxes[0].caption, "VORNIX-Lumo:");
    EXPECT_EQ(fake.boxes[0].style, box::error);
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_TRUE(fake.modal_seen_in_box);
    EXPECT_EQ(app.dialog_state.time_text, "12");
    EXPECT_EQ(app.dialog_state.appointment_text.size(), 222u);
    EXPECT_EQ(app.dialog_state.selected_pre_definition, 3);
    EXPECT_EQ(text_of(app.settings.text_pre_definitions[2]), "eMail");
    EXPECT_EQ(app.dialog_state.calendars, (std::array<bool, 4>{false, false, true, false}));
}

TEST_F(DialogApp, CalendarSearchKeepsTheChoiceAndSendsXs) {
    load("Miller; Hans\r\n\r\n");
    app.settings.name_separators = {';', 0, 0, 0, 0};
    CalendarSearchFields fields = calendar_search_fields(app);
    EXPECT_EQ(fields.text, "Miller");
    EXPECT_EQ(fields.calendar, 1);
    fields.calendar = 2;
    send_calendar_search(app, fields);
    EXPECT_EQ(calendar.texts.back(), "XS2Miller");
    fields.calendar = 0;  // no radio checked: the last choice stays
    fields.text = "Berta";
    send_calendar_search(app, fields);
    EXPECT_EQ(calendar.texts.back(), "XS2Berta");
    EXPECT_EQ(app.calendar().search_calendar, 2);
}

TEST_F(DialogApp, PasswordProtectionTakesOrClearsThePasswordAndMarksTheDataModified) {
    load("Anton\r\n\r\n");
    apply_password_repeat(app, check_password_repeat("geheim", "geheim"));
    finish_password_protection(app);
    EXPECT_EQ(app.file.file_password, "geheim");
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_TRUE(app.store.modified);
    EXPECT_EQ(app.store.window_title_text()[0], '*');
    EXPECT_EQ(fake.title[0], '*');

    apply_password_repeat(app, check_password_repeat("geheim", ""));
    EXPECT_EQ(app.file.file_password, "");
    EXPECT_EQ(fake.last_box(), "This diary is not protected now!");
    EXPECT_EQ(fake.boxes.back().style, box::error);
    EXPECT_EQ(fake.beeps, 1);
}

TEST_F(DialogApp, RepeatReplaceOpensTheDialogWithoutTextAndFollowsTheActiveView) {
    load("Anton\r\nold\r\n\r\nBerta\r\nold\r\n\r\n");
    int dialogs = 0;
    app.search.open_replace_dialog = [&] { ++dialogs; };
    repeat_replace(app);
    EXPECT_EQ(dialogs, 1);

    app.search.replace_settings.text = "old";
    app.search.replace_settings.replacement = "new";
    app.search.replace_settings.replace_all = true;
    app.views.active_view = ActiveView::none_was_overview;
    EXPECT_FALSE(replace_scope(app));
    repeat_replace(app);
    EXPECT_EQ(text(), "Anton\r\nold\r\n\r\nBerta\r\nold\r\n\r\n");

    app.views.active_view = ActiveView::overview;
    repeat_replace(app);
    // A line replaced whole keeps a blank behind the replacement.
    EXPECT_EQ(text(), "Anton\r\nnew \r\n\r\nBerta\r\nnew \r\n\r\n");
    EXPECT_EQ(fake.last_box(), "2 entries were replaced!");
    EXPECT_EQ(dialogs, 1);
}

TEST_F(DialogApp, PreDefinitionIsTypedAtTheCaretOnlyInTheDataView) {
    load("Anton\r\nStreet\r\n\r\n");
    app.views.active_view = ActiveView::overview;
    type_text_pre_definition(app, 1);
    EXPECT_EQ(text(), "Anton\r\nStreet\r\n\r\n");

    show(0, 1, 6);
    type_text_pre_definition(app, 0);
    type_text_pre_definition(app, 12);
    EXPECT_EQ(text(), "Anton\r\nStreet\r\n\r\n");
    type_text_pre_definition(app, 1);
    EXPECT_EQ(text(), "Anton\r\nStreetPhoneNumber: \r\n\r\n");
    EXPECT_EQ(app.views.caret_line, 1);
    EXPECT_EQ(app.views.caret_column, 19);
    // Typed like keys: below the heading nothing needs sorting.
    EXPECT_FALSE(app.store.sort_pending);
    EXPECT_TRUE(app.store.check());

    // Undo returns to the text before the typing.
    app.store.swap_undo_snapshot();
    EXPECT_EQ(text(), "Anton\r\nStreet\r\n\r\n");

    fake.window_exists = false;
    show(0, 1, 0);
    type_text_pre_definition(app, 2);
    EXPECT_EQ(text(), "Anton\r\nStreet\r\n\r\n");
}

TEST_F(DialogApp, PreDefinitionStopsBeforeAControlCharacterAndReplacesAMarkedBlock) {
    load("Anton\r\nStreet\r\n\r\n");
    set_text(app.settings.text_pre_definitions[4], "Tel\tFax");
    show(0, 1, 0);
    app.views.text_block = {true, 0, 1, 0, 1, 3, 1};  // "Str"
    type_text_pre_definition(app, 5);
    EXPECT_EQ(text(), "Anton\r\nTeleet\r\n\r\n");
    EXPECT_FALSE(app.views.text_block.marked);
    EXPECT_TRUE(app.store.check());
}

TEST_F(DialogApp, APreDefinitionStopsAtTheFirstCharacterAFullLineRefuses) {
    const std::string line(250, 'x');
    load("Anton\r\n" + line + "\r\nEnd\r\n\r\n");
    show(0, 1, 250);
    type_text_pre_definition(app, 1);  // "PhoneNumber: ": five characters fit
    EXPECT_EQ(text(), "Anton\r\n" + line + "Phone\r\nEnd\r\n\r\n");
    EXPECT_EQ(app.views.caret_line, 1);
    EXPECT_EQ(app.views.caret_column, 255);
    // One message for the one refused character; nothing more is tried.
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, "Line would be longer than 255 characters!");
    EXPECT_FALSE(fake.port.modal_flag);
    EXPECT_TRUE(app.store.check());

    // One undo takes the typing back; the Fileselector's path stops the same way.
    app.store.swap_undo_snapshot();
    EXPECT_EQ(text(), "Anton\r\n" + line + "\r\nEnd\r\n\r\n");
    fake.chosen_files.push_back(std::string("C:\\a.txt"));
    show(0, 1, 250);
    type_text_pre_definition(app, 11);
    EXPECT_EQ(text(), "Anton\r\n" + line + "\"C:\\a\r\nEnd\r\n\r\n");
    EXPECT_EQ(fake.boxes.size(), 2u);
}

TEST_F(DialogApp, FileselectorTypesTheChosenPathQuotedAndRemembersIt) {
    load("Anton\r\nx\r\n\r\n");
    show(0, 1, 1);
    fake.directory = "C:\\Users\\lumo";
    fake.chosen_files.push_back(std::string("C:\\My Files\\Today's list.txt"));
    type_text_pre_definition(app, 11);
    ASSERT_EQ(fake.file_dialogs.size(), 1u);
    EXPECT_EQ(fake.file_dialogs[0].initial_name, "C:\\Users\\lumo\\*.*");
    EXPECT_EQ(fake.file_dialogs[0].title, "Choose File");
    EXPECT_EQ(text(), "Anton\r\nx\"'C:\\My Files\\Today''s list.txt'\"\r\n\r\n");
    EXPECT_EQ(app.dialog_state.last_chosen_path, "C:\\My Files\\Today's list.txt");
    EXPECT_FALSE(fake.port.modal_flag);

    // Cancelled: nothing typed; the dialog started from the last path.
    const std::string before = text();
    type_text_pre_definition(app, 11);
    EXPECT_EQ(fake.file_dialogs.back().initial_name, "C:\\My Files\\Today's list.txt");
    EXPECT_EQ(text(), before);
}

}  // namespace
}  // namespace lumo

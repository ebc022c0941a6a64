// The common dialog procedure on the real templates of lumo.exe: what each
// dialog shows when it starts, what its OK takes over, what is left to do
// afterwards, the results the modal runs end with, and the modal flag.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "port/ids.h"
#include "support/fake_port.h"
#include "win32/dialogs.h"
#include "win32/tooltip_texts.h"

namespace lumo::win32 {
namespace {

std::string lumo_exe_path() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string result(path, length);
    result.erase(result.find_last_of("\\/") + 1);
    return result + "lumo.exe";
}

std::string item(HWND dialog, int id) {
    char text[512] = {};
    const int n = GetDlgItemTextA(dialog, id, text, sizeof text);
    return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

void set_item(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }
bool is_checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void click(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// Keeps every text the address book sends to the calendar.
class RecordingCalendar final : public calendar::Transport {
public:
    std::vector<std::string> texts;
    bool find_calendar() override { return true; }
    void post(const calendar::WireMessage& message) override {
        if (message.w == calendar::announcement) return;
        if (message.l == 0) {
            texts.push_back(std::exchange(pending_, {}));
        } else {
            pending_.push_back(static_cast<char>(message.l));
        }
    }
    void bring_calendar_to_front() override {}

private:
    std::string pending_;
};

// ---- Running a dialog modally -------------------------------------------------------------

BOOL CALLBACK note_visible_dialog(HWND hwnd, LPARAM lp) {
    char name[16] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (std::strcmp(name, "#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(lp) = hwnd;
    return FALSE;
}

// The visible dialog box of this thread, if one is up.
HWND this_threads_dialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &note_visible_dialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// What the next modal dialog of this thread is to do once it is up.
std::function<void(HWND)> pending_action;

void CALLBACK act_on_dialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = this_threads_dialog();
    if (!dialog || !pending_action) return;
    KillTimer(nullptr, timer);
    std::exchange(pending_action, nullptr)(dialog);
}

// Runs `modal` (which shows a modal dialog); `act` works the dialog once it
// is up and must end it.
template <typename Modal>
auto with_dialog(std::function<void(HWND)> act, Modal modal) {
    pending_action = std::move(act);
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &act_on_dialog);
    auto result = modal();
    KillTimer(nullptr, timer);
    pending_action = nullptr;
    return result;
}

// ---- Fixture --------------------------------------------------------------------------------

class Dialog : public ::testing::Test {
protected:
    testing::FakePort fake;
    RecordingCalendar calendar;
    App app{fake.port, calendar};
    ShellWindows windows;
    HINSTANCE image = nullptr;
    HWND dialog = nullptr;
    DialogSession session;

    void SetUp() override {
        // Loaded as a module (not a data file) so that dialogs can be made from it.
        image = LoadLibraryExA(lumo_exe_path().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
        ASSERT_NE(image, nullptr);
        ASSERT_TRUE(app.store.reset_store());
        app.data_view_state.geometry = {400, 200, 16, 254 * 8, 20};
        session.app = &app;
        session.resources = image;
    }
    void TearDown() override {
        if (dialog) DestroyWindow(dialog);
        FreeLibrary(image);
    }

    void load(std::string_view text) {
        TextBuffer buffer = app.store.allocate_text(static_cast<std::int32_t>(text.size()) + text_headroom);
        ASSERT_TRUE(buffer);
        std::memcpy(buffer.data(), text.data(), text.size());
        app.store.adopt_text(std::move(buffer), static_cast<std::int32_t>(text.size()));
        app.store.reindex();
        app.views.selected_entry_start = 0;
    }

    // Starts dialog `kind` modeless on its template, as the modal run would.
    void open(int kind) {
        session.kind = kind;
        dialog = CreateDialogParamA(image, MAKEINTRESOURCEA(template_for_kind(kind)), nullptr,
                                    &common_dialog_procedure, reinterpret_cast<LPARAM>(&session));
        ASSERT_NE(dialog, nullptr) << kind;
    }
    std::string text() const { return std::string(app.store.text_view()); }
};

TEST_F(Dialog, EveryKindHasATemplateThatStartsAndSetsTheModalFlag) {
    for (const int kind : {IDD_SEARCH_GERMAN, IDD_REPLACE_GERMAN, IDD_GENERAL_CONFIG_GERMAN,
                           IDD_TEXT_PREDEFINITIONS_GERMAN, IDD_APPOINTMENT_GERMAN, IDD_CALENDAR_SEARCH_GERMAN,
                           IDD_PRINT_SETTINGS_GERMAN, IDD_PASSWORD_OPEN_GERMAN, IDD_PASSWORD_ADD_GERMAN,
                           IDD_PASSWORD_PROTECT_GERMAN}) {
        fake.port.modal_flag = false;
        open(kind);
        EXPECT_TRUE(fake.port.modal_flag) << kind;
        char caption[64] = {};
        GetWindowTextA(dialog, caption, sizeof caption);
        EXPECT_STREQ(caption, "VORNIX-Lumo:") << kind;
        click(dialog, IDCANCEL);
        EXPECT_FALSE(fake.port.modal_flag) << kind;
        EXPECT_EQ(session.follow_up, FollowUp::none) << kind;
        DestroyWindow(std::exchange(dialog, nullptr));
    }
    EXPECT_EQ(template_for_kind(IDD_PRINT_SETTINGS_GERMAN), IDD_PRINT_SETTINGS_GERMAN);
    EXPECT_EQ(template_for_kind(IDD_SEARCH), 0);
}

TEST_F(Dialog, SearchShowsItsSettingsWithPicturesAndTakesThemOnOk) {
    app.search.search_settings.text = "old";
    app.search.search_settings.direction = SearchDirection::backward_wrap;
    open(IDD_SEARCH_GERMAN);
    EXPECT_EQ(item(dialog, IDC_SEARCH_TEXT), "old");
    EXPECT_TRUE(is_checked(dialog, IDC_DIRECTION_BACKWARD_WRAP));
    EXPECT_FALSE(is_checked(dialog, IDC_DIRECTION_FORWARD_WRAP));
    EXPECT_FALSE(is_checked(dialog, IDC_CASE_SENSITIVE));
    for (const int id : {IDC_DIRECTION_BACKWARD, IDC_DIRECTION_FORWARD, IDC_DIRECTION_BACKWARD_WRAP,
                         IDC_DIRECTION_FORWARD_WRAP})
        EXPECT_NE(SendDlgItemMessageA(dialog, id, BM_GETIMAGE, IMAGE_BITMAP, 0), 0) << id;
    // The pictures alone do not tell the directions apart: their tooltips do.
    const std::map<int, std::string> tooltips{
        {IDC_DIRECTION_BACKWARD, "Backward, up to the beginning"},
        {IDC_DIRECTION_FORWARD, "Forward, up to the end"},
        {IDC_DIRECTION_BACKWARD_WRAP, "Backward through all entries, on from the end"},
        {IDC_DIRECTION_FORWARD_WRAP, "Forward through all entries, on from the beginning"},
    };
    EXPECT_EQ(tooltip_texts(session.directions.tooltips()), tooltips);

    set_item(dialog, IDC_SEARCH_TEXT, "Berta");
    CheckRadioButton(dialog, IDC_DIRECTION_BACKWARD, IDC_DIRECTION_FORWARD_WRAP, IDC_DIRECTION_FORWARD);
    CheckDlgButton(dialog, IDC_CASE_SENSITIVE, BST_CHECKED);
    click(dialog, IDC_SEARCH_OK);
    const SearchSettings& got = app.search.search_settings;
    EXPECT_EQ(got.text, "Berta");
    EXPECT_EQ(got.direction, SearchDirection::forward);
    EXPECT_FALSE(got.ignore_case);
    EXPECT_FALSE(fake.port.modal_flag);
    EXPECT_EQ(session.follow_up, FollowUp::search);

    // The search runs once the dialog has ended.
    load("Anton\r\nx\r\n\r\nBerta\r\ny\r\n\r\n");
    run_follow_up(session);
    EXPECT_EQ(app.views.selected_entry(), 1);
    EXPECT_TRUE(app.views.text_block.marked);
    EXPECT_EQ(app.views.active_view, ActiveView::data_view);
}

TEST_F(Dialog, SearchWithoutACheckedDirectionKeepsItsDirection) {
    app.search.search_settings.direction = SearchDirection::backward;
    open(IDD_SEARCH_GERMAN);
    CheckDlgButton(dialog, IDC_DIRECTION_BACKWARD, BST_UNCHECKED);
    set_item(dialog, IDC_SEARCH_TEXT, std::string(60, 'z'));
    click(dialog, IDC_SEARCH_OK);
    EXPECT_EQ(app.search.search_settings.direction, SearchDirection::backward);
    EXPECT_EQ(app.search.search_settings.text.size(), 50u);

    run_follow_up(session);  // nothing found
    EXPECT_EQ(fake.last_box(), "No adequate entry found!");
}

TEST_F(Dialog, CancelTakesNothingOver) {
    app.search.replace_settings.text = "keep";
    open(IDD_REPLACE_GERMAN);
    set_item(dialog, IDC_SEARCH_TEXT, "changed");
    click(dialog, IDCANCEL);
    EXPECT_EQ(app.search.replace_settings.text, "keep");
    EXPECT_EQ(session.follow_up, FollowUp::none);
}

TEST_F(Dialog, ReplaceAllFromTheOverviewReplacesEveryHitAndCounts) {
    load("Anton\r\nold\r\n\r\nBerta\r\nold old\r\n\r\n");
    app.search.replace_settings.replace_all = true;
    open(IDD_REPLACE_GERMAN);
    EXPECT_FALSE(is_checked(dialog, IDC_REPLACE_ALL));  // starts unchecked every time
    EXPECT_TRUE(is_checked(dialog, IDC_DIRECTION_FORWARD_WRAP));
    EXPECT_EQ(tooltip_texts(session.directions.tooltips()).size(), 4u);
    set_item(dialog, IDC_SEARCH_TEXT, "old");
    set_item(dialog, IDC_REPLACEMENT_TEXT, "new");
    CheckDlgButton(dialog, IDC_REPLACE_ALL, BST_CHECKED);
    click(dialog, IDC_REPLACE_OK);
    EXPECT_EQ(app.search.replace_settings.replacement, "new");
    EXPECT_TRUE(app.search.replace_settings.replace_all);

    app.views.active_view = ActiveView::overview;
    run_follow_up(session);
    EXPECT_EQ(text(), "Anton\r\nnew \r\n\r\nBerta\r\nnew new\r\n\r\n");  // a whole line keeps a blank
    EXPECT_EQ(fake.last_box(), "3 entries were replaced!");
}

TEST_F(Dialog, ReplaceDoesNothingWhileNeitherViewIsActive) {
    load("Anton\r\nold\r\n\r\n");
    open(IDD_REPLACE_GERMAN);
    set_item(dialog, IDC_SEARCH_TEXT, "old");
    set_item(dialog, IDC_REPLACEMENT_TEXT, "new");
    click(dialog, IDC_REPLACE_OK);
    app.views.active_view = ActiveView::none_was_data_view;
    run_follow_up(session);
    EXPECT_EQ(text(), "Anton\r\nold\r\n\r\n");
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(Dialog, GeneralConfigurationKeepsOneSeparatorAndDropsZeroOrders) {
    app.settings.name_separators = {',', ';', 0, 0, 0};
    app.settings.save_data_automatically = 1;
    open(IDD_GENERAL_CONFIG_GERMAN);
    EXPECT_EQ(item(dialog, IDC_SEPARATOR_1), ",");
    EXPECT_EQ(item(dialog, IDC_SEPARATOR_2), ";");
    EXPECT_EQ(item(dialog, IDC_ORDER_3), "3");
    EXPECT_TRUE(is_checked(dialog, IDC_EMPTY_LINE_2));
    EXPECT_TRUE(is_checked(dialog, IDC_SWAP_NAMES));
    EXPECT_TRUE(is_checked(dialog, IDC_SAVE_DATA_AUTOMATICALLY));
    EXPECT_TRUE(is_checked(dialog, IDC_SAVE_CONFIG_AUTOMATICALLY));

    for (const int id : {IDC_SEPARATOR_1, IDC_SEPARATOR_2, IDC_SEPARATOR_3, IDC_SEPARATOR_4, IDC_SEPARATOR_5})
        set_item(dialog, id, "");
    set_item(dialog, IDC_ORDER_1, "0");
    set_item(dialog, IDC_ORDER_4, "4");
    CheckDlgButton(dialog, IDC_EMPTY_LINE_4, BST_CHECKED);
    CheckDlgButton(dialog, IDC_SAVE_DATA_AUTOMATICALLY, BST_UNCHECKED);
    click(dialog, IDC_GENERAL_OK);
    EXPECT_EQ(app.settings.name_separators, (std::array<char, 5>{',', 0, 0, 0, 0}));
    EXPECT_EQ(app.settings.address_line_order, (std::array<char, 5>{0, '2', '3', '4', 0}));
    EXPECT_EQ(app.settings.empty_line_flags, (std::array<std::uint8_t, 4>{0, 1, 0, 1}));
    EXPECT_EQ(app.settings.save_data_automatically, 0);
    EXPECT_EQ(session.follow_up, FollowUp::none);
}

TEST_F(Dialog, PreDefinitionsSetTypesTheCheckedOneIntoTheDataView) {
    load("Anton\r\nx\r\n\r\n");
    open(IDD_TEXT_PREDEFINITIONS_GERMAN);
    EXPECT_EQ(item(dialog, IDC_PREDEFINITION_TEXT_1), "PhoneNumber: ");
    EXPECT_EQ(item(dialog, IDC_PREDEFINITION_TEXT_10), "ToDo: ");
    EXPECT_TRUE(is_checked(dialog, IDC_PREDEFINITION_PICK_1));
    set_item(dialog, IDC_PREDEFINITION_TEXT_3, "Mobile ");
    CheckRadioButton(dialog, IDC_PREDEFINITION_PICK_1, IDC_PREDEFINITION_PICK_10, IDC_PREDEFINITION_PICK_3);
    click(dialog, IDC_PREDEFINITION_SET);
    EXPECT_EQ(text_of(app.settings.text_pre_definitions[2]), "Mobile ");
    EXPECT_EQ(app.dialog_state.selected_pre_definition, 3);

    app.views.active_view = ActiveView::data_view;
    app.views.caret_line = 1;
    app.views.caret_column = 0;
    run_follow_up(session);
    EXPECT_EQ(text(), "Anton\r\nMobile x\r\n\r\n");
}

TEST_F(Dialog, FileselectorTakesNothingFromTheControlsAndChoosesAPath) {
    load("Anton\r\nx\r\n\r\n");
    open(IDD_TEXT_PREDEFINITIONS_GERMAN);
    set_item(dialog, IDC_PREDEFINITION_TEXT_1, "ignored");
    click(dialog, IDC_FILESELECTOR);
    EXPECT_EQ(text_of(app.settings.text_pre_definitions[0]), "PhoneNumber: ");

    app.views.active_view = ActiveView::data_view;
    app.views.caret_line = 1;
    app.views.caret_column = 1;
    fake.chosen_files.push_back(std::string("C:\\lists\\a.txt"));
    run_follow_up(session);
    ASSERT_EQ(fake.file_dialogs.size(), 1u);
    EXPECT_EQ(fake.file_dialogs[0].title, "Choose File");
    EXPECT_EQ(text(), "Anton\r\nx\"C:\\lists\\a.txt\"\r\n\r\n");
}

TEST_F(Dialog, AppointmentStartsFromTheEntryAndTheClockAndSendsTs) {
    load("Miller, Hans\r\nStreet\r\n\r\n");
    fake.now = {2026, 12, 6, 14, 5, 0};
    open(IDD_APPOINTMENT_GERMAN);
    EXPECT_EQ(item(dialog, IDC_APPOINTMENT_TEXT), "Miller");
    EXPECT_EQ(item(dialog, IDC_DATE), "06/12/2026");
    EXPECT_EQ(item(dialog, IDC_TIME), "14.05");
    EXPECT_TRUE(is_checked(dialog, IDC_CALENDAR_FLAG_1));
    EXPECT_FALSE(is_checked(dialog, IDC_CALENDAR_FLAG_2));
    EXPECT_FALSE(is_checked(dialog, IDC_INSERT_PREDEFINITION));
    EXPECT_EQ(item(dialog, IDC_PREDEFINITION_TEXT_6), "Birthday: ");

    CheckRadioButton(dialog, IDC_PREDEFINITION_PICK_1, IDC_PREDEFINITION_PICK_10, IDC_PREDEFINITION_PICK_6);
    CheckDlgButton(dialog, IDC_INSERT_PREDEFINITION, BST_CHECKED);
    click(dialog, IDC_APPOINTMENT_OK);
    EXPECT_TRUE(calendar.texts.empty());  // sent once the dialog has ended
    run_follow_up(session);
    ASSERT_EQ(calendar.texts.size(), 1u);
    EXPECT_EQ(calendar.texts[0], "TS100006/12/2026 14.05 Birthday: <Miller>");
    EXPECT_TRUE(app.dialog_state.insert_pre_definition);
}

TEST_F(Dialog, AppointmentWithAShortTimeIsToldAndNotSent) {
    load("Miller\r\n\r\n");
    open(IDD_APPOINTMENT_GERMAN);
    set_item(dialog, IDC_TIME, "12");
    CheckDlgButton(dialog, IDC_CALENDAR_FLAG_3, BST_CHECKED);
    click(dialog, IDC_APPOINTMENT_OK);
    run_follow_up(session);
    EXPECT_TRUE(calendar.texts.empty());
    EXPECT_EQ(fake.last_box(), "Always fill in the complete\ndate (dd.mm.yyyy) and time (hh.mm.ss) please!");
    EXPECT_EQ(app.dialog_state.calendars, (std::array<bool, 4>{true, false, true, false}));
}

TEST_F(Dialog, CalendarSearchSendsXsWithTheCheckedCalendar) {
    load("Miller, Hans\r\n\r\n");
    open(IDD_CALENDAR_SEARCH_GERMAN);
    EXPECT_EQ(item(dialog, IDC_SEARCH_TEXT), "Miller");
    EXPECT_TRUE(is_checked(dialog, IDC_CALENDAR_CHOICE_1));
    CheckRadioButton(dialog, IDC_CALENDAR_CHOICE_1, IDC_CALENDAR_CHOICE_4, IDC_CALENDAR_CHOICE_2);
    click(dialog, IDC_CALENDAR_SEARCH_OK);
    run_follow_up(session);
    ASSERT_EQ(calendar.texts.size(), 1u);
    EXPECT_EQ(calendar.texts[0], "XS2Miller");
    EXPECT_EQ(app.calendar().search_calendar, 2);
}

TEST_F(Dialog, PrintSettingsEndWithTheirOwnIdAndWrapTheMargins) {
    app.settings.print_left_margin = 5;
    Dialogs dialogs(app, windows, image);
    const bool printing = with_dialog(
        [&](HWND box) {
            EXPECT_EQ(dialogs.dialog_kind(), IDD_PRINT_SETTINGS_GERMAN);
            EXPECT_EQ(item(box, IDC_PRINT_LEFT_MARGIN), "5");
            set_item(box, IDC_PRINT_LEFT_MARGIN, "300");
            set_item(box, IDC_PRINT_TOP_MARGIN, "7");
            set_item(box, IDC_PRINT_HEADLINE, "Addresses");
            click(box, IDC_PRINT_OK);
        },
        [&] { return dialogs.print_settings(); });
    EXPECT_TRUE(printing);
    EXPECT_EQ(dialogs.dialog_kind(), 0);
    EXPECT_EQ(app.settings.print_left_margin, 44);
    EXPECT_EQ(app.settings.print_top_margin, 7);
    EXPECT_EQ(app.dialog_state.print_headline, "Addresses");

    EXPECT_FALSE(with_dialog([&](HWND box) { click(box, IDCANCEL); }, [&] { return dialogs.print_settings(); }));
}

TEST_F(Dialog, PasswordPromptsAcceptFourCharactersOrMore) {
    for (const PasswordPrompt which : {PasswordPrompt::open_file, PasswordPrompt::add_file}) {
        const int edit = which == PasswordPrompt::open_file ? IDC_OPEN_PASSWORD : IDC_ADD_PASSWORD;
        const int ok = which == PasswordPrompt::open_file ? IDC_OPEN_PASSWORD_OK : IDC_ADD_PASSWORD_OK;
        auto type_and_ok = [&](std::string typed) {
            return [=](HWND box) {
                EXPECT_EQ(item(box, edit), "");
                EXPECT_TRUE(GetWindowLongA(GetDlgItem(box, edit), GWL_STYLE) & ES_PASSWORD);
                set_item(box, edit, typed);
                click(box, ok);
            };
        };
        auto prompt = [&] { return run_password_prompt(image, nullptr, which); };
        EXPECT_EQ(with_dialog(type_and_ok("abc"), prompt), std::nullopt);
        EXPECT_EQ(with_dialog(type_and_ok("abcd"), prompt), "abcd");
        EXPECT_EQ(with_dialog([](HWND box) { click(box, IDCANCEL); }, prompt), std::nullopt);
    }
}

TEST_F(Dialog, PasswordProtectionTakesTheRepeatedPasswordOrTellsWhy) {
    load("Anton\r\n\r\n");
    Dialogs dialogs(app, windows, image);
    auto type = [&](std::string first, std::string second) {
        return [=](HWND box) {
            set_item(box, IDC_NEW_PASSWORD, first);
            set_item(box, IDC_NEW_PASSWORD_REPEAT, second);
            click(box, IDC_NEW_PASSWORD_OK);
        };
    };
    auto protect = [&] {
        dialogs.on_command(CMD_PASSWORD);
        return 0;
    };
    with_dialog(type("geheim", "geheim"), protect);
    EXPECT_EQ(app.file.file_password, "geheim");
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_TRUE(app.store.modified);
    EXPECT_EQ(fake.title[0], '*');

    with_dialog(type("ab", "ab"), protect);
    EXPECT_EQ(app.file.file_password, "");
    EXPECT_EQ(fake.last_box(), "The password is not correctly typed in!");

    app.file.file_password = "before";
    with_dialog([](HWND box) { click(box, IDCANCEL); }, protect);
    EXPECT_EQ(app.file.file_password, "before");

    with_dialog(type("abcd", ""), protect);
    EXPECT_EQ(app.file.file_password, "");
    EXPECT_EQ(fake.last_box(), "This diary is not protected now!");
    EXPECT_FALSE(fake.port.modal_flag);
}

TEST_F(Dialog, SearchAgainWithoutTextOpensTheSearchDialog) {
    load("Anton\r\nx\r\n\r\nBerta\r\nneedle\r\n\r\n");
    Dialogs dialogs(app, windows, image);
    with_dialog(
        [&](HWND box) {
            EXPECT_EQ(dialogs.dialog_kind(), IDD_SEARCH_GERMAN);
            set_item(box, IDC_SEARCH_TEXT, "needle");
            click(box, IDC_SEARCH_OK);
        },
        [&] { return dialogs.on_command(CMD_FIND_NEXT); });
    EXPECT_EQ(app.views.selected_entry(), 1);
    EXPECT_EQ(app.views.text_block.start_line, 1);
    EXPECT_EQ(app.views.text_block.end_column, 6);
    // With a text, Search again searches at once.
    EXPECT_TRUE(dialogs.on_command(CMD_FIND_NEXT));
    EXPECT_EQ(app.views.selected_entry(), 1);
    EXPECT_FALSE(dialogs.on_command(CMD_SAVE));
}

}  // namespace
}  // namespace lumo::win32

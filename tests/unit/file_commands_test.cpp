// The File menu's commands against the fake port and real files in a
// temporary folder.
#include "data/file_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/app.h"
#include "app/commands.h"
#include "data/window_title.h"
#include "port/ids.h"
#include "settings/configuration.h"
#include "settings/recent_files.h"
#include "support/fake_port.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;
using testing::FakePort;

class SilentCalendar final : public calendar::Transport {
public:
    std::vector<calendar::WireMessage> posted;
    bool find_calendar() override { return true; }
    void post(const calendar::WireMessage& m) override { posted.push_back(m); }
    void bring_calendar_to_front() override {}
};

class FileCommandsTest : public ::testing::Test {
protected:
    FakePort fake;
    SilentCalendar calendar;
    App app{fake.port, calendar};
    FileCommands& files = app.files;
    Store& store = app.store;
    fs::path folder;

    void SetUp() override {
        // Relative to the working folder: stored names count as files only
        // when they begin with a letter (a drive on Windows), not with '/'.
        folder = "lumo_file_commands_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        ASSERT_TRUE(store.reset_store());
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string path(const std::string& name) const { return (folder / name).string(); }
    void put(const std::string& name, std::string_view bytes) const {
        std::ofstream(path(name), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string get(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Opens `name` as the current file through the Open command.
    void open(const std::string& name) {
        fake.chosen_files.push_back(path(name));
        files.open();
    }
    std::string text() const { return std::string(store.text_view()); }
    std::string title() const { return store.window_title_text().data(); }
    int count(std::string_view call) const {
        return static_cast<int>(std::count(fake.calls.begin(), fake.calls.end(), std::string(call)));
    }
};

// ---- Dialog parameters and file name states ---------------------------------------

TEST(FileDialogs, EachDialogHasItsTitleFilterFlagsAndExtension) {
    struct Expected {
        FileDialog which;
        FileDialogRequest::Kind kind;
        const char* title;
        const char* pattern;
        std::uint32_t flags;
        const char* extension;
    };
    using K = FileDialogRequest::Kind;
    for (const Expected& e : {Expected{FileDialog::open, K::open, "Open VORNIX-Lumo-File", "*.adr", 0x1804, "adr"},
                              Expected{FileDialog::add, K::open, "Add VORNIX-Lumo-File", "*.adr", 0x1804, "adr"},
                              // Every save dialog asks before replacing a file (OFN_OVERWRITEPROMPT).
                              Expected{FileDialog::save, K::save, "Save VORNIX-Lumo-File", "*.adr", 0x806, "adr"},
                              Expected{FileDialog::entry_block, K::save, "Save VORNIX-Lumo-Block", "*.adr", 0x806, "adr"},
                              Expected{FileDialog::text_block, K::save, "Save Block", "*.txt", 0x806, "txt"}}) {
        const FileDialogRequest r = file_dialog_request(e.which, "", "C:\\data");
        EXPECT_EQ(r.kind, e.kind);
        EXPECT_EQ(r.title, e.title);
        ASSERT_EQ(r.filters.size(), 1u);
        EXPECT_EQ(r.filters[0].pattern, e.pattern);
        EXPECT_EQ(r.flags, e.flags);
        EXPECT_EQ(r.default_extension, e.extension);
        EXPECT_EQ(r.filters[0].description,
                  e.which == FileDialog::text_block ? "Text-Files (*.TXT)" : "VORNIX-Lumo-Files (*.ADR)");
    }
}

TEST(FileDialogs, InitialNameIsTheRememberedOneElseTheCurrentDirectoryWithAPattern) {
    EXPECT_EQ(initial_dialog_name(FileDialog::add, "D:\\x\\old.adr", "C:\\data"), "D:\\x\\old.adr");
    EXPECT_EQ(initial_dialog_name(FileDialog::open, "", "C:\\data"), "C:\\data\\*.ADR");
    EXPECT_EQ(initial_dialog_name(FileDialog::save, "", "C:\\"), "C:\\*.ADR");
    EXPECT_EQ(initial_dialog_name(FileDialog::entry_block, "", "/home/u/"), "/home/u/*.ADR");
    EXPECT_EQ(initial_dialog_name(FileDialog::text_block, "", "C:\\data"), "C:\\data\\*.TXT");
}

TEST(FileNameStates, NewKeepsTheFolderOfADrivePathAndForgetsOtherNames) {
    FileState f;
    f.set_name("C:\\books\\friends.adr");
    keep_folder_only(f);
    EXPECT_EQ(f.file_name[0], 3);
    EXPECT_EQ(f.name().substr(1), ":\\books\\friends.adr");
    EXPECT_EQ(dialog_name_of(f.name()), "C:\\books\\friends.adr");

    keep_folder_only(f);  // a second New keeps the remembered folder
    EXPECT_EQ(f.file_name[0], 3);

    f.set_name("d:\\lower.adr");  // a lower-case drive must not turn into a path "$:\..."
    keep_folder_only(f);
    EXPECT_EQ(f.file_name[0], 4);
    EXPECT_EQ(title_file_part(f.name()), "NO NAME");

    for (const char* other : {"\\\\server\\share\\a.adr", "a.adr", ""}) {
        f.set_name(other);
        keep_folder_only(f);
        EXPECT_TRUE(f.name().empty()) << other;
    }

    // After a wrong password only the folder stays: no save offers the
    // protected book's name again.
    f.set_name("C:\\books\\secret.adr");
    forget_book_name(f);
    keep_folder_only(f);
    EXPECT_EQ(f.file_name[0], 3);
    EXPECT_EQ(dialog_name_of(f.name()), "C:\\books\\*.ADR");
    f.set_name("secret.adr");
    forget_book_name(f);
    EXPECT_TRUE(f.name().empty());
}

// ---- New -----------------------------------------------------------------------

TEST_F(FileCommandsTest, NewDiscardsChangesWithoutAskingAndKeepsOnlyTheFolder) {
    put("old.adr", "Bert\r\n\r\nAnna\r\n\r\n");
    open("old.adr");
    app.file.file_password = "secret";
    store.take_undo_snapshot();
    store.reindex();  // modified
    fake.boxes.clear();

    files.new_file();

    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_EQ(text(), " \r\n\r\n");
    EXPECT_EQ(store.entry_count(), 1);
    EXPECT_FALSE(store.modified);
    EXPECT_FALSE(store.has_undo_snapshot());
    EXPECT_FALSE(fake.enabled[CMD_UNDO]);
    EXPECT_TRUE(app.file.file_password.empty());
    EXPECT_TRUE(app.file.name().empty()) << "a path without a drive leaves no folder to remember";
    EXPECT_EQ(fake.title, " NO NAME");
    EXPECT_EQ(app.views.active_view, ActiveView::data_view);
    EXPECT_TRUE(fake.enabled[CMD_PASTE]);
    EXPECT_EQ(fake.calls.back(), "repaint data view");
}

TEST_F(FileCommandsTest, SaveAfterNewStartsInTheOldFolderWithTheOldName) {
    app.file.set_name("C:\\books\\friends.adr");
    files.new_file();
    ASSERT_EQ(app.file.file_name[0], 3);

    fake.chosen_files.push_back(std::nullopt);  // cancelled
    EXPECT_EQ(files.save(false), 0);
    ASSERT_EQ(fake.file_dialogs.size(), 1u);
    EXPECT_EQ(fake.file_dialogs[0].title, "Save VORNIX-Lumo-File");
    EXPECT_EQ(fake.file_dialogs[0].initial_name, "C:\\books\\friends.adr");
    EXPECT_EQ(app.file.file_name[0], 3) << "a cancelled dialog changes nothing";

    fake.chosen_files.push_back(path("new.adr"));
    EXPECT_EQ(files.save(false), 1);
    EXPECT_EQ(get("new.adr"), " \r\n\r\n");
    EXPECT_EQ(app.file.name(), path("new.adr"));
    EXPECT_EQ(text_of(app.settings.file_name), path("new.adr"));
}

TEST_F(FileCommandsTest, SaveWithoutAnyNameStartsInTheCurrentDirectory) {
    files.new_store();
    fake.directory = "C:\\work";
    EXPECT_EQ(files.save(false), 0);
    ASSERT_EQ(fake.file_dialogs.size(), 1u);
    EXPECT_EQ(fake.file_dialogs[0].initial_name, "C:\\work\\*.ADR");
}

// ---- Save and Save as ------------------------------------------------------------

TEST_F(FileCommandsTest, SaveWritesUnderItsNameAndSaveAsAlwaysAsks) {
    put("book.adr", "Bert\r\n\r\nAnna\r\n\r\n");
    open("book.adr");
    store.sort_pending = true;
    store.reindex();

    files.save_command(false);
    EXPECT_EQ(fake.file_dialogs.size(), 1u) << "only the Open dialog";
    EXPECT_EQ(get("book.adr"), "Anna\r\n\r\nBert\r\n\r\n");
    EXPECT_EQ(get("book.DUP"), "Bert\r\n\r\nAnna\r\n\r\n");
    EXPECT_FALSE(store.modified);

    store.reindex();
    fake.chosen_files.push_back(std::nullopt);
    files.save_command(true);
    ASSERT_EQ(fake.file_dialogs.size(), 2u);
    EXPECT_EQ(fake.file_dialogs[1].initial_name, path("book.adr"));
    EXPECT_TRUE(store.modified) << "cancelled: nothing written";
    EXPECT_EQ(app.file.name(), path("book.adr"));

    fake.chosen_files.push_back(path("copy.adr"));
    files.save_command(true);
    EXPECT_EQ(get("copy.adr"), "Anna\r\n\r\nBert\r\n\r\n");
    EXPECT_EQ(app.file.name(), path("copy.adr"));
    EXPECT_EQ(fake.title, " " + title_file_part(path("copy.adr")));
}

TEST_F(FileCommandsTest, TheBlockQuestionComesOnlyForAMarkInTheActiveView) {
    put("book.adr", "Anna\r\nStreet 1\r\n\r\nBert\r\n\r\n");
    open("book.adr");

    // An entry range marked in the overview while the data view is active.
    app.views.entry_range = {true, 0, 0, 1};
    app.views.active_view = ActiveView::data_view;
    store.reindex();
    files.save_command(false);
    EXPECT_EQ(count("block question"), 0);
    EXPECT_FALSE(store.modified);

    // The same mark with the overview active: closing the question saves nothing.
    app.views.active_view = ActiveView::overview;
    store.reindex();
    fake.block_choices = {BlockChoice::closed};
    files.save_command(false);
    EXPECT_EQ(count("block question"), 1);
    EXPECT_TRUE(store.modified);
    EXPECT_EQ(fake.file_dialogs.size(), 1u);

    // All saves everything.
    fake.block_choices = {BlockChoice::all};
    files.save_command(false);
    EXPECT_FALSE(store.modified);

    // Block saves the marked entries only, as an address file.
    store.reindex();
    app.views.entry_range = {true, 1, 1, 1};
    fake.block_choices = {BlockChoice::block};
    fake.chosen_files.push_back(path("bert.adr"));
    files.save_command(false);
    EXPECT_EQ(get("bert.adr"), "Bert\r\n\r\n");
    EXPECT_TRUE(store.modified) << "a block save leaves the data modified";
    EXPECT_EQ(fake.file_dialogs.back().title, "Save VORNIX-Lumo-Block");
}

TEST_F(FileCommandsTest, BlocksAreWrittenPlainAndRemembered) {
    put("book.adr", "\x84rger\r\nGasse 2\r\n\r\nBert\r\n\r\n");  // OEM a-umlaut on disk
    open("book.adr");
    app.file.file_password = "secret";

    // Entry range: OEM code, no password header, no backup.
    app.views.entry_range = {true, 0, 0, 0};
    fake.directory = folder.string();
    fake.chosen_files.push_back(path("one.adr"));
    files.save_block(0);
    EXPECT_EQ(fake.file_dialogs.back().initial_name, folder.string() + "\\*.ADR");
    EXPECT_EQ(get("one.adr"), "\x84rger\r\nGasse 2\r\n\r\n");
    EXPECT_FALSE(fs::exists(path("one.DUP")));
    EXPECT_EQ(files.entry_block_name(), path("one.adr"));
    EXPECT_EQ(text().substr(0, 5), "\xe4rger") << "the store stays in ANSI";

    // Text block: from (column 1, line 0) to (column 3, line 1) of the shown entry, as ANSI.
    store.show_entry(10, 0, 0);
    app.views.text_block.marked = true;
    app.views.text_block.start_line = 0;
    app.views.text_block.start_column = 1;
    app.views.text_block.end_line = 1;
    app.views.text_block.end_column = 3;
    fake.chosen_files.push_back(path("part.txt"));
    files.save_block(1);
    EXPECT_EQ(fake.file_dialogs.back().title, "Save Block");
    EXPECT_EQ(fake.file_dialogs.back().initial_name, folder.string() + "\\*.TXT");
    EXPECT_EQ(get("part.txt"), "rger\r\nGas");
    EXPECT_EQ(files.text_block_name(), path("part.txt"));

    // The next block dialog starts from the remembered name; a full disk writes nothing.
    fake.free_bytes = 3;
    fake.chosen_files.push_back(path("full.txt"));
    files.save_block(1);
    EXPECT_EQ(fake.file_dialogs.back().initial_name, path("part.txt"));
    EXPECT_FALSE(fs::exists(path("full.txt")));
    EXPECT_EQ(fake.last_box(), disk_full_text(path("full.txt")));

    EXPECT_FALSE(store.modified);
    EXPECT_EQ(app.file.name(), path("book.adr"));
}

TEST_F(FileCommandsTest, ABlockMarkOutsideTheEntriesSavesNothing) {
    put("book.adr", "Anna\r\n\r\n");
    open("book.adr");
    app.views.entry_range = {true, 0, 0, 5};
    files.save_block(0);
    app.views.text_block = {true, 0, 0, 0, 0, 9, 0};  // no current entry shown
    store.invalidate_current_entry();
    files.save_block(1);
    EXPECT_EQ(fake.file_dialogs.size(), 1u);
}

// ---- Open, recent files --------------------------------------------------------

TEST_F(FileCommandsTest, OpenAsksToSaveThenLoadsSortsAndBecomesRecentFileZero) {
    put("a.adr", "Zoe\r\n\r\n");
    put("b.adr", "Bert\r\n\r\nAnna\r\n\r\n");
    open("a.adr");
    std::memcpy(store.rewrite_text(), "Zed", 3);
    store.reindex();
    fake.answers = {Answer::yes};
    app.views.top_entry = 4;

    open("b.adr");

    ASSERT_GE(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, "Save Data now?");
    EXPECT_EQ(fake.boxes[0].style, box::question);
    EXPECT_EQ(get("a.adr"), "Zed\r\n\r\n") << "Yes saved the old file under its own name";
    EXPECT_EQ(fake.file_dialogs.back().title, "Open VORNIX-Lumo-File");
    EXPECT_EQ(fake.file_dialogs.back().initial_name, path("a.adr"));
    EXPECT_EQ(text(), "Anna\r\n\r\nBert\r\n\r\n");
    EXPECT_FALSE(store.modified);
    EXPECT_EQ(title(), " " + title_file_part(path("b.adr")));
    EXPECT_EQ(app.views.top_entry, 0);
    EXPECT_EQ(app.views.active_view, ActiveView::overview);
    EXPECT_FALSE(fake.enabled[CMD_PASTE]);
    EXPECT_EQ(text_of(app.settings.recent_files[0]), path("b.adr"));
    EXPECT_EQ(text_of(app.settings.recent_files[1]), path("a.adr"));
    EXPECT_EQ(fake.menu_labels[CMD_RECENT_FIRST], "&0: b.adr \tStrg+0");
    EXPECT_EQ(fake.menu_labels[CMD_RECENT_FIRST + 1], "&1: a.adr \tStrg+1");
    EXPECT_FALSE(fake.port.modal_flag);
}

TEST_F(FileCommandsTest, RecentListKeepsAKnownFileAndDropsSlotNineWhenFull) {
    for (int k = 0; k < 10; ++k) {
        const std::string name = "f" + std::to_string(k) + ".adr";
        set_text(app.settings.recent_files[static_cast<std::size_t>(k)], path(name));
        fake.menu_labels[CMD_RECENT_FIRST + k] = recent_file_label(k, name);
        put(name, "E" + std::to_string(k) + "\r\n\r\n");
    }
    const auto slots = app.settings.recent_files;
    const auto labels = fake.menu_labels;

    open("f3.adr");
    EXPECT_EQ(app.settings.recent_files, slots);
    EXPECT_EQ(fake.menu_labels, labels);
    EXPECT_EQ(text(), "E3\r\n\r\n");

    put("new.adr", "N\r\n\r\n");
    open("new.adr");
    EXPECT_EQ(text_of(app.settings.recent_files[0]), path("new.adr"));
    for (std::size_t k = 1; k < 10; ++k) EXPECT_EQ(app.settings.recent_files[k], slots[k - 1]) << k;
    EXPECT_EQ(fake.menu_labels[CMD_RECENT_FIRST + 9], "&9: f8.adr \tStrg+9");
    EXPECT_EQ(fake.menu_labels[CMD_RECENT_FIRST + 1], "&1: f0.adr \tStrg+1");
    EXPECT_EQ(fake.menu_labels[CMD_RECENT_FIRST], "&0: new.adr \tStrg+0");
}

TEST(RecentLabels, RenumberingChangesTheDigitAfterTheAmpersandAndTheLast) {
    EXPECT_EQ(renumber_recent_label("&3: x.adr \tStrg+3", 4), "&4: x.adr \tStrg+4");
    EXPECT_EQ(renumber_recent_label("", 4), "");
    EXPECT_EQ(renumber_recent_label(" ", 4), " ");
}

TEST_F(FileCommandsTest, CancelledOpenChangesNothing) {
    put("a.adr", "Anna\r\n\r\n");
    open("a.adr");
    app.file.file_password = "secret";
    store.reindex();
    store.take_undo_snapshot();
    const std::string before = title();

    fake.chosen_files.push_back(std::nullopt);
    files.open();

    EXPECT_EQ(app.file.file_password, "secret") << "the open file keeps its protection";
    EXPECT_EQ(app.file.name(), path("a.adr"));
    EXPECT_TRUE(store.modified);
    EXPECT_TRUE(store.has_undo_snapshot());
    EXPECT_EQ(title(), before);
}

TEST_F(FileCommandsTest, AnUnreadableFileLeavesTheOpenFileAsItWas) {
    put("a.adr", "Anna\r\n\r\n");
    put("b.adr", "Bert\r\n\r\n");
    open("a.adr");
    app.file.file_password = "secret";
    store.reindex();  // unsaved changes
    const auto slots = app.settings.recent_files;
    const std::string before = title();
    fake.answers = {Answer::no};

    fake.chosen_files.push_back(path("missing.adr"));
    files.open();

    EXPECT_EQ(fake.last_box(), "Cannot open file!");
    EXPECT_EQ(text(), "Anna\r\n\r\n");
    EXPECT_EQ(app.file.name(), path("a.adr"));
    EXPECT_EQ(app.file.file_password, "secret");
    EXPECT_TRUE(store.modified);
    EXPECT_EQ(title(), before);
    EXPECT_EQ(title()[0], '*');
    EXPECT_EQ(app.settings.recent_files, slots) << "a file that could not be read is not recent";

    // The same through a recent slot whose file has gone.
    set_text(app.settings.recent_files[1], path("b.adr"));
    fs::remove(path("b.adr"));
    fake.answers = {Answer::no};
    files.open_recent(1);
    EXPECT_EQ(app.file.name(), path("a.adr"));
    EXPECT_EQ(app.file.file_password, "secret");
    EXPECT_TRUE(store.modified);
    EXPECT_EQ(text_of(app.settings.recent_files[1]), path("b.adr"));

    // A later save still goes to the file the entries came from.
    app.file.file_password.clear();
    files.save(false);
    EXPECT_EQ(get("a.adr"), "Anna\r\n\r\n");
    EXPECT_FALSE(fs::exists(path("b.adr")));
    EXPECT_FALSE(fs::exists(path("missing.adr")));
}

TEST_F(FileCommandsTest, RecentFileAsksFirstAndKeepsTheListOrder) {
    put("a.adr", "Anna\r\n\r\n");
    put("b.adr", "Bert\r\n\r\nAda\r\n\r\n");
    open("a.adr");
    set_text(app.settings.recent_files[1], path("b.adr"));
    store.reindex();
    store.take_undo_snapshot();
    fake.boxes.clear();

    files.open_recent(5);  // empty slot: the question still comes
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, "Save Data now?");
    EXPECT_EQ(app.file.name(), path("a.adr"));

    app.views.entry_range = {true, 0, 0, 0};
    files.open_recent(1);
    EXPECT_EQ(fake.boxes.size(), 2u);
    EXPECT_EQ(text(), "Ada\r\n\r\nBert\r\n\r\n");
    EXPECT_EQ(app.file.name(), path("b.adr"));
    EXPECT_FALSE(store.modified);
    EXPECT_EQ(text_of(app.settings.recent_files[0]), path("a.adr"));
    EXPECT_EQ(text_of(app.settings.recent_files[1]), path("b.adr"));
    EXPECT_TRUE(store.has_undo_snapshot()) << "a recent file keeps the undo snapshot";
    EXPECT_FALSE(app.views.entry_range.marked);
}

// Undo after a recent-file load brings the previous book back whole: its
// data under its own name, password, title and `modified`, and a second
// Undo the loaded book under its own. A save never writes one book's data
// under another's name.
TEST_F(FileCommandsTest, UndoAcrossARecentFileKeepsEachBookUnderItsOwnName) {
    put("a.adr", "Anna\r\n\r\n");
    put("b.adr", "Bert\r\n\r\n");
    open("a.adr");
    app.file.file_password = "abcd";
    set_text(app.settings.recent_files[1], path("b.adr"));
    store.take_undo_snapshot();
    store.rewrite_text()[3] = 'e';  // typing in A after the snapshot
    store.reindex();
    fake.answers = {Answer::no};  // A's change is not saved
    files.open_recent(1);
    ASSERT_EQ(text(), "Bert\r\n\r\n");
    ASSERT_TRUE(app.file.file_password.empty());

    undo_command(app);
    EXPECT_EQ(text(), "Anna\r\n\r\n");
    EXPECT_EQ(app.file.name(), path("a.adr"));
    EXPECT_EQ(app.file.file_password, "abcd");
    EXPECT_FALSE(store.modified) << "as it stood when the snapshot was taken";
    EXPECT_EQ(fake.title, " " + title_file_part(path("a.adr")));

    undo_command(app);
    EXPECT_EQ(text(), "Bert\r\n\r\n");
    EXPECT_EQ(app.file.name(), path("b.adr"));
    EXPECT_TRUE(app.file.file_password.empty());
    EXPECT_EQ(fake.title, " " + title_file_part(path("b.adr")));

    undo_command(app);
    files.save_command(false);
    EXPECT_EQ(get("b.adr"), "Bert\r\n\r\n") << "the second book is untouched";
    read_address_file(store, app.file, path("a.adr"), 0);
    EXPECT_EQ(text(), "Anna\r\n\r\n") << "A is saved under its own name with its own password";
    EXPECT_EQ(get("a.adr")[0], 'P');
}

TEST_F(FileCommandsTest, AWrongPasswordLeavesNoNameThatPointsAtTheProtectedBook) {
    put("plain.adr", "Anna\r\n\r\n");
    open("plain.adr");
    app.file.file_password = "abcd";
    fake.chosen_files.push_back(path("secret.adr"));
    files.save_command(true);
    const std::string protected_book = get("secret.adr");
    ASSERT_EQ(protected_book[0], 'P');

    fake.passwords.push_back("abce");
    open("secret.adr");
    EXPECT_EQ(fake.last_box(), "Wrong password!");
    EXPECT_EQ(text(), " \r\n\r\n");
    EXPECT_EQ(app.file.name().find("secret"), std::string_view::npos);
    EXPECT_EQ(text_of(app.settings.file_name).find("secret"), std::string_view::npos);

    store.reindex();  // typed something
    fake.chosen_files.push_back(std::nullopt);
    files.save(false);
    ASSERT_FALSE(fake.file_dialogs.empty());
    const FileDialogRequest& dialog = fake.file_dialogs.back();
    EXPECT_EQ(dialog.initial_name.find("secret"), std::string::npos);
    EXPECT_TRUE(dialog.flags & ofn::overwrite_prompt) << "choosing the protected book asks first";
    EXPECT_EQ(get("secret.adr"), protected_book);
}

TEST_F(FileCommandsTest, OpenEndsATypeAheadInProgressWithTheOverviewActive) {
    put("a.adr", "Anna\r\n\r\n");
    ActiveView seen = ActiveView::data_view;
    files.end_type_ahead = [&] { seen = app.views.active_view; };
    app.views.active_view = ActiveView::data_view;
    open("a.adr");
    EXPECT_EQ(seen, ActiveView::overview);
}

// ---- Add --------------------------------------------------------------------

TEST_F(FileCommandsTest, AddMergesSortsAndAlwaysOffersTheDataCheck) {
    put("a.adr", "Bert\r\n\r\n");
    put("more.adr", "Anna\r\n\r\nBert\r\n\r\n");
    open("a.adr");

    fake.chosen_files.push_back(path("more.adr"));
    fake.answers = {Answer::yes};
    files.add();
    EXPECT_EQ(fake.file_dialogs.back().title, "Add VORNIX-Lumo-File");
    EXPECT_EQ(text(), "Anna\r\n\r\nBert\r\n\r\n") << "sorted, then the data check dropped the copy";
    EXPECT_TRUE(store.modified);
    EXPECT_TRUE(store.has_undo_snapshot());
    EXPECT_EQ(files.add_name(), path("more.adr"));
    ASSERT_FALSE(fake.boxes.empty());
    EXPECT_EQ(fake.boxes.back().text, "Shall VORNIX-Lumo make a\ndata-check now, deleting\ndouble entries?");
    EXPECT_EQ(fake.boxes.back().style, box::question | box::topmost);

    const std::size_t boxes = fake.boxes.size();
    fake.chosen_files.push_back(std::nullopt);
    files.add();
    EXPECT_EQ(fake.file_dialogs.back().initial_name, path("more.adr"));
    EXPECT_EQ(fake.boxes.size(), boxes + 1) << "the question comes after a cancel too";
    EXPECT_EQ(text(), "Anna\r\n\r\nBert\r\n\r\n");
}

// ---- End of program and start ----------------------------------------------------

TEST_F(FileCommandsTest, ShutDownSavesTheConfigurationThenAsksThenReleasesThenSaysGoodbye) {
    put("a.adr", "Anna\r\n\r\n");
    open("a.adr");
    app.paths.configuration_file = path("V-LUMO.INF");
    store.reindex();
    store.take_undo_snapshot();
    fake.answers = {Answer::yes};
    fake.calls.clear();

    app.shut_down();

    EXPECT_TRUE(fs::exists(path("V-LUMO.INF")));
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, "Save Data now?");
    EXPECT_EQ(fake.boxes[0].style, box::question);
    EXPECT_TRUE(fs::exists(path("a.DUP"))) << "Yes saved";
    EXPECT_TRUE(store.store_released());
    EXPECT_FALSE(store.has_undo_snapshot());
    EXPECT_FALSE(calendar.posted.empty()) << "LumoQuit";
    EXPECT_TRUE(fake.port.modal_flag);
    EXPECT_EQ(files.save(true), 0) << "nothing saves once the store is released";

    Settings saved;
    ASSERT_TRUE(load_configuration_file(saved, path("V-LUMO.INF")));
    EXPECT_EQ(text_of(saved.file_name), path("a.adr"));

    const std::size_t posted = calendar.posted.size();
    app.shut_down();
    EXPECT_EQ(calendar.posted.size(), posted) << "once only";
    EXPECT_EQ(fake.boxes.size(), 1u);
}

TEST_F(FileCommandsTest, ShutDownSavesSilentlyWhenSetAndNotAtAllWhenUnchanged) {
    put("a.adr", "Bert\r\n\r\nAnna\r\n\r\n");
    open("a.adr");
    store.sort_pending = false;
    std::memcpy(store.rewrite_text(), "Anne", 4);
    store.reindex();
    app.settings.save_data_automatically = 1;
    app.settings.save_configuration_automatically = 0;
    app.paths.configuration_file = path("V-LUMO.INF");

    app.shut_down();
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_EQ(get("a.adr"), "Anne\r\n\r\nBert\r\n\r\n");
    EXPECT_FALSE(fs::exists(path("V-LUMO.INF")));

    FakePort quiet;
    App unchanged(quiet.port, calendar);
    ASSERT_TRUE(unchanged.store.reset_store());
    unchanged.shut_down();
    EXPECT_TRUE(quiet.boxes.empty());
}

// The data could not be saved at the end: lumo asks whether to quit without
// saving, and No keeps it running with its data, so they can be saved
// elsewhere; with "Save Data autom." on the same. Nothing is asked twice.
TEST_F(FileCommandsTest, AFailedSaveAtTheEndAsksAndNoKeepsTheDataAndTheProgram) {
    put("a.adr", "Anna\r\n\r\n");
    open("a.adr");
    store.rewrite_text()[3] = 'e';
    store.reindex();
    app.paths.configuration_file = path("V-LUMO.INF");
    fake.boxes.clear();

    fake.files.fail(testing::FileStep::replace, 2);  // the book's own replace
    fake.answers = {Answer::yes, Answer::ok, Answer::no};
    app.quit();
    ASSERT_EQ(fake.boxes.size(), 3u);
    EXPECT_EQ(fake.boxes[0].text, "Save Data now?");
    EXPECT_EQ(fake.boxes[1].text, "Cannot save file!");
    EXPECT_EQ(fake.boxes[2].text, "The data could not be saved!\nQuit VORNIX-Lumo without saving?");
    EXPECT_EQ(fake.boxes[2].style, box::question);
    EXPECT_EQ(fake.quits, 0);
    EXPECT_FALSE(fake.port.modal_flag);
    EXPECT_TRUE(store.modified);
    EXPECT_FALSE(store.store_released());
    EXPECT_EQ(text(), "Anne\r\n\r\n");
    EXPECT_EQ(get("a.adr"), "Anna\r\n\r\n");

    // The calendar's quit report is refused the same way.
    app.settings.save_data_automatically = 1;
    fake.boxes.clear();
    fake.files.fail(testing::FileStep::create, 2);
    fake.answers = {Answer::ok, Answer::no};
    for (const auto& m : calendar::encode_text("VornixQuit")) app.on_transfer_message(m.w, m.l);
    ASSERT_EQ(fake.boxes.size(), 2u);
    EXPECT_EQ(fake.boxes[0].text, "Cannot save file!");
    EXPECT_EQ(fake.quits, 0);

    fake.chosen_files.push_back(path("elsewhere.adr"));
    files.save_command(true);
    EXPECT_EQ(get("elsewhere.adr"), "Anne\r\n\r\n");
    EXPECT_TRUE(app.may_quit()) << "saved now: nothing to ask";

    // Yes quits without saving, and the end asks nothing more.
    FakePort other;
    App second(other.port, calendar);
    ASSERT_TRUE(second.store.reset_store());
    second.settings.save_data_automatically = 1;
    second.settings.save_configuration_automatically = 0;
    second.file.set_name(path("a.adr"));
    second.store.reindex();
    other.files.fail(testing::FileStep::flush, 2);
    other.answers = {Answer::ok, Answer::yes};
    second.quit();
    EXPECT_EQ(other.quits, 1);
    EXPECT_TRUE(other.port.modal_flag);
    second.shut_down();
    EXPECT_EQ(other.boxes.size(), 2u);
    EXPECT_TRUE(second.store.store_released());
    EXPECT_EQ(get("a.adr"), "Anna\r\n\r\n");
}

TEST_F(FileCommandsTest, StartReopensTheLastFileSortedOrMakesANewStore) {
    put("last.adr", "Bert\r\n\r\nAnna\r\n\r\n");
    app.file.set_name(path("last.adr"));
    app.views.cursor_row = 3;
    ASSERT_TRUE(files.start());
    EXPECT_EQ(text(), "Anna\r\n\r\nBert\r\n\r\n");
    EXPECT_EQ(app.views.cursor_row, 0);

    FakePort other;
    App fresh(other.port, calendar);
    fresh.file.set_name("\x03:\\books\\x.adr");  // a remembered folder names no file
    ASSERT_TRUE(fresh.files.start());
    EXPECT_EQ(std::string(fresh.store.text_view()), " \r\n\r\n");
    EXPECT_EQ(fresh.file.file_name[0], 3);
}

}  // namespace
}  // namespace lumo

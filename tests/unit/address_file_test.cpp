// Reading and writing address files in a temporary folder: the character
// code, the protected format byte for byte, the backup, and every failure.
#include "data/address_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "port/ids.h"
#include "support/fake_port.h"
#include "support/temp_folder.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;
using testing::FakePort;
using testing::TempFolder;

class AddressFileTest : public ::testing::Test {
protected:
    FakePort fake;
    ViewState view;
    Store store{fake.port, view};
    FileState file;
    TempFolder folder{"lumo_address_file_"};
    int new_store_runs = 0;
    int title_refreshes = 0;
    int after_write_runs = 0;
    FileHooks hooks{[this] { ++new_store_runs; }, [this] { ++title_refreshes; },
                    [this] { ++after_write_runs; }};

    void SetUp() override { ASSERT_TRUE(store.reset_store()); }

    std::string path(const std::string& name) const { return (folder / name).string(); }
    void put(const std::string& name, std::string_view bytes) const {
        std::ofstream(path(name), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string get(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    ReadResult read(const std::string& name, int mode = 0) {
        ReadResult r = read_address_file(store, file, path(name), mode, hooks);
        expect_sound();
        return r;
    }
    WriteStatus write(const std::string& name) {
        WriteStatus s = write_address_file(store, file, path(name), hooks);
        expect_sound();
        return s;
    }
    void expect_sound() {
        std::string why;
        EXPECT_TRUE(store.check(&why)) << why;
    }
};

TEST_F(AddressFileTest, EmptyFileReadsAsEmptyStore) {
    put("a.adr", "");
    const ReadResult r = read("a.adr");
    EXPECT_EQ(r.status, ReadStatus::read);
    EXPECT_EQ(r.bytes, 0);
    EXPECT_EQ(store.entry_count(), 0);
    EXPECT_EQ(store.text_length(), 0);
    EXPECT_EQ(store.entries_status_text(), "       0 Entries");
}

TEST_F(AddressFileTest, GermanLettersTravelInTheirFileCode) {
    put("a.adr", "\x8e\x99\x9a\x84\x94\x81\x9e\xe1\r\n\r\n");
    read("a.adr");
    EXPECT_EQ(store.text_view(), "\xc4\xd6\xdc\xe4\xf6\xfc\xdf\xdf\r\n\r\n");
    EXPECT_EQ(store.entry_count(), 1);

    ASSERT_EQ(write("a.adr"), WriteStatus::written);
    EXPECT_EQ(get("a.adr"), "\x8e\x99\x9a\x84\x94\x81\x9e\x9e\r\n\r\n");
    EXPECT_EQ(store.text_view(), "\xc4\xd6\xdc\xe4\xf6\xfc\xdf\xdf\r\n\r\n");
    EXPECT_FALSE(store.modified);
    EXPECT_EQ(store.window_title_text()[0], ' ');
}

TEST(CharacterCode, ConversionsMatchTheLetterTableOnAnyBytes) {
    const std::string ansi = "\xc4\xd6\xdc\xe4\xf6\xfc\xdf";
    const std::string oem = "\x8e\x99\x9a\x84\x94\x81\x9e";
    std::mt19937 random(3);
    for (int round = 0; round < 50; ++round) {
        std::string bytes(random() % 100, ' ');
        for (char& c : bytes) c = static_cast<char>(random() % 256);
        std::string to_file = bytes;
        std::string to_memory = bytes;
        to_oem(to_file.data(), to_file.size());
        to_ansi(to_memory.data(), to_memory.size());
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const std::size_t a = ansi.find(bytes[i]);
            const std::size_t o = oem.find(bytes[i]);
            EXPECT_EQ(to_file[i], a == std::string::npos ? bytes[i] : oem[a]);
            const char back = bytes[i] == '\xe1' ? '\xdf' : o == std::string::npos ? bytes[i] : ansi[o];
            EXPECT_EQ(to_memory[i], back);
        }
    }
}

TEST_F(AddressFileTest, SavingTurnsFileCodesInMemoryIntoLetters) {
    // A low quotation mark (132) is written unchanged and reads back as "ä";
    // the conversion after writing shows that at once, and an "á" becomes "ß".
    put("a.adr", "x\r\n\r\n");
    read("a.adr");
    store.rewrite_text()[0] = '\x84';
    ASSERT_EQ(write("a.adr"), WriteStatus::written);
    EXPECT_EQ(get("a.adr"), "\x84\r\n\r\n");
    EXPECT_EQ(store.char_at(0), '\xe4');

    store.rewrite_text()[0] = '\xe1';
    ASSERT_EQ(write("a.adr"), WriteStatus::written);
    EXPECT_EQ(store.char_at(0), '\xdf');
}

TEST_F(AddressFileTest, ProtectedFileByteForByte) {
    // Password " xyz": key bytes 20 78 79 7A; text byte 4 uses key byte 0
    // again; F0 + 20 wraps to 10.
    put("a.adr", "\xf0" "bc\r\n\r\n");
    read("a.adr");
    file.file_password = " xyz";
    ASSERT_EQ(write("p.adr"), WriteStatus::written);
    EXPECT_EQ(get("p.adr"), std::string("\x50\x91\xed\xe2\xe7\x82\xdd\xe5"
                                        "\x10\xda\xdc\x87\x2a\x85\x83"));

    file.file_password.clear();
    fake.passwords.push_back(std::string(" xyz"));
    fake.calls.clear();
    const ReadResult r = read("p.adr");
    EXPECT_EQ(r.status, ReadStatus::read);
    EXPECT_EQ(r.bytes, 15);
    EXPECT_EQ(store.text_view(), "\xf0" "bc\r\n\r\n");
    EXPECT_EQ(file.file_password, " xyz");
    EXPECT_EQ(fake.calls[0], "minimize");
    EXPECT_EQ(fake.calls[1], "password: open");
    EXPECT_EQ(fake.calls[2], "restore");
}

TEST_F(AddressFileTest, NineteenCharacterPasswordIsUsedInFull) {
    const std::string password = "abcdefghijklmnopqrs";
    std::string text(40, 'A');
    text += "\r\n\r\n";
    put("a.adr", text);
    read("a.adr");
    file.file_password = password;
    ASSERT_EQ(write("p.adr"), WriteStatus::written);
    const std::string bytes = get("p.adr");
    ASSERT_EQ(bytes.size(), 8 + text.size());
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[8 + 18]), static_cast<std::uint8_t>('A' + 's'));
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[8 + 19]), static_cast<std::uint8_t>('A' + 'a'));
    // The check word's index restarts too: its byte 0 uses password byte 0.
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[1]), static_cast<std::uint8_t>('q' + 'a'));

    store.reset_store();
    read("p.adr");  // the file password is still set: no prompt
    EXPECT_EQ(store.text_view(), text);
    EXPECT_TRUE(fake.passwords.empty());
}

TEST_F(AddressFileTest, WrongPasswordOnOpenRunsNew) {
    file.file_password = "abcd";
    put("a.adr", "old\r\n\r\n");
    read("a.adr");
    write("p.adr");
    file.file_password.clear();
    for (const std::optional<std::string>& typed :
         {std::optional<std::string>("abce"), std::optional<std::string>(), std::optional<std::string>("")}) {
        fake.passwords.push_back(typed);
        fake.boxes.clear();
        const ReadResult r = read("p.adr");
        EXPECT_EQ(r.status, ReadStatus::wrong_password);
        EXPECT_EQ(fake.last_box(), "Wrong password!");
        EXPECT_EQ(fake.boxes.back().caption, "VORNIX-Lumo:");
        EXPECT_TRUE(file.file_password.empty());
        EXPECT_EQ(fake.calls.back(), "restore");
    }
    EXPECT_EQ(new_store_runs, 3);
}

TEST_F(AddressFileTest, PlainBookStartingWithPOpensAgain) {
    // A saved book whose first heading begins with 'P' starts with the
    // protection marker; its terminator at the end tells it is plain.
    put("a.adr", "Peter\r\n\r\nPia M\x81ller\r\n\r\n");
    EXPECT_EQ(read("a.adr").status, ReadStatus::read);
    EXPECT_EQ(store.text_view(), "Peter\r\n\r\nPia M\xfcller\r\n\r\n");
    EXPECT_TRUE(fake.boxes.empty());
    ASSERT_EQ(write("b.adr"), WriteStatus::written);
    store.reset_store();
    EXPECT_EQ(read("b.adr").status, ReadStatus::read);
    EXPECT_EQ(store.entry_count(), 2);

    // A protected book never ends that way: each password byte is nonzero.
    file.file_password = "\x01\x01\x01\x01";
    ASSERT_EQ(write("c.adr"), WriteStatus::written);
    file.file_password.clear();
    fake.passwords.push_back(std::string("\x01\x01\x01\x01"));
    EXPECT_EQ(read("c.adr").status, ReadStatus::read);
    EXPECT_EQ(store.entry_count(), 2);
}

TEST_F(AddressFileTest, FileStartingWithPWithoutTerminatorIsTakenAsProtected) {
    put("a.adr", "Peter\r\n");
    fake.passwords.push_back(std::string("abcd"));
    EXPECT_EQ(read("a.adr").status, ReadStatus::wrong_password);
    EXPECT_EQ(fake.last_box(), "Wrong password!");

    // Short files with the marker: no check word, so no password can fit,
    // not even one whose bytes would cancel missing zeros.
    for (std::string_view bytes : {std::string_view("P"), std::string_view("P\x1f\x1b", 3)}) {
        put("s.adr", bytes);
        fake.passwords.push_back(std::string("\x8f\x8b\x97\x93"));
        EXPECT_EQ(read("s.adr").status, ReadStatus::wrong_password);
    }
}

TEST_F(AddressFileTest, ProtectedFileOfEightBytesHoldsEmptyText) {
    put("a.adr", "x\r\n\r\n");
    read("a.adr");
    store.set_text_length(0);
    store.reindex();
    file.file_password = "abcd";
    write("p.adr");
    EXPECT_EQ(get("p.adr").size(), 8u);
    put("a.adr", "x\r\n\r\n");
    read("a.adr");
    EXPECT_EQ(read("p.adr").status, ReadStatus::read);
    EXPECT_EQ(store.text_length(), 0);
    EXPECT_EQ(store.entry_count(), 0);
}

TEST_F(AddressFileTest, AddAppendsEntries) {
    put("a.adr", "A\r\n\r\n");
    put("b.adr", "B\x84\r\n\r\n");
    read("a.adr");
    store.rewrite_text()[0] = '\xe1';  // converted too: to ANSI runs over the whole buffer
    const ReadResult r = read("b.adr", 1);
    EXPECT_EQ(r.status, ReadStatus::read);
    EXPECT_EQ(r.bytes, 6);
    EXPECT_EQ(store.text_view(), "\xdf\r\n\r\nB\xe4\r\n\r\n");
    EXPECT_EQ(store.entry_count(), 2);
}

TEST_F(AddressFileTest, AddProtectedFileUsesItsOwnPassword) {
    put("b.adr", "Bob\r\n\r\n");
    read("b.adr");
    file.file_password = "wxyz1";
    write("p.adr");

    file.file_password = "main";
    put("a.adr", "Al\r\n\r\n");
    read("a.adr");
    file.add_password = "stale";
    fake.passwords.push_back(std::string("wxyz1"));
    EXPECT_EQ(read("p.adr", 1).status, ReadStatus::read);
    EXPECT_EQ(store.text_view(), "Al\r\n\r\nBob\r\n\r\n");
    EXPECT_EQ(file.add_password, "wxyz1");
    EXPECT_EQ(file.file_password, "main");

    // A wrong add password leaves everything as it was, not even reindexed.
    store.modified = false;
    const std::string before(store.text_view());
    fake.passwords.push_back(std::string("wxyz2"));
    EXPECT_EQ(read("p.adr", 1).status, ReadStatus::wrong_password);
    EXPECT_EQ(store.text_view(), before);
    EXPECT_FALSE(store.modified);
    EXPECT_EQ(new_store_runs, 0);
    EXPECT_EQ(file.file_password, "main");
}

TEST_F(AddressFileTest, MissingFileKeepsTheStore) {
    put("a.adr", "A\r\n\r\n");
    read("a.adr");
    file.set_name(path("gone.adr"));
    EXPECT_EQ(read("gone.adr").status, ReadStatus::cannot_open);
    EXPECT_EQ(fake.last_box(), "Cannot open file!");
    EXPECT_EQ(fake.boxes.back().caption, "VORNIX-Lumo (laden):");
    EXPECT_EQ(fake.boxes.back().style, box::error);
    EXPECT_EQ(store.text_view(), "A\r\n\r\n");
    EXPECT_EQ(file.name(), "");
    EXPECT_EQ(title_refreshes, 1);

    EXPECT_EQ(read("gone.adr", 1).status, ReadStatus::cannot_open);
    EXPECT_EQ(title_refreshes, 1);  // only mode 0 of the file name itself forgets it
    EXPECT_EQ(read("", 0).status, ReadStatus::cannot_open);
    fs::create_directory(folder / "dir.adr");
    EXPECT_EQ(read("dir.adr").status, ReadStatus::cannot_open);
    EXPECT_EQ(store.text_view(), "A\r\n\r\n");
}

TEST_F(AddressFileTest, NoMemoryOrHugeFileKeepsTheStore) {
    put("a.adr", "A\r\n\r\n");
    put("b.adr", "B\r\n\r\n");
    read("a.adr");
    store.allocation_gate = [](std::size_t) { return false; };
    EXPECT_EQ(read("b.adr").status, ReadStatus::no_memory);
    EXPECT_EQ(fake.last_box(), "Not enough memory free!");
    EXPECT_EQ(fake.boxes.back().caption, "VORNIX-Lumo:");
    EXPECT_EQ(read("b.adr", 1).status, ReadStatus::no_memory);
    EXPECT_EQ(store.text_view(), "A\r\n\r\n");
    store.allocation_gate = nullptr;

    // A sparse file too large for a 32-bit length.
    { std::ofstream(path("huge.adr"), std::ios::binary); }
    fs::resize_file(folder / "huge.adr", (std::uintmax_t{1} << 31) + 5);
    EXPECT_EQ(read("huge.adr").status, ReadStatus::no_memory);
    EXPECT_EQ(read("huge.adr", 1).status, ReadStatus::no_memory);
    EXPECT_EQ(store.text_view(), "A\r\n\r\n");
}

TEST_F(AddressFileTest, ReopeningReusesTheBufferOnlyWhenNothingIsUnsaved) {
    std::string book;
    for (int i = 0; i < 400; ++i) book += "M\x81ller " + std::to_string(i) + "\r\nStra\x9e" "e 1\r\n\r\n";
    put("a.adr", book);
    std::string other = book;
    other[0] = 'N';
    put("b.adr", other);
    const std::string in_memory = [&] {
        std::string t = book;
        to_ansi(t.data(), t.size());
        return t;
    }();

    read("a.adr");
    store.modified = false;  // as Open leaves it
    const char* buffer = store.text_view().data();
    EXPECT_EQ(read("b.adr").status, ReadStatus::read);
    EXPECT_EQ(store.text_view().data(), buffer);  // read straight into the old block
    EXPECT_EQ(store.text_view().substr(1), in_memory.substr(1));
    EXPECT_EQ(store.entry_count(), 400);

    // Unsaved changes are never overwritten in place: a failed read must
    // still leave them.
    store.rewrite_text()[0] = 'X';
    store.modified = true;
    EXPECT_EQ(read("a.adr").status, ReadStatus::read);
    EXPECT_NE(store.text_view().data(), buffer);
    EXPECT_EQ(store.text_view(), in_memory);

    // A much smaller file does not keep the big block.
    put("small.adr", "S\r\n\r\n");
    store.modified = false;
    read("small.adr");
    EXPECT_EQ(store.text_capacity(), 5 + text_headroom);
    EXPECT_EQ(store.text_view(), "S\r\n\r\n");

    // A protected file and an added one go into the room there is, too.
    put("c.adr", "C\r\n\r\n");
    file.file_password = "pass";
    write("p.adr");
    store.modified = false;
    buffer = store.text_view().data();
    EXPECT_EQ(read("p.adr").status, ReadStatus::read);
    EXPECT_EQ(store.text_view().data(), buffer);
    EXPECT_EQ(store.text_view(), "S\r\n\r\n");
    ASSERT_TRUE(store.grow_text(2100));
    buffer = store.text_view().data();
    EXPECT_EQ(read("c.adr", 1).status, ReadStatus::read);
    EXPECT_EQ(store.text_view().data(), buffer);
    EXPECT_EQ(store.text_view(), "S\r\n\r\nC\r\n\r\n");
    EXPECT_EQ(store.entry_count(), 2);
}

TEST_F(AddressFileTest, AwkwardBytesReadSafely) {
    const std::string cases[] = {
        std::string("\0\0\r\n\0\r\n\r\n", 9), "\r", "\n\n\r\r", std::string(700, 'x'), "no terminator",
        "\r\n\r\n\r\n\r\n\r", std::string(1, '\x50'), "Q\r\n\r"};
    for (const std::string& bytes : cases) {
        put("a.adr", bytes);
        fake.passwords.push_back(std::string("abcd"));
        read("a.adr");
        for (std::int32_t e = 0; e <= store.entry_count(); ++e) {
            store.show_entry(5, store.entry_start(e), 0);
            expect_sound();
        }
        store.fill_overview_rows(5, 0);
    }
}

TEST_F(AddressFileTest, RoundTripOfAnyBytes) {
    std::mt19937 random(11);
    for (int round = 0; round < 40; ++round) {
        std::string bytes(random() % 3000, ' ');
        for (char& c : bytes) c = static_cast<char>(random() % 256);
        if (!bytes.empty() && bytes[0] == 'P') bytes[0] = 'Q';
        file.file_password = round % 2 == 0 ? "" : "k3y!" + std::to_string(round);
        put("a.adr", bytes);
        const std::string password = file.file_password;
        file.file_password.clear();
        read("a.adr");
        const std::string first(store.text_view());
        file.file_password = password;
        ASSERT_EQ(write("b.adr"), WriteStatus::written);
        store.reset_store();
        read("b.adr");
        EXPECT_EQ(store.text_view(), first) << "round " << round;
    }
}

TEST_F(AddressFileTest, BackupHoldsThePreviousFile) {
    put("book.adr", "old\r\n\r\n");
    put("book.DUP", "older");
    read("book.adr");
    store.rewrite_text()[0] = 'n';
    ASSERT_EQ(write("book.adr"), WriteStatus::written);
    EXPECT_EQ(get("book.DUP"), "old\r\n\r\n");
    EXPECT_EQ(get("book.adr"), "nld\r\n\r\n");
    EXPECT_EQ(after_write_runs, 1);

    // A name without a three-letter extension still loses three characters.
    EXPECT_EQ(backup_name("C:\\DATA\\NOTES"), "C:\\DATA\\NODUP");
    EXPECT_EQ(backup_name("ab"), "DUP");
    put("NOTES", "x");
    write("NOTES");
    EXPECT_EQ(get("NODUP"), "x");

    // A file whose backup name is its own name gets no backup.
    put("SAME.DUP", "x\r\n\r\n");
    ASSERT_EQ(write("SAME.DUP"), WriteStatus::written);
    EXPECT_EQ(get("SAME.DUP"), "nld\r\n\r\n");
}

TEST_F(AddressFileTest, BackupFailuresDoNotStopTheSave) {
    put("book.adr", "old-file-bytes\r\n\r\n");
    put("x.adr", "new\r\n\r\n");
    read("x.adr");
    store.allocation_gate = [](std::size_t bytes) { return bytes != 18; };
    ASSERT_EQ(write("book.adr"), WriteStatus::written);
    EXPECT_EQ(fake.boxes.at(0).text, "Not enough memory free for creating a *.DUP-File!");
    EXPECT_FALSE(fs::exists(folder / "book.DUP"));
    EXPECT_EQ(get("book.adr"), "new\r\n\r\n");
    store.allocation_gate = nullptr;

    // Room for the new 7 bytes but not for the old file's 18: the backup is
    // skipped with the disk-full message and the save goes on.
    put("book.adr", "old-file-bytes\r\n\r\n");
    fake.boxes.clear();
    fake.free_bytes = 10;
    ASSERT_EQ(write("book.adr"), WriteStatus::written);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, disk_full_text(path("book.adr")));
    EXPECT_FALSE(fs::exists(folder / "book.DUP"));
}

TEST_F(AddressFileTest, FullDiskRefusesTheSave) {
    put("x.adr", "new\r\n\r\n");
    read("x.adr");
    put("book.adr", "kept");
    fake.free_bytes = 7;  // not smaller than the 7 bytes to write
    EXPECT_EQ(write("book.adr"), WriteStatus::disk_full);
    EXPECT_EQ(fake.last_box(), disk_full_text(path("book.adr")));
    EXPECT_EQ(fake.boxes.back().caption, "VORNIX-Lumo:");
    EXPECT_EQ(get("book.adr"), "kept");
    EXPECT_TRUE(store.modified);
    EXPECT_EQ(disk_full_text("c:\\a.adr"), "   Drive C: is full!\nCannot save file!");
    EXPECT_EQ(disk_full_text("\xe4:\\a.adr"), "   Drive \xc4: is full!\nCannot save file!");

    // An unknown figure refuses nothing.
    fake.free_bytes.reset();
    EXPECT_EQ(write("book.adr"), WriteStatus::written);
}

TEST_F(AddressFileTest, FailedWritesAreNotReportedAsSuccess) {
    put("x.adr", "new\x84\r\n\r\n");
    read("x.adr");
    EXPECT_EQ(write("missing/book.adr"), WriteStatus::cannot_save);
    EXPECT_EQ(fake.last_box(), "Cannot save file!");
    EXPECT_TRUE(store.modified);
    EXPECT_EQ(store.text_view(), "new\xe4\r\n\r\n");  // back in ANSI
    EXPECT_EQ(after_write_runs, 0);
}

// Every step of a save made to fail in turn, first while the backup is
// copied, then while the book is written, plain and protected: the old
// book stays byte for byte, the ".DUP" is the old one (the copy failed) or
// a complete copy of the old book, `modified` stays, "Cannot save file!"
// is shown, no new file is left behind, and the next save succeeds.
TEST_F(AddressFileTest, AFailureAtAnyStepOfASaveLosesNothing) {
    using testing::FileStep;
    const std::string older_backup = "older backup\r\n\r\n";
    for (const std::string password : {"", "abcd"}) {
        for (const int occurrence : {1, 2}) {  // the backup's step, then the book's
            for (const FileStep step :
                 {FileStep::create, FileStep::write, FileStep::flush, FileStep::close, FileStep::replace}) {
                const std::string what = "password '" + password + "', " + (occurrence == 1 ? "backup" : "book") +
                                         ", step " + std::to_string(static_cast<int>(step));
                put("book.adr", "Anna\r\n\r\n");
                file.file_password.clear();
                read("book.adr");
                file.file_password = password;
                ASSERT_EQ(write("book.adr"), WriteStatus::written);  // the old book, as it will be protected
                const std::string old_book = get("book.adr");
                put("book.DUP", older_backup);
                store.rewrite_text()[0] = 'E';
                store.reindex();
                fake.boxes.clear();

                fake.files.fail(step, occurrence);
                EXPECT_EQ(write("book.adr"), WriteStatus::cannot_save) << what;
                EXPECT_EQ(get("book.adr"), old_book) << what;
                EXPECT_EQ(get("book.DUP"), occurrence == 1 ? older_backup : old_book) << what;
                EXPECT_TRUE(store.modified) << what;
                EXPECT_EQ(store.window_title_text()[0], '*') << what;
                EXPECT_EQ(fake.last_box(), "Cannot save file!") << what;
                EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2) << what;

                ASSERT_EQ(write("book.adr"), WriteStatus::written) << what;
                EXPECT_EQ(get("book.DUP"), old_book) << what;
                EXPECT_EQ(get("book.adr").size(), old_book.size()) << what;
                EXPECT_FALSE(store.modified) << what;
            }
        }
    }
}

TEST_F(AddressFileTest, ReleasedStoreIsNotWritten) {
    store.release_store();
    EXPECT_EQ(write("a.adr"), WriteStatus::released);
    EXPECT_FALSE(fs::exists(folder / "a.adr"));
}

}  // namespace
}  // namespace lumo

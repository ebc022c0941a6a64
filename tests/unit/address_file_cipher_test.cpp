// The one-pass read (decipher, recode and terminator scan chunk by chunk)
// against the plain sequence of whole-text passes it replaces: the same
// bytes and the same entry index for any bytes, any key, any piece size and
// every scanning kernel.
#include "data/address_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/fake_port.h"
#include "support/temp_folder.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;
using testing::FakePort;
using testing::TempFolder;

constexpr ScanKernel all_kernels[] = {ScanKernel::portable, ScanKernel::sse2, ScanKernel::avx2};

std::string random_password(std::mt19937& random, std::size_t length) {
    std::string password(length, ' ');
    for (char& c : password) c = static_cast<char>(1 + random() % 255);
    return password;
}

// Text that keeps the scan busy: terminators, lone CR and LF, NULs, German
// letters in both codes, a leading 'P' now and then, and entries of every
// length, many longer than a scan chunk.
std::string random_text(std::mt19937& random, std::size_t length) {
    static constexpr std::string_view pieces[] = {"\r\n\r\n", "\r", "\n", "\r\n", {"\0", 1},
                                                  "\x8e", "\xe1", "\x84", "\xdf", "P"};
    std::string text;
    while (text.size() < length) {
        const unsigned pick = random() % 24;
        if (pick < 10)
            text += pieces[pick];
        else
            text.append(random() % (pick < 22 ? 40 : 9000), static_cast<char>('a' + pick));
    }
    text.resize(length);
    if (random() % 4 == 0 && !text.empty()) text[0] = 'P';
    return text;
}

// What reading did before: every new byte deciphered, then the whole text
// converted, then the index rebuilt, each a pass of its own.
struct TwoPassRead {
    FakePort fake;
    ViewState view;
    Store store{fake.port, view};
    TwoPassRead(const std::string& kept, std::string added, const std::string& password) {
        decipher(added.data(), added.size(), password);
        const std::string all = kept + added;
        TextBuffer buffer = store.allocate_text(static_cast<std::int32_t>(all.size()) + text_headroom);
        std::memcpy(buffer.data(), all.data(), all.size());
        store.adopt_text(std::move(buffer), static_cast<std::int32_t>(all.size()));
        to_ansi(store);
        store.reindex();
    }
    std::vector<std::int32_t> starts() const {
        return {store.entry_index(), store.entry_index() + store.entry_count() + 1};
    }
};

// The enciphered bytes of `text` handed out `piece` bytes at a time, or
// all at once; `fail_at`: the call that reports a read error.
struct PieceSource {
    std::string bytes;
    std::size_t at = 0;
    int calls = 0;
    int fail_at = -1;
    std::optional<std::size_t> operator()(char* to, std::size_t room) {
        if (calls++ == fail_at) return std::nullopt;
        const std::size_t n = std::min(room, bytes.size() - std::min(at, bytes.size()));
        std::memcpy(to, bytes.data() + at, n);
        at += n;
        return n;
    }
};

// 0 and then the entry ends in the order the sink got them, checking that
// each batch follows the ones before.
struct CollectedEnds {
    std::vector<std::int32_t> starts{0};
    EntryEndSink sink() {
        return [this](std::int32_t count, const std::int32_t* ends, std::size_t found) {
            EXPECT_EQ(static_cast<std::size_t>(count) + 1, starts.size());
            starts.insert(starts.end(), ends, ends + found);
        };
    }
};

struct Loaded {
    std::optional<LoadedText> text;
    std::vector<std::int32_t> starts;
};

// A second reader over the same bytes, for reads of any size.
SecondReader second_reader(const std::string& bytes) {
    return {[bytes](std::size_t skip) -> std::optional<TextSource> {
                auto source = std::make_shared<PieceSource>(PieceSource{bytes, skip});
                return [source](char* to, std::size_t room) { return (*source)(to, room); };
            },
            0};
}

Loaded load(std::string& buffer, const std::string& kept, const std::string& enciphered, const std::string& password,
            std::size_t piece, ScanKernel kernel, bool in_halves = false) {
    buffer.assign(kept.size() + enciphered.size() + text_guard, '\x55');
    std::memcpy(buffer.data(), kept.data(), kept.size());
    PieceSource source{enciphered};
    CollectedEnds ends;
    Loaded loaded;
    loaded.text = load_text(buffer.data(), static_cast<std::int32_t>(kept.size()), enciphered.size(), password,
                            [&source](char* to, std::size_t room) { return source(to, room); }, ends.sink(), piece,
                            kernel, in_halves ? second_reader(enciphered) : SecondReader{});
    loaded.starts = ends.starts;
    if (loaded.text) {
        EXPECT_EQ(static_cast<std::size_t>(loaded.text->entry_count) + 1, loaded.starts.size());
    }
    return loaded;
}

TEST(KeyStream, EveryKernelAndPhaseAddsThePasswordBytePerPosition) {
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        const std::string password = random_password(random, 1 + random() % 19);
        const std::size_t position = random() % 1000;
        std::string text(random() % 1200, ' ');
        for (char& c : text) c = static_cast<char>(random());
        const bool subtract = random() % 2 == 0;
        std::string expected = text;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const auto key = static_cast<std::uint8_t>(password[(position + i) % password.size()]);
            const auto c = static_cast<std::uint8_t>(expected[i]);
            expected[i] = static_cast<char>(subtract ? c - key : c + key);
        }
        for (ScanKernel kernel : all_kernels) {
            std::string got = text;
            apply_key_stream(got.data(), got.size(), password, position, subtract, kernel);
            ASSERT_EQ(got, expected) << "round " << round << " kernel " << static_cast<int>(kernel);
        }
    }
}

TEST(KeyStream, PiecesDecipherLikeTheWholeAndOnlyNineteenCharactersCount) {
    const std::string password = "abcdefghijklmnopqrsTUV";  // 22 typed, 19 used
    std::string whole(5000, '\x7f');
    std::string pieces = whole;
    encipher(whole.data(), whole.size(), password);
    for (std::size_t at = 0, step = 1; at < pieces.size(); at += step, step = step * 3 % 997 + 1)
        apply_key_stream(pieces.data() + at, std::min(step, pieces.size() - at), password, at, false);
    EXPECT_EQ(pieces, whole);
    EXPECT_EQ(static_cast<std::uint8_t>(whole[19]), static_cast<std::uint8_t>(0x7f + 'a'));
    decipher(whole.data(), whole.size(), password.substr(0, 19));
    EXPECT_EQ(whole, std::string(5000, '\x7f'));
}

TEST(OnePassRead, MatchesTheTwoPassReadOnRandomFiles) {
    std::mt19937 random(2024);
    constexpr std::size_t pieces[] = {1, 3, 7, 64, 8191, 8192, 8193, 30000, std::size_t{1} << 40};
    for (int round = 0; round < 60; ++round) {
        const std::string kept = random() % 3 == 0 ? random_text(random, random() % 20000) : std::string();
        const std::string text = random_text(random, random() % 40000);
        const std::string password = round % 5 == 0 ? std::string() : random_password(random, 4 + round % 16);
        std::string enciphered = text;
        encipher(enciphered.data(), enciphered.size(), password);
        const TwoPassRead expected(kept, enciphered, password);
        const std::size_t piece = pieces[static_cast<std::size_t>(round) % std::size(pieces)];
        for (ScanKernel kernel : all_kernels) {
            for (const bool in_halves : {false, true}) {
                std::string buffer;
                const Loaded loaded = load(buffer, kept, enciphered, password, piece, kernel, in_halves);
                ASSERT_TRUE(loaded.text);
                ASSERT_EQ(loaded.text->length, expected.store.text_length());
                ASSERT_EQ(std::string_view(buffer.data(), static_cast<std::size_t>(loaded.text->length)),
                          expected.store.text_view())
                    << "round " << round << " halves " << in_halves;
                ASSERT_EQ(loaded.starts, expected.starts()) << "round " << round << " piece " << piece;
            }
        }
    }
}

TEST(OnePassRead, TerminatorsAcrossEveryChunkAndPieceBoundary) {
    // A terminator starting 0 to 4 bytes before each multiple of 4096 (the
    // pieces below end at each, the scan chunks of 32 KB at every eighth),
    // deciphered with keys of every allowed length.
    constexpr std::size_t blocks = 17;
    for (std::size_t shift = 0; shift <= 4; ++shift) {
        std::string text(blocks * 4096, 'x');
        for (std::size_t at = 4096; at < text.size(); at += 4096) text.replace(at - shift, 4, "\r\n\r\n");
        text.replace(text.size() - 4, 4, "\r\n\r\n");
        for (std::size_t length = 4; length <= 19; ++length) {
            const std::string password(length, static_cast<char>('A' + length));
            std::string enciphered = text;
            encipher(enciphered.data(), enciphered.size(), password);
            const TwoPassRead expected("", enciphered, password);
            ASSERT_EQ(expected.store.entry_count(), static_cast<std::int32_t>(blocks));
            for (ScanKernel kernel : all_kernels) {
                std::string buffer;
                const Loaded loaded = load(buffer, "", enciphered, password, 4096, kernel);
                ASSERT_TRUE(loaded.text);
                EXPECT_EQ(loaded.starts, expected.starts()) << "shift " << shift << " key " << length;
            }
        }
    }
}

TEST(OnePassRead, HalvesMeetInsideRunsOfLineEnds) {
    // Where a read is cut in two, runs of CR and LF of every length and
    // phase, up to the end: the second half's scan must start where no
    // terminator from the first can reach.
    constexpr std::string_view unit = "\r\n";
    for (std::size_t run = 1; run <= 13; ++run) {
        for (std::size_t shift = 0; shift <= 9; ++shift) {
            std::string text(400, 'x');
            const std::size_t middle = text.size() / 2;
            for (std::size_t k = 0; k < run; ++k) text[middle - shift + k] = unit[(k + shift) % 2];
            std::string to_end = text;
            for (std::size_t k = middle - shift; k < to_end.size(); ++k) to_end[k] = unit[(k + shift) % 2];
            for (const std::string& bytes : {text, to_end}) {
                const TwoPassRead expected("", bytes, "");
                std::string buffer;
                const Loaded loaded = load(buffer, "", bytes, "", 64, ScanKernel::sse2, true);
                ASSERT_TRUE(loaded.text);
                EXPECT_EQ(loaded.starts, expected.starts()) << "run " << run << " shift " << shift;
            }
        }
    }
}

TEST(OnePassRead, ShortAndFailingSources) {
    // A file that shrank after its size was taken: the text is what came.
    std::string buffer(100, '\0');
    PieceSource source{"a\r\n\r\nb"};
    CollectedEnds ends;
    std::optional<LoadedText> loaded = load_text(
        buffer.data(), 0, 50, "", [&source](char* to, std::size_t room) { return source(to, room); }, ends.sink(), 4);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->length, 6);
    EXPECT_EQ(ends.starts, (std::vector<std::int32_t>{0, 5}));

    PieceSource failing{"a\r\n\r\nb"};
    failing.fail_at = 1;
    CollectedEnds ignored;
    EXPECT_FALSE(load_text(buffer.data(), 0, 6, "", [&failing](char* to, std::size_t room) { return failing(to, room); },
                           ignored.sink(), 2));

    // Read in halves: a file that shrank under the first half is what came;
    // an error in either half fails the read.
    PieceSource shrunk{"a\r\n\r\nb"};
    CollectedEnds front;
    loaded = load_text(buffer.data(), 0, 50, "", [&shrunk](char* to, std::size_t room) { return shrunk(to, room); },
                       front.sink(), 4, ScanKernel::portable, second_reader("a\r\n\r\nb"));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->length, 6);
    EXPECT_EQ(front.starts, (std::vector<std::int32_t>{0, 5}));
    const std::string whole(40, 'y');
    for (const bool second_fails : {false, true}) {
        PieceSource first{whole};
        first.fail_at = second_fails ? -1 : 0;
        SecondReader second = second_reader(whole);
        if (second_fails)
            second.source = [](std::size_t) -> std::optional<TextSource> {
                return [](char*, std::size_t) -> std::optional<std::size_t> { return std::nullopt; };
            };
        CollectedEnds none;
        EXPECT_FALSE(load_text(buffer.data(), 0, whole.size(), "",
                               [&first](char* to, std::size_t room) { return first(to, room); }, none.sink(), 8,
                               ScanKernel::portable, second));
    }

    // Nothing to read: the kept text alone is converted and scanned.
    const Loaded kept = load(buffer, "\xe1\r\n\r\n", "", "", 8, ScanKernel::portable);
    ASSERT_TRUE(kept.text);
    EXPECT_EQ(buffer.substr(0, 5), "\xdf\r\n\r\n");
    EXPECT_EQ(kept.starts, (std::vector<std::int32_t>{0, 5}));
}

// Through the file itself: opening and adding protected books of many scan
// chunks gives the store the two-pass read gave.
class OnePassFileTest : public ::testing::Test {
protected:
    FakePort fake;
    ViewState view;
    Store store{fake.port, view};
    FileState file;
    TempFolder folder{"lumo_one_pass_"};

    void SetUp() override { ASSERT_TRUE(store.reset_store()); }

    // Writes `text` enciphered behind its header and returns the path.
    std::string put_protected(const std::string& name, const std::string& text, const std::string& password) {
        std::string bytes = "Pquimbel" + text;
        encipher(bytes.data() + 1, 7, password);
        encipher(bytes.data() + 8, text.size(), password);
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    void expect_store(const TwoPassRead& expected) {
        std::string why;
        EXPECT_TRUE(store.check(&why)) << why;
        EXPECT_EQ(store.text_view(), expected.store.text_view());
        ASSERT_EQ(store.entry_count(), expected.store.entry_count());
        for (std::int32_t k = 0; k <= store.entry_count() + 1; ++k)
            ASSERT_EQ(store.entry_start(k), expected.store.entry_start(k)) << "entry " << k;
        EXPECT_EQ(store.entries_status_text(), expected.store.entries_status_text());
    }
};

TEST_F(OnePassFileTest, OpenAndAddProtectedBooks) {
    std::mt19937 random(77);
    // Longer than the pieces a book is read in, so the key runs on across them.
    const std::string first = random_text(random, 700000);
    const std::string second = random_text(random, 50000);
    const std::string password = random_password(random, 13);
    const std::string added_password = random_password(random, 4);

    file.file_password = password;
    ASSERT_EQ(read_address_file(store, file, put_protected("a.adr", first, password), 0).status, ReadStatus::read);
    std::string enciphered = first;
    encipher(enciphered.data(), enciphered.size(), password);
    const TwoPassRead opened("", enciphered, password);
    expect_store(opened);

    // The book already in memory is only converted again; the added part
    // is deciphered with its own key, from its first byte.
    fake.passwords.push_back(added_password);
    const std::string added_path = put_protected("b.adr", second, added_password);
    ASSERT_EQ(read_address_file(store, file, added_path, 1).status, ReadStatus::read);
    std::string added = second;
    encipher(added.data(), added.size(), added_password);
    expect_store(TwoPassRead(std::string(opened.store.text_view()), added, added_password));

    // Reopened into the buffer it already has.
    store.modified = false;
    ASSERT_EQ(read_address_file(store, file, (folder / "a.adr").string(), 0).status, ReadStatus::read);
    expect_store(opened);
}

TEST_F(OnePassFileTest, ABigBookIsReadInTwoHalvesAsInOne) {
    // Past the size from which a second handle reads the second half: plain
    // (its first bytes stand in the header's place) and protected, opened
    // and added.
    std::mt19937 random(5);
    std::string text = random_text(random, read_two_threads_from + 4321);
    text[0] = 'A';  // not the protection marker
    const std::string plain_path = (folder / "plain.adr").string();
    std::ofstream(plain_path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    ASSERT_EQ(read_address_file(store, file, plain_path, 0).status, ReadStatus::read);
    const TwoPassRead plain("", text, "");
    expect_store(plain);

    const std::string password = random_password(random, 7);
    fake.passwords.push_back(password);
    ASSERT_EQ(read_address_file(store, file, put_protected("p.adr", text, password), 1).status, ReadStatus::read);
    std::string enciphered = text;
    encipher(enciphered.data(), enciphered.size(), password);
    expect_store(TwoPassRead(std::string(plain.store.text_view()), enciphered, password));
}

}  // namespace
}  // namespace lumo

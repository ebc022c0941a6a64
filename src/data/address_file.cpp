// Reading and writing address files: character conversion, the additive
// cipher, the backup copy and the free-space checks.
#include "data/address_file.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "data/two_halves.h"
#include "port/safe_write.h"

namespace lumo {
namespace {

// ---- Files --------------------------------------------------------------------

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// A binary stdio file with 64-bit sizes; closed by its destructor unless
// close() was called to learn whether the last bytes reached the disk.
class File {
public:
    bool open(const std::string& path, const char* mode) {
        handle_.reset(std::fopen(path.c_str(), mode));
        return handle_ != nullptr;
    }
    // The size in bytes (seek to the end, tell, back to the start), or
    // nothing when it cannot be determined.
    std::optional<std::int64_t> size() {
        if (seek_end() != 0) return std::nullopt;
        const std::int64_t end = tell();
        if (end < 0 || seek_start() != 0) return std::nullopt;
        return end;
    }
    // Reads up to n bytes; false on a read error.
    bool read(char* to, std::size_t n, std::size_t& got) {
        got = n == 0 ? 0 : std::fread(to, 1, n, handle_.get());
        return std::ferror(handle_.get()) == 0;
    }
    bool write(const char* from, std::size_t n) {
        return n == 0 || std::fwrite(from, 1, n, handle_.get()) == n;
    }
    // Reads the last n bytes of a file of `size` bytes, then returns to
    // offset `back_to`; false when that fails.
    bool read_tail(char* to, std::size_t n, std::int64_t size, std::int64_t back_to) {
        std::size_t got = 0;
        return seek_to(size - static_cast<std::int64_t>(n)) == 0 && read(to, n, got) && got == n &&
               seek_to(back_to) == 0;
    }
    bool seek(std::int64_t at) { return seek_to(at) == 0; }
    bool close() {
        std::FILE* f = handle_.release();
        return f != nullptr && std::fclose(f) == 0;
    }

private:
#if defined(_WIN32)
    int seek_end() { return _fseeki64(handle_.get(), 0, SEEK_END); }
    int seek_start() { return _fseeki64(handle_.get(), 0, SEEK_SET); }
    int seek_to(std::int64_t at) { return _fseeki64(handle_.get(), at, SEEK_SET); }
    std::int64_t tell() { return _ftelli64(handle_.get()); }
#else
    int seek_end() { return fseeko(handle_.get(), 0, SEEK_END); }
    int seek_start() { return fseeko(handle_.get(), 0, SEEK_SET); }
    int seek_to(std::int64_t at) { return fseeko(handle_.get(), static_cast<off_t>(at), SEEK_SET); }
    std::int64_t tell() { return ftello(handle_.get()); }
#endif
    std::unique_ptr<std::FILE, FileCloser> handle_;
};

// ---- Character code -------------------------------------------------------------

// The German letters: ANSI in memory, their OEM code in the file; "\xdf"
// also reads back from 225, the code older files use.
constexpr Recoding file_code{{196, 214, 220, 228, 246, 252, 223, 0}, {142, 153, 154, 132, 148, 129, 158, 0}, 7};
constexpr Recoding memory_code{{142, 153, 154, 132, 148, 129, 158, 225}, {196, 214, 220, 228, 246, 252, 223, 223}, 8};

// ---- Cipher ---------------------------------------------------------------------

// The password repeated over two periods of 32 copies, so that a stretch of
// text starting at any phase finds one period of the stream in one piece,
// made of whole blocks for the vector adders.
class KeyStream {
public:
    KeyStream(std::string_view password, bool negate) {
        const std::size_t n = password.size();
        period_ = 32 * n;
        for (std::size_t i = 0; i < 2 * period_; ++i) {
            const auto k = static_cast<std::uint8_t>(password[i % n]);
            bytes_[i] = negate ? static_cast<std::uint8_t>(256 - k) : k;
        }
    }
    std::size_t period() const { return period_; }
    // Adds the stream to `length` bytes whose first is text byte `position`.
    void apply(char* text, std::size_t length, std::size_t position, ScanKernel kernel) const {
        add_repeating(text, length, bytes_.data() + position % period_, period_, kernel);
    }

private:
    std::array<std::uint8_t, 2 * 32 * max_password_length> bytes_{};
    std::size_t period_ = 0;
};

std::string_view usable_password(std::string_view password) {
    return password.substr(0, std::min(password.size(), max_password_length));
}

// True when `password` turns the check word of `header` back into "quimbel".
bool password_opens(std::string_view password, const char* header, std::size_t header_length) {
    // An empty password (a cancelled dialog) has no key bytes to divide by.
    if (password.empty() || header_length < protected_header_bytes) return false;
    for (std::size_t i = 0; i < check_text.size(); ++i) {
        const auto stored = static_cast<std::uint8_t>(header[1 + i]);
        const auto key = static_cast<std::uint8_t>(password[i % password.size()]);
        if (static_cast<std::uint8_t>(stored - key) != static_cast<std::uint8_t>(check_text[i])) return false;
    }
    return true;
}

// The check word bytes for `password` (non-empty).
std::array<char, protected_header_bytes> protected_header(std::string_view password) {
    std::array<char, protected_header_bytes> header{};
    header[0] = protection_marker;
    for (std::size_t i = 0; i < check_text.size(); ++i)
        header[1 + i] = static_cast<char>(static_cast<std::uint8_t>(check_text[i]) +
                                          static_cast<std::uint8_t>(password[i % password.size()]));
    return header;
}

// Minimises the main window while a password prompt is up.
std::optional<std::string> ask_password(Port& port, PasswordPrompt which) {
    port.frame.minimize_main_window();
    const bool was_modal = port.modal_flag;
    port.modal_flag = true;
    std::optional<std::string> typed = port.prompts.ask_password(which);
    port.modal_flag = was_modal;
    return typed;
}

// ---- Reading --------------------------------------------------------------------

// The common end of a read: the whole buffer in ANSI and reindexed.
void finish_read(Store& store) {
    if (!store.store_released()) store.recode_and_reindex(memory_code);
}

ReadResult fail_read(Store& store, ReadStatus status, std::string_view text, std::string_view caption) {
    show_error(store.port(), text, caption);
    finish_read(store);
    return {status, 0};
}

// Asks for (or takes) the password of a protected file and checks it; on a
// wrong one shows the message and leaves the store to the caller's rule.
std::optional<std::string> unlock(Store& store, FileState& file, int mode, const char* header,
                                  std::size_t header_length, const FileHooks& hooks) {
    Port& port = store.port();
    bool minimised = false;
    std::string password;
    if (mode == 0) {
        if (file.file_password.empty()) {
            file.file_password = usable_password(ask_password(port, PasswordPrompt::open_file).value_or(""));
            minimised = true;
        }
        password = file.file_password;
    } else {
        file.add_password.clear();
        file.add_password = usable_password(ask_password(port, PasswordPrompt::add_file).value_or(""));
        minimised = true;
        password = file.add_password;
    }
    if (password_opens(password, header, header_length)) {
        if (minimised) port.frame.restore_main_window();
        return password;
    }
    show_error(port, text_wrong_password);
    if (mode == 0) {
        // The typed text opened nothing: it must not protect the empty store.
        file.file_password.clear();
        if (hooks.new_store) hooks.new_store();
    }
    if (minimised) port.frame.restore_main_window();
    return std::nullopt;
}

}  // namespace

void to_oem(char* text, std::size_t length) { recode(text, length, file_code); }
void to_ansi(char* text, std::size_t length) { recode(text, length, memory_code); }
void to_oem(Store& store) {
    if (!store.store_released()) store.recode_text(file_code);
}
void to_ansi(Store& store) {
    if (!store.store_released()) store.recode_text(memory_code);
}

void apply_key_stream(char* text, std::size_t length, std::string_view password, std::size_t position,
                      bool subtract, ScanKernel kernel) {
    if (!password.empty()) KeyStream(usable_password(password), subtract).apply(text, length, position, kernel);
}
void encipher(char* text, std::size_t length, std::string_view password) {
    apply_key_stream(text, length, password, 0, false);
}
void decipher(char* text, std::size_t length, std::string_view password) {
    apply_key_stream(text, length, password, 0, true);
}

namespace {

// Recodes text[scanned, end) of the `ready` bytes there are and hands the
// ends of the entry terminators starting there to the sink.
class PieceScanner {
public:
    PieceScanner(ScanKernel kernel, const EntryEndSink& sink) : kernel_(kernel), sink_(sink) {}
    // A scanner for the text from `from` on, while another takes the text
    // before it: it starts behind the first byte from there that is neither
    // CR nor LF, since no terminator from before can reach past such a byte,
    // and leaves the bytes up to that start to the other.
    static PieceScanner behind(ScanKernel kernel, const EntryEndSink& sink, std::int32_t from) {
        PieceScanner scanner(kernel, sink);
        scanner.scanned_ = scanner.next_ = from;
        scanner.seeking_ = true;
        return scanner;
    }

    void scan_to(char* text, std::int32_t ready, std::int32_t end) {
        if (seeking_ && !find_start(text, end)) return;
        std::array<std::int32_t, scan_chunk / 4 + 2> ends;
        while (scanned_ < end) {
            const std::int32_t to = scanned_ + std::min(scan_chunk, end - scanned_);
            const std::size_t found = scan_text(kernel_, text, ready, scanned_, to, next_, &memory_code, ends.data());
            if (found > 0) sink_(count_, ends.data(), found);
            count_ += static_cast<std::int32_t>(found);
            scanned_ = to;
        }
    }
    std::int32_t count() const { return count_; }
    // Where the scan began (for a scanner made by behind(), once it ended).
    std::int32_t start() const { return start_; }
    // Small enough that a chunk is still in the second-level cache when the
    // scan follows the decipher, large enough that the calls cost nothing.
    static constexpr std::int32_t scan_chunk = 32768;

private:
    bool find_start(const char* text, std::int32_t end) {
        for (; scanned_ < end; ++scanned_) {
            if (text[scanned_] == '\r' || text[scanned_] == '\n') continue;
            start_ = next_ = ++scanned_;
            seeking_ = false;
            return true;
        }
        start_ = scanned_;
        return false;
    }

    ScanKernel kernel_;
    const EntryEndSink& sink_;
    std::int32_t count_ = 0;
    std::int32_t scanned_ = 0;
    std::int32_t next_ = 0;
    std::int32_t start_ = 0;
    bool seeking_ = false;
};

// Where the bytes read go and how they are deciphered.
struct Landing {
    char* text;
    std::int32_t first_new;  // where the new bytes, and the key stream, begin
    const KeyStream* key;    // none for a plain file
    ScanKernel kernel;
};

// Deciphers the newly read text[from, to) chunk by chunk, the scanner one
// chunk behind while the chunk is still in the cache: it scans up to the
// start of the last chunk (a terminator may reach three bytes into the
// chunk just made ready, never further).
void decipher_and_scan(const Landing& at, std::int32_t from, std::int32_t to, PieceScanner& scanner) {
    for (std::int32_t chunk = from; chunk < to;) {
        const std::int32_t chunk_end = chunk + std::min(PieceScanner::scan_chunk, to - chunk);
        if (at.key)
            at.key->apply(at.text + chunk, static_cast<std::size_t>(chunk_end - chunk),
                          static_cast<std::size_t>(chunk - at.first_new), at.kernel);
        scanner.scan_to(at.text, to, std::min(chunk, chunk_end - 3));
        chunk = chunk_end;
    }
}

// Up to `most` bytes from `source` into `to`, asked for `piece` at a time;
// how many came (fewer only at the end of the file), nothing on an error.
std::optional<std::size_t> read_share(const TextSource& source, char* to, std::size_t most, std::size_t piece) {
    std::size_t got = 0;
    while (got < most) {
        const std::size_t want = std::min(piece, most - got);
        const std::optional<std::size_t> n = source(to + got, want);
        if (!n) return std::nullopt;
        got += std::min(*n, want);
        if (*n < want) break;
    }
    return got;
}

// Reads piece by piece, each deciphered and scanned right behind its read.
std::optional<LoadedText> load_in_order(const Landing& at, std::int32_t ready, std::size_t most,
                                        const TextSource& source, const EntryEndSink& sink, std::size_t piece) {
    PieceScanner scanner(at.kernel, sink);
    for (bool done = false; !done;) {
        const std::size_t want = std::min(piece, most);
        const std::optional<std::size_t> got = read_share(source, at.text + ready, want, want);
        if (!got) return std::nullopt;
        most -= *got;
        done = *got < want || most == 0;
        const std::int32_t end = ready + static_cast<std::int32_t>(*got);
        decipher_and_scan(at, ready, end, scanner);
        ready = end;
        if (done) scanner.scan_to(at.text, ready, ready);
    }
    return LoadedText{ready, scanner.count()};
}

// Reads the two halves of the new bytes at once, one from each source, then
// deciphers and scans them at once: the second half's entry ends are kept
// aside and handed to the sink behind the first half's, and the few bytes
// where the halves meet are scanned last. Two cores halve a big read, most
// of which is the system handing out new pages.
std::optional<LoadedText> load_in_halves(const Landing& at, std::int32_t ready, std::size_t most,
                                         const TextSource& source, const TextSource& second_source,
                                         const EntryEndSink& sink, std::size_t piece) {
    const std::size_t first_share = most / 2;
    const std::int32_t middle = ready + static_cast<std::int32_t>(first_share);
    std::optional<std::size_t> first, second;
    both([&] { first = read_share(source, at.text + ready, first_share, piece); },
         [&] { second = read_share(second_source, at.text + middle, most - first_share, piece); });
    if (!first) return std::nullopt;
    if (*first < first_share) {
        // A file that shrank while it was read: the text is what came in order.
        const std::int32_t end = ready + static_cast<std::int32_t>(*first);
        PieceScanner scanner(at.kernel, sink);
        decipher_and_scan(at, ready, end, scanner);
        scanner.scan_to(at.text, end, end);
        return LoadedText{end, scanner.count()};
    }
    if (!second) return std::nullopt;
    const std::int32_t end = middle + static_cast<std::int32_t>(*second);

    PieceScanner front(at.kernel, sink);
    std::vector<std::int32_t> back_ends;
    const EntryEndSink keep = [&back_ends](std::int32_t, const std::int32_t* ends, std::size_t found) {
        back_ends.insert(back_ends.end(), ends, ends + found);
    };
    PieceScanner back = PieceScanner::behind(at.kernel, keep, middle);
    both(
        [&] {
            decipher_and_scan(at, ready, middle, front);
            front.scan_to(at.text, middle, middle - 3);
        },
        [&] {
            back_ends.reserve(static_cast<std::size_t>(end - middle) / 64);
            decipher_and_scan(at, middle, end, back);
            back.scan_to(at.text, end, end);
        });
    front.scan_to(at.text, end, back.start());
    if (!back_ends.empty()) sink(front.count(), back_ends.data(), back_ends.size());
    return LoadedText{end, front.count() + static_cast<std::int32_t>(back_ends.size())};
}

}  // namespace

std::optional<LoadedText> load_text(char* text, std::int32_t ready, std::size_t most, std::string_view password,
                                    const TextSource& source, const EntryEndSink& sink, std::size_t piece,
                                    ScanKernel kernel, const SecondReader& second_reader) {
    const std::optional<KeyStream> key =
        password.empty() ? std::nullopt : std::optional<KeyStream>(std::in_place, usable_password(password), true);
    const Landing at{text, ready, key ? &*key : nullptr, kernel};
    piece = std::max<std::size_t>(piece, 1);
    if (second_reader.source && most >= std::max<std::size_t>(second_reader.from, 16)) {
        if (const std::optional<TextSource> second = second_reader.source(most / 2))
            return load_in_halves(at, ready, most, source, *second, sink, piece);
    }
    return load_in_order(at, ready, most, source, sink, piece);
}

std::string backup_name(std::string_view path) {
    std::string name(path.substr(0, path.size() - std::min<std::size_t>(3, path.size())));
    return name + "DUP";
}

std::string disk_full_text(std::string_view path) {
    std::string text(text_disk_full);
    if (!path.empty()) text[9] = static_cast<char>(fold_char(static_cast<std::uint8_t>(path[0]), 1));
    return text;
}

namespace {

// An unprotected book whose first heading begins with 'P' starts with the
// protection marker too. Every book this program writes ends with the entry
// terminator; enciphered, that end can never read CR LF CR LF again (each
// password byte is nonzero), so such an ending marks a plain file that would
// otherwise never open again.
bool plain_text_ending(File& in, std::int64_t size, std::size_t header_length) {
    if (size < 5) return false;
    char tail[4] = {};
    return in.read_tail(tail, sizeof tail, size, static_cast<std::int64_t>(header_length)) &&
           std::memcmp(tail, "\r\n\r\n", 4) == 0;
}

// A file read into new memory goes through a small buffer of its own,
// each piece copied on into the text. The system then fills pages that
// stay in the cache and are used again, and the text's new pages are first
// touched by the copy here: on a virtual machine that costs a third less
// than letting the system fault them in and touching them here afterwards,
// elsewhere about the same. The piece just copied is still in the cache
// for the scan. Into memory in use, one large read straight into place
// costs least.
class FileReading {
public:
    FileReading(File& file, bool new_memory) : file_(file), through_piece_(new_memory) {}
    TextSource source() {
        return [this](char* to, std::size_t room) { return read(to, room); };
    }
    // How much to ask for at a time.
    std::size_t piece() const { return through_piece_ ? read_piece : SIZE_MAX; }

private:
    static constexpr std::size_t read_piece = std::size_t{256} << 10;

    std::optional<std::size_t> read(char* to, std::size_t room) {
        if (!through_piece_ || !had_piece()) return read_straight(to, room);
        std::size_t done = 0;
        while (done < room) {
            const std::size_t want = std::min(piece_.size(), room - done);
            std::size_t got = 0;
            if (!file_.read(piece_.data(), want, got)) return std::nullopt;
            std::memcpy(to + done, piece_.data(), got);
            done += got;
            if (got < want) break;
        }
        return done;
    }
    // Without memory for the piece, the system fills the text itself.
    std::optional<std::size_t> read_straight(char* to, std::size_t room) {
        std::size_t got = 0;
        if (!file_.read(to, room, got)) return std::nullopt;
        return got;
    }
    bool had_piece() {
        try {
            if (piece_.empty()) piece_.resize(read_piece);
        } catch (const std::bad_alloc&) {
        }
        return !piece_.empty();
    }

    File& file_;
    bool through_piece_;
    std::vector<char> piece_;
};

// Whether a read may put the file's text straight into the store's own
// buffer (`need`: the bytes it must hold with headroom), so a reopened book
// costs no fresh memory. An added file lands behind the text, which stays
// as it is until the read succeeded. An opened one overwrites it: only when
// nothing unsaved is there, and not in a block far larger than this file
// needs.
bool can_read_in_place(const Store& store, int mode, std::int64_t need) {
    if (store.store_released() || store.text_capacity() < need) return false;
    return mode == 1 || (!store.modified && store.text_capacity() <= 2 * need);
}

}  // namespace

ReadResult read_address_file(Store& store, FileState& file, std::string_view path, int mode,
                             const FileHooks& hooks) {
    const std::int32_t kept = mode == 1 && !store.store_released() ? store.text_length() : 0;
    const std::string name(path);
    File in;
    std::optional<std::int64_t> size;
    if (in.open(name, "rb")) size = in.size();
    if (!size) {
        if (mode == 0 && path == file.name()) {
            file.clear_name();
            if (hooks.set_window_title) hooks.set_window_title();
        }
        return fail_read(store, ReadStatus::cannot_open, text_cannot_open, caption_load);
    }
    // The first bytes come first: a file that cannot be read (a folder, for
    // one) is "cannot open" whatever size it claims.
    std::array<char, protected_header_bytes> header{};
    std::size_t header_length = 0;
    if (!in.read(header.data(), static_cast<std::size_t>(std::min<std::int64_t>(*size, 8)), header_length))
        return fail_read(store, ReadStatus::cannot_open, text_cannot_open, caption_load);
    const bool protected_file =
        header_length > 0 && header[0] == protection_marker && !plain_text_ending(in, *size, header_length);

    const std::int64_t text_bytes = *size - (protected_file ? static_cast<std::int64_t>(header_length) : 0);
    const std::int64_t need = text_bytes + kept + text_headroom;
    const bool in_place = can_read_in_place(store, mode, need);
    TextBuffer buffer;
    if (!in_place && need <= std::numeric_limits<std::int32_t>::max())
        buffer = store.allocate_text(static_cast<std::int32_t>(need));
    if (!in_place && !buffer) return fail_read(store, ReadStatus::no_memory, text_not_enough_memory, caption_main);
    if (kept > 0 && buffer) store.copy_text(0, kept, buffer.data());

    std::optional<std::string> password;
    if (protected_file) {
        password = unlock(store, file, mode, header.data(), header_length, hooks);
        if (!password) return {ReadStatus::wrong_password, 0};
    }
    char* text = in_place ? store.rewrite_text() : buffer.data();
    std::int32_t ready = kept;
    if (!protected_file) {
        std::memcpy(text + kept, header.data(), header_length);
        ready += static_cast<std::int32_t>(header_length);
    }
    const auto rest = static_cast<std::size_t>(*size - static_cast<std::int64_t>(header_length));
    FileReading first_half(in, !in_place);
    // The second half of a big book through a second handle of its own,
    // when the book lands in new memory: two threads then share the cost of
    // the new pages. Into the buffer there is, one thread reads as fast
    // without a second handle and a list of the second half's entry ends.
    File second_file;
    FileReading second_half(second_file, true);
    SecondReader second_reader;
    if (!in_place) second_reader.source = [&](std::size_t skip) -> std::optional<TextSource> {
        if (!second_file.open(name, "rb") || !second_file.seek(static_cast<std::int64_t>(header_length + skip)))
            return std::nullopt;
        return second_half.source();
    };
    // The entry ends go straight into the store's index: every failure
    // below rebuilds it from the text or releases the store.
    const EntryEndSink sink = [&store](std::int32_t count, const std::int32_t* ends, std::size_t found) {
        store.append_entry_ends(count, ends, found);
    };
    std::optional<LoadedText> loaded =
        load_text(text, ready, rest, password.value_or(""), first_half.source(), sink,
                  first_half.piece(), fastest_scan_kernel(), second_reader);
    if (!loaded) {
        // Read over the old text, the store holds half of each: release it
        // (nothing can be saved from it) rather than show or keep a mix.
        if ((in_place && mode == 0) || store.store_released()) store.release_store();
        return fail_read(store, ReadStatus::cannot_open, text_cannot_open, caption_load);
    }
    in.close();

    if (in_place)
        store.adopt_length(loaded->length);
    else
        store.adopt_text(std::move(buffer), loaded->length);
    store.reindex_appended(loaded->entry_count);
    return {ReadStatus::read, std::int64_t{loaded->length} - kept + (protected_file ? 8 : 0)};
}



// ---- Writing --------------------------------------------------------------------

namespace {

bool too_little_space(Port& port, std::string_view path, std::int64_t bytes) {
    const std::optional<std::uint64_t> free_bytes = port.system.free_disk_bytes(path);
    // An unknown figure does not refuse the save: a failing write is caught.
    return free_bytes && static_cast<std::uint64_t>(bytes) >= *free_bytes;
}

// The old book as it is on disk, read whole.
struct OldFile {
    enum class State { none, no_memory, read } state = State::none;
    TextBuffer bytes;
    std::size_t length = 0;
};

// `none` also when the file cannot be read completely: no backup can be
// made of it then.
OldFile read_old_file(Store& store, const std::string& path) {
    OldFile old;
    File in;
    if (!in.open(path, "rb")) return old;
    const std::optional<std::int64_t> size = in.size();
    if (!size) return old;
    if (*size < std::numeric_limits<std::int32_t>::max())
        old.bytes = store.allocate_text(static_cast<std::int32_t>(std::max<std::int64_t>(*size, 1)));
    if (!old.bytes) {
        old.state = OldFile::State::no_memory;
        return old;
    }
    old.length = static_cast<std::size_t>(*size);
    std::size_t got = 0;
    if (in.read(old.bytes.data(), old.length, got) && got == old.length) old.state = OldFile::State::read;
    return old;
}

// Copies the book as it is on disk to its ".DUP" name, through a new file
// like the book itself, so a failing copy never costs the backup there is.
// No memory or no room for the copy costs only the backup (the save goes
// on, as the messages say); false when writing the copy failed: the save
// must not go on to replace the only complete copy of the old book.
bool write_backup(Store& store, const std::string& path) {
    Port& port = store.port();
    const std::string backup = backup_name(path);
    if (backup == path) return true;  // a backup named like the file would replace it
    const OldFile old = read_old_file(store, path);
    if (old.state == OldFile::State::no_memory) show_error(port, text_no_memory_for_backup);
    if (old.state != OldFile::State::read) return true;
    if (too_little_space(port, path, static_cast<std::int64_t>(old.length))) {
        show_error(port, disk_full_text(path));
        return true;
    }
    const std::string_view bytes(old.bytes.data(), old.length);
    return write_file_safely(port.files, backup, bytes) == WriteStep::done;
}

// Hands over the OEM text, enciphered behind the header when a password
// is set.
bool put_text(const ByteSink& put, const char* text, std::size_t length, std::string_view password) {
    if (password.empty()) return put({text, length});
    const auto header = protected_header(password);
    if (!put({header.data(), header.size()})) return false;
    const KeyStream key(password, false);
    const ScanKernel kernel = fastest_scan_kernel();
    std::vector<char> chunk(key.period() * 1024);
    for (std::size_t done = 0; done < length;) {
        const std::size_t n = std::min(chunk.size(), length - done);
        std::memcpy(chunk.data(), text + done, n);
        key.apply(chunk.data(), n, done, kernel);
        if (!put({chunk.data(), n})) return false;
        done += n;
    }
    return true;
}

// The store's text in the file's letter code for as long as it is being
// written, and back in ANSI afterwards whatever happens on the way.
class InFileCode {
public:
    explicit InFileCode(Store& store) : store_(store) { to_oem(store_); }
    ~InFileCode() { to_ansi(store_); }
    InFileCode(const InFileCode&) = delete;
    InFileCode& operator=(const InFileCode&) = delete;

private:
    Store& store_;
};

WriteStatus cannot_save(Port& port) {
    show_error(port, text_cannot_save);
    return WriteStatus::cannot_save;
}

}  // namespace

WriteStatus write_address_file(Store& store, const FileState& file, std::string_view path,
                               const FileHooks& hooks) {
    if (store.store_released()) return WriteStatus::released;
    Port& port = store.port();
    const std::string name(path);
    if (!write_backup(store, name)) return cannot_save(port);
    if (too_little_space(port, path, store.text_length())) {
        show_error(port, disk_full_text(path));
        return WriteStatus::disk_full;
    }
    const std::string_view password = usable_password(file.file_password);
    WriteStep step = WriteStep::create;
    {
        const InFileCode in_file_code(store);
        step = write_file_safely(port.files, path, [&store, password](const ByteSink& put) {
            return put_text(put, store.text_view().data(), static_cast<std::size_t>(store.text_length()), password);
        });
    }
    if (step != WriteStep::done) return cannot_save(port);
    store.modified = false;
    store.set_modified_marker(false);
    if (hooks.after_write) hooks.after_write();
    return WriteStatus::written;
}

}  // namespace lumo

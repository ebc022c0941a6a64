// The record store: the one open address book held as a single text buffer
// of entries (each ending in CR LF CR LF), the entry index over it, the line
// index of the entry the data view shows, the row caches the views paint
// from, and the undo snapshot.
//
// Layout of the text: lines end with CR LF; a line starts after a CR LF only
// when the byte behind it is 32 or above; an entry ends with the entry
// terminator CR LF CR LF. Slot 0 of the entry index is 0, slot k (1 to entry
// count) is the offset behind the k-th terminator, slot entry count + 1 is
// the text length. Bytes past the text length never take part in a match.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/file_state.h"
#include "port/port.h"
#include "views/view_state.h"

namespace lumo {

// Memory policy: every (re)allocation leaves this much room beyond the need,
// and ensure_room grows once less than the low-water mark remains.
inline constexpr std::int32_t text_headroom = 2000;
inline constexpr std::int32_t index_headroom = 100;
inline constexpr std::int32_t text_low_water = 500;
inline constexpr std::int32_t index_low_water = 5;
// Scans may look up to three bytes past the text length; every buffer keeps
// at least this many spare bytes.
inline constexpr std::int32_t text_guard = 4;

inline constexpr std::size_t row_bytes = 256;       // 255 characters and a NUL
inline constexpr std::size_t title_bytes = 72;      // window title text
inline constexpr std::int32_t max_row_count = 4096; // rows a view may ask for

inline constexpr std::string_view entry_terminator = "\r\n\r\n";
inline constexpr std::string_view empty_entry = " \r\n\r\n";
inline constexpr std::string_view text_not_enough_memory = "Not enough memory free!";
inline constexpr std::string_view initial_status_text = "XXXXXXXX Entries";

using Row = std::array<char, row_bytes>;

// Decides whether an allocation of `bytes` may be attempted; tests and fuzz
// targets install one to make growth fail. Empty means always try.
using AllocationGate = std::function<bool(std::size_t bytes)>;

// An owned array of `capacity` elements. Contents are not initialised.
template <typename T>
class Block {
public:
    Block() = default;
    T* data() { return items_.get(); }
    const T* data() const { return items_.get(); }
    std::int32_t capacity() const { return capacity_; }
    explicit operator bool() const { return items_ != nullptr; }
    void swap(Block& other) noexcept {
        items_.swap(other.items_);
        std::swap(capacity_, other.capacity_);
    }
    void reset() {
        items_.reset();
        capacity_ = 0;
    }

    // Allocates without throwing; an empty block when the gate refuses or
    // memory is short.
    static Block allocate(std::int32_t capacity, const AllocationGate& gate);

private:
    std::unique_ptr<T[]> items_;
    std::int32_t capacity_ = 0;
};

template <typename T>
Block<T> Block<T>::allocate(std::int32_t capacity, const AllocationGate& gate) {
    Block block;
    if (capacity <= 0) return block;
    const std::size_t bytes = static_cast<std::size_t>(capacity) * sizeof(T);
    if (gate && !gate(bytes)) return block;
    block.items_.reset(new (std::nothrow) T[static_cast<std::size_t>(capacity)]);
    if (block.items_) block.capacity_ = capacity;
    return block;
}

using TextBuffer = Block<char>;
using EntryIndex = Block<std::int32_t>;

// The entries status text for `count`: eight positions, leading zeros as
// blanks (the units always a digit), then " Entries".
std::array<char, 16> format_entries_status(std::int32_t count);

// Upper-cases a Windows-1252 byte. Mode 1: as CharUpperA does on code page
// 1252. Mode 2: first folds the umlauts to their plain vowels (A, O, U), then
// as mode 1 ("\xdf" stays). Other modes: unchanged.
std::uint8_t fold_char(std::uint8_t c, int mode);
// The whole mapping of a mode as a table, for tight comparison loops.
const std::array<std::uint8_t, 256>& fold_table(int mode);

// Byte replacements that never touch a line end: up to eight values, each
// 128 or above and replaced by another of 128 or above (the address file's
// letter code), so a terminator scan may run in the same pass.
struct Recoding {
    std::array<std::uint8_t, 8> from{};
    std::array<std::uint8_t, 8> to{};
    std::size_t count = 0;
};

// The byte-scanning kernels behind reindex and recode: a portable one and,
// where the build and the processor have them, SSE2 and AVX2 ones. They give
// identical results; the store uses the fastest. Asking for one that is not
// available runs the portable one.
enum class ScanKernel { portable, sse2, avx2 };
bool scan_kernel_available(ScanKernel kernel);
ScanKernel fastest_scan_kernel();

// Applies `recoding` to `length` bytes in place.
void recode(char* text, std::size_t length, const Recoding& recoding, ScanKernel kernel = fastest_scan_kernel());

// text[i] += pattern[i % period] (mod 256) for i < length: the cipher's key
// stream. `pattern` holds `period` bytes.
void add_repeating(char* text, std::size_t length, const std::uint8_t* pattern, std::size_t period,
                   ScanKernel kernel = fastest_scan_kernel());

// One pass over text[begin, end) of a text of `length` bytes: recodes those
// bytes when `recoding` is given, and writes to `ends` the end offset of
// every entry terminator that starts in [begin, end) at or after `next` and
// lies wholly inside the text, moving `next` behind each (so a scan resumes
// behind a match, across calls too). `ends` needs room for
// (end - begin) / 4 + 2 offsets. Returns how many were written.
std::size_t scan_text(ScanKernel kernel, char* text, std::int32_t length, std::int32_t begin, std::int32_t end,
                      std::int32_t& next, const Recoding* recoding, std::int32_t* ends);

// The offsets of the lines of the entry starting at `start`: `start` itself
// and every offset behind a CR LF whose next byte is 32 or above, up to the
// entry's terminator or the text end.
std::vector<std::int32_t> scan_line_starts(const char* text, std::int32_t length, std::int32_t start);
// The same into `starts` (replacing what it held), for a caller that scans
// many entries with one vector.
void scan_line_starts(const char* text, std::int32_t length, std::int32_t start, std::vector<std::int32_t>& starts);

// Which book a text belongs to: the file's name and password (the file
// commands keep them) with the window title and `modified` of the store.
// An undo snapshot carries the one it was taken in, so that Undo across a
// recent-file load brings the previous book back under its own name, and a
// save never writes one book's data under another's.
struct BookIdentity {
    std::array<char, file_name_bytes> file_name{};
    std::string file_password;
    std::array<char, title_bytes> title{};
    bool modified = false;
};

class Store {
public:
    // The store reaches the user through `port` and copies, swaps and resets
    // the view positions in `view`; both outlive the store. With `file`
    // (which outlives it too), undo snapshots also carry the book's name and
    // password.
    Store(Port& port, ViewState& view, FileState* file = nullptr);
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    AllocationGate allocation_gate;

    // ---- The text buffer ------------------------------------------------
    char* text() { return text_.data(); }
    const char* text() const { return text_.data(); }
    std::string_view text_view() const { return {text_.data(), static_cast<std::size_t>(text_length_)}; }
    std::int32_t text_length() const { return text_length_; }
    std::int32_t text_capacity() const { return text_.capacity(); }
    // For callers that edit the buffer in place: the new length must leave
    // text_guard spare bytes. Follow a change of entries with reindex and
    // invalidate_current_entry.
    void set_text_length(std::int32_t length);
    // Grows the buffer (keeping its bytes) so that `length` bytes fit with
    // the usual headroom; shows "Not enough memory free!" and returns false,
    // changing nothing, when that fails. No-op when the room is there.
    bool grow_text(std::int32_t length);
    // Makes sure `extra_bytes` more text and `extra_entries` more entries fit
    // (growing with the usual headroom); on failure shows "Not enough memory
    // free!" and returns false with nothing changed.
    bool reserve(std::int32_t extra_bytes, std::int32_t extra_entries);
    // A fresh buffer from the store's allocator (no message on failure).
    TextBuffer allocate_text(std::int32_t capacity);
    // Replaces the text buffer with `buffer` holding `length` bytes (at
    // least text_guard spare bytes required); bytes past the length are
    // zeroed, the current entry is invalidated, the store is live. Call
    // reindex afterwards.
    void adopt_text(TextBuffer buffer, std::int32_t length);
    // The same for `length` bytes written straight into text(): the buffer
    // stays, the guard bytes behind the text are zeroed.
    void adopt_length(std::int32_t length);

    // ---- The entry index ------------------------------------------------
    const std::int32_t* entry_index() const { return index_.data(); }
    // Start of entry k, 0 <= k <= entry_count() + 1 (the last is text length).
    std::int32_t entry_start(std::int32_t k) const { return index_.data()[k]; }
    std::int32_t entry_count() const { return entry_count_; }
    // For an operation that works out the new entry starts itself (while
    // removing whole entries) and hands them to reindex_known.
    std::int32_t* entry_index_for_rewrite() { return index_.data(); }
    std::int32_t index_capacity() const { return index_.capacity(); }

    // ---- Current entry and its lines ------------------------------------
    std::int32_t current_entry() const { return current_entry_; }
    // Forces show_entry to rebuild the line index (after any change that
    // moves entries).
    void invalidate_current_entry() { current_entry_ = -1; }
    // line_index()[0 .. line_count()-1] are line starts; slots after them
    // hold -1 (line_count() + 100 slots in all).
    const std::vector<std::int32_t>& line_index() const { return line_index_; }
    std::int32_t line_count() const { return line_count_; }
    // Start of line `line` of the current entry, or -1 when it has no such line.
    std::int32_t line_start(std::int32_t line) const;

    // ---- Row caches -------------------------------------------------------
    const Row& data_view_row(std::int32_t row) const { return data_view_rows_[static_cast<std::size_t>(row)]; }
    const Row& overview_row(std::int32_t row) const { return overview_rows_[static_cast<std::size_t>(row)]; }
    std::int32_t data_view_row_count() const { return static_cast<std::int32_t>(data_view_rows_.size()); }
    std::int32_t overview_row_count() const { return static_cast<std::int32_t>(overview_rows_.size()); }

    // ---- Flags and texts --------------------------------------------------
    bool modified = false;
    bool sort_pending = false;
    // While set, reindex leaves the status text and the title alone (sort
    // keeps "Sortieren..." in the status bar).
    bool sort_running = false;
    bool store_released() const { return released_; }
    std::string_view entries_status_text() const { return {status_text_.data(), 16}; }
    // Character 0 is the modified marker ('*' or ' '); the file part from
    // character 1 on is written by whoever builds the title. NUL-terminated.
    std::array<char, title_bytes>& window_title_text() { return title_; }
    const std::array<char, title_bytes>& window_title_text() const { return title_; }
    // Sets the marker and, when the main window exists, shows the title.
    void set_modified_marker(bool on);
    void show_title();

    Port& port() { return port_; }
    ViewState& view() { return view_; }

    // ---- Operations -------------------------------------------------------
    // Allocates the empty store (2000 bytes, 100 slots, zeroed). On failure
    // shows "Not enough memory free!", leaves the store released and returns
    // false: the caller ends the program.
    bool reset_store();
    // Frees text and index (and any undo snapshot); the store is released.
    void release_store();
    // Rebuilds the entry index from the text, refreshes the status text and
    // title (unless sort_running), sets modified. Returns the entry count.
    // Grows the index itself when it is too small.
    std::int32_t reindex();
    // Applies `recoding` to the whole text, then reindexes: one pass over
    // the text for both.
    std::int32_t recode_and_reindex(const Recoding& recoding);
    // The same for a caller that removed whole entries and knows where the
    // remaining ones start (`starts`: entry count + 1 offsets, 0 first, the
    // end of the last entry last), so the text is not scanned again. They
    // may already stand in entry_index_for_rewrite().
    std::int32_t reindex_known(std::span<const std::int32_t> starts);
    // For a reader that finds the entry ends itself while the text arrives:
    // writes `found` of them behind the first `count` in the index, growing
    // it as reindex does; reindex_appended(total) then ends the rebuild.
    void append_entry_ends(std::int32_t count, const std::int32_t* ends, std::size_t found);
    std::int32_t reindex_appended(std::int32_t count);
    // Grows text and index when less than the low-water room remains.
    void ensure_room();
    // Makes the entry at `entry_start` current and fills the data view rows:
    // row 0 the heading line, row r (1 <= r < rows) line first_line + r.
    void show_entry(std::int32_t rows, std::int32_t entry_start, std::int32_t first_line);
    // Row r holds the heading line of entry first_entry + r (empty past the end).
    void fill_overview_rows(std::int32_t rows, std::int32_t first_entry);
    // Undo: copy text, index, view positions and the book's identity
    // (silently nothing when memory is short); swap them with the live ones;
    // drop the copy.
    void take_undo_snapshot();
    void swap_undo_snapshot();
    void discard_undo_snapshot();
    // Greys Copy and Cut once neither a text block nor an entry range is
    // marked: dropping one mark must not disable the commands for the other.
    void grey_copy_and_cut_when_unmarked();
    bool has_undo_snapshot() const { return undo_.present; }
    // The new-entry command: " " CR LF CR LF in front of the selected entry,
    // the data view becomes active. A type-ahead in progress is the caller's
    // to end first.
    void insert_empty_entry();

    // Verifies every structural invariant; on failure returns false and, when
    // `why` is given, says which.
    bool check(std::string* why = nullptr) const;

private:
    struct UndoSnapshot {
        TextBuffer text;
        std::int32_t text_length = 0;
        EntryIndex index;
        ViewState view;
        BookIdentity book;
        bool present = false;
    };

    BookIdentity book_identity() const;
    void adopt_book_identity(const BookIdentity& book);

    bool resize_text(std::int64_t capacity);
    bool resize_index(std::int64_t slots);
    void copy_index(EntryIndex& to) const;
    void build_line_index(std::int32_t entry_start);
    void fill_row(Row& row, std::int32_t start) const;
    void clear_text_block();
    std::int32_t scan_entries(const Recoding* recoding);
    std::int32_t finish_reindex(std::int32_t count);

    Port& port_;
    ViewState& view_;
    FileState* file_;
    TextBuffer text_;
    std::int32_t text_length_ = 0;
    EntryIndex index_;
    std::int32_t entry_count_ = 0;
    bool released_ = true;
    std::int32_t current_entry_ = -1;
    std::vector<std::int32_t> line_index_;
    std::int32_t line_count_ = 0;
    std::vector<Row> data_view_rows_;
    std::vector<Row> overview_rows_;
    std::array<char, 17> status_text_{};
    std::array<char, title_bytes> title_{};
    UndoSnapshot undo_;
};

}  // namespace lumo

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
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/block.h"
#include "data/common_prefixes.h"
#include "data/entry_starts.h"
#include "data/file_state.h"
#include "data/split_text.h"
#include "port/port.h"
#include "views/view_state.h"

namespace lumo {

// Memory policy: every (re)allocation leaves this much room beyond the need,
// and ensure_room grows once less than the low-water mark remains.
inline constexpr std::int32_t text_headroom = 2000;
inline constexpr std::int32_t index_headroom = 100;
inline constexpr std::int32_t text_low_water = 500;
inline constexpr std::int32_t index_low_water = 5;

inline constexpr std::size_t row_bytes = 256;       // 255 characters and a NUL
inline constexpr std::size_t title_bytes = 72;      // window title text
inline constexpr std::int32_t max_row_count = 4096; // rows a view may ask for

inline constexpr std::string_view entry_terminator = "\r\n\r\n";
inline constexpr std::string_view empty_entry = " \r\n\r\n";
inline constexpr std::string_view text_not_enough_memory = "Not enough memory free!";
inline constexpr std::string_view initial_status_text = "XXXXXXXX Entries";

using Row = std::array<char, row_bytes>;

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
std::vector<std::int32_t> scan_line_starts(const SplitText& text, std::int32_t start);
// The text of each of those lines of `entry` up to its first control
// character, into `lines` (replacing what it held), for a caller that reads
// many entries with one vector.
void scan_line_texts(std::string_view entry, std::vector<std::string_view>& lines);

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

    // ---- Reading the text -------------------------------------------------
    // The text keeps a gap at the last edit. Reading a byte or copying a
    // range costs nothing more for it; a range in one piece may move the gap
    // (by at most the range's length) and the whole text in one piece closes
    // it (moving the bytes behind it once). Closing the gap changes no byte
    // of the text, so these are const.
    std::int32_t text_length() const { return text_.length(); }
    std::int32_t text_capacity() const { return text_.capacity(); }
    // Byte p, 0 <= p < text_length().
    char char_at(std::int32_t p) const { return text_.at(p); }
    // The same, NUL past the end of the text.
    char char_at_or_nul(std::int32_t p) const { return p >= 0 && p < text_.length() ? text_.at(p) : '\0'; }
    void copy_text(std::int32_t from, std::int32_t to, char* out) const { text_.copy_out(from, to, out); }
    // The bytes [from, to) in one piece (clamped to the text). A view of
    // another range that does not overlap this one stays valid; any change
    // of the text ends them all.
    std::string_view text_range(std::int32_t from, std::int32_t to) const;
    // The whole text in one piece.
    std::string_view text_view() const;
    // The text as it stands, in the two runs before and behind its gap.
    std::string_view text_before_gap() const { return text_.before_gap(); }
    std::string_view text_after_gap() const { return text_.after_gap(); }
    // The line starts of the entry beginning at `entry_start`, as
    // scan_line_starts finds them.
    std::vector<std::int32_t> line_starts_of(std::int32_t entry_start) const {
        return scan_line_starts(text_, entry_start);
    }

    // ---- Changing the text ------------------------------------------------
    // Replaces the `removed` bytes at `at` with `bytes`: the way edits change
    // the text. The entry index follows at once (only the entries around the
    // edit are scanned) and an undo snapshot records the change. Grows the
    // buffer when it must; when that fails shows "Not enough memory free!"
    // and returns false with nothing changed. Follow with reindex, which
    // then only reports.
    bool replace_text(std::int32_t at, std::int32_t removed, std::string_view bytes);
    // The text in one piece for a rewrite in place (the whole of it, or a
    // new length written behind it): an undo snapshot becomes a copy of the
    // text as it was, the entry index is rebuilt by the next reindex. Set a
    // new length with set_text_length (within the capacity less text_guard).
    char* rewrite_text();
    void set_text_length(std::int32_t length);
    // Applies `recoding` to the whole text. Its bytes never touch a line
    // end, so the entry index stays as it is.
    void recode_text(const Recoding& recoding);
    // Grows the buffer so that `length` bytes fit with the usual headroom;
    // shows "Not enough memory free!" and returns false, changing nothing,
    // when that fails. No-op when the room is there.
    bool grow_text(std::int32_t length);
    // Makes sure `extra_bytes` more text and `extra_entries` more entries fit
    // (growing with the usual headroom); on failure shows "Not enough memory
    // free!" and returns false with nothing changed.
    bool reserve(std::int32_t extra_bytes, std::int32_t extra_entries);
    // A fresh buffer from the store's allocator (no message on failure).
    TextBuffer allocate_text(std::int32_t capacity);
    // Replaces the text buffer with `buffer` holding `length` bytes (at
    // least text_guard spare bytes required); bytes past the length are
    // zeroed, the current entry is invalidated, the store is live. An undo
    // snapshot keeps the text it was taken from (the old buffer becomes it).
    // Call reindex (or reindex_known) afterwards.
    void adopt_text(TextBuffer buffer, std::int32_t length);
    // The same for `length` bytes written through rewrite_text(): the buffer
    // stays, the guard bytes behind the text are zeroed.
    void adopt_length(std::int32_t length);

    // ---- The entry index ------------------------------------------------
    // Every slot in one array (0, the entry starts, the text length).
    const std::int32_t* entry_index() const { return index_.settled(); }
    // Start of entry k, 0 <= k <= entry_count() + 1 (the last is text length).
    std::int32_t entry_start(std::int32_t k) const { return index_.at(k); }
    // The entry holding offset `position` (entry_count() for text behind
    // the last entry).
    std::int32_t entry_at(std::int32_t position) const { return index_.entry_at(position); }
    std::int32_t entry_count() const { return index_.count(); }
    // For an operation that works out the new entry starts itself (while
    // removing whole entries) and hands them to reindex_known.
    std::int32_t* entry_index_for_rewrite() { return index_.settled(); }
    std::int32_t index_capacity() const { return index_.capacity(); }

    // How many folded bytes (sort folding) each heading shares with the one
    // before it, worked out from the text when it changed since.
    const CommonPrefixes& heading_prefixes() const;
    // For sort, which knows them for the order it made: the bytes shared
    // with the heading before and the first folded byte of each heading.
    void set_heading_prefixes(std::vector<std::uint8_t> shared, std::vector<std::uint8_t> first);

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
    // Frees text and index; the store is released. An undo snapshot keeps
    // the text it was taken from.
    void release_store();
    // Rebuilds the entry index from the text where a rewrite left it stale
    // (edits through replace_text keep it current), refreshes the status
    // text and title (unless sort_running), sets modified. Returns the entry
    // count. Grows the index itself when it is too small.
    std::int32_t reindex();
    // Applies `recoding` to the whole text, then reindexes: one pass over
    // the text for both.
    std::int32_t recode_and_reindex(const Recoding& recoding);
    // The same for a caller that rewrote whole entries and knows where they
    // start (`starts`: entry count + 1 offsets, 0 first, the end of the last
    // entry last), so the text is not scanned again. They may already stand
    // in entry_index_for_rewrite().
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

    // Undo: take_undo_snapshot records the state to come back to (nothing,
    // silently, when memory is short): for the edits that follow through
    // replace_text, the ranges they change; when the text is rewritten or
    // replaced as a whole, a copy of it; and the book's identity. swap
    // exchanges that state with the live one, so a second swap comes back
    // (the view positions and the identity swap too); discard drops it.
    void take_undo_snapshot();
    void swap_undo_snapshot();
    void discard_undo_snapshot();
    bool has_undo_snapshot() const { return undo_.kind != UndoKind::absent; }
    // Whether a rewrite of the text in place would first copy it for the
    // undo snapshot (one of edited ranges needs the text as it was).
    bool rewrite_copies_undo_text() const { return undo_.kind == UndoKind::changes; }
    // Greys Copy and Cut once neither a text block nor an entry range is
    // marked: dropping one mark must not disable the commands for the other.
    void grey_copy_and_cut_when_unmarked();
    // The new-entry command: " " CR LF CR LF in front of the selected entry,
    // the data view becomes active. A type-ahead in progress is the caller's
    // to end first.
    void insert_empty_entry();

    // Verifies every structural invariant; on failure returns false and, when
    // `why` is given, says which.
    bool check(std::string* why = nullptr) const;

private:
    enum class UndoKind { absent, changes, copy };
    // One change since the snapshot: at `at` the text now holds
    // `live_length` bytes where the snapshot held `snapshot_bytes`.
    struct UndoChange {
        std::int32_t at = 0;
        std::int32_t live_length = 0;
        std::string snapshot_bytes;
    };
    struct UndoSnapshot {
        UndoKind kind = UndoKind::absent;
        std::vector<UndoChange> changes;  // kind changes, in the order made
        SplitText text;                   // kind copy
        ViewState view;
        BookIdentity book;
    };

    BookIdentity book_identity() const;
    void adopt_book_identity(const BookIdentity& book);

    bool resize_text(std::int64_t capacity);
    bool resize_index(std::int64_t slots);
    void build_line_index(std::int32_t entry_start);
    void fill_row(Row& row, std::int32_t start) const;
    void clear_text_block();
    std::int32_t scan_entries(const Recoding* recoding);
    std::int32_t finish_reindex(std::int32_t count);
    void splice(std::int32_t at, std::int32_t removed, std::string_view bytes);
    void reindex_around(std::int32_t at, std::int32_t removed, std::int32_t inserted);
    void scan_inserted(std::int32_t& from, std::int32_t inserted_end, std::vector<std::int32_t>& found) const;
    void record_change(std::int32_t at, std::int32_t removed, std::int32_t inserted);
    bool rewind_changes(SplitText& text);
    bool swap_changes();
    void keep_undo_text(SplitText& outgoing);
    void copy_undo_text();
    bool check_undo(std::string* why) const;
    void text_changed() { heading_prefixes_current_ = false; }

    Port& port_;
    ViewState& view_;
    FileState* file_;
    // Mutable: reading the text in one piece moves its gap and reading the
    // raw index settles its step; neither changes what they hold.
    mutable SplitText text_;
    mutable EntryStarts index_;
    // True while the index does not describe the text (after a rewrite in
    // place, until the next reindex).
    bool index_stale_ = false;
    mutable CommonPrefixes heading_prefixes_;
    mutable bool heading_prefixes_current_ = false;
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

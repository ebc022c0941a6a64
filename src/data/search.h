// Search and replace in the text buffer: find the next place where a text
// stands, in one of four directions, and show it as the marked text block of
// the data view; put a replacement in place of one hit or of every hit,
// breaking lines so that none grows past 255 characters.
//
// The text-level pieces (the needle, the scan, the writing of a replacement,
// the one-pass rebuild) work on plain byte arrays; the Search class drives
// them on the store and moves the views.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "views/data_view_metrics.h"

namespace lumo {

class Store;

inline constexpr std::size_t search_text_limit = 50;           // from the dialogs
inline constexpr std::size_t calendar_search_text_limit = 51;  // from the calendar
inline constexpr std::int32_t line_limit = 255;

inline constexpr std::string_view text_no_search_text = "No searching-text defined!";
inline constexpr std::string_view text_nothing_found = "No adequate entry found!";
inline constexpr std::string_view text_search_whole_data =
    "No adequate entry found!\nDo want to search in whole Data?";
inline constexpr std::string_view text_searching = "Suchen...";
inline constexpr std::string_view text_replacing = "Suchen/Ersetzen...";
inline constexpr std::string_view text_replacing_all = "Alles ersetzen...";

enum class SearchDirection : std::uint8_t {
    backward = 0,       // stops at the first byte
    forward = 1,        // stops at the last byte
    backward_wrap = 2,  // goes round once
    forward_wrap = 3,   // goes round once
};

constexpr bool is_forward(SearchDirection d) {
    return d == SearchDirection::forward || d == SearchDirection::forward_wrap;
}

// What the Search dialog sets. Kept for the run, never saved.
struct SearchSettings {
    std::string text;
    SearchDirection direction = SearchDirection::forward_wrap;
    bool ignore_case = true;
};

// What the Replace dialog sets; separate from the search settings.
struct ReplaceSettings {
    std::string text;
    std::string replacement;
    SearchDirection direction = SearchDirection::forward_wrap;
    bool ignore_case = true;
    bool replace_all = false;
};

enum class ReplaceScope { whole_data = 0, current_entry = 1 };

// ---- Text level -------------------------------------------------------------

// A search text ready for matching. A hit never spans a line end: any byte
// below 32 on either side fails the match, so a needle holding one never
// matches. With ignore_case both sides are upper-cased as CharUpperA does.
class Needle {
public:
    Needle(std::string_view text, bool ignore_case);

    std::int32_t size() const { return static_cast<std::int32_t>(folded_.size()); }
    bool can_match() const { return can_match_; }
    // Whether the needle stands at `p` (bytes at or past `length` never match).
    bool matches_at(const char* text, std::int32_t length, std::int32_t p) const;
    // The first hit starting in [from, to), or -1.
    std::int32_t find_forward(const char* text, std::int32_t length, std::int32_t from, std::int32_t to) const;
    // The last hit starting in [to, from] (scanning down from `from`), or -1.
    std::int32_t find_backward(const char* text, std::int32_t length, std::int32_t from, std::int32_t to) const;

private:
    std::int32_t next_candidate(const char* text, std::int32_t from, std::int32_t to) const;

    std::string folded_;
    const std::uint8_t* fold_;      // 256 entries
    std::uint8_t first_[2] = {0, 0};  // the raw bytes that fold to the first byte
    int first_count_ = 0;
    bool can_match_ = false;
};

// The first hit met when scanning [lo, hi) from `start` in `direction`:
// forward tests `start` first; backward first steps one byte back. The
// wrapping directions go round once and stop where they began.
std::int32_t scan(const Needle& needle, const char* text, std::int32_t length, std::int32_t lo, std::int32_t hi,
                  std::int32_t start, SearchDirection direction);

// Line and column of `offset` within the entry starting at `entry_start`:
// lines count the CRs before it, the column the bytes of 32 or more since
// the last one.
struct LineColumn {
    std::int32_t line = 0;
    std::int32_t column = 0;
};
LineColumn locate(const char* text, std::int32_t entry_start, std::int32_t offset);

// Number of characters (bytes of 32 or more) from `from` to the line's CR,
// counted up to 255.
std::int32_t rest_of_line(const char* text, std::int32_t length, std::int32_t from);

// What writing a replacement produced.
struct Insertion {
    std::int32_t size = 0;          // bytes written
    std::int32_t breaks = 0;        // CR LFs inserted
    std::int32_t caret_column = 0;  // column behind the last replacement byte
};

// The most bytes write_replacement can produce for a replacement of `size`.
constexpr std::int32_t max_insertion_size(std::int32_t size) { return 3 * size + 1; }

// Writes what takes the place of a deleted hit: the replacement's characters
// (bytes below 32 are left out), with a CR LF in front of a character that
// would bring its line to 255 with the `rest` characters that follow the
// hit; `column` is the hit's column. When the hit was its whole line
// (`emptied`), the line keeps a blank behind the replacement, and that blank
// counts as the rest. A break never leaves an empty line.
Insertion write_replacement(std::string_view replacement, std::int32_t column, std::int32_t rest, bool emptied,
                            char* out);

// Whether deleting [hit, hit + size) at `column` leaves its line empty.
bool empties_line(const char* text, std::int32_t length, std::int32_t column, std::int32_t hit_end);

// Every hit in [from, to) met scanning forward and resuming right behind each
// hit (hits do not overlap).
std::vector<std::int32_t> collect_hits_forward(const Needle& needle, const char* text, std::int32_t length,
                                               std::int32_t from, std::int32_t to);

// Room write_replacements needs for `hit_count` hits.
std::int64_t rebuilt_size_bound(std::int32_t length, std::size_t hit_count, std::int32_t needle_size,
                                std::int32_t replacement_size);

// Copies in[0, length) to `out` with every hit of `hits` (ascending, not
// overlapping, each `needle_size` long) replaced as one replacement at a
// time, front to back, would leave it; `in` must start at a line start.
// Returns the new length. One pass over the text plus the work per hit.
std::int32_t write_replacements(const char* in, std::int32_t length, std::span<const std::int32_t> hits,
                                std::int32_t needle_size, std::string_view replacement, char* out);

// Replaces, in `entry` (one entry's text), every hit met scanning backward
// from its end, one at a time: after each the scan goes on in front of the
// hit. Returns the number of replacements.
std::int32_t replace_backward(std::string& entry, const Needle& needle, std::string_view replacement);

// ---- On the store ---------------------------------------------------------------

class Search {
public:
    // Works on `store` (its text, port and view positions), which outlives
    // this object.
    explicit Search(Store& store);
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;

    SearchSettings search_settings;
    ReplaceSettings replace_settings;

    // The shell's measurements of the data view (fixed cells until then);
    // `metrics` must outlive this object.
    void set_metrics(const DataViewMetrics& metrics) { metrics_ = &metrics; }

    // Called instead of searching when Search again / Repeat replace find
    // no search text (they open the dialog then).
    std::function<void()> open_search_dialog;
    std::function<void()> open_replace_dialog;

    // Sets the search text, cut to `limit` characters.
    void set_search_text(std::string_view text, std::size_t limit = search_text_limit);

    // Find next with the search settings; the hit becomes the text block.
    void search();
    // Search again (Ctrl+G): the dialog when there is no search text yet.
    void repeat_search();
    // The calendar's request to look up `text` (up to 51 characters).
    void search_request(std::string_view text);

    // Replace with the replace settings over the whole data or the entry
    // shown in the data view.
    void replace(ReplaceScope scope);
    // Repeat replace (Alt+G): the dialog when there is no search text yet.
    void repeat_replace(ReplaceScope scope);

private:
    struct Hit {
        std::int32_t offset = -1;
        std::int32_t entry = 0;
        LineColumn at;
    };

    std::int32_t clamped_selected_entry() const;
    std::int32_t caret_offset(std::int32_t entry) const;
    std::int32_t end_of_entries() const;
    Hit hit_at(std::int32_t offset, std::int32_t entry) const;
    void set_status(std::string_view text);
    void restore_status();
    void tell(std::string_view text);
    void select_hit_entry(const Hit& hit);
    void mark_hit(const Hit& hit, std::int32_t size, SearchDirection direction);
    void scroll_caret_into_view();
    void make_data_view_active();
    void make_overview_active();
    bool splice(std::int32_t from, std::int32_t to, std::string_view bytes);

    bool replace_once(ReplaceScope scope, const Needle& needle);
    std::int32_t replace_all_in_data(const Needle& needle);
    std::int32_t replace_all_in_entry(const Needle& needle);
    void finish_replace_all(std::int32_t count);

    Store& store_;
    FixedDataViewMetrics fixed_metrics_;
    const DataViewMetrics* metrics_ = &fixed_metrics_;
};

}  // namespace lumo

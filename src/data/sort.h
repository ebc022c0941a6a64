// Sort and data check: keep the entries in the alphabetical order of their
// heading lines, and drop entries that are exact copies of their successor.
//
// The order is the one an insertion sort with a moving finger produces (an
// entry is compared first with the one placed just before it, then walks left
// or right). Because a heading that is a prefix of another compares equal to
// it, that order depends on the present order of the entries; the functions
// here reproduce it exactly, in O(n log n), without shifting bytes per entry.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace lumo {

class Store;

enum class HeadingOrder : signed char { less = -1, equal = 0, greater = 1 };

// Byte folding used when headings are compared (fold char mode 2 of every
// byte value).
using FoldTable = std::array<std::uint8_t, 256>;
const FoldTable& sort_fold_table();

// A heading line ends at its first byte below 32 and counts at most 255 bytes.
constexpr std::int32_t heading_columns = 255;
std::int32_t heading_length(const std::uint8_t* entry);

// Compares the heading lines that start at `a` and `b`: the first column where
// the folded bytes differ decides; when either heading ends first (or both
// agree over 255 columns) they are equal.
HeadingOrder compare_headings(const std::uint8_t* a, const std::uint8_t* b,
                              const FoldTable& fold = sort_fold_table());

// The text as two runs of bytes, one behind the other (the store's text
// around its gap; a text in one piece has an empty second run).
struct TextParts {
    std::string_view before, after;
};

// The sorted order of the entries: element p is the number (in the present
// order) of the entry that ends up at position p. `entry_starts` holds the
// start of every entry plus, last, the end of the last entry.
// What the type-ahead search learns from a sort: in the sorted order, how
// many folded bytes each heading shares with the one before it, and the
// first folded byte of each (the byte itself below 32).
struct HeadingNeighbours {
    std::vector<std::uint8_t> shared, first;
};
// With `neighbours`, those are filled in too. The working arrays live in
// `room` as far as they fit (the buffer the sorted text will be written to:
// their pages are then the text's); it is left holding garbage.
std::vector<std::int32_t> sorted_entry_order(const TextParts& text, std::span<const std::int32_t> entry_starts,
                                             const FoldTable& fold = sort_fold_table(),
                                             HeadingNeighbours* neighbours = nullptr, std::span<char> room = {});
// The same on a text in one piece.
std::vector<std::int32_t> sorted_entry_order(const std::uint8_t* text, std::span<const std::int32_t> entry_starts,
                                             const FoldTable& fold = sort_fold_table());

// The ways the order is worked out, each giving the same order: the
// finger's walk on a linked list, a list of blocks over ranks, a tree over
// ranks. sorted_entry_order uses the first that stays cheap; tests compare
// each on its own.
enum class OrderWay { walk, blocks, tree };
std::vector<std::int32_t> sorted_entry_order_by(OrderWay way, const std::uint8_t* text,
                                                std::span<const std::int32_t> entry_starts);

// Writes the entries in `order` one after the other into `out`, followed by
// the bytes from `tail_start` to `text_length` (text that belongs to no
// entry). `out` must hold `text_length` bytes.
void gather_entries(const std::uint8_t* text, std::span<const std::int32_t> entry_starts,
                    std::span<const std::int32_t> order, std::int32_t tail_start,
                    std::int32_t text_length, std::uint8_t* out);

// Writing the entries in `order` over the text they come from, one after
// the other from the first entry's start, keeps aside the bytes that are to
// be written over before they have moved: at most this many at once. An
// order that moves entries only a little way needs little room; a book in
// random order needs nearly its whole text.
std::int64_t room_to_gather_in_place(std::span<const std::int32_t> entry_starts, std::span<const std::int32_t> order);
// Does that with `aside` of that room (at least one byte), and writes over
// `order` where each entry now starts. The text behind the last entry stays.
void gather_in_place(char* text, std::span<const std::int32_t> entry_starts, std::span<std::int32_t> order,
                     std::span<char> aside);

// Removes, in place, every entry that equals its successor byte for byte (of
// a run of identical neighbours the last one remains); text behind the last
// entry moves along. `kept_starts` (room for as many slots as `entry_starts`;
// it may be the same array) receives the new start of every remaining entry
// and then the end of the last one.
struct DuplicateRemoval {
    std::int32_t text_length;
    std::int32_t entry_count;
};
DuplicateRemoval remove_duplicate_neighbours(std::uint8_t* text, std::int32_t text_length,
                                             std::span<const std::int32_t> entry_starts,
                                             std::int32_t* kept_starts);

// Puts the entries into heading order. Clears `sort pending`; keeps
// `modified` and the title marker; shows "Sortieren..." while it runs; the
// overview's cursor row follows the selected entry and the data view shows it
// from its top. When no second buffer can be had: "Not enough memory free!"
// and the store is unchanged.
void sort(Store& store);

// Removes entries that equal their successor, gives the buffer its usual
// headroom again, resets both views and their marks, reindexes (so the data
// are modified) and repaints.
void data_check(Store& store);

}  // namespace lumo

// How many folded bytes each heading shares with the heading before it, and
// where the next entry is whose heading shares at most a given number. The
// type-ahead search uses it to pass over the entries that would behave
// exactly as the one before them, so that in a sorted book a typed
// character looks at a few entries instead of all of them.
#pragma once

#include <cstdint>
#include <vector>

namespace lumo {

class CommonPrefixes {
public:
    // `shared[i]`: the folded bytes heading i shares with heading i - 1
    // (0 for the first entry); `first[i]`: the first folded byte of heading
    // i (the byte itself when it is below 32: no heading).
    void assign(std::vector<std::uint8_t> shared, std::vector<std::uint8_t> first);
    std::int32_t count() const { return static_cast<std::int32_t>(shared_.size()); }
    // The first entry at or after `from` that shares at most `bound` bytes
    // with its predecessor, or count() when there is none.
    std::int32_t next_at_most(std::int32_t from, std::int32_t bound) const;
    // The first entry at or after `from` whose heading begins with the
    // folded byte `c`, or count().
    std::int32_t next_beginning_with(std::int32_t from, std::uint8_t c) const;
    // The first entry whose heading begins with a folded byte above `c`
    // (and not below 32), or -1.
    std::int32_t first_beginning_above(std::uint8_t c) const;

private:
    std::vector<std::uint8_t> shared_;
    std::vector<std::uint8_t> block_least_;  // the least of every 64
    std::vector<std::uint8_t> group_least_;  // the least of every 64 blocks
    std::vector<std::uint8_t> first_;
    std::vector<std::uint8_t> block_first_most_;  // the largest first byte of every 64
};

}  // namespace lumo

// The text buffer as editors keep their text: one block with a gap at the
// edit position (Scintilla's SplitVector is the model). The bytes before the
// gap stand at the start of the block, the bytes behind it at the block's
// end, so an insertion or removal near the gap moves only the bytes between
// the gap and the edit, whatever the size of the text. Whoever needs the
// text in one piece closes the gap first (it moves to the end), which moves
// the bytes behind it once.
#pragma once

#include <cstdint>
#include <string_view>

#include "data/block.h"

namespace lumo {

// Scans may look up to three bytes past the text length; every buffer keeps
// at least this many spare bytes.
inline constexpr std::int32_t text_guard = 4;

class SplitText {
public:
    SplitText() = default;
    // Takes a block whose first `length` bytes are the text (at least
    // text_guard spare bytes behind them).
    SplitText(TextBuffer block, std::int32_t length);

    explicit operator bool() const { return static_cast<bool>(block_); }
    std::int32_t length() const { return length_; }
    std::int32_t capacity() const { return block_.capacity(); }
    // Where the gap stands: the text bytes before it.
    std::int32_t gap_position() const { return part1_; }
    // Bytes that can be inserted before the block must grow.
    std::int32_t room() const { return block_.capacity() - text_guard - length_; }

    // The text as the two runs of bytes before and behind the gap.
    std::string_view before_gap() const { return {block_.data(), static_cast<std::size_t>(part1_)}; }
    std::string_view after_gap() const {
        return {block_.data() + part1_ + gap_length(), static_cast<std::size_t>(length_ - part1_)};
    }
    // Byte p of the text, 0 <= p < length().
    char at(std::int32_t p) const { return p < part1_ ? block_.data()[p] : block_.data()[p + gap_length()]; }
    // The first offset in [from, to) holding `c`, or -1.
    std::int32_t find(char c, std::int32_t from, std::int32_t to) const;
    // Copies the bytes [from, to) to `out`.
    void copy_out(std::int32_t from, std::int32_t to, char* out) const;

    // The bytes [from, to) in one piece. When the range straddles the gap
    // the gap moves to its start, so a view of another range that does not
    // overlap this one stays valid; any change of the text ends them all.
    std::string_view range(std::int32_t from, std::int32_t to);
    // The whole text in one piece, the gap closed behind it.
    char* contiguous();
    // Zeroes the text_guard bytes behind the text (the gap must be closed).
    void zero_guard();

    // Insert needs room() >= bytes; remove needs at + count <= length().
    void insert(std::int32_t at, std::string_view bytes);
    void remove(std::int32_t at, std::int32_t count);
    // The length of a text rewritten in place through contiguous(); the
    // gap must be closed (it is after contiguous()).
    void set_length(std::int32_t length);

    // Moves the text into a new block of `capacity` bytes (at least length()
    // + text_guard), the gap where it was. False, nothing changed, when the
    // allocation fails.
    bool reallocate(std::int32_t capacity, const AllocationGate& gate);
    void swap(SplitText& other) noexcept;
    void reset();
    // Hands the block out with the text in one piece at its start.
    TextBuffer release();

private:
    std::int32_t gap_length() const { return block_.capacity() - length_; }
    void move_gap(std::int32_t position);

    TextBuffer block_;
    std::int32_t length_ = 0;
    std::int32_t part1_ = 0;  // the gap starts here
};

}  // namespace lumo

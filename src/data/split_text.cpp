// The text buffer with a gap: moving the gap, edits at it, reads across it.
#include "data/split_text.h"

#include <algorithm>
#include <cstring>

#include "data/paste.h"

namespace lumo {

SplitText::SplitText(TextBuffer block, std::int32_t length)
    : block_(std::move(block)), length_(length), part1_(length) {}

void SplitText::move_gap(std::int32_t position) {
    if (position == part1_) return;
    char* b = block_.data();
    const std::int32_t gap = gap_length();
    if (position < part1_)
        std::memmove(b + position + gap, b + position, static_cast<std::size_t>(part1_ - position));
    else
        std::memmove(b + part1_, b + part1_ + gap, static_cast<std::size_t>(position - part1_));
    part1_ = position;
}

std::int32_t SplitText::find(char c, std::int32_t from, std::int32_t to) const {
    from = std::max(from, 0);
    to = std::min(to, length_);
    const char* b = block_.data();
    if (from < part1_) {
        const std::int32_t end = std::min(to, part1_);
        if (const char* hit = find_byte(b + from, b + end, c)) return static_cast<std::int32_t>(hit - b);
        from = part1_;
    }
    if (from >= to) return -1;
    const std::int32_t gap = gap_length();
    const char* hit = find_byte(b + from + gap, b + to + gap, c);
    return hit ? static_cast<std::int32_t>(hit - b) - gap : -1;
}

void SplitText::copy_out(std::int32_t from, std::int32_t to, char* out) const {
    if (from >= to) return;
    const char* b = block_.data();
    const std::int32_t split = std::clamp(part1_, from, to);
    std::memcpy(out, b + from, static_cast<std::size_t>(split - from));
    std::memcpy(out + (split - from), b + split + gap_length(), static_cast<std::size_t>(to - split));
}

std::string_view SplitText::range(std::int32_t from, std::int32_t to) {
    if (from >= to) return {};
    if (from < part1_ && to > part1_) move_gap(from);
    const std::int32_t at = from < part1_ ? from : from + gap_length();
    return {block_.data() + at, static_cast<std::size_t>(to - from)};
}

char* SplitText::contiguous() {
    if (!block_) return nullptr;
    move_gap(length_);
    return block_.data();
}

void SplitText::zero_guard() { std::memset(block_.data() + length_, 0, text_guard); }

void SplitText::insert(std::int32_t at, std::string_view bytes) {
    if (bytes.empty()) return;
    move_gap(at);
    std::memcpy(block_.data() + at, bytes.data(), bytes.size());
    part1_ += static_cast<std::int32_t>(bytes.size());
    length_ += static_cast<std::int32_t>(bytes.size());
}

void SplitText::remove(std::int32_t at, std::int32_t count) {
    if (count <= 0) return;
    if (at + count == part1_) {
        part1_ = at;  // the bytes just before the gap join it
    } else {
        move_gap(at);  // the bytes just behind the gap join it
    }
    length_ -= count;
}

void SplitText::set_length(std::int32_t length) {
    length_ = length;
    part1_ = length;
}

bool SplitText::reallocate(std::int32_t capacity, const AllocationGate& gate) {
    if (capacity < length_ + text_guard) return false;
    TextBuffer grown = TextBuffer::allocate(capacity, gate);
    if (!grown) return false;
    const std::int32_t part2 = length_ - part1_;
    if (block_) {
        std::memcpy(grown.data(), block_.data(), static_cast<std::size_t>(part1_));
        std::memcpy(grown.data() + capacity - part2, block_.data() + block_.capacity() - part2,
                    static_cast<std::size_t>(part2));
    }
    std::memset(grown.data() + part1_, 0, static_cast<std::size_t>(capacity - length_));
    block_.swap(grown);
    return true;
}

void SplitText::swap(SplitText& other) noexcept {
    block_.swap(other.block_);
    std::swap(length_, other.length_);
    std::swap(part1_, other.part1_);
}

void SplitText::reset() {
    block_.reset();
    length_ = 0;
    part1_ = 0;
}

TextBuffer SplitText::release() {
    contiguous();
    length_ = 0;
    part1_ = 0;
    TextBuffer out;
    out.swap(block_);
    return out;
}

}  // namespace lumo

// The common prefixes of neighbouring headings and the search for the next
// small one, by blocks of 64 and groups of 64 blocks.
#include "data/common_prefixes.h"

#include <algorithm>
#include <cstring>

namespace lumo {
namespace {

constexpr std::int32_t block = 64;

template <typename Pick>
std::vector<std::uint8_t> each_block(const std::vector<std::uint8_t>& values, Pick pick) {
    std::vector<std::uint8_t> picked((values.size() + block - 1) / block);
    for (std::size_t b = 0; b < picked.size(); ++b) {
        const auto from = values.begin() + static_cast<std::ptrdiff_t>(b * block);
        const auto to = values.begin() + static_cast<std::ptrdiff_t>(std::min(values.size(), (b + 1) * block));
        picked[b] = *pick(from, to);
    }
    return picked;
}

std::vector<std::uint8_t> least_of_each(const std::vector<std::uint8_t>& values) {
    return each_block(values, [](auto from, auto to) { return std::min_element(from, to); });
}

// The first index at or after `from` in [0, end) whose value is at most
// `bound`, looking at single values up to the next multiple of `step`.
std::int32_t first_at_most_in_step(const std::vector<std::uint8_t>& values, std::int32_t from, std::int32_t end,
                                   std::int32_t step, std::int32_t bound) {
    const std::int32_t stop = std::min(end, (from / step + 1) * step);
    for (std::int32_t i = from; i < stop; ++i)
        if (values[static_cast<std::size_t>(i)] <= bound) return i;
    return stop;
}

}  // namespace

void CommonPrefixes::assign(std::vector<std::uint8_t> shared, std::vector<std::uint8_t> first) {
    shared_ = std::move(shared);
    block_least_ = least_of_each(shared_);
    group_least_ = least_of_each(block_least_);
    first_ = std::move(first);
    block_first_most_ = each_block(first_, [](auto from, auto to) { return std::max_element(from, to); });
}

std::int32_t CommonPrefixes::next_beginning_with(std::int32_t from, std::uint8_t c) const {
    if (from >= count()) return count();
    const void* hit = std::memchr(first_.data() + from, c, first_.size() - static_cast<std::size_t>(from));
    return hit ? static_cast<std::int32_t>(static_cast<const std::uint8_t*>(hit) - first_.data()) : count();
}

std::int32_t CommonPrefixes::first_beginning_above(std::uint8_t c) const {
    const std::uint8_t bound = std::max<std::uint8_t>(c, 31);
    for (std::size_t b = 0; b < block_first_most_.size(); ++b) {
        if (block_first_most_[b] <= bound) continue;
        for (std::size_t i = b * block; i < first_.size(); ++i)
            if (first_[i] > bound) return static_cast<std::int32_t>(i);
    }
    return -1;
}

std::int32_t CommonPrefixes::next_at_most(std::int32_t from, std::int32_t bound) const {
    const std::int32_t n = count();
    auto size = [](const std::vector<std::uint8_t>& v) { return static_cast<std::int32_t>(v.size()); };
    auto at = [](const std::vector<std::uint8_t>& v, std::int32_t i) { return v[static_cast<std::size_t>(i)]; };
    if (from >= n) return n;
    // The rest of from's block, the rest of its group of blocks, then groups.
    const std::int32_t i = first_at_most_in_step(shared_, from, n, block, bound);
    if (i >= n || at(shared_, i) <= bound) return i;
    std::int32_t b = i / block;
    b = first_at_most_in_step(block_least_, b, size(block_least_), block, bound);
    if (b >= size(block_least_) || at(block_least_, b) > bound) {
        std::int32_t g = b / block;
        while (g < size(group_least_) && at(group_least_, g) > bound) ++g;
        if (g >= size(group_least_)) return n;
        b = first_at_most_in_step(block_least_, g * block, size(block_least_), block, bound);
    }
    return first_at_most_in_step(shared_, b * block, n, block, bound);
}

}  // namespace lumo

// The entry index with a pending step.
#include "data/entry_starts.h"

#include <algorithm>
#include <cstring>

namespace lumo {

void EntryStarts::add(std::int32_t from, std::int32_t to, std::int32_t delta) {
    std::int32_t* s = slots_.data();
    for (std::int32_t k = from; k < to; ++k) s[k] += delta;
}

// The slots up to `up_to` take the step; those after it still wait for it.
void EntryStarts::apply_step(std::int32_t up_to) {
    if (step_length_ != 0) add(step_slot_ + 1, up_to + 1, step_length_);
    step_slot_ = up_to;
    if (step_slot_ >= count_ + 1) {
        step_slot_ = count_ + 1;
        step_length_ = 0;
    }
}

// The slots after `down_to` give the step back and wait for it again.
void EntryStarts::back_step(std::int32_t down_to) {
    if (step_length_ != 0) add(down_to + 1, step_slot_ + 1, -step_length_);
    step_slot_ = down_to;
}

std::int32_t* EntryStarts::settled() {
    apply_step(count_ + 1);
    return slots_.data();
}

void EntryStarts::set_count(std::int32_t count) {
    count_ = count;
    step_slot_ = count + 1;
    step_length_ = 0;
}

std::int32_t EntryStarts::entry_at(std::int32_t position) const {
    std::int32_t lo = 0, hi = count_;  // at(lo) <= position is kept (slot 0 is 0)
    while (lo < hi) {
        const std::int32_t mid = lo + (hi - lo + 1) / 2;
        if (at(mid) <= position)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

// As typing goes on in one entry, the step grows where it is; an edit a
// little before it moves it back, one far away settles it first.
void EntryStarts::shift_after(std::int32_t k, std::int32_t delta) {
    if (delta == 0 || k >= count_ + 1) return;
    if (step_length_ == 0) {
        step_slot_ = k;
        step_length_ = delta;
    } else if (k >= step_slot_) {
        apply_step(k);
        step_length_ += delta;
    } else if (k >= step_slot_ - (count_ + 2) / 10) {
        back_step(k);
        step_length_ += delta;
    } else {
        apply_step(count_ + 1);
        step_slot_ = k;
        step_length_ = delta;
    }
    if (step_length_ == 0) step_slot_ = count_ + 1;
}

void EntryStarts::replace_after(std::int32_t k, std::int32_t old_count, std::span<const std::int32_t> starts,
                                std::int32_t delta) {
    const auto new_count = static_cast<std::int32_t>(starts.size());
    if (new_count == old_count) {
        // Same shape: the slots are rewritten where they stand.
        for (std::int32_t i = 0; i < new_count; ++i) {
            const std::int32_t slot = k + 1 + i;
            slots_.data()[slot] = starts[static_cast<std::size_t>(i)] - (slot > step_slot_ ? step_length_ : 0);
        }
        shift_after(k + new_count, delta);
        return;
    }
    std::int32_t* s = settled();
    const std::int32_t tail = count_ + 2 - (k + 1 + old_count);
    std::memmove(s + k + 1 + new_count, s + k + 1 + old_count, static_cast<std::size_t>(tail) * sizeof *s);
    std::copy(starts.begin(), starts.end(), s + k + 1);
    set_count(count_ + new_count - old_count);
    shift_after(k + new_count, delta);
}

bool EntryStarts::reallocate(std::int32_t capacity, const AllocationGate& gate) {
    if (capacity < count_ + 2) return false;
    EntryIndex grown = EntryIndex::allocate(capacity, gate);
    if (!grown) return false;
    const auto used = static_cast<std::size_t>(count_) + 2;
    if (slots_) std::memcpy(grown.data(), settled(), used * sizeof(std::int32_t));
    std::fill(grown.data() + (slots_ ? used : 0), grown.data() + capacity, 0);
    slots_.swap(grown);
    return true;
}

bool EntryStarts::allocate_zeroed(std::int32_t capacity, const AllocationGate& gate) {
    EntryIndex fresh = EntryIndex::allocate(capacity, gate);
    if (!fresh) return false;
    std::fill(fresh.data(), fresh.data() + capacity, 0);
    slots_.swap(fresh);
    set_count(0);
    return true;
}

void EntryStarts::reset() {
    slots_.reset();
    set_count(0);
}

}  // namespace lumo

// The entry index with its pending step (Scintilla's Partitioning is the
// model): slot 0 is 0, slot k the start of entry k, slot count + 1 the text
// length. An edit inside one entry moves every slot behind it by the same
// amount; instead of rewriting them per keystroke the index remembers one
// step, a length added to every slot after a given one, and applies it only
// as far as a later edit elsewhere or a reader of the raw slots needs.
#pragma once

#include <cstdint>
#include <span>

#include "data/block.h"

namespace lumo {

class EntryStarts {
public:
    std::int32_t count() const { return count_; }
    std::int32_t capacity() const { return slots_.capacity(); }
    explicit operator bool() const { return static_cast<bool>(slots_); }

    // Slot k, 0 <= k <= count() + 1, with the step applied.
    std::int32_t at(std::int32_t k) const {
        const std::int32_t v = slots_.data()[k];
        return k > step_slot_ ? v + step_length_ : v;
    }
    // The entry holding `position`: the last k <= count() whose start is at
    // or before it (count() for text behind the last entry).
    std::int32_t entry_at(std::int32_t position) const;

    // Every slot with the step applied, for readers of the whole array and
    // for writers that set the slots themselves (with set_count after).
    std::int32_t* settled();
    // The count after the slots were written through settled().
    void set_count(std::int32_t count);

    // Adds `delta` to every slot after `k`, lazily.
    void shift_after(std::int32_t k, std::int32_t delta);
    // Replaces the `old_count` slots after slot k with `starts` (positions
    // after the edit) and adds `delta` to every slot behind them. The index
    // must have room for the new count + 2 slots.
    void replace_after(std::int32_t k, std::int32_t old_count, std::span<const std::int32_t> starts,
                       std::int32_t delta);

    // Moves the slots into a new array of `capacity` slots (at least count()
    // + 2); false, nothing changed, when the allocation fails.
    bool reallocate(std::int32_t capacity, const AllocationGate& gate);
    // A new array of `capacity` zeroed slots, count 0.
    bool allocate_zeroed(std::int32_t capacity, const AllocationGate& gate);
    void reset();

    // Whether the step's bookkeeping is within the index.
    bool step_sound() const { return step_slot_ >= 0 && step_slot_ <= count_ + 1; }

private:
    void apply_step(std::int32_t up_to);
    void back_step(std::int32_t down_to);
    void add(std::int32_t from, std::int32_t to, std::int32_t delta);

    EntryIndex slots_;
    std::int32_t count_ = 0;
    // Slots after step_slot_ hold step_length_ less than their value.
    std::int32_t step_slot_ = 0;
    std::int32_t step_length_ = 0;
};

}  // namespace lumo

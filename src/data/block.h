// Owned arrays for the store's text and entry index, allocated without
// throwing and through a gate that tests and fuzz targets use to make
// allocations fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <utility>

namespace lumo {

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

}  // namespace lumo

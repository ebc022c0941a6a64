// Little-endian integers in byte buffers, whatever the host's byte order.
#pragma once

#include <cstdint>

namespace lumo {

inline void put_le32(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline std::uint32_t get_le32(const std::uint8_t* in) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= std::uint32_t{in[i]} << (8 * i);
    return value;
}

}  // namespace lumo

// The longest line an entry may hold; typing, pasting and replacing break or
// refuse longer ones.
#pragma once

#include <cstdint>

namespace lumo {

inline constexpr std::int32_t max_line_length = 255;

}  // namespace lumo

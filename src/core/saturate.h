// Bringing a 64-bit intermediate back to 32 bits without wrapping.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

// value limited to the int32 range: the nearest value a 32-bit field can hold.
inline int32_t saturate_int32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

#pragma once

#include <cstdint>
#include <limits>

// Money and trained numbers stop at the ends of the 32-bit range instead of wrapping around.
inline std::int32_t clampToInt32(std::int64_t value)
{
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    if (value < lowest) {
        return static_cast<std::int32_t>(lowest);
    }
    if (value > highest) {
        return static_cast<std::int32_t>(highest);
    }
    return static_cast<std::int32_t>(value);
}

inline std::int32_t addClamped(std::int32_t value, std::int32_t delta)
{
    return clampToInt32(static_cast<std::int64_t>(value) + delta);
}

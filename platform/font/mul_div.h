// MulDiv: a * b / c in 64-bit arithmetic, rounded to the nearest integer with halves going away
// from zero, as the Windows call of that name does. A zero divisor or a result outside 32 bits
// gives -1, also as that call does.
#pragma once

#include <cstdint>
#include <limits>

namespace platform {

constexpr std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
    if (c == 0) return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const std::uint64_t magnitude = product < 0 ? static_cast<std::uint64_t>(-product) : product;
    const std::uint64_t divisor = c < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(c)) : c;
    const std::uint64_t rounded = (magnitude + divisor / 2) / divisor;
    const std::int64_t result = negative ? -static_cast<std::int64_t>(rounded) : static_cast<std::int64_t>(rounded);
    if (result > std::numeric_limits<std::int32_t>::max() || result < std::numeric_limits<std::int32_t>::min()) {
        return -1;
    }
    return static_cast<std::int32_t>(result);
}

}  // namespace platform

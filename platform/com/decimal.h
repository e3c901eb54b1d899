// Decimal text to double, the same on every standard library.
#pragma once

#include <cmath>
#include <system_error>

#include <fast_float/fast_float.h>

namespace com {

// Reads [first, last) whole as a decimal double, exactly as std::from_chars does: fast_float
// rounds the same way (correctly), but gives +-inf and +-0 for values beyond a double's range,
// where std::from_chars fails with result_out_of_range. Those stay failures here.
inline bool ParseDecimalDouble(const char* first, const char* last, double& out) {
    double value = 0.0;
    auto [ptr, ec] = fast_float::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last) return false;
    if (std::isinf(value)) {
        const char* p = first + (*first == '-' ? 1 : 0);
        if (*p != 'i' && *p != 'I') return false;  // overflow, not an "inf" word
    } else if (value == 0.0) {
        for (const char* p = first; p < last && *p != 'e' && *p != 'E'; ++p)
            if (*p >= '1' && *p <= '9') return false;  // a non-zero value below the smallest subnormal
    }
    out = value;
    return true;
}

}  // namespace com

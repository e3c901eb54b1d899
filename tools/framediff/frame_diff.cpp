#include "tools/framediff/frame_diff.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace framediff {

Difference Compare(const Picture& a, const Picture& b) {
    Difference d;
    d.width = a.width;
    d.height = a.height;
    const std::size_t n = static_cast<std::size_t>(a.width) * static_cast<std::size_t>(a.height);
    if (n == 0) return d;
    std::uint64_t sum[4] = {};
    std::size_t over = 0;
    constexpr int kShift[4] = {16, 8, 0, 24};
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t p = (*a.pixels)[i], q = (*b.pixels)[i];
        int worst = 0;
        for (int c = 0; c < 4; ++c) {
            const int diff = std::abs(static_cast<int>((p >> kShift[c]) & 0xFF) - static_cast<int>((q >> kShift[c]) & 0xFF));
            sum[c] += static_cast<std::uint64_t>(diff);
            worst = std::max(worst, diff);
        }
        d.max = std::max(d.max, worst);
        if (worst > 8) ++over;
    }
    for (int c = 0; c < 4; ++c) d.mean[c] = static_cast<double>(sum[c]) / static_cast<double>(n);
    d.percentOver8 = 100.0 * static_cast<double>(over) / static_cast<double>(n);
    return d;
}

std::string ToJson(const Difference& d) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "{\"width\":%d,\"height\":%d,\"mean\":{\"r\":%.4f,\"g\":%.4f,\"b\":%.4f,\"a\":%.4f},\"max\":%d,"
                  "\"percent_over_8\":%.4f}",
                  d.width, d.height, d.mean[0], d.mean[1], d.mean[2], d.mean[3], d.max, d.percentOver8);
    return text;
}

std::string ToText(const Difference& d) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "%dx%d: mean difference r %.4f g %.4f b %.4f a %.4f (of 255), max %d, %.4f%% of pixels off by more "
                  "than 8",
                  d.width, d.height, d.mean[0], d.mean[1], d.mean[2], d.mean[3], d.max, d.percentOver8);
    return text;
}

}  // namespace framediff

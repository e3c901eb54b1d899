// Icon 101: a small orrery, a sun with two planets on their rings, 32 x 32 pixels.
#include <array>
#include <cstdint>

#include "resources/resources.h"

namespace {

constexpr int kSize = 32;

constexpr std::uint32_t Pixel(int x, int y) {
    const int dx = 2 * x + 1 - kSize;  // doubled coordinates about the centre
    const int dy = 2 * y + 1 - kSize;
    const int d2 = dx * dx + dy * dy;
    auto near = [](int px, int py, int cx, int cy, int r) {
        return (px - cx) * (px - cx) + (py - cy) * (py - cy) <= r * r;
    };
    if (d2 <= 8 * 8) return d2 <= 5 * 5 ? 0xFFFFF2A0u : 0xFFFFB020u;           // the sun
    if (near(dx, dy, 13, -10, 4)) return 0xFF50A0FFu;                             // inner planet
    if (near(dx, dy, -21, 18, 5)) return 0xFFE05040u;                             // outer planet
    const int inner = 16 * 16 + 4 * 4, outer = 28 * 28 + 2 * 2;                   // ring radii^2
    if (d2 >= inner - 34 && d2 <= inner + 34) return 0xC0A0A8C0u;
    if (d2 >= outer - 58 && d2 <= outer + 58) return 0xA08890A8u;
    return 0x00000000u;
}

constexpr std::array<std::uint32_t, kSize * kSize> MakeIcon() {
    std::array<std::uint32_t, kSize * kSize> pixels{};
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) pixels[y * kSize + x] = Pixel(x, y);
    return pixels;
}

constexpr auto kIconPixels = MakeIcon();

}  // namespace

platform::IconImage LoadIconResource(int id) {
    if (id != IDI_ORRERY3D) return {0, 0, nullptr};
    return {kSize, kSize, kIconPixels.data()};
}

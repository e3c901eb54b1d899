// Icon 101: a small orrery, a sun with two planets on their rings. The picture is described once,
// in coordinates of its own, and drawn at any size from that description: 32 x 32 pixels for the
// window, and each size the desktop's icon theme asks for.
#include <cstdint>
#include <vector>

#include "resources/resources.h"

namespace {

// The description, in doubled coordinates of the 32-pixel icon about its centre: the square runs
// from -32 to 32 on both axes, y growing downward. Clear outside the shapes.
std::uint32_t IconColour(double dx, double dy) {
    const double d2 = dx * dx + dy * dy;
    auto near = [&](double cx, double cy, double r) { return (dx - cx) * (dx - cx) + (dy - cy) * (dy - cy) <= r * r; };
    if (d2 <= 8 * 8) return d2 <= 5 * 5 ? 0xFFFFF2A0u : 0xFFFFB020u;  // the sun
    if (near(13, -10, 4)) return 0xFF50A0FFu;                         // inner planet
    if (near(-21, 18, 5)) return 0xFFE05040u;                         // outer planet
    const double inner = 16 * 16 + 4 * 4, outer = 28 * 28 + 2 * 2;   // ring radii^2
    if (d2 >= inner - 34 && d2 <= inner + 34) return 0xC0A0A8C0u;
    if (d2 >= outer - 58 && d2 <= outer + 58) return 0xA08890A8u;
    return 0x00000000u;
}

// The mean of samples x samples points spread evenly over the pixel, averaged with their
// colours weighted by alpha, so clear samples do not darken an edge.
std::uint32_t CoveragePixel(int size, int samples, int x, int y) {
    const double scale = static_cast<double>(kProgramIconSize) / size;  // description units per doubled pixel
    double a = 0, r = 0, g = 0, b = 0;
    for (int sy = 0; sy < samples; ++sy) {
        for (int sx = 0; sx < samples; ++sx) {
            // The sample's position in doubled pixels about the centre: 2 x + 1 - size for one
            // sample at the pixel's centre.
            const double px = 2.0 * x + (2.0 * sx + 1.0) / samples - size;
            const double py = 2.0 * y + (2.0 * sy + 1.0) / samples - size;
            const std::uint32_t c = IconColour(px * scale, py * scale);
            const double alpha = (c >> 24) / 255.0;
            a += alpha;
            r += alpha * ((c >> 16) & 0xFF);
            g += alpha * ((c >> 8) & 0xFF);
            b += alpha * (c & 0xFF);
        }
    }
    if (a <= 0.0) return 0;
    const auto channel = [](double v) { return static_cast<std::uint32_t>(v + 0.5) & 0xFFu; };
    return channel(255.0 * a / (samples * samples)) << 24 | channel(r / a) << 16 | channel(g / a) << 8 | channel(b / a);
}

}  // namespace

std::vector<std::uint32_t> DrawProgramIcon(int size, int samples) {
    if (size <= 0 || samples <= 0) return {};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) pixels[static_cast<std::size_t>(y) * size + x] = CoveragePixel(size, samples, x, y);
    return pixels;
}

platform::IconImage LoadIconResource(int id) {
    if (id != IDI_ORRERY3D) return {0, 0, nullptr};
    // The window's icon: one sample at each pixel's centre.
    static const std::vector<std::uint32_t> pixels = DrawProgramIcon(kProgramIconSize, 1);
    return {kProgramIconSize, kProgramIconSize, pixels.data()};
}

// Bitmap 109: a maple leaf on a pale sky, 35 x 33 pixels, 24-bit colour.
#include <array>
#include <cmath>
#include <cstdint>

#include "resources/setup_dialog_resources.h"

namespace {

constexpr int kWidth = 35;
constexpr int kHeight = 33;

struct Point {
    float x, y;
};

// The outline, clockwise from the top tip, symmetric about x = 17.5.
constexpr std::array<Point, 27> kLeaf{{
    {17.5f, 1}, {19.5f, 6}, {22.5f, 4}, {21.5f, 10}, {27.5f, 6}, {26.5f, 10}, {33, 10}, {28.5f, 14}, {30.5f, 17},
    {25.5f, 18}, {27.5f, 23}, {21.5f, 20.5f}, {18.5f, 23}, {17.5f, 23}, {16.5f, 23}, {13.5f, 20.5f}, {7.5f, 23},
    {9.5f, 18}, {4.5f, 17}, {6.5f, 14}, {2, 10}, {8.5f, 10}, {7.5f, 6}, {13.5f, 10}, {12.5f, 4}, {15.5f, 6},
    {17.5f, 1},
}};
// Veins from the leaf's heart to its five main tips.
constexpr Point kHeart{17.5f, 19};
constexpr std::array<Point, 5> kTips{{{17.5f, 2}, {32, 10.5f}, {3, 10.5f}, {27, 22.5f}, {8, 22.5f}}};

bool InsideLeaf(float x, float y) {
    bool inside = false;
    for (std::size_t i = 0, j = kLeaf.size() - 1; i < kLeaf.size(); j = i++) {
        const Point a = kLeaf[i], b = kLeaf[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
    return inside;
}

float DistanceToSegment(float x, float y, Point a, Point b) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    float t = ((x - a.x) * dx + (y - a.y) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return std::hypot(x - (a.x + t * dx), y - (a.y + t * dy));
}

std::array<std::uint8_t, 3> Colour(int px, int py) {
    const float x = px + 0.5f, y = py + 0.5f;
    const bool stem = std::fabs(x - 17.5f) < 1.0f && y > 19 && y < 32;
    if (!InsideLeaf(x, y) && !stem) {
        const int shade = 236 - py;  // the sky brightens towards the bottom
        return {static_cast<std::uint8_t>(shade - 20), static_cast<std::uint8_t>(shade - 6), 250};
    }
    if (stem) return {120, 40, 24};
    for (const Point& tip : kTips)
        if (DistanceToSegment(x, y, kHeart, tip) < 0.6f) return {150, 30, 20};
    // Orange at the top turning to crimson at the bottom.
    const float t = y / kHeight;
    return {static_cast<std::uint8_t>(240 - 50 * t), static_cast<std::uint8_t>(150 - 120 * t),
            static_cast<std::uint8_t>(30 - 10 * t)};
}

const std::array<std::uint8_t, kWidth * kHeight * 3>& Pixels() {
    static const auto pixels = [] {
        std::array<std::uint8_t, kWidth * kHeight * 3> rgb{};
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const auto c = Colour(x, y);
                for (int k = 0; k < 3; ++k) rgb[(y * kWidth + x) * 3 + k] = c[k];
            }
        return rgb;
    }();
    return pixels;
}

}  // namespace

platform::DialogBitmap LoadBitmapResource(int id) {
    if (id != IDB_SETUP_PICTURE) return {};
    return {kWidth, kHeight, Pixels().data()};
}

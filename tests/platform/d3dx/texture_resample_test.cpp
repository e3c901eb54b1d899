#include <gtest/gtest.h>

#include "platform/d3dx/texture_resample.h"
#include "platform/d3dx/texture_write.h"

namespace {

using Colours = std::vector<std::uint32_t>;

d3dx::PixelLevel Level(std::uint32_t w, std::uint32_t h, Colours pixels) {
    d3dx::PixelLevel level;
    level.width = w;
    level.height = h;
    level.pixels = std::move(pixels);
    return level;
}

TEST(MipLevels, BoxAveragesAndOddSizes) {
    const auto square = Level(2, 2, {0xFF000000, 0xFFFFFFFF, 0x00FF0000, 0x000000FF});
    const auto half = d3dx::HalveLevel(square, d3dx::Filter::Smooth);
    ASSERT_EQ(half.width, 1u);
    ASSERT_EQ(half.height, 1u);
    // Per channel (a, r, g, b): (255+255+0+0)/4, (0+255+255+0)/4, (0+255+0+0)/4, (0+255+0+255)/4, rounded.
    EXPECT_EQ(half.pixels[0], 0x80804080u);
    EXPECT_EQ(d3dx::HalveLevel(square, d3dx::Filter::Point).pixels[0], 0xFF000000u);

    // 3x1: one pixel from the first two; the odd last column is dropped at this level.
    const auto row = d3dx::HalveLevel(Level(3, 1, {0xFF000010, 0xFF000030, 0xFFFFFFFF}), d3dx::Filter::Smooth);
    EXPECT_EQ(row.width, 1u);
    EXPECT_EQ(row.height, 1u);
    EXPECT_EQ(row.pixels[0], 0xFF000020u);

    // A column halves along its length only.
    const auto column = d3dx::HalveLevel(Level(1, 4, {0xFF000000, 0xFF000002, 0xFF000010, 0xFF000020}),
                                         d3dx::Filter::Smooth);
    EXPECT_EQ(column.width, 1u);
    EXPECT_EQ(column.pixels, (Colours{0xFF000001, 0xFF000018}));
}

TEST(Stretch, ShrinkAveragesGrowInterpolates) {
    const auto row = Level(4, 1, {0xFF000000, 0xFF000040, 0xFF0000FF, 0xFF0000FF});
    const auto shrunk = d3dx::Resize(row, 2, 1, d3dx::Filter::Smooth);
    EXPECT_EQ(shrunk.pixels, (Colours{0xFF000020, 0xFF0000FF}));
    // Shrinking by a third: each target pixel covers one and a half source pixels.
    const auto third = d3dx::Resize(Level(3, 1, {0xFF000000, 0xFF000060, 0xFF0000C0}), 2, 1, d3dx::Filter::Smooth);
    EXPECT_EQ(third.pixels, (Colours{0xFF000020, 0xFF0000A0}));

    const auto grown = d3dx::Resize(Level(2, 1, {0xFF000000, 0xFF000080}), 4, 1, d3dx::Filter::Smooth);
    // Centres at 0.25, 0.75, 1.25, 1.75 source pixels: clamped, a quarter, three quarters, clamped.
    EXPECT_EQ(grown.pixels, (Colours{0xFF000000, 0xFF000020, 0xFF000060, 0xFF000080}));
    EXPECT_EQ(d3dx::Resize(Level(2, 1, {1, 2}), 4, 1, d3dx::Filter::Point).pixels, (Colours{1, 1, 2, 2}));
    const auto none = d3dx::Resize(Level(2, 1, {5, 6}), 3, 2, d3dx::Filter::None);
    EXPECT_EQ(none.pixels, (Colours{5, 6, 0, 0, 0, 0}));
}

TEST(ColourKey, MatchesAllFourChannels) {
    auto level = Level(3, 1, {0xFF00FF00, 0x0000FF00, 0xFF00FF01});
    EXPECT_TRUE(d3dx::ApplyColourKey(level, 0xFF00FF00));
    EXPECT_EQ(level.pixels, (Colours{0, 0x0000FF00, 0xFF00FF01}));
    EXPECT_FALSE(d3dx::ApplyColourKey(level, 0xFF123456));
}

TEST(PixelWriter, SixteenBitAndLuminanceFormats) {
    const auto level = Level(2, 1, {0xFFFF8000, 0x40204060});
    std::uint8_t out[8] = {0};
    d3dx::WriteLevel(level, D3DFMT_R5G6B5, out, 4);
    EXPECT_EQ(out[0] | out[1] << 8, 0xFC00);  // 31, 32 (128 of 255 rounds to 32 of 63), 0
    d3dx::WriteLevel(level, D3DFMT_A1R5G5B5, out, 4);
    EXPECT_EQ(out[0] | out[1] << 8, 0xFE00);
    EXPECT_EQ(out[2] | out[3] << 8, (4 << 10) | (8 << 5) | 12);  // alpha 0x40 is below half: clear
    d3dx::WriteLevel(level, D3DFMT_A4R4G4B4, out, 4);
    EXPECT_EQ(out[2] | out[3] << 8, 0x4246);
    d3dx::WriteLevel(level, D3DFMT_A8L8, out, 4);
    EXPECT_EQ(out[0], (255 * 77 + 128 * 150 + 128) >> 8);
    EXPECT_EQ(out[3], 0x40);
    d3dx::WriteLevel(level, D3DFMT_X8R8G8B8, out, 8);
    EXPECT_EQ(out[7], 0xFF);  // X8: alpha written opaque
}

}  // namespace

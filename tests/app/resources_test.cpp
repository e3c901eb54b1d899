#include "resources/resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

TEST(ProgramIcon, IconOneHundredAndOneIsASmallOpaqueOrrery) {
    const platform::IconImage icon = LoadIconResource(IDI_ORRERY3D);
    ASSERT_EQ(IDI_ORRERY3D, 101);
    ASSERT_EQ(icon.width, 32);
    ASSERT_EQ(icon.height, 32);
    ASSERT_NE(icon.pixels, nullptr);
    const auto at = [&](int x, int y) { return icon.pixels[y * icon.width + x]; };
    EXPECT_EQ(at(16, 16) >> 24, 0xFFu);  // the sun in the middle is opaque
    EXPECT_EQ(at(0, 0) >> 24, 0x00u);    // the corners are clear
    int opaque = 0;
    for (int i = 0; i < 32 * 32; ++i) opaque += (icon.pixels[i] >> 24) != 0;
    EXPECT_GT(opaque, 150);
    EXPECT_LT(opaque, 700);
}

// The icon theme's sizes are drawn from the same picture at their own resolution: the window's
// 32 pixels exactly, larger sizes with the shapes at the same places and smoothed edges that a
// blown-up 32-pixel picture would not have.
TEST(ProgramIcon, EverySizeIsDrawnFromTheSamePicture) {
    const platform::IconImage window = LoadIconResource(IDI_ORRERY3D);
    const std::vector<std::uint32_t> same = DrawProgramIcon(32, 1);
    ASSERT_EQ(same.size(), 32u * 32u);
    EXPECT_TRUE(std::equal(same.begin(), same.end(), window.pixels));

    const std::vector<std::uint32_t> big = DrawProgramIcon(256, 4);
    ASSERT_EQ(big.size(), 256u * 256u);
    const auto at = [&](int x, int y) { return big[y * 256 + x]; };
    // The sun: radius 8 of 32 half-units is 32 pixels at 256; its core (radius 5) 20 pixels.
    EXPECT_EQ(at(128, 128), 0xFFFFF2A0u);
    EXPECT_EQ(at(128 + 25, 128), 0xFFFFB020u);
    EXPECT_EQ(at(128 + 35, 128) >> 24, 0u);
    EXPECT_EQ(at(0, 0), 0u);
    // The inner planet sits at (13, -10) half-units from the centre: (180, 88) at 256.
    EXPECT_EQ(at(180, 88), 0xFF50A0FFu);
    // Pixels straddling the sun's edge (here where it crosses row 148, near x = 153) are
    // partly covered, in the sun's colour.
    int partial = 0;
    for (int x = 140; x < 165; ++x) {
        const std::uint32_t p = at(x, 148);
        if ((p >> 24) > 0 && (p >> 24) < 0xFF) {
            ++partial;
            EXPECT_EQ(p & 0xFFFFFFu, 0xFFB020u) << x;
        }
    }
    EXPECT_GE(partial, 1);
    for (int size : {16, 22, 24, 48, 64, 128}) {
        const std::vector<std::uint32_t> icon = DrawProgramIcon(size, 4);
        ASSERT_EQ(icon.size(), static_cast<std::size_t>(size * size)) << size;
        EXPECT_EQ(icon[(size / 2) * size + size / 2] >> 24, 0xFFu) << size;
        EXPECT_EQ(icon[0], 0u) << size;
    }
    EXPECT_TRUE(DrawProgramIcon(0, 4).empty());
    EXPECT_TRUE(DrawProgramIcon(16, 0).empty());
}

TEST(ProgramIcon, UnknownResourcesAreEmpty) {
    const platform::IconImage none = LoadIconResource(102);
    EXPECT_EQ(none.pixels, nullptr);
    EXPECT_EQ(none.width, 0);
}

}  // namespace

#include "resources/resources.h"

#include <gtest/gtest.h>

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

TEST(ProgramIcon, UnknownResourcesAreEmpty) {
    const platform::IconImage none = LoadIconResource(102);
    EXPECT_EQ(none.pixels, nullptr);
    EXPECT_EQ(none.width, 0);
}

}  // namespace

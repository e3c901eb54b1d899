#include "platform/font/mul_div.h"

#include <gtest/gtest.h>

namespace {

TEST(MulDiv, PointSizesAtNinetySixDpi) {
    EXPECT_EQ(platform::MulDiv(8, 96, 72), 11);   // 10.67
    EXPECT_EQ(platform::MulDiv(11, 96, 72), 15);  // 14.67
    EXPECT_EQ(platform::MulDiv(13, 96, 72), 17);  // 17.33
    EXPECT_EQ(platform::MulDiv(48, 48, 72), 32);  // half-scale text
}

TEST(MulDiv, HalvesRoundAwayFromZero) {
    EXPECT_EQ(platform::MulDiv(3, 1, 2), 2);
    EXPECT_EQ(platform::MulDiv(5, 1, 2), 3);
    EXPECT_EQ(platform::MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(platform::MulDiv(3, -1, 2), -2);
    EXPECT_EQ(platform::MulDiv(3, 1, -2), -2);
    EXPECT_EQ(platform::MulDiv(-3, 1, -2), 2);
    EXPECT_EQ(platform::MulDiv(7, 1, 4), 2);   // 1.75
    EXPECT_EQ(platform::MulDiv(5, 1, 4), 1);   // 1.25
    EXPECT_EQ(platform::MulDiv(-5, 1, 4), -1);
}

TEST(MulDiv, IntermediateProductNeedsSixtyFourBits) {
    EXPECT_EQ(platform::MulDiv(1 << 30, 1 << 30, 1 << 30), 1 << 30);
    EXPECT_EQ(platform::MulDiv(2000000000, 2, 4), 1000000000);
}

TEST(MulDiv, ZeroDivisorAndOverflowGiveMinusOne) {
    EXPECT_EQ(platform::MulDiv(5, 7, 0), -1);
    EXPECT_EQ(platform::MulDiv(2000000000, 2, 1), -1);
    EXPECT_EQ(platform::MulDiv(-2000000000, 2, 1), -1);
}

}  // namespace

// Option values: what each parse accepts, where its range ends, and that a refused word leaves
// the value as it was.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/cmdline/values.h"

namespace {

TEST(CmdlineValues, WholeNumbersWithinTheirRange) {
    int value = 7;
    EXPECT_TRUE(cmdline::ParseInt("1", 1, 1000, value));
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(cmdline::ParseInt("1000", 1, 1000, value));
    EXPECT_EQ(value, 1000);
    EXPECT_TRUE(cmdline::ParseInt("-3", -5, 5, value));
    EXPECT_EQ(value, -3);
    for (const char* bad : {"0", "1001", "", " 5", "+5", "5 ", "5x", "0x10", "2.5", "99999999999", "-"}) {
        value = 7;
        EXPECT_FALSE(cmdline::ParseInt(bad, 1, 1000, value)) << '"' << bad << '"';
        EXPECT_EQ(value, 7) << '"' << bad << '"';
    }
}

TEST(CmdlineValues, DecimalsWithinTheirRange) {
    double value = -1.0;
    EXPECT_TRUE(cmdline::ParseDecimal("0", 0.0, 258.0, value));
    EXPECT_EQ(value, 0.0);
    EXPECT_TRUE(cmdline::ParseDecimal("258", 0.0, 258.0, value));
    EXPECT_EQ(value, 258.0);
    EXPECT_TRUE(cmdline::ParseDecimal("12.5", 0.0, 258.0, value));
    EXPECT_EQ(value, 12.5);
    EXPECT_TRUE(cmdline::ParseDecimal("1e2", 0.0, 258.0, value));
    EXPECT_EQ(value, 100.0);
    for (const char* bad : {"-0.5", "258.001", "inf", "nan", "1e400", "", "1.5s", " 1", "+1", "1,5"}) {
        value = -1.0;
        EXPECT_FALSE(cmdline::ParseDecimal(bad, 0.0, 258.0, value)) << '"' << bad << '"';
        EXPECT_EQ(value, -1.0) << '"' << bad << '"';
    }
}

TEST(CmdlineValues, SizesAreTwoWholeNumbersInRange) {
    int width = 1, height = 2;
    EXPECT_TRUE(cmdline::ParseSize("640x480", 16, 8192, width, height));
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_TRUE(cmdline::ParseSize("16x8192", 16, 8192, width, height));
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 8192);
    for (const char* bad : {"640", "640x", "x480", "15x480", "640x8193", "640X480", "64x48x2", "640 x480", ""}) {
        width = 1, height = 2;
        EXPECT_FALSE(cmdline::ParseSize(bad, 16, 8192, width, height)) << '"' << bad << '"';
        EXPECT_EQ(width, 1) << bad;  // neither side is kept when the other is refused
        EXPECT_EQ(height, 2) << bad;
    }
}

TEST(CmdlineValues, VectorsAreThreeFiniteNumbers) {
    float x = 9, y = 9, z = 9;
    EXPECT_TRUE(cmdline::ParseVector("1,-2.5,3e1", x, y, z));
    EXPECT_EQ(x, 1.0f);
    EXPECT_EQ(y, -2.5f);
    EXPECT_EQ(z, 30.0f);
    for (const char* bad : {"1,2", "1,2,3,4", "1,2,3x", "1,2,inf", "nan,0,0", "a,b,c", ""}) {
        x = y = z = 9;
        EXPECT_FALSE(cmdline::ParseVector(bad, x, y, z)) << '"' << bad << '"';
        EXPECT_EQ(x, 9.0f) << bad;
        EXPECT_EQ(z, 9.0f) << bad;
    }
}

// The takers the declarations use: a repeatable one gathers its values in order, the others
// keep the last; text may be anything but empty.
TEST(CmdlineValues, TakersStoreWhatTheyAccept) {
    std::vector<double> times;
    const cmdline::TakeValue at = cmdline::DecimalsIn(0.0, 10.0, times);
    EXPECT_TRUE(at("3"));
    EXPECT_TRUE(at("1.5"));
    EXPECT_FALSE(at("11"));
    EXPECT_TRUE(at("3"));
    EXPECT_EQ(times, (std::vector<double>{3.0, 1.5, 3.0}));

    double from = -1.0;
    const cmdline::TakeValue decimal = cmdline::DecimalIn(0.0, 10.0, from);
    EXPECT_TRUE(decimal("2"));
    EXPECT_TRUE(decimal("4"));
    EXPECT_EQ(from, 4.0);

    std::string out = "keep";
    const cmdline::TakeValue text = cmdline::Text(out);
    EXPECT_FALSE(text(""));
    EXPECT_EQ(out, "keep");
    EXPECT_TRUE(text("-dir with spaces"));
    EXPECT_EQ(out, "-dir with spaces");

    int fps = 60;
    EXPECT_FALSE(cmdline::IntIn(1, 1000, fps)("0"));
    EXPECT_TRUE(cmdline::IntIn(1, 1000, fps)("25"));
    EXPECT_EQ(fps, 25);
    int w = 0, h = 0;
    EXPECT_TRUE(cmdline::SizeIn(16, 64, w, h)("20x30"));
    EXPECT_EQ(w * 100 + h, 2030);
    float x = 0, y = 0, z = 0;
    EXPECT_TRUE(cmdline::VectorXyz(x, y, z)("4,5,6"));
    EXPECT_EQ(x + 10 * y + 100 * z, 654.0f);
}

}  // namespace

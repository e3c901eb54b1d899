#include <gtest/gtest.h>

#include "show/frame_rate.h"

namespace {

TEST(FrameRate, TheFirstFrameMeasuresAgainstTimeZero) {
    FrameRateMeter meter;
    float fps = -1.0f;
    EXPECT_TRUE(meter.Tick(50.0, fps));
    EXPECT_FLOAT_EQ(fps, 1.0f / 50.0f);
    // Right after it nothing is measured until more than a second has passed.
    fps = -1.0f;
    EXPECT_FALSE(meter.Tick(50.5, fps));
    EXPECT_FALSE(meter.Tick(51.0, fps));
    EXPECT_EQ(fps, -1.0f);
}

TEST(FrameRate, LaterMeasurementsCoverMoreThanOneSecond) {
    FrameRateMeter meter;
    float fps = 0.0f;
    ASSERT_TRUE(meter.Tick(10.0, fps));
    // 60 frames a second: exactly one second later is not yet more than one second.
    int measured = 0;
    double last = 10.0;
    for (int frame = 1; frame <= 600; ++frame) {
        const double now = 10.0 + frame / 60.0;
        if (meter.Tick(now, fps)) {
            ++measured;
            // The last measurement is kept in single precision: allow for its rounding.
            EXPECT_GT(now - last, 1.0 - 1e-5) << frame;
            EXPECT_NEAR(fps, 60.0f, 1.0f) << frame;
            last = now;
        }
    }
    EXPECT_GE(measured, 8);
    EXPECT_LE(measured, 10);
}

TEST(FrameRate, CountsEveryFrameSinceTheLastMeasurement) {
    FrameRateMeter meter;
    float fps = 0.0f;
    ASSERT_TRUE(meter.Tick(100.0, fps));
    EXPECT_FALSE(meter.Tick(100.25, fps));
    EXPECT_FALSE(meter.Tick(100.5, fps));
    ASSERT_TRUE(meter.Tick(102.0, fps));
    EXPECT_FLOAT_EQ(fps, 3.0f / 2.0f);
}

}  // namespace

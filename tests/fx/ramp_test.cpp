#include "fx/ramp.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(RampTest, FadeInFromNineToTwelve) {
    Ramp ramp;
    ramp.Start(9.0f, 12.0f, 255.0f, 0.0f);
    EXPECT_EQ(ramp.Evaluate(8.0f), 0.0f);
    EXPECT_FALSE(ramp.IsFinished());
    EXPECT_EQ(ramp.Evaluate(9.0f), 0.0f);
    EXPECT_FLOAT_EQ(ramp.Evaluate(10.5f), 127.5f);
    EXPECT_FLOAT_EQ(ramp.Evaluate(11.0f), 170.0f);
    EXPECT_FALSE(ramp.IsFinished());
    EXPECT_FLOAT_EQ(ramp.Evaluate(12.0f), 255.0f);
    EXPECT_TRUE(ramp.IsFinished());
    EXPECT_FLOAT_EQ(ramp.Evaluate(13.0f), 255.0f);
    EXPECT_FLOAT_EQ(ramp.Evaluate(1000.0f), 255.0f);
    // Finished: earlier times give the held value, not the base.
    EXPECT_FLOAT_EQ(ramp.Evaluate(5.0f), 255.0f);
    EXPECT_FLOAT_EQ(ramp.Evaluate(10.5f), 255.0f);
    EXPECT_TRUE(ramp.IsFinished());
}

TEST(RampTest, EqualTimesWidenTheSpan) {
    Ramp ramp;
    ramp.Start(5.0f, 5.0f, 100.0f, 20.0f);
    EXPECT_EQ(ramp.EndTime(), 5.0f + 0.0001f);
    EXPECT_EQ(ramp.Evaluate(5.0f), 20.0f);
    EXPECT_FALSE(ramp.IsFinished());
    EXPECT_FLOAT_EQ(ramp.Evaluate(5.0001f), 120.0f);
    EXPECT_TRUE(ramp.IsFinished());

    // Spans up to 0.0001 are widened too; wider ones are kept.
    Ramp narrow;
    narrow.Start(1.0f, 1.00005f, 10.0f, 0.0f);
    EXPECT_EQ(narrow.EndTime(), 1.00005f + 0.0001f);
    Ramp wide;
    wide.Start(1.0f, 1.001f, 10.0f, 0.0f);
    EXPECT_EQ(wide.EndTime(), 1.001f);
}

TEST(RampTest, EqualLateTimesStayFinite) {
    // At this size 0.0001 is lost in rounding: the span must still not be zero.
    Ramp ramp;
    ramp.Start(100000.0f, 100000.0f, 255.0f, 0.0f);
    EXPECT_GT(ramp.EndTime(), 100000.0f);
    EXPECT_EQ(ramp.Evaluate(100000.0f), 0.0f);
    const float after = ramp.Evaluate(100001.0f);
    EXPECT_TRUE(std::isfinite(after));
    EXPECT_FLOAT_EQ(after, 255.0f);
}

TEST(RampTest, OnlyTheFirstStartCounts) {
    Ramp ramp;
    EXPECT_FALSE(ramp.IsStarted());
    ramp.Start(9.0f, 12.0f, 255.0f, 0.0f);
    EXPECT_TRUE(ramp.IsStarted());
    ramp.Start(0.0f, 1.0f, -50.0f, 100.0f);
    EXPECT_EQ(ramp.EndTime(), 12.0f);
    EXPECT_EQ(ramp.Evaluate(8.0f), 0.0f);
    EXPECT_FLOAT_EQ(ramp.Evaluate(10.5f), 127.5f);
}

TEST(RampTest, ResetChainsAFadeOutFromTheLastValue) {
    Ramp ramp;
    float value = 0.0f;
    // The scene's pattern: Start every frame, restart from the held value once finished.
    bool fadingOut = false;
    for (float t = 0.0f; t <= 8.0f; t += 0.5f) {
        if (!fadingOut) {
            ramp.Start(1.0f, 3.0f, 255.0f, 0.0f);
            value = ramp.Evaluate(t);
            if (ramp.IsFinished()) {
                ramp.Reset();
                EXPECT_FALSE(ramp.IsFinished());
                EXPECT_FALSE(ramp.IsStarted());
                fadingOut = true;
            }
        } else {
            ramp.Start(5.0f, 7.0f, -255.0f, ramp.LastValue());
            value = ramp.Evaluate(t);
        }
        if (t == 2.0f) {
            EXPECT_FLOAT_EQ(value, 127.5f);
        }
        if (t == 4.0f) {
            EXPECT_FLOAT_EQ(value, 255.0f);
        }
        if (t == 6.0f) {
            EXPECT_FLOAT_EQ(value, 127.5f);
        }
    }
    EXPECT_TRUE(fadingOut);
    EXPECT_FLOAT_EQ(value, 0.0f);
    EXPECT_TRUE(ramp.IsFinished());
}

TEST(RampTest, UnstartedRampGivesZero) {
    Ramp ramp;
    EXPECT_EQ(ramp.Evaluate(-1.0f), 0.0f);
    EXPECT_EQ(ramp.Evaluate(3.0f), 0.0f);
    EXPECT_TRUE(std::isfinite(ramp.LastValue()));
}

}  // namespace

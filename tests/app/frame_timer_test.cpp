#include "app/frame_timer.h"

#include <gtest/gtest.h>

namespace {

// Ticks of the virtual counter are milliseconds unless a test says otherwise.
// The timer reads `clock` for the whole test: a performance counter or the millisecond count.
class TimerTest : public ::testing::Test {
protected:
    explicit TimerTest(bool counter) : clock{1000, counter} {}
    void SetUp() override { SetFrameTimerSource(&clock); }
    void TearDown() override { SetFrameTimerSource(nullptr); }
    VirtualClock clock;
};

class CounterTimer : public TimerTest {
protected:
    CounterTimer() : TimerTest(true) {}
};

class MillisecondTimer : public TimerTest {
protected:
    MillisecondTimer() : TimerTest(false) {}
};

TEST_F(CounterTimer, FirstElapsedTimeAnswersTheAbsoluteTime) {
    clock.SetTicks(123456);
    EXPECT_DOUBLE_EQ(FrameTimer(ElapsedTime), 123.456);
    clock.AdvanceTicks(16);
    EXPECT_DOUBLE_EQ(FrameTimer(ElapsedTime), 0.016);
    EXPECT_DOUBLE_EQ(FrameTimer(ElapsedTime), 0.0);
    EXPECT_DOUBLE_EQ(FrameTimer(AbsoluteTime), 123.472);
}

TEST_F(CounterTimer, ResetMovesBaseAndLastQuery) {
    clock.SetTicks(5000);
    EXPECT_EQ(FrameTimer(ResetClock), 0.0);
    clock.AdvanceTicks(1500);
    EXPECT_DOUBLE_EQ(FrameTimer(TimeSinceReset), 1.5);
    EXPECT_DOUBLE_EQ(FrameTimer(ElapsedTime), 1.5);
    EXPECT_DOUBLE_EQ(FrameTimer(TimeSinceReset), 1.5);  // elapsed queries do not move the base
}

TEST_F(CounterTimer, PauseFreezesEverythingButAbsoluteTime) {
    clock.SetTicks(5000);
    FrameTimer(ResetClock);
    clock.AdvanceTicks(1000);
    EXPECT_EQ(FrameTimer(PauseClock), 0.0);
    // The counter path moves the last-query time at the pause.
    EXPECT_DOUBLE_EQ(FrameTimer(ElapsedTime), 0.0);
    clock.AdvanceTicks(2000);
    EXPECT_DOUBLE_EQ(FrameTimer(ElapsedTime), 0.0);
    EXPECT_DOUBLE_EQ(FrameTimer(TimeSinceReset), 1.0);
    EXPECT_DOUBLE_EQ(FrameTimer(AbsoluteTime), 8.0);
}

TEST_F(CounterTimer, ResumeShiftsTheBaseByThePausedInterval) {
    clock.SetTicks(1000);
    FrameTimer(ResetClock);
    clock.SetTicks(3000);
    FrameTimer(PauseClock);
    clock.SetTicks(7000);
    EXPECT_EQ(FrameTimer(ResumeClock), 0.0);
    EXPECT_DOUBLE_EQ(FrameTimer(TimeSinceReset), 2.0);
    EXPECT_DOUBLE_EQ(FrameTimer(ElapsedTime), 0.0);  // resume moved the last-query time
    clock.AdvanceTicks(250);
    EXPECT_DOUBLE_EQ(FrameTimer(ElapsedTime), 0.25);
    EXPECT_DOUBLE_EQ(FrameTimer(TimeSinceReset), 2.25);
}

TEST_F(CounterTimer, ResumeOnARunningClockMovesTheBaseByTheWholeTime) {
    clock.SetTicks(4000);
    FrameTimer(ResetClock);  // base 4000
    clock.SetTicks(9000);
    FrameTimer(ResumeClock);  // base += 9000 - 0
    EXPECT_DOUBLE_EQ(FrameTimer(TimeSinceReset), (9000.0 - 13000.0) / 1000.0);
}

TEST_F(CounterTimer, StepAddsATenthOfTheRateTruncated) {
    VirtualClock odd(1001, true);
    SetFrameTimerSource(&odd);
    odd.SetTicks(2000);
    FrameTimer(PauseClock);
    EXPECT_EQ(FrameTimer(StepClock), 0.0);
    EXPECT_DOUBLE_EQ(FrameTimer(TimeSinceReset), 2100.0 / 1001.0);  // 1001 / 10 = 100 ticks
    FrameTimer(StepClock);
    EXPECT_DOUBLE_EQ(FrameTimer(ElapsedTime), 200.0 / 1001.0);
    odd.AdvanceTicks(5000);
    EXPECT_DOUBLE_EQ(FrameTimer(AbsoluteTime), 7000.0 / 1001.0);
    SetFrameTimerSource(&clock);
}

TEST_F(CounterTimer, StepOnARunningClockPausesItATenthAfterTheOrigin) {
    clock.SetTicks(60000);
    FrameTimer(StepClock);
    EXPECT_DOUBLE_EQ(FrameTimer(TimeSinceReset), 0.1);
    // The last-query time is 0: elapsed answers from there to the frozen stop time.
    EXPECT_DOUBLE_EQ(FrameTimer(ElapsedTime), 0.1);
    clock.AdvanceTicks(1000);
    EXPECT_DOUBLE_EQ(FrameTimer(TimeSinceReset), 0.1);
    EXPECT_DOUBLE_EQ(FrameTimer(AbsoluteTime), 61.0);
}

TEST_F(CounterTimer, UnknownCommandAnswersMinusOneAndChangesNothing) {
    clock.SetTicks(2000);
    FrameTimer(ElapsedTime);
    clock.AdvanceTicks(500);
    for (int code : {7, 99, -1}) EXPECT_EQ(FrameTimer(static_cast<TimerCommand>(code)), -1.0) << code;
    EXPECT_DOUBLE_EQ(FrameTimer(ElapsedTime), 0.5);
}

TEST_F(MillisecondTimer, FirstElapsedTimeAnswersTheAbsoluteTime) {
    clock.SetTicks(86400123);
    EXPECT_DOUBLE_EQ(FrameTimer(ElapsedTime), 86400123 * 0.001);
    EXPECT_DOUBLE_EQ(FrameTimer(AbsoluteTime), 86400123 * 0.001);
}

TEST_F(MillisecondTimer, PauseLeavesTheLastQueryTime) {
    clock.SetTicks(1000);
    FrameTimer(ElapsedTime);
    clock.AdvanceTicks(250);
    EXPECT_EQ(FrameTimer(PauseClock), 0.0);
    clock.AdvanceTicks(5000);
    EXPECT_DOUBLE_EQ(FrameTimer(ElapsedTime), 1.25 - 1.0);  // up to the pause
    EXPECT_DOUBLE_EQ(FrameTimer(ElapsedTime), 0.0);
    EXPECT_DOUBLE_EQ(FrameTimer(TimeSinceReset), 1.25);
    EXPECT_DOUBLE_EQ(FrameTimer(AbsoluteTime), 6.25);
}

TEST_F(MillisecondTimer, StepAddsTheSinglePrecisionTenth) {
    clock.SetTicks(2000);
    FrameTimer(ResetClock);
    FrameTimer(PauseClock);
    FrameTimer(StepClock);
    EXPECT_EQ(FrameTimer(TimeSinceReset), (2.0 + 0.10000000149011612) - 2.0);
    FrameTimer(StepClock);
    EXPECT_EQ(FrameTimer(TimeSinceReset), ((2.0 + 0.10000000149011612) + 0.10000000149011612) - 2.0);
}

TEST_F(MillisecondTimer, ResumeShiftsTheBase) {
    clock.SetTicks(1000);
    FrameTimer(ResetClock);
    clock.SetTicks(1500);
    FrameTimer(PauseClock);
    clock.SetTicks(4000);
    FrameTimer(ResumeClock);
    EXPECT_DOUBLE_EQ(FrameTimer(TimeSinceReset), 0.5);
    EXPECT_DOUBLE_EQ(FrameTimer(ElapsedTime), 0.0);
    // On a running clock the base moves by the whole current time.
    FrameTimer(ResumeClock);
    EXPECT_DOUBLE_EQ(FrameTimer(TimeSinceReset), 4.0 - (4.0 + 3.5));
}

TEST_F(MillisecondTimer, TheMillisecondCountWraps) {
    clock.SetTicks((std::int64_t{1} << 32) + 4);
    EXPECT_DOUBLE_EQ(FrameTimer(AbsoluteTime), 0.004);
}

TEST_F(MillisecondTimer, UnknownCommandAnswersMinusOne) {
    clock.SetTicks(3000);
    EXPECT_EQ(FrameTimer(static_cast<TimerCommand>(8)), -1.0);
    EXPECT_DOUBLE_EQ(FrameTimer(ElapsedTime), 3.0);
}

// A counter that claims a rate of zero would divide by zero; the timer falls back to milliseconds.
class ZeroRateCounter final : public ClockSource {
public:
    bool QueryFrequency(std::int64_t& ticksPerSecond) override {
        ticksPerSecond = 0;
        return true;
    }
    std::int64_t ReadCounter() override { return 777; }
    std::uint32_t ReadMilliseconds() override { return 2500; }
};

TEST(FrameTimerSource, ZeroRateCounterFallsBackToMilliseconds) {
    ZeroRateCounter zero;
    SetFrameTimerSource(&zero);
    EXPECT_DOUBLE_EQ(FrameTimer(AbsoluteTime), 2.5);
    SetFrameTimerSource(nullptr);
}

TEST(FrameTimerSource, FrequencyIsQueriedOnceUntilReset) {
    VirtualClock counter(1000, true);
    VirtualClock milliseconds(1000, false);
    counter.SetTicks(1000);
    milliseconds.SetTicks(9000);
    SetFrameTimerSource(&counter);
    EXPECT_DOUBLE_EQ(FrameTimer(AbsoluteTime), 1.0);
    SetFrameTimerSource(&milliseconds);  // resets: the new source's kind is queried
    EXPECT_DOUBLE_EQ(FrameTimer(AbsoluteTime), 9.0);
    SetFrameTimerSource(nullptr);
}

TEST(SystemClocks, SteadyCounterRunsInNanoseconds) {
    SteadyCounterClock steady;
    std::int64_t rate = 0;
    ASSERT_TRUE(steady.QueryFrequency(rate));
    EXPECT_EQ(rate, 1000000000);
    const std::int64_t a = steady.ReadCounter();
    const std::int64_t b = steady.ReadCounter();
    EXPECT_GT(a, 0);
    EXPECT_GE(b, a);

    MillisecondClock ms;
    EXPECT_FALSE(ms.QueryFrequency(rate));
    const auto expected = static_cast<std::uint32_t>(static_cast<std::uint64_t>(steady.ReadCounter()) / 1000000u);
    EXPECT_LE(ms.ReadMilliseconds() - expected, 50u);  // the same clock, read moments apart
}

TEST(SystemClocks, DefaultTimerReadsTheLiveCounter) {
    SetFrameTimerSource(nullptr);
    const double first = FrameTimer(AbsoluteTime);
    EXPECT_GT(first, 0.0);
    EXPECT_GE(FrameTimer(AbsoluteTime), first);
}

TEST(VirtualClockTest, AdvanceRoundsToTicksAndIgnoresNegativeSteps) {
    VirtualClock v(60, true);
    v.Advance(1.0 / 60.0);
    v.Advance(-5.0);
    EXPECT_EQ(v.Ticks(), 1);
    VirtualClock ms(1000000000, false);
    ms.Advance(1.5);
    EXPECT_EQ(ms.ReadMilliseconds(), 1500u);
}

}  // namespace

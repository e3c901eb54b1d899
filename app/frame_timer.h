// FrameTimer: the engine's only clock, one free function with process-wide state.
//
// It reads a high-resolution counter when the clock source has one and a millisecond clock
// otherwise. The clock source can be replaced (headless runs and tests use a VirtualClock).
#pragma once

#include "app/clock_source.h"

enum TimerCommand : int {
    ResetClock = 0,
    ResumeClock = 1,
    PauseClock = 2,
    StepClock = 3,
    AbsoluteTime = 4,
    TimeSinceReset = 5,
    ElapsedTime = 6,
};

// Seconds, as described for each command; -1 for a code outside the table. Not thread-safe:
// the show calls it from its worker thread only.
double FrameTimer(TimerCommand command);

// Makes source the clock of every later FrameTimer call (null: the monotonic counter) and puts
// the timer back into its program-start state. The source is not owned and must outlive its use.
void SetFrameTimerSource(ClockSource* source);

// Puts the timer back into its program-start state (all zero, frequency not yet queried).
void ResetFrameTimerState();

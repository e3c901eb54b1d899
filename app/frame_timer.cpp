#include "app/frame_timer.h"

#include <cstdint>

namespace {

struct TimerState {
    bool initialised;
    bool counterAvailable;
    std::int64_t ticksPerSecond;
    std::int64_t counterStopTime;
    std::int64_t counterLastQueryTime;
    std::int64_t counterBaseTime;
    double clockStopTime;
    double clockLastQueryTime;
    double clockBaseTime;
};

// Plain data with no destructor: the timer stays usable until the process is gone.
SteadyCounterClock steadyClock;
ClockSource* source = &steadyClock;
TimerState state = {};

bool ReadsStopTime(TimerCommand command) { return command != ResumeClock && command != AbsoluteTime; }

double CounterPath(TimerCommand command) {
    TimerState& s = state;
    const std::int64_t now =
        (s.counterStopTime != 0 && ReadsStopTime(command)) ? s.counterStopTime : source->ReadCounter();
    const auto perSecond = static_cast<double>(s.ticksPerSecond);
    switch (command) {
    case ElapsedTime: {
        const double elapsed = static_cast<double>(now - s.counterLastQueryTime) / perSecond;
        s.counterLastQueryTime = now;
        return elapsed;
    }
    case TimeSinceReset: return static_cast<double>(now - s.counterBaseTime) / perSecond;
    case ResetClock:
        s.counterBaseTime = now;
        s.counterLastQueryTime = now;
        return 0.0;
    case ResumeClock:
        s.counterBaseTime += now - s.counterStopTime;
        s.counterStopTime = 0;
        s.counterLastQueryTime = now;
        return 0.0;
    case PauseClock:
        s.counterStopTime = now;
        s.counterLastQueryTime = now;
        return 0.0;
    case StepClock:
        s.counterStopTime += s.ticksPerSecond / 10;
        return 0.0;
    case AbsoluteTime: return static_cast<double>(now) / perSecond;
    }
    return -1.0;
}

double MillisecondPath(TimerCommand command) {
    TimerState& s = state;
    const double now = (s.clockStopTime != 0.0 && ReadsStopTime(command))
                           ? s.clockStopTime
                           : static_cast<double>(source->ReadMilliseconds()) * 0.001;
    switch (command) {
    case ElapsedTime: {
        const double elapsed = now - s.clockLastQueryTime;
        s.clockLastQueryTime = now;
        return elapsed;
    }
    case TimeSinceReset: return now - s.clockBaseTime;
    case ResetClock:
        s.clockBaseTime = now;
        s.clockLastQueryTime = now;
        return 0.0;
    case ResumeClock:
        s.clockBaseTime = (now - s.clockStopTime) + s.clockBaseTime;
        s.clockStopTime = 0.0;
        s.clockLastQueryTime = now;
        return 0.0;
    case PauseClock:
        s.clockStopTime = now;
        return 0.0;
    case StepClock:
        s.clockStopTime += static_cast<double>(0.1f);
        return 0.0;
    case AbsoluteTime: return now;
    }
    return -1.0;
}

bool IsKnown(TimerCommand command) { return command >= ResetClock && command <= ElapsedTime; }

}  // namespace

double FrameTimer(TimerCommand command) {
    if (!state.initialised) {
        std::int64_t perSecond = 0;
        // A counter that claims a rate of zero or less would divide by zero: treat it as absent.
        state.counterAvailable = source->QueryFrequency(perSecond) && perSecond > 0;
        state.ticksPerSecond = state.counterAvailable ? perSecond : 0;
        state.initialised = true;
    }
    if (!IsKnown(command)) return -1.0;
    return state.counterAvailable ? CounterPath(command) : MillisecondPath(command);
}

void SetFrameTimerSource(ClockSource* newSource) {
    source = newSource ? newSource : &steadyClock;
    ResetFrameTimerState();
}

void ResetFrameTimerState() { state = TimerState{}; }

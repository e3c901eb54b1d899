// Ramp: a value that moves linearly from a base by an amount between two show times, then holds.
// Only the first Start after construction or Reset counts, so scenes may call it every frame.
#pragma once

#include <cstdint>

class Ramp {
public:
    virtual ~Ramp();

    // Ignored once started. A span not above 0.0001 s is widened to end at startTime + 0.0001.
    void Start(float startTime, float endTime, float amount, float base);
    // base up to the start time, then linear, then base + amount from the end time on. Once the
    // end time has been reached the last value is returned for every time, earlier ones included.
    float Evaluate(float time);
    bool IsFinished() const { return finished != 0; }
    // Back to idle: the next Start takes new values.
    void Reset();

    bool IsStarted() const { return started != 0; }
    float EndTime() const { return endTime; }
    float LastValue() const { return lastValue; }

private:
    float startTime = 0.0f;
    float endTime = 0.0f;
    float amount = 0.0f;
    float slope = 0.0f;
    float base = 0.0f;
    float lastValue = 0.0f;
    std::int32_t started = 0;
    std::int32_t finished = 0;
};

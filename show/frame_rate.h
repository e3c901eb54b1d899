// FrameRateMeter: counts frames and, once more than a second has passed since the last
// measurement, turns the count into frames per second.
#pragma once

#include <cstdint>

class FrameRateMeter {
public:
    // Counts one frame at time now (seconds on the frame timer's absolute clock). When more than
    // one second has passed since the last measurement it stores frames / seconds in
    // framesPerSecond, starts counting afresh and returns true. The last measurement starts at
    // time 0, so the first frame always measures (a meaningless value).
    bool Tick(double now, float& framesPerSecond);

private:
    std::uint32_t frames_ = 0;
    float lastMeasurement_ = 0.0f;
};

#include "show/frame_rate.h"

bool FrameRateMeter::Tick(double now, float& framesPerSecond) {
    ++frames_;
    const double span = now - static_cast<double>(lastMeasurement_);
    if (!(span > 1.0)) return false;
    framesPerSecond = static_cast<float>(static_cast<double>(frames_) / span);
    frames_ = 0;
    lastMeasurement_ = static_cast<float>(now);
    return true;
}

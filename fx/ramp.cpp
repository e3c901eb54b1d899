#include "fx/ramp.h"

#include <cmath>

namespace {

constexpr float kMinimumSpan = 0.0001f;

}  // namespace

Ramp::~Ramp() = default;

void Ramp::Start(float startTime, float endTime, float amount, float base) {
    if (started) return;
    this->startTime = startTime;
    this->endTime = endTime;
    this->amount = amount;
    this->base = base;
    started = 1;
    if (!(this->endTime - this->startTime > kMinimumSpan)) this->endTime += kMinimumSpan;
    // Far from zero the widening is lost in rounding; the next float keeps the slope finite.
    if (this->endTime == this->startTime) this->endTime = std::nextafter(this->startTime, INFINITY);
    slope = this->amount / (this->endTime - this->startTime);
}

float Ramp::Evaluate(float time) {
    if (finished) return lastValue;
    if (time <= startTime) {
        lastValue = base;
        return base;
    }
    if (time >= endTime) {
        time = endTime;
        finished = 1;
    }
    const float value = (time - startTime) * slope + base;
    lastValue = value;
    return value;
}

void Ramp::Reset() {
    started = 0;
    finished = 0;
}

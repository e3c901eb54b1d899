#include "app/clock_source.h"

#include <cmath>

#include "platform/clock/playback_clock.h"

namespace {

std::int64_t SteadyNanoseconds() { return platform::PlaybackClockNanoseconds(); }

}  // namespace

bool SteadyCounterClock::QueryFrequency(std::int64_t& ticksPerSecond) {
    ticksPerSecond = 1000000000;
    return true;
}

std::int64_t SteadyCounterClock::ReadCounter() { return SteadyNanoseconds(); }

std::uint32_t SteadyCounterClock::ReadMilliseconds() {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(SteadyNanoseconds()) / 1000000u);
}

bool MillisecondClock::QueryFrequency(std::int64_t& ticksPerSecond) {
    ticksPerSecond = 0;
    return false;
}

std::int64_t MillisecondClock::ReadCounter() { return 0; }

std::uint32_t MillisecondClock::ReadMilliseconds() {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(SteadyNanoseconds()) / 1000000u);
}

VirtualClock::VirtualClock(std::int64_t ticksPerSecond, bool hasCounter)
    : ticksPerSecond_(ticksPerSecond > 0 ? ticksPerSecond : 1), hasCounter_(hasCounter) {}

bool VirtualClock::QueryFrequency(std::int64_t& ticksPerSecond) {
    ticksPerSecond = hasCounter_ ? ticksPerSecond_ : 0;
    return hasCounter_;
}

std::int64_t VirtualClock::ReadCounter() { return ticks_.load(); }

std::uint32_t VirtualClock::ReadMilliseconds() {
    const std::int64_t ticks = ticks_.load();
    const auto ms = static_cast<std::uint64_t>(ticks) / static_cast<std::uint64_t>(ticksPerSecond_) * 1000u +
                    static_cast<std::uint64_t>(ticks) % static_cast<std::uint64_t>(ticksPerSecond_) * 1000u /
                        static_cast<std::uint64_t>(ticksPerSecond_);
    return static_cast<std::uint32_t>(ms);
}

void VirtualClock::Advance(double seconds) {
    if (!(seconds > 0.0)) return;
    AdvanceTicks(std::llround(seconds * static_cast<double>(ticksPerSecond_)));
}

void VirtualClock::AdvanceTicks(std::int64_t ticks) {
    if (ticks > 0) ticks_ += ticks;
}

void VirtualClock::SetTicks(std::int64_t ticks) { ticks_ = ticks; }

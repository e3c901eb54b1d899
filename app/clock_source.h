// Clock sources for the frame timer: a monotonic counter, a millisecond clock and a virtual clock.
#pragma once

#include <atomic>
#include <cstdint>

class ClockSource {
public:
    // True when this source has a high-resolution counter; ticksPerSecond is then its rate.
    virtual bool QueryFrequency(std::int64_t& ticksPerSecond) = 0;
    // The counter value (only called when QueryFrequency answered true).
    virtual std::int64_t ReadCounter() = 0;
    // Milliseconds since the clock's origin, wrapping at 2^32 (only called without a counter).
    virtual std::uint32_t ReadMilliseconds() = 0;

protected:
    // Sources are never destroyed through this interface; this keeps them trivially destructible
    // so a static source survives to the very end of the process.
    ~ClockSource() = default;
};

// The playback clock in nanoseconds (platform/clock): the system's monotonic clock on the
// desktop, the page's clock in the browser.
class SteadyCounterClock final : public ClockSource {
public:
    bool QueryFrequency(std::int64_t& ticksPerSecond) override;
    std::int64_t ReadCounter() override;
    std::uint32_t ReadMilliseconds() override;
};

// The playback clock as a 32-bit millisecond count, with no counter.
class MillisecondClock final : public ClockSource {
public:
    bool QueryFrequency(std::int64_t& ticksPerSecond) override;
    std::int64_t ReadCounter() override;
    std::uint32_t ReadMilliseconds() override;
};

// A clock that moves only when the program advances it. With a counter it answers ticks at the
// given rate; without one it answers milliseconds (ticks converted at that rate, wrapping).
class VirtualClock final : public ClockSource {
public:
    explicit VirtualClock(std::int64_t ticksPerSecond = 1000000000, bool hasCounter = true);

    bool QueryFrequency(std::int64_t& ticksPerSecond) override;
    std::int64_t ReadCounter() override;
    std::uint32_t ReadMilliseconds() override;

    // Moves the clock forward by seconds (rounded to whole ticks; negative values are ignored).
    void Advance(double seconds);
    void AdvanceTicks(std::int64_t ticks);
    void SetTicks(std::int64_t ticks);
    std::int64_t Ticks() const { return ticks_.load(); }

private:
    std::int64_t ticksPerSecond_;
    bool hasCounter_;
    std::atomic<std::int64_t> ticks_{0};
};

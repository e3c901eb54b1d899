#include "platform/clock/playback_clock.h"

#include <chrono>

namespace platform {

std::int64_t PlaybackClockNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace platform

// The clock playback is timed by.
//
// On the desktop it is the system's monotonic clock. In the browser it is the page's clock, which
// stands still while the page is hidden (browsers stop drawing a hidden page) and, while music
// plays, follows the music's audio clock, so that pictures and sound keep in step.
#pragma once

#include <cstdint>

namespace platform {

// Nanoseconds since an origin of the clock's own; never goes back.
std::int64_t PlaybackClockNanoseconds();

}  // namespace platform

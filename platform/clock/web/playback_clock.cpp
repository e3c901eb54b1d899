#include "platform/clock/playback_clock.h"

#include <emscripten.h>

#include <cmath>

#include "platform/clock/web/page_clock.h"

// clang-format off
EM_JS(void, orrery_page_clock_install, (), {
    if (Module.orreryClock) return;
    const clock = {
        offset: 0,        // milliseconds from performance.now() to the clock
        pausedAt: null,   // the clock's time while the page is hidden
        last: 0,          // the latest time answered
        follow: null,
        onVisibility: [],
        now() {
            if (clock.pausedAt !== null) return clock.pausedAt;
            const heard = clock.follow ? clock.follow() : null;
            if (heard !== null) {
                // The audio clock's readings jitter by a few milliseconds: the clock moves a tenth
                // of the way towards each, and jumps only when it is a frame or more away (the
                // music has just started or gone on).
                const error = heard - (performance.now() + clock.offset);
                clock.offset += Math.abs(error) < 16 ? error / 10 : error;
            }
            clock.last = Math.max(clock.last, performance.now() + clock.offset);
            return clock.last;
        },
    };
    const hidden = () => typeof document !== 'undefined' && document.visibilityState === 'hidden';
    const changed = () => {
        if (hidden() === (clock.pausedAt !== null)) return;
        if (hidden()) {
            clock.pausedAt = clock.now();
        } else {
            clock.offset = clock.pausedAt - performance.now();
            clock.pausedAt = null;
        }
        for (const listener of clock.onVisibility) listener(hidden());
    };
    Module.orreryClock = clock;
    if (typeof document !== 'undefined') document.addEventListener('visibilitychange', changed);
    changed();
});
EM_JS(double, orrery_page_clock_now, (), { return Module.orreryClock.now(); });
// clang-format on

namespace platform {

namespace web {

void InstallPageClock() { orrery_page_clock_install(); }

}  // namespace web

std::int64_t PlaybackClockNanoseconds() {
    web::InstallPageClock();
    return static_cast<std::int64_t>(std::llround(orrery_page_clock_now() * 1e6));
}

}  // namespace platform

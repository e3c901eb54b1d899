// The page's clock (Module.orreryClock), which the browser's playback is timed by.
//
// It runs with performance.now() while the page is visible and stands still while it is hidden.
// Module.orreryClock.follow, when set (the music sets it), answers the clock's time as the audio
// clock has it (null when it has nothing to say): the clock then keeps to that time, smoothing
// out the readings' jitter, so that the pictures keep in step with what is heard. The clock
// never goes back: when the audio is behind, it waits for it. Module.orreryClock.onVisibility(hidden) is called for every change
// of the page's visibility after the clock has paused or gone on.
#pragma once

namespace platform::web {

// Creates Module.orreryClock when it does not exist yet.
void InstallPageClock();

}  // namespace platform::web

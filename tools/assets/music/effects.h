// Effects applied to the mix as a whole: the reverb and echo that consume the sends, and the
// master stage that turns the buses into the finished stereo signal.
#pragma once

#include <functional>
#include <vector>

#include "tools/assets/music/mix.h"

namespace assets::music {

// Stereo reverb of a mono send (parallel damped combs, then all-passes), added to left and right.
void AddReverb(const std::vector<float>& send, float wet, std::vector<float>& left, std::vector<float>& right);
// Ping-pong echo of a mono send with `delayFrames` between repeats, added to left and right.
void AddEcho(const std::vector<float>& send, std::size_t delayFrames, float feedback, float wet,
             std::vector<float>& left, std::vector<float>& right);

// Runs the sends through the effects, removes DC, applies `level` (a gain per second of show
// time), and scales the result so that its peak is `peak`. Returns interleaved stereo.
std::vector<float> MasterMix(Mix& mix, const std::function<float(double)>& level, float peak);

}  // namespace assets::music

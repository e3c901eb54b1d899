// The soundtrack synthesised as PCM: 44.1 kHz interleaved stereo floats.
#pragma once

#include <vector>

namespace assets::music {

// Renders the first `seconds` of the music (the whole show by default); the same samples on
// every run. The level is scaled so that the loudest sample of the whole show is `kPeak`.
std::vector<float> SynthesiseSoundtrack(double seconds);

constexpr float kPeak = 0.89f;   // about -1 dB, headroom for the encoder

}  // namespace assets::music

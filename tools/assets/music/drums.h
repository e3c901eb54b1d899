// Synthesised percussion: each function returns one hit as a mono signal at full level; the score
// makes each kind once and places copies.
#pragma once

#include <cstdint>
#include <vector>

namespace assets::music {

// Bass drum: a sine swept down from `punchHz` to `bodyHz` with a click; `decay` per second.
std::vector<float> Kick(float bodyHz = 48.0f, float punchHz = 160.0f, float decay = 7.0f);
// Snare: a short tone and a band of noise.
std::vector<float> Snare(std::uint32_t seed);
// Hi-hat: high-passed noise, closed (short) or open (ringing).
std::vector<float> HiHat(bool open, std::uint32_t seed);
// Crash cymbal: bright noise with a metallic ring, a few seconds long.
std::vector<float> Crash(std::uint32_t seed);
// Impact under a flash: a deep falling sine and a low thud of noise.
std::vector<float> Boom(std::uint32_t seed);
// Noise swept up through a band-pass over `seconds`, getting louder toward its end.
std::vector<float> Riser(float seconds, std::uint32_t seed);

}  // namespace assets::music

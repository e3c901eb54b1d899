// The soundtrack's pitched instruments. Each renders one note (MIDI note number, held for `hold`
// seconds) at full level, including its release tail; the score scales and places it.
#pragma once

#include <cstdint>
#include <vector>

namespace assets::music {

struct StereoNote {
    std::vector<float> left, right;
};

// Saw and sine bass through a low-pass whose cutoff jumps by `punch` octaves at the attack.
std::vector<float> Bass(float note, float hold, float cutoffHz, float punch = 2.0f);
// Wide pad: the chord's notes as detuned saws on each side through a slowly breathing low-pass.
StereoNote Pad(const std::vector<float>& notes, float hold, float cutoffHz, float attack = 0.8f, float release = 1.5f);
// Lead: saw and square with delayed vibrato, a soft attack and a bright filter envelope.
std::vector<float> Lead(float note, float hold, float cutoffHz = 2600.0f);
// Plucked square for arpeggios: a quick filter and level decay.
std::vector<float> Pluck(float note, float cutoffHz = 3500.0f);
// Two-operator FM bell with a long decay.
std::vector<float> Bell(float note);

}  // namespace assets::music

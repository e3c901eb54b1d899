// The animation clips: one looping motion per file, as a pose for every moment of the loop.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/assets/characters/pose.h"

namespace assets::characters {

struct Clip {
    std::string file;         // the X file it goes to
    std::string name;         // AnimationSet name
    float duration = 1.0f;    // seconds; the last key repeats the first
    float keysPerSecond = 10.0f;
    float ground = 0.0f;      // file-space height of the floor under the character
    bool fitGround = true;    // lift the hips so the lowest body point rests on the floor (+ pose lift)
    std::function<Pose(float)> pose;  // for t in [0, duration); root.z is the lift when fitting
};

const std::vector<Clip>& Clips();

}  // namespace assets::characters

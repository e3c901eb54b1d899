// A character file: the skeleton as frames, the skinned body and one clip as its AnimationSet.
#pragma once

#include "tools/assets/characters/clips.h"
#include "tools/assets/core/model.h"

namespace assets::characters {

// The pose a clip's key at time t gets: the clip's pose with the hips lifted onto its floor.
Pose KeyPose(const Clip& clip, float t);

// The whole model: frame "Character" holding the body mesh frame and the bone frames, and the
// clip sampled at its key rate, the last key a copy of the first.
Model BuildCharacter(const Clip& clip, const Mesh& body);

}  // namespace assets::characters

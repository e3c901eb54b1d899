// The character's skeleton: bone names, the bind pose (standing, arms hanging, facing +X, feet on
// z = 0, left side toward +Y, about 60 units tall) and the points that touch the ground.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "platform/math/d3dx8math.h"

namespace assets::characters {

enum Bone : int {
    kHips, kSpine, kChest, kNeck, kHead,
    kShoulderL, kUpperArmL, kForearmL, kHandL,
    kShoulderR, kUpperArmR, kForearmR, kHandR,
    kThighL, kShinL, kFootL,
    kThighR, kShinR, kFootR,
    kBoneCount
};

struct BoneDef {
    const char* name;
    int parent;              // -1 for the hips
    D3DXVECTOR3 joint;       // bind-pose position of the joint, model space
    D3DXVECTOR3 segmentA;    // the stretch of body this bone carries (for skin weights)
    D3DXVECTOR3 segmentB;
};

const std::array<BoneDef, kBoneCount>& Bones();

// Points of the body, in a bone's space (relative to its joint, bind orientation), used to keep
// the lowest one on the ground.
struct BodyPoint {
    int bone;
    D3DXVECTOR3 offset;
};
const std::vector<BodyPoint>& ContactPoints();
// Heel and toe points of both shoes (a subset of ContactPoints).
const std::vector<BodyPoint>& SolePoints();

}  // namespace assets::characters

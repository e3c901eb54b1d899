// A pose of the character: the hips' displacement and heading, and one rotation per bone.
#pragma once

#include <array>
#include <vector>

#include "platform/math/d3dx8math.h"
#include "tools/assets/characters/skeleton.h"

namespace assets::characters {

// Bone rotations are three angles applied in the order pitch (about the bone's Y axis), roll
// (about X), yaw (about Z), in the bind orientation. For a limb hanging down a negative pitch
// swings it forward (+X); for the spine a positive pitch leans forward; a positive yaw turns left.
struct Pose {
    D3DXVECTOR3 root{0.0f, 0.0f, 0.0f};  // added to the hips' bind position
    float heading = 0.0f;                  // turn of the whole body about Z; 0 faces +X
    std::array<D3DXVECTOR3, kBoneCount> angles{};  // (roll, pitch, yaw) per bone
};

// The rotation a bone gets from its angles (the hips' includes the heading).
D3DXMATRIX BoneRotation(const Pose& pose, int bone);
// The bone's local matrix: its rotation, then the offset from its parent's joint.
D3DXMATRIX BoneLocal(const Pose& pose, int bone);
// Model-space matrices of every bone (bind-space point relative to the joint -> model space).
std::array<D3DXMATRIX, kBoneCount> BoneWorld(const Pose& pose);
// The lowest z over the given body points.
float LowestPoint(const std::array<D3DXMATRIX, kBoneCount>& world, const std::vector<BodyPoint>& points);

// Angle helpers.
float Smooth(float edge0, float edge1, float x);  // smoothstep, 0 before edge0, 1 after edge1
float Mix(float a, float b, float f);
Pose MixPoses(const Pose& a, const Pose& b, float f);

}  // namespace assets::characters

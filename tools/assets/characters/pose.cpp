#include "tools/assets/characters/pose.h"

#include <algorithm>

#include "tools/assets/core/mesh_build.h"

namespace assets::characters {

D3DXMATRIX BoneRotation(const Pose& pose, int bone) {
    const D3DXVECTOR3& a = pose.angles[bone];
    D3DXMATRIX r = RotationY(a.y) * RotationX(a.x) * RotationZ(a.z);
    if (bone == kHips) r = r * RotationZ(pose.heading);
    return r;
}

D3DXMATRIX BoneLocal(const Pose& pose, int bone) {
    const BoneDef& b = Bones()[bone];
    D3DXVECTOR3 offset = b.joint;
    if (b.parent >= 0) offset -= Bones()[b.parent].joint;
    else offset += pose.root;
    return BoneRotation(pose, bone) * Translation(offset.x, offset.y, offset.z);
}

std::array<D3DXMATRIX, kBoneCount> BoneWorld(const Pose& pose) {
    std::array<D3DXMATRIX, kBoneCount> world;
    // Parents come before their children in the bone table.
    for (int i = 0; i < kBoneCount; ++i) {
        const int parent = Bones()[i].parent;
        world[i] = parent < 0 ? BoneLocal(pose, i) : BoneLocal(pose, i) * world[parent];
    }
    return world;
}

float LowestPoint(const std::array<D3DXMATRIX, kBoneCount>& world, const std::vector<BodyPoint>& points) {
    float lowest = 1e30f;
    for (const BodyPoint& p : points) {
        D3DXVECTOR3 w;
        D3DXVec3TransformCoord(&w, &p.offset, &world[p.bone]);
        lowest = std::min(lowest, w.z);
    }
    return lowest;
}

float Smooth(float edge0, float edge1, float x) {
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

float Mix(float a, float b, float f) { return a + (b - a) * f; }

Pose MixPoses(const Pose& a, const Pose& b, float f) {
    Pose p;
    p.root = a.root + (b.root - a.root) * f;
    p.heading = Mix(a.heading, b.heading, f);
    for (int i = 0; i < kBoneCount; ++i) p.angles[i] = a.angles[i] + (b.angles[i] - a.angles[i]) * f;
    return p;
}

}  // namespace assets::characters

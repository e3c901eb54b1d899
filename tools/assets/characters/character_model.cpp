#include "tools/assets/characters/character_model.h"

#include <cmath>

#include "tools/assets/characters/skeleton.h"

namespace assets::characters {

namespace {

Frame BoneFrame(int bone, const Pose& bind) {
    Frame f;
    f.name = Bones()[bone].name;
    f.transform = BoneLocal(bind, bone);
    for (int child = 0; child < kBoneCount; ++child)
        if (Bones()[child].parent == bone) f.children.push_back(BoneFrame(child, bind));
    return f;
}

// The key's quaternion as the loader stores it: the loader conjugates the file's rotation before
// building the matrix, so the written quaternion is the conjugate of the wanted rotation's.
D3DXQUATERNION KeyRotation(const D3DXMATRIX& rotation) {
    D3DXQUATERNION q;
    D3DXQuaternionRotationMatrix(&q, &rotation);
    D3DXQuaternionNormalize(&q, &q);
    D3DXQuaternionConjugate(&q, &q);
    return q;
}

}  // namespace

Pose KeyPose(const Clip& clip, float t) {
    Pose p = clip.pose(t);
    if (clip.fitGround) {
        const float lift = p.root.z;
        p.root.z = 0.0f;
        p.root.z = clip.ground + lift - LowestPoint(BoneWorld(p), ContactPoints());
    }
    return p;
}

Model BuildCharacter(const Clip& clip, const Mesh& body) {
    Model model;
    Frame top;
    top.name = "Character";
    Frame skin;
    skin.name = "BodyMesh";
    skin.meshes.push_back(body);
    top.children.push_back(std::move(skin));
    const Pose first = KeyPose(clip, 0.0f);
    top.children.push_back(BoneFrame(kHips, first));
    model.frames.push_back(std::move(top));

    const int steps = int(std::lround(clip.duration * clip.keysPerSecond));
    std::vector<Pose> poses;
    std::vector<std::uint32_t> times;
    for (int k = 0; k < steps; ++k) {
        poses.push_back(KeyPose(clip, float(k) / clip.keysPerSecond));
        times.push_back(std::uint32_t(std::lround(double(k) * 4800.0 / clip.keysPerSecond)));
    }
    poses.push_back(first);
    times.push_back(std::uint32_t(std::lround(double(clip.duration) * 4800.0)));

    AnimationSet set;
    set.name = clip.name;
    for (int bone = 0; bone < kBoneCount; ++bone) {
        Animation a;
        a.frame = Bones()[bone].name;
        for (std::size_t k = 0; k < poses.size(); ++k) {
            D3DXQUATERNION q = KeyRotation(BoneRotation(poses[k], bone));
            // Neighbouring keys on the same side of the quaternion sphere.
            if (!a.rotations.empty() && D3DXQuaternionDot(&q, &a.rotations.back().rotation) < 0.0f) q = -q;
            a.rotations.push_back({times[k], q});
        }
        a.rotations.back().rotation = a.rotations.front().rotation;  // the loop closes exactly
        if (bone == kHips) {
            for (std::size_t k = 0; k < poses.size(); ++k)
                a.positions.push_back({times[k], Bones()[kHips].joint + poses[k].root});
        }
        set.animations.push_back(std::move(a));
    }
    model.animationSets.push_back(std::move(set));
    return model;
}

}  // namespace assets::characters

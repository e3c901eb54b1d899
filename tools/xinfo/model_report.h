// What a loaded model holds, summed up for orrery3d-xinfo.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scene/model_hierarchy.h"

namespace xinfo {

struct MeshSummary {
    std::optional<std::string> name;
    std::uint32_t vertices = 0;  // of the mesh as read (the skin's for a skinned mesh)
    std::uint32_t faces = 0;     // triangles of the mesh as read
    std::uint32_t subsets = 0;
    std::uint32_t materials = 0;
    std::uint32_t bones = 0;
    std::uint32_t influences = 0;
    std::uint32_t boneCombinations = 0;
    std::uint32_t splitSubset = 0;
    bool secondMesh = false;
    std::uint32_t unboundBones = 0;  // bones that no frame bears
};

struct AnimationSummary {
    std::optional<std::string> target;
    std::size_t positionKeys = 0, rotationKeys = 0, scaleKeys = 0, matrixKeys = 0;
    std::uint32_t lastKeyTime = 0;
};

struct ModelReport {
    std::string file;
    std::uint32_t frames = 0;  // frames made for Frame objects (not the root, not animation frames)
    std::uint32_t depth = 0;   // deepest nesting of those frames below the root
    std::vector<MeshSummary> meshes;
    std::vector<AnimationSummary> animations;  // in posing order
    D3DXVECTOR3 centre{0.0f, 0.0f, 0.0f};
    float radius = 0.0f;
    std::uint64_t faces = 0;
    std::uint64_t bones = 0;
    std::uint32_t animationSets = 0;
};

ModelReport Summarise(const ModelHierarchy& hierarchy);

// One line of JSON (no trailing newline).
std::string ToJson(const ModelReport& report);

}  // namespace xinfo

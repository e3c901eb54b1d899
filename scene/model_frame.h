// ModelFrame: one transform node of a model's frame tree, or the frame of an animation.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/math/d3dx8math.h"
#include "scene/animation_keys.h"
#include "scene/mesh_container.h"

struct ModelFrame {
    ModelFrame();
    ~ModelFrame();
    ModelFrame(const ModelFrame&) = delete;
    ModelFrame& operator=(const ModelFrame&) = delete;

    // Head of the container list; the container read last stands first.
    std::unique_ptr<MeshContainer> containers;
    D3DXMATRIX local;
    // Applied after the parent's transform (the model position on the root).
    D3DXMATRIX outer;
    // The local transform as loaded.
    D3DXMATRIX initial;
    D3DXMATRIX combined;

    std::vector<VectorKey> positionKeys;
    std::vector<QuaternionKey> rotationKeys;
    std::vector<VectorKey> scaleKeys;
    std::vector<MatrixKey> matrixKeys;

    // Link of the hierarchy's animation list (not owned).
    ModelFrame* nextAnimationFrame = nullptr;
    // The frame whose local matrix this animation frame writes (not owned).
    ModelFrame* target = nullptr;
    std::unique_ptr<ModelFrame> sibling;
    std::unique_ptr<ModelFrame> firstChild;
    bool isAnimationFrame = false;
    std::optional<std::string> name;
};

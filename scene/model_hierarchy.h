// ModelHierarchy: the frame tree loaded from one X file.
#pragma once

#include <memory>
#include <string>

#include "platform/math/d3dx8math.h"
#include "scene/model_frame.h"

struct ModelHierarchy {
    ModelHierarchy();
    ~ModelHierarchy();
    ModelHierarchy(const ModelHierarchy&) = delete;
    ModelHierarchy& operator=(const ModelHierarchy&) = delete;

    // Artificial root made by the loader; the file's top-level objects hang below it.
    std::unique_ptr<ModelFrame> root;
    D3DXVECTOR3 centre{0.0f, 0.0f, 0.0f};
    float radius = 1.0f;
    // The path the hierarchy was loaded from.
    std::string name;
    // Frames made for Animation objects, the one read last first (not owned).
    ModelFrame* animationList = nullptr;
    std::unique_ptr<ModelHierarchy> next;
    // Animation time in ticks.
    float clock = 0.0f;
};

// AnimatedModel: an X file with its frame hierarchy and keyframe animation, placed in the world.
#pragma once

#include <memory>

#include "platform/math/d3dx8math.h"
#include "scene/model_hierarchy.h"

class AnimatedModel {
public:
    static constexpr std::size_t kPathCapacity = 260;

    AnimatedModel() = default;
    virtual ~AnimatedModel();
    AnimatedModel(const AnimatedModel&) = delete;
    AnimatedModel& operator=(const AnimatedModel&) = delete;

    // Finds the file and loads it. E_FAIL when the file cannot be opened, E_INVALIDARG for a null
    // name (the name then goes to the error reporter's detail). A file that does not parse
    // still gives 0 and leaves the model as it was.
    HRESULT Load(const char* fileName);
    // Advances every hierarchy's animation clock and poses its animated frames.
    HRESULT AdvanceTime(float seconds);
    // Draws every hierarchy turned by rotation and moved to position.
    HRESULT Render();

    // The hierarchy of the last successful load (null when there is none).
    ModelHierarchy* currentHierarchy = nullptr;
    // Head of the model's hierarchy list, newest first.
    std::unique_ptr<ModelHierarchy> hierarchies;
    // The file name of the last Load call.
    char path[kPathCapacity] = {};
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    // Pitch (about X), yaw (about Y), roll (about Z).
    D3DXVECTOR3 rotation{0.0f, 0.0f, 0.0f};
};

// GLSL generated for a pipeline key (reading the uniform rows of uniform_layout.h).
#pragma once

#include <string>

#include "platform/gpu/pipeline_key.h"
#include "platform/gpu/uniform_layout.h"

namespace gpu {

// Attribute locations.
enum Attribute : int {
    kAttrPosition = 0,
    kAttrWeights = 1,
    kAttrNormal = 2,
    kAttrDiffuse = 3,
    kAttrSpecular = 4,
    kAttrTex0 = 5,  // 5..12: texture coordinate sets 0..7
};

std::string VertexShaderSource(const PipelineKey& key, bool clipControl);
std::string FragmentShaderSource(const PipelineKey& key);

}  // namespace gpu

// GLSL generated for a pipeline key, and the uniform layout the device uploads into.
#pragma once

#include <string>

#include "platform/gpu/pipeline_key.h"

namespace gpu {

// Vertex uniforms: one vec4 array "V".
namespace vu {
constexpr int kMaterial = 0;     // diffuse, ambient, specular, emissive, (power)
constexpr int kWorld = 5;        // per world matrix i: kWorld+7i .. +3 world x view rows, +4..+6 normal rows
constexpr int kWorldStride = 7;  // (material and world 0 are adjacent: the particle pattern uploads them at once)
constexpr int kProjection = 33;  // 4 rows
constexpr int kPixel = 37;       // (1/width, 1/height) of the viewport: the half-pixel shift in clip space
constexpr int kViewport = 38;    // (X, Y, Width, Height)
constexpr int kDepthRange = 39;  // (MinZ, MaxZ)
constexpr int kAmbient = 40;     // global ambient
constexpr int kLights = 41;      // per light: diffuse, specular, ambient, position, direction, (range, a0, a1, a2), (falloff, cos theta/2, cos phi/2)
constexpr int kLightStride = 7;
constexpr int kCount = kLights + kLightStride * kMaxLights;
// Merged draws: each instance's material and world matrix (V[0] .. V[kInstanceRows - 1] of a
// single draw) come from the array "I", kInstanceRows vec4 per instance.
constexpr int kInstanceRows = kWorld + kWorldStride;
constexpr int kBatch = 64;
}  // namespace vu

// Fragment uniforms: one vec4 array "F".
namespace fu {
constexpr int kFogColor = 0;
constexpr int kFog = 1;        // (density, start, end)
constexpr int kAlphaRef = 2;   // (ALPHAREF / 255)
constexpr int kTFactor = 3;
constexpr int kCount = 4;
}  // namespace fu

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

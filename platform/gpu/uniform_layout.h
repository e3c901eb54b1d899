// Where each uniform value sits in the two vec4 arrays the generated programs read (named in
// program_interface.h): "V" in the vertex shader, "F" in the fragment shader. Each offset follows
// from the one before it, so a group that grows moves the ones after it; the asserts hold what
// the generated GLSL and the uploads rely on.
#pragma once

#include "platform/gpu/device_state.h"

namespace gpu {

// Groups of uniform values that change together and are uploaded together.
enum class UniformGroup : int { kWorld, kProjection, kMaterial, kLights, kFog, kMisc, kCount };
constexpr int kUniformGroups = static_cast<int>(UniformGroup::kCount);

// Rows of the vertex array "V".
namespace vertex_uniforms {
// The material, from kMaterial.
constexpr int kMaterial = 0;
enum MaterialRow : int { kMaterialDiffuse, kMaterialAmbient, kMaterialSpecular, kMaterialEmissive, kMaterialPower, kMaterialRows };
// World matrix i from kWorld + kWorldStride * i: four rows of world x view, then three rows of
// the matrix for normals (the inverse transpose of its upper 3x3).
constexpr int kWorld = kMaterial + kMaterialRows;
constexpr int kNormalOffset = 4;
constexpr int kWorldStride = kNormalOffset + 3;
constexpr int kWorldRows = kWorldStride * static_cast<int>(kWorldMatrices);
// Projection (four rows), then what the viewport gives: (1/width, 1/height) for the half-pixel
// shift in clip space, (X, Y, Width, Height), (MinZ, MaxZ).
constexpr int kProjection = kWorld + kWorldRows;
constexpr int kPixel = kProjection + 4;
constexpr int kViewport = kPixel + 1;
constexpr int kDepthRange = kViewport + 1;
constexpr int kProjectionRows = kDepthRange + 1 - kProjection;
// Global ambient, then each light.
constexpr int kAmbient = kDepthRange + 1;
constexpr int kLights = kAmbient + 1;
// Rows of one light, from kLights + kLightStride * i.
enum LightRow : int {
    kLightDiffuse,
    kLightSpecular,
    kLightAmbient,
    kLightPosition,     // in view space
    kLightDirection,    // in view space
    kLightAttenuation,  // (range, attenuation 0, 1, 2)
    kLightSpot,         // (falloff, cos theta/2, cos phi/2)
    kLightStride,
};
constexpr int kCount = kLights + kLightStride * static_cast<int>(kMaxLights);
// Merged draws: each instance's material and world matrix 0 (V[0] .. V[kInstanceRows - 1] of a
// single draw) come from the array "I", kInstanceRows rows per instance, kBatch instances.
constexpr int kInstanceRows = kWorld + kWorldStride;
constexpr int kBatch = 64;

static_assert(kMaterial == 0, "a merged draw's per-instance rows start at V[0]");
static_assert(kWorld == kMaterial + kMaterialRows, "material and world 0 are uploaded in one call");
static_assert(kInstanceRows == kMaterialRows + kWorldStride, "an instance holds the material and world 0");
static_assert(kLights == kAmbient + 1, "the lights group uploads the ambient row and the lights at once");
}  // namespace vertex_uniforms

// Rows of the fragment array "F".
namespace fragment_uniforms {
constexpr int kFogColor = 0;
constexpr int kFog = kFogColor + 1;  // (density, start, end)
constexpr int kFogRows = kFog + 1 - kFogColor;
constexpr int kAlphaRef = kFog + 1;     // (ALPHAREF / 255)
constexpr int kTFactor = kAlphaRef + 1;
// The border colour of each blend stage, for programs that blend it in themselves (ES).
constexpr int kBorderColour = kTFactor + 1;
constexpr int kBorderRows = 2;
constexpr int kMiscRows = kBorderColour + kBorderRows - kAlphaRef;
constexpr int kCount = kBorderColour + kBorderRows;
}  // namespace fragment_uniforms

}  // namespace gpu

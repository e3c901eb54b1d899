// PipelineKey: the part of the device state that decides which GL program draws.
//
// Built only when pipeline-relevant state changed; programs are cached by it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/gpu/device_state.h"
#include "platform/gpu/fvf.h"
#include "platform/gpu/hash_combine.h"

namespace gpu {

constexpr int kMaxStages = 2;  // blend stages the generated programs evaluate

// StageKey::texSet of a stage that reads no texture coordinates from the vertex (it has no
// texture, or the vertex lacks the set): a textured one samples at (0, 0).
constexpr std::uint8_t kNoTexSet = 0xFF;

struct StageKey {
    std::uint8_t colorOp = D3DTOP_DISABLE;
    std::uint8_t colorArg1 = 0, colorArg2 = 0;
    std::uint8_t alphaOp = D3DTOP_DISABLE;
    std::uint8_t alphaArg1 = 0, alphaArg2 = 0;
    std::uint8_t texSet = kNoTexSet;  // texture coordinate set read
    std::uint8_t texSize = 2;
    std::uint8_t textured = 0;  // a texture is bound to the stage
    std::uint8_t border = 0;    // kBorder* bits: the program blends in the border colour (ES)
};

// Border addressing the program carries out where the sampler cannot (OpenGL ES): which axes
// clamp to the border, and whether the stage samples linearly.
constexpr std::uint8_t kBorderU = 1, kBorderV = 2, kBorderLinear = 4;

struct PipelineKey {
    // Vertex layout.
    std::uint8_t pretransformed = 0;
    std::uint8_t hasNormal = 0;
    std::uint8_t hasDiffuse = 0;
    std::uint8_t hasSpecular = 0;
    std::uint8_t blendWeights = 0;  // VERTEXBLEND weights actually read (0..3)
    // Lighting.
    std::uint8_t lighting = 0;
    std::uint8_t lightCount = 0;
    std::uint8_t lightTypes[kMaxLights] = {};
    std::uint8_t specular = 0;  // SPECULARENABLE, with a specular colour that is not always black
    std::uint8_t localViewer = 0;
    std::uint8_t normalize = 0;
    std::uint8_t diffuseSource = 0, ambientSource = 0, specularSource = 0, emissiveSource = 0;  // 0 material, 1 diffuse, 2 specular
    // Pixel stage.
    std::uint8_t fogMode = 0;  // D3DFOGMODE, 0 when fog is off
    std::uint8_t alphaFunc = 0;  // D3DCMPFUNC, 0 when the alpha test is off
    std::uint8_t flat = 0;
    std::uint8_t instanced = 0;  // world matrix and material per instance (merged draws)
    StageKey stages[kMaxStages];

    bool operator==(const PipelineKey& o) const { return std::memcmp(this, &o, sizeof(*this)) == 0; }
};

struct PipelineKeyHash {
    std::size_t operator()(const PipelineKey& k) const { return HashBytes(&k, sizeof(k)); }
};

// Lights the program handles, in the order their uniforms are uploaded.
struct ActiveLights {
    std::uint8_t count = 0;
    std::uint8_t index[kMaxLights] = {};
};

ActiveLights CollectLights(const DeviceState& state);

// What of a material programs can depend on (its specular colour being black, its diffuse
// alpha being 1), as bits: a draw whose material differs here needs its program looked up again.
inline bool MaterialHasSpecular(const D3DMATERIAL8& m) {
    return m.Specular.r != 0.0f || m.Specular.g != 0.0f || m.Specular.b != 0.0f;
}
inline bool MaterialIsOpaque(const D3DMATERIAL8& m) { return m.Diffuse.a >= 1.0f; }  // lighting clamps to 1
inline std::uint8_t MaterialBits(const D3DMATERIAL8& m) {
    return static_cast<std::uint8_t>((MaterialHasSpecular(m) ? 1 : 0) | (MaterialIsOpaque(m) ? 2 : 0));
}
// Some blend stage reads the specular colour as an argument.
bool StagesReadSpecular(const PipelineKey& key);
// opaque[i]: the texture bound to stage i has no alpha channel (it samples as alpha 1). An
// alpha test that the pipeline always passes (alpha 1 from opaque textures, an opaque material
// or no vertex colour) is left out of the key, so that the program has no discard and depth can
// be tested before shading; so is specular that is always black. `material` is what the draw is
// lit with, null when each merged instance brings its own: nothing is then left out for it.
// Marks the textured stages of `key` that address the border, for GLs without border clamping.
void AddBorderAddressing(PipelineKey& key, const DeviceState& state);

PipelineKey MakePipelineKey(const DeviceState& state, const FvfLayout& layout, const bool textured[kMaxStages],
                            const ActiveLights& lights, const bool opaque[kMaxStages] = nullptr,
                            const D3DMATERIAL8* material = nullptr);

}  // namespace gpu

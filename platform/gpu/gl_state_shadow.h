// GlStateShadow: the fixed GL state as last set for draws (depth, blending, culling, fill mode,
// colour mask, viewport, the texture and sampler of each stage), so that each is set only when
// it differs; and the sampler objects, one per distinct set of sampling states.
#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>

#include "platform/gpu/device_state.h"
#include "platform/gpu/gl_shared.h"
#include "platform/gpu/pipeline_key.h"
#include "platform/gpu/texture.h"

namespace gpu {

// The border colour of the stage can show: a coordinate is clamped to the border.
bool SamplesBorder(const std::array<DWORD, D3D_TEXTURESTAGESTATE_COUNT>& stage);

class GlStateShadow {
public:
    // `targetHasAlpha`: the back buffer stores alpha, so its alpha may be written.
    GlStateShadow(GlShared& gl, bool targetHasAlpha) : gl_(gl), targetHasAlpha_(targetHasAlpha) {}
    ~GlStateShadow();
    GlStateShadow(const GlStateShadow&) = delete;
    GlStateShadow& operator=(const GlStateShadow&) = delete;

    void ApplyViewport(const D3DVIEWPORT8& viewport);
    void ApplyRaster(const DeviceState& state);
    void BindTextures(const DeviceState& state, Texture* const textures[kMaxStages]);

    // Clears and presents set these masks their own way: the next draw sets them again.
    void ForgetColourMask() { raster_.colorMask = -1; }
    void ForgetDepthMask() { raster_.depthMask = -1; }
    // A deleted texture is unbound by the GL, and its name may come back for another.
    void ForgetTexture(GLuint name);

private:
    GLuint Sampler(const std::array<DWORD, D3D_TEXTURESTAGESTATE_COUNT>& stage);

    // -1: not known (set at the next draw).
    struct Raster {
        int depthTest = -1, depthMask = -1, depthFunc = -1, blend = -1, srcBlend = -1, dstBlend = -1, blendOp = -1,
            cull = -1, cullFace = -1, polygonMode = -1, colorMask = -1;
    };

    GlShared& gl_;
    bool targetHasAlpha_;
    Raster raster_;
    GLuint boundTexture_[kMaxStages] = {};
    GLuint boundSampler_[kMaxStages] = {};
    std::unordered_map<std::uint64_t, GLuint> samplers_;
};

}  // namespace gpu

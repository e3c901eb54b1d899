#include "platform/gpu/uniform_values.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gpu/dirty_state.h"
#include "platform/gpu/gl_convert.h"

namespace gpu {

static_assert(fragment_uniforms::kBorderRows == kMaxStages, "a border colour row per blend stage");

namespace {

void SetValue(float out[4], const D3DCOLORVALUE& c) {
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
    out[3] = c.a;
}
void Set4(float out[4], float a, float b, float c, float d) {
    out[0] = a;
    out[1] = b;
    out[2] = c;
    out[3] = d;
}

}  // namespace

using namespace vertex_uniforms;

void UniformValues::Derive(const DeviceState& s, std::uint32_t& dirty, const PipelineKey& key,
                           const ActiveLights& lights) {
    if (dirty & dirty::kView) {
        worldDirty_ = (1u << kWorldMatrices) - 1;
        dirty |= dirty::kWorld | dirty::kLights;
    }
    if (dirty & dirty::kWorld) DeriveWorlds(s);
    DeriveNormals(key.lighting ? key.blendWeights + 1 : 0);
    if (dirty & (dirty::kProjection | dirty::kViewport)) {
        std::memcpy(vertex_[kProjection], s.transforms[D3DTS_PROJECTION].m, sizeof(D3DMATRIX));
        const D3DVIEWPORT8& vp = s.viewport;
        const float w = static_cast<float>(std::max<DWORD>(vp.Width, 1)), h = static_cast<float>(std::max<DWORD>(vp.Height, 1));
        Set4(vertex_[kPixel], 1.0f / w, 1.0f / h, 0, 0);
        Set4(vertex_[kViewport], static_cast<float>(vp.X), static_cast<float>(vp.Y), w, h);
        Set4(vertex_[kDepthRange], vp.MinZ, vp.MaxZ, 0, 0);
        Changed(UniformGroup::kProjection);
    }
    if (dirty & dirty::kMaterial) {
        float (*m)[4] = &vertex_[kMaterial];
        SetValue(m[kMaterialDiffuse], s.material.Diffuse);
        SetValue(m[kMaterialAmbient], s.material.Ambient);
        SetValue(m[kMaterialSpecular], s.material.Specular);
        SetValue(m[kMaterialEmissive], s.material.Emissive);
        Set4(m[kMaterialPower], s.material.Power, 0, 0, 0);
        Changed(UniformGroup::kMaterial);
    }
    if (dirty & dirty::kLights) DeriveLights(s, lights);
    if (dirty & dirty::kFog) {
        SetColour(fragment_[fragment_uniforms::kFogColor], s.renderStates[D3DRS_FOGCOLOR]);
        Set4(fragment_[fragment_uniforms::kFog], BitsFloat(s.renderStates[D3DRS_FOGDENSITY]),
             BitsFloat(s.renderStates[D3DRS_FOGSTART]), BitsFloat(s.renderStates[D3DRS_FOGEND]), 0);
        Changed(UniformGroup::kFog);
    }
    if (dirty & dirty::kMisc) {
        Set4(fragment_[fragment_uniforms::kAlphaRef],
             static_cast<float>(s.renderStates[D3DRS_ALPHAREF] & 0xFF) / 255.0f, 0, 0, 0);
        SetColour(fragment_[fragment_uniforms::kTFactor], s.renderStates[D3DRS_TEXTUREFACTOR]);
        for (int i = 0; i < fragment_uniforms::kBorderRows; ++i)
            SetColour(fragment_[fragment_uniforms::kBorderColour + i], s.stageStates[i][D3DTSS_BORDERCOLOR]);
        Changed(UniformGroup::kMisc);
    }
    dirty &= ~(dirty::kView | dirty::kWorld | dirty::kProjection | dirty::kViewport | dirty::kMaterial | dirty::kLights |
               dirty::kFog | dirty::kMisc);
}

void UniformValues::DeriveWorlds(const DeviceState& s) {
    const D3DMATRIX& view = s.transforms[D3DTS_VIEW];
    for (DWORD i = 0; i < kWorldMatrices; ++i) {
        if (!(worldDirty_ & (1u << i))) continue;
        D3DMATRIX wv = MultiplyMatrix(s.transforms[D3DTS_WORLD + i], view);
        std::memcpy(vertex_[kWorld + kWorldStride * static_cast<int>(i)], wv.m, sizeof(wv.m));
    }
    worldDirty_ = 0;
    normalsValid_ = 0;
    Changed(UniformGroup::kWorld);
}

void UniformValues::DeriveNormals(int needed) {
    for (int i = normalsValid_; i < needed; ++i) {
        const float (*m)[4] = &vertex_[kWorld + kWorldStride * i];
        float (*n)[4] = &vertex_[kWorld + kWorldStride * i + kNormalOffset];
        // Inverse transpose of the upper 3x3: the cofactor matrix over the determinant.
        float c[3][3];
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k) {
                int r1 = (r + 1) % 3, r2 = (r + 2) % 3, k1 = (k + 1) % 3, k2 = (k + 2) % 3;
                c[r][k] = m[r1][k1] * m[r2][k2] - m[r1][k2] * m[r2][k1];
            }
        float det = m[0][0] * c[0][0] + m[0][1] * c[0][1] + m[0][2] * c[0][2];
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k) n[r][k] = std::fabs(det) > 1e-20f ? c[r][k] / det : m[r][k];
    }
    if (normalsValid_ < needed) normalsValid_ = needed;
}

void UniformValues::DeriveLights(const DeviceState& s, const ActiveLights& lights) {
    SetColour(vertex_[kAmbient], s.renderStates[D3DRS_AMBIENT]);
    vertex_[kAmbient][3] = 0;
    const D3DMATRIX& view = s.transforms[D3DTS_VIEW];
    for (int i = 0; i < lights.count; ++i) {
        const D3DLIGHT8& l = s.lights[lights.index[i]].light;
        float (*o)[4] = &vertex_[kLights + kLightStride * i];
        SetValue(o[kLightDiffuse], l.Diffuse);
        SetValue(o[kLightSpecular], l.Specular);
        SetValue(o[kLightAmbient], l.Ambient);
        const D3DVECTOR& p = l.Position;
        const D3DVECTOR& d = l.Direction;
        for (int k = 0; k < 3; ++k) {
            o[kLightPosition][k] = p.x * view.m[0][k] + p.y * view.m[1][k] + p.z * view.m[2][k] + view.m[3][k];
            o[kLightDirection][k] = d.x * view.m[0][k] + d.y * view.m[1][k] + d.z * view.m[2][k];
        }
        o[kLightPosition][3] = 1;
        o[kLightDirection][3] = 0;
        Set4(o[kLightAttenuation], l.Range, l.Attenuation0, l.Attenuation1, l.Attenuation2);
        Set4(o[kLightSpot], l.Falloff, std::cos(l.Theta * 0.5f), std::cos(l.Phi * 0.5f), 0);
    }
    Changed(UniformGroup::kLights);
}

}  // namespace gpu

// The Direct3D-visible state of a device as plain values, with the defaults of a fresh device.
#pragma once

#include <array>
#include <cstring>

#include "platform/gpu/d3d8types.h"

namespace gpu {

constexpr DWORD kMaxLights = 8;
constexpr DWORD kWorldMatrices = 4;
constexpr DWORD kTransformSlots = 260;  // 0..259: view, projection, texture 16..23, world 256..259

inline DWORD FloatBits(float f) {
    DWORD d;
    std::memcpy(&d, &f, 4);
    return d;
}
inline float BitsFloat(DWORD d) {
    float f;
    std::memcpy(&f, &d, 4);
    return f;
}

inline D3DMATRIX IdentityMatrix() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

// a x b in the row-vector convention (a applies first).
inline D3DMATRIX MultiplyMatrix(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    return r;
}

// Index of a transform in DeviceState::transforms, -1 when the type is not kept.
inline int TransformSlot(DWORD type) {
    if (type == D3DTS_VIEW || type == D3DTS_PROJECTION) return static_cast<int>(type);
    if (type >= D3DTS_TEXTURE0 && type <= D3DTS_TEXTURE7) return static_cast<int>(type);
    if (type >= D3DTS_WORLD && type < D3DTS_WORLD + kWorldMatrices) return static_cast<int>(type);
    return -1;
}

struct LightSlot {
    D3DLIGHT8 light{};
    bool enabled = false;
    bool set = false;
};

struct DeviceState {
    std::array<DWORD, D3D_RENDERSTATE_COUNT> renderStates{};
    std::array<std::array<DWORD, D3D_TEXTURESTAGESTATE_COUNT>, D3D_MAX_TEXTURE_STAGES> stageStates{};
    std::array<D3DMATRIX, kTransformSlots> transforms{};
    std::array<LightSlot, kMaxLights> lights{};
    D3DMATERIAL8 material{};
    D3DVIEWPORT8 viewport{};
    DWORD fvf = 0;

    // A fresh device's state, with a viewport covering the back buffer.
    static DeviceState Defaults(UINT width, UINT height);
};

inline D3DLIGHT8 DefaultLight() {
    D3DLIGHT8 l{};
    l.Type = D3DLIGHT_DIRECTIONAL;
    l.Diffuse = {1, 1, 1, 0};
    l.Direction = {0, 0, 1};
    return l;
}

inline DeviceState DeviceState::Defaults(UINT width, UINT height) {
    DeviceState s;
    auto& rs = s.renderStates;
    rs[D3DRS_ZENABLE] = D3DZB_TRUE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_ALPHATESTENABLE] = FALSE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAREF] = 0;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_DITHERENABLE] = FALSE;
    rs[D3DRS_ALPHABLENDENABLE] = FALSE;
    rs[D3DRS_FOGENABLE] = FALSE;
    rs[D3DRS_SPECULARENABLE] = FALSE;
    rs[D3DRS_FOGCOLOR] = 0;
    rs[D3DRS_FOGTABLEMODE] = D3DFOG_NONE;
    rs[D3DRS_FOGSTART] = FloatBits(0.0f);
    rs[D3DRS_FOGEND] = FloatBits(1.0f);
    rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = 0xFFFFFFFF;
    rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
    rs[D3DRS_STENCILFAIL] = 1;  // KEEP
    rs[D3DRS_STENCILZFAIL] = 1;
    rs[D3DRS_STENCILPASS] = 1;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_AMBIENT] = 0;
    rs[D3DRS_FOGVERTEXMODE] = D3DFOG_NONE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_NORMALIZENORMALS] = FALSE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_VERTEXBLEND] = D3DVBF_DISABLE;
    rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
    rs[D3DRS_POINTSIZE_MIN] = FloatBits(0.0f);
    rs[D3DRS_POINTSIZE_MAX] = FloatBits(64.0f);
    rs[D3DRS_POINTSCALE_A] = FloatBits(1.0f);
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
    rs[D3DRS_COLORWRITEENABLE] = 0xF;
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;

    for (DWORD stage = 0; stage < D3D_MAX_TEXTURE_STAGES; ++stage) {
        auto& t = s.stageStates[stage];
        t[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        t[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        t[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        t[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        t[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        t[D3DTSS_TEXCOORDINDEX] = stage;
        t[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
        t[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        t[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
        t[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
        t[D3DTSS_MINFILTER] = D3DTEXF_POINT;
        t[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
        t[D3DTSS_MAXANISOTROPY] = 1;
        t[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        t[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    }
    for (auto& m : s.transforms) m = IdentityMatrix();
    for (auto& l : s.lights) l.light = DefaultLight();
    s.viewport = {0, 0, width, height, 0.0f, 1.0f};
    return s;
}

}  // namespace gpu

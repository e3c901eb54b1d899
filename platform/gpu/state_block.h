// StateBlock: a recorded set of device states and their values.
#pragma once

#include <bitset>

#include "platform/com/com_ptr.h"
#include "platform/gpu/d3d8.h"
#include "platform/gpu/device_state.h"

namespace gpu {

struct StateBlock {
    DeviceState values;  // only the entries marked below are meaningful
    std::bitset<D3D_RENDERSTATE_COUNT> renderStates;
    std::array<std::bitset<D3D_TEXTURESTAGESTATE_COUNT>, D3D_MAX_TEXTURE_STAGES> stageStates;
    std::bitset<D3D_MAX_TEXTURE_STAGES> textures;
    std::bitset<kTransformSlots> transforms;
    std::bitset<kMaxLights> lights;
    std::bitset<kMaxLights> lightEnables;
    bool material = false;
    bool viewport = false;
    bool fvf = false;
    bool stream = false;
    bool indices = false;

    ComPtr<IDirect3DBaseTexture8> textureValues[D3D_MAX_TEXTURE_STAGES];
    ComPtr<IDirect3DVertexBuffer8> streamBuffer;
    UINT streamStride = 0;
    ComPtr<IDirect3DIndexBuffer8> indexBuffer;
    UINT baseVertex = 0;
};

// Which render states a pixel or vertex state block holds.
bool IsPixelRenderState(DWORD state);
bool IsVertexRenderState(DWORD state);

}  // namespace gpu

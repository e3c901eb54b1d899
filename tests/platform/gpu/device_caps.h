// Changing what a test device reports about itself.
#pragma once

#include "platform/gpu/d3d8.h"

namespace gputest {

// Makes the device report `count` blend matrices; returns the result of reading its caps.
inline HRESULT SetMaxVertexBlendMatrices(IDirect3DDevice8* device, DWORD count) {
    D3DCAPS8 caps{};
    const HRESULT hr = device->GetDeviceCaps(&caps);
    if (FAILED(hr)) return hr;
    caps.MaxVertexBlendMatrices = count;
    device->OverrideDeviceCaps(caps);
    return hr;
}

}  // namespace gputest

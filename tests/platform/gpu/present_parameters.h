// Presentation parameters of the headless devices that tests and benchmarks create: a windowed
// back buffer of the given size and format with the copy swap effect and a 16-bit depth buffer;
// and the projection that draws on such a back buffer in pixels.
#pragma once

#include "platform/gpu/d3d8types.h"

namespace devicetest {

inline D3DPRESENT_PARAMETERS PresentParameters(UINT width, UINT height, D3DFORMAT format = D3DFMT_X8R8G8B8) {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = width;
    pp.BackBufferHeight = height;
    pp.BackBufferFormat = format;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    return pp;
}

// Orthographic pixels on a width x height back buffer: x and y in pixels from the top left, z in
// 0..1.
inline D3DMATRIX PixelProjection(UINT width, UINT height) {
    D3DMATRIX projection{};
    projection._11 = 2.0f / static_cast<float>(width);
    projection._22 = -2.0f / static_cast<float>(height);
    projection._33 = 1;
    projection._41 = -1;
    projection._42 = 1;
    projection._44 = 1;
    return projection;
}

}  // namespace devicetest

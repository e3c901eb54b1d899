// Presentation parameters of the headless devices that tests and benchmarks create: a windowed
// back buffer of the given size and format with the copy swap effect and a 16-bit depth buffer.
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

}  // namespace devicetest

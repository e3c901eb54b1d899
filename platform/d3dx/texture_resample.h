// Pixel work between decoding and the texture: stretching, mip levels, colour keys.
#pragma once

#include "platform/d3dx/image_data.h"

namespace d3dx {

enum class Filter { None, Point, Smooth };

// D3DX_FILTER_NONE and _POINT as named; linear, triangle, box and D3DX_DEFAULT smooth.
Filter FilterFrom(DWORD filter);

// `src` stretched to `width` x `height`. Smooth: area-weighted (box) along a shrinking axis,
// linear along a growing one. Point: nearest pixel. None: no scaling; the part of the target
// outside the source stays transparent black.
PixelLevel Resize(const PixelLevel& src, std::uint32_t width, std::uint32_t height, Filter filter);

// The next mip level, max(1, w / 2) x max(1, h / 2): the 2x2 box average (Smooth), or the
// top-left pixel of each 2x2 square (None, Point). A side of 1 averages along the other only.
PixelLevel HalveLevel(const PixelLevel& src, Filter filter);

// Pixels equal to `key` (all four channels) become transparent black; true if any did.
bool ApplyColourKey(PixelLevel& level, D3DCOLOR key);

}  // namespace d3dx

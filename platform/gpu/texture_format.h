// Texture formats: Direct3D memory layout on the CPU side, and how each one goes to OpenGL.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gpu/d3d8types.h"

namespace gpu {

struct FormatInfo {
    bool supported = false;
    bool compressed = false;   // DXT: 4x4 blocks
    UINT bytesPerPixel = 0;    // uncompressed formats
    UINT bytesPerBlock = 0;    // DXT formats
    bool hasAlpha = false;
};

FormatInfo DescribeFormat(D3DFORMAT format);

// Row pitch in bytes (for DXT formats: per row of blocks) and rows of that pitch in a level.
UINT FormatPitch(D3DFORMAT format, UINT width);
UINT FormatRows(D3DFORMAT format, UINT height);

// Decodes a DXT1/3/5 image to 0xAARRGGBB texels (little-endian bytes B, G, R, A), width*height.
void DecodeDxt(D3DFORMAT format, const BYTE* blocks, UINT width, UINT height, std::vector<std::uint32_t>& out);

}  // namespace gpu

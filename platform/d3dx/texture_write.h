// Writing 0xAARRGGBB pixels into locked texture memory in a Direct3D format.
#pragma once

#include "platform/d3dx/image_data.h"

namespace d3dx {

// Formats WriteLevel can produce: 32-, 24- and 16-bit colour, A8, L8, A8L8 and DXT1/3/5.
bool CanWriteFormat(D3DFORMAT format);

// Writes `level` at `bits` with `pitch` bytes per row (per row of 4x4 blocks for DXT).
void WriteLevel(const PixelLevel& level, D3DFORMAT format, std::uint8_t* bits, std::size_t pitch);

// One 4x4 block (pixels row by row) in DXT1, DXT3 or DXT5; out holds 8 or 16 bytes.
void EncodeDxtBlock(const std::uint32_t pixels[16], D3DFORMAT format, std::uint8_t* out);

}  // namespace d3dx

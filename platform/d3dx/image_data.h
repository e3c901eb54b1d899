// Decoded images: what the image file decoders hand to texture creation.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/d3dx/d3dx8tex.h"

namespace d3dx {

// Largest image a decoder accepts: per side, and in total (64 MB of 32-bit pixels).
constexpr std::uint32_t kMaxImageSide = 16384;
constexpr std::uint64_t kMaxImagePixels = std::uint64_t{1} << 24;

// Palette-indexed source images (reported in the image information only; never created).
constexpr D3DFORMAT kFormatP8 = static_cast<D3DFORMAT>(41);

// One level of 32-bit pixels: D3DCOLOR 0xAARRGGBB (bytes B, G, R, A in memory), top row first.
struct PixelLevel {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(std::uint32_t x, std::uint32_t y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// One level of DXT blocks as stored in the file: rows of 4x4 blocks, top row first.
struct BlockLevel {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> blocks;
};

struct DecodedImage {
    D3DXIMAGE_FILEFORMAT fileFormat = D3DXIFF_BMP;
    D3DFORMAT sourceFormat = D3DFMT_UNKNOWN;  // the file's own pixel format, for the image information
    bool hasAlpha = false;                    // the file carries alpha (or a colour key made some)
    // Uncompressed images: level 0 and, for DDS files with mip maps, the file's further levels.
    std::vector<PixelLevel> levels;
    // Compressed DDS files: D3DFMT_DXT1/3/5 and the file's levels of blocks; `levels` stays empty.
    D3DFORMAT blockFormat = D3DFMT_UNKNOWN;
    std::vector<BlockLevel> blockLevels;

    bool Compressed() const { return blockFormat != D3DFMT_UNKNOWN; }
    std::uint32_t Width() const { return Compressed() ? blockLevels.at(0).width : levels.at(0).width; }
    std::uint32_t Height() const { return Compressed() ? blockLevels.at(0).height : levels.at(0).height; }
    std::uint32_t FileLevels() const {
        return static_cast<std::uint32_t>(Compressed() ? blockLevels.size() : levels.size());
    }
};

using ByteSpan = std::span<const std::uint8_t>;

// Where failure and warning messages go: one line "<name>: <cause>" each, to stderr unless a
// sink is set (tests capture them, fuzzers drop them). Returns the previous sink; null restores
// stderr.
using ImageMessageSink = void (*)(const char* line);
ImageMessageSink SetImageMessageSink(ImageMessageSink sink);

// Reports "<name>: <cause>" and returns `code`.
HRESULT ImageError(const char* name, HRESULT code, const char* format, ...) __attribute__((format(printf, 3, 4)));
HRESULT ImageErrorV(const char* name, HRESULT code, const char* format, va_list args)
    __attribute__((format(printf, 3, 0)));
// Reports "<name>: <cause>" for a file that is used all the same.
void ImageWarning(const char* name, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The same for malformed data: returns D3DXERR_INVALIDDATA.
HRESULT InvalidData(const char* name, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Refuses empty, oversized and too many pixels (D3DXERR_INVALIDDATA with a message).
HRESULT CheckImageSize(const char* name, std::uint64_t width, std::uint64_t height);

// Allocates level 0 of `width` x `height` pixels; E_OUTOFMEMORY when that fails.
HRESULT AllocateLevel(const char* name, std::uint32_t width, std::uint32_t height, PixelLevel& level);

}  // namespace d3dx

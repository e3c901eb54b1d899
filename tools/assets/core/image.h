// A picture being generated, and its encoders for the pack (JPEG through libjpeg-turbo,
// 32-bit Targa for pictures that need alpha).
#pragma once

#include <cstdint>
#include <vector>

#include "tools/assets/core/model.h"

namespace assets {

// Top-down rows of 0xAARRGGBB pixels.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Image() = default;
    Image(int w, int h, std::uint32_t fill = 0xFF000000u) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    std::uint32_t& At(int x, int y) { return pixels[size_t(y) * width + x]; }
    std::uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// Channels as floats 0..1 (clamped) packed into 0xAARRGGBB.
std::uint32_t PackArgb(float r, float g, float b, float a = 1.0f);

Bytes EncodeJpeg(const Image& image, int quality = 90);  // alpha dropped
Bytes EncodeTga(const Image& image);                      // 32-bit BGRA, top-left origin

}  // namespace assets

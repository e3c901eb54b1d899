// Writes 0xAARRGGBB pixel rows (top row first) as an 8-bit RGB or RGBA PNG file.
#pragma once

#include <cstdint>
#include <string>

namespace tools {

struct PngImage {
    int width = 0;
    int height = 0;
    const std::uint32_t* pixels = nullptr;  // width * height values, top row first
    bool keepAlpha = false;                 // false: RGB (back buffers carry no meaningful alpha)
};

// False, with the reason in error, when the image is empty or the file cannot be written.
bool WritePng(const std::string& path, const PngImage& image, std::string& error);

}  // namespace tools

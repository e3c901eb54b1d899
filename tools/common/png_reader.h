// Reads a PNG file of any colour type and depth as 0xAARRGGBB pixels, top row first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

struct PngPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // width * height values, top row first
};

// False, with the file and the reason in error, when the file cannot be opened or decoded.
bool ReadPng(const std::string& path, PngPixels& image, std::string& error);

}  // namespace tools

// How far two pictures of the same size are apart, channel by channel, in steps of 1/255.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace framediff {

// 0xAARRGGBB pixels, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    const std::vector<std::uint32_t>* pixels = nullptr;
};

// Channels in the order red, green, blue, alpha.
struct Difference {
    int width = 0;
    int height = 0;
    double mean[4] = {};      // mean absolute difference per channel
    int max = 0;              // the largest difference of any channel of any pixel
    double percentOver8 = 0;  // pixels with some channel more than 8 steps off, in percent
};

// The pictures must be of one size with width * height pixels each.
Difference Compare(const Picture& a, const Picture& b);

// One JSON object: {"width":..,"height":..,"mean":{"r":..,"g":..,"b":..,"a":..},"max":..,"percent_over_8":..}
std::string ToJson(const Difference& d);
// The same for a reader: one line.
std::string ToText(const Difference& d);

}  // namespace framediff

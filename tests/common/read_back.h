// The back buffer read into memory, the one way every pixel test does it.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gpu/d3d8.h"

namespace testpixels {

// A read-back picture: 0xAARRGGBB values, top row first.
struct Frame {
    UINT width = 0;
    UINT height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels.at(static_cast<std::size_t>(y) * width + x); }
};

// With PIXELTEST_DUMP_DIR set, every frame read back is written there as a PPM image named after
// the test, for looking at what a failing test saw.
inline void DumpIfAsked(const Frame& frame) {
    const char* dir = std::getenv("PIXELTEST_DUMP_DIR");
    if (!dir || !*dir) return;
    static int serial = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string leaf = std::string(info ? info->test_suite_name() : "frame") + "." + (info ? info->name() : "") + "." +
                       std::to_string(serial++) + ".ppm";
    for (char& c : leaf)
        if (c == '/') c = '_';
    const std::string name = std::string(dir) + "/" + leaf;
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (!file) return;
    std::fprintf(file, "P6\n%u %u\n255\n", frame.width, frame.height);
    for (std::uint32_t p : frame.pixels) {
        const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                      static_cast<unsigned char>(p)};
        std::fwrite(rgb, 1, 3, file);
    }
    std::fclose(file);
}

// Reads the back buffer of whatever size it has. A failed read, or pixels that do not fill
// width x height, fail the test.
inline Frame ReadBack(IDirect3DDevice8* device) {
    Frame frame;
    if (!device) {
        ADD_FAILURE() << "no device to read back";
        return frame;
    }
    EXPECT_EQ(device->ReadBackBuffer(frame.pixels, frame.width, frame.height), S_OK) << "ReadBackBuffer failed";
    EXPECT_EQ(frame.pixels.size(), static_cast<std::size_t>(frame.width) * frame.height) << "read-back size";
    DumpIfAsked(frame);
    return frame;
}

// Reads a back buffer that must be width x height. When it is not, the test fails and the frame
// is of that size filled with 0xDEADBEEF, so that the checks that follow report colours instead
// of reading outside the picture.
inline Frame ReadBack(IDirect3DDevice8* device, UINT width, UINT height) {
    Frame frame = ReadBack(device);
    EXPECT_EQ(frame.width, width) << "read-back width";
    EXPECT_EQ(frame.height, height) << "read-back height";
    if (frame.width != width || frame.height != height ||
        frame.pixels.size() != static_cast<std::size_t>(width) * height) {
        frame.width = width;
        frame.height = height;
        frame.pixels.assign(static_cast<std::size_t>(width) * height, 0xDEADBEEF);
    }
    return frame;
}

}  // namespace testpixels

// Decoding the test images built by image_writers.h with the decoder of their format.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/d3dx/image_decoders.h"
#include "tests/platform/d3dx/image_writers.h"

namespace imagetest {

inline HRESULT Decode(const Tga& tga, d3dx::DecodedImage& image) { return d3dx::DecodeTga(tga.Build(), "test.tga", image); }
inline HRESULT Decode(const Bmp& bmp, d3dx::DecodedImage& image) { return d3dx::DecodeBmp(bmp.Build(), "test.bmp", image); }
inline HRESULT Decode(const Dds& dds, d3dx::DecodedImage& image) { return d3dx::DecodeDds(dds.Build(), "test.dds", image); }

// Decodes a file that must decode; answers its level-0 pixels and, when asked, the whole image.
template <class File>
std::vector<std::uint32_t> DecodeOk(const File& file, d3dx::DecodedImage* out = nullptr) {
    d3dx::DecodedImage image;
    EXPECT_EQ(Decode(file, image), S_OK);
    if (out) *out = image;
    return Pixels(image);
}

}  // namespace imagetest

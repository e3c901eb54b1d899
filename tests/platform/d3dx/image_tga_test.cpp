#include <gtest/gtest.h>

#include <string>

#include "platform/d3dx/image_decoders.h"
#include "tests/platform/d3dx/image_decode.h"

namespace {

using imagetest::Bytes;
using imagetest::Decode;
using imagetest::DecodeOk;
using imagetest::Tga;
using Colours = std::vector<std::uint32_t>;

// 2x2 true colour, 24 bits: red, green / blue, white (top row first when read).
Bytes Bgr(std::initializer_list<std::uint32_t> colours) {
    Bytes b;
    for (std::uint32_t c : colours) b.insert(b.end(), {std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16)});
    return b;
}

TEST(TgaDecoder, TrueColourOriginsAndAlpha) {
    Tga tga;
    tga.width = 2;
    tga.height = 2;
    tga.pixels = Bgr({0x0000FF, 0xFFFFFF, 0xFF0000, 0x00FF00});  // file order: bottom row first
    d3dx::DecodedImage image;
    EXPECT_EQ(DecodeOk(tga, &image), (Colours{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_EQ(image.sourceFormat, D3DFMT_R8G8B8);

    tga.descriptor = 0x20;  // top-left origin: file order is reading order
    EXPECT_EQ(DecodeOk(tga), (Colours{0xFF0000FF, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00}));
    tga.descriptor = 0x30;  // and right to left
    EXPECT_EQ(DecodeOk(tga), (Colours{0xFFFFFFFF, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000}));

    Tga rgba;
    rgba.width = 2;
    rgba.bits = 32;
    rgba.descriptor = 0x28;
    rgba.pixels = {0x10, 0x20, 0x30, 0x80, 0x01, 0x02, 0x03, 0x00};
    EXPECT_EQ(DecodeOk(rgba, &image), (Colours{0x80302010, 0x00030201}));
    EXPECT_TRUE(image.hasAlpha);
    // 32 bits that declare no alpha bits and hold zeros there: the fourth byte is padding.
    rgba.descriptor = 0x20;
    rgba.pixels = {0x10, 0x20, 0x30, 0x00, 0x01, 0x02, 0x03, 0x00};
    EXPECT_EQ(DecodeOk(rgba, &image), (Colours{0xFF302010, 0xFF030201}));
    EXPECT_FALSE(image.hasAlpha);

    Tga sixteen;
    sixteen.width = 2;
    sixteen.bits = 16;
    sixteen.descriptor = 0x21;  // one alpha bit
    sixteen.pixels = {0x1F, 0x80, 0xE0, 0x03};  // opaque blue; transparent green
    EXPECT_EQ(DecodeOk(sixteen, &image), (Colours{0xFF0000FF, 0x0000FF00}));
    EXPECT_TRUE(image.hasAlpha);
    sixteen.bits = 15;
    sixteen.descriptor = 0x20;
    EXPECT_EQ(DecodeOk(sixteen), (Colours{0xFF0000FF, 0xFF00FF00}));
}

TEST(TgaDecoder, ColourMappedAndGrey) {
    Tga mapped;
    mapped.type = 1;
    mapped.width = 3;
    mapped.bits = 8;
    mapped.mapFirst = 2;  // indices 2..3 name the two entries
    mapped.mapLength = 2;
    mapped.mapBits = 24;
    mapped.map = Bgr({0x112233, 0xAABBCC});
    mapped.id = {'h', 'i'};
    mapped.pixels = {3, 2, 3};
    d3dx::DecodedImage image;
    EXPECT_EQ(DecodeOk(mapped, &image), (Colours{0xFFAABBCC, 0xFF112233, 0xFFAABBCC}));
    EXPECT_EQ(image.sourceFormat, d3dx::kFormatP8);

    for (std::uint8_t bad : {1, 4, 255}) {  // below the first entry, past the last
        mapped.pixels = {3, bad, 2};
        EXPECT_EQ(Decode(mapped, image), D3DXERR_INVALIDDATA) << int(bad);
    }
    mapped.type = 9;  // the same through a run
    mapped.pixels = {0x82, 7};
    EXPECT_EQ(Decode(mapped, image), D3DXERR_INVALIDDATA);

    Tga grey;
    grey.type = 3;
    grey.width = 2;
    grey.bits = 8;
    grey.pixels = {0x00, 0x7F};
    EXPECT_EQ(DecodeOk(grey, &image), (Colours{0xFF000000, 0xFF7F7F7F}));
    EXPECT_EQ(image.sourceFormat, D3DFMT_L8);
    grey.type = 11;
    grey.pixels = {0x81, 0x40};
    EXPECT_EQ(DecodeOk(grey), (Colours{0xFF404040, 0xFF404040}));
}

TEST(TgaDecoder, RunLengthPacketsCrossRowsAndStopAtTheEnd) {
    Tga tga;
    tga.type = 10;
    tga.width = 3;
    tga.height = 2;
    tga.descriptor = 0x20;
    Bytes run = Bgr({0x0000FF});
    Bytes raw = Bgr({0x00FF00, 0xFF0000});
    // A run of four blue pixels covers row 0 and the first pixel of row 1, then two raw pixels.
    tga.pixels = {0x83};
    imagetest::Append(tga.pixels, run);
    tga.pixels.push_back(0x01);
    imagetest::Append(tga.pixels, raw);
    EXPECT_EQ(DecodeOk(tga), (Colours{0xFF0000FF, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000}));

    // Bottom-left origin: the same stream fills the bottom row first.
    tga.descriptor = 0;
    EXPECT_EQ(DecodeOk(tga), (Colours{0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF}));

    // A run longer than the image is cut at the last pixel.
    tga.pixels = {0xFF};
    imagetest::Append(tga.pixels, run);
    EXPECT_EQ(DecodeOk(tga), Colours(6, 0xFF0000FF));

    // A stream that ends early fails.
    tga.pixels = {0x81};
    imagetest::Append(tga.pixels, run);
    d3dx::DecodedImage image;
    EXPECT_EQ(Decode(tga, image), D3DXERR_INVALIDDATA);
}

TEST(TgaDecoder, RefusesHostileHeaders) {
    d3dx::DecodedImage image;
    Tga huge;  // 65535 x 65535 claimed by a file of a few bytes
    huge.width = 65535;
    huge.height = 65535;
    huge.pixels = {1, 2, 3};
    EXPECT_EQ(Decode(huge, image), D3DXERR_INVALIDDATA);
    huge.type = 10;  // even a run could not cover that many pixels with these bytes
    huge.width = 4096;
    huge.height = 4096;
    EXPECT_EQ(Decode(huge, image), D3DXERR_INVALIDDATA);

    Tga t;
    t.width = 0;
    EXPECT_EQ(Decode(t, image), D3DXERR_INVALIDDATA);
    t.width = 1;
    t.pixels = {1, 2, 3};
    for (std::uint8_t type : {0, 4, 12, 32}) {
        t.type = type;
        EXPECT_EQ(Decode(t, image), D3DXERR_INVALIDDATA) << int(type);
    }
    t.type = 2;
    t.bits = 12;
    EXPECT_EQ(Decode(t, image), D3DXERR_INVALIDDATA);
    t.type = 1;  // colour mapped without a map
    t.bits = 8;
    EXPECT_EQ(Decode(t, image), D3DXERR_INVALIDDATA);
    t.mapLength = 200;  // a map longer than the file
    t.mapBits = 24;
    EXPECT_EQ(Decode(t, image), D3DXERR_INVALIDDATA);
}

std::vector<std::string> messages;

TEST(TgaDecoder, EachFailureReportsOneLineNamingTheFile) {
    messages.clear();
    const auto previous = d3dx::SetImageMessageSink([](const char* line) { messages.push_back(line); });
    Tga mapped;
    mapped.type = 1;
    mapped.bits = 8;
    mapped.mapLength = 1;
    mapped.mapBits = 24;
    mapped.map = Bgr({0});
    mapped.pixels = {9};
    d3dx::DecodedImage image;
    const Bytes bytes = mapped.Build();
    EXPECT_EQ(d3dx::DecodeTga(bytes, "maps/bad.tga", image), D3DXERR_INVALIDDATA);
    EXPECT_EQ(d3dx::DecodeTga(Bytes(bytes.begin(), bytes.begin() + 5), "short.tga", image), D3DXERR_INVALIDDATA);
    d3dx::SetImageMessageSink(previous);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "maps/bad.tga: colour-map index 9 outside the map (first 0, 1 entries)");
    EXPECT_EQ(messages[1], "short.tga: truncated header (5 bytes)");
}

}  // namespace

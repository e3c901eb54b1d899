#include <gtest/gtest.h>

#include "platform/d3dx/image_decoders.h"
#include "platform/d3dx/texture_write.h"
#include "platform/gpu/texture_format.h"
#include "tests/platform/d3dx/image_decode.h"

namespace {

using imagetest::Bytes;
using imagetest::Decode;
using imagetest::Dds;
using imagetest::FourCc;
using imagetest::Put16;
using imagetest::Put32;
using Colours = std::vector<std::uint32_t>;

TEST(DdsDecoder, UncompressedMasksAndMipLevels) {
    Dds dds;  // 32-bit ARGB, 2x2 with its 1x1 level
    dds.width = dds.height = 2;
    dds.mipCount = 2;
    dds.pfFlags = 0x41;
    dds.masks[3] = 0xFF000000;
    for (std::uint32_t c : {0x80FF0000u, 0xFF00FF00u, 0x000000FFu, 0xFFFFFFFFu, 0x40123456u}) Put32(dds.data, c);
    d3dx::DecodedImage image;
    ASSERT_EQ(Decode(dds, image), S_OK);
    ASSERT_EQ(image.levels.size(), 2u);
    EXPECT_EQ(image.levels[0].pixels, (Colours{0x80FF0000u, 0xFF00FF00u, 0x000000FFu, 0xFFFFFFFFu}));
    EXPECT_EQ(image.levels[1].pixels, (Colours{0x40123456u}));
    EXPECT_TRUE(image.hasAlpha);
    EXPECT_EQ(image.sourceFormat, D3DFMT_A8R8G8B8);

    Dds rgb565;  // 16 bits: masks widened by bit replication
    rgb565.width = 2;
    rgb565.height = 1;
    rgb565.pfFlags = 0x40;
    rgb565.bitCount = 16;
    rgb565.masks[0] = 0xF800, rgb565.masks[1] = 0x07E0, rgb565.masks[2] = 0x001F;
    Put16(rgb565.data, 0xF800);
    Put16(rgb565.data, 0x0410);  // green 32 of 63, blue 16 of 31
    ASSERT_EQ(Decode(rgb565, image), S_OK);
    EXPECT_EQ(image.levels[0].pixels, (Colours{0xFFFF0000u, 0xFF008284u}));
    EXPECT_EQ(image.sourceFormat, D3DFMT_R5G6B5);

    Dds bgr;  // 24 bits with red in the low byte
    bgr.width = 1;
    bgr.height = 1;
    bgr.bitCount = 24;
    bgr.masks[0] = 0xFF, bgr.masks[1] = 0xFF00, bgr.masks[2] = 0xFF0000;
    bgr.data = {0x11, 0x22, 0x33};
    ASSERT_EQ(Decode(bgr, image), S_OK);
    EXPECT_EQ(image.levels[0].pixels, (Colours{0xFF112233u}));
    EXPECT_FALSE(image.hasAlpha);
}

// One DXT1 block: colour 0 red, colour 1 blue, indices 0, 1, 2, 3 along each row.
Bytes RedBlueBlock() {
    Bytes b;
    Put16(b, 0xF800);
    Put16(b, 0x001F);
    for (int i = 0; i < 4; ++i) b.push_back(0xE4);
    return b;
}

TEST(DdsDecoder, KeepsDxtBlocksOfEveryLevel) {
    Dds dds;
    dds.width = 8;
    dds.height = 4;
    dds.mipCount = 4;  // 8x4, 4x2, 2x1, 1x1: 2 + 1 + 1 + 1 blocks
    dds.pfFlags = 0x4;
    dds.fourCc = FourCc('D', 'X', 'T', '1');
    for (int i = 0; i < 5; ++i) imagetest::Append(dds.data, RedBlueBlock());
    d3dx::DecodedImage image;
    ASSERT_EQ(Decode(dds, image), S_OK);
    ASSERT_TRUE(image.Compressed());
    EXPECT_EQ(image.blockFormat, D3DFMT_DXT1);
    ASSERT_EQ(image.blockLevels.size(), 4u);
    EXPECT_EQ(image.blockLevels[0].blocks.size(), 16u);
    EXPECT_EQ(image.blockLevels[2].width, 2u);
    EXPECT_EQ(image.blockLevels[2].height, 1u);
    std::vector<std::uint32_t> texels;
    gpu::DecodeDxt(D3DFMT_DXT1, image.blockLevels[0].blocks.data(), 8, 4, texels);
    // Four-colour mode (red > blue as 5:6:5): red, blue, 2/3 red + 1/3 blue, 1/3 red + 2/3 blue.
    EXPECT_EQ(Colours(texels.begin(), texels.begin() + 4), (Colours{0xFFFF0000, 0xFF0000FF, 0xFFAA0055, 0xFF5500AA}));

    dds.data.pop_back();  // the last level is one byte short
    EXPECT_EQ(Decode(dds, image), D3DXERR_INVALIDDATA);
    dds.fourCc = FourCc('D', 'X', 'T', '2');
    EXPECT_EQ(Decode(dds, image), D3DXERR_INVALIDDATA);
}

TEST(DdsDecoder, RefusesHostileHeaders) {
    d3dx::DecodedImage image;
    Dds dds;
    dds.width = 0x10000000;  // sizes past the limit, a handful of bytes
    dds.data.assign(64, 0);
    EXPECT_EQ(Decode(dds, image), D3DXERR_INVALIDDATA);
    dds.width = 4096;  // an allowed size whose pixels are missing
    dds.height = 4096;
    EXPECT_EQ(Decode(dds, image), D3DXERR_INVALIDDATA);
    dds.width = dds.height = 4;
    dds.bitCount = 13;
    EXPECT_EQ(Decode(dds, image), D3DXERR_INVALIDDATA);
    dds.bitCount = 32;
    dds.pfFlags = 0;  // neither colour nor compression
    EXPECT_EQ(Decode(dds, image), D3DXERR_INVALIDDATA);
    Bytes cube = Dds{}.Build();
    cube[4 + 108 + 1] = 0x02;  // caps2: cube map
    cube.resize(cube.size() + 6 * 64);
    EXPECT_EQ(d3dx::DecodeDds(cube, "cube.dds", image), D3DXERR_INVALIDDATA);
}

// The encoder's blocks decode to the colours put in, where those are representable.
TEST(DxtEncoder, BlocksDecodeToTheirColours) {
    std::uint32_t pixels[16];
    for (int i = 0; i < 16; ++i) pixels[i] = i % 3 == 0 ? 0xFFFF0000u : 0xFF0000FFu;
    for (D3DFORMAT format : {D3DFMT_DXT1, D3DFMT_DXT3, D3DFMT_DXT5}) {
        std::uint8_t block[16] = {0};
        d3dx::EncodeDxtBlock(pixels, format, block);
        std::vector<std::uint32_t> texels;
        gpu::DecodeDxt(format, block, 4, 4, texels);
        EXPECT_EQ(texels, Colours(pixels, pixels + 16)) << imagetest::Hex(format);
    }
    // DXT1: transparent pixels take the transparent index; DXT3 and DXT5 keep graded alpha.
    for (int i = 0; i < 16; ++i) pixels[i] = (i & 1) ? 0x00000000u : (static_cast<std::uint32_t>(i * 17) << 24) | 0x00FF00;
    std::uint8_t block[16] = {0};
    std::vector<std::uint32_t> texels;
    d3dx::EncodeDxtBlock(pixels, D3DFMT_DXT1, block);
    gpu::DecodeDxt(D3DFMT_DXT1, block, 4, 4, texels);
    for (int i = 0; i < 16; ++i) {
        const bool clear = (pixels[i] >> 24) < 128;
        EXPECT_EQ(texels[i], clear ? 0u : 0xFF00FF00u) << i;
    }
    for (D3DFORMAT format : {D3DFMT_DXT3, D3DFMT_DXT5}) {
        d3dx::EncodeDxtBlock(pixels, format, block);
        gpu::DecodeDxt(format, block, 4, 4, texels);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(static_cast<int>(texels[i] >> 24), static_cast<int>(pixels[i] >> 24), 18) << i;
    }
}

}  // namespace

// Texture memory layout and the DXT decoder used when OpenGL has no S3TC.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gpu/texture_format.h"

namespace {

using gpu::DecodeDxt;

TEST(TextureFormatTest, PitchAndRowsFollowDirect3DLayout) {
    EXPECT_EQ(gpu::FormatPitch(D3DFMT_A8R8G8B8, 13), 52u);
    EXPECT_EQ(gpu::FormatPitch(D3DFMT_R5G6B5, 13), 26u);
    EXPECT_EQ(gpu::FormatPitch(D3DFMT_R8G8B8, 5), 15u);
    EXPECT_EQ(gpu::FormatPitch(D3DFMT_DXT1, 13), 4u * 8u);  // 4 blocks across
    EXPECT_EQ(gpu::FormatPitch(D3DFMT_DXT5, 2), 16u);       // a level smaller than a block
    EXPECT_EQ(gpu::FormatRows(D3DFMT_DXT3, 13), 4u);
    EXPECT_EQ(gpu::FormatRows(D3DFMT_X8R8G8B8, 13), 13u);
    EXPECT_FALSE(gpu::DescribeFormat(D3DFMT_D16).supported);
    EXPECT_TRUE(gpu::DescribeFormat(D3DFMT_A4R4G4B4).hasAlpha);
    EXPECT_FALSE(gpu::DescribeFormat(D3DFMT_X8R8G8B8).hasAlpha);
}

// One DXT1 block: colour 0 pure red, colour 1 pure blue, given 2-bit indices per texel.
std::vector<BYTE> Dxt1Block(WORD c0, WORD c1, std::uint32_t indices) {
    return {BYTE(c0), BYTE(c0 >> 8), BYTE(c1), BYTE(c1 >> 8), BYTE(indices), BYTE(indices >> 8), BYTE(indices >> 16),
            BYTE(indices >> 24)};
}

TEST(TextureFormatTest, Dxt1FourColourAndThreeColourBlocks) {
    std::vector<std::uint32_t> out;
    // c0 > c1: four opaque colours; texel 0 index 0, texel 1 index 1, texel 2 index 2 (2/3 c0 + 1/3 c1).
    DecodeDxt(D3DFMT_DXT1, Dxt1Block(0xF800, 0x001F, 0b100100).data(), 4, 4, out);
    ASSERT_EQ(out.size(), 16u);
    EXPECT_EQ(out[0], 0xFFFF0000u);
    EXPECT_EQ(out[1], 0xFF0000FFu);
    EXPECT_EQ(out[2], 0xFFAA0055u);
    // c0 <= c1: index 3 is transparent black, index 2 the midpoint.
    DecodeDxt(D3DFMT_DXT1, Dxt1Block(0x001F, 0xF800, 0b1100).data(), 4, 4, out);
    EXPECT_EQ(out[0], 0xFF0000FFu);
    EXPECT_EQ(out[1], 0x00000000u);
    EXPECT_EQ(out[2], 0xFF0000FFu);
    std::vector<BYTE> mid = Dxt1Block(0x001F, 0xF800, 0b10);
    DecodeDxt(D3DFMT_DXT1, mid.data(), 4, 4, out);
    EXPECT_EQ(out[0], 0xFF800080u);
}

TEST(TextureFormatTest, Dxt3AndDxt5Alpha) {
    std::vector<std::uint32_t> out;
    std::vector<BYTE> dxt3(16, 0);
    dxt3[0] = 0xF0;  // texel 0 alpha 0, texel 1 alpha 15
    const auto colour = Dxt1Block(0xFFFF, 0xFFFF, 0);
    std::copy(colour.begin(), colour.end(), dxt3.begin() + 8);
    DecodeDxt(D3DFMT_DXT3, dxt3.data(), 4, 4, out);
    EXPECT_EQ(out[0], 0x00FFFFFFu);
    EXPECT_EQ(out[1], 0xFFFFFFFFu);
    std::vector<BYTE> dxt5(16, 0);
    dxt5[0] = 255;  // a0
    dxt5[1] = 0;    // a1: a0 > a1, eight-value ramp
    dxt5[2] = 0b001000;  // texel 0 index 0 (255), texel 1 index 1 (0)
    dxt5[2] |= 0b10 << 6;  // texel 2 index 2 = (6*255 + 0)/7
    std::copy(colour.begin(), colour.end(), dxt5.begin() + 8);
    DecodeDxt(D3DFMT_DXT5, dxt5.data(), 4, 4, out);
    EXPECT_EQ(out[0] >> 24, 255u);
    EXPECT_EQ(out[1] >> 24, 0u);
    EXPECT_EQ(out[2] >> 24, (6u * 255 + 3) / 7);
}

TEST(TextureFormatTest, PartialBlocksOfSmallLevelsAreClipped) {
    std::vector<std::uint32_t> out;
    DecodeDxt(D3DFMT_DXT1, Dxt1Block(0xF800, 0x001F, 0b01 << 2).data(), 2, 1, out);  // texel 1 takes c1
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], 0xFFFF0000u);
    EXPECT_EQ(out[1], 0xFF0000FFu);
}

}  // namespace

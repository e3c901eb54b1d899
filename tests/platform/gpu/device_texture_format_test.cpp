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



std::vector<BYTE> Converted(D3DFORMAT format, const std::vector<BYTE>& texels) {
    const gpu::FormatInfo& f = gpu::DescribeFormat(format);
    const std::size_t count = texels.size() / (f.compressed ? 4 : f.bytesPerPixel);
    std::vector<BYTE> out;
    gpu::ConvertForEs(f, texels.data(), count, out);
    return out;
}

// A 16-bit value as its little-endian bytes.
std::vector<BYTE> Le16(std::initializer_list<unsigned> values) {
    std::vector<BYTE> out;
    for (unsigned v : values) out.insert(out.end(), {BYTE(v), BYTE(v >> 8)});
    return out;
}

TEST(TextureFormatTest, EsUploadsPutEveryChannelInAnOrderEsTakes) {
    // Bytes B, G, R, A (or X) become R, G, B, A; the X byte reads as opaque.
    EXPECT_EQ(Converted(D3DFMT_A8R8G8B8, {0x20, 0x40, 0xC0, 0x80, 1, 2, 3, 4}),
              (std::vector<BYTE>{0xC0, 0x40, 0x20, 0x80, 3, 2, 1, 4}));
    EXPECT_EQ(Converted(D3DFMT_X8R8G8B8, {0x20, 0x40, 0xC0, 0x00}), (std::vector<BYTE>{0xC0, 0x40, 0x20, 0xFF}));
    EXPECT_EQ(Converted(D3DFMT_R8G8B8, {0x20, 0x40, 0xC0, 7, 8, 9}), (std::vector<BYTE>{0xC0, 0x40, 0x20, 9, 8, 7}));
    // A/X, R, G, B packings become R, G, B, A ones: 5_5_5_1 and 4_4_4_4, padding set.
    EXPECT_EQ(Converted(D3DFMT_A1R5G5B5, Le16({1u << 15 | 20u << 10 | 5u << 5 | 31u, 20u << 10})),
              Le16({20u << 11 | 5u << 6 | 31u << 1 | 1u, 20u << 11}));
    EXPECT_EQ(Converted(D3DFMT_X1R5G5B5, Le16({20u << 10 | 5u << 5 | 31u})), Le16({20u << 11 | 5u << 6 | 31u << 1 | 1u}));
    EXPECT_EQ(Converted(D3DFMT_A4R4G4B4, Le16({0xC369, 0x0F00})), Le16({0x369C, 0xF000}));
    EXPECT_EQ(Converted(D3DFMT_X4R4G4B4, Le16({0x0369})), Le16({0x369F}));
    // 5_6_5 widens to R, G, B bytes.
    EXPECT_EQ(Converted(D3DFMT_R5G6B5, Le16({3u << 11 | 50u << 5 | 31u, 31u << 11 | 10u})),
              (std::vector<BYTE>{0x18, 0xCB, 0xFF, 0xFF, 0x00, 0x52}));
    // One- and two-channel texels: luminance in all three colours, A8's colour black.
    EXPECT_EQ(Converted(D3DFMT_L8, {0x70, 0x01}), (std::vector<BYTE>{0x70, 0x70, 0x70, 0xFF, 1, 1, 1, 0xFF}));
    EXPECT_EQ(Converted(D3DFMT_A8, {0xC0}), (std::vector<BYTE>{0, 0, 0, 0xC0}));
    EXPECT_EQ(Converted(D3DFMT_A8L8, {0x70, 0xC0}), (std::vector<BYTE>{0x70, 0x70, 0x70, 0xC0}));
    // DXT formats convert their decoded A8R8G8B8 texels.
    EXPECT_EQ(Converted(D3DFMT_DXT5, {0x55, 0x00, 0xAA, 0xFF}), (std::vector<BYTE>{0xAA, 0x00, 0x55, 0xFF}));
}

TEST(TextureFormatTest, EsLayoutsNameOnlyWhatWebGl2Takes) {
    // No BGRA or BGR orders, no reversed packings: every ES layout is one of ES 3.0's own
    // format and type pairs for its internal format.
    for (const gpu::FormatInfo& f : gpu::kFormats) {
        SCOPED_TRACE(f.format);
        const gpu::GlLayout& es = f.es;
        const bool rgba8 = es.internal == GL_RGBA8 && es.format == GL_RGBA && es.type == GL_UNSIGNED_BYTE;
        const bool rgb8 = es.internal == GL_RGB8 && es.format == GL_RGB && es.type == GL_UNSIGNED_BYTE;
        const bool rgb5a1 = es.internal == GL_RGB5_A1 && es.format == GL_RGBA && es.type == GL_UNSIGNED_SHORT_5_5_5_1;
        const bool rgba4 = es.internal == GL_RGBA4 && es.format == GL_RGBA && es.type == GL_UNSIGNED_SHORT_4_4_4_4;
        EXPECT_TRUE(rgba8 || rgb8 || rgb5a1 || rgba4) << std::hex << es.internal << " " << es.format << " " << es.type;
    }
}

}  // namespace

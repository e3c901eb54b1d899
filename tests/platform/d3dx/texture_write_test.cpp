// Writing pixels in each texture format: the texels land in the channels the format table
// gives, and the device's own readers (blank-texel boxes, pitch) agree with the writer.
#include <gtest/gtest.h>

#include <vector>

#include "platform/d3dx/texture_write.h"
#include "platform/gpu/blank_trim.h"
#include "platform/gpu/texture_format.h"

namespace {

// The one texel `colour` written in `f`, read little-endian.
std::uint32_t Written(const gpu::FormatInfo& f, std::uint32_t colour) {
    d3dx::PixelLevel level;
    level.width = level.height = 1;
    level.pixels = {colour};
    std::uint8_t bytes[4] = {0x5A, 0x5A, 0x5A, 0x5A};
    d3dx::WriteLevel(level, f.format, bytes, 4);
    std::uint32_t texel = 0;
    for (UINT i = 0; i < f.bytesPerPixel; ++i) texel |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    return texel;
}

TEST(TextureWrite, EveryFormatLooksItselfUpAndIsWritable) {
    for (const gpu::FormatInfo& f : gpu::kFormats) {
        EXPECT_EQ(&gpu::DescribeFormat(f.format), &f) << f.format;
        EXPECT_TRUE(f.supported) << f.format;
        EXPECT_TRUE(d3dx::CanWriteFormat(f.format)) << f.format;
        EXPECT_EQ(f.compressed, f.bytesPerBlock > 0) << f.format;
        EXPECT_EQ(f.compressed, f.bytesPerPixel == 0) << f.format;
    }
    for (D3DFORMAT other : {D3DFMT_UNKNOWN, D3DFMT_DXT2, D3DFMT_DXT4, D3DFMT_D16}) {
        EXPECT_FALSE(gpu::DescribeFormat(other).supported) << other;
        EXPECT_FALSE(d3dx::CanWriteFormat(other)) << other;
    }
}

TEST(TextureWrite, TexelsFillTheChannelsTheTableGives) {
    for (const gpu::FormatInfo& f : gpu::kFormats) {
        if (f.compressed) continue;
        SCOPED_TRACE(testing::Message() << "format " << f.format);
        const std::uint32_t colour = gpu::ColourMask(f), alpha = gpu::AlphaMask(f), padding = gpu::PaddingMask(f);
        const std::uint32_t texel = f.bytesPerPixel == 4 ? ~0u : (1u << (8 * f.bytesPerPixel)) - 1u;
        EXPECT_EQ(colour & alpha, 0u);
        EXPECT_EQ(colour | alpha | padding, texel) << "channels and padding cover the texel";
        EXPECT_EQ(Written(f, 0xFFFFFFFFu), texel);
        EXPECT_EQ(Written(f, 0x00000000u), padding) << "transparent black sets the padding only";
        EXPECT_EQ(Written(f, 0xFF000000u), alpha | padding) << "opaque black";
        EXPECT_EQ(Written(f, 0x00FFFFFFu), colour | padding) << "transparent white";
        EXPECT_EQ(f.hasAlpha, alpha != 0);
        if (f.bits.l == 0) {
            // Pure red lands in the bits above blue and green.
            const std::uint32_t red = ((1u << f.bits.r) - 1u) << (f.bits.b + f.bits.g);
            EXPECT_EQ(Written(f, 0xFFFF0000u), red | alpha | padding) << "opaque red";
        }
        EXPECT_EQ(gpu::FormatPitch(f.format, 7), 7 * f.bytesPerPixel);
    }
}

// One texel written white at (2, 1) of a 4x4 level otherwise transparent black: the blank-texel
// boxes find it in every channel the format stores. Alpha that is not stored samples as 1, so
// it is non-zero everywhere; colour that is not stored (A8) samples as black, so nowhere.
TEST(TextureWrite, BlankBoxesReadWhatTheWriterStored) {
    for (const gpu::FormatInfo& f : gpu::kFormats) {
        SCOPED_TRACE(testing::Message() << "format " << f.format);
        d3dx::PixelLevel level;
        level.width = level.height = 4;
        level.pixels.assign(16, 0);
        level.pixels[1 * 4 + 2] = 0xFFFFFFFFu;
        const UINT pitch = gpu::FormatPitch(f.format, 4);
        std::vector<BYTE> bits(static_cast<std::size_t>(pitch) * gpu::FormatRows(f.format, 4));
        d3dx::WriteLevel(level, f.format, bits.data(), pitch);
        const gpu::LevelBoxes boxes = gpu::FindLevelBoxes(f.format, bits.data(), 4, 4, pitch);
        const bool colourStored = f.compressed || gpu::ColourMask(f) != 0;
        const bool alphaStored = f.compressed || gpu::AlphaMask(f) != 0;
        for (int channel = 0; channel < 2; ++channel) {
            const gpu::TexelBox& b = boxes.box[channel];
            const bool stored = channel == 0 ? colourStored : alphaStored;
            if (!stored && channel == 0) {
                EXPECT_TRUE(b.empty);
                continue;
            }
            ASSERT_FALSE(b.empty) << "channel " << channel;
            if (stored) {
                EXPECT_EQ(b.x0, 2u) << "channel " << channel;
                EXPECT_EQ(b.x1, 2u) << "channel " << channel;
                EXPECT_EQ(b.y0, 1u) << "channel " << channel;
                EXPECT_EQ(b.y1, 1u) << "channel " << channel;
            } else {
                EXPECT_EQ(b.x0, 0u) << "channel " << channel;
                EXPECT_EQ(b.x1, 3u) << "channel " << channel;
                EXPECT_EQ(b.y0, 0u) << "channel " << channel;
                EXPECT_EQ(b.y1, 3u) << "channel " << channel;
            }
        }
    }
}

}  // namespace

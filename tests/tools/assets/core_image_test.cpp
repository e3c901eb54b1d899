// The pack's image encoders, checked by decoding their output with the engine's own decoders.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/d3dx/image_decoders.h"
#include "tests/common/channel.h"
#include "tools/assets/core/image.h"

namespace {

// A picture with distinct corners, a gradient and varying alpha.
assets::Image TestPicture(int w, int h) {
    assets::Image image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float fx = float(x) / float(w - 1), fy = float(y) / float(h - 1);
            image.At(x, y) = assets::PackArgb(fx, fy, 1.0f - fx, 0.25f + 0.75f * fy);
        }
    image.At(0, 0) = 0x80FF0000u;          // top-left: half-transparent red
    image.At(w - 1, 0) = 0x0000FF00u;      // top-right: transparent green
    image.At(0, h - 1) = 0xFF0000FFu;      // bottom-left: opaque blue
    image.At(w - 1, h - 1) = 0xFFFFFFFFu;  // bottom-right: white
    return image;
}

using testpixels::Channel;

TEST(AssetImage, PackArgbRoundsAndClamps) {
    EXPECT_EQ(assets::PackArgb(1.0f, 0.0f, 0.5f, 1.0f), 0xFFFF0080u);
    EXPECT_EQ(assets::PackArgb(2.0f, -1.0f, 0.0f, 0.0f), 0x00FF0000u);
    EXPECT_EQ(assets::PackArgb(0.1f, 0.2f, 0.3f), 0xFF1A334Du);  // alpha defaults to opaque
}

TEST(AssetImage, TgaDecodesExactlyWithAlphaAndOrientation) {
    const assets::Image image = TestPicture(37, 20);  // odd width: no row padding assumed
    const assets::Bytes tga = assets::EncodeTga(image);
    ASSERT_EQ(tga.size(), 18u + 37u * 20u * 4u);
    d3dx::DecodedImage decoded;
    ASSERT_EQ(d3dx::DecodeImage(tga, "test.tga", decoded), S_OK);
    EXPECT_EQ(decoded.fileFormat, D3DXIFF_TGA);
    EXPECT_TRUE(decoded.hasAlpha);
    ASSERT_EQ(decoded.Width(), 37u);
    ASSERT_EQ(decoded.Height(), 20u);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 37; ++x) ASSERT_EQ(decoded.levels[0].At(x, y), image.At(x, y)) << x << "," << y;
}

TEST(AssetImage, JpegDecodesCloseToTheSourceAndDeterministically) {
    assets::Image image(64, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)  // left half orange, right half dark blue: smooth areas
            image.At(x, y) = x < 32 ? 0xFFF08020u : 0xFF102060u;
    const assets::Bytes jpeg = assets::EncodeJpeg(image, 92);
    ASSERT_GT(jpeg.size(), 100u);
    EXPECT_EQ(jpeg, assets::EncodeJpeg(image, 92));
    EXPECT_NE(jpeg, assets::EncodeJpeg(image, 40));  // the quality is used
    d3dx::DecodedImage decoded;
    ASSERT_EQ(d3dx::DecodeImage(jpeg, "test.jpg", decoded), S_OK);
    EXPECT_EQ(decoded.fileFormat, D3DXIFF_JPG);
    ASSERT_EQ(decoded.Width(), 64u);
    ASSERT_EQ(decoded.Height(), 32u);
    const int probes[][2] = {{4, 4}, {20, 28}, {44, 4}, {60, 28}};
    for (const auto& p : probes) {
        const std::uint32_t want = image.At(p[0], p[1]), got = decoded.levels[0].At(p[0], p[1]);
        for (int shift : {16, 8, 0})
            EXPECT_LE(std::abs(Channel(want, shift) - Channel(got, shift)), 6) << p[0] << "," << p[1];
        EXPECT_EQ(Channel(got, 24), 255);
    }
}

TEST(AssetImage, InvalidImagesGiveNoBytes) {
    assets::Image empty;
    EXPECT_TRUE(assets::EncodeJpeg(empty).empty());
    EXPECT_TRUE(assets::EncodeTga(empty).empty());
    assets::Image wrong(4, 4);
    wrong.pixels.resize(5);  // size disagrees with the sides
    EXPECT_TRUE(assets::EncodeJpeg(wrong).empty());
    EXPECT_TRUE(assets::EncodeTga(wrong).empty());
}

}  // namespace

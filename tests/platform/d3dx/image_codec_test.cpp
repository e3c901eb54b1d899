// JPEG and PNG decoding, against files written here through libjpeg and libpng.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "platform/d3dx/image_decoders.h"
#include "tests/platform/d3dx/image_writers.h"

namespace {

using imagetest::Bytes;
using Colours = std::vector<std::uint32_t>;

void AppendPng(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

// `samples` row by row, in the layout of the colour type and depth (16-bit samples big-endian).
Bytes WritePng(int width, int height, int colourType, int depth, const Bytes& samples,
               const std::vector<png_color>& palette = {}, const Bytes& trns = {}) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "libpng could not write the test image";
        return {};
    }
    png_set_write_fn(png, &out, AppendPng, nullptr);
    png_set_IHDR(png, info, width, height, depth, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (!trns.empty()) png_set_tRNS(png, info, trns.data(), static_cast<int>(trns.size()), nullptr);
    png_write_info(png, info);
    const std::size_t rowBytes = samples.size() / height;
    for (int y = 0; y < height; ++y) png_write_row(png, samples.data() + y * rowBytes);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes WriteJpeg(int width, int height, int components, const Bytes& samples) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + cinfo.next_scanline * width * components);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

TEST(PngDecoder, AlphaPaletteGreyAndSixteenBits) {
    d3dx::DecodedImage image;
    const Bytes rgba = WritePng(2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {0xFF, 0x00, 0x00, 0x80, 0x01, 0x02, 0x03, 0xFF});
    ASSERT_EQ(d3dx::DecodePng(rgba, "rgba.png", image), S_OK);
    EXPECT_EQ(imagetest::Pixels(image), (Colours{0x80FF0000, 0xFF010203}));
    EXPECT_TRUE(image.hasAlpha);
    EXPECT_EQ(image.sourceFormat, D3DFMT_A8R8G8B8);

    const Bytes mapped = WritePng(3, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 1}, {{10, 20, 30}, {40, 50, 60}}, {0x00});
    ASSERT_EQ(d3dx::DecodePng(mapped, "palette.png", image), S_OK);
    EXPECT_EQ(imagetest::Pixels(image), (Colours{0x000A141E, 0xFF28323C, 0xFF28323C}));
    EXPECT_TRUE(image.hasAlpha);

    const Bytes grey16 = WritePng(2, 2, PNG_COLOR_TYPE_GRAY, 16, {0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00, 0x12, 0x34});
    ASSERT_EQ(d3dx::DecodePng(grey16, "grey.png", image), S_OK);
    EXPECT_EQ(imagetest::Pixels(image), (Colours{0xFFFFFFFF, 0xFF808080, 0xFF000000, 0xFF121212}));
    EXPECT_FALSE(image.hasAlpha);

    const Bytes grey1 = WritePng(8, 1, PNG_COLOR_TYPE_GRAY, 1, {0xA0});
    ASSERT_EQ(d3dx::DecodePng(grey1, "bits.png", image), S_OK);
    EXPECT_EQ(imagetest::Pixels(image)[0], 0xFFFFFFFFu);
    EXPECT_EQ(imagetest::Pixels(image)[1], 0xFF000000u);

    Bytes truncated(rgba.begin(), rgba.begin() + rgba.size() / 2);
    EXPECT_EQ(d3dx::DecodePng(truncated, "half.png", image), D3DXERR_INVALIDDATA);
    Bytes corrupt = rgba;
    corrupt[40] ^= 0xFF;  // inside the image data: its checksum no longer holds
    EXPECT_LT(d3dx::DecodePng(corrupt, "corrupt.png", image), 0);
}

TEST(JpegDecoder, ColourAndGreyApproximately) {
    const int w = 16, h = 16;
    Bytes rgb;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool left = x < w / 2;
            rgb.insert(rgb.end(), {std::uint8_t(left ? 200 : 20), std::uint8_t(100), std::uint8_t(left ? 30 : 220)});
        }
    const Bytes jpeg = WriteJpeg(w, h, 3, rgb);
    d3dx::DecodedImage image;
    ASSERT_EQ(d3dx::DecodeJpeg(jpeg, "colour.jpg", image), S_OK);
    ASSERT_EQ(image.levels[0].width, 16u);
    ASSERT_EQ(image.levels[0].height, 16u);
    EXPECT_FALSE(image.hasAlpha);
    auto near = [](std::uint32_t c, int r, int g, int b) {
        return std::abs(int((c >> 16) & 0xFF) - r) < 12 && std::abs(int((c >> 8) & 0xFF) - g) < 12 &&
               std::abs(int(c & 0xFF) - b) < 12 && (c >> 24) == 0xFF;
    };
    EXPECT_TRUE(near(image.levels[0].At(1, 3), 200, 100, 30)) << imagetest::Hex(image.levels[0].At(1, 3));
    EXPECT_TRUE(near(image.levels[0].At(14, 12), 20, 100, 220)) << imagetest::Hex(image.levels[0].At(14, 12));

    const Bytes grey = WriteJpeg(8, 8, 1, Bytes(64, 77));
    ASSERT_EQ(d3dx::DecodeJpeg(grey, "grey.jpg", image), S_OK);
    EXPECT_TRUE(near(image.levels[0].At(4, 4), 77, 77, 77)) << imagetest::Hex(image.levels[0].At(4, 4));

    // Cut short inside the scan: refused rather than padded with grey.
    Bytes truncated(jpeg.begin(), jpeg.begin() + jpeg.size() * 3 / 4);
    EXPECT_EQ(d3dx::DecodeJpeg(truncated, "cut.jpg", image), D3DXERR_INVALIDDATA);
    Bytes header(jpeg.begin(), jpeg.begin() + 20);
    EXPECT_EQ(d3dx::DecodeJpeg(header, "header.jpg", image), D3DXERR_INVALIDDATA);
}

std::vector<std::string> jpegMessages;

TEST(JpegDecoder, CorruptDataIsDrawnWithOneWarningForTheFile) {
    // A busy picture, so that the scan is long and a damaged stretch spoils many blocks.
    const int w = 96, h = 64;
    Bytes rgb;
    std::uint32_t seed = 12345;
    for (int i = 0; i < w * h * 3; ++i) {
        seed = seed * 1103515245u + 12345u;
        rgb.push_back(std::uint8_t(seed >> 24));
    }
    const Bytes clean = WriteJpeg(w, h, 3, rgb);
    Bytes damaged = clean;
    // 200 bytes in the middle overwritten (never 0xFF, so no marker is made), and stray bytes
    // before the scan's marker: libjpeg warns more than once and decodes around both.
    ASSERT_GT(damaged.size(), 1000u);
    for (std::size_t i = 0; i < 200; ++i) damaged[damaged.size() / 2 + i] = std::uint8_t(0x21 + (i * 37) % 0xC0);
    const std::uint8_t scan[] = {0xFF, 0xDA};
    const auto sos = std::search(damaged.begin(), damaged.end(), std::begin(scan), std::end(scan));
    ASSERT_NE(sos, damaged.end());
    damaged.insert(sos, {0x12, 0x34, 0x56});

    jpegMessages.clear();
    const auto previous = d3dx::SetImageMessageSink([](const char* line) { jpegMessages.push_back(line); });
    d3dx::DecodedImage image;
    const HRESULT cleanResult = d3dx::DecodeJpeg(clean, "clean.jpg", image);
    const std::size_t afterClean = jpegMessages.size();
    const HRESULT damagedResult = d3dx::DecodeJpeg(damaged, "title.jpg", image);
    d3dx::SetImageMessageSink(previous);

    EXPECT_EQ(cleanResult, S_OK);
    EXPECT_EQ(afterClean, 0u) << jpegMessages[0];
    ASSERT_EQ(damagedResult, S_OK);
    EXPECT_EQ(image.levels[0].width, std::uint32_t(w));
    EXPECT_EQ(image.levels[0].height, std::uint32_t(h));
    ASSERT_EQ(jpegMessages.size(), 1u);
    EXPECT_EQ(jpegMessages[0].rfind("title.jpg: corrupt JPEG data", 0), 0u) << jpegMessages[0];
    EXPECT_NE(jpegMessages[0].find(" warnings;"), std::string::npos) << jpegMessages[0];
}

TEST(ImageDetection, ByContentThenExtension) {
    const Bytes png = WritePng(1, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3});
    D3DXIMAGE_FILEFORMAT format = D3DXIFF_BMP;
    ASSERT_TRUE(d3dx::DetectImageFormat(png, "misnamed.tga", format));
    EXPECT_EQ(format, D3DXIFF_PNG);
    d3dx::DecodedImage image;
    ASSERT_EQ(d3dx::DecodeImage(png, "misnamed.tga", image), S_OK);
    EXPECT_EQ(imagetest::Pixels(image), (Colours{0xFF010203}));

    imagetest::Tga tga;
    tga.pixels = {3, 2, 1};
    const Bytes targa = tga.Build();
    ASSERT_TRUE(d3dx::DetectImageFormat(targa, "picture.TGA", format));
    EXPECT_EQ(format, D3DXIFF_TGA);
    ASSERT_TRUE(d3dx::DetectImageFormat(targa, nullptr, format));  // plausible header, no name
    EXPECT_EQ(format, D3DXIFF_TGA);
    const Bytes junk = {'h', 'e', 'l', 'l', 'o'};
    EXPECT_FALSE(d3dx::DetectImageFormat(junk, "notes.txt", format));
    EXPECT_EQ(d3dx::DecodeImage(junk, "notes.txt", image), D3DXERR_INVALIDDATA);
}

}  // namespace

#include <gtest/gtest.h>

#include "platform/d3dx/image_decoders.h"
#include "tests/platform/d3dx/image_decode.h"

namespace {

using imagetest::Bmp;
using imagetest::Bytes;
using imagetest::Decode;
using imagetest::DecodeOk;
using Colours = std::vector<std::uint32_t>;

TEST(BmpDecoder, PaletteImageWithPaddedRows) {
    Bmp bmp;
    bmp.width = 3;  // 3 bytes per row, padded to 4
    bmp.rows = 2;
    bmp.bits = 8;
    bmp.palette = {0x000000, 0xFF0000, 0x00FF00};
    bmp.pixelRows = {{1, 2, 0}, {2, 2, 1}};
    d3dx::DecodedImage image;
    EXPECT_EQ(DecodeOk(bmp, &image), (Colours{0xFFFF0000, 0xFF00FF00, 0xFF000000, 0xFF00FF00, 0xFF00FF00, 0xFFFF0000}));
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_EQ(image.fileFormat, D3DXIFF_BMP);

    bmp.pixelRows[1][2] = 3;  // an index past the three colours
    EXPECT_EQ(Decode(bmp, image), D3DXERR_INVALIDDATA);
}

TEST(BmpDecoder, TrueColourBothRowOrders) {
    Bmp bmp;
    bmp.width = 2;  // 6 bytes per row, padded to 8
    bmp.rows = 3;
    bmp.pixelRows = {{0xFF, 0, 0, 0, 0xFF, 0}, {0, 0, 0xFF, 1, 2, 3}, {9, 9, 9, 0xFF, 0xFF, 0xFF}};
    const Colours expected{0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFF030201, 0xFF090909, 0xFFFFFFFF};
    d3dx::DecodedImage image;
    EXPECT_EQ(DecodeOk(bmp, &image), expected);
    EXPECT_EQ(image.sourceFormat, D3DFMT_R8G8B8);
    bmp.topDown = true;
    EXPECT_EQ(DecodeOk(bmp), expected);

    Bmp wide;  // 32 bits: the fourth byte is not alpha
    wide.width = 2;
    wide.bits = 32;
    wide.pixelRows = {{1, 2, 3, 0, 4, 5, 6, 0x80}};
    EXPECT_EQ(DecodeOk(wide, &image), (Colours{0xFF030201, 0xFF060504}));
    EXPECT_FALSE(image.hasAlpha);
}

TEST(BmpDecoder, RefusesHostileHeaders) {
    d3dx::DecodedImage image;
    Bmp bmp;
    bmp.width = 100000;  // wider than any texture, with one row of bytes
    bmp.pixelRows = {{1, 2, 3}};
    EXPECT_EQ(Decode(bmp, image), D3DXERR_INVALIDDATA);
    bmp.width = 4000;  // allowed size, but the rows are not in the file
    bmp.rows = 4000;
    EXPECT_EQ(Decode(bmp, image), D3DXERR_INVALIDDATA);
    bmp.width = -4;
    bmp.rows = 1;
    EXPECT_EQ(Decode(bmp, image), D3DXERR_INVALIDDATA);
    bmp.width = 1;
    bmp.bits = 7;
    EXPECT_EQ(Decode(bmp, image), D3DXERR_INVALIDDATA);
    bmp.bits = 8;  // more palette entries than 8 bits can index
    bmp.palette.assign(257, 0);
    EXPECT_EQ(Decode(bmp, image), D3DXERR_INVALIDDATA);

    Bytes compressed = Bmp{}.Build();
    compressed[30] = 1;  // BI_RLE8
    EXPECT_EQ(d3dx::DecodeBmp(compressed, "rle.bmp", image), D3DXERR_INVALIDDATA);
    Bytes offset = Bmp{}.Build();
    offset[10] = 0xF0;  // pixel data offset past the end
    offset[11] = 0xFF;
    EXPECT_EQ(d3dx::DecodeBmp(offset, "offset.bmp", image), D3DXERR_INVALIDDATA);
}

}  // namespace

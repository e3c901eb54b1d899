// Every prefix of a valid file is refused with a negative code: no crash, no partial image.
#include <gtest/gtest.h>

#include "platform/d3dx/image_decoders.h"
#include "tests/platform/d3dx/image_writers.h"

namespace {

using imagetest::Bytes;

using Decoder = HRESULT (*)(d3dx::ByteSpan, const char*, d3dx::DecodedImage&);

void ExpectEveryPrefixFails(const Bytes& file, Decoder decode, const char* what) {
    d3dx::DecodedImage whole;
    ASSERT_EQ(decode(file, what, whole), S_OK) << what << " as written";
    for (std::size_t size = 0; size < file.size(); ++size) {
        // A copy of exactly `size` bytes, so that reading past it is caught by the sanitizers.
        const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
        d3dx::DecodedImage image;
        EXPECT_LT(decode(prefix, what, image), 0) << what << " cut to " << size << " of " << file.size() << " bytes";
    }
}

TEST(Truncation, TargaVariants) {
    imagetest::Tga raw;
    raw.width = 3;
    raw.height = 2;
    raw.id = {'x'};
    raw.pixels.assign(18, 0x55);
    ExpectEveryPrefixFails(raw.Build(), d3dx::DecodeTga, "raw.tga");

    imagetest::Tga rle = raw;
    rle.type = 10;
    rle.pixels = {0x82, 1, 2, 3, 0x02, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    ExpectEveryPrefixFails(rle.Build(), d3dx::DecodeTga, "rle.tga");

    imagetest::Tga mapped;
    mapped.type = 9;
    mapped.width = 4;
    mapped.bits = 8;
    mapped.mapLength = 2;
    mapped.mapBits = 32;
    mapped.map.assign(8, 0x80);
    mapped.pixels = {0x81, 0, 0x01, 1, 0};
    ExpectEveryPrefixFails(mapped.Build(), d3dx::DecodeTga, "mapped.tga");
}

TEST(Truncation, BitmapVariants) {
    imagetest::Bmp palette;  // rows of exactly four bytes: no padding at the end to cut
    palette.width = 4;
    palette.rows = 2;
    palette.bits = 8;
    palette.palette = {0x102030, 0x405060};
    palette.pixelRows = {{0, 1, 1, 0}, {1, 1, 0, 0}};
    ExpectEveryPrefixFails(palette.Build(), d3dx::DecodeBmp, "palette.bmp");

    imagetest::Bmp colour;
    colour.width = 4;
    colour.rows = 2;
    colour.topDown = true;
    colour.pixelRows = {Bytes(12, 0x40), Bytes(12, 0x80)};
    ExpectEveryPrefixFails(colour.Build(), d3dx::DecodeBmp, "colour.bmp");
}

TEST(Truncation, DdsVariants) {
    imagetest::Dds argb;
    argb.width = argb.height = 2;
    argb.mipCount = 2;
    argb.data.assign(20, 0x33);
    ExpectEveryPrefixFails(argb.Build(), d3dx::DecodeDds, "argb.dds");

    imagetest::Dds dxt5;
    dxt5.width = 8;
    dxt5.height = 4;
    dxt5.mipCount = 2;
    dxt5.pfFlags = 0x4;
    dxt5.fourCc = imagetest::FourCc('D', 'X', 'T', '5');
    dxt5.data.assign(3 * 16, 0x5A);
    ExpectEveryPrefixFails(dxt5.Build(), d3dx::DecodeDds, "dxt5.dds");
}

}  // namespace

#include "platform/font/glyph_raster.h"

#include <gtest/gtest.h>

namespace {

using platform::GlyphCoverage;
using platform::GlyphRaster;

int Ink(const GlyphCoverage& glyph) {
    int total = 0;
    for (std::uint8_t c : glyph.coverage) total += c > 128;
    return total;
}

std::unique_ptr<GlyphRaster> OpenCjk(int pixels) {
    auto raster = GlyphRaster::Open({"Noto Sans CJK JP", pixels, 700, false});
    if (!raster) return nullptr;
    if (raster->Family().find("CJK") == std::string::npos) return nullptr;
    return raster;
}

TEST(GlyphRaster, KanjiComeFromTheCjkFaceWithRealInk) {
    auto raster = OpenCjk(96);
    if (!raster) GTEST_SKIP() << "Noto Sans CJK JP is not installed";
    ASSERT_TRUE(raster->HasGlyph(U'\u8131'));  // 脱
    GlyphCoverage kanji, notdef;
    ASSERT_TRUE(raster->Render(U'\u8131', kanji));
    ASSERT_TRUE(raster->RenderNotdef(notdef));
    EXPECT_GT(kanji.width, 48);
    EXPECT_GT(kanji.height, 48);
    EXPECT_LE(kanji.height, 110);
    EXPECT_GT(Ink(kanji), 96 * 96 / 10);
    EXPECT_NE(kanji.coverage, notdef.coverage);
    // A full-width glyph advances about one em.
    EXPECT_NEAR(kanji.advance / 64.0, 96.0, 4.0);
    EXPECT_GT(kanji.top, 60);
}

TEST(GlyphRaster, MissingCodePointsAreReportedAndFallBackToNotdef) {
    auto raster = GlyphRaster::Open({"Liberation Sans", 40, 400, false});
    ASSERT_NE(raster, nullptr);
    EXPECT_TRUE(raster->HasGlyph(U'K'));
    EXPECT_FALSE(raster->HasGlyph(U'\u8131'));
    GlyphCoverage missing, notdef;
    ASSERT_TRUE(raster->Render(U'\u8131', missing));
    ASSERT_TRUE(raster->RenderNotdef(notdef));
    EXPECT_EQ(missing.coverage, notdef.coverage);
}

TEST(GlyphRaster, BlankHasAdvanceButNoBitmapAndRenderingRepeatsExactly) {
    auto raster = GlyphRaster::Open({"Liberation Sans", 40, 700, false});
    ASSERT_NE(raster, nullptr);
    GlyphCoverage blank;
    ASSERT_TRUE(raster->Render(U' ', blank));
    EXPECT_TRUE(blank.coverage.empty());
    EXPECT_GT(blank.advance, 0);
    GlyphCoverage first, second;
    ASSERT_TRUE(raster->Render(U'K', first));
    ASSERT_TRUE(raster->Render(U'K', second));
    EXPECT_EQ(first.coverage, second.coverage);
    EXPECT_GT(Ink(first), 100);
    EXPECT_GT(raster->Ascent(), 25);
    EXPECT_GT(raster->Descent(), 3);
}

TEST(GlyphRaster, RefusesNonPositiveSizes) {
    platform::FontError error = platform::FontError::None;
    EXPECT_EQ(GlyphRaster::Open({"Liberation Sans", 0, 400, false}, &error), nullptr);
    EXPECT_EQ(error, platform::FontError::InvalidArgument);
}

}  // namespace

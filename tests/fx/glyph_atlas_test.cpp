#include "fx/glyph_atlas.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace {

using platform::Font;
using platform::FontRequest;

// Cells laid out by the pen walk, recomputed from the font's single-character extents.
TEST(GlyphAtlas, CellsFollowTheExtentsWithOneTexelGapsAndWrapByTheGlyphThatDidNotFit) {
    auto font = Font::Open(FontRequest{"Arial", 17, 700, false});
    ASSERT_TRUE(font);
    const int side = 128;
    GlyphAtlas atlas(side, side);
    atlas.Rasterise(*font);
    int x = 0, y = 0, rows = 1;
    for (int c = GlyphAtlas::kFirstCode; c <= GlyphAtlas::kLastCode; ++c) {
        const auto e = font->TextExtent(static_cast<char>(c));
        const float previousTop = y / float(side);
        if (x + e.cx + 1 > side) {
            x = 0;
            y += e.cy + 1;
            ++rows;
        }
        const auto& g = atlas.Table()[c - GlyphAtlas::kFirstCode];
        EXPECT_FLOAT_EQ(g.tu1, x / float(side)) << c;
        EXPECT_FLOAT_EQ(g.tv1, y / float(side)) << c;
        EXPECT_FLOAT_EQ(g.tu2, (x + e.cx) / float(side)) << c;
        EXPECT_FLOAT_EQ(g.tv2, (y + e.cy) / float(side)) << c;
        if (x == 0 && c > GlyphAtlas::kFirstCode) {
            EXPECT_FLOAT_EQ(g.tv1 - previousTop, (e.cy + 1) / float(side)) << c;
        }
        x += e.cx + 1;
    }
    EXPECT_GE(rows, 4);
    const auto& unused = atlas.Table()[127 - GlyphAtlas::kFirstCode];
    EXPECT_EQ(unused.tu2, 0.0f);
    EXPECT_EQ(unused.tv2, 0.0f);
}

TEST(GlyphAtlas, NoInkOutsideTheCellsEvenForItalics) {
    auto font = Font::Open(FontRequest{"Arial", 40, 400, true});
    ASSERT_TRUE(font);
    const int side = 512;
    GlyphAtlas atlas(side, side);
    atlas.Rasterise(*font);
    std::vector<bool> inCell(static_cast<size_t>(side) * side, false);
    for (const auto& g : atlas.Table()) {
        for (int y = int(g.tv1 * side + 0.5f); y < int(g.tv2 * side + 0.5f); ++y)
            for (int x = int(g.tu1 * side + 0.5f); x < int(g.tu2 * side + 0.5f); ++x) inCell[size_t(y) * side + x] = true;
    }
    int inked = 0;
    for (size_t k = 0; k < inCell.size(); ++k) {
        if (!inCell[k]) {
            ASSERT_EQ(atlas.Bitmap()[k], 0u) << "ink at " << k % side << "," << k / side;
        }
        inked += atlas.Bitmap()[k] != 0;
    }
    EXPECT_GT(inked, 1000);
}

TEST(GlyphAtlas, FourBitTexelsFromTheBlueByte) {
    EXPECT_EQ(GlyphAtlas::CoverageTexel(0x00000000), 0x0000);
    EXPECT_EQ(GlyphAtlas::CoverageTexel(0x0000000F), 0x0000);  // below one step: transparent
    EXPECT_EQ(GlyphAtlas::CoverageTexel(0x00000010), 0x1FFF);
    EXPECT_EQ(GlyphAtlas::CoverageTexel(0x000000A7), 0xAFFF);
    EXPECT_EQ(GlyphAtlas::CoverageTexel(0x00FFFFFF), 0xFFFF);
    EXPECT_EQ(GlyphAtlas::CoverageTexel(0x00FFFF00), 0x0000);  // red and green are ignored
}

TEST(GlyphAtlas, ConversionHonoursThePitchAndKeepsAntiAliasedLevels) {
    auto font = Font::Open(FontRequest{"Arial", 17, 400, false});
    ASSERT_TRUE(font);
    const int side = 256, pitch = side * 2 + 6;
    GlyphAtlas atlas(side, side);
    atlas.Rasterise(*font);
    std::vector<BYTE> texels(static_cast<size_t>(pitch) * side, 0xAB);
    atlas.ConvertTo4444(texels.data(), pitch);
    std::set<int> alphas;
    for (int j = 0; j < side; ++j) {
        for (int i = 0; i < side; ++i) {
            WORD t;
            std::memcpy(&t, &texels[size_t(j) * pitch + i * 2], 2);
            ASSERT_EQ(t, GlyphAtlas::CoverageTexel(atlas.Bitmap()[size_t(j) * side + i]));
            alphas.insert(t >> 12);
        }
        for (int pad = side * 2; pad < pitch; ++pad) ASSERT_EQ(texels[size_t(j) * pitch + pad], 0xAB);
    }
    EXPECT_TRUE(alphas.count(0) && alphas.count(15));
    EXPECT_GE(alphas.size(), 8u);
}

}  // namespace

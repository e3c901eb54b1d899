#include "fx/glyph_atlas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

namespace {

using platform::Font;
using platform::FontRequest;

std::unique_ptr<Font> OpenArial(int pixels, int weight = 400) {
    auto font = Font::Open(FontRequest{"Arial", pixels, weight, false});
    EXPECT_NE(font, nullptr);
    return font;
}

// The pen walk the atlas must follow, recomputed from the font's extents.
struct Cell {
    int x, y, cx, cy;
};
std::vector<Cell> ExpectedCells(const Font& font, int width) {
    std::vector<Cell> cells;
    int x = 0, y = 0;
    for (int c = GlyphAtlas::kFirstCode; c <= GlyphAtlas::kLastCode; ++c) {
        const auto e = font.TextExtent(static_cast<char>(c));
        if (x + e.cx + 1 > width) {
            x = 0;
            y += e.cy + 1;
        }
        cells.push_back({x, y, e.cx, e.cy});
        x += e.cx + 1;
    }
    return cells;
}

TEST(GlyphAtlasLayout, SingleRowWithOneTexelGaps) {
    auto font = OpenArial(11);
    ASSERT_TRUE(font);
    GlyphAtlas atlas(1024, 1024);  // wide enough for every glyph of an 11-pixel font on one row
    atlas.Rasterise(*font);
    const auto& table = atlas.Table();
    int x = 0;
    for (int c = GlyphAtlas::kFirstCode; c <= GlyphAtlas::kLastCode; ++c) {
        const auto& g = table[c - GlyphAtlas::kFirstCode];
        const auto e = font->TextExtent(static_cast<char>(c));
        EXPECT_FLOAT_EQ(g.tu1, x / 1024.0f) << "code " << c;
        EXPECT_FLOAT_EQ(g.tu2, (x + e.cx) / 1024.0f) << "code " << c;
        EXPECT_FLOAT_EQ(g.tv1, 0.0f);
        EXPECT_FLOAT_EQ(g.tv2, e.cy / 1024.0f);
        x += e.cx + 1;
    }
    // The entry of code 127 is never filled.
    const auto& last = table[127 - GlyphAtlas::kFirstCode];
    EXPECT_EQ(last.tu1, 0.0f);
    EXPECT_EQ(last.tv2, 0.0f);
}

TEST(GlyphAtlasLayout, WrapsRowsByTheHeightOfTheGlyphThatDidNotFit) {
    auto font = OpenArial(17, 700);
    ASSERT_TRUE(font);
    const int side = 128;
    GlyphAtlas atlas(side, side);
    atlas.Rasterise(*font);
    const auto cells = ExpectedCells(*font, side);
    int rows = 1;
    for (size_t k = 0; k < cells.size(); ++k) {
        const auto& g = atlas.Table()[k];
        EXPECT_FLOAT_EQ(g.tu1, cells[k].x / float(side)) << k;
        EXPECT_FLOAT_EQ(g.tv1, cells[k].y / float(side)) << k;
        EXPECT_FLOAT_EQ(g.tu2, (cells[k].x + cells[k].cx) / float(side)) << k;
        EXPECT_FLOAT_EQ(g.tv2, (cells[k].y + cells[k].cy) / float(side)) << k;
        if (k > 0 && cells[k].x == 0) {
            ++rows;
            // The new row starts one texel below the cell of the glyph that did not fit, and
            // the previous row had no room left for it.
            EXPECT_EQ(cells[k].y, cells[k - 1].y + cells[k].cy + 1);
            EXPECT_GT(cells[k - 1].x + cells[k - 1].cx + 1 + cells[k].cx + 1, side);
            EXPECT_FLOAT_EQ(g.tv1, atlas.Table()[k - 1].tv1 + (cells[k].cy + 1) / float(side));
        }
        EXPECT_LE(cells[k].x + cells[k].cx + 1, side);
    }
    EXPECT_GE(rows, 3);
}

TEST(GlyphAtlasLayout, NoInkOutsideTheCellsEvenForItalics) {
    auto font = Font::Open(FontRequest{"Arial", 40, 400, true});
    ASSERT_TRUE(font);
    const int side = 512;
    GlyphAtlas atlas(side, side);
    atlas.Rasterise(*font);
    std::vector<bool> inCell(static_cast<size_t>(side) * side, false);
    for (const auto& g : atlas.Table()) {
        const int x1 = static_cast<int>(g.tu1 * side + 0.5f), x2 = static_cast<int>(g.tu2 * side + 0.5f);
        const int y1 = static_cast<int>(g.tv1 * side + 0.5f), y2 = static_cast<int>(g.tv2 * side + 0.5f);
        for (int y = y1; y < std::min(y2, side); ++y)
            for (int x = x1; x < std::min(x2, side); ++x) inCell[static_cast<size_t>(y) * side + x] = true;
    }
    int inked = 0;
    for (size_t k = 0; k < inCell.size(); ++k) {
        if (!inCell[k]) {
            ASSERT_EQ(atlas.Bitmap()[k], 0u) << "ink at " << k % side << "," << k / side;
        } else if (atlas.Bitmap()[k] != 0) {
            ++inked;
        }
    }
    EXPECT_GT(inked, 1000);
}

TEST(GlyphAtlasCoverage, FourBitTexelsFromTheBlueByte) {
    EXPECT_EQ(GlyphAtlas::CoverageTexel(0x00000000), 0x0000);
    EXPECT_EQ(GlyphAtlas::CoverageTexel(0x0000000F), 0x0000);  // below one step: transparent
    EXPECT_EQ(GlyphAtlas::CoverageTexel(0x00000010), 0x1FFF);
    EXPECT_EQ(GlyphAtlas::CoverageTexel(0x00808080), 0x8FFF);
    EXPECT_EQ(GlyphAtlas::CoverageTexel(0x00FFFFFF), 0xFFFF);
    EXPECT_EQ(GlyphAtlas::CoverageTexel(0x00FFFF00), 0x0000);  // red and green are ignored
    EXPECT_EQ(GlyphAtlas::CoverageTexel(0x000000A7), 0xAFFF);
}

TEST(GlyphAtlasCoverage, ConversionHonoursThePitchAndKeepsCoverageLevels) {
    auto font = OpenArial(17);
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
            std::memcpy(&t, &texels[static_cast<size_t>(j) * pitch + i * 2], 2);
            ASSERT_EQ(t, GlyphAtlas::CoverageTexel(atlas.Bitmap()[static_cast<size_t>(j) * side + i]));
            ASSERT_TRUE(t == 0 || (t & 0x0FFF) == 0x0FFF);
            alphas.insert(t >> 12);
        }
        for (int pad = side * 2; pad < pitch; ++pad) ASSERT_EQ(texels[static_cast<size_t>(j) * pitch + pad], 0xAB);
    }
    // Anti-aliased edges give intermediate levels besides empty and full.
    EXPECT_TRUE(alphas.count(0) && alphas.count(15));
    EXPECT_GE(alphas.size(), 8u);
}

}  // namespace

#include "platform/font/font.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

using platform::Font;
using platform::FontRequest;

std::unique_ptr<Font> OpenArial(int pixels, int weight = 400, bool italic = false) {
    auto font = Font::Open(FontRequest{"Arial", pixels, weight, italic});
    EXPECT_NE(font, nullptr);
    return font;
}

struct Bitmap {
    int width, height;
    std::vector<std::uint32_t> pixels;
    Bitmap(int w, int h, std::uint32_t fill = 0) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
    std::uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

bool IsGrey(std::uint32_t p) { return ((p >> 16) & 0xFF) == (p & 0xFF) && ((p >> 8) & 0xFF) == (p & 0xFF); }

// ---- Face matching ------------------------------------------------------------------------

TEST(FontMatch, ArialResolvesToLiberationSansInEachStyle) {
    auto regular = OpenArial(15);
    auto bold = OpenArial(15, 700);
    auto italic = OpenArial(15, 400, true);
    auto boldItalic = OpenArial(15, 700, true);
    ASSERT_TRUE(regular && bold && italic && boldItalic);
    EXPECT_EQ(regular->Family(), "Liberation Sans");
    EXPECT_EQ(bold->Family(), "Liberation Sans");
    EXPECT_EQ(regular->Style(), "Regular");
    EXPECT_EQ(bold->Style(), "Bold");
    EXPECT_EQ(italic->Style(), "Italic");
    EXPECT_EQ(boldItalic->Style(), "Bold Italic");
    EXPECT_FALSE(bold->SyntheticBold());
    EXPECT_FALSE(italic->SyntheticItalic());
    EXPECT_NE(regular->File(), bold->File());
}

TEST(FontMatch, FamilyWithoutBoldGetsSynthesisedBold) {
    auto regular = Font::Open(FontRequest{"DejaVu Math TeX Gyre", 17, 400, false});
    auto bold = Font::Open(FontRequest{"DejaVu Math TeX Gyre", 17, 700, false});
    if (!regular || regular->Family() != "DejaVu Math TeX Gyre") GTEST_SKIP() << "single-style face not installed";
    ASSERT_TRUE(bold);
    EXPECT_EQ(bold->File(), regular->File());
    EXPECT_TRUE(bold->SyntheticBold());
    EXPECT_GT(bold->TextExtent('m').cx, regular->TextExtent('m').cx);
    auto italic = Font::Open(FontRequest{"DejaVu Math TeX Gyre", 17, 400, true});
    ASSERT_TRUE(italic);
    EXPECT_TRUE(italic->SyntheticItalic());
    EXPECT_FALSE(regular->SyntheticBold() || regular->SyntheticItalic());
}

TEST(FontMatch, NonPositiveHeightFailsWithMessage) {
    platform::FontError error = platform::FontError::None;
    testing::internal::CaptureStderr();
    auto font = Font::Open(FontRequest{"Arial", 0, 400, false}, &error);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(font, nullptr);
    EXPECT_EQ(error, platform::FontError::InvalidArgument);
    EXPECT_THAT(message, testing::HasSubstr("\"Arial\""));
    EXPECT_THAT(message, testing::HasSubstr("pixel height"));
    EXPECT_EQ(Font::Open(FontRequest{"Arial", -11, 400, false}), nullptr);
}

// ---- Metrics ------------------------------------------------------------------------------

TEST(FontMetrics, PrintableExtentsArePositiveWithOneCellHeight) {
    for (int pixels : {11, 15, 17, 64}) {
        auto font = OpenArial(pixels);
        ASSERT_TRUE(font);
        EXPECT_GT(font->Ascent(), 0);
        EXPECT_GT(font->Descent(), 0);
        // Arial's cell is taller than its em: internal leading on top of the character height.
        EXPECT_GT(font->Ascent() + font->Descent(), pixels);
        for (int c = 32; c <= 126; ++c) {
            const auto extent = font->TextExtent(static_cast<char>(c));
            EXPECT_GT(extent.cx, 0) << "code " << c << " at " << pixels << " px";
            EXPECT_EQ(extent.cy, font->Ascent() + font->Descent());
        }
    }
}

TEST(FontMetrics, CellHeightFollowsWindowsAscentAndDescent) {
    // Liberation Sans shares Arial's Windows metrics: ascent 1854, descent 434 per 2048 units.
    auto font = OpenArial(64);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->Ascent(), 58);   // 57.94
    EXPECT_EQ(font->Descent(), 14);  // 13.56
}

TEST(FontMetrics, BoldIsNeverNarrowerAndWiderOverall) {
    auto regular = OpenArial(17);
    auto bold = OpenArial(17, 700);
    ASSERT_TRUE(regular && bold);
    int regularTotal = 0, boldTotal = 0;
    for (int c = 32; c <= 126; ++c) {
        const int r = regular->TextExtent(static_cast<char>(c)).cx;
        const int b = bold->TextExtent(static_cast<char>(c)).cx;
        EXPECT_GE(b, r) << "code " << c;
        regularTotal += r;
        boldTotal += b;
    }
    EXPECT_GT(boldTotal, regularTotal);
}

// ---- Drawing ------------------------------------------------------------------------------

TEST(FontDrawing, CoverageIsAntiAliasedWhiteOnBlack) {
    auto font = OpenArial(17);
    ASSERT_TRUE(font);
    Bitmap bitmap(64, 64);
    font->DrawChar(bitmap.pixels.data(), bitmap.width, bitmap.height, 4, 4, 'O');
    int full = 0, partial = 0;
    for (std::uint32_t p : bitmap.pixels) {
        ASSERT_TRUE(IsGrey(p));
        const std::uint32_t level = p & 0xFF;
        if (level == 255) ++full;
        else if (level > 0) ++partial;
    }
    EXPECT_GT(partial, 5);
    EXPECT_GT(full + partial, 20);
}

TEST(FontDrawing, CellIsFilledOpaqueAndGlyphSitsOnTheBaseline) {
    auto font = OpenArial(17);
    ASSERT_TRUE(font);
    const std::uint32_t magenta = 0x00FF00FF;
    Bitmap bitmap(64, 64, magenta);
    const int x = 10, y = 7;
    const auto cell = font->TextExtent('H');
    font->DrawChar(bitmap.pixels.data(), bitmap.width, bitmap.height, x, y, 'H');
    int lowestInkRow = -1;
    for (int j = 0; j < bitmap.height; ++j) {
        for (int i = 0; i < bitmap.width; ++i) {
            const bool inCell = i >= x && i < x + cell.cx && j >= y && j < y + cell.cy;
            const std::uint32_t p = bitmap.At(i, j);
            if (inCell) {
                EXPECT_TRUE(IsGrey(p)) << i << "," << j;
                if ((p & 0xFF) >= 128) lowestInkRow = j;
            } else if (i < x - 2 || i > x + cell.cx + 2 || j < y - 2 || j > y + cell.cy + 2) {
                EXPECT_EQ(p, magenta) << i << "," << j;
            }
        }
    }
    // H stands on the baseline: its last inked row is just above it; g reaches below it.
    EXPECT_EQ(lowestInkRow, y + font->Ascent() - 1);
    Bitmap descender(40, 40);
    font->DrawChar(descender.pixels.data(), descender.width, descender.height, 0, 0, 'g');
    bool below = false;
    for (int j = font->Ascent() + 1; j < descender.height; ++j)
        for (int i = 0; i < descender.width; ++i) below |= (descender.At(i, j) & 0xFF) >= 128;
    EXPECT_TRUE(below);
}

TEST(FontDrawing, ClippingToTheCellKeepsOverhangsOut) {
    auto font = OpenArial(40, 400, true);
    ASSERT_TRUE(font);
    const std::uint32_t magenta = 0x00FF00FF;
    const int x = 20, y = 10;
    const auto cell = font->TextExtent('f');
    Bitmap clipped(100, 80, magenta), overhanging(100, 80, magenta);
    font->DrawChar(clipped.pixels.data(), clipped.width, clipped.height, x, y, 'f', true);
    font->DrawChar(overhanging.pixels.data(), overhanging.width, overhanging.height, x, y, 'f');
    int outside = 0;
    for (int j = 0; j < clipped.height; ++j) {
        for (int i = 0; i < clipped.width; ++i) {
            const bool inCell = i >= x && i < x + cell.cx && j >= y && j < y + cell.cy;
            if (inCell) {
                EXPECT_EQ(clipped.At(i, j), overhanging.At(i, j)) << i << "," << j;
            } else {
                EXPECT_EQ(clipped.At(i, j), magenta) << i << "," << j;
                outside += overhanging.At(i, j) != magenta;
            }
        }
    }
    // An italic f reaches past its advance on both sides.
    EXPECT_GT(outside, 10);
}

TEST(FontDrawing, EverythingOutsideTheBitmapIsClipped) {
    auto font = OpenArial(40, 700, true);
    ASSERT_TRUE(font);
    // A 20 x 20 bitmap in the middle of a guarded buffer.
    const std::uint32_t guard = 0x00123456;
    const int w = 20, h = 20, pad = 4096;
    std::vector<std::uint32_t> memory(static_cast<size_t>(w * h + 2 * pad), guard);
    std::uint32_t* dib = memory.data() + pad;
    std::fill(dib, dib + w * h, 0u);
    for (int x : {-30, -10, 5, 15, 40}) {
        for (int y : {-30, -10, 5, 15, 40}) {
            font->DrawChar(dib, w, h, x, y, 'W');
            font->DrawChar(dib, w, h, x, y, 'f', true);
        }
    }
    for (int i = 0; i < pad; ++i) {
        ASSERT_EQ(memory[i], guard);
        ASSERT_EQ(memory[pad + w * h + i], guard);
    }
    bool inked = false;
    for (int i = 0; i < w * h; ++i) inked |= dib[i] != 0;
    EXPECT_TRUE(inked);
    font->DrawChar(nullptr, w, h, 0, 0, 'W');  // no bitmap: nothing happens
    font->DrawChar(dib, 0, h, 0, 0, 'W');
}

}  // namespace

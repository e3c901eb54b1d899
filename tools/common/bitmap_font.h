// A tiny built-in 5 x 7 pixel font for labelling pictures the tools write: digits, letters
// (lower case drawn as upper case), blank and . - : / + ( ); any other character is drawn as '?'.
#pragma once

#include <cstdint>
#include <string_view>

namespace tools {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
// Horizontal distance from one character to the next, at scale 1.
inline constexpr int kGlyphAdvance = kGlyphWidth + 1;

// Pixels of a 0xAARRGGBB picture, top row first, `stride` values per row.
struct PixelTarget {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// Width in pixels of the text drawn at the scale (no trailing gap); 0 for empty text.
int TextWidth(std::string_view text, int scale = 1);

// Draws the text with its top-left corner at (x, y), each font pixel a scale x scale block in
// the colour; pixels outside the target are skipped. Returns the width drawn (TextWidth).
int DrawText(const PixelTarget& target, int x, int y, std::string_view text, std::uint32_t colour, int scale = 1);

// The 7 rows of a character's glyph, bit 4 the leftmost column.
const std::uint8_t* GlyphRows(char c);

}  // namespace tools

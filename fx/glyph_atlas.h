// GlyphAtlas: the printable ASCII characters of one font rasterised into one bitmap.
//
// Cells are laid out left to right from the top-left corner, each followed by one empty texel
// column; a cell that does not fit on the row starts a new row, one texel below the cell that
// did not fit. Each glyph is clipped to its own cell: quads only ever show the cell, and ink
// beyond it (italic overhangs, negative bearings) would only bleed into the neighbours. The
// bitmap is white coverage on black, top-down 32-bit 0x00RRGGBB pixels; it converts to
// A4R4G4B4 texels keeping four bits of coverage.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/font/font.h"
#include "platform/com/win_types.h"

// Texture coordinates of one glyph cell.
struct GlyphCoords {
    float tu1 = 0.0f;
    float tv1 = 0.0f;
    float tu2 = 0.0f;
    float tv2 = 0.0f;
};

class GlyphAtlas {
public:
    static constexpr int kFirstCode = 32;   // space
    static constexpr int kLastCode = 126;   // '~'
    static constexpr int kTableSize = 96;   // codes 32 to 127; the entry of 127 stays empty

    GlyphAtlas(int width, int height);

    // Draws every code from kFirstCode to kLastCode and fills the table.
    void Rasterise(const platform::Font& font);

    int Width() const { return width_; }
    int Height() const { return height_; }
    const std::array<GlyphCoords, kTableSize>& Table() const { return table_; }
    const std::vector<std::uint32_t>& Bitmap() const { return bitmap_; }

    // Writes Height() rows of Width() A4R4G4B4 texels, rows `pitch` bytes apart.
    void ConvertTo4444(BYTE* bits, int pitch) const;
    // 0x0000 when the top four bits of the blue byte are 0, else white with that 4-bit alpha.
    static WORD CoverageTexel(std::uint32_t pixel);

private:
    int width_;
    int height_;
    std::vector<std::uint32_t> bitmap_;
    std::array<GlyphCoords, kTableSize> table_{};
};

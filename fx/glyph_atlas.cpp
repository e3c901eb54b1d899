#include "fx/glyph_atlas.h"

#include <algorithm>
#include <cstring>

GlyphAtlas::GlyphAtlas(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      bitmap_(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0u) {}

void GlyphAtlas::Rasterise(const platform::Font& font) {
    int x = 0;
    int y = 0;
    const float w = static_cast<float>(width_);
    const float h = static_cast<float>(height_);
    for (int c = kFirstCode; c <= kLastCode; ++c) {
        const char code = static_cast<char>(c);
        const platform::CharExtent extent = font.TextExtent(code);
        if (x + extent.cx + 1 > width_) {
            x = 0;
            y += extent.cy + 1;
        }
        font.DrawChar(bitmap_.data(), width_, height_, x, y, code, true);
        GlyphCoords& entry = table_[c - kFirstCode];
        entry.tu1 = static_cast<float>(x) / w;
        entry.tv1 = static_cast<float>(y) / h;
        entry.tu2 = static_cast<float>(x + extent.cx) / w;
        entry.tv2 = static_cast<float>(y + extent.cy) / h;
        x += extent.cx + 1;
    }
}

WORD GlyphAtlas::CoverageTexel(std::uint32_t pixel) {
    const WORD alpha = static_cast<WORD>((pixel >> 4) & 0xF);
    return alpha == 0 ? WORD{0x0000} : static_cast<WORD>((alpha << 12) | 0x0FFF);
}

void GlyphAtlas::ConvertTo4444(BYTE* bits, int pitch) const {
    for (int j = 0; j < height_; ++j) {
        BYTE* row = bits + static_cast<std::ptrdiff_t>(j) * pitch;
        const std::uint32_t* source = bitmap_.data() + static_cast<size_t>(j) * width_;
        for (int i = 0; i < width_; ++i) {
            const WORD texel = CoverageTexel(source[i]);
            std::memcpy(row + static_cast<std::ptrdiff_t>(i) * 2, &texel, sizeof texel);
        }
    }
}

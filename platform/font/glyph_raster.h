// Glyphs by Unicode code point: one face at one pixel size, each glyph rasterised to an 8-bit
// coverage bitmap. For picture generators that need more than the 8-bit characters of Font
// (Japanese captions, large titles); the face is found through fontconfig like Font's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/font/font.h"

namespace platform {

struct GlyphCoverage {
    int width = 0;      // bitmap columns
    int height = 0;     // bitmap rows, top row first
    int left = 0;       // pen position to the bitmap's left edge, pixels
    int top = 0;        // baseline to the bitmap's top row, pixels (positive upward)
    int advance = 0;    // horizontal advance, 1/64 pixel
    std::vector<std::uint8_t> coverage;  // width x height, 0 (none) to 255 (full)

    std::uint8_t At(int x, int y) const { return coverage[static_cast<std::size_t>(y) * width + x]; }
};

class GlyphRaster {
public:
    // Null on failure, with a message on stderr naming the face and the cause.
    static std::unique_ptr<GlyphRaster> Open(const FontRequest& request, FontError* error = nullptr);
    ~GlyphRaster();
    GlyphRaster(const GlyphRaster&) = delete;
    GlyphRaster& operator=(const GlyphRaster&) = delete;

    const std::string& Family() const;
    const std::string& File() const;
    int Ascent() const;   // the face's ascender at this size, pixels
    int Descent() const;  // the face's descender at this size, pixels (positive)

    // True when the face maps the code point to a real glyph (not the .notdef box).
    bool HasGlyph(char32_t code) const;
    // Rasterises the code point (the .notdef glyph when the face lacks it); false when FreeType
    // fails, with `glyph` left empty. A blank such as U+0020 gives an empty bitmap and an advance.
    bool Render(char32_t code, GlyphCoverage& glyph) const;
    // Rasterises glyph index 0, the face's .notdef box.
    bool RenderNotdef(GlyphCoverage& glyph) const;
    // Kerning between two code points, 1/64 pixel (0 when the face has none).
    int Kerning(char32_t left, char32_t right) const;

private:
    struct Impl;
    struct Key {
        explicit Key() = default;
    };

public:
    GlyphRaster(Key, std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform

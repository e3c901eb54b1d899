// Text drawn by Unicode code point into coverage planes, for titles and captions.
#pragma once

#include <memory>
#include <string>

#include "platform/font/glyph_raster.h"
#include "tools/assets/images/canvas.h"

namespace assets::images {

struct TextStyle {
    std::string family;
    int pixels = 32;       // em height
    int weight = 400;
    float tracking = 0.0f; // extra pixels after every character
    float shear = 0.0f;    // horizontal lean: pixels to the right per pixel above the baseline
};

class TextWriter {
public:
    // Null, with a message on stderr, when the face cannot be opened.
    static std::unique_ptr<TextWriter> Open(const TextStyle& style);

    const platform::GlyphRaster& Raster() const { return *raster_; }
    int Ascent() const { return raster_->Ascent(); }
    // True when the face has a real glyph for every character (blanks included).
    bool Covers(const std::u32string& text) const;
    // Advance width of the text, pixels.
    float Width(const std::u32string& text) const;
    // Adds the text's coverage to `mask` (keeping the larger value), the pen starting at x on
    // the baseline. False, with a message naming the character, when the face lacks one.
    bool Draw(Plane& mask, const std::u32string& text, float x, float baseline) const;

private:
    TextWriter(const TextStyle& style, std::unique_ptr<platform::GlyphRaster> raster)
        : style_(style), raster_(std::move(raster)) {}
    TextStyle style_;
    std::unique_ptr<platform::GlyphRaster> raster_;
};

}  // namespace assets::images

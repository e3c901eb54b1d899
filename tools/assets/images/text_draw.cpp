#include "tools/assets/images/text_draw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace assets::images {

std::unique_ptr<TextWriter> TextWriter::Open(const TextStyle& style) {
    auto raster = platform::GlyphRaster::Open({style.family, style.pixels, style.weight, false});
    if (!raster) return nullptr;
    return std::unique_ptr<TextWriter>(new TextWriter(style, std::move(raster)));
}

bool TextWriter::Covers(const std::u32string& text) const {
    return std::all_of(text.begin(), text.end(), [this](char32_t c) { return raster_->HasGlyph(c); });
}

float TextWriter::Width(const std::u32string& text) const {
    float width = 0.0f;
    platform::GlyphCoverage glyph;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!raster_->Render(text[i], glyph)) continue;
        width += float(glyph.advance) / 64.0f + style_.tracking;
        if (i + 1 < text.size()) width += float(raster_->Kerning(text[i], text[i + 1])) / 64.0f;
    }
    return text.empty() ? 0.0f : width - style_.tracking;
}

bool TextWriter::Draw(Plane& mask, const std::u32string& text, float x, float baseline) const {
    platform::GlyphCoverage glyph;
    float pen = x;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (!raster_->HasGlyph(c)) {
            std::fprintf(stderr, "text: face \"%s\" has no glyph for U+%04X\n", raster_->Family().c_str(),
                         unsigned(c));
            return false;
        }
        if (!raster_->Render(c, glyph)) {
            std::fprintf(stderr, "text: face \"%s\" cannot draw U+%04X\n", raster_->Family().c_str(), unsigned(c));
            return false;
        }
        const float left = pen + float(glyph.left);
        const float top = baseline - float(glyph.top);
        // Glyph pixels mapped onto the plane, leaning by the shear above the baseline.
        const float lean = style_.shear;
        const int y0 = std::max(0, int(std::floor(top))), y1 = std::min(mask.height, int(std::ceil(top + glyph.height)));
        for (int py = y0; py < y1; ++py) {
            const float gy = float(py) + 0.5f - top - 0.5f;
            const float offset = lean * (baseline - (float(py) + 0.5f));
            const float gx0 = left + offset;
            const int x0 = std::max(0, int(std::floor(gx0)) - 1);
            const int x1 = std::min(mask.width, int(std::ceil(gx0 + glyph.width)) + 1);
            for (int px = x0; px < x1; ++px) {
                const float gx = float(px) - gx0;
                // Bilinear sample of the coverage, zero outside the bitmap.
                const int ix = int(std::floor(gx)), iy = int(std::floor(gy));
                const float fx = gx - float(ix), fy = gy - float(iy);
                auto at = [&glyph](int sx, int sy) -> float {
                    if (sx < 0 || sy < 0 || sx >= glyph.width || sy >= glyph.height) return 0.0f;
                    return float(glyph.At(sx, sy)) / 255.0f;
                };
                const float v = (at(ix, iy) * (1 - fx) + at(ix + 1, iy) * fx) * (1 - fy) +
                                (at(ix, iy + 1) * (1 - fx) + at(ix + 1, iy + 1) * fx) * fy;
                float& target = mask.At(px, py);
                target = std::max(target, v);
            }
        }
        pen += float(glyph.advance) / 64.0f + style_.tracking;
        if (i + 1 < text.size()) pen += float(raster_->Kerning(c, text[i + 1])) / 64.0f;
    }
    return true;
}

}  // namespace assets::images

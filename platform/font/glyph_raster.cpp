#include "platform/font/glyph_raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <cstdlib>

#include "platform/font/font_face.h"

namespace platform {

struct GlyphRaster::Impl : FontFace {
    bool syntheticBold = false;

    bool RenderIndex(FT_UInt index, GlyphCoverage& glyph) const {
        glyph = GlyphCoverage{};
        // Unhinted outlines: these glyphs are drawn large, where hinting only distorts shapes.
        if (FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) != 0) return false;
        if (syntheticBold) FT_GlyphSlot_Embolden(face->glyph);
        FT_GlyphSlot slot = face->glyph;
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
        const FT_Bitmap& bitmap = slot->bitmap;
        glyph.advance = static_cast<int>(slot->advance.x);
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        if (bitmap.rows == 0 || bitmap.width == 0) return true;
        if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || !bitmap.buffer) return false;
        glyph.width = static_cast<int>(bitmap.width);
        glyph.height = static_cast<int>(bitmap.rows);
        glyph.coverage.resize(static_cast<std::size_t>(glyph.width) * glyph.height);
        const int levels = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
        for (int y = 0; y < glyph.height; ++y) {
            // A negative pitch means the rows are stored bottom-up.
            const int row = bitmap.pitch >= 0 ? y : glyph.height - 1 - y;
            const unsigned char* source = bitmap.buffer + static_cast<long>(row) * std::abs(bitmap.pitch);
            for (int x = 0; x < glyph.width; ++x) {
                glyph.coverage[static_cast<std::size_t>(y) * glyph.width + x] =
                    static_cast<std::uint8_t>(source[x] * 255 / levels);
            }
        }
        return true;
    }
};

GlyphRaster::GlyphRaster(Key, std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
GlyphRaster::~GlyphRaster() = default;

std::unique_ptr<GlyphRaster> GlyphRaster::Open(const FontRequest& request, FontError* error) {
    auto impl = OpenFaceFor<Impl>("glyphs", request, error);
    if (!impl) return nullptr;
    if (FT_Select_Charmap(impl->face, FT_ENCODING_UNICODE) != 0) {
        RefuseRequest("glyphs", request, FontError::CannotOpen, impl->match.file + ": no Unicode character map", error);
        return nullptr;
    }
    impl->syntheticBold = request.weight >= 600 && !impl->match.bold;
    if (error) *error = FontError::None;
    return std::make_unique<GlyphRaster>(Key{}, std::move(impl));
}

const std::string& GlyphRaster::Family() const { return impl_->match.family; }
const std::string& GlyphRaster::File() const { return impl_->match.file; }
int GlyphRaster::Ascent() const { return static_cast<int>((impl_->face->size->metrics.ascender + 32) >> 6); }
int GlyphRaster::Descent() const { return static_cast<int>((-impl_->face->size->metrics.descender + 32) >> 6); }

bool GlyphRaster::HasGlyph(char32_t code) const { return FT_Get_Char_Index(impl_->face, code) != 0; }

bool GlyphRaster::Render(char32_t code, GlyphCoverage& glyph) const {
    return impl_->RenderIndex(FT_Get_Char_Index(impl_->face, code), glyph);
}

bool GlyphRaster::RenderNotdef(GlyphCoverage& glyph) const { return impl_->RenderIndex(0, glyph); }

int GlyphRaster::Kerning(char32_t left, char32_t right) const {
    if (!FT_HAS_KERNING(impl_->face)) return 0;
    FT_Vector delta{};
    const FT_UInt a = FT_Get_Char_Index(impl_->face, left), b = FT_Get_Char_Index(impl_->face, right);
    if (FT_Get_Kerning(impl_->face, a, b, FT_KERNING_UNFITTED, &delta) != 0) return 0;
    return static_cast<int>(delta.x);
}

}  // namespace platform

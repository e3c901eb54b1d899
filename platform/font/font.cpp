#include "platform/font/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>

#include "platform/font/font_face.h"

namespace platform {
namespace {

// value in font units scaled to whole pixels at ppem pixels per em, rounded to nearest.
int ScaleToPixels(long value, int ppem, int unitsPerEm) {
    const long long scaled = static_cast<long long>(value) * ppem * 2;
    const long long divisor = 2LL * unitsPerEm;
    return static_cast<int>(scaled >= 0 ? (scaled + unitsPerEm) / divisor : -((-scaled + unitsPerEm) / divisor));
}

std::uint8_t BlendWhite(std::uint8_t channel, std::uint8_t coverage) {
    return static_cast<std::uint8_t>(channel + ((255 - channel) * coverage + 127) / 255);
}

}  // namespace

const char* FontErrorName(FontError error) {
    switch (error) {
        case FontError::None: return "no error";
        case FontError::InvalidArgument: return "invalid argument";
        case FontError::NoMatch: return "no matching face";
        case FontError::CannotOpen: return "cannot open the font file";
        case FontError::CannotSize: return "cannot scale the face";
    }
    return "unknown error";
}

struct Font::Impl : FontFace {
    bool syntheticBold = false;
    bool syntheticItalic = false;
    int ascent = 0;
    int descent = 0;

    // Loads the character's outline into the glyph slot, with synthesised styles applied.
    bool Load(char c) const {
        const FT_ULong code = static_cast<unsigned char>(c);
        if (FT_Load_Char(face, code, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL) != 0) {
            return false;
        }
        if (syntheticBold) FT_GlyphSlot_Embolden(face->glyph);
        if (syntheticItalic) FT_GlyphSlot_Oblique(face->glyph);
        return true;
    }
};

Font::Font(Key, std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Font::~Font() = default;

std::unique_ptr<Font> Font::Open(const FontRequest& request, FontError* error) {
    auto impl = OpenFaceFor<Impl>("font", request, error);
    if (!impl) return nullptr;

    impl->syntheticBold = request.weight >= 600 && !impl->match.bold;
    impl->syntheticItalic = request.italic && !impl->match.italic;

    // The cell spans the Windows ascent and descent of the OS/2 table, as GDI's does; faces
    // without one fall back to the horizontal header.
    const FT_Face face = impl->face;
    const int upem = face->units_per_EM;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    long ascentUnits = face->ascender;
    long descentUnits = -face->descender;
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        ascentUnits = os2->usWinAscent;
        descentUnits = os2->usWinDescent;
    }
    impl->ascent = ScaleToPixels(ascentUnits, request.pixelHeight, upem);
    impl->descent = ScaleToPixels(descentUnits, request.pixelHeight, upem);
    if (error) *error = FontError::None;
    return std::make_unique<Font>(Key{}, std::move(impl));
}

const std::string& Font::Family() const { return impl_->match.family; }
const std::string& Font::Style() const { return impl_->match.style; }
const std::string& Font::File() const { return impl_->match.file; }
bool Font::SyntheticBold() const { return impl_->syntheticBold; }
bool Font::SyntheticItalic() const { return impl_->syntheticItalic; }
int Font::Ascent() const { return impl_->ascent; }
int Font::Descent() const { return impl_->descent; }

CharExtent Font::TextExtent(char c) const {
    CharExtent extent;
    extent.cy = impl_->ascent + impl_->descent;
    if (impl_->Load(c)) extent.cx = static_cast<int>((impl_->face->glyph->advance.x + 32) >> 6);
    return extent;
}

void Font::DrawChar(std::uint32_t* dib, int width, int height, int x, int y, char c, bool clipToCell) const {
    if (!dib || width <= 0 || height <= 0) return;
    const CharExtent cell = TextExtent(c);
    // Opaque cell background.
    const int left = std::max(x, 0), right = std::min(x + cell.cx, width);
    const int top = std::max(y, 0), bottom = std::min(y + cell.cy, height);
    for (int row = top; left < right && row < bottom; ++row) {
        std::fill(dib + static_cast<long>(row) * width + left, dib + static_cast<long>(row) * width + right, 0u);
    }

    if (!impl_->Load(c)) return;
    FT_GlyphSlot slot = impl_->face->glyph;
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || !bitmap.buffer || bitmap.pitch < 0) return;

    const int clipLeft = clipToCell ? left : 0, clipRight = clipToCell ? right : width;
    const int clipTop = clipToCell ? top : 0, clipBottom = clipToCell ? bottom : height;
    const int originX = x + slot->bitmap_left;
    const int originY = y + impl_->ascent - slot->bitmap_top;
    const int levels = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
    for (unsigned int gy = 0; gy < bitmap.rows; ++gy) {
        const int py = originY + static_cast<int>(gy);
        if (py < clipTop || py >= clipBottom) continue;
        const unsigned char* source = bitmap.buffer + static_cast<long>(gy) * bitmap.pitch;
        for (unsigned int gx = 0; gx < bitmap.width; ++gx) {
            const int px = originX + static_cast<int>(gx);
            if (px < clipLeft || px >= clipRight || source[gx] == 0) continue;
            const auto coverage = static_cast<std::uint8_t>(source[gx] * 255 / levels);
            std::uint32_t& pixel = dib[static_cast<long>(py) * width + px];
            const std::uint32_t r = BlendWhite(static_cast<std::uint8_t>(pixel >> 16), coverage);
            const std::uint32_t g = BlendWhite(static_cast<std::uint8_t>(pixel >> 8), coverage);
            const std::uint32_t b = BlendWhite(static_cast<std::uint8_t>(pixel), coverage);
            pixel = (r << 16) | (g << 8) | b;
        }
    }
}

}  // namespace platform

// Font: one face at one pixel size, rasterised with FreeType and found by MatchFontFace.
//
// Measures and draws single characters the way a GDI memory context does for text drawn with
// ETO_OPAQUE: a character's cell is its advance width by the line height (ascent + descent),
// the cell is filled black and the glyph is laid over it in white with anti-aliased coverage.
// Bitmaps are top-down arrays of 32-bit 0x00RRGGBB pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

struct FontRequest {
    std::string face;      // family name; aliases apply ("Arial" -> a metric twin)
    int pixelHeight = 0;   // character height in pixels: the em height, without internal leading
    int weight = 400;      // 400 regular, 700 bold
    bool italic = false;
};

struct CharExtent {
    int cx = 0;  // advance width in pixels
    int cy = 0;  // cell height: ascent + descent
};

enum class FontError {
    None,
    InvalidArgument,  // the pixel height is not positive
    NoMatch,          // no scalable face at all (fontconfig has none, a packed file is missing)
    CannotOpen,       // FreeType could not open the matched file
    CannotSize,       // FreeType could not scale the face to the pixel height
};

const char* FontErrorName(FontError error);

class Font {
public:
    // Null on failure, with a message on stderr naming the face and the cause.
    static std::unique_ptr<Font> Open(const FontRequest& request, FontError* error = nullptr);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // What MatchFontFace chose for the request.
    const std::string& Family() const;
    const std::string& Style() const;
    const std::string& File() const;
    // True when bold or italic had to be synthesised because the family lacks that style.
    bool SyntheticBold() const;
    bool SyntheticItalic() const;

    int Ascent() const;
    int Descent() const;

    // The single character's extent, as GetTextExtentPoint32A reports it.
    CharExtent TextExtent(char c) const;
    // Fills the cell at (x, y) black and draws the character in white over it, its baseline
    // Ascent() pixels below y. Everything outside the bitmap is clipped; with clipToCell (GDI's
    // ETO_CLIPPED) so is ink outside the cell, such as italic overhangs and negative bearings.
    void DrawChar(std::uint32_t* dib, int width, int height, int x, int y, char c, bool clipToCell = false) const;

private:
    struct Impl;
    struct Key {
        explicit Key() = default;
    };

public:
    // Made by Open only.
    Font(Key, std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform

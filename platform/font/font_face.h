// One FreeType face found by MatchFontFace and scaled to a pixel height: the part of opening
// a font that Font and GlyphRaster share. Owns the FreeType library instance and the face.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>
#include <string>

#include "platform/font/font.h"
#include "platform/font/font_match.h"

namespace platform {

struct FontFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    FontMatch match;

    FontFace() = default;
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // Matches the request's family and style, opens the file and sets the pixel height. False,
    // with the error and its cause, when any step fails.
    bool OpenFace(const FontRequest& request, FontError& error, std::string& cause);
};

// Says on stderr why an opener (who: "font", "glyphs") cannot serve the request, and stores the
// code where the caller asked for it.
void RefuseRequest(const char* who, const FontRequest& request, FontError code, const std::string& cause,
                   FontError* error);

// A new Face (a FontFace) opened for the request, or null after RefuseRequest.
template <class Face>
std::unique_ptr<Face> OpenFaceFor(const char* who, const FontRequest& request, FontError* error) {
    auto face = std::make_unique<Face>();
    FontError code = FontError::None;
    std::string cause;
    if (face->OpenFace(request, code, cause)) return face;
    RefuseRequest(who, request, code, cause, error);
    return nullptr;
}

// "FreeType error 0x.. (text)" for a FreeType result code.
std::string FreeTypeMessage(FT_Error code);

}  // namespace platform

// One FreeType face found through fontconfig and scaled to a pixel height: the part of opening
// a font that Font and GlyphRaster share. Owns the FreeType library instance and the face.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

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

// "FreeType error 0x.. (text)" for a FreeType result code.
std::string FreeTypeMessage(FT_Error code);

}  // namespace platform

#include "platform/font/font_face.h"

#include <cstdio>

namespace platform {

FontFace::~FontFace() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
}

void RefuseRequest(const char* who, const FontRequest& request, FontError code, const std::string& cause,
                   FontError* error) {
    std::fprintf(stderr, "%s: cannot open face \"%s\" at %d px: %s\n", who, request.face.c_str(), request.pixelHeight,
                 cause.c_str());
    if (error) *error = code;
}

std::string FreeTypeMessage(FT_Error code) {
    const char* text = FT_Error_String(code);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "FreeType error 0x%02X", static_cast<unsigned>(code));
    return text ? std::string(buffer) + " (" + text + ")" : std::string(buffer);
}

bool FontFace::OpenFace(const FontRequest& request, FontError& error, std::string& cause) {
    const auto fail = [&](FontError code, std::string why) {
        error = code;
        cause = std::move(why);
        return false;
    };
    if (request.pixelHeight <= 0) return fail(FontError::InvalidArgument, "the pixel height must be positive");
    std::string noMatch;
    if (!MatchFontFace(request.face, request.weight, request.italic, match, noMatch))
        return fail(FontError::NoMatch, noMatch);
    if (FT_Error code = FT_Init_FreeType(&library)) {
        library = nullptr;
        return fail(FontError::CannotOpen, "cannot start FreeType: " + FreeTypeMessage(code));
    }
    if (FT_Error code = FT_New_Face(library, match.file.c_str(), match.index, &face)) {
        face = nullptr;
        return fail(FontError::CannotOpen, match.file + ": " + FreeTypeMessage(code));
    }
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0)
        return fail(FontError::CannotOpen, match.file + ": not a scalable face");
    if (FT_Error code = FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(request.pixelHeight)))
        return fail(FontError::CannotSize, match.file + ": " + FreeTypeMessage(code));
    error = FontError::None;
    return true;
}

}  // namespace platform

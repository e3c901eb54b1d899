// Face lookup through fontconfig: family, weight and slant to a font file.
#pragma once

#include <string>

namespace platform {

struct FontMatch {
    std::string file;
    int index = 0;         // face index inside the file
    std::string family;
    std::string style;
    bool bold = false;     // the matched face is at least semi-bold
    bool italic = false;   // the matched face is italic or oblique
};

// False when fontconfig has no scalable face to offer at all.
bool MatchFontFace(const std::string& family, int weight, bool italic, FontMatch& match);

}  // namespace platform

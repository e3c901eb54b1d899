// Face lookup: family, weight and slant to a font file. On the desktop fontconfig chooses among
// the installed fonts; in the browser a table chooses among the fonts packed with the data (web/).
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

// False, with the reason in cause, when there is no scalable face to offer at all: fontconfig has
// none, or the packed file for the request is missing.
bool MatchFontFace(const std::string& family, int weight, bool italic, FontMatch& match, std::string& cause);

}  // namespace platform

// MatchFontFace in the browser: there is no fontconfig, so the family table of font_table.h picks
// one of the fonts packed in /fonts/. A packed file that is missing or unreadable is no match,
// as the desktop answers when fontconfig has no face at all.
#include "platform/font/font_match.h"

#include "platform/file/data_file.h"
#include "platform/font/web/font_table.h"

namespace platform {

bool MatchFontFace(const std::string& family, int weight, bool italic, FontMatch& match, std::string& cause) {
    const PackedFace face = PackedFaceFor(family, weight, italic);
    std::string why;
    if (!CanOpenDataFile(face.file.c_str(), &why)) {
        cause = "no packed font " + face.file + " (" + why + ")";
        return false;
    }
    cause.clear();
    match.file = face.file;
    match.index = 0;
    match.family = face.family;
    match.style = face.style;
    match.bold = face.bold;
    match.italic = face.italic;
    return true;
}

}  // namespace platform

// The fonts packed with the browser build's data (in /fonts/) and the one that serves a request.
#pragma once

#include <string>

namespace platform {

struct PackedFace {
    std::string file;    // full path in the file system
    std::string family;  // the face's own family name
    std::string style;   // "Regular", "Bold", "Italic" or "Bold Italic"
    bool bold = false;
    bool italic = false;
};

// Arial and Helvetica are served by their metric twin Liberation Sans, as is Liberation Sans
// itself and, for want of other packed fonts, every other family. Weight 600 and above picks the
// bold face; italic the italic one.
PackedFace PackedFaceFor(const std::string& family, int weight, bool italic);

}  // namespace platform

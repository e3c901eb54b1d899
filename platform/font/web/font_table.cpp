#include "platform/font/web/font_table.h"

#include <algorithm>
#include <cctype>

namespace platform {
namespace {

constexpr const char* kFontFolder = "/fonts/";

struct PackedFamily {
    const char* name;      // the family asked for, any case
    const char* family;    // the packed family that serves it
    const char* filePrefix;
};

constexpr PackedFamily kLiberationSans = {"Liberation Sans", "Liberation Sans", "LiberationSans"};
constexpr PackedFamily kFamilies[] = {
    {"Arial", "Liberation Sans", "LiberationSans"},
    {"Helvetica", "Liberation Sans", "LiberationSans"},
    kLiberationSans,
};

bool SameName(const std::string& a, const char* b) {
    const std::string other(b);
    return std::equal(a.begin(), a.end(), other.begin(), other.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

PackedFace PackedFaceFor(const std::string& family, int weight, bool italic) {
    const PackedFamily* packed = &kLiberationSans;
    for (const PackedFamily& known : kFamilies)
        if (SameName(family, known.name)) packed = &known;
    PackedFace face;
    face.bold = weight >= 600;
    face.italic = italic;
    face.family = packed->family;
    face.style = face.bold ? (italic ? "Bold Italic" : "Bold") : (italic ? "Italic" : "Regular");
    const char* suffix = face.bold ? (italic ? "-BoldItalic" : "-Bold") : (italic ? "-Italic" : "-Regular");
    face.file = std::string(kFontFolder) + packed->filePrefix + suffix + ".ttf";
    return face;
}

}  // namespace platform

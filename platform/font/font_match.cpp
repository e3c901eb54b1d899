#include "platform/font/font_match.h"

#include <fontconfig/fontconfig.h>

#include <memory>

namespace platform {
namespace {

std::string StringProperty(FcPattern* pattern, const char* name) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, name, 0, &value) != FcResultMatch || !value) return {};
    return reinterpret_cast<const char*>(value);
}

int IntProperty(FcPattern* pattern, const char* name, int fallback) {
    int value = 0;
    return FcPatternGetInteger(pattern, name, 0, &value) == FcResultMatch ? value : fallback;
}

struct PatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};

}  // namespace

bool MatchFontFace(const std::string& family, int weight, bool italic, FontMatch& match, std::string& cause) {
    cause = "fontconfig offers no scalable face";
    std::unique_ptr<FcPattern, PatternDeleter> pattern(FcPatternCreate());
    if (!pattern) return false;
    if (!family.empty()) {
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    }
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());

    FcResult result = FcResultNoMatch;
    std::unique_ptr<FcPattern, PatternDeleter> found(FcFontMatch(nullptr, pattern.get(), &result));
    if (!found || result != FcResultMatch) return false;

    match.file = StringProperty(found.get(), FC_FILE);
    if (match.file.empty()) return false;
    match.index = IntProperty(found.get(), FC_INDEX, 0);
    match.family = StringProperty(found.get(), FC_FAMILY);
    match.style = StringProperty(found.get(), FC_STYLE);
    // fontconfig's synthetic-style rules relabel a regular face as bold or oblique and only ask
    // for emboldening or a shear matrix: such a face does not have the style itself.
    FcBool embolden = FcFalse;
    FcPatternGetBool(found.get(), FC_EMBOLDEN, 0, &embolden);
    FcMatrix* matrix = nullptr;
    const bool sheared = FcPatternGetMatrix(found.get(), FC_MATRIX, 0, &matrix) == FcResultMatch && matrix &&
                         matrix->xy != 0.0;
    cause.clear();
    match.bold = !embolden && IntProperty(found.get(), FC_WEIGHT, FC_WEIGHT_REGULAR) >= FC_WEIGHT_DEMIBOLD;
    match.italic = !sheared && IntProperty(found.get(), FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN;
    return true;
}

}  // namespace platform

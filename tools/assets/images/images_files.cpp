#include "tools/assets/images/images_files.h"

#include <optional>

#include "tools/assets/images/captions.h"
#include "tools/assets/images/glow_images.h"
#include "tools/assets/images/title_picture.h"

namespace assets {
namespace {

AssetFile Jpeg(const char* name, Image (*make)(int), int size) {
    return {name, [make, size] { return EncodeJpeg(make(size), 95); }};
}

// An empty result tells the pack writer the file failed (the cause is already on stderr).
Bytes TargaOrNothing(const std::optional<Image>& image) { return image ? EncodeTga(*image) : Bytes{}; }

}  // namespace

AssetList ImageFiles() {
    using namespace images;
    return {
        {"title.jpg",
         [] {
             const auto picture = MakeTitlePicture(1024, 512);
             return picture ? EncodeJpeg(*picture, 92) : Bytes{};
         }},
        Jpeg("intro_particle.jpg", MakeIntroParticle, 256),
        Jpeg("particle1.jpg", MakeSpark, 256),
        Jpeg("particle3.jpg", MakeSmokePuff, 256),
        Jpeg("snowflake.jpg", MakeSnowflake, 256),
        Jpeg("star.jpg", MakeStar, 256),
        Jpeg("lens_flare.jpg", MakeLensFlare, 512),
        {"globule.tga", [] { return EncodeTga(MakeGlobule(256)); }},
        {"jap_escape.tga", [] { return TargaOrNothing(MakeCaption(EscapeCaption())); }},
        {"jap_exp.tga", [] { return TargaOrNothing(MakeCaption(ExperimentCaption())); }},
    };
}

}  // namespace assets

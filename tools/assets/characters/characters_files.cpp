#include "tools/assets/characters/characters_files.h"

#include "tools/assets/characters/body_mesh.h"
#include "tools/assets/characters/character_model.h"
#include "tools/assets/characters/clips.h"
#include "tools/assets/characters/textures.h"
#include "tools/assets/core/image.h"
#include "tools/assets/core/x_writer.h"

namespace assets {

AssetList CharacterFiles() {
    using namespace characters;
    AssetList files;
    for (const Clip& clip : Clips()) {
        const XEncoding encoding = clip.file == "run1.x" ? XEncoding::Binary : XEncoding::Text;
        files.push_back({clip.file, [&clip, encoding] { return WriteX(BuildCharacter(clip, BuildBody()), encoding); }});
    }
    const BodyTextures& t = TextureNames();
    files.push_back({t.face, [] { return EncodeJpeg(FaceTexture(), 92); }});
    files.push_back({t.skin, [] { return EncodeJpeg(SkinTexture(), 90); }});
    files.push_back({t.hair, [] { return EncodeJpeg(HairTexture(), 90); }});
    files.push_back({t.coat, [] { return EncodeJpeg(CoatTexture(), 90); }});
    files.push_back({t.trousers, [] { return EncodeJpeg(TrousersTexture(), 90); }});
    files.push_back({t.shoes, [] { return EncodeJpeg(ShoesTexture(), 90); }});
    return files;
}

}  // namespace assets

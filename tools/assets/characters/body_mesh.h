// The character's skinned body: one mesh of closed tubes (torso, limbs, shoes, head, hair) in the
// bind pose, with smooth normals, textured materials and up to four bone weights per vertex.
#pragma once

#include <string>

#include "tools/assets/core/model.h"

namespace assets::characters {

// Texture file names the body's materials use.
struct BodyTextures {
    std::string face, skin, hair, coat, trousers, shoes;
};
const BodyTextures& TextureNames();

// The whole body, skin weights and XSkinMeshHeader values included.
Mesh BuildBody();

}  // namespace assets::characters

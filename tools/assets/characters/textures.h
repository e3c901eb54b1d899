// The character's textures (256 x 256): face, skin, hair, coat, trousers, shoes.
#pragma once

#include "tools/assets/core/image.h"

namespace assets::characters {

Image FaceTexture();
Image SkinTexture();
Image HairTexture();
Image CoatTexture();
Image TrousersTexture();
Image ShoesTexture();

}  // namespace assets::characters

// Procedural textures of the tunnel area (all tile seamlessly).
#pragma once

#include "tools/assets/core/image.h"

namespace assets::tunnels {

Image BrickTexture();       // tun_brick.jpg: sooty brick in running bond
Image ConcreteTexture();    // tun_concrete.jpg: stained concrete
Image BallastTexture();     // tun_ballast.jpg: track gravel
Image SleeperTexture();     // tun_sleeper.jpg: weathered concrete sleeper
Image TrainBodyTexture();   // train_body.jpg: one car side, roof to skirt, windows and doors
Image TrainFrontTexture();  // train_front.jpg: cab end with windscreen
Image SkinTexture();        // hand_skin.jpg
Image FleshTexture();       // org_flesh.jpg: wet red flesh with veins
Image EyeTexture();         // org_eye.jpg: iris at v = 0, sclera with veins towards v = 1
Image EnamelTexture();      // org_enamel.jpg: ivory, yellower towards v = 0 (the root)

}  // namespace assets::tunnels

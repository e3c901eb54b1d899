// Soft light shapes on black for the particle systems and billboards, which add them to the
// picture (or add their square): everything outside the shape is exactly black.
#pragma once

#include "tools/assets/core/image.h"

namespace assets::images {

Image MakeIntroParticle(int size);  // a soft glowing dot
Image MakeSpark(int size);          // a hot white point with an orange halo and a glint
Image MakeSmokePuff(int size);      // a billowing steam puff
Image MakeSnowflake(int size);      // a six-armed flake with side branches
Image MakeStar(int size);           // a four-pointed sparkle
Image MakeLensFlare(int size);      // bright core, halo, ring and streaks
Image MakeGlobule(int size);        // a translucent blob; alpha carries its coverage

}  // namespace assets::images

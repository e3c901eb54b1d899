// The organic tunnel scene's models: "org_tunnel.x" (static segment, local y = -1570..0),
// "eye_anim.x" (an eye hanging from the ceiling ahead of the camera, authored in world
// coordinates since the scene draws it where it was loaded) and "teeth_anim.x" (a ring of
// jaws round the tube wall about the origin; the scene repeats it every 500 along +Y).
#pragma once

#include "tools/assets/core/model.h"

namespace assets::tunnels {

// The tube's inner radius at angle a (radians round Y, from +X toward +Z) and local y.
float OrganicRadius(float angle, float y);

Model OrganicTunnelModel();
Model EyeModel();
Model TeethModel();

// The loop length of the eye's and the teeth's animations, in ticks.
constexpr std::uint32_t kEyeLoopTicks = 4800 * 6;
constexpr std::uint32_t kTeethLoopTicks = 4800 * 2;

}  // namespace assets::tunnels

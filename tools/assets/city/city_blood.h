// "blood.x": a splash lying on the street. The scene translates it to (kBloodX, kBloodY,
// kBloodZ), so it is authored round its own origin with the street kBloodZ - kRoadZ below it.
#pragma once

#include "tools/assets/core/image.h"
#include "tools/assets/core/model.h"

namespace assets::city {

inline constexpr const char* kBloodTexture = "city_blood.jpg";

Model BuildBloodModel();
Image MakeBloodTexture();

}  // namespace assets::city

// "hand.x": an open right hand, palm up and tilted toward the hand scene's camera, with the
// wrist and forearm leaving the picture. Authored so the scene's offset puts the palm where
// the three lamps circle.
#pragma once

#include "tools/assets/core/model.h"

namespace assets::tunnels {

Model HandModel();

}  // namespace assets::tunnels

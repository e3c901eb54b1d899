// "train.x": a three-car train in the coordinates of the tunnel scene's train instances: the
// origin is the scene's train position, the nose points to -Y, wheels stand on the rails.
#pragma once

#include "tools/assets/core/model.h"

namespace assets::tunnels {

Model TrainModel();

}  // namespace assets::tunnels

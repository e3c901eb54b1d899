// The city mesh ("demo.x"): streets, blocks of buildings, the avenue's lamps, the railway
// viaduct and the fittings the scene's effects sit on, as one mesh in world coordinates.
#pragma once

#include "tools/assets/core/model.h"

namespace assets::city {

Mesh BuildCityMesh();
Model BuildCityModel();  // the mesh above as the file's single top-level mesh

}  // namespace assets::city

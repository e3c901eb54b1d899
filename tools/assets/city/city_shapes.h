// Shape builders for the city: boxes whose faces carry world-scaled texture coordinates so
// that facade windows line up with floors, and the small fittings of the streets.
#pragma once

#include <cstdint>

#include "tools/assets/core/model.h"

namespace assets::city {

// How the sides of a box are mapped: u runs round the perimeter, v down from z = `vBaseZ`,
// both in texture repeats per world unit. vOffset and uOffset shift the picture.
struct SideMapping {
    float uPerUnit = 1.0f / 800.0f;
    float vPerUnit = 1.0f / 800.0f;
    float vBaseZ = 18.0f;
    float uOffset = 0.0f;
    float vOffset = 0.0f;
};

// A box over [x0, x1] x [y0, y1] x [z0, z1]: four sides with `side`, the top with `top` mapped
// at topPerUnit repeats per unit (no top if top < 0), never a bottom.
void AddBlock(Mesh& mesh, float x0, float y0, float x1, float y1, float z0, float z1, std::uint32_t side,
              const SideMapping& mapping, int top, float topPerUnit = 1.0f / 400.0f);

// A flat upward quad with texture coordinates given at its corners (x0,y0), (x1,y0), (x1,y1), (x0,y1).
void AddFloor(Mesh& mesh, float x0, float y0, float x1, float y1, float z, std::uint32_t material,
              const D3DXVECTOR2 (&uv)[4]);

// One vertical quad from (ax, ay) to (bx, by) between z0 and z1, facing the side to the right
// of the direction a -> b seen from above (outward for a box walked counter-clockwise).
void AddWall(Mesh& mesh, float ax, float ay, float bx, float by, float z0, float z1, std::uint32_t material,
             float u0, float u1, float v0, float v1);

}  // namespace assets::city

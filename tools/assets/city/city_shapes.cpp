#include "tools/assets/city/city_shapes.h"

#include <cmath>

#include "tools/assets/core/mesh_build.h"

namespace assets::city {

void AddWall(Mesh& mesh, float ax, float ay, float bx, float by, float z0, float z1, std::uint32_t material,
             float u0, float u1, float v0, float v1) {
    // (a, z0) (b, z0) (b, z1) (a, z1): Cross(b - a, up) points to the right of a -> b.
    const D3DXVECTOR3 p[4] = {{ax, ay, z0}, {bx, by, z0}, {bx, by, z1}, {ax, ay, z1}};
    const D3DXVECTOR2 uv[4] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
    AddQuad(mesh, p, uv, material);
}

void AddFloor(Mesh& mesh, float x0, float y0, float x1, float y1, float z, std::uint32_t material,
              const D3DXVECTOR2 (&uv)[4]) {
    const D3DXVECTOR3 p[4] = {{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}};
    AddQuad(mesh, p, uv, material);
}

void AddBlock(Mesh& mesh, float x0, float y0, float x1, float y1, float z0, float z1, std::uint32_t side,
              const SideMapping& m, int top, float topPerUnit) {
    const float cx[4] = {x0, x1, x1, x0}, cy[4] = {y0, y0, y1, y1};
    float along = 0.0f;
    const float v0 = m.vOffset - (z0 - m.vBaseZ) * m.vPerUnit, v1 = m.vOffset - (z1 - m.vBaseZ) * m.vPerUnit;
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        const float length = std::fabs(cx[j] - cx[i]) + std::fabs(cy[j] - cy[i]);
        const float u0 = m.uOffset + along * m.uPerUnit, u1 = m.uOffset + (along + length) * m.uPerUnit;
        AddWall(mesh, cx[i], cy[i], cx[j], cy[j], z0, z1, side, u0, u1, v0, v1);
        along += length;
    }
    if (top >= 0) {
        const D3DXVECTOR2 uv[4] = {{x0 * topPerUnit, y0 * topPerUnit},
                                   {x1 * topPerUnit, y0 * topPerUnit},
                                   {x1 * topPerUnit, y1 * topPerUnit},
                                   {x0 * topPerUnit, y1 * topPerUnit}};
        AddFloor(mesh, x0, y0, x1, y1, z1, static_cast<std::uint32_t>(top), uv);
    }
}

}  // namespace assets::city

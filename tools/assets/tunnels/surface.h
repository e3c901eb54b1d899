// Shape builders of the tunnel area: lattices (extrusions, tubes, spheres) whose faces are
// turned toward a wanted side, so inside-out parts cannot slip through.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/assets/core/model.h"

namespace assets::tunnels {

// A (rows + 1) x (cols + 1) grid of points. out[] holds, per point, the side its faces must
// look at (the outward direction of a shell, or toward the axis of a tunnel).
struct Lattice {
    int rows = 0;
    int cols = 0;
    std::vector<D3DXVECTOR3> p;
    std::vector<D3DXVECTOR3> out;
    std::vector<D3DXVECTOR2> uv;

    Lattice(int r, int c);
    std::size_t Index(int r, int c) const { return std::size_t(r) * (cols + 1) + c; }
    void Set(int r, int c, const D3DXVECTOR3& point, const D3DXVECTOR3& outward, const D3DXVECTOR2& texcoord);
};

// Adds the grid's cells as triangle pairs facing `out`, with smooth normals across edges
// below `creaseAngle` (radians). Cells whose corners coincide are skipped.
void AddLattice(Mesh& mesh, const Lattice& grid, std::uint32_t material, float creaseAngle = 1.2f);

// A flat quad (p0 p1 p2 p3 around its edge) turned to face `wanted`.
void AddQuadFacing(Mesh& mesh, D3DXVECTOR3 p0, D3DXVECTOR3 p1, D3DXVECTOR3 p2, D3DXVECTOR3 p3,
                   const D3DXVECTOR2 (&uv)[4], std::uint32_t material, const D3DXVECTOR3& wanted);

// A polygon in a plane, filled as a fan from its centroid and turned to face `wanted`; uv per
// point is given by projecting on the two axes (u = dot(p, uAxis) + uOffset, likewise v).
void AddCapFacing(Mesh& mesh, const std::vector<D3DXVECTOR3>& polygon, std::uint32_t material,
                  const D3DXVECTOR3& wanted, const D3DXVECTOR3& uAxis, float uOffset,
                  const D3DXVECTOR3& vAxis, float vOffset);

// One cross-section of a tube: an ellipse-like ring around `centre` spanned by `side` and
// `up` (unit, perpendicular to the path) with half-widths `halfSide` and `halfUp`.
struct TubeRing {
    D3DXVECTOR3 centre;
    D3DXVECTOR3 side;
    D3DXVECTOR3 up;
    float halfSide = 1.0f;
    float halfUp = 1.0f;
};

// A tube through the rings with `sides` points round each. `squareness` >= 1 flattens the
// ring towards a rounded rectangle (1 = ellipse). Rings of zero size close the tube there.
// v runs along the path (vPerUnit per unit of length), u round the ring.
void AddTube(Mesh& mesh, const std::vector<TubeRing>& rings, int sides, float squareness, std::uint32_t material,
             float vPerUnit);

// A path of rings along `points` with radii per point, each ring perpendicular to the path;
// `upHint` orients the rings. The ends get rounded caps when `capStart` / `capEnd` are set.
std::vector<TubeRing> RingsAlong(const std::vector<D3DXVECTOR3>& points, const std::vector<float>& halfSide,
                                 const std::vector<float>& halfUp, const D3DXVECTOR3& upHint, bool capStart,
                                 bool capEnd);

D3DXVECTOR3 Normalized(D3DXVECTOR3 v);
D3DXVECTOR3 CrossOf(const D3DXVECTOR3& a, const D3DXVECTOR3& b);

}  // namespace assets::tunnels

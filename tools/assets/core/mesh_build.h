// Building blocks for generated meshes.
//
// Winding: the show draws with counter-clockwise faces culled in a left-handed view, so a
// triangle (p0, p1, p2) faces the side that Cross(p1 - p0, p2 - p0) points to. Every helper
// here takes or builds faces that way round, and gives them that outward normal.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/assets/core/model.h"

namespace assets {

// Appends the material and returns its index (equal materials are shared).
std::uint32_t AddMaterial(Mesh& mesh, const Material& material);

// One triangle / quad with a flat normal. The quad is p0 p1 p2 p3 around its edge and is split
// into (p0, p1, p2) and (p0, p2, p3). uv holds one coordinate per corner.
void AddTriangle(Mesh& mesh, const D3DXVECTOR3 (&p)[3], const D3DXVECTOR2 (&uv)[3], std::uint32_t material);
void AddQuad(Mesh& mesh, const D3DXVECTOR3 (&p)[4], const D3DXVECTOR2 (&uv)[4], std::uint32_t material);

// An axis-aligned box with outward faces. Texture coordinates are the world position times
// uvPerUnit: (x, y) on the top and bottom, (distance along the face, top - z) on the sides,
// so side textures stand upright. skipBottom leaves out the -Z face (boxes standing on ground).
void AddBox(Mesh& mesh, const D3DXVECTOR3& min, const D3DXVECTOR3& max, std::uint32_t material,
            float uvPerUnit = 1.0f / 64.0f, bool skipBottom = false);

// A surface of revolution about the local Z axis: profile[i] = (radius, z), from the bottom up,
// swept through `segments` steps of a full turn, with smooth normals. u runs round (0..1), v
// along the profile (0 at the first point, 1 at the last). A radius of 0 closes that end.
void AddLathe(Mesh& mesh, const std::vector<D3DXVECTOR2>& profile, int segments, std::uint32_t material,
              const D3DXMATRIX& transform);

// Appends `part` transformed by `transform` (positions as points, normals as directions,
// renormalised), merging its materials into `mesh`'s. Skin weights are not carried over.
void Append(Mesh& mesh, const Mesh& part, const D3DXMATRIX& transform);

// Replaces the normals with area-weighted averages over vertices that share a position
// (within `weld` units) and whose face normals lie within `creaseAngle` radians of each other.
void ComputeNormals(Mesh& mesh, float creaseAngle = 1.0f, float weld = 1e-4f);

// Transforms for row vectors: Translation(...) * RotationZ(...) rotates after moving. (D3DXMATRIX
// has operator*.)
D3DXMATRIX Translation(float x, float y, float z);
D3DXMATRIX RotationX(float radians);
D3DXMATRIX RotationY(float radians);
D3DXMATRIX RotationZ(float radians);
D3DXMATRIX Scaling(float x, float y, float z);

}  // namespace assets

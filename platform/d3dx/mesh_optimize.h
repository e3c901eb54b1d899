// Mesh optimisation on CPU arrays: attribute sort, vertex-cache order of the faces within each
// attribute, vertex order by first use, removal of unused vertices.
#pragma once

#include "platform/d3dx/mesh_arrays.h"

namespace d3dx {

struct OptimizedArrays {
    MeshArrays mesh;
    std::vector<DWORD> faceRemap;    // per new face, the old face
    std::vector<DWORD> vertexRemap;  // per new vertex, the old vertex
    std::vector<DWORD> adjacency;    // three words per new face
};

// `adjacencyIn` (three words per face) may be null: the adjacency is then computed from the
// positions. Fails with D3DERR_INVALIDCALL for an index outside the vertices.
HRESULT OptimizeArrays(DWORD flags, const MeshArrays& in, const DWORD* adjacencyIn, OptimizedArrays& out);

}  // namespace d3dx

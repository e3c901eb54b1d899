// MeshArrays: a mesh's contents in CPU memory (vertices in their FVF, 32-bit indices, one
// attribute id per face, the attribute table), the form the mesh algorithms work on before the
// result is written into device buffers.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/d3dx/d3dx8mesh.h"

namespace d3dx {

struct MeshArrays {
    DWORD fvf = 0;
    UINT stride = 0;
    std::vector<BYTE> vertices;   // stride bytes per vertex
    std::vector<DWORD> indices;   // three per face
    std::vector<DWORD> attributes;  // one per face
    std::vector<D3DXATTRIBUTERANGE> table;

    DWORD NumVertices() const { return stride ? static_cast<DWORD>(vertices.size() / stride) : 0; }
    DWORD NumFaces() const { return static_cast<DWORD>(attributes.size()); }
    const float* Position(DWORD vertex) const {
        return reinterpret_cast<const float*>(vertices.data() + static_cast<std::size_t>(vertex) * stride);
    }
};

// One range per attribute id in the order of the faces, for faces already sorted by attribute:
// a run of equal ids becomes one range; its vertices span the lowest to the highest index used.
std::vector<D3DXATTRIBUTERANGE> BuildAttributeTable(const MeshArrays& mesh);

// Adjacency of three words per face (edge k runs from corner k to corner k + 1): the face that
// shares that edge, where vertices with equal positions count as the same, else UNUSED32.
std::vector<DWORD> ComputeAdjacency(const MeshArrays& mesh);

// Copies `count` vertices from format `srcFvf` to `dstFvf`: components both carry are copied
// (blend weights and texture coordinates as far as both have them), the others are zero.
std::vector<BYTE> ConvertVertices(const BYTE* src, DWORD srcFvf, DWORD dstFvf, DWORD count);

}  // namespace d3dx

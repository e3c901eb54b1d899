// Helpers of the mesh tests: building CPU mesh arrays and comparing triangles by position.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/d3dx/mesh_arrays.h"
#include "platform/gpu/fvf.h"

namespace meshtest {

using Triangle = std::array<float, 9>;  // three positions in face order

// Arrays of format XYZ (and whatever `fvf` adds, zero-filled) from positions and faces.
inline d3dx::MeshArrays MakeArrays(const std::vector<std::array<float, 3>>& positions,
                                   const std::vector<DWORD>& indices, const std::vector<DWORD>& attributes,
                                   DWORD fvf = D3DFVF_XYZ) {
    d3dx::MeshArrays m;
    m.fvf = fvf;
    m.stride = gpu::FvfVertexSize(fvf);
    m.vertices.assign(positions.size() * m.stride, 0);
    for (size_t v = 0; v < positions.size(); ++v) std::memcpy(&m.vertices[v * m.stride], positions[v].data(), 12);
    m.indices = indices;
    m.attributes = attributes;
    return m;
}

inline Triangle FaceTriangle(const d3dx::MeshArrays& m, DWORD face) {
    Triangle t{};
    for (int k = 0; k < 3; ++k) std::memcpy(&t[k * 3], m.Position(m.indices[face * 3 + k]), 12);
    return t;
}

// The triangles as positions with their attribute, sorted: two meshes with the same geometry
// give equal lists, whatever the order of faces and vertices.
inline std::vector<std::pair<DWORD, Triangle>> TriangleSet(const d3dx::MeshArrays& m) {
    std::vector<std::pair<DWORD, Triangle>> set;
    for (DWORD f = 0; f < m.NumFaces(); ++f) set.emplace_back(m.attributes[f], FaceTriangle(m, f));
    std::sort(set.begin(), set.end());
    return set;
}

// A grid of (n + 1)^2 vertices and 2 n^2 faces in the z = 0 plane; the attribute of a face is
// its cell's column modulo `attributeCount`, so the attributes interleave.
inline d3dx::MeshArrays Grid(int n, DWORD attributeCount, DWORD fvf = D3DFVF_XYZ) {
    std::vector<std::array<float, 3>> positions;
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x) positions.push_back({static_cast<float>(x), static_cast<float>(y), 0.0f});
    std::vector<DWORD> indices, attributes;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            DWORD a = y * (n + 1) + x, b = a + 1, c = a + n + 1, d = c + 1;
            indices.insert(indices.end(), {a, c, b, b, c, d});
            attributes.insert(attributes.end(), {x % attributeCount, x % attributeCount});
        }
    return MakeArrays(positions, indices, attributes, fvf);
}

}  // namespace meshtest

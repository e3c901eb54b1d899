// Mesh optimisation, adjacency and vertex conversion on CPU arrays.
#include <gtest/gtest.h>

#include <numeric>
#include <set>

#include "platform/d3dx/mesh_optimize.h"
#include "tests/platform/d3dx/mesh_test_helpers.h"

using d3dx::MeshArrays;
using d3dx::OptimizedArrays;
using meshtest::FaceTriangle;
using meshtest::Grid;
using meshtest::MakeArrays;
using meshtest::TriangleSet;

namespace {

// What every optimisation must keep: the triangles, and remaps that say where each came from.
void ExpectConsistent(const MeshArrays& before, const OptimizedArrays& after) {
    const MeshArrays& m = after.mesh;
    ASSERT_EQ(m.NumFaces(), before.NumFaces());
    EXPECT_EQ(TriangleSet(m), TriangleSet(before));
    ASSERT_EQ(after.faceRemap.size(), m.NumFaces());
    std::vector<DWORD> sorted = after.faceRemap;
    std::sort(sorted.begin(), sorted.end());
    for (DWORD i = 0; i < sorted.size(); ++i) ASSERT_EQ(sorted[i], i) << "face remap is not a permutation";
    for (DWORD f = 0; f < m.NumFaces(); ++f) {
        EXPECT_EQ(FaceTriangle(m, f), FaceTriangle(before, after.faceRemap[f])) << "face " << f;
        EXPECT_EQ(m.attributes[f], before.attributes[after.faceRemap[f]]);
    }
    ASSERT_EQ(after.vertexRemap.size(), m.NumVertices());
    for (DWORD v = 0; v < m.NumVertices(); ++v)
        EXPECT_EQ(0, std::memcmp(m.vertices.data() + v * m.stride, before.vertices.data() + after.vertexRemap[v] * m.stride,
                                 m.stride))
            << "vertex " << v;
}

// Each range covers exactly its faces, which carry its id, and the vertices they use.
void ExpectTable(const MeshArrays& m, const std::vector<DWORD>& expectedIds) {
    ASSERT_EQ(m.table.size(), expectedIds.size());
    DWORD nextFace = 0;
    for (size_t r = 0; r < m.table.size(); ++r) {
        const D3DXATTRIBUTERANGE& range = m.table[r];
        EXPECT_EQ(range.AttribId, expectedIds[r]);
        EXPECT_EQ(range.FaceStart, nextFace);
        nextFace += range.FaceCount;
        for (DWORD f = range.FaceStart; f < range.FaceStart + range.FaceCount; ++f) {
            EXPECT_EQ(m.attributes[f], range.AttribId);
            for (int k = 0; k < 3; ++k) {
                EXPECT_GE(m.indices[f * 3 + k], range.VertexStart);
                EXPECT_LT(m.indices[f * 3 + k], range.VertexStart + range.VertexCount);
            }
        }
    }
    EXPECT_EQ(nextFace, m.NumFaces());
}

}  // namespace

TEST(MeshOptimize, AttributeSortGroupsFacesStablyAndBuildsTheTable) {
    const MeshArrays grid = Grid(4, 3);
    OptimizedArrays out;
    ASSERT_EQ(d3dx::OptimizeArrays(D3DXMESHOPT_ATTRSORT, grid, nullptr, out), S_OK);
    ExpectConsistent(grid, out);
    ExpectTable(out.mesh, {0, 1, 2});
    // Columns 0 and 3 carry id 0: 2 faces per cell, 4 rows, 2 columns.
    EXPECT_EQ(out.mesh.table[0].FaceCount, 16u);
    EXPECT_EQ(out.mesh.table[1].FaceCount, 8u);
    // Stable: within one id the faces keep their old order.
    for (const auto& range : out.mesh.table)
        for (DWORD f = range.FaceStart + 1; f < range.FaceStart + range.FaceCount; ++f)
            EXPECT_LT(out.faceRemap[f - 1], out.faceRemap[f]);
}

TEST(MeshOptimize, VertexCacheOrderKeepsTrianglesWithinTheirRanges) {
    const MeshArrays grid = Grid(8, 2);
    for (DWORD flags : {D3DXMESHOPT_VERTEXCACHE, D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE}) {
        OptimizedArrays out;
        ASSERT_EQ(d3dx::OptimizeArrays(flags, grid, nullptr, out), S_OK);
        ExpectConsistent(grid, out);
        ExpectTable(out.mesh, {0, 1});
        // Vertices are numbered by first use, so the first face uses the first vertices.
        EXPECT_EQ(out.mesh.indices[0], 0u);
    }
}

TEST(MeshOptimize, VertexCacheOrderKeepsNeighbouringFacesTogether) {
    // 64 separate quads along x, listed from both ends alternately: 0, 63, 1, 62, ...
    std::vector<std::array<float, 3>> positions;
    std::vector<DWORD> indices, attributes;
    for (int i = 0; i < 64; ++i) {
        const auto x = static_cast<float>(2 * (i % 2 ? 63 - i / 2 : i / 2));
        const auto base = static_cast<DWORD>(positions.size());
        positions.insert(positions.end(), {{x, 0, 0}, {x + 1, 0, 0}, {x, 1, 0}, {x + 1, 1, 0}});
        indices.insert(indices.end(), {base, base + 2, base + 1, base + 1, base + 2, base + 3});
        attributes.insert(attributes.end(), {0, 0});
    }
    const MeshArrays quads = MakeArrays(positions, indices, attributes);
    OptimizedArrays out;
    ASSERT_EQ(d3dx::OptimizeArrays(D3DXMESHOPT_VERTEXCACHE, quads, nullptr, out), S_OK);
    ExpectConsistent(quads, out);
    // Any 16 consecutive faces (8 quads) span little more than 8 of the 64 quads' places.
    const MeshArrays& m = out.mesh;
    for (DWORD start = 0; start + 16 <= m.NumFaces(); start += 16) {
        float lo = 1e9f, hi = -1e9f;
        for (DWORD i = start * 3; i < (start + 16) * 3; ++i) {
            lo = std::min(lo, m.Position(m.indices[i])[0]);
            hi = std::max(hi, m.Position(m.indices[i])[0]);
        }
        EXPECT_LE(hi - lo, 40.0f) << "faces " << start << ".." << start + 15;
    }
}

TEST(MeshOptimize, CompactDropsUnusedVerticesOthersKeepThemLast) {
    // Vertices 1 and 4 are used by no face.
    MeshArrays m = MakeArrays({{0, 0, 0}, {9, 9, 9}, {1, 0, 0}, {0, 1, 0}, {8, 8, 8}, {1, 1, 0}},
                              {0, 3, 2, 2, 3, 5}, {1, 0});
    OptimizedArrays compact;
    ASSERT_EQ(d3dx::OptimizeArrays(D3DXMESHOPT_COMPACT, m, nullptr, compact), S_OK);
    ExpectConsistent(m, compact);
    EXPECT_EQ(compact.mesh.NumVertices(), 4u);
    EXPECT_TRUE(compact.mesh.table.empty());
    EXPECT_EQ(compact.faceRemap, (std::vector<DWORD>{0, 1})) << "compaction alone keeps the face order";

    OptimizedArrays sorted;
    ASSERT_EQ(d3dx::OptimizeArrays(D3DXMESHOPT_ATTRSORT, m, nullptr, sorted), S_OK);
    ExpectConsistent(m, sorted);
    ASSERT_EQ(sorted.mesh.NumVertices(), 6u);
    EXPECT_EQ(sorted.vertexRemap[4], 1u);
    EXPECT_EQ(sorted.vertexRemap[5], 4u);
    ExpectTable(sorted.mesh, {0, 1});
}

TEST(MeshOptimize, AdjacencyFollowsTheFacePermutation) {
    const MeshArrays grid = Grid(3, 2);
    const std::vector<DWORD> before = d3dx::ComputeAdjacency(grid);
    OptimizedArrays out;
    ASSERT_EQ(d3dx::OptimizeArrays(D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE, grid, before.data(), out), S_OK);
    // The output adjacency is what the new mesh's own geometry gives.
    EXPECT_EQ(out.adjacency, d3dx::ComputeAdjacency(out.mesh));
    size_t shared = 0;
    for (DWORD f = 0; f < out.mesh.NumFaces(); ++f)
        for (int k = 0; k < 3; ++k) {
            DWORD n = out.adjacency[f * 3 + k];
            if (n == UNUSED32) continue;
            ++shared;
            EXPECT_EQ(before[out.faceRemap[f] * 3 + k], out.faceRemap[n]);
        }
    EXPECT_EQ(shared, 2u * (3 * 3 * 3 - 2 * 3)) << "interior edges of a 3x3 grid, counted from both sides";

    // Neighbour numbers outside the mesh are dropped, not followed.
    std::vector<DWORD> hostile(grid.NumFaces() * 3, 1000000);
    ASSERT_EQ(d3dx::OptimizeArrays(D3DXMESHOPT_ATTRSORT, grid, hostile.data(), out), S_OK);
    for (DWORD word : out.adjacency) EXPECT_EQ(word, UNUSED32);
}

TEST(MeshOptimize, RefusesIndicesOutsideTheVertices) {
    MeshArrays m = MakeArrays({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 3}, {0});
    OptimizedArrays out;
    EXPECT_EQ(d3dx::OptimizeArrays(D3DXMESHOPT_ATTRSORT, m, nullptr, out), D3DERR_INVALIDCALL);
}

TEST(MeshAdjacency, EdgesMatchByPositionAcrossSplitVertices) {
    // Two triangles of a quad whose shared edge uses separate vertices at equal positions,
    // and a third triangle touching the quad only at a corner.
    MeshArrays m = MakeArrays({{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 2, 0}, {2, 1, 0}},
                              {0, 1, 2, 3, 4, 5, 5, 6, 7}, {0, 0, 0});
    const std::vector<DWORD> adjacency = d3dx::ComputeAdjacency(m);
    // Face 0 edge 1 runs (0,1)-(1,0); face 1 edge 0 runs (1,0)-(0,1).
    EXPECT_EQ(adjacency, (std::vector<DWORD>{UNUSED32, 1, UNUSED32, 0, UNUSED32, UNUSED32, UNUSED32, UNUSED32, UNUSED32}));
}

TEST(MeshConvert, CopiesSharedComponentsAndZeroesNewOnes) {
    struct Source {
        float x, y, z, nx, ny, nz, u, v;
    } src[2] = {{1, 2, 3, 0, 0, 1, 0.25f, 0.5f}, {4, 5, 6, 1, 0, 0, 0.75f, 1.0f}};
    const DWORD to = D3DFVF_XYZB1 | D3DFVF_DIFFUSE | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(0);
    std::vector<BYTE> out = d3dx::ConvertVertices(reinterpret_cast<const BYTE*>(src), D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1,
                                                  to, 2);
    struct Dest {
        float x, y, z, weight;
        DWORD diffuse;
        float u0, v0, w0, u1, v1;
    };
    ASSERT_EQ(out.size(), 2 * sizeof(Dest));
    ASSERT_EQ(gpu::FvfVertexSize(to), sizeof(Dest));
    Dest d[2];
    std::memcpy(d, out.data(), out.size());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(d[i].x, src[i].x);
        EXPECT_EQ(d[i].y, src[i].y);
        EXPECT_EQ(d[i].z, src[i].z);
        EXPECT_EQ(d[i].weight, 0.0f);
        EXPECT_EQ(d[i].diffuse, 0u);
        EXPECT_EQ(d[i].u0, src[i].u);
        EXPECT_EQ(d[i].v0, src[i].v);
        EXPECT_EQ(d[i].w0, 0.0f);
        EXPECT_EQ(d[i].u1, 0.0f);
        EXPECT_EQ(d[i].v1, 0.0f);
    }
}

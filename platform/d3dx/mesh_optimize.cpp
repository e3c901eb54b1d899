#include "platform/d3dx/mesh_optimize.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <unordered_map>

namespace d3dx {
namespace {

// The run's triangles in an order good for the vertex cache that also keeps neighbouring
// triangles together: sorted along a space-filling curve first, and with the vertices numbered
// in that order, so that where the optimiser starts afresh it carries on with the nearest part
// of the mesh. Consecutive triangles then lie close together, which lets the device leave out
// the parts of a large mesh that are out of view.
void CacheOrder(const MeshArrays& in, const std::vector<unsigned int>& source, std::vector<unsigned int>& result) {
    std::vector<unsigned int> sorted = source;
    if (in.stride >= 12 && in.stride <= 256 && in.stride % 4 == 0)
        meshopt_spatialSortTriangles(sorted.data(), source.data(), source.size(), in.Position(0), in.NumVertices(),
                                     in.stride);
    std::unordered_map<unsigned int, unsigned int> local;
    std::vector<unsigned int> global;
    for (unsigned int& index : sorted) {
        auto [it, added] = local.emplace(index, static_cast<unsigned int>(global.size()));
        if (added) global.push_back(index);
        index = it->second;
    }
    meshopt_optimizeVertexCache(result.data(), sorted.data(), sorted.size(), global.size());
    for (unsigned int& index : result) index = global[index];
}

// Reorders the faces of each attribute run for the vertex cache. The optimiser returns a new
// index list; its triangles keep their corner order, so they are matched back to face numbers.
void OrderForVertexCache(const MeshArrays& in, std::vector<DWORD>& order) {
    size_t runStart = 0;
    while (runStart < order.size()) {
        size_t runEnd = runStart;
        while (runEnd < order.size() && in.attributes[order[runEnd]] == in.attributes[order[runStart]]) ++runEnd;
        const size_t count = runEnd - runStart;
        if (count > 1) {
            std::vector<unsigned int> source(count * 3), result(count * 3);
            std::unordered_multimap<std::uint64_t, DWORD> byCorners;
            auto cornerKey = [](unsigned a, unsigned b, unsigned c) {
                return (static_cast<std::uint64_t>(a) * 0x9E3779B97F4A7C15ull) ^ (static_cast<std::uint64_t>(b) << 21) ^ c;
            };
            for (size_t i = 0; i < count; ++i) {
                const DWORD face = order[runStart + i];
                for (int k = 0; k < 3; ++k) source[i * 3 + k] = in.indices[face * 3 + k];
                byCorners.emplace(cornerKey(source[i * 3], source[i * 3 + 1], source[i * 3 + 2]), face);
            }
            CacheOrder(in, source, result);
            std::vector<DWORD> reordered;
            reordered.reserve(count);
            for (size_t i = 0; i < count; ++i) {
                const unsigned a = result[i * 3], b = result[i * 3 + 1], c = result[i * 3 + 2];
                auto range = byCorners.equal_range(cornerKey(a, b, c));
                for (auto it = range.first; it != range.second; ++it) {
                    const DWORD* f = &in.indices[it->second * 3];
                    if (f[0] == a && f[1] == b && f[2] == c) {
                        reordered.push_back(it->second);
                        byCorners.erase(it);
                        break;
                    }
                }
            }
            // Only a complete match replaces the run (it always is, unless the optimiser
            // changed how it writes triangles).
            if (reordered.size() == count) std::copy(reordered.begin(), reordered.end(), order.begin() + runStart);
        }
        runStart = runEnd;
    }
}

}  // namespace

HRESULT OptimizeArrays(DWORD flags, const MeshArrays& in, const DWORD* adjacencyIn, OptimizedArrays& out) {
    const DWORD faces = in.NumFaces(), vertices = in.NumVertices();
    if (in.indices.size() != static_cast<size_t>(faces) * 3) return D3DERR_INVALIDCALL;
    for (DWORD index : in.indices)
        if (index >= vertices) return D3DERR_INVALIDCALL;

    const bool cache = (flags & (D3DXMESHOPT_VERTEXCACHE | D3DXMESHOPT_STRIPREORDER)) != 0;
    const bool sort = cache || (flags & D3DXMESHOPT_ATTRSORT);
    const bool keepVertices = (flags & D3DXMESHOPT_IGNOREVERTS) != 0;
    const bool compact = (flags & D3DXMESHOPT_COMPACT) && !keepVertices;

    std::vector<DWORD> order(faces);
    std::iota(order.begin(), order.end(), 0);
    if (sort)
        std::stable_sort(order.begin(), order.end(),
                         [&](DWORD a, DWORD b) { return in.attributes[a] < in.attributes[b]; });
    if (cache) OrderForVertexCache(in, order);

    // Vertex order: first use along the new face order when sorting (so each attribute's
    // vertices lie together), the old order otherwise; unused vertices last, or dropped.
    std::vector<DWORD> vertexOrder;
    vertexOrder.reserve(vertices);
    std::vector<bool> placed(vertices, false);
    if (!keepVertices && (sort || compact)) {
        if (sort) {
            for (DWORD face : order)
                for (int k = 0; k < 3; ++k) {
                    DWORD v = in.indices[face * 3 + k];
                    if (!placed[v]) {
                        placed[v] = true;
                        vertexOrder.push_back(v);
                    }
                }
        } else {
            for (DWORD index : in.indices) placed[index] = true;
            for (DWORD v = 0; v < vertices; ++v)
                if (placed[v]) vertexOrder.push_back(v);
        }
        if (!compact)
            for (DWORD v = 0; v < vertices; ++v)
                if (!placed[v]) vertexOrder.push_back(v);
    } else {
        vertexOrder.resize(vertices);
        std::iota(vertexOrder.begin(), vertexOrder.end(), 0);
    }
    std::vector<DWORD> newVertexOf(vertices, UNUSED32);
    for (DWORD n = 0; n < vertexOrder.size(); ++n) newVertexOf[vertexOrder[n]] = n;
    std::vector<DWORD> newFaceOf(faces);
    for (DWORD n = 0; n < faces; ++n) newFaceOf[order[n]] = n;

    MeshArrays& m = out.mesh;
    m.fvf = in.fvf;
    m.stride = in.stride;
    m.vertices.resize(static_cast<size_t>(vertexOrder.size()) * in.stride);
    for (size_t n = 0; n < vertexOrder.size(); ++n)
        std::memcpy(m.vertices.data() + n * in.stride, in.vertices.data() + static_cast<size_t>(vertexOrder[n]) * in.stride,
                    in.stride);
    m.indices.resize(in.indices.size());
    m.attributes.resize(faces);
    for (DWORD n = 0; n < faces; ++n) {
        m.attributes[n] = in.attributes[order[n]];
        for (int k = 0; k < 3; ++k) m.indices[n * 3 + k] = newVertexOf[in.indices[order[n] * 3 + k]];
    }
    m.table = (sort || !in.table.empty()) ? BuildAttributeTable(m) : std::vector<D3DXATTRIBUTERANGE>{};

    std::vector<DWORD> oldAdjacency =
        adjacencyIn ? std::vector<DWORD>(adjacencyIn, adjacencyIn + static_cast<size_t>(faces) * 3) : ComputeAdjacency(in);
    out.adjacency.assign(static_cast<size_t>(faces) * 3, UNUSED32);
    for (DWORD n = 0; n < faces; ++n)
        for (int k = 0; k < 3; ++k) {
            DWORD neighbour = oldAdjacency[order[n] * 3 + k];
            if (neighbour < faces) out.adjacency[n * 3 + k] = newFaceOf[neighbour];
        }
    out.faceRemap = std::move(order);
    out.vertexRemap = std::move(vertexOrder);
    return S_OK;
}

}  // namespace d3dx

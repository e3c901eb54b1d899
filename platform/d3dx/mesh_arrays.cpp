#include "platform/d3dx/mesh_arrays.h"

#include <algorithm>
#include <cstring>
#include <tuple>

#include "platform/gpu/fvf.h"

namespace d3dx {

std::vector<D3DXATTRIBUTERANGE> BuildAttributeTable(const MeshArrays& mesh) {
    std::vector<D3DXATTRIBUTERANGE> table;
    const DWORD faces = mesh.NumFaces();
    DWORD low = 0, high = 0;
    for (DWORD f = 0; f < faces; ++f) {
        if (table.empty() || table.back().AttribId != mesh.attributes[f]) {
            if (!table.empty()) {
                table.back().VertexStart = low;
                table.back().VertexCount = high - low + 1;
            }
            table.push_back({mesh.attributes[f], f, 0, 0, 0});
            low = UNUSED32;
            high = 0;
        }
        ++table.back().FaceCount;
        for (int k = 0; k < 3; ++k) {
            low = std::min(low, mesh.indices[f * 3 + k]);
            high = std::max(high, mesh.indices[f * 3 + k]);
        }
    }
    if (!table.empty()) {
        table.back().VertexStart = low;
        table.back().VertexCount = high - low + 1;
    }
    return table;
}

namespace {

// A face edge (face * 3 + k) and the higher of the position classes at its two ends.
struct FaceEdge {
    DWORD high;
    DWORD faceEdge;
};

// The face edges that run along one undirected edge, in face order: pairs them
// two by two, preferring opposite directions (the usual case of two faces that agree on their
// winding), and records each pair as neighbours.
template <class Corner>
void PairFaceEdges(const FaceEdge* edges, size_t count, const Corner& corner, std::vector<bool>& paired,
                   std::vector<DWORD>& adjacency) {
    paired.assign(count, false);
    for (size_t i = 0; i < count; ++i) {
        if (paired[i]) continue;
        const DWORD fi = edges[i].faceEdge / 3;
        const DWORD from = corner(fi, edges[i].faceEdge % 3);
        size_t best = count;
        for (size_t j = i + 1; j < count; ++j) {
            const DWORD fj = edges[j].faceEdge / 3;
            if (paired[j] || fj == fi) continue;
            if (best == count) best = j;
            if (corner(fj, edges[j].faceEdge % 3) != from) {
                best = j;
                break;
            }
        }
        if (best == count) continue;
        paired[i] = paired[best] = true;
        adjacency[edges[i].faceEdge] = edges[best].faceEdge / 3;
        adjacency[edges[best].faceEdge] = fi;
    }
}

}  // namespace

std::vector<DWORD> ComputeAdjacency(const MeshArrays& mesh) {
    const DWORD faces = mesh.NumFaces();
    const DWORD vertices = mesh.NumVertices();
    // Vertices with the same position (exact comparison) share one class. Keys are the bit
    // patterns (with -0 taken as 0), so that any value, NaN included, is a key.
    auto bits = [](float f) {
        DWORD b = 0;
        if (f != 0.0f) std::memcpy(&b, &f, 4);
        return b;
    };
    struct Position {
        std::tuple<DWORD, DWORD, DWORD> key;
        DWORD vertex;
    };
    std::vector<Position> positions(vertices);
    for (DWORD v = 0; v < vertices; ++v) {
        const float* p = mesh.Position(v);
        positions[v] = {std::make_tuple(bits(p[0]), bits(p[1]), bits(p[2])), v};
    }
    std::sort(positions.begin(), positions.end(), [](const Position& a, const Position& b) { return a.key < b.key; });
    std::vector<DWORD> classOf(vertices);
    DWORD classes = 0;
    for (DWORD i = 0; i < vertices; ++i) {
        if (i == 0 || positions[i].key != positions[i - 1].key) ++classes;
        classOf[positions[i].vertex] = classes - 1;
    }

    // Every face edge (face * 3 + k), bucketed by the lower class of its two ends (in face
    // order), then ordered within its bucket by the higher one: the face edges along one
    // undirected edge stand together, in face order.
    auto corner = [&](DWORD f, int k) {
        DWORD index = mesh.indices[f * 3 + k];
        return index < vertices ? classOf[index] : UNUSED32;
    };
    auto forEachFaceEdge = [&](auto&& visit) {
        for (DWORD f = 0; f < faces; ++f) {
            for (int k = 0; k < 3; ++k) {
                DWORD a = corner(f, k), b = corner(f, (k + 1) % 3);
                if (a == b || a == UNUSED32 || b == UNUSED32) continue;
                visit(std::min(a, b), std::max(a, b), f * 3 + k);
            }
        }
    };
    std::vector<DWORD> bucketStart(static_cast<size_t>(classes) + 1, 0);
    forEachFaceEdge([&](DWORD low, DWORD, DWORD) { ++bucketStart[low + 1]; });
    for (DWORD c = 0; c < classes; ++c) bucketStart[c + 1] += bucketStart[c];
    std::vector<FaceEdge> list(bucketStart[classes]);
    std::vector<DWORD> cursor(bucketStart.begin(), bucketStart.end() - 1);
    forEachFaceEdge([&](DWORD low, DWORD high, DWORD faceEdge) { list[cursor[low]++] = {high, faceEdge}; });
    for (DWORD c = 0; c < classes; ++c) {
        std::sort(list.begin() + bucketStart[c], list.begin() + bucketStart[c + 1],
                  [](const FaceEdge& a, const FaceEdge& b) {
                      return a.high != b.high ? a.high < b.high : a.faceEdge < b.faceEdge;
                  });
    }
    std::vector<DWORD> adjacency(static_cast<size_t>(faces) * 3, UNUSED32);
    std::vector<bool> paired;
    for (DWORD c = 0; c < classes; ++c) {
        for (size_t begin = bucketStart[c], end = begin; begin < bucketStart[c + 1]; begin = end) {
            end = begin + 1;
            while (end < bucketStart[c + 1] && list[end].high == list[begin].high) ++end;
            PairFaceEdges(list.data() + begin, end - begin, corner, paired, adjacency);
        }
    }
    return adjacency;
}

std::vector<BYTE> ConvertVertices(const BYTE* src, DWORD srcFvf, DWORD dstFvf, DWORD count) {
    const gpu::FvfLayout from = gpu::DecodeFvf(srcFvf), to = gpu::DecodeFvf(dstFvf);
    std::vector<BYTE> out(static_cast<size_t>(to.stride) * count, 0);
    if (!from.valid || !to.valid) return out;
    auto copy = [](BYTE* d, const BYTE* s, int dOffset, int sOffset, size_t bytes) {
        if (dOffset >= 0 && sOffset >= 0) std::memcpy(d + dOffset, s + sOffset, bytes);
    };
    const size_t positionBytes = 4 * std::min(from.positionFloats, to.positionFloats);
    const size_t weightBytes = 4 * std::min(from.weights, to.weights);
    for (DWORD v = 0; v < count; ++v) {
        const BYTE* s = src + static_cast<size_t>(v) * from.stride;
        BYTE* d = out.data() + static_cast<size_t>(v) * to.stride;
        std::memcpy(d, s, positionBytes);
        std::memcpy(d + 4 * to.positionFloats, s + 4 * from.positionFloats, weightBytes);
        if (from.lastBetaUbyte4 && to.lastBetaUbyte4)
            std::memcpy(d + 4 * (to.positionFloats + to.betas - 1), s + 4 * (from.positionFloats + from.betas - 1), 4);
        copy(d, s, to.normal, from.normal, 12);
        copy(d, s, to.pointSize, from.pointSize, 4);
        copy(d, s, to.diffuse, from.diffuse, 4);
        copy(d, s, to.specular, from.specular, 4);
        for (UINT t = 0; t < std::min(from.texCount, to.texCount); ++t)
            std::memcpy(d + to.texOffset[t], s + from.texOffset[t], 4 * std::min(from.texSize[t], to.texSize[t]));
    }
    return out;
}

}  // namespace d3dx

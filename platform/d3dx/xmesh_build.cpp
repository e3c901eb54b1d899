#include "platform/d3dx/xmesh_build.h"

#include <cstdio>
#include <cstring>

#include "platform/d3dx/d3dx8tex.h"
#include "platform/gpu/fvf.h"

namespace d3dx {
namespace {

HRESULT Invalid(const XMeshSource& mesh, const char* what) {
    std::fprintf(stderr, "d3dx/xmesh: mesh '%s': %s\n", mesh.name.c_str(), what);
    return D3DXERR_INVALIDDATA;
}

// The normal index of a polygon corner, or UNUSED32 for none: from MeshNormals' face list where
// it matches the polygon, else the vertex's own index when there is one normal per vertex.
DWORD NormalIndex(const XMeshSource& s, size_t face, size_t corner) {
    if (!s.hasNormals) return UNUSED32;
    DWORD n = UNUSED32;
    if (face < s.normalFaces.size() && s.normalFaces[face].size() == s.faces[face].size())
        n = s.normalFaces[face][corner];
    else if (s.normals.size() == s.positions.size())
        n = s.faces[face][corner];
    return n < s.normals.size() ? n : UNUSED32;
}

}  // namespace

HRESULT BuildXMesh(const XMeshSource& s, XMeshBuilt& out) {
    const DWORD positions = static_cast<DWORD>(s.positions.size());
    out = XMeshBuilt{};
    MeshArrays& m = out.arrays;
    m.fvf = D3DFVF_XYZ | (s.hasNormals ? D3DFVF_NORMAL : 0) | (s.hasColours ? D3DFVF_DIFFUSE : 0) |
            (s.hasTexCoords ? D3DFVF_TEX1 : 0);
    m.stride = gpu::FvfVertexSize(m.fvf);
    const gpu::FvfLayout layout = gpu::DecodeFvf(m.fvf);

    // Output vertex v < positions is the first normal seen at position v; further normals at
    // that position get copies appended after the positions.
    std::vector<DWORD> sourceOf(positions);                  // per output vertex, its position
    std::vector<DWORD> normalOfOutput(positions, UNUSED32);  // per output vertex, its normal
    std::vector<std::vector<DWORD>> copies(positions);  // extra output vertices per position
    std::vector<bool> seen(positions, false);
    for (DWORD v = 0; v < positions; ++v) sourceOf[v] = v;
    auto vertexFor = [&](DWORD p, DWORD n) -> DWORD {
        if (!seen[p]) {
            seen[p] = true;
            normalOfOutput[p] = n;
            return p;
        }
        if (normalOfOutput[p] == n) return p;
        for (DWORD copy : copies[p])
            if (normalOfOutput[copy] == n) return copy;
        const DWORD copy = static_cast<DWORD>(sourceOf.size());
        sourceOf.push_back(p);
        normalOfOutput.push_back(n);
        copies[p].push_back(copy);
        return copy;
    };

    const DWORD materials = static_cast<DWORD>(s.materials.size());
    std::vector<DWORD> corners;
    for (size_t f = 0; f < s.faces.size(); ++f) {
        const std::vector<DWORD>& face = s.faces[f];
        if (face.size() < 3) continue;
        corners.clear();
        for (size_t k = 0; k < face.size(); ++k) {
            if (face[k] >= positions) return Invalid(s, "a face names a vertex outside the mesh");
            corners.push_back(vertexFor(face[k], NormalIndex(s, f, k)));
        }
        DWORD id = 0;
        if (!s.faceMaterials.empty()) id = f < s.faceMaterials.size() ? s.faceMaterials[f] : s.faceMaterials.back();
        if (materials == 0)
            id = 0;
        else if (id >= materials)
            id = materials - 1;
        for (size_t k = 1; k + 1 < corners.size(); ++k) {
            m.indices.insert(m.indices.end(), {corners[0], corners[k], corners[k + 1]});
            m.attributes.push_back(id);
        }
    }
    if (m.attributes.empty() || positions == 0) return Invalid(s, "the mesh has no triangles");

    const DWORD vertices = static_cast<DWORD>(sourceOf.size());
    m.vertices.assign(static_cast<size_t>(vertices) * m.stride, 0);
    for (DWORD v = 0; v < vertices; ++v) {
        BYTE* d = m.vertices.data() + static_cast<size_t>(v) * m.stride;
        const DWORD p = sourceOf[v];
        std::memcpy(d, s.positions[p].data(), 12);
        if (layout.normal >= 0 && normalOfOutput[v] != UNUSED32)
            std::memcpy(d + layout.normal, s.normals[normalOfOutput[v]].data(), 12);
        if (layout.diffuse >= 0) std::memcpy(d + layout.diffuse, &s.colours[p], 4);
        if (layout.texCount > 0) std::memcpy(d + layout.texOffset[0], s.texCoords[p].data(), 8);
    }

    for (const XSkinWeights& w : s.skin) {
        SkinBone bone;
        size_t dropped = 0;
        const size_t count = std::min(w.vertices.size(), w.weights.size());
        for (size_t i = 0; i < count; ++i) {
            const DWORD p = w.vertices[i];
            if (p >= positions) {
                ++dropped;
                continue;
            }
            bone.vertices.push_back(p);
            bone.weights.push_back(w.weights[i]);
            for (DWORD copy : copies[p]) {
                bone.vertices.push_back(copy);
                bone.weights.push_back(w.weights[i]);
            }
        }
        if (dropped)
            std::fprintf(stderr, "d3dx/xmesh: mesh '%s': bone '%s' weighs %zu vertices outside the mesh; dropped\n",
                         s.name.c_str(), w.bone.c_str(), dropped);
        out.bones.push_back(std::move(bone));
    }
    return S_OK;
}

}  // namespace d3dx

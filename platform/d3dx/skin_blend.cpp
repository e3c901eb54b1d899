#include "platform/d3dx/skin_blend.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <numeric>

#include "platform/gpu/fvf.h"

namespace d3dx {
namespace {

using Influences = std::vector<std::pair<DWORD, float>>;

constexpr DWORD kMostMatrices = 4;  // XYZB3: three stored weights, four matrices

DWORD PositionFormat(DWORD influences) {
    switch (influences) {
        case 1: return D3DFVF_XYZ;
        case 2: return D3DFVF_XYZB1;
        case 3: return D3DFVF_XYZB2;
        default: return D3DFVF_XYZB3;
    }
}

// The bones a face may use: all its vertices' bones, or, when they are more than `limit`, the
// `limit` bones with the largest summed weight over its corners. Ascending.
std::vector<DWORD> FaceBones(const std::vector<Influences>& influences, const DWORD* corners, DWORD limit) {
    std::map<DWORD, float> score;
    for (int k = 0; k < 3; ++k)
        for (auto [bone, weight] : influences[corners[k]]) score[bone] += weight;
    std::vector<std::pair<DWORD, float>> ranked(score.begin(), score.end());
    if (ranked.size() > limit) {
        std::stable_sort(ranked.begin(), ranked.end(), [](auto& a, auto& b) { return a.second > b.second; });
        ranked.resize(limit);
    }
    std::vector<DWORD> bones;
    for (auto& r : ranked) bones.push_back(r.first);
    std::sort(bones.begin(), bones.end());
    return bones;
}

size_t UnionSize(const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
    size_t shared = 0;
    for (DWORD x : b) shared += std::binary_search(a.begin(), a.end(), x);
    return a.size() + b.size() - shared;
}

void Merge(std::vector<DWORD>& into, const std::vector<DWORD>& from) {
    for (DWORD x : from)
        if (!std::binary_search(into.begin(), into.end(), x)) into.insert(std::upper_bound(into.begin(), into.end(), x), x);
}

struct Group {
    DWORD attribId;
    std::vector<DWORD> bones;
    std::vector<DWORD> faces;
};

// Faces in attribute order; each goes to the open group of its attribute that takes it with the
// fewest new bones, or starts a group.
std::vector<Group> GroupFaces(const MeshArrays& mesh, const std::vector<std::vector<DWORD>>& faceBones, DWORD limit) {
    std::vector<DWORD> order(mesh.NumFaces());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](DWORD a, DWORD b) { return mesh.attributes[a] < mesh.attributes[b]; });
    std::vector<Group> groups;
    size_t firstOfAttribute = 0;
    for (DWORD face : order) {
        const DWORD attribId = mesh.attributes[face];
        if (groups.size() > firstOfAttribute && groups[firstOfAttribute].attribId != attribId)
            firstOfAttribute = groups.size();
        const std::vector<DWORD>& bones = faceBones[face];
        size_t best = groups.size(), bestAdded = limit + 1;
        for (size_t g = firstOfAttribute; g < groups.size(); ++g) {
            const size_t size = UnionSize(groups[g].bones, bones);
            if (size > limit) continue;
            const size_t added = size - groups[g].bones.size();
            if (added < bestAdded) {
                best = g;
                bestAdded = added;
                if (added == 0) break;
            }
        }
        if (best == groups.size()) groups.push_back({attribId, {}, {}});
        Merge(groups[best].bones, bones);
        groups[best].faces.push_back(face);
    }
    return groups;
}

}  // namespace

std::vector<Influences> VertexInfluences(const std::vector<SkinBone>& bones, DWORD vertices, DWORD limit) {
    std::vector<Influences> result(vertices);
    for (DWORD b = 0; b < bones.size(); ++b) {
        const SkinBone& bone = bones[b];
        const size_t count = std::min(bone.vertices.size(), bone.weights.size());
        for (size_t i = 0; i < count; ++i) {
            const DWORD v = bone.vertices[i];
            const float w = bone.weights[i];
            if (v >= vertices || !(w > 0.0f) || !std::isfinite(w)) continue;
            auto it = std::find_if(result[v].begin(), result[v].end(), [&](auto& p) { return p.first == b; });
            if (it != result[v].end())
                it->second += w;
            else
                result[v].emplace_back(b, w);
        }
    }
    for (Influences& list : result) {
        std::stable_sort(list.begin(), list.end(), [](auto& a, auto& b) { return a.second > b.second; });
        if (list.size() > limit) list.resize(limit);
        float sum = 0;
        for (auto& p : list) sum += p.second;
        for (auto& p : list) p.second /= sum;
    }
    return result;
}

HRESULT BlendArrays(const MeshArrays& mesh, const std::vector<SkinBone>& bones, DWORD maxMatrices, BlendedArrays& out) {
    const DWORD faces = mesh.NumFaces(), vertices = mesh.NumVertices();
    if ((mesh.fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZ || mesh.indices.size() != static_cast<size_t>(faces) * 3)
        return D3DERR_INVALIDCALL;
    for (DWORD index : mesh.indices)
        if (index >= vertices) return D3DERR_INVALIDCALL;
    const DWORD limit = std::clamp<DWORD>(maxMatrices, 1, kMostMatrices);

    const std::vector<Influences> influences = VertexInfluences(bones, vertices, limit);
    std::vector<std::vector<DWORD>> faceBones(faces);
    for (DWORD f = 0; f < faces; ++f) faceBones[f] = FaceBones(influences, &mesh.indices[f * 3], limit);
    std::vector<Group> groups = GroupFaces(mesh, faceBones, limit);

    out = BlendedArrays{};
    for (const Group& g : groups) out.influences = std::max<DWORD>(out.influences, static_cast<DWORD>(g.bones.size()));
    const DWORD fvf = (mesh.fvf & ~(D3DFVF_POSITION_MASK | D3DFVF_LASTBETA_UBYTE4)) | PositionFormat(out.influences);
    const UINT stride = gpu::FvfVertexSize(fvf);
    const std::vector<BYTE> converted = ConvertVertices(mesh.vertices.data(), mesh.fvf, fvf, vertices);
    const DWORD storedWeights = out.influences - 1;

    MeshArrays& m = out.mesh;
    m.fvf = fvf;
    m.stride = stride;
    std::vector<DWORD> copyOf(vertices, UNUSED32);
    for (DWORD c = 0; c < groups.size(); ++c) {
        const Group& g = groups[c];
        BoneCombination combination;
        combination.attribId = g.attribId;
        combination.bones = g.bones;
        combination.faceStart = static_cast<DWORD>(out.faceRemap.size());
        combination.faceCount = static_cast<DWORD>(g.faces.size());
        combination.vertexStart = static_cast<DWORD>(out.vertexRemap.size());
        for (DWORD face : g.faces) {
            out.faceRemap.push_back(face);
            m.attributes.push_back(c);
            for (int k = 0; k < 3; ++k) {
                const DWORD v = mesh.indices[face * 3 + k];
                if (copyOf[v] == UNUSED32 || copyOf[v] < combination.vertexStart) {
                    // A new copy of the vertex for this combination, weighted over its bones.
                    copyOf[v] = static_cast<DWORD>(out.vertexRemap.size());
                    out.vertexRemap.push_back(v);
                    std::vector<float> slot(g.bones.size(), 0.0f);
                    float sum = 0;
                    for (auto [bone, weight] : influences[v]) {
                        auto at = std::lower_bound(g.bones.begin(), g.bones.end(), bone);
                        if (at != g.bones.end() && *at == bone) {
                            slot[at - g.bones.begin()] = weight;
                            sum += weight;
                        }
                    }
                    if (sum > 0) {
                        for (float& w : slot) w /= sum;
                    } else if (!faceBones[face].empty()) {
                        // Lost all its bones to the face's limit: follow the face's first bone.
                        auto at = std::lower_bound(g.bones.begin(), g.bones.end(), faceBones[face][0]);
                        slot[at - g.bones.begin()] = 1.0f;
                    }
                    const size_t base = m.vertices.size();
                    m.vertices.insert(m.vertices.end(), converted.begin() + static_cast<size_t>(v) * stride,
                                      converted.begin() + static_cast<size_t>(v + 1) * stride);
                    for (DWORD s = 0; s < storedWeights && s < slot.size(); ++s)
                        std::memcpy(&m.vertices[base + 12 + 4 * s], &slot[s], 4);
                }
                m.indices.push_back(copyOf[v]);
            }
        }
        combination.vertexCount = static_cast<DWORD>(out.vertexRemap.size()) - combination.vertexStart;
        m.table.push_back({c, combination.faceStart, combination.faceCount, combination.vertexStart, combination.vertexCount});
        out.combinations.push_back(std::move(combination));
    }
    return S_OK;
}

}  // namespace d3dx

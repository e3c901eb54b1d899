// Conversion of a skinned mesh into a blended mesh: faces grouped into bone combinations of a
// bounded number of bones, vertices copied per combination with their blend weights packed
// into an XYZBn format (the last weight implied).
#pragma once

#include <vector>

#include "platform/d3dx/mesh_arrays.h"

namespace d3dx {

// The vertices one bone influences and the weights it has on them.
struct SkinBone {
    std::vector<DWORD> vertices;
    std::vector<float> weights;
};

struct BoneCombination {
    DWORD attribId = 0;  // material id of its faces
    DWORD faceStart = 0, faceCount = 0, vertexStart = 0, vertexCount = 0;
    std::vector<DWORD> bones;  // ascending; slot i of the blended vertices holds bones[i]
};

struct BlendedArrays {
    MeshArrays mesh;  // attribute id of a face = its combination's index
    std::vector<BoneCombination> combinations;
    DWORD influences = 1;            // matrices per vertex: the largest combination
    std::vector<DWORD> faceRemap;    // per new face, the old face
    std::vector<DWORD> vertexRemap;  // per new vertex, the old vertex
};

// Per vertex, the (bone, weight) pairs with a positive weight, strongest first, at most
// `limit` of them, renormalised to sum 1. Weights for vertices outside the mesh are dropped.
std::vector<std::vector<std::pair<DWORD, float>>> VertexInfluences(const std::vector<SkinBone>& bones, DWORD vertices,
                                                                   DWORD limit);

// `maxMatrices` is the device's blend matrix count (0 taken as 1, more than 4 as 4). Fails with
// D3DERR_INVALIDCALL for a mesh without a plain XYZ position or with indices outside it.
HRESULT BlendArrays(const MeshArrays& mesh, const std::vector<SkinBone>& bones, DWORD maxMatrices, BlendedArrays& out);

}  // namespace d3dx

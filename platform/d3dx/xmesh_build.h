// Turning an XMeshSource into mesh arrays: polygons triangulated as fans, vertices split where
// their faces give them different normals, per-face material ids, skin weights carried to every
// copy of a vertex.
#pragma once

#include "platform/d3dx/skin_blend.h"
#include "platform/d3dx/xmesh_source.h"

namespace d3dx {

struct XMeshBuilt {
    MeshArrays arrays;
    std::vector<SkinBone> bones;  // one per SkinWeights object, indices of the output vertices
};

// Fails with D3DXERR_INVALIDDATA (and a message) for a mesh without triangles or with a face
// index outside its vertices. Material ids past the materials are clamped to the last one.
HRESULT BuildXMesh(const XMeshSource& source, XMeshBuilt& out);

}  // namespace d3dx

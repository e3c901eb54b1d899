// What a Mesh object of an X file holds, read out of the X file services' objects: positions and
// polygons, and what its child objects add (normals, texture coordinates, vertex colours,
// materials, skin weights).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/d3dx/d3dx8mesh.h"

namespace d3dx {

struct XMaterial {
    D3DMATERIAL8 material{};
    std::string texture;  // empty: none
};

struct XSkinWeights {
    std::string bone;
    std::vector<DWORD> vertices;
    std::vector<float> weights;
    D3DXMATRIX offset;
};

struct XMeshSource {
    std::string name;
    std::vector<std::array<float, 3>> positions;
    std::vector<std::vector<DWORD>> faces;  // polygons: position indices

    bool hasNormals = false;
    std::vector<std::array<float, 3>> normals;
    std::vector<std::vector<DWORD>> normalFaces;  // per polygon: normal indices

    bool hasTexCoords = false;
    std::vector<std::array<float, 2>> texCoords;  // per position
    bool hasColours = false;
    std::vector<D3DCOLOR> colours;  // per position

    std::vector<DWORD> faceMaterials;  // per polygon, possibly shorter than the polygons
    std::vector<XMaterial> materials;
    std::vector<XSkinWeights> skin;
};

// Reads a data object of the Mesh template with its children. Data that does not fit its
// template's layout fails with D3DXERR_INVALIDDATA and a message on stderr.
HRESULT ReadXMesh(IDirectXFileData* mesh, XMeshSource& out);

}  // namespace d3dx

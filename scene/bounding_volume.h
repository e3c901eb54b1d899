// Bounding volumes of a static mesh.
#pragma once

#include "platform/d3dx/d3dx8mesh.h"

class BoundingBox {
public:
    virtual ~BoundingBox() = default;
    // Fills min and max from the mesh's vertex positions.
    HRESULT Compute(ID3DXMesh* mesh);

    D3DXVECTOR3 min{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 max{0.0f, 0.0f, 0.0f};
    // Written by a mesh instance when it is placed.
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
};

class BoundingSphere {
public:
    virtual ~BoundingSphere() = default;
    // Fills centre and radius from the mesh's vertex positions.
    HRESULT Compute(ID3DXMesh* mesh);

    D3DXVECTOR3 centre{0.0f, 0.0f, 0.0f};
    float radius = 0.0f;
};

// MeshModel: one static mesh from an X file with its materials, textures and bounding volumes.
#pragma once

#include <memory>
#include <vector>

#include "platform/d3dx/d3dx8mesh.h"
#include "platform/com/com_ptr.h"
#include "scene/bounding_volume.h"

class MeshModelBase {
public:
    MeshModelBase();
    virtual ~MeshModelBase();
    MeshModelBase(const MeshModelBase&) = delete;
    MeshModelBase& operator=(const MeshModelBase&) = delete;

    virtual ID3DXMesh* GetMesh() { return nullptr; }

    std::vector<D3DMATERIAL8> materials;
    std::vector<ComPtr<IDirect3DTexture8>> textures;
    std::uint32_t materialCount = 0;
    std::unique_ptr<BoundingBox> boundingBox;
    std::unique_ptr<BoundingSphere> boundingSphere;
};

class MeshModel : public MeshModelBase {
public:
    MeshModel() = default;
    ~MeshModel() override;

    // Loads the first mesh of the file with its materials (ambient = diffuse) and textures,
    // optimises it and computes the bounding volumes. E_FAIL when the mesh cannot be read (the
    // file name then goes to the error reporter's detail).
    HRESULT Load(const char* fileName);
    ID3DXMesh* GetMesh() override { return mesh.Get(); }

    ComPtr<ID3DXMesh> mesh;
    // Three words per face, as the mesh reader returned them.
    ComPtr<ID3DXBuffer> adjacency;
};

#include "scene/mesh_model.h"

#include <algorithm>
#include <cstdio>

#include "app/error_reporter.h"
#include "platform/d3dx/d3dx8tex.h"
#include "render/render_device.h"

MeshModelBase::MeshModelBase()
    : boundingBox(std::make_unique<BoundingBox>()), boundingSphere(std::make_unique<BoundingSphere>()) {}

MeshModelBase::~MeshModelBase() = default;

MeshModel::~MeshModel() { mesh.Reset(); }

HRESULT MeshModel::Load(const char* fileName) {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    ComPtr<ID3DXBuffer> materialBuffer;
    DWORD count = 0;
    ComPtr<ID3DXMesh> loaded;
    ComPtr<ID3DXBuffer> loadedAdjacency;
    HRESULT hr = E_FAIL;
    if (fileName && device) {
        hr = D3DXLoadMeshFromX(fileName, D3DXMESH_SYSTEMMEM, device, loadedAdjacency.Receive(),
                               materialBuffer.Receive(), &count, loaded.Receive());
    }
    if (FAILED(hr) || !loaded) {
        if (fileName) ErrorReporter::Instance().SetDetail(fileName);
        return E_FAIL;
    }
    mesh = loaded;
    adjacency = loadedAdjacency;

    const DWORD usable =
        materialBuffer ? std::min<DWORD>(count, materialBuffer->GetBufferSize() / sizeof(D3DXMATERIAL)) : 0;
    materials.assign(usable, D3DMATERIAL8{});
    textures.clear();
    textures.resize(usable);
    materialCount = usable;
    const auto* records = materialBuffer ? static_cast<const D3DXMATERIAL*>(materialBuffer->GetBufferPointer()) : nullptr;
    for (DWORD i = 0; i < usable; ++i) {
        materials[i] = records[i].MatD3D;
        materials[i].Ambient = materials[i].Diffuse;
        const char* file = records[i].pTextureFilename;
        if (!file || !*file) continue;
        if (FAILED(D3DXCreateTextureFromFileA(device, file, textures[i].Receive()))) {
            textures[i].Reset();
            std::fprintf(stderr, "scene: %s: texture \"%s\" not loaded; material %u drawn without it\n", fileName,
                         file, static_cast<unsigned>(i));
        }
    }
    materialBuffer.Reset();

    // The optimised adjacency is not kept; the stored buffer stays as loaded.
    std::vector<DWORD> optimizedAdjacency(std::size_t(mesh->GetNumFaces()) * 3);
    const DWORD* adjacencyIn = nullptr;
    if (adjacency && adjacency->GetBufferSize() >= optimizedAdjacency.size() * sizeof(DWORD)) {
        adjacencyIn = static_cast<const DWORD*>(adjacency->GetBufferPointer());
    }
    mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE, adjacencyIn,
                          optimizedAdjacency.data(), nullptr, nullptr);

    if (boundingBox) boundingBox->Compute(mesh.Get());
    if (boundingSphere) boundingSphere->Compute(mesh.Get());
    return S_OK;
}

// Loading meshes and skinned meshes from X file data.
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/d3dx/buffer.h"
#include "platform/d3dx/d3dx8tex.h"
#include "platform/d3dx/skin_mesh.h"
#include "platform/d3dx/xmesh_build.h"
#include "platform/xfile/dxfile_walk.h"

namespace d3dx {
namespace {

// D3DXMATERIAL records, then the texture names they point at.
HRESULT MaterialBuffer(const std::vector<XMaterial>& materials, ID3DXBuffer** out) {
    size_t bytes = materials.size() * sizeof(D3DXMATERIAL);
    for (const XMaterial& m : materials)
        if (!m.texture.empty()) bytes += m.texture.size() + 1;
    HRESULT hr = D3DXCreateBuffer(static_cast<DWORD>(bytes), out);
    if (FAILED(hr)) return hr;
    BYTE* base = static_cast<BYTE*>((*out)->GetBufferPointer());
    auto* records = reinterpret_cast<D3DXMATERIAL*>(base);
    char* text = reinterpret_cast<char*>(base + materials.size() * sizeof(D3DXMATERIAL));
    for (size_t i = 0; i < materials.size(); ++i) {
        records[i].MatD3D = materials[i].material;
        records[i].pTextureFilename = nullptr;
        if (materials[i].texture.empty()) continue;
        std::memcpy(text, materials[i].texture.c_str(), materials[i].texture.size() + 1);
        records[i].pTextureFilename = text;
        text += materials[i].texture.size() + 1;
    }
    return S_OK;
}

// char* per bone, then the names they point at.
HRESULT BoneNameBuffer(const std::vector<XSkinWeights>& skin, ID3DXBuffer** out) {
    size_t bytes = skin.size() * sizeof(char*);
    for (const XSkinWeights& s : skin) bytes += s.bone.size() + 1;
    HRESULT hr = D3DXCreateBuffer(static_cast<DWORD>(bytes), out);
    if (FAILED(hr)) return hr;
    BYTE* base = static_cast<BYTE*>((*out)->GetBufferPointer());
    auto* names = reinterpret_cast<char**>(base);
    char* text = reinterpret_cast<char*>(base + skin.size() * sizeof(char*));
    for (size_t i = 0; i < skin.size(); ++i) {
        std::memcpy(text, skin[i].bone.c_str(), skin[i].bone.size() + 1);
        names[i] = text;
        text += skin[i].bone.size() + 1;
    }
    return S_OK;
}

HRESULT LoadSkin(IDirectXFileData* xofMesh, DWORD options, IDirect3DDevice8* device, ID3DXBuffer** adjacency,
                 ID3DXBuffer** materials, DWORD* numMaterials, ID3DXBuffer** boneNames, ID3DXBuffer** boneTransforms,
                 ID3DXSkinMesh** skin) {
    const GUID* type = nullptr;
    HRESULT hr = xofMesh->GetType(&type);
    if (FAILED(hr)) return hr;
    if (*type != TID_D3DRMMesh) {
        std::fprintf(stderr, "d3dx/xmesh: the object given is not a Mesh\n");
        return D3DERR_INVALIDCALL;
    }
    XMeshSource source;
    hr = ReadXMesh(xofMesh, source);
    if (FAILED(hr)) return hr;
    XMeshBuilt built;
    hr = BuildXMesh(source, built);
    if (FAILED(hr)) return hr;
    if (built.arrays.NumVertices() > 0xFFFF) options |= D3DXMESH_32BIT;
    Mesh* mesh = nullptr;
    hr = Mesh::Create(built.arrays, options, device, &mesh);
    if (FAILED(hr)) return hr;
    ComPtr<ID3DXSkinMesh> result(new SkinMesh(mesh, std::move(built.bones)));
    mesh->Release();

    ComPtr<ID3DXBuffer> adjacencyOut, materialsOut, namesOut, offsetsOut;
    if (adjacency) {
        const std::vector<DWORD> words = ComputeAdjacency(built.arrays);
        hr = MakeBufferOf(words.data(), words.size(), adjacencyOut.Receive());
        if (FAILED(hr)) return hr;
    }
    if (materials) {
        hr = MaterialBuffer(source.materials, materialsOut.Receive());
        if (FAILED(hr)) return hr;
    }
    if (boneNames) {
        hr = BoneNameBuffer(source.skin, namesOut.Receive());
        if (FAILED(hr)) return hr;
    }
    if (boneTransforms) {
        std::vector<D3DXMATRIX> offsets;
        for (const XSkinWeights& s : source.skin) offsets.push_back(s.offset);
        hr = MakeBufferOf(offsets.data(), offsets.size(), offsetsOut.Receive());
        if (FAILED(hr)) return hr;
    }
    if (adjacency) *adjacency = adjacencyOut.Detach();
    if (materials) *materials = materialsOut.Detach();
    if (numMaterials) *numMaterials = static_cast<DWORD>(source.materials.size());
    if (boneNames) *boneNames = namesOut.Detach();
    if (boneTransforms) *boneTransforms = offsetsOut.Detach();
    *skin = result.Detach();
    return S_OK;
}

// The first Mesh among `object` and, for a Frame, its data children, depth first.
HRESULT FindMesh(IDirectXFileData* object, int depth, ComPtr<IDirectXFileData>& found) {
    const GUID* type = nullptr;
    HRESULT hr = object->GetType(&type);
    if (FAILED(hr)) return hr;
    if (*type == TID_D3DRMMesh) {
        object->AddRef();
        found = ComPtr<IDirectXFileData>(object);
        return S_OK;
    }
    if (*type != TID_D3DRMFrame || depth > 256) return S_OK;
    return xfile::ForEachDataChild(object, [&](IDirectXFileData* data) -> HRESULT {
        const HRESULT searched = FindMesh(data, depth + 1, found);
        return SUCCEEDED(searched) && found ? S_FALSE : searched;
    });
}

HRESULT LoadFromFile(const char* filename, DWORD options, IDirect3DDevice8* device, ID3DXBuffer** adjacency,
                     ID3DXBuffer** materials, DWORD* numMaterials, ID3DXMesh** mesh) {
    ComPtr<IDirectXFile> files;
    HRESULT hr = DirectXFileCreate(files.Receive());
    if (SUCCEEDED(hr)) hr = files->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES);
    ComPtr<IDirectXFileEnumObject> enumeration;
    if (SUCCEEDED(hr)) hr = files->CreateEnumObject(filename, DXFILELOAD_FROMFILE, enumeration.Receive());
    if (FAILED(hr)) {
        std::fprintf(stderr, "d3dx/xmesh: cannot read '%s' (error 0x%08X)\n", filename, static_cast<unsigned>(hr));
        return hr;
    }
    ComPtr<IDirectXFileData> found;
    hr = xfile::ForEachDataObject(enumeration.Get(), [&](IDirectXFileData* object) -> HRESULT {
        const HRESULT searched = FindMesh(object, 0, found);
        return SUCCEEDED(searched) && found ? S_FALSE : searched;
    });
    if (FAILED(hr)) {
        std::fprintf(stderr, "d3dx/xmesh: cannot read '%s' (error 0x%08X)\n", filename, static_cast<unsigned>(hr));
        return hr;
    }
    if (!found) {
        std::fprintf(stderr, "d3dx/xmesh: '%s' holds no Mesh\n", filename);
        return E_FAIL;
    }
    ComPtr<ID3DXSkinMesh> skin;
    hr = LoadSkin(found.Get(), options, device, adjacency, materials, numMaterials, nullptr, nullptr, skin.Receive());
    if (FAILED(hr)) {
        std::fprintf(stderr, "d3dx/xmesh: cannot build the mesh of '%s' (error 0x%08X)\n", filename,
                     static_cast<unsigned>(hr));
        return hr;
    }
    return skin->GetOriginalMesh(mesh);
}

template <class Body>
HRESULT Guarded(Body&& body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "d3dx/xmesh: no memory to load a mesh\n");
        return E_OUTOFMEMORY;
    }
}

}  // namespace
}  // namespace d3dx

HRESULT D3DXLoadSkinMeshFromXof(IDirectXFileData* xofMesh, DWORD options, IDirect3DDevice8* device,
                                ID3DXBuffer** adjacency, ID3DXBuffer** materials, DWORD* numMaterials,
                                ID3DXBuffer** boneNames, ID3DXBuffer** boneTransforms, ID3DXSkinMesh** mesh) {
    if (!mesh) return D3DERR_INVALIDCALL;
    *mesh = nullptr;
    for (ID3DXBuffer** out : {adjacency, materials, boneNames, boneTransforms})
        if (out) *out = nullptr;
    if (numMaterials) *numMaterials = 0;
    if (!xofMesh || !device) return D3DERR_INVALIDCALL;
    return d3dx::Guarded([&] {
        return d3dx::LoadSkin(xofMesh, options, device, adjacency, materials, numMaterials, boneNames, boneTransforms,
                              mesh);
    });
}

HRESULT D3DXLoadMeshFromX(const char* filename, DWORD options, IDirect3DDevice8* device, ID3DXBuffer** adjacency,
                          ID3DXBuffer** materials, DWORD* numMaterials, ID3DXMesh** mesh) {
    if (!mesh) return D3DERR_INVALIDCALL;
    *mesh = nullptr;
    for (ID3DXBuffer** out : {adjacency, materials})
        if (out) *out = nullptr;
    if (numMaterials) *numMaterials = 0;
    if (!filename || !device) return D3DERR_INVALIDCALL;
    return d3dx::Guarded(
        [&] { return d3dx::LoadFromFile(filename, options, device, adjacency, materials, numMaterials, mesh); });
}

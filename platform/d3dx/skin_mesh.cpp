#include "platform/d3dx/skin_mesh.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace d3dx {

SkinMesh::SkinMesh(Mesh* mesh, std::vector<SkinBone> bones) : bones_(std::move(bones)) {
    mesh->AddRef();
    mesh_ = ComPtr<Mesh>(mesh);
}

HRESULT SkinMesh::GetOriginalMesh(ID3DXMesh** mesh) {
    if (!mesh) return D3DERR_INVALIDCALL;
    *mesh = mesh_.Get();
    (*mesh)->AddRef();
    return S_OK;
}

DWORD SkinMesh::GetNumBoneInfluences(DWORD bone) {
    return bone < bones_.size() ? static_cast<DWORD>(bones_[bone].vertices.size()) : 0;
}

HRESULT SkinMesh::GetBoneInfluence(DWORD bone, DWORD* vertices, float* weights) {
    if (bone >= bones_.size() || !vertices || !weights) return D3DERR_INVALIDCALL;
    const SkinBone& b = bones_[bone];
    std::copy(b.vertices.begin(), b.vertices.end(), vertices);
    std::copy(b.weights.begin(), b.weights.end(), weights);
    return S_OK;
}

HRESULT SkinMesh::GetMaxVertexInfluences(DWORD* maxVertexInfluences) {
    if (!maxVertexInfluences) return D3DERR_INVALIDCALL;
    try {
        DWORD most = 0;
        for (const auto& list : VertexInfluences(bones_, GetNumVertices(), 0xFFFFFFFF))
            most = std::max<DWORD>(most, static_cast<DWORD>(list.size()));
        *maxVertexInfluences = most;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT SkinMesh::GetMaxFaceInfluences(DWORD* maxFaceInfluences) {
    if (!maxFaceInfluences) return D3DERR_INVALIDCALL;
    try {
        MeshArrays arrays;
        HRESULT hr = mesh_->ReadArrays(arrays);
        if (FAILED(hr)) return hr;
        const auto influences = VertexInfluences(bones_, arrays.NumVertices(), 0xFFFFFFFF);
        DWORD most = 0;
        std::vector<DWORD> bones;
        for (DWORD f = 0; f < arrays.NumFaces(); ++f) {
            bones.clear();
            for (int k = 0; k < 3; ++k) {
                const DWORD v = arrays.indices[f * 3 + k];
                if (v >= influences.size()) continue;
                for (auto& p : influences[v]) bones.push_back(p.first);
            }
            std::sort(bones.begin(), bones.end());
            most = std::max<DWORD>(most, static_cast<DWORD>(std::unique(bones.begin(), bones.end()) - bones.begin()));
        }
        *maxFaceInfluences = most;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT MakeBoneCombinationBuffer(const std::vector<BoneCombination>& combinations, DWORD influences, ID3DXBuffer** out) {
    const size_t records = combinations.size() * sizeof(D3DXBONECOMBINATION);
    const size_t bytes = records + combinations.size() * influences * sizeof(DWORD);
    if (bytes > 0x7FFFFFFF) return E_OUTOFMEMORY;
    HRESULT hr = D3DXCreateBuffer(static_cast<DWORD>(bytes), out);
    if (FAILED(hr)) return hr;
    BYTE* base = static_cast<BYTE*>((*out)->GetBufferPointer());
    auto* record = reinterpret_cast<D3DXBONECOMBINATION*>(base);
    auto* ids = reinterpret_cast<DWORD*>(base + records);
    for (size_t c = 0; c < combinations.size(); ++c) {
        const BoneCombination& from = combinations[c];
        DWORD* slots = ids + c * influences;
        for (DWORD s = 0; s < influences; ++s) slots[s] = s < from.bones.size() ? from.bones[s] : UNUSED32;
        record[c] = {from.attribId, from.faceStart, from.faceCount, from.vertexStart, from.vertexCount, slots};
    }
    return S_OK;
}

namespace {

// The most bones one combination may use. A device that blends exactly two matrices in hardware
// draws the combinations that need more with software vertex processing, which blends four, so
// its combinations may use up to four; any other device is held to what it reports.
DWORD BlendMatrixLimit(const D3DCAPS8& caps) {
    constexpr DWORD kSoftwareMatrices = 4;
    return caps.MaxVertexBlendMatrices == 2 ? kSoftwareMatrices : caps.MaxVertexBlendMatrices;
}

}  // namespace

HRESULT SkinMesh::Convert(DWORD options, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* numBoneCombinations,
                          ID3DXBuffer** boneCombinationTable, ID3DXMesh** mesh) {
    ComPtr<IDirect3DDevice8> device;
    HRESULT hr = mesh_->GetDevice(device.Receive());
    if (FAILED(hr)) return hr;
    D3DCAPS8 caps{};
    hr = device->GetDeviceCaps(&caps);
    if (FAILED(hr)) return hr;
    MeshArrays arrays;
    hr = mesh_->ReadArrays(arrays);
    if (FAILED(hr)) return hr;
    BlendedArrays blended;
    hr = BlendArrays(arrays, bones_, BlendMatrixLimit(caps), blended);
    if (FAILED(hr)) return hr;

    DWORD meshOptions = options | (mesh_->GetOptions() & D3DXMESH_32BIT);
    if (blended.mesh.NumVertices() > 0xFFFF) meshOptions |= D3DXMESH_32BIT;
    ComPtr<ID3DXMesh> result;
    hr = CreateMesh(blended.mesh, meshOptions, device.Get(), result.Receive());
    if (FAILED(hr)) return hr;
    ComPtr<ID3DXBuffer> table;
    if (boneCombinationTable) {
        hr = MakeBoneCombinationBuffer(blended.combinations, blended.influences, table.Receive());
        if (FAILED(hr)) return hr;
    }
    if (adjacencyOut) {
        const DWORD faces = arrays.NumFaces();
        std::vector<DWORD> newFaceOf(faces);
        for (DWORD n = 0; n < faces; ++n) newFaceOf[blended.faceRemap[n]] = n;
        const std::vector<DWORD> computed = adjacencyIn ? std::vector<DWORD>{} : ComputeAdjacency(arrays);
        const DWORD* old = adjacencyIn ? adjacencyIn : computed.data();
        for (DWORD n = 0; n < faces; ++n)
            for (int k = 0; k < 3; ++k) {
                const DWORD neighbour = old[blended.faceRemap[n] * 3 + k];
                adjacencyOut[n * 3 + k] = neighbour < faces ? newFaceOf[neighbour] : UNUSED32;
            }
    }
    if (numBoneCombinations) *numBoneCombinations = static_cast<DWORD>(blended.combinations.size());
    if (boneCombinationTable) *boneCombinationTable = table.Detach();
    *mesh = result.Detach();
    return S_OK;
}

HRESULT SkinMesh::ConvertToBlendedMesh(DWORD options, const DWORD* adjacencyIn, DWORD* adjacencyOut,
                                       DWORD* numBoneCombinations, ID3DXBuffer** boneCombinationTable,
                                       ID3DXMesh** mesh) {
    if (!mesh) return D3DERR_INVALIDCALL;
    *mesh = nullptr;
    if (boneCombinationTable) *boneCombinationTable = nullptr;
    try {
        return Convert(options, adjacencyIn, adjacencyOut, numBoneCombinations, boneCombinationTable, mesh);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "d3dx/skin: no memory to build a blended mesh\n");
        return E_OUTOFMEMORY;
    }
}

}  // namespace d3dx

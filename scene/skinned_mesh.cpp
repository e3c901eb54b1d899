#include "scene/skinned_mesh.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "render/render_device.h"

namespace {

// The bone combination table of a container, or null when the buffer is short of it.
const D3DXBONECOMBINATION* Combinations(const MeshContainer& c) {
    if (!c.boneCombinations) return nullptr;
    if (c.boneCombinations->GetBufferSize() < std::size_t(c.subsetCount) * sizeof(D3DXBONECOMBINATION)) {
        return nullptr;
    }
    return static_cast<const D3DXBONECOMBINATION*>(c.boneCombinations->GetBufferPointer());
}

DWORD BoneSlot(const D3DXBONECOMBINATION& combination, std::uint32_t j) {
    return combination.BoneId ? combination.BoneId[j] : UNUSED32;
}

// Adjacency entry i, or "no neighbour" past the end of the array.
DWORD AdjacencyAt(std::span<const DWORD> adjacency, std::size_t i) {
    return i < adjacency.size() ? adjacency[i] : UNUSED32;
}

// Locks of the source mesh's three buffers, released in any case.
class SourceLocks {
public:
    explicit SourceLocks(ID3DXMesh* mesh) : mesh_(mesh) {}
    ~SourceLocks() {
        if (attributes) mesh_->UnlockAttributeBuffer();
        if (indices) mesh_->UnlockIndexBuffer();
        if (vertices) mesh_->UnlockVertexBuffer();
    }
    HRESULT Lock() {
        HRESULT hr = mesh_->LockVertexBuffer(D3DLOCK_READONLY, &vertices);
        if (FAILED(hr)) return hr;
        hr = mesh_->LockIndexBuffer(D3DLOCK_READONLY, &indices);
        if (FAILED(hr)) return hr;
        return mesh_->LockAttributeBuffer(D3DLOCK_READONLY, &attributes);
    }
    BYTE* vertices = nullptr;
    BYTE* indices = nullptr;
    DWORD* attributes = nullptr;

private:
    ID3DXMesh* mesh_;
};

struct PartRange {
    DWORD firstFace, faceCount, firstVertex, vertexCount;
};

// Copies one face/vertex range of the locked source into a new mesh, optimises it for the
// vertex cache and clones it with the given options.
HRESULT MakePart(const SourceLocks& source, const PartRange& range, DWORD totalFaces, bool index32, UINT stride,
                 DWORD fvf, IDirect3DDevice8* device, std::span<const DWORD> adjacency, DWORD options,
                 ComPtr<ID3DXMesh>& out) {
    ComPtr<ID3DXMesh> part;
    HRESULT hr = D3DXCreateMeshFVF(range.faceCount, range.vertexCount, (index32 ? D3DXMESH_32BIT : 0) | D3DXMESH_SYSTEMMEM,
                                   fvf, device, part.Receive());
    if (FAILED(hr)) return hr;
    if (!part) return E_FAIL;

    BYTE* vertices = nullptr;
    BYTE* indices = nullptr;
    DWORD* attributes = nullptr;
    hr = part->LockVertexBuffer(0, &vertices);
    if (FAILED(hr)) return hr;
    std::memcpy(vertices, source.vertices + std::size_t(range.firstVertex) * stride,
                std::size_t(range.vertexCount) * stride);
    part->UnlockVertexBuffer();

    hr = part->LockIndexBuffer(0, &indices);
    if (FAILED(hr)) return hr;
    const std::size_t indexCount = std::size_t(range.faceCount) * 3;
    const std::size_t firstIndex = std::size_t(range.firstFace) * 3;
    for (std::size_t i = 0; i < indexCount; ++i) {
        if (index32) {
            std::uint32_t v;
            std::memcpy(&v, source.indices + (firstIndex + i) * 4, 4);
            v -= range.firstVertex;
            std::memcpy(indices + i * 4, &v, 4);
        } else {
            std::uint16_t v;
            std::memcpy(&v, source.indices + (firstIndex + i) * 2, 2);
            v = static_cast<std::uint16_t>(v - range.firstVertex);
            std::memcpy(indices + i * 2, &v, 2);
        }
    }
    part->UnlockIndexBuffer();

    hr = part->LockAttributeBuffer(0, &attributes);
    if (FAILED(hr)) return hr;
    std::memcpy(attributes, source.attributes + range.firstFace, std::size_t(range.faceCount) * sizeof(DWORD));
    part->UnlockAttributeBuffer();

    // Neighbours outside the part are dropped; the others are renumbered from the part's start.
    const DWORD lastFace = range.firstFace + range.faceCount;
    std::vector<DWORD> partAdjacency(indexCount);
    for (std::size_t i = 0; i < indexCount; ++i) {
        const DWORD n = AdjacencyAt(adjacency, firstIndex + i);
        partAdjacency[i] = (n == UNUSED32 || n < range.firstFace || n >= lastFace || n >= totalFaces)
                               ? UNUSED32
                               : n - range.firstFace;
    }
    ComPtr<ID3DXBuffer> vertexRemap;
    hr = part->OptimizeInplace(D3DXMESHOPT_VERTEXCACHE, partAdjacency.data(), nullptr, nullptr, vertexRemap.Receive());
    if (FAILED(hr)) return hr;
    return part->CloneMeshFVF(options, fvf, device, out.Receive());
}

// Sets world matrix j to the bone's offset times its frame's combined matrix; a bone without a
// frame uses the offset alone.
void SetBoneMatrix(IDirect3DDevice8* device, const MeshContainer& c, std::uint32_t j, DWORD id) {
    const D3DTRANSFORMSTATETYPE state = D3DTS_WORLDMATRIX(j);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    const D3DXMATRIX* combined = id < c.boneMatrices.size() && c.boneMatrices[id] ? c.boneMatrices[id] : &identity;
    device->SetTransform(state, combined);
    if (c.boneOffsetMatrices && id < c.BoneCount()) device->MultiplyTransform(state, &c.boneOffsetMatrices[id]);
}

// Draws bone combinations [begin, end) of one mesh; the first one sets all its state.
HRESULT DrawCombinations(IDirect3DDevice8* device, MeshContainer& c, const D3DXBONECOMBINATION* table,
                         ID3DXMesh* mesh, std::uint32_t begin, std::uint32_t end) {
    for (std::uint32_t i = begin; i < end; ++i) {
        const bool first = i == begin;
        DWORD blend = 0;
        for (std::uint32_t j = 0; j < c.influences; ++j) {
            const DWORD id = BoneSlot(table[i], j);
            if (id == UNUSED32) continue;
            blend = j;
            if (first || id != BoneSlot(table[i - 1], j)) SetBoneMatrix(device, c, j, id);
        }
        device->SetRenderState(D3DRS_VERTEXBLEND, blend);
        const DWORD attrib = table[i].AttribId;
        if ((first || attrib != table[i - 1].AttribId) && attrib < c.materials.size()) {
            device->SetMaterial(&c.materials[attrib]);
            device->SetTexture(0, attrib < c.textures.size() ? c.textures[attrib].Get() : nullptr);
        }
        const HRESULT hr = mesh->DrawSubset(i);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace

std::uint32_t BlendInfluences(DWORD fvf) {
    const DWORD position = fvf & 0xE;
    if (position == D3DFVF_XYZ) return 1;
    if (position < 3) return 1;
    return (position - 3) / 2 + 1;
}

HRESULT BuildBlendedMesh(MeshContainer& c) {
    if (!c.skin) return E_FAIL;
    const std::size_t words = std::size_t(c.skin->GetNumFaces()) * 3;
    std::vector<DWORD> adjacencyIn(words, UNUSED32);
    std::copy_n(c.adjacency.begin(), std::min(words, c.adjacency.size()), adjacencyIn.begin());
    std::vector<DWORD> adjacencyOut(words, UNUSED32);

    ComPtr<IDirect3DDevice8> device;
    HRESULT hr = c.skin->GetDevice(device.Receive());
    if (FAILED(hr)) return hr;
    if (!device) return E_FAIL;
    hr = device->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, FALSE);
    if (FAILED(hr)) return hr;
    D3DCAPS8 caps{};
    hr = device->GetDeviceCaps(&caps);
    if (FAILED(hr)) return hr;

    c.mesh.Reset();
    c.secondMesh.Reset();
    DWORD combinations = 0;
    ComPtr<ID3DXMesh> blended;
    hr = c.skin->ConvertToBlendedMesh(0, adjacencyIn.data(), adjacencyOut.data(), &combinations,
                                      c.boneCombinations.Receive(), blended.Receive());
    if (FAILED(hr)) return hr;
    if (!blended) return E_FAIL;
    c.subsetCount = combinations;
    c.influences = BlendInfluences(blended->GetFVF());
    const D3DXBONECOMBINATION* table = Combinations(c);
    if (!table && combinations > 0) return E_FAIL;

    // The output adjacency covers the blended mesh's faces, which may outnumber the skin's.
    if (adjacencyOut.size() < std::size_t(blended->GetNumFaces()) * 3) {
        adjacencyOut.resize(std::size_t(blended->GetNumFaces()) * 3, UNUSED32);
    }

    if (caps.MaxVertexBlendMatrices == 2) {
        c.splitSubset = combinations;
        for (std::uint32_t i = 0; i < combinations; ++i) {
            std::uint32_t used = 0;
            for (std::uint32_t j = 0; j < c.influences; ++j) used += BoneSlot(table[i], j) != UNUSED32;
            if (used > 2) {
                c.splitSubset = i;
                break;
            }
        }
        ComPtr<ID3DXMesh> first, second;
        hr = SplitBlendedMesh(blended.Get(), c.splitSubset, adjacencyOut, D3DXMESH_WRITEONLY,
                              blended->GetOptions() | D3DXMESH_SYSTEMMEM, first, second);
        if (FAILED(hr)) return hr;
        c.mesh = first;
        c.secondMesh = second;
    } else {
        c.splitSubset = combinations;
        ComPtr<ID3DXMesh> optimized;
        if (SUCCEEDED(blended->Optimize(D3DXMESHOPT_VERTEXCACHE, adjacencyOut.data(), nullptr, nullptr, nullptr,
                                        optimized.Receive())) &&
            optimized) {
            blended = optimized;
        }
        ComPtr<ID3DXMesh> clone;
        hr = blended->CloneMeshFVF(blended->GetOptions() | D3DXMESH_WRITEONLY, blended->GetFVF(), device.Get(),
                                   clone.Receive());
        if (FAILED(hr)) return hr;
        if (!clone) return E_FAIL;
        c.mesh = clone;
    }
    c.blending = MeshContainer::Blending::Built;
    return S_OK;
}

HRESULT SplitBlendedMesh(ID3DXMesh* mesh, std::uint32_t split, std::span<const DWORD> adjacency, DWORD optionsFirst,
                         DWORD optionsSecond, ComPtr<ID3DXMesh>& first, ComPtr<ID3DXMesh>& second) {
    first.Reset();
    second.Reset();
    if (!mesh) return E_INVALIDARG;
    const bool index32 = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
    const DWORD fvf = mesh->GetFVF();
    const UINT stride = D3DXGetFVFVertexSize(fvf);
    ComPtr<IDirect3DDevice8> device;
    HRESULT hr = mesh->GetDevice(device.Receive());
    if (FAILED(hr)) return hr;
    DWORD entries = 0;
    hr = mesh->GetAttributeTable(nullptr, &entries);
    if (FAILED(hr)) return hr;
    std::vector<D3DXATTRIBUTERANGE> table(entries);
    if (entries > 0) {
        hr = mesh->GetAttributeTable(table.data(), &entries);
        if (FAILED(hr)) return hr;
    }

    const DWORD faces = mesh->GetNumFaces();
    const DWORD vertices = mesh->GetNumVertices();
    DWORD splitFace = faces, splitVertex = vertices;
    if (split == 0) {
        splitFace = splitVertex = 0;
    } else if (split < table.size()) {
        splitFace = table[split].FaceStart;
        splitVertex = table[split].VertexStart;
    }
    // A table that points past the mesh would make the copies overrun it.
    if (splitFace > faces || splitVertex > vertices) return E_FAIL;

    SourceLocks source(mesh);
    hr = source.Lock();
    if (FAILED(hr)) return hr;
    if (!source.vertices || !source.indices || !source.attributes) return E_FAIL;

    if (splitFace > 0 && splitVertex > 0) {
        hr = MakePart(source, {0, splitFace, 0, splitVertex}, faces, index32, stride, fvf, device.Get(), adjacency,
                      optionsFirst, first);
        if (FAILED(hr)) return hr;
    }
    if (faces > splitFace && vertices > splitVertex) {
        hr = MakePart(source, {splitFace, faces - splitFace, splitVertex, vertices - splitVertex}, faces, index32,
                      stride, fvf, device.Get(), adjacency, optionsSecond, second);
        if (FAILED(hr)) {
            first.Reset();
            return hr;
        }
    }
    return S_OK;
}

HRESULT DrawSkinnedContainer(MeshContainer& c) {
    if (c.blending != MeshContainer::Blending::Built) {
        // The draw goes on with what the container holds; the build is tried again next time.
        const HRESULT hr = BuildBlendedMesh(c);
        if (FAILED(hr) && !c.blendFailureReported) {
            c.blendFailureReported = true;
            std::fprintf(stderr, "scene: mesh %s: its blended mesh could not be built (0x%08X); drawn as it is\n",
                         c.name ? ("'" + *c.name + "'").c_str() : "(unnamed)", static_cast<unsigned>(hr));
        }
    }
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device) return E_FAIL;
    const D3DXBONECOMBINATION* table = Combinations(c);
    if (!table) return S_OK;
    const std::uint32_t split = std::min(c.splitSubset, c.subsetCount);
    if (c.mesh) {
        const HRESULT hr = DrawCombinations(device, c, table, c.mesh.Get(), 0, split);
        if (FAILED(hr)) return hr;
    }
    if (c.secondMesh) {
        device->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, TRUE);
        const HRESULT hr = DrawCombinations(device, c, table, c.secondMesh.Get(), split, c.subsetCount);
        if (FAILED(hr)) return hr;
        device->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, FALSE);
    }
    device->SetRenderState(D3DRS_VERTEXBLEND, 0);
    return S_OK;
}

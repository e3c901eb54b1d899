#include "platform/d3dx/mesh_object.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/d3dx/buffer.h"
#include "platform/d3dx/mesh_optimize.h"
#include "platform/gpu/fvf.h"

namespace d3dx {
namespace {

DWORD VertexUsage(DWORD options) {
    DWORD usage = 0;
    if (options & D3DXMESH_VB_WRITEONLY) usage |= D3DUSAGE_WRITEONLY;
    if (options & D3DXMESH_VB_DYNAMIC) usage |= D3DUSAGE_DYNAMIC;
    if (options & D3DXMESH_DONOTCLIP) usage |= D3DUSAGE_DONOTCLIP;
    if (options & D3DXMESH_POINTS) usage |= D3DUSAGE_POINTS;
    if (options & D3DXMESH_RTPATCHES) usage |= D3DUSAGE_RTPATCHES;
    return usage;
}

DWORD IndexUsage(DWORD options) {
    DWORD usage = 0;
    if (options & D3DXMESH_IB_WRITEONLY) usage |= D3DUSAGE_WRITEONLY;
    if (options & D3DXMESH_IB_DYNAMIC) usage |= D3DUSAGE_DYNAMIC;
    if (options & D3DXMESH_DONOTCLIP) usage |= D3DUSAGE_DONOTCLIP;
    if (options & D3DXMESH_POINTS) usage |= D3DUSAGE_POINTS;
    if (options & D3DXMESH_RTPATCHES) usage |= D3DUSAGE_RTPATCHES;
    return usage;
}

D3DPOOL Pool(DWORD options, DWORD systemBit, DWORD managedBit) {
    if (options & systemBit) return D3DPOOL_SYSTEMMEM;
    if (options & managedBit) return D3DPOOL_MANAGED;
    return D3DPOOL_DEFAULT;
}

// Runs `body`, turning an allocation failure into E_OUTOFMEMORY with a message.
template <class Body>
HRESULT Guarded(const char* what, Body&& body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "d3dx/mesh: no memory to %s\n", what);
        return E_OUTOFMEMORY;
    }
}

}  // namespace

HRESULT Mesh::Create(DWORD faces, DWORD vertices, DWORD options, DWORD fvf, IDirect3DDevice8* device, Mesh** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    Mesh* mesh = new (std::nothrow) Mesh();
    if (!mesh) {
        std::fprintf(stderr, "d3dx/mesh: no memory for a mesh object\n");
        return E_OUTOFMEMORY;
    }
    HRESULT hr = Guarded("create a mesh", [&] { return mesh->Allocate(faces, vertices, options, fvf, device); });
    if (FAILED(hr)) {
        mesh->Release();
        return hr;
    }
    *out = mesh;
    return S_OK;
}

HRESULT Mesh::Create(const MeshArrays& arrays, DWORD options, IDirect3DDevice8* device, Mesh** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (arrays.stride != gpu::FvfVertexSize(arrays.fvf) || arrays.indices.size() != arrays.attributes.size() * 3)
        return D3DERR_INVALIDCALL;
    Mesh* mesh = nullptr;
    HRESULT hr = Create(arrays.NumFaces(), arrays.NumVertices(), options, arrays.fvf, device, &mesh);
    if (FAILED(hr)) return hr;
    hr = Guarded("fill a mesh", [&] { return mesh->Write(arrays); });
    if (FAILED(hr)) {
        mesh->Release();
        return hr;
    }
    *out = mesh;
    return S_OK;
}

HRESULT CreateMesh(const MeshArrays& arrays, DWORD options, IDirect3DDevice8* device, ID3DXMesh** out) {
    if (!out) return D3DERR_INVALIDCALL;
    Mesh* mesh = nullptr;
    HRESULT hr = Mesh::Create(arrays, options, device, &mesh);
    *out = mesh;
    return hr;
}

HRESULT Mesh::Allocate(DWORD faces, DWORD vertices, DWORD options, DWORD fvf, IDirect3DDevice8* device) {
    const UINT stride = gpu::FvfVertexSize(fvf);
    if (!device || faces == 0 || vertices == 0 || stride == 0) return D3DERR_INVALIDCALL;
    if (!(options & D3DXMESH_32BIT) && vertices > 0xFFFF) return D3DERR_INVALIDCALL;
    const UINT indexSize = (options & D3DXMESH_32BIT) ? 4 : 2;
    const std::uint64_t vbBytes = static_cast<std::uint64_t>(vertices) * stride;
    const std::uint64_t ibBytes = static_cast<std::uint64_t>(faces) * 3 * indexSize;
    if (vbBytes > 0x7FFFFFFF || ibBytes > 0x7FFFFFFF) return E_OUTOFMEMORY;
    ComPtr<IDirect3DVertexBuffer8> vb;
    ComPtr<IDirect3DIndexBuffer8> ib;
    HRESULT hr = device->CreateVertexBuffer(static_cast<UINT>(vbBytes), VertexUsage(options), fvf,
                                            Pool(options, D3DXMESH_VB_SYSTEMMEM, D3DXMESH_VB_MANAGED), vb.Receive());
    if (FAILED(hr)) return hr;
    hr = device->CreateIndexBuffer(static_cast<UINT>(ibBytes), IndexUsage(options),
                                   indexSize == 4 ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                                   Pool(options, D3DXMESH_IB_SYSTEMMEM, D3DXMESH_IB_MANAGED), ib.Receive());
    if (FAILED(hr)) return hr;
    attributes_.assign(faces, 0);
    device->AddRef();
    device_ = ComPtr<IDirect3DDevice8>(device);
    vb_ = std::move(vb);
    ib_ = std::move(ib);
    table_.clear();
    options_ = options;
    fvf_ = fvf;
    faces_ = faces;
    vertices_ = vertices;
    stride_ = stride;
    return S_OK;
}

HRESULT Mesh::Write(const MeshArrays& arrays) {
    if (arrays.fvf != fvf_ || arrays.NumFaces() != faces_ || arrays.NumVertices() != vertices_ ||
        arrays.indices.size() != static_cast<size_t>(faces_) * 3)
        return D3DERR_INVALIDCALL;
    for (DWORD index : arrays.indices)
        if (index >= vertices_) return D3DERR_INVALIDCALL;
    BYTE* data = nullptr;
    HRESULT hr = vb_->Lock(0, 0, &data, 0);
    if (FAILED(hr)) return hr;
    std::memcpy(data, arrays.vertices.data(), static_cast<size_t>(vertices_) * stride_);
    vb_->Unlock();
    hr = ib_->Lock(0, 0, &data, 0);
    if (FAILED(hr)) return hr;
    if (options_ & D3DXMESH_32BIT) {
        std::memcpy(data, arrays.indices.data(), arrays.indices.size() * 4);
    } else {
        auto* out = reinterpret_cast<WORD*>(data);
        for (size_t i = 0; i < arrays.indices.size(); ++i) out[i] = static_cast<WORD>(arrays.indices[i]);
    }
    ib_->Unlock();
    attributes_ = arrays.attributes;
    table_ = arrays.table;
    return S_OK;
}

HRESULT Mesh::ReadArrays(MeshArrays& arrays) {
    return Guarded("read a mesh", [&]() -> HRESULT {
        arrays.fvf = fvf_;
        arrays.stride = stride_;
        BYTE* data = nullptr;
        HRESULT hr = vb_->Lock(0, 0, &data, D3DLOCK_READONLY);
        if (FAILED(hr)) return hr;
        arrays.vertices.assign(data, data + static_cast<size_t>(vertices_) * stride_);
        vb_->Unlock();
        hr = ib_->Lock(0, 0, &data, D3DLOCK_READONLY);
        if (FAILED(hr)) return hr;
        arrays.indices.resize(static_cast<size_t>(faces_) * 3);
        if (options_ & D3DXMESH_32BIT) {
            std::memcpy(arrays.indices.data(), data, arrays.indices.size() * 4);
        } else {
            const auto* in = reinterpret_cast<const WORD*>(data);
            for (size_t i = 0; i < arrays.indices.size(); ++i) arrays.indices[i] = in[i];
        }
        ib_->Unlock();
        arrays.attributes = attributes_;
        arrays.table = table_;
        return S_OK;
    });
}

HRESULT Mesh::DrawRange(DWORD vertexStart, DWORD vertexCount, DWORD faceStart, DWORD faceCount) {
    return device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, vertexStart, vertexCount, faceStart * 3, faceCount);
}

HRESULT Mesh::DrawSubset(DWORD attribId) {
    bool bound = false;
    auto bind = [&]() -> HRESULT {
        if (bound) return S_OK;
        bound = true;
        HRESULT hr = device_->SetStreamSource(0, vb_.Get(), stride_);
        if (SUCCEEDED(hr)) hr = device_->SetIndices(ib_.Get(), 0);
        if (SUCCEEDED(hr)) hr = device_->SetVertexShader(fvf_);
        return hr;
    };
    if (!table_.empty()) {
        for (const D3DXATTRIBUTERANGE& range : table_) {
            if (range.AttribId != attribId || range.FaceCount == 0) continue;
            HRESULT hr = bind();
            if (SUCCEEDED(hr)) hr = DrawRange(range.VertexStart, range.VertexCount, range.FaceStart, range.FaceCount);
            if (FAILED(hr)) return hr;
        }
        return S_OK;
    }
    // No table: draw each run of consecutive faces that carry the id.
    DWORD face = 0;
    while (face < faces_) {
        if (attributes_[face] != attribId) {
            ++face;
            continue;
        }
        DWORD end = face;
        while (end < faces_ && attributes_[end] == attribId) ++end;
        HRESULT hr = bind();
        if (SUCCEEDED(hr)) hr = DrawRange(0, vertices_, face, end - face);
        if (FAILED(hr)) return hr;
        face = end;
    }
    return S_OK;
}

HRESULT Mesh::GetDevice(IDirect3DDevice8** device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = device_.Get();
    (*device)->AddRef();
    return S_OK;
}

HRESULT Mesh::GetVertexBuffer(IDirect3DVertexBuffer8** buffer) {
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = vb_.Get();
    (*buffer)->AddRef();
    return S_OK;
}

HRESULT Mesh::GetIndexBuffer(IDirect3DIndexBuffer8** buffer) {
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = ib_.Get();
    (*buffer)->AddRef();
    return S_OK;
}

HRESULT Mesh::GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) {
    if (!size) return D3DERR_INVALIDCALL;
    const DWORD count = static_cast<DWORD>(table_.size());
    if (table) {
        const DWORD copied = std::min(*size, count);
        std::memcpy(table, table_.data(), copied * sizeof(D3DXATTRIBUTERANGE));
    }
    *size = count;
    return S_OK;
}

HRESULT Mesh::LockAttributeBuffer(DWORD flags, DWORD** data) {
    if (!data || attributesLocked_) return D3DERR_INVALIDCALL;
    attributesLocked_ = true;
    if (!(flags & D3DLOCK_READONLY)) table_.clear();
    *data = attributes_.data();
    return S_OK;
}

HRESULT Mesh::UnlockAttributeBuffer() {
    if (!attributesLocked_) return D3DERR_INVALIDCALL;
    attributesLocked_ = false;
    return S_OK;
}

HRESULT Mesh::CloneMeshFVF(DWORD options, DWORD fvf, IDirect3DDevice8* device, ID3DXMesh** clone) {
    if (!clone) return D3DERR_INVALIDCALL;
    *clone = nullptr;
    if (gpu::FvfVertexSize(fvf) == 0) return D3DERR_INVALIDCALL;
    return Guarded("clone a mesh", [&]() -> HRESULT {
        MeshArrays arrays;
        HRESULT hr = ReadArrays(arrays);
        if (FAILED(hr)) return hr;
        arrays.vertices = ConvertVertices(arrays.vertices.data(), fvf_, fvf, vertices_);
        arrays.fvf = fvf;
        arrays.stride = gpu::FvfVertexSize(fvf);
        return CreateMesh(arrays, options, device ? device : device_.Get(), clone);
    });
}

HRESULT Mesh::RunOptimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                          ID3DXBuffer** vertexRemap, ID3DXMesh** optimized) {
    if (vertexRemap) *vertexRemap = nullptr;
    MeshArrays arrays;
    HRESULT hr = ReadArrays(arrays);
    if (FAILED(hr)) return hr;
    OptimizedArrays result;
    hr = OptimizeArrays(flags, arrays, adjacencyIn, result);
    if (FAILED(hr)) return hr;
    ComPtr<ID3DXBuffer> remap;
    if (vertexRemap) {
        hr = MakeBufferOf(result.vertexRemap.data(), result.vertexRemap.size(), remap.Receive());
        if (FAILED(hr)) return hr;
    }
    if (optimized) {
        hr = CreateMesh(result.mesh, options_, device_.Get(), optimized);
    } else if (result.mesh.NumVertices() == vertices_) {
        hr = Write(result.mesh);
    } else {
        // The vertex count changed: new buffers with the same options.
        ComPtr<IDirect3DDevice8> device = device_;
        hr = Allocate(faces_, result.mesh.NumVertices(), options_, fvf_, device.Get());
        if (SUCCEEDED(hr)) hr = Write(result.mesh);
    }
    if (FAILED(hr)) return hr;
    if (adjacencyOut) std::memcpy(adjacencyOut, result.adjacency.data(), result.adjacency.size() * sizeof(DWORD));
    if (faceRemap) std::memcpy(faceRemap, result.faceRemap.data(), result.faceRemap.size() * sizeof(DWORD));
    if (vertexRemap) *vertexRemap = remap.Detach();
    return S_OK;
}

HRESULT Mesh::Optimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                       ID3DXBuffer** vertexRemap, ID3DXMesh** optimized) {
    if (!optimized) return D3DERR_INVALIDCALL;
    *optimized = nullptr;
    return Guarded("optimise a mesh", [&] {
        return RunOptimize(flags, adjacencyIn, adjacencyOut, faceRemap, vertexRemap, optimized);
    });
}

HRESULT Mesh::OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                              ID3DXBuffer** vertexRemap) {
    if (attributesLocked_) return D3DERR_INVALIDCALL;
    return Guarded("optimise a mesh", [&] {
        return RunOptimize(flags, adjacencyIn, adjacencyOut, faceRemap, vertexRemap, nullptr);
    });
}

}  // namespace d3dx

HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, IDirect3DDevice8* device,
                          ID3DXMesh** mesh) {
    if (!mesh) return D3DERR_INVALIDCALL;
    d3dx::Mesh* created = nullptr;
    HRESULT hr = d3dx::Mesh::Create(numFaces, numVertices, options, fvf, device, &created);
    *mesh = created;
    return hr;
}

UINT D3DXGetFVFVertexSize(DWORD fvf) { return gpu::FvfVertexSize(fvf); }

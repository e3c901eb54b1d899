// The mesh object: device vertex and index buffers, an attribute id per face kept in CPU memory,
// and the attribute table that DrawSubset draws by.
#pragma once

#include <vector>

#include "platform/d3dx/mesh_arrays.h"
#include "platform/com/com_ptr.h"
#include "platform/com/ref_counted.h"

namespace d3dx {

class Mesh final : public RefCounted<ID3DXMesh> {
public:
    // A mesh of the given size with zeroed buffers; D3DERR_INVALIDCALL for an empty mesh, a
    // format without a position, or more vertices than 16-bit indices can address without
    // D3DXMESH_32BIT.
    static HRESULT Create(DWORD faces, DWORD vertices, DWORD options, DWORD fvf, IDirect3DDevice8* device, Mesh** out);
    // A mesh holding `arrays` (their format, contents and attribute table).
    static HRESULT Create(const MeshArrays& arrays, DWORD options, IDirect3DDevice8* device, Mesh** out);

    HRESULT DrawSubset(DWORD attribId) override;
    DWORD GetNumFaces() override { return faces_; }
    DWORD GetNumVertices() override { return vertices_; }
    DWORD GetFVF() override { return fvf_; }
    DWORD GetOptions() override { return options_; }
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    HRESULT CloneMeshFVF(DWORD options, DWORD fvf, IDirect3DDevice8* device, ID3DXMesh** clone) override;
    HRESULT GetVertexBuffer(IDirect3DVertexBuffer8** buffer) override;
    HRESULT GetIndexBuffer(IDirect3DIndexBuffer8** buffer) override;
    HRESULT LockVertexBuffer(DWORD flags, BYTE** data) override { return vb_->Lock(0, 0, data, flags); }
    HRESULT UnlockVertexBuffer() override { return vb_->Unlock(); }
    HRESULT LockIndexBuffer(DWORD flags, BYTE** data) override { return ib_->Lock(0, 0, data, flags); }
    HRESULT UnlockIndexBuffer() override { return ib_->Unlock(); }
    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) override;
    // Writing the attributes (a lock without D3DLOCK_READONLY) discards the attribute table.
    HRESULT LockAttributeBuffer(DWORD flags, DWORD** data) override;
    HRESULT UnlockAttributeBuffer() override;
    HRESULT Optimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                     ID3DXBuffer** vertexRemap, ID3DXMesh** optimized) override;
    HRESULT OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                            ID3DXBuffer** vertexRemap) override;

    // The contents in CPU memory, indices widened to 32 bits.
    HRESULT ReadArrays(MeshArrays& arrays);

private:
    Mesh() = default;
    HRESULT Allocate(DWORD faces, DWORD vertices, DWORD options, DWORD fvf, IDirect3DDevice8* device);
    HRESULT Write(const MeshArrays& arrays);
    HRESULT RunOptimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                        ID3DXBuffer** vertexRemap, ID3DXMesh** optimized);
    HRESULT DrawRange(DWORD vertexStart, DWORD vertexCount, DWORD faceStart, DWORD faceCount);

    ComPtr<IDirect3DDevice8> device_;
    ComPtr<IDirect3DVertexBuffer8> vb_;
    ComPtr<IDirect3DIndexBuffer8> ib_;
    std::vector<DWORD> attributes_;
    std::vector<D3DXATTRIBUTERANGE> table_;
    DWORD options_ = 0, fvf_ = 0, faces_ = 0, vertices_ = 0;
    UINT stride_ = 0;
    bool attributesLocked_ = false;
};

// Creates a mesh holding `arrays` as an ID3DXMesh.
HRESULT CreateMesh(const MeshArrays& arrays, DWORD options, IDirect3DDevice8* device, ID3DXMesh** out);

}  // namespace d3dx

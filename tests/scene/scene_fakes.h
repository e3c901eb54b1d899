// Stand-ins for meshes, skins and buffers, so tree operations can be tested without a file.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "platform/d3dx/d3dx8mesh.h"
#include "platform/com/com_ptr.h"
#include "platform/com/ref_counted.h"

namespace scenetest {

class FakeBuffer : public RefCounted<ID3DXBuffer> {
public:
    explicit FakeBuffer(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
    void* GetBufferPointer() override { return bytes_.data(); }
    DWORD GetBufferSize() override { return static_cast<DWORD>(bytes_.size()); }

private:
    std::vector<unsigned char> bytes_;
};

// A buffer of char* bone names pointing at texts it owns.
class NameBuffer : public RefCounted<ID3DXBuffer> {
public:
    explicit NameBuffer(std::vector<std::string> names) : names_(std::move(names)) {
        for (auto& n : names_) pointers_.push_back(n.data());
    }
    void* GetBufferPointer() override { return pointers_.data(); }
    DWORD GetBufferSize() override { return static_cast<DWORD>(pointers_.size() * sizeof(char*)); }

private:
    std::vector<std::string> names_;
    std::vector<char*> pointers_;
};

// A mesh of XYZ positions that records the subsets drawn.
class FakeMesh : public RefCounted<ID3DXMesh> {
public:
    explicit FakeMesh(std::vector<float> xyz, DWORD faces = 1) : xyz_(std::move(xyz)), faces_(faces) {}

    HRESULT DrawSubset(DWORD attribId) override {
        drawn.push_back(attribId);
        return attribId == failSubset ? E_FAIL : S_OK;
    }
    DWORD GetNumFaces() override { return faces_; }
    DWORD GetNumVertices() override { return static_cast<DWORD>(xyz_.size() / 3); }
    DWORD GetFVF() override { return D3DFVF_XYZ; }
    DWORD GetOptions() override { return 0; }
    HRESULT GetDevice(IDirect3DDevice8**) override { return E_NOTIMPL; }
    HRESULT CloneMeshFVF(DWORD, DWORD, IDirect3DDevice8*, ID3DXMesh**) override { return E_NOTIMPL; }
    HRESULT GetVertexBuffer(IDirect3DVertexBuffer8**) override { return E_NOTIMPL; }
    HRESULT GetIndexBuffer(IDirect3DIndexBuffer8**) override { return E_NOTIMPL; }
    HRESULT LockVertexBuffer(DWORD, BYTE** data) override {
        if (failLock) return E_FAIL;
        *data = reinterpret_cast<BYTE*>(xyz_.data());
        ++locks;
        return S_OK;
    }
    HRESULT UnlockVertexBuffer() override {
        --locks;
        return S_OK;
    }
    HRESULT LockIndexBuffer(DWORD, BYTE**) override { return E_NOTIMPL; }
    HRESULT UnlockIndexBuffer() override { return E_NOTIMPL; }
    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE*, DWORD* size) override {
        *size = 0;
        return S_OK;
    }
    HRESULT LockAttributeBuffer(DWORD, DWORD**) override { return E_NOTIMPL; }
    HRESULT UnlockAttributeBuffer() override { return E_NOTIMPL; }
    HRESULT Optimize(DWORD, const DWORD*, DWORD*, DWORD*, ID3DXBuffer**, ID3DXMesh**) override { return E_NOTIMPL; }
    HRESULT OptimizeInplace(DWORD, const DWORD*, DWORD*, DWORD*, ID3DXBuffer**) override { return E_NOTIMPL; }

    std::vector<DWORD> drawn;
    DWORD failSubset = UNUSED32;
    bool failLock = false;
    int locks = 0;

private:
    std::vector<float> xyz_;
    DWORD faces_;
};

// A skin that only knows its bone count (enough for binding bones).
class FakeSkin : public RefCounted<ID3DXSkinMesh> {
public:
    explicit FakeSkin(DWORD bones) : bones_(bones) {}
    DWORD GetNumBones() override { return bones_; }
    DWORD GetNumFaces() override { return 0; }
    DWORD GetNumVertices() override { return 0; }
    DWORD GetFVF() override { return D3DFVF_XYZ; }
    DWORD GetOptions() override { return 0; }
    HRESULT GetDevice(IDirect3DDevice8**) override { return E_NOTIMPL; }
    HRESULT GetOriginalMesh(ID3DXMesh**) override { return E_NOTIMPL; }
    DWORD GetNumBoneInfluences(DWORD) override { return 0; }
    HRESULT GetBoneInfluence(DWORD, DWORD*, float*) override { return E_NOTIMPL; }
    HRESULT GetMaxVertexInfluences(DWORD*) override { return E_NOTIMPL; }
    HRESULT GetMaxFaceInfluences(DWORD*) override { return E_NOTIMPL; }
    HRESULT ConvertToBlendedMesh(DWORD, const DWORD*, DWORD*, DWORD*, ID3DXBuffer**, ID3DXMesh**) override {
        return E_NOTIMPL;
    }

private:
    DWORD bones_;
};

}  // namespace scenetest

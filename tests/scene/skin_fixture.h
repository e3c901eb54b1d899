// A headless device and a hand-made skin: a bar of two quads whose blended mesh and bone
// combinations are given directly, so blending, splitting and drawing can be tested exactly.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/d3dx/d3dx8mesh.h"
#include "platform/com/com_ptr.h"
#include "platform/com/ref_counted.h"
#include "render/render_device.h"
#include "tests/render/render_device_fixture.h"
#include "tests/platform/gpu/device_caps.h"

namespace scenetest {

constexpr int kSize = 64;
// Position, two weights (the third implied), colour.
constexpr DWORD kBlendFvf = D3DFVF_XYZB2 | D3DFVF_DIFFUSE;

struct BlendVertex {
    float x, y, z, w0, w1;
    D3DCOLOR colour;
};

// Bone slots of one bone combination (three per group).
struct Group {
    DWORD material;
    DWORD bones[3];
};

// The bar: group g covers quad g (x from -1 + g to g, y from -0.25 to 0.25) with vertices
// 4g..4g+3 and faces 2g, 2g+1. Inner edges (x = -1, 0) follow bone 0; the outer edge of quad 1
// (x = 1) is weighted half bone 1, half bone 2.
class BarSkin : public RefCounted<ID3DXSkinMesh> {
public:
    BarSkin(IDirect3DDevice8* device, std::vector<Group> groups) : groups_(std::move(groups)) {
        device->AddRef();
        device_ = ComPtr<IDirect3DDevice8>(device);
    }

    DWORD GetNumBones() override { return 3; }
    DWORD GetNumFaces() override { return 2 * DWORD(groups_.size()); }
    DWORD GetNumVertices() override { return 4 * DWORD(groups_.size()); }
    DWORD GetFVF() override { return D3DFVF_XYZ | D3DFVF_DIFFUSE; }
    DWORD GetOptions() override { return D3DXMESH_SYSTEMMEM; }
    HRESULT GetDevice(IDirect3DDevice8** device) override {
        device_->AddRef();
        *device = device_.Get();
        return S_OK;
    }
    HRESULT GetOriginalMesh(ID3DXMesh**) override { return E_NOTIMPL; }
    DWORD GetNumBoneInfluences(DWORD) override { return 0; }
    HRESULT GetBoneInfluence(DWORD, DWORD*, float*) override { return E_NOTIMPL; }
    HRESULT GetMaxVertexInfluences(DWORD* n) override { return *n = 2, S_OK; }
    HRESULT GetMaxFaceInfluences(DWORD* n) override { return *n = 3, S_OK; }

    HRESULT ConvertToBlendedMesh(DWORD, const DWORD*, DWORD* adjacencyOut, DWORD* combinations,
                                 ID3DXBuffer** table, ID3DXMesh** mesh) override {
        ++conversions;
        const DWORD n = DWORD(groups_.size());
        HRESULT hr = D3DXCreateMeshFVF(2 * n, 4 * n, D3DXMESH_SYSTEMMEM, kBlendFvf, device_.Get(), mesh);
        if (FAILED(hr)) return hr;
        BYTE* v = nullptr;
        (*mesh)->LockVertexBuffer(0, &v);
        for (DWORD g = 0; g < n; ++g) {
            const float x0 = -1.0f + float(g), x1 = float(g);
            // Quad 1's outer edge hangs on bones 1 and 2; everything else on bone 0.
            const float w0 = g == 1 ? 0.0f : 1.0f, w1 = g == 1 ? 0.5f : 0.0f;
            const BlendVertex quad[4] = {{x0, -0.25f, 1, 1, 0, 0xFFFF0000}, {x0, 0.25f, 1, 1, 0, 0xFFFF0000},
                                         {x1, -0.25f, 1, w0, w1, 0xFFFF0000}, {x1, 0.25f, 1, w0, w1, 0xFFFF0000}};
            std::memcpy(v + g * sizeof(quad), quad, sizeof(quad));
        }
        (*mesh)->UnlockVertexBuffer();
        BYTE* i = nullptr;
        (*mesh)->LockIndexBuffer(0, &i);
        for (DWORD g = 0; g < n; ++g) {
            const WORD b = WORD(4 * g);
            // Clockwise on screen seen from -z.
            const WORD tris[6] = {b, WORD(b + 1), WORD(b + 2), WORD(b + 2), WORD(b + 1), WORD(b + 3)};
            std::memcpy(i + g * sizeof(tris), tris, sizeof(tris));
        }
        (*mesh)->UnlockIndexBuffer();
        DWORD* a = nullptr;
        (*mesh)->LockAttributeBuffer(0, &a);
        for (DWORD f = 0; f < 2 * n; ++f) a[f] = f / 2;
        (*mesh)->UnlockAttributeBuffer();
        (*mesh)->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr);

        hr = D3DXCreateBuffer(n * (sizeof(D3DXBONECOMBINATION) + 3 * sizeof(DWORD)), table);
        if (FAILED(hr)) return hr;
        auto* records = static_cast<D3DXBONECOMBINATION*>((*table)->GetBufferPointer());
        auto* ids = reinterpret_cast<DWORD*>(records + n);
        for (DWORD g = 0; g < n; ++g) {
            records[g] = {groups_[g].material, 2 * g, 2, 4 * g, 4, ids + 3 * g};
            std::memcpy(ids + 3 * g, groups_[g].bones, sizeof(groups_[g].bones));
        }
        for (DWORD k = 0; k < 6 * n; ++k) adjacencyOut[k] = UNUSED32;
        *combinations = n;
        return S_OK;
    }

    int conversions = 0;

private:
    ComPtr<IDirect3DDevice8> device_;
    std::vector<Group> groups_;
};

class SkinDeviceTest : public rendertest::RenderDeviceTest<kSize, kSize> {
protected:
    void SetBlendMatrices(DWORD count) { ASSERT_EQ(gputest::SetMaxVertexBlendMatrices(device, count), S_OK); }
};

// A device test with a folder of its own for the files it writes.
class FileDeviceTest : public SkinDeviceTest {
protected:
    void SetUp() override {
        SkinDeviceTest::SetUp();
        dir = std::filesystem::path(testing::TempDir()) /
              ("scene_" + std::to_string(::getpid()) + "_" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Writes `text` as the file `name` in the folder; returns its path.
    std::string Write(const std::string& name, const std::string& text) {
        const std::filesystem::path p = dir / name;
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }

    // Loads a model with the folder as the working directory, as the show loads from its own.
    template <typename Model>
    HRESULT LoadIn(Model& model, const char* name) {
        const auto previous = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        const HRESULT hr = model.Load(name);
        std::filesystem::current_path(previous);
        return hr;
    }

    std::filesystem::path dir;
};

}  // namespace scenetest

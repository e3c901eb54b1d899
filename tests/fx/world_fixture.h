// Shared by the render list, screen image and sprite tests: a headless device, flat quads as a
// mesh model, Targa files written into a temporary folder, and pixel read-back.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/d3dx/d3dx8mesh.h"
#include "scene/mesh_model.h"
#include "tests/common/channel.h"
#include "tests/common/read_back.h"
#include "tests/fx/effect_files.h"
#include "tests/render/render_device_fixture.h"

namespace worldtest {

using testpixels::Channel;

inline void ExpectRgbNear(std::uint32_t pixel, int r, int g, int b, int tolerance, const char* where) {
    EXPECT_NEAR(Channel(pixel, 16), r, tolerance) << where;
    EXPECT_NEAR(Channel(pixel, 8), g, tolerance) << where;
    EXPECT_NEAR(Channel(pixel, 0), b, tolerance) << where;
}

// A material that only reflects ambient light, opaque (the render list's alpha test reads the
// diffuse alpha).
inline D3DMATERIAL8 AmbientMaterial(float r, float g, float b) {
    D3DMATERIAL8 m{};
    m.Diffuse = {0.0f, 0.0f, 0.0f, 1.0f};
    m.Ambient = {r, g, b, 1.0f};
    return m;
}

// Square quads in the plane y = 0 facing -Y, one attribute id each: {centre x, half size}.
struct Quad {
    float centreX;
    float halfSize;
};

class QuadModel : public MeshModelBase {
public:
    ID3DXMesh* GetMesh() override { return mesh.Get(); }
    ComPtr<ID3DXMesh> mesh;
};

inline void BuildQuads(IDirect3DDevice8* device, const std::vector<Quad>& quads, QuadModel& model) {
    struct Vertex {
        float x, y, z, nx, ny, nz;
    };
    const DWORD count = static_cast<DWORD>(quads.size());
    ASSERT_EQ(D3DXCreateMeshFVF(2 * count, 4 * count, D3DXMESH_MANAGED, D3DFVF_XYZ | D3DFVF_NORMAL, device,
                                model.mesh.Receive()),
              S_OK);
    BYTE* data = nullptr;
    ASSERT_EQ(model.mesh->LockVertexBuffer(0, &data), S_OK);
    auto* v = reinterpret_cast<Vertex*>(data);
    for (const Quad& q : quads) {
        const float l = q.centreX - q.halfSize, r = q.centreX + q.halfSize, s = q.halfSize;
        for (auto [x, z] : {std::pair{l, -s}, std::pair{l, s}, std::pair{r, s}, std::pair{r, -s}})
            *v++ = {x, 0.0f, z, 0.0f, -1.0f, 0.0f};
    }
    model.mesh->UnlockVertexBuffer();
    ASSERT_EQ(model.mesh->LockIndexBuffer(0, &data), S_OK);
    auto* index = reinterpret_cast<std::uint16_t*>(data);
    for (DWORD i = 0; i < count; ++i) {
        // Corners 0 bottom-left, 1 top-left, 2 top-right, 3 bottom-right; both triangles face -Y.
        const auto base = static_cast<std::uint16_t>(4 * i);
        for (std::uint16_t corner : {0, 2, 1, 0, 3, 2}) *index++ = static_cast<std::uint16_t>(base + corner);
    }
    model.mesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    ASSERT_EQ(model.mesh->LockAttributeBuffer(0, &attributes), S_OK);
    for (DWORD i = 0; i < count; ++i) attributes[2 * i] = attributes[2 * i + 1] = i;
    model.mesh->UnlockAttributeBuffer();
}

template <int Width, int Height>
class WorldTest : public rendertest::RenderDeviceTest<Width, Height> {
protected:
    std::string WriteTarga(const std::string& name, int width, int height,
                           const std::function<std::uint32_t(int, int)>& pixel) const {
        return files.WriteTarga(name, width, height, pixel);
    }

    std::vector<std::uint32_t> ReadBack() { return testpixels::ReadBack(this->device, Width, Height).pixels; }

    static std::uint32_t At(const std::vector<std::uint32_t>& pixels, int x, int y) {
        return pixels[static_cast<std::size_t>(y) * Width + static_cast<std::size_t>(x)];
    }

    DWORD RenderState(D3DRENDERSTATETYPE state) {
        DWORD value = 0xDEADBEEF;
        EXPECT_EQ(this->device->GetRenderState(state, &value), S_OK);
        return value;
    }

    effecttest::TempFolder files;
};

}  // namespace worldtest

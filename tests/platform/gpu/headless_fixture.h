// Test fixture for pixel tests of the device: the headless device at 640 x 480, and helpers to
// draw simple geometry and compare colours.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/gpu/d3d8.h"
#include "tests/common/channel.h"
#include "tests/common/read_back.h"
#include "tests/platform/gpu/device_fixture.h"
#include "tests/platform/gpu/reference_lighting.h"

namespace pixeltest {

using reference::Vec3;
using reference::Vec4;

constexpr float kPi = 3.14159265358979f;

// Vertex layouts the tests draw with.
struct RhwVertex {  // XYZRHW | DIFFUSE
    float x, y, z, rhw;
    D3DCOLOR diffuse;
};
constexpr DWORD kRhwFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

struct RhwTexVertex {  // XYZRHW | DIFFUSE | TEX1
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
};
constexpr DWORD kRhwTexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct TexVertex {  // XYZ | TEX1
    float x, y, z;
    float u, v;
};
constexpr DWORD kTexFvf = D3DFVF_XYZ | D3DFVF_TEX1;

struct ColourVertex {  // XYZ | DIFFUSE
    float x, y, z;
    D3DCOLOR diffuse;
};
constexpr DWORD kColourFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

struct NormalVertex {  // XYZ | NORMAL
    float x, y, z;
    float nx, ny, nz;
};
constexpr DWORD kNormalFvf = D3DFVF_XYZ | D3DFVF_NORMAL;

struct NormalColourVertex {  // XYZ | NORMAL | DIFFUSE
    float x, y, z;
    float nx, ny, nz;
    D3DCOLOR diffuse;
};
constexpr DWORD kNormalColourFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE;

struct PositionVertex {  // XYZ
    float x, y, z;
};
constexpr DWORD kPositionFvf = D3DFVF_XYZ;

using testpixels::Channel;
using testpixels::Frame;

inline std::string Hex(std::uint32_t c) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", c);
    return text;
}

// Compares the red, green and blue channels within `tolerance` steps of 1/255.
inline ::testing::AssertionResult ColourNear(std::uint32_t actual, std::uint32_t expected, int tolerance = 2) {
    for (int shift : {16, 8, 0}) {
        if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > tolerance)
            return ::testing::AssertionFailure() << "colour " << Hex(actual) << ", expected " << Hex(expected)
                                                 << " within " << tolerance << " (RGB)";
    }
    return ::testing::AssertionSuccess();
}

// The same for every channel, alpha included.
inline ::testing::AssertionResult ArgbNear(std::uint32_t actual, std::uint32_t expected, int tolerance = 2) {
    auto rgb = ColourNear(actual, expected, tolerance);
    if (!rgb) return rgb;
    if (std::abs(Channel(actual, 24) - Channel(expected, 24)) > tolerance)
        return ::testing::AssertionFailure() << "alpha of " << Hex(actual) << ", expected " << Hex(expected);
    return ::testing::AssertionSuccess();
}

inline std::uint32_t ToColour(const reference::Colour& c) { return reference::ToD3DColor(c); }

// A tessellated sphere: rings from +z to -z, (slices + 1) vertices per ring (the seam is doubled).
struct SphereMesh {
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;
    std::vector<WORD> indices;  // triangle list
};

inline SphereMesh BuildSphere(float radius, int slices, int stacks) {
    SphereMesh mesh;
    for (int stack = 0; stack <= stacks; ++stack) {
        float theta = kPi * stack / stacks;
        for (int slice = 0; slice <= slices; ++slice) {
            float phi = 2 * kPi * slice / slices;
            Vec3 n{std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi), std::cos(theta)};
            mesh.normals.push_back(n);
            mesh.positions.push_back(n * radius);
        }
    }
    auto index = [&](int stack, int slice) { return static_cast<WORD>(stack * (slices + 1) + slice); };
    for (int stack = 0; stack < stacks; ++stack) {
        for (int slice = 0; slice < slices; ++slice) {
            WORD a = index(stack, slice), b = index(stack, slice + 1);
            WORD c = index(stack + 1, slice), d = index(stack + 1, slice + 1);
            // Clockwise seen from outside in a left-handed frame.
            if (stack != 0) mesh.indices.insert(mesh.indices.end(), {a, b, c});
            if (stack != stacks - 1) mesh.indices.insert(mesh.indices.end(), {b, d, c});
        }
    }
    return mesh;
}

// A light with only its diffuse colour set.
inline D3DLIGHT8 DirectionalLight(Vec3 direction, D3DCOLORVALUE diffuse) {
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = diffuse;
    light.Direction = {direction.x, direction.y, direction.z};
    return light;
}

inline D3DLIGHT8 PointLight(Vec3 position, D3DCOLORVALUE diffuse, float range) {
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = diffuse;
    light.Position = {position.x, position.y, position.z};
    light.Range = range;
    return light;
}

inline DWORD FloatBits(float f) {
    DWORD bits;
    static_assert(sizeof bits == sizeof f);
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

class HeadlessDeviceTest : public devicetest::HeadlessDeviceFixture<640, 480> {
protected:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;

    void Clear(D3DCOLOR colour, DWORD flags = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, float z = 1.0f) {
        ASSERT_TRUE(SUCCEEDED(device_->Clear(0, nullptr, flags, colour, z, 0)));
    }
    void Begin() { ASSERT_TRUE(SUCCEEDED(device_->BeginScene())); }
    void End() { ASSERT_TRUE(SUCCEEDED(device_->EndScene())); }
    void Set(D3DRENDERSTATETYPE state, DWORD value) { ASSERT_TRUE(SUCCEEDED(device_->SetRenderState(state, value))); }
    void SetStage(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
        ASSERT_TRUE(SUCCEEDED(device_->SetTextureStageState(stage, type, value)));
    }

    // A screen-space quad whose corners are pixel edges: covers pixels x..x+w-1, y..y+h-1.
    static std::vector<RhwVertex> RhwQuad(int x, int y, int w, int h, D3DCOLOR colour, float z = 0.5f,
                                          float rhw = 1.0f) {
        float left = x - 0.5f, top = y - 0.5f, right = x + w - 0.5f, bottom = y + h - 0.5f;
        // Strip order: both triangles clockwise on screen.
        return {{left, top, z, rhw, colour}, {right, top, z, rhw, colour}, {left, bottom, z, rhw, colour},
                {right, bottom, z, rhw, colour}};
    }

    void DrawRhwQuad(int x, int y, int w, int h, D3DCOLOR colour, float z = 0.5f, float rhw = 1.0f) {
        auto quad = RhwQuad(x, y, w, h, colour, z, rhw);
        ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kRhwFvf)));
        ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(RhwVertex))));
    }

    // Textured screen-space quad: texture coordinates 0..1 across the covered pixels.
    void DrawRhwTexQuad(int x, int y, int w, int h, D3DCOLOR colour, float u1 = 1.0f, float v1 = 1.0f) {
        float left = x - 0.5f, top = y - 0.5f, right = x + w - 0.5f, bottom = y + h - 0.5f;
        RhwTexVertex quad[4] = {{left, top, 0.5f, 1, colour, 0, 0},
                                {right, top, 0.5f, 1, colour, u1, 0},
                                {left, bottom, 0.5f, 1, colour, 0, v1},
                                {right, bottom, 0.5f, 1, colour, u1, v1}};
        ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kRhwTexFvf)));
        ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(RhwTexVertex))));
    }

    // A left-handed camera: view and projection set on the device and kept for Project().
    void SetCamera(Vec3 eye, Vec3 at, Vec3 up = {0, 1, 0}, float fovY = kPi / 4, float zNear = 1.0f,
                   float zFar = 100.0f) {
        eye_ = eye;
        view_ = reference::LookAtLH(eye, at, up);
        projection_ = reference::PerspectiveFovLH(fovY, static_cast<float>(kWidth) / kHeight, zNear, zFar);
        ASSERT_TRUE(SUCCEEDED(device_->SetTransform(D3DTS_VIEW, &view_)));
        ASSERT_TRUE(SUCCEEDED(device_->SetTransform(D3DTS_PROJECTION, &projection_)));
    }

    void SetWorld(const D3DMATRIX& world) {
        world_ = world;
        ASSERT_TRUE(SUCCEEDED(device_->SetTransform(D3DTS_WORLD, &world)));
    }

    // Where a model-space point lands: screen x, y (pixel centres at integers), depth z, and w,
    // by the viewport equation with the full-target viewport.
    Vec4 Project(Vec3 p) const { return ProjectWith(p, world_); }
    Vec4 ProjectWith(Vec3 p, const D3DMATRIX& world) const {
        using reference::Multiply;
        Vec4 clip = reference::TransformPoint(p, Multiply(Multiply(world, view_), projection_));
        return {viewport_.X + (1 + clip.x / clip.w) * viewport_.Width / 2,
                viewport_.Y + (1 - clip.y / clip.w) * viewport_.Height / 2,
                viewport_.MinZ + (clip.z / clip.w) * (viewport_.MaxZ - viewport_.MinZ), clip.w};
    }

    void SetViewport(DWORD x, DWORD y, DWORD w, DWORD h) {
        viewport_ = {x, y, w, h, 0.0f, 1.0f};
        ASSERT_TRUE(SUCCEEDED(device_->SetViewport(&viewport_)));
    }

    ComPtr<IDirect3DTexture8> MakeTexture(UINT w, UINT h, UINT levels, D3DFORMAT format) {
        ComPtr<IDirect3DTexture8> texture;
        HRESULT hr = device_->CreateTexture(w, h, levels, 0, format, D3DPOOL_MANAGED, texture.Receive());
        EXPECT_TRUE(SUCCEEDED(hr) && texture) << "CreateTexture failed: " << Hex(static_cast<std::uint32_t>(hr));
        return texture;
    }

    // Fills one level with 16- or 32-bit texels, row by row (top row first), through LockRect.
    template <class Texel>
    void FillLevel(IDirect3DTexture8* texture, UINT level, UINT w, UINT h, const std::vector<Texel>& texels) {
        ASSERT_NE(texture, nullptr);
        ASSERT_EQ(texels.size(), static_cast<size_t>(w) * h);
        D3DLOCKED_RECT locked{};
        ASSERT_TRUE(SUCCEEDED(texture->LockRect(level, &locked, nullptr, 0)));
        ASSERT_NE(locked.pBits, nullptr);
        ASSERT_GE(locked.Pitch, static_cast<INT>(w * sizeof(Texel)));
        for (UINT row = 0; row < h; ++row)
            std::memcpy(static_cast<BYTE*>(locked.pBits) + static_cast<size_t>(row) * locked.Pitch,
                        texels.data() + static_cast<size_t>(row) * w, w * sizeof(Texel));
        ASSERT_TRUE(SUCCEEDED(texture->UnlockRect(level)));
    }

    Vec3 eye_{};
    D3DMATRIX world_ = reference::Identity();
    D3DMATRIX view_ = reference::Identity();
    D3DMATRIX projection_ = reference::Identity();
    D3DVIEWPORT8 viewport_{0, 0, kWidth, kHeight, 0.0f, 1.0f};
};

}  // namespace pixeltest

// Shared by the particle and billboard tests: a headless device, solid-colour Targa files
// written into a temporary folder, the quad's vertices read back, pixels at projected points
// and the device states every effect must leave behind.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fx/billboard_quad.h"
#include "fx/camera.h"
#include "tests/common/channel.h"
#include "tests/common/read_back.h"
#include "tests/fx/effect_files.h"
#include "tests/render/render_device_fixture.h"

namespace effecttest {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

using testpixels::Channel;

class EffectTest : public rendertest::RenderDeviceTest<kWidth, kHeight> {
protected:
    // An 8 x 8 Targa of one opaque colour (0xRRGGBB); returns its path.
    std::string SolidTarga(const std::string& name, std::uint32_t rgb) const {
        return files.WriteTarga(name, 8, 8, [rgb](int, int) { return 0xFF000000u | rgb; });
    }

    static std::vector<BillboardVertex> QuadVertices(IDirect3DVertexBuffer8* buffer) {
        std::vector<BillboardVertex> vertices(kBillboardQuadVertices);
        BYTE* data = nullptr;
        EXPECT_GE(buffer->Lock(0, kBillboardQuadBytes, &data, D3DLOCK_READONLY), 0);
        if (data) std::memcpy(vertices.data(), data, kBillboardQuadBytes);
        buffer->Unlock();
        return vertices;
    }

    static void ExpectQuad(IDirect3DVertexBuffer8* buffer, float half) {
        const std::vector<BillboardVertex> v = QuadVertices(buffer);
        const float expected[4][5] = {
            {0, half, -half, 0, 0}, {0, half, half, 0, 1}, {0, -half, -half, 1, 0}, {0, -half, half, 1, 1}};
        for (int i = 0; i < 4; ++i) {
            const float actual[5] = {v[i].x, v[i].y, v[i].z, v[i].u, v[i].v};
            for (int k = 0; k < 5; ++k) EXPECT_EQ(actual[k], expected[i][k]) << "vertex " << i << " field " << k;
        }
    }

    // Clears to background with the depth buffer at its far value, then runs draw in one scene.
    template <class Draw>
    std::vector<std::uint32_t> Frame(D3DCOLOR background, Draw draw) {
        EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0), S_OK);
        EXPECT_EQ(device->BeginScene(), S_OK);
        draw();
        EXPECT_EQ(device->EndScene(), S_OK);
        return testpixels::ReadBack(device, kWidth, kHeight).pixels;
    }

    // The pixel a world point lands on through the camera's matrices (full-screen viewport).
    static std::uint32_t PixelAt(const std::vector<std::uint32_t>& pixels, const Camera& camera, D3DXVECTOR3 point) {
        D3DXMATRIX viewProjection;
        D3DXMatrixMultiply(&viewProjection, &camera.View(), &camera.Projection());
        D3DXVECTOR4 clip;
        D3DXVec3Transform(&clip, &point, &viewProjection);
        const float x = (clip.x / clip.w * 0.5f + 0.5f) * kWidth;
        const float y = (0.5f - clip.y / clip.w * 0.5f) * kHeight;
        const int px = static_cast<int>(x), py = static_cast<int>(y);
        EXPECT_TRUE(px >= 0 && px < kWidth && py >= 0 && py < kHeight) << px << "," << py;
        if (px < 0 || px >= kWidth || py < 0 || py >= kHeight) return 0;
        return pixels[static_cast<std::size_t>(py) * kWidth + px];
    }

    // What every effect leaves after drawing: no blending, depth writes on, no texture, identity world.
    void ExpectStatesRestored() {
        DWORD value = 0;
        ASSERT_EQ(device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value), S_OK);
        EXPECT_EQ(value, static_cast<DWORD>(FALSE));
        ASSERT_EQ(device->GetRenderState(D3DRS_ZWRITEENABLE, &value), S_OK);
        EXPECT_EQ(value, static_cast<DWORD>(TRUE));
        IDirect3DBaseTexture8* bound = reinterpret_cast<IDirect3DBaseTexture8*>(1);
        ASSERT_EQ(device->GetTexture(0, &bound), S_OK);
        EXPECT_EQ(bound, nullptr);
        if (bound) bound->Release();
        D3DMATRIX world{};
        ASSERT_EQ(device->GetTransform(D3DTS_WORLD, &world), S_OK);
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) EXPECT_EQ(world.m[r][c], r == c ? 1.0f : 0.0f) << r << "," << c;
        }
    }

    // Dirties the states the effects must restore, so a missing restore shows.
    void DirtyStates() {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        D3DXMATRIX shifted;
        D3DXMatrixTranslation(&shifted, 5.0f, 6.0f, 7.0f);
        device->SetTransform(D3DTS_WORLD, &shifted);
    }

    // Light the quads by ambient only, at full level, so the material colour scales the texture.
    void AmbientOnly() {
        device->SetRenderState(D3DRS_LIGHTING, TRUE);
        device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    }

    TempFolder files;
};

}  // namespace effecttest

#include "platform/d3dx/d3dx8core.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <numbers>
#include <vector>

#include "tests/platform/gpu/headless_fixture.h"

namespace {

using testpixels::Channel;
using testpixels::Frame;

constexpr D3DCOLOR kBackground = 0xFF102030;

class SpriteTest : public pixeltest::HeadlessDeviceTest {
protected:
    void SetUp() override {
        HeadlessDeviceTest::SetUp();
        ASSERT_EQ(D3DXCreateSprite(device_.Get(), sprite.Receive()), S_OK);
        ASSERT_TRUE(sprite);
    }
    void TearDown() override {
        sprite.Reset();
        HeadlessDeviceTest::TearDown();
    }

    // A managed A8R8G8B8 texture; texel(x, y) gives 0xAARRGGBB.
    ComPtr<IDirect3DTexture8> MakeTexture(UINT width, UINT height, const std::function<D3DCOLOR(UINT, UINT)>& texel) {
        ComPtr<IDirect3DTexture8> texture;
        EXPECT_EQ(device_->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Receive()),
                  S_OK);
        if (!texture) return texture;
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
        for (UINT y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
            for (UINT x = 0; x < width; ++x) row[x] = texel(x, y);
        }
        texture->UnlockRect(0);
        return texture;
    }

    // Draws once over the background and reads the picture back.
    Frame DrawOnce(IDirect3DTexture8* texture, const RECT* rect, D3DXVECTOR2 scaling, D3DXVECTOR2 centre,
                   float rotation, D3DXVECTOR2 translation, D3DCOLOR colour) {
        Clear(kBackground);
        Begin();
        EXPECT_EQ(sprite->Draw(texture, rect, &scaling, &centre, rotation, &translation, colour), S_OK);
        End();
        return Capture();
    }

    // The bounding rectangle of the pixels that differ from the background, and their count.
    struct Coverage {
        int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1, count = 0;
    };
    static Coverage Covered(const Frame& frame) {
        Coverage c;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if ((frame.At(x, y) & 0x00FFFFFF) == (kBackground & 0x00FFFFFF)) continue;
                c.left = std::min(c.left, x);
                c.top = std::min(c.top, y);
                c.right = std::max(c.right, x);
                c.bottom = std::max(c.bottom, y);
                ++c.count;
            }
        }
        return c;
    }

    ComPtr<ID3DXSprite> sprite;
};

TEST_F(SpriteTest, RotationTurnsAboutTheCentreBeforeTheTranslation) {
    auto texture = MakeTexture(10, 20, [](UINT, UINT) { return 0xFFFFFFFF; });
    // (x, y) - (50, 50) turned by +90 degrees is (-(y - 50), x - 50): the 10 x 20 rectangle
    // becomes x 80..100, y 0..10, then moves by (5, 7).
    const Frame frame = DrawOnce(texture.Get(), nullptr, {1.0f, 1.0f}, {50.0f, 50.0f},
                                 std::numbers::pi_v<float> / 2.0f, {5.0f, 7.0f}, 0xFFFFFFFF);
    const Coverage c = Covered(frame);
    EXPECT_EQ(c.left, 85);
    EXPECT_EQ(c.top, 7);
    EXPECT_EQ(c.right, 104);
    EXPECT_EQ(c.bottom, 16);
    EXPECT_EQ(c.count, 200);
}

TEST_F(SpriteTest, SourceRectangleSelectsTexelsAndSize) {
    // Left half red, right half green.
    auto texture = MakeTexture(8, 4, [](UINT x, UINT) { return x < 4 ? 0xFFFF0000 : 0xFF00FF00; });
    const RECT right{4, 0, 8, 4};
    const Frame frame = DrawOnce(texture.Get(), &right, {4.0f, 4.0f}, {0.0f, 0.0f}, 0.0f, {20.0f, 30.0f},
                                 0xFFFFFFFF);
    const Coverage c = Covered(frame);
    EXPECT_EQ(c.left, 20);
    EXPECT_EQ(c.right, 35);
    EXPECT_EQ(c.top, 30);
    EXPECT_EQ(c.bottom, 45);
    // Filtering is linear: the first two columns still blend in some of the red texel beside
    // the rectangle; from the third column on only green remains.
    for (int y = 30; y <= 45; ++y) {
        EXPECT_GT(Channel(frame.At(20, y), 8), Channel(frame.At(20, y), 16)) << y;
        for (int x = 22; x <= 35; ++x) ASSERT_EQ(frame.At(x, y) & 0x00FFFFFF, 0x0000FF00u) << x << "," << y;
    }
}

TEST_F(SpriteTest, TexelsAreMultipliedByTheColourAndBlendedByAlpha) {
    auto texture = MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFF; });
    Frame frame = DrawOnce(texture.Get(), nullptr, {4.0f, 4.0f}, {0.0f, 0.0f}, 0.0f, {0.0f, 0.0f}, 0xFF00FF80);
    EXPECT_EQ(frame.At(8, 8) & 0x00FFFFFF, 0x0000FF80u);

    // Half the colour's alpha: half sprite, half background.
    frame = DrawOnce(texture.Get(), nullptr, {4.0f, 4.0f}, {0.0f, 0.0f}, 0.0f, {0.0f, 0.0f}, 0x80FF0000);
    const double a = 128.0 / 255.0;
    EXPECT_NEAR(Channel(frame.At(8, 8), 16), 255 * a + 0x10 * (1 - a), 2.0);
    EXPECT_NEAR(Channel(frame.At(8, 8), 8), 0x20 * (1 - a), 2.0);
    EXPECT_NEAR(Channel(frame.At(8, 8), 0), 0x30 * (1 - a), 2.0);
}

TEST_F(SpriteTest, DrawingIgnoresDepthLightingAndFogAndRestoresEveryState) {
    auto texture = MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFF; });
    auto other = MakeTexture(2, 2, [](UINT, UINT) { return 0xFF000000; });
    ComPtr<IDirect3DVertexBuffer8> stream;
    ASSERT_EQ(device_->CreateVertexBuffer(3 * sizeof(pixeltest::RhwVertex), 0, pixeltest::kRhwFvf, D3DPOOL_MANAGED,
                                          stream.Receive()),
              S_OK);
    // A caller's states that would each spoil the sprite: nearest depth, lighting, fog, no blending,
    // an alpha test that fails, culling both windings' worth, a disabled stage.
    Set(D3DRS_ZENABLE, D3DZB_TRUE);
    Set(D3DRS_ZFUNC, D3DCMP_LESS);
    Set(D3DRS_LIGHTING, TRUE);
    Set(D3DRS_FOGENABLE, TRUE);
    Set(D3DRS_FOGTABLEMODE, D3DFOG_EXP);
    Set(D3DRS_FOGCOLOR, 0xFFFF00FF);
    Set(D3DRS_SRCBLEND, D3DBLEND_ONE);
    Set(D3DRS_DESTBLEND, D3DBLEND_ONE);
    Set(D3DRS_ALPHATESTENABLE, TRUE);
    Set(D3DRS_ALPHAFUNC, D3DCMP_NEVER);
    Set(D3DRS_CULLMODE, D3DCULL_CW);
    SetStage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    SetStage(0, D3DTSS_ADDRESSU, D3DTADDRESS_MIRROR);
    SetStage(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    ASSERT_EQ(device_->SetTexture(0, other.Get()), S_OK);
    ASSERT_EQ(device_->SetVertexShader(0x112), S_OK);
    ASSERT_EQ(device_->SetStreamSource(0, stream.Get(), sizeof(pixeltest::RhwVertex)), S_OK);

    std::vector<DWORD> renderStates(D3D_RENDERSTATE_COUNT), stageStates(2 * D3D_TEXTURESTAGESTATE_COUNT);
    auto readStates = [&](std::vector<DWORD>& rs, std::vector<DWORD>& ts) {
        for (DWORD i = 0; i < D3D_RENDERSTATE_COUNT; ++i)
            device_->GetRenderState(static_cast<D3DRENDERSTATETYPE>(i), &rs[i]);
        for (DWORD s = 0; s < 2; ++s)
            for (DWORD t = 0; t < D3D_TEXTURESTAGESTATE_COUNT; ++t)
                device_->GetTextureStageState(s, static_cast<D3DTEXTURESTAGESTATETYPE>(t),
                                              &ts[s * D3D_TEXTURESTAGESTATE_COUNT + t]);
    };
    readStates(renderStates, stageStates);

    Clear(kBackground, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0.0f);  // every depth test against 0 fails
    Begin();
    const D3DXVECTOR2 scaling(4.0f, 4.0f), translation(10.0f, 10.0f);
    ASSERT_EQ(sprite->Draw(texture.Get(), nullptr, &scaling, nullptr, 0.0f, &translation, 0xFFFFFFFF), S_OK);
    End();
    const Frame frame = Capture();
    EXPECT_EQ(frame.At(15, 15) & 0x00FFFFFF, 0x00FFFFFFu);

    std::vector<DWORD> renderAfter(D3D_RENDERSTATE_COUNT), stageAfter(2 * D3D_TEXTURESTAGESTATE_COUNT);
    readStates(renderAfter, stageAfter);
    for (DWORD i = 0; i < D3D_RENDERSTATE_COUNT; ++i) EXPECT_EQ(renderAfter[i], renderStates[i]) << "render state " << i;
    for (DWORD i = 0; i < stageAfter.size(); ++i) EXPECT_EQ(stageAfter[i], stageStates[i]) << "stage state " << i;
    IDirect3DBaseTexture8* bound = nullptr;
    ASSERT_EQ(device_->GetTexture(0, &bound), S_OK);
    EXPECT_EQ(bound, other.Get());
    if (bound) bound->Release();
    DWORD fvf = 0;
    ASSERT_EQ(device_->GetVertexShader(&fvf), S_OK);
    EXPECT_EQ(fvf, 0x112u);
    // The caller's stream is bound again: drawing from it needs no new SetStreamSource.
    ASSERT_EQ(device_->SetVertexShader(pixeltest::kRhwFvf), S_OK);
    Begin();
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), S_OK);
    End();
}

TEST_F(SpriteTest, BeginAndEndBracketSeveralDraws) {
    auto texture = MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFF; });
    EXPECT_EQ(sprite->End(), D3DERR_INVALIDCALL);
    Set(D3DRS_ALPHABLENDENABLE, FALSE);
    ASSERT_EQ(sprite->Begin(), S_OK);
    EXPECT_EQ(sprite->Begin(), D3DERR_INVALIDCALL);
    DWORD blending = 0;
    device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);
    EXPECT_EQ(blending, static_cast<DWORD>(TRUE));
    Clear(kBackground);
    Begin();
    for (float x : {0.0f, 100.0f}) {
        const D3DXVECTOR2 at(x, 0.0f);
        EXPECT_EQ(sprite->Draw(texture.Get(), nullptr, nullptr, nullptr, 0.0f, &at, 0xFFFFFFFF), S_OK);
    }
    End();
    ASSERT_EQ(sprite->End(), S_OK);
    device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);
    EXPECT_EQ(blending, static_cast<DWORD>(FALSE));
    const Coverage c = Covered(Capture());
    EXPECT_EQ(c.count, 32);
    EXPECT_EQ(c.right, 103);
}

}  // namespace

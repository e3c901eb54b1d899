// Blended quads whose image is blank towards the edges are drawn cut down to the part that can
// change the picture: the frames must match drawing them whole, which writing depth forces.
#include <algorithm>

#include "tests/platform/gpu/headless_fixture.h"

namespace pixeltest {
namespace {

constexpr UINT kSize = 64;

// A 64x64 image holding a patch of colour at texels 20..43 x 16..47. Outside the patch the texels
// are `outside`: black for added quads, transparent white for alpha-blended ones.
std::vector<DWORD> PatchImage(DWORD outside) {
    std::vector<DWORD> texels(kSize * kSize, outside);
    for (UINT y = 16; y < 48; ++y)
        for (UINT x = 20; x < 44; ++x)
            texels[y * kSize + x] = D3DCOLOR_ARGB(0x20 + 6 * y, 8 * x, 4 * y, 0x90 + x);
    return texels;
}

class TrimmedQuadTest : public HeadlessDeviceTest {
protected:
    void SetUp() override {
        HeadlessDeviceTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(device_->CreateVertexBuffer(4 * sizeof(TexVertex), D3DUSAGE_WRITEONLY, kTexFvf, D3DPOOL_MANAGED,
                                              quad_.Receive()),
                  S_OK);
        BYTE* data = nullptr;
        ASSERT_EQ(quad_->Lock(0, 0, &data, 0), S_OK);
        const TexVertex corners[4] = {{-2, 2, 0, 0, 0}, {2, 2, 0, 1, 0}, {-2, -2, 0, 0, 1}, {2, -2, 0, 1, 1}};
        std::memcpy(data, corners, sizeof corners);
        ASSERT_EQ(quad_->Unlock(), S_OK);
    }

    // Overlapping quads drawn one by one from the buffer (merged into one draw by the device),
    // then read back. Writing depth with the test passing everywhere draws them whole.
    Frame DrawQuads(IDirect3DTexture8* texture, bool whole, bool lit) {
        Begin();
        Clear(D3DCOLOR_XRGB(0x30, 0x40, 0x50));
        SetCamera({0, 0, -10}, {0, 0, 0});
        Set(D3DRS_CULLMODE, D3DCULL_NONE);
        Set(D3DRS_LIGHTING, lit ? TRUE : FALSE);
        Set(D3DRS_AMBIENT, D3DCOLOR_XRGB(0x80, 0x80, 0x80));
        Set(D3DRS_ZFUNC, D3DCMP_ALWAYS);
        Set(D3DRS_ZWRITEENABLE, whole ? TRUE : FALSE);
        Set(D3DRS_ALPHABLENDENABLE, TRUE);
        Set(D3DRS_SRCBLEND, D3DBLEND_SRCCOLOR);
        Set(D3DRS_DESTBLEND, D3DBLEND_ONE);
        Set(D3DRS_FOGENABLE, TRUE);
        Set(D3DRS_FOGCOLOR, D3DCOLOR_XRGB(0, 0, 0));
        Set(D3DRS_FOGTABLEMODE, D3DFOG_EXP);
        Set(D3DRS_FOGDENSITY, FloatBits(0.05f));
        D3DMATERIAL8 material{};
        material.Ambient = {1.0f, 0.9f, 0.8f, 1.0f};
        EXPECT_EQ(device_->SetMaterial(&material), S_OK);
        // A point light whose ambient reaches every quad.
        D3DLIGHT8 lamp = PointLight({0, 0, -1}, {0, 0, 0, 0}, 50.0f);
        lamp.Ambient = {0.3f, 0.1f, 0.0f, 1.0f};
        EXPECT_EQ(device_->SetLight(0, &lamp), S_OK);
        EXPECT_EQ(device_->LightEnable(0, TRUE), S_OK);
        SetStage(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        SetStage(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        EXPECT_EQ(device_->SetTexture(0, texture), S_OK);
        EXPECT_EQ(device_->SetVertexShader(kTexFvf), S_OK);
        EXPECT_EQ(device_->SetStreamSource(0, quad_.Get(), sizeof(TexVertex)), S_OK);
        for (int i = 0; i < 5; ++i) {
            D3DMATRIX world = reference::Identity();
            world._11 = world._22 = 1.0f + 0.3f * static_cast<float>(i);
            world._41 = -2.0f + 0.9f * static_cast<float>(i);
            world._42 = 0.6f * static_cast<float>(i % 2);
            world._43 = 0.5f * static_cast<float>(i);
            SetWorld(world);
            EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), S_OK);
        }
        EXPECT_EQ(device_->SetTexture(0, nullptr), S_OK);
        End();
        return Capture();
    }

    // Pixels that differ between two frames by more than interpolation rounding, and pixels
    // that differ at all.
    static void ExpectSame(const Frame& cut, const Frame& whole, D3DCOLOR background) {
        int shown = 0, rounded = 0;
        for (std::size_t i = 0; i < whole.pixels.size(); ++i) {
            if ((whole.pixels[i] & 0xFFFFFF) != (background & 0xFFFFFF)) ++shown;
            if (whole.pixels[i] == cut.pixels[i]) continue;
            ++rounded;
            EXPECT_TRUE(ColourNear(cut.pixels[i], whole.pixels[i], 2))
                << "pixel " << i % kWidth << "," << i / kWidth << ": " << Hex(cut.pixels[i]) << " drawn whole "
                << Hex(whole.pixels[i]);
            if (HasFailure()) return;
        }
        EXPECT_GT(shown, 2000) << "the patches hardly show";
        EXPECT_LT(rounded, shown / 100) << "more than rounding differs";
    }

    ComPtr<IDirect3DVertexBuffer8> quad_;
};

TEST_F(TrimmedQuadTest, AddedQuadsShowTheSamePictureAsWhole) {
    auto texture = MakeTexture(kSize, kSize, 1, D3DFMT_A8R8G8B8);
    FillLevel(texture.Get(), 0, kSize, kSize, PatchImage(0xFF000000));
    for (bool lit : {false, true}) {
        const Frame whole = DrawQuads(texture.Get(), true, lit);
        const Frame cut = DrawQuads(texture.Get(), false, lit);
        SCOPED_TRACE(lit ? "lit by ambient" : "unlit");
        ExpectSame(cut, whole, D3DCOLOR_XRGB(0x30, 0x40, 0x50));
    }
}

TEST_F(TrimmedQuadTest, ChangedImagesAreCutAgainAndBlankOnesAreNotDrawn) {
    auto texture = MakeTexture(kSize, kSize, 1, D3DFMT_A8R8G8B8);
    FillLevel(texture.Get(), 0, kSize, kSize, PatchImage(0xFF000000));
    DrawQuads(texture.Get(), false, false);
    // The patch moves to the image's corner: what was cut away before must show now.
    std::vector<DWORD> corner(kSize * kSize, 0xFF000000);
    for (UINT y = 0; y < 8; ++y)
        for (UINT x = 56; x < kSize; ++x) corner[y * kSize + x] = 0xFFFFFFFF;
    FillLevel(texture.Get(), 0, kSize, kSize, corner);
    ExpectSame(DrawQuads(texture.Get(), false, false), DrawQuads(texture.Get(), true, false),
               D3DCOLOR_XRGB(0x30, 0x40, 0x50));

    FillLevel(texture.Get(), 0, kSize, kSize, std::vector<DWORD>(kSize * kSize, 0xFF000000));
    D3DDRAWSTATS before{}, after{};
    device_->GetDrawStats(&before);
    const Frame blank = DrawQuads(texture.Get(), false, false);
    device_->GetDrawStats(&after);
    EXPECT_EQ(after.submissions, before.submissions) << "a blank image drew something";
    EXPECT_EQ(after.drawCalls, before.drawCalls + 5);
    EXPECT_TRUE(std::all_of(blank.pixels.begin(), blank.pixels.end(),
                            [](std::uint32_t p) { return (p & 0xFFFFFF) == 0x304050; }));
}

TEST_F(TrimmedQuadTest, AlphaBlendedSpritesShowTheSamePictureAsWhole) {
    auto texture = MakeTexture(kSize, kSize, 1, D3DFMT_A8R8G8B8);
    FillLevel(texture.Get(), 0, kSize, kSize, PatchImage(0x00FFFFFF));
    auto draw = [&](bool whole) {
        Begin();
        Clear(D3DCOLOR_XRGB(0x30, 0x40, 0x50));
        Set(D3DRS_LIGHTING, FALSE);
        Set(D3DRS_ZFUNC, D3DCMP_ALWAYS);
        Set(D3DRS_ZWRITEENABLE, whole ? TRUE : FALSE);
        Set(D3DRS_ALPHABLENDENABLE, TRUE);
        Set(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        Set(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        // Filtered, as sprites are: point sampling picks either texel where a pixel centre
        // falls exactly on a texel edge, and the two draws may round that differently.
        SetStage(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        SetStage(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        SetStage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        SetStage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        SetStage(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        EXPECT_EQ(device_->SetTexture(0, texture.Get()), S_OK);
        DrawRhwTexQuad(100, 80, 300, 250, D3DCOLOR_ARGB(0xC0, 0xFF, 0xE0, 0xA0));
        DrawRhwTexQuad(250, 150, 333, 301, D3DCOLOR_ARGB(0xFF, 0x80, 0xFF, 0xFF));
        EXPECT_EQ(device_->SetTexture(0, nullptr), S_OK);
        End();
        return Capture();
    };
    const Frame whole = draw(true);
    ExpectSame(draw(false), whole, D3DCOLOR_XRGB(0x30, 0x40, 0x50));
}

}  // namespace
}  // namespace pixeltest

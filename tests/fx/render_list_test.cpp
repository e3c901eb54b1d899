#include "fx/render_list.h"

#include <gtest/gtest.h>

#include <bit>
#include <memory>

#include "tests/fx/world_fixture.h"

namespace {

using worldtest::AmbientMaterial;
using worldtest::ExpectRgbNear;

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr D3DCOLOR kBackground = 0xFF204060;
// The camera looks along +Y from (0, -10, 0) with Z up, so world +X shows on the left: the
// quad at x = +1.5 is seen around pixel 58, the one at x = -1.5 around pixel 102.
constexpr int kLeftQuadX = 58;
constexpr int kRightQuadX = 102;
constexpr int kMiddleY = 60;

int Level(float channel) { return static_cast<int>(channel * 255.0f + 0.5f); }

class RenderListTest : public worldtest::WorldTest<kWidth, kHeight> {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        frustum = std::make_unique<ViewFrustum>();
        camera = std::make_unique<Camera>(0.0f, -10.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, *frustum);
    }

    // Two quads: material 0 at x = +1.5, material 1 at x = -1.5.
    void MakeModel(const D3DMATERIAL8& first, const D3DMATERIAL8& second) {
        worldtest::BuildQuads(device, {{1.5f, 1.0f}, {-1.5f, 1.0f}}, model);
        model.materials = {first, second};
        model.textures.resize(2);
        model.materialCount = 2;
    }

    MeshInstance MakeInstance() {
        // Its own material is replaced by the model's for every subset.
        return MeshInstance(model, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                            1.0f, 0.0f, 1.0f, 0.0f);
    }

    std::vector<std::uint32_t> Draw(RenderList& list) {
        EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0), S_OK);
        EXPECT_EQ(device->BeginScene(), S_OK);
        list.Render(*camera);
        EXPECT_EQ(device->EndScene(), S_OK);
        return ReadBack();
    }

    BOOL LightEnabled(DWORD index) {
        BOOL enabled = 2;
        EXPECT_EQ(device->GetLightEnable(index, &enabled), S_OK);
        return enabled;
    }

    std::unique_ptr<ViewFrustum> frustum;
    std::unique_ptr<Camera> camera;
    worldtest::QuadModel model;
};

TEST_F(RenderListTest, WithoutLightsMeshesShowTheirAmbientTimesTwoThirds) {
    MakeModel(AmbientMaterial(0.6f, 0.3f, 0.9f), AmbientMaterial(1.0f, 1.0f, 1.0f));
    MeshInstance instance = MakeInstance();
    RenderList list;
    list.AddInstance(&instance);
    const auto pixels = Draw(list);
    const double level = 0xAA / 255.0;
    ExpectRgbNear(At(pixels, kLeftQuadX, kMiddleY), Level(0.6f * level), Level(0.3f * level), Level(0.9f * level), 2,
                  "material 0");
    ExpectRgbNear(At(pixels, kRightQuadX, kMiddleY), 0xAA, 0xAA, 0xAA, 2, "material 1");
    ExpectRgbNear(At(pixels, kWidth / 2, kMiddleY), 0x20, 0x40, 0x60, 0, "between the quads");
    ExpectRgbNear(At(pixels, 2, 2), 0x20, 0x40, 0x60, 0, "corner");
}

TEST_F(RenderListTest, ThreeLightsBecomeDeviceLightsZeroToTwoUntilTheListGoes) {
    MakeModel(AmbientMaterial(1.0f, 1.0f, 1.0f), AmbientMaterial(1.0f, 1.0f, 1.0f));
    MeshInstance instance = MakeInstance();
    Light first(1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f);
    Light second(0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 100.0f);
    Light third(0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f);
    ASSERT_EQ(device->LightEnable(5, TRUE), S_OK);  // someone else's light
    {
        RenderList list;
        list.AddInstance(&instance);
        list.AddLight(&first);
        list.AddLight(&second);
        list.AddLight(&third);
        Draw(list);
        EXPECT_TRUE(LightEnabled(0));
        EXPECT_TRUE(LightEnabled(1));
        EXPECT_TRUE(LightEnabled(2));
        EXPECT_FALSE(LightEnabled(3));
        D3DLIGHT8 sent{};
        ASSERT_EQ(device->GetLight(1, &sent), S_OK);
        EXPECT_EQ(sent.Type, D3DLIGHT_POINT);
        EXPECT_FLOAT_EQ(sent.Diffuse.g, 1.0f);
        EXPECT_FLOAT_EQ(sent.Range, 100.0f);

        // The records are sent again every frame: a moved point light reaches the device.
        second.light.Position = {7.0f, 8.0f, 9.0f};
        Draw(list);
        ASSERT_EQ(device->GetLight(1, &sent), S_OK);
        EXPECT_FLOAT_EQ(sent.Position.y, 8.0f);
        ASSERT_EQ(device->GetLight(2, &sent), S_OK);
        EXPECT_EQ(sent.Type, D3DLIGHT_DIRECTIONAL);
        EXPECT_FLOAT_EQ(sent.Diffuse.b, 1.0f);
    }
    EXPECT_FALSE(LightEnabled(0));
    EXPECT_FALSE(LightEnabled(1));
    EXPECT_FALSE(LightEnabled(2));
    EXPECT_TRUE(LightEnabled(5));
}

TEST_F(RenderListTest, ConstructionTurnsLightingOnAndRenderLeavesItsStates) {
    MakeModel(AmbientMaterial(1.0f, 0.0f, 0.0f), AmbientMaterial(0.0f, 0.0f, 1.0f));
    MeshInstance instance = MakeInstance();
    instance.Translate(0.5f, 0.0f, 0.0f);
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, model.textures[1].Receive()), S_OK);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);

    RenderList list;
    EXPECT_EQ(RenderState(D3DRS_LIGHTING), static_cast<DWORD>(TRUE));
    list.AddInstance(&instance);
    Draw(list);

    EXPECT_EQ(RenderState(D3DRS_ALPHATESTENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(RenderState(D3DRS_ALPHAREF), 8u);
    EXPECT_EQ(RenderState(D3DRS_ALPHAFUNC), static_cast<DWORD>(D3DCMP_GREATEREQUAL));
    EXPECT_EQ(RenderState(D3DRS_AMBIENT), 0x00AAAAAAu);
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(FALSE));
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_TRUE));
    EXPECT_EQ(RenderState(D3DRS_LIGHTING), static_cast<DWORD>(TRUE));
    for (auto filter : {D3DTSS_MINFILTER, D3DTSS_MAGFILTER}) {
        DWORD value = 0;
        ASSERT_EQ(device->GetTextureStageState(0, filter, &value), S_OK);
        EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_LINEAR));
    }
    IDirect3DBaseTexture8* bound = nullptr;
    ASSERT_EQ(device->GetTexture(0, &bound), S_OK);
    EXPECT_EQ(bound, nullptr);  // the model's texture was bound for subset 1, then taken off
    if (bound) bound->Release();
    D3DMATRIX matrix{};
    ASSERT_EQ(device->GetTransform(D3DTS_VIEW, &matrix), S_OK);
    EXPECT_EQ(D3DXMATRIX(matrix), camera->View());
    ASSERT_EQ(device->GetTransform(D3DTS_PROJECTION, &matrix), S_OK);
    EXPECT_EQ(D3DXMATRIX(matrix), camera->Projection());
    ASSERT_EQ(device->GetTransform(D3DTS_WORLD, &matrix), S_OK);
    EXPECT_EQ(D3DXMATRIX(matrix), instance.world);
}

TEST_F(RenderListTest, ExponentialFogTurnsTheDistantMeshIntoTheFogColour) {
    MakeModel(AmbientMaterial(1.0f, 1.0f, 1.0f), AmbientMaterial(1.0f, 1.0f, 1.0f));
    MeshInstance instance = MakeInstance();
    RenderList list;
    list.AddInstance(&instance);

    list.EnableFog(0xFF00C000, 1.0f);  // exp(-1 x 10): nothing of the mesh remains
    EXPECT_EQ(RenderState(D3DRS_FOGENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(RenderState(D3DRS_FOGCOLOR), 0xFF00C000u);
    EXPECT_EQ(RenderState(D3DRS_FOGTABLEMODE), static_cast<DWORD>(D3DFOG_EXP));
    EXPECT_EQ(RenderState(D3DRS_FOGDENSITY), std::bit_cast<DWORD>(1.0f));
    auto pixels = Draw(list);
    ExpectRgbNear(At(pixels, kLeftQuadX, kMiddleY), 0x00, 0xC0, 0x00, 2, "fogged");

    list.DisableFog();
    EXPECT_EQ(RenderState(D3DRS_FOGENABLE), static_cast<DWORD>(FALSE));
    pixels = Draw(list);
    ExpectRgbNear(At(pixels, kLeftQuadX, kMiddleY), 0xAA, 0xAA, 0xAA, 2, "clear");
}

TEST_F(RenderListTest, ModelWithoutMaterialsDrawsNothingButTheInstanceMaterialIsSet) {
    MakeModel(AmbientMaterial(1.0f, 1.0f, 1.0f), AmbientMaterial(1.0f, 1.0f, 1.0f));
    model.materialCount = 0;
    MeshInstance instance = MakeInstance();
    RenderList list;
    list.AddInstance(&instance);
    const auto pixels = Draw(list);
    int changed = 0;
    for (std::uint32_t p : pixels) changed += (p & 0x00FFFFFF) != (kBackground & 0x00FFFFFF);
    EXPECT_EQ(changed, 0);
    D3DMATERIAL8 material{};
    ASSERT_EQ(device->GetMaterial(&material), S_OK);
    EXPECT_FLOAT_EQ(material.Ambient.g, 1.0f);
    EXPECT_FLOAT_EQ(material.Emissive.g, 1.0f);
}

TEST_F(RenderListTest, MaterialCountBeyondTheArraysDrawsOnlyWhatTheyHold) {
    MakeModel(AmbientMaterial(1.0f, 1.0f, 1.0f), AmbientMaterial(1.0f, 1.0f, 1.0f));
    model.materials.resize(1);
    model.textures.clear();
    model.materialCount = 7;
    MeshInstance instance = MakeInstance();
    RenderList list;
    list.AddInstance(&instance);
    const auto pixels = Draw(list);
    ExpectRgbNear(At(pixels, kLeftQuadX, kMiddleY), 0xAA, 0xAA, 0xAA, 2, "material 0");
    ExpectRgbNear(At(pixels, kRightQuadX, kMiddleY), 0x20, 0x40, 0x60, 0, "no material 1");
}

}  // namespace

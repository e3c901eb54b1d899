// State blocks: recording, applying, capturing and deleting.
#include "tests/platform/gpu/device_fixture.h"

namespace devicetest {
namespace {

using StateBlockTest = DeviceTest;

TEST_F(StateBlockTest, RecordingStoresStatesWithoutSettingThem) {
    ASSERT_EQ(device_->BeginStateBlock(), S_OK);
    EXPECT_EQ(device_->BeginStateBlock(), D3DERR_INVALIDCALL) << "already recording";
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    DWORD token = 0;
    ASSERT_EQ(device_->EndStateBlock(&token), S_OK);
    EXPECT_NE(token, 0u);
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), 0u) << "recording leaves the device as it was";
    EXPECT_EQ(StageState(0, D3DTSS_COLORARG2), D3DTA_CURRENT);
    EXPECT_EQ(device_->EndStateBlock(&token), D3DERR_INVALIDCALL) << "not recording";

    ASSERT_EQ(device_->ApplyStateBlock(token), S_OK);
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_SRCALPHA));
    EXPECT_EQ(StageState(0, D3DTSS_COLORARG2), D3DTA_DIFFUSE);
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ZERO)) << "unrecorded states stay";
}

TEST_F(StateBlockTest, CaptureTakesCurrentValuesOfTheRecordedStatesOnly) {
    ASSERT_EQ(device_->BeginStateBlock(), S_OK);
    device_->SetRenderState(D3DRS_ZENABLE, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    DWORD saved = 0;
    ASSERT_EQ(device_->EndStateBlock(&saved), S_OK);

    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device_->SetRenderState(D3DRS_FOGENABLE, TRUE);
    ASSERT_EQ(device_->CaptureStateBlock(saved), S_OK);  // ZENABLE TRUE, CULLMODE CW
    device_->SetRenderState(D3DRS_ZENABLE, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetRenderState(D3DRS_FOGENABLE, FALSE);
    ASSERT_EQ(device_->ApplyStateBlock(saved), S_OK);
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_TRUE));
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CW));
    EXPECT_EQ(RenderState(D3DRS_FOGENABLE), 0u) << "not in the block";
}

TEST_F(StateBlockTest, SaveAndRestoreAroundADrawLikeTheTextRenderer) {
    ComPtr<IDirect3DTexture8> atlas;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, atlas.Receive()), S_OK);
    DWORD blocks[2] = {};
    for (DWORD& token : blocks) {
        ASSERT_EQ(device_->BeginStateBlock(), S_OK);
        device_->SetTexture(0, atlas.Get());
        device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        device_->SetRenderState(D3DRS_ALPHAREF, 8);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        ASSERT_EQ(device_->EndStateBlock(&token), S_OK);
    }
    EXPECT_NE(blocks[0], blocks[1]);
    EXPECT_EQ(atlas->AddRef(), 4u) << "each block holds the recorded texture";
    atlas->Release();

    ComPtr<IDirect3DTexture8> scene;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, scene.Receive()), S_OK);
    device_->SetTexture(0, scene.Get());
    device_->SetRenderState(D3DRS_ALPHAREF, 100);

    ASSERT_EQ(device_->CaptureStateBlock(blocks[0]), S_OK);
    ASSERT_EQ(device_->ApplyStateBlock(blocks[1]), S_OK);
    IDirect3DBaseTexture8* bound = nullptr;
    device_->GetTexture(0, &bound);
    EXPECT_EQ(bound, atlas.Get());
    if (bound) bound->Release();
    EXPECT_EQ(RenderState(D3DRS_ALPHAREF), 8u);
    EXPECT_EQ(StageState(0, D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_MODULATE));

    ASSERT_EQ(device_->ApplyStateBlock(blocks[0]), S_OK);
    device_->GetTexture(0, &bound);
    EXPECT_EQ(bound, scene.Get());
    if (bound) bound->Release();
    EXPECT_EQ(RenderState(D3DRS_ALPHAREF), 100u);
    EXPECT_EQ(RenderState(D3DRS_ALPHATESTENABLE), 0u);
    EXPECT_EQ(StageState(0, D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_SELECTARG1));

    ASSERT_EQ(device_->DeleteStateBlock(blocks[0]), S_OK);
    EXPECT_EQ(device_->ApplyStateBlock(blocks[0]), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CaptureStateBlock(blocks[0]), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DeleteStateBlock(blocks[0]), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->ApplyStateBlock(0), D3DERR_INVALIDCALL);
}

TEST_F(StateBlockTest, RecordsTransformsLightsMaterialAndViewport) {
    D3DMATRIX world{};
    world._11 = world._22 = world._33 = world._44 = 3;
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_POINT;
    light.Range = 5;
    D3DMATERIAL8 material{};
    material.Power = 7;
    D3DVIEWPORT8 vp{1, 2, 10, 10, 0.0f, 1.0f};
    ASSERT_EQ(device_->BeginStateBlock(), S_OK);
    device_->SetTransform(D3DTS_WORLD2, &world);
    device_->SetLight(3, &light);
    device_->LightEnable(3, TRUE);
    device_->SetMaterial(&material);
    device_->SetViewport(&vp);
    device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL);
    DWORD token = 0;
    ASSERT_EQ(device_->EndStateBlock(&token), S_OK);
    BOOL enabled = TRUE;
    device_->GetLightEnable(3, &enabled);
    EXPECT_FALSE(enabled);
    ASSERT_EQ(device_->ApplyStateBlock(token), S_OK);
    D3DMATRIX m{};
    device_->GetTransform(D3DTS_WORLD2, &m);
    EXPECT_EQ(m._11, 3.0f);
    D3DLIGHT8 l{};
    ASSERT_EQ(device_->GetLight(3, &l), S_OK);
    EXPECT_EQ(l.Type, D3DLIGHT_POINT);
    EXPECT_EQ(l.Range, 5.0f);
    device_->GetLightEnable(3, &enabled);
    EXPECT_TRUE(enabled);
    D3DMATERIAL8 mat{};
    device_->GetMaterial(&mat);
    EXPECT_EQ(mat.Power, 7.0f);
    D3DVIEWPORT8 now{};
    device_->GetViewport(&now);
    EXPECT_EQ(now.X, 1u);
    DWORD fvf = 0;
    device_->GetVertexShader(&fvf);
    EXPECT_EQ(fvf, D3DFVF_XYZ | D3DFVF_NORMAL);
}

TEST_F(StateBlockTest, CreatedBlocksCaptureTheirKindOfState) {
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTCOLOR);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    DWORD all = 0, pixel = 0, vertex = 0;
    ASSERT_EQ(device_->CreateStateBlock(D3DSBT_ALL, &all), S_OK);
    ASSERT_EQ(device_->CreateStateBlock(D3DSBT_PIXELSTATE, &pixel), S_OK);
    ASSERT_EQ(device_->CreateStateBlock(D3DSBT_VERTEXSTATE, &vertex), S_OK);
    EXPECT_EQ(device_->CreateStateBlock(static_cast<D3DSTATEBLOCKTYPE>(9), &all), D3DERR_INVALIDCALL);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    ASSERT_EQ(device_->ApplyStateBlock(pixel), S_OK);
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_DESTCOLOR));
    EXPECT_EQ(RenderState(D3DRS_LIGHTING), 1u) << "lighting is vertex state";
    ASSERT_EQ(device_->ApplyStateBlock(vertex), S_OK);
    EXPECT_EQ(RenderState(D3DRS_LIGHTING), 0u);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    ASSERT_EQ(device_->ApplyStateBlock(all), S_OK);
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_DESTCOLOR));
    EXPECT_EQ(RenderState(D3DRS_LIGHTING), 0u);
}

}  // namespace
}  // namespace devicetest

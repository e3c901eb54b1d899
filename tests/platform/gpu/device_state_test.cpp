// Device front: the state of a fresh device, argument checks, transforms, capabilities.
#include <cstring>
#include <utility>

#include "tests/platform/gpu/device_fixture.h"

namespace devicetest {
namespace {

float AsFloat(DWORD d) {
    float f;
    std::memcpy(&f, &d, 4);
    return f;
}

D3DMATRIX Translation(float x, float y, float z) {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1;
    m._41 = x;
    m._42 = y;
    m._43 = z;
    return m;
}

D3DMATRIX Scaling(float s) {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = s;
    m._44 = 1;
    return m;
}

using DefaultsTest = DeviceTest;

TEST_F(DefaultsTest, RenderStatesOfAFreshDevice) {
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_TRUE));
    EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), 1u);
    EXPECT_EQ(RenderState(D3DRS_ZFUNC), static_cast<DWORD>(D3DCMP_LESSEQUAL));
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ZERO));
    EXPECT_EQ(RenderState(D3DRS_ALPHATESTENABLE), 0u);
    EXPECT_EQ(RenderState(D3DRS_ALPHAFUNC), static_cast<DWORD>(D3DCMP_ALWAYS));
    EXPECT_EQ(RenderState(D3DRS_ALPHAREF), 0u);
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(RenderState(D3DRS_FILLMODE), static_cast<DWORD>(D3DFILL_SOLID));
    EXPECT_EQ(RenderState(D3DRS_SHADEMODE), static_cast<DWORD>(D3DSHADE_GOURAUD));
    EXPECT_EQ(RenderState(D3DRS_LIGHTING), 1u);
    EXPECT_EQ(RenderState(D3DRS_SPECULARENABLE), 0u);
    EXPECT_EQ(RenderState(D3DRS_LOCALVIEWER), 1u);
    EXPECT_EQ(RenderState(D3DRS_NORMALIZENORMALS), 0u);
    EXPECT_EQ(RenderState(D3DRS_AMBIENT), 0u);
    EXPECT_EQ(RenderState(D3DRS_COLORVERTEX), 1u);
    EXPECT_EQ(RenderState(D3DRS_DIFFUSEMATERIALSOURCE), static_cast<DWORD>(D3DMCS_COLOR1));
    EXPECT_EQ(RenderState(D3DRS_SPECULARMATERIALSOURCE), static_cast<DWORD>(D3DMCS_COLOR2));
    EXPECT_EQ(RenderState(D3DRS_AMBIENTMATERIALSOURCE), static_cast<DWORD>(D3DMCS_MATERIAL));
    EXPECT_EQ(RenderState(D3DRS_EMISSIVEMATERIALSOURCE), static_cast<DWORD>(D3DMCS_MATERIAL));
    EXPECT_EQ(RenderState(D3DRS_FOGENABLE), 0u);
    EXPECT_EQ(RenderState(D3DRS_FOGCOLOR), 0u);
    EXPECT_EQ(RenderState(D3DRS_FOGTABLEMODE), static_cast<DWORD>(D3DFOG_NONE));
    EXPECT_FLOAT_EQ(AsFloat(RenderState(D3DRS_FOGDENSITY)), 1.0f);
    EXPECT_EQ(RenderState(D3DRS_CLIPPING), 1u);
    EXPECT_EQ(RenderState(D3DRS_VERTEXBLEND), static_cast<DWORD>(D3DVBF_DISABLE));
    EXPECT_EQ(RenderState(D3DRS_DITHERENABLE), 0u);
}

TEST_F(DefaultsTest, TextureStagesLightsMaterialAndTransforms) {
    EXPECT_EQ(StageState(0, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
    EXPECT_EQ(StageState(0, D3DTSS_COLORARG1), D3DTA_TEXTURE);
    EXPECT_EQ(StageState(0, D3DTSS_COLORARG2), D3DTA_CURRENT);
    EXPECT_EQ(StageState(0, D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_SELECTARG1));
    EXPECT_EQ(StageState(0, D3DTSS_ALPHAARG1), D3DTA_TEXTURE);
    EXPECT_EQ(StageState(0, D3DTSS_ALPHAARG2), D3DTA_CURRENT);
    EXPECT_EQ(StageState(0, D3DTSS_MINFILTER), static_cast<DWORD>(D3DTEXF_POINT));
    EXPECT_EQ(StageState(0, D3DTSS_MAGFILTER), static_cast<DWORD>(D3DTEXF_POINT));
    EXPECT_EQ(StageState(0, D3DTSS_MIPFILTER), static_cast<DWORD>(D3DTEXF_NONE));
    EXPECT_EQ(StageState(0, D3DTSS_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_WRAP));
    EXPECT_EQ(StageState(0, D3DTSS_ADDRESSV), static_cast<DWORD>(D3DTADDRESS_WRAP));
    EXPECT_EQ(StageState(0, D3DTSS_TEXCOORDINDEX), 0u);
    for (DWORD stage = 1; stage < 8; ++stage) {
        EXPECT_EQ(StageState(stage, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_DISABLE)) << stage;
        EXPECT_EQ(StageState(stage, D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_DISABLE)) << stage;
    }
    for (DWORD i = 0; i < 8; ++i) {
        BOOL enabled = TRUE;
        EXPECT_EQ(device_->GetLightEnable(i, &enabled), S_OK);
        EXPECT_FALSE(enabled) << i;
    }
    D3DMATERIAL8 material;
    std::memset(&material, 0xAB, sizeof material);
    EXPECT_EQ(device_->GetMaterial(&material), S_OK);
    const D3DMATERIAL8 zero{};
    EXPECT_EQ(std::memcmp(&material, &zero, sizeof zero), 0);
    const D3DMATRIX identity = Scaling(1);
    for (auto t : {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_WORLD1, D3DTS_WORLD3}) {
        D3DMATRIX m{};
        EXPECT_EQ(device_->GetTransform(t, &m), S_OK);
        EXPECT_EQ(std::memcmp(&m, &identity, sizeof m), 0) << t;
    }
    D3DVIEWPORT8 vp{};
    EXPECT_EQ(device_->GetViewport(&vp), S_OK);
    EXPECT_EQ(vp.X, 0u);
    EXPECT_EQ(vp.Y, 0u);
    EXPECT_EQ(vp.Width, kWidth);
    EXPECT_EQ(vp.Height, kHeight);
    EXPECT_EQ(vp.MinZ, 0.0f);
    EXPECT_EQ(vp.MaxZ, 1.0f);
    IDirect3DBaseTexture8* texture = reinterpret_cast<IDirect3DBaseTexture8*>(1);
    EXPECT_EQ(device_->GetTexture(0, &texture), S_OK);
    EXPECT_EQ(texture, nullptr);
}

using ArgumentTest = DeviceTest;

TEST_F(ArgumentTest, OutOfRangeStatesAndNullPointersAreRejected) {
    DWORD value = 0;
    EXPECT_EQ(device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(256), 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->GetRenderState(static_cast<D3DRENDERSTATETYPE>(1000), &value), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->GetRenderState(D3DRS_ZENABLE, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetTextureStageState(8, D3DTSS_COLOROP, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(32), 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetTexture(8, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(260), nullptr), D3DERR_INVALIDCALL);
    const D3DMATRIX m = Scaling(2);
    EXPECT_EQ(device_->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(5), &m), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetTransform(D3DTS_WORLDMATRIX(4), &m), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetLight(8, nullptr), D3DERR_INVALIDCALL);
    D3DLIGHT8 light{};
    light.Type = static_cast<D3DLIGHTTYPE>(7);
    EXPECT_EQ(device_->SetLight(0, &light), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->GetLight(0, &light), D3DERR_INVALIDCALL) << "a light never set has nothing to get";
    EXPECT_EQ(device_->LightEnable(8, TRUE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetVertexShader(D3DFVF_NORMAL), D3DERR_INVALIDCALL) << "no position";
    EXPECT_EQ(device_->SetStreamSource(1, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1, 0), D3DERR_INVALIDCALL);
}

TEST_F(ArgumentTest, ViewportMustLieInsideTheBackBuffer) {
    D3DVIEWPORT8 inside{8, 4, kWidth - 8, kHeight - 4, 0.0f, 1.0f};
    EXPECT_EQ(device_->SetViewport(&inside), S_OK);
    D3DVIEWPORT8 wide{8, 0, kWidth, kHeight, 0.0f, 1.0f};
    EXPECT_EQ(device_->SetViewport(&wide), D3DERR_INVALIDCALL);
    D3DVIEWPORT8 empty{0, 0, 0, kHeight, 0.0f, 1.0f};
    EXPECT_EQ(device_->SetViewport(&empty), D3DERR_INVALIDCALL);
    D3DVIEWPORT8 depth{0, 0, kWidth, kHeight, 0.0f, 2.0f};
    EXPECT_EQ(device_->SetViewport(&depth), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetViewport(nullptr), D3DERR_INVALIDCALL);
    D3DVIEWPORT8 now{};
    device_->GetViewport(&now);
    EXPECT_EQ(now.X, 8u) << "rejected viewports leave the last good one";
    EXPECT_EQ(now.Width, kWidth - 8);
}

TEST_F(ArgumentTest, SceneBracketsDoNotNest) {
    EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->BeginScene(), S_OK);
    EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->EndScene(), S_OK);
}

TEST_F(ArgumentTest, DrawsWithoutStreamOrPastTheBufferFail) {
    ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZ), S_OK);
    const float quadMemory[12] = {};
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    ComPtr<IDirect3DVertexBuffer8> vb;
    ASSERT_EQ(device_->CreateVertexBuffer(3 * 12, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, vb.Receive()), S_OK);
    ASSERT_EQ(device_->SetStreamSource(0, vb.Get(), 12), S_OK);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), S_OK);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(9), 0, 1), D3DERR_INVALIDCALL);
    // Counts whose vertex count would overflow 32 bits.
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 0x55555556u), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 0x55555556u, quadMemory, 12), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL) << "no indices";
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, nullptr, 12), D3DERR_INVALIDCALL);
    const WORD indices[3] = {0, 1, 2};
    const float vertices[9] = {};
    EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, indices, D3DFMT_A8, vertices, 12),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, indices, D3DFMT_INDEX16, vertices, 12), S_OK);
}

using TransformTest = DeviceTest;

TEST_F(TransformTest, MultiplyTransformAppliesTheGivenMatrixFirst) {
    const D3DMATRIX stored = Translation(10, 0, 0);
    const D3DMATRIX given = Scaling(2);
    ASSERT_EQ(device_->SetTransform(D3DTS_WORLD1, &stored), S_OK);
    ASSERT_EQ(device_->MultiplyTransform(D3DTS_WORLD1, &given), S_OK);
    D3DMATRIX m{};
    ASSERT_EQ(device_->GetTransform(D3DTS_WORLD1, &m), S_OK);
    // given x stored: scale, then translate, so the translation stays 10 (not 20).
    EXPECT_FLOAT_EQ(m._11, 2.0f);
    EXPECT_FLOAT_EQ(m._41, 10.0f);
    // WORLD and world matrix 0 are the same slot.
    ASSERT_EQ(device_->SetTransform(D3DTS_WORLDMATRIX(0), &stored), S_OK);
    ASSERT_EQ(device_->GetTransform(D3DTS_WORLD, &m), S_OK);
    EXPECT_FLOAT_EQ(m._41, 10.0f);
}

using CapsTest = DeviceTest;

TEST_F(CapsTest, ReportsWhatTheEngineReadsAndCanBeOverridden) {
    D3DCAPS8 caps{};
    ASSERT_EQ(device_->GetDeviceCaps(&caps), S_OK);
    EXPECT_EQ(caps.MaxVertexBlendMatrices, 4u);
    EXPECT_GE(caps.MaxActiveLights, 8u);
    EXPECT_GE(caps.MaxTextureWidth, 2048u);
    EXPECT_EQ(caps.MaxTextureWidth, caps.MaxTextureHeight);
    EXPECT_GE(caps.MaxSimultaneousTextures, 1u);
    EXPECT_GE(caps.MaxTextureBlendStages, 2u);
    EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_HAL);
    EXPECT_NE(caps.SrcBlendCaps & D3DPBLENDCAPS_SRCALPHA, 0u);
    caps.MaxTextureWidth = 512;
    caps.MaxVertexBlendMatrices = 2;
    device_->OverrideDeviceCaps(caps);
    D3DCAPS8 now{};
    ASSERT_EQ(device_->GetDeviceCaps(&now), S_OK);
    EXPECT_EQ(now.MaxTextureWidth, 512u);
    EXPECT_EQ(now.MaxVertexBlendMatrices, 2u);
    EXPECT_EQ(device_->GetDeviceCaps(nullptr), D3DERR_INVALIDCALL);
}

// The comparison, blend and texture-operation caps hold one bit per value of their enumeration,
// from 1 up; the device can do every one of them.
TEST_F(CapsTest, EveryComparisonBlendAndTextureOperationHasItsBit) {
    D3DCAPS8 caps{};
    ASSERT_EQ(device_->GetDeviceCaps(&caps), S_OK);
    const std::pair<DWORD, DWORD> comparisons[] = {
        {D3DCMP_NEVER, D3DPCMPCAPS_NEVER},       {D3DCMP_LESS, D3DPCMPCAPS_LESS},
        {D3DCMP_EQUAL, D3DPCMPCAPS_EQUAL},       {D3DCMP_LESSEQUAL, D3DPCMPCAPS_LESSEQUAL},
        {D3DCMP_GREATER, D3DPCMPCAPS_GREATER},   {D3DCMP_NOTEQUAL, D3DPCMPCAPS_NOTEQUAL},
        {D3DCMP_GREATEREQUAL, D3DPCMPCAPS_GREATEREQUAL}, {D3DCMP_ALWAYS, D3DPCMPCAPS_ALWAYS}};
    for (auto [func, bit] : comparisons) {
        EXPECT_EQ(bit, 1u << (func - 1)) << "comparison " << func;
        EXPECT_NE(caps.ZCmpCaps & bit, 0u) << "comparison " << func;
        EXPECT_NE(caps.AlphaCmpCaps & bit, 0u) << "comparison " << func;
    }
    const std::pair<DWORD, DWORD> blends[] = {
        {D3DBLEND_ZERO, D3DPBLENDCAPS_ZERO},
        {D3DBLEND_ONE, D3DPBLENDCAPS_ONE},
        {D3DBLEND_SRCCOLOR, D3DPBLENDCAPS_SRCCOLOR},
        {D3DBLEND_INVSRCCOLOR, D3DPBLENDCAPS_INVSRCCOLOR},
        {D3DBLEND_SRCALPHA, D3DPBLENDCAPS_SRCALPHA},
        {D3DBLEND_INVSRCALPHA, D3DPBLENDCAPS_INVSRCALPHA},
        {D3DBLEND_DESTALPHA, D3DPBLENDCAPS_DESTALPHA},
        {D3DBLEND_INVDESTALPHA, D3DPBLENDCAPS_INVDESTALPHA},
        {D3DBLEND_DESTCOLOR, D3DPBLENDCAPS_DESTCOLOR},
        {D3DBLEND_INVDESTCOLOR, D3DPBLENDCAPS_INVDESTCOLOR},
        {D3DBLEND_SRCALPHASAT, D3DPBLENDCAPS_SRCALPHASAT},
        {D3DBLEND_BOTHSRCALPHA, D3DPBLENDCAPS_BOTHSRCALPHA},
        {D3DBLEND_BOTHINVSRCALPHA, D3DPBLENDCAPS_BOTHINVSRCALPHA}};
    for (auto [blend, bit] : blends) {
        EXPECT_EQ(bit, 1u << (blend - 1)) << "blend " << blend;
        EXPECT_NE(caps.SrcBlendCaps & bit, 0u) << "blend " << blend;
        EXPECT_NE(caps.DestBlendCaps & bit, 0u) << "blend " << blend;
    }
    const std::pair<DWORD, DWORD> ops[] = {
        {D3DTOP_DISABLE, D3DTEXOPCAPS_DISABLE},
        {D3DTOP_SELECTARG1, D3DTEXOPCAPS_SELECTARG1},
        {D3DTOP_SELECTARG2, D3DTEXOPCAPS_SELECTARG2},
        {D3DTOP_MODULATE, D3DTEXOPCAPS_MODULATE},
        {D3DTOP_MODULATE2X, D3DTEXOPCAPS_MODULATE2X},
        {D3DTOP_MODULATE4X, D3DTEXOPCAPS_MODULATE4X},
        {D3DTOP_ADD, D3DTEXOPCAPS_ADD},
        {D3DTOP_ADDSIGNED, D3DTEXOPCAPS_ADDSIGNED},
        {D3DTOP_ADDSIGNED2X, D3DTEXOPCAPS_ADDSIGNED2X},
        {D3DTOP_SUBTRACT, D3DTEXOPCAPS_SUBTRACT},
        {D3DTOP_ADDSMOOTH, D3DTEXOPCAPS_ADDSMOOTH},
        {D3DTOP_BLENDDIFFUSEALPHA, D3DTEXOPCAPS_BLENDDIFFUSEALPHA},
        {D3DTOP_BLENDTEXTUREALPHA, D3DTEXOPCAPS_BLENDTEXTUREALPHA},
        {D3DTOP_BLENDFACTORALPHA, D3DTEXOPCAPS_BLENDFACTORALPHA},
        {D3DTOP_BLENDTEXTUREALPHAPM, D3DTEXOPCAPS_BLENDTEXTUREALPHAPM},
        {D3DTOP_BLENDCURRENTALPHA, D3DTEXOPCAPS_BLENDCURRENTALPHA}};
    for (auto [op, bit] : ops) {
        EXPECT_EQ(bit, 1u << (op - 1)) << "texture operation " << op;
        EXPECT_NE(caps.TextureOpCaps & bit, 0u) << "texture operation " << op;
    }
    EXPECT_EQ(caps.FVFCaps & D3DFVFCAPS_TEXCOORDCOUNTMASK, D3D_MAX_TEXTURE_STAGES) << "texture coordinate sets";
}

// The largest draw the caps allow is accepted, one primitive more is not, whatever the buffer holds.
TEST_F(CapsTest, MaxPrimitiveCountIsTheLargestDrawAccepted) {
    D3DCAPS8 caps{};
    ASSERT_EQ(device_->GetDeviceCaps(&caps), S_OK);
    const DWORD most = caps.MaxPrimitiveCount;
    ASSERT_GT(most, 0u);
    ComPtr<IDirect3DVertexBuffer8> vb;
    ASSERT_EQ(device_->CreateVertexBuffer((most + 1) * 12, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, vb.Receive()), S_OK);
    ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZ), S_OK);
    ASSERT_EQ(device_->SetStreamSource(0, vb.Get(), 12), S_OK);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_POINTLIST, 0, most), S_OK);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_POINTLIST, 0, most + 1), D3DERR_INVALIDCALL);
}

using CursorTest = DeviceTest;

TEST_F(CursorTest, ShowCursorAnswersWhetherTheCursorWasShown) {
    EXPECT_EQ(device_->ShowCursor(FALSE), TRUE) << "shown at first";
    EXPECT_EQ(device_->ShowCursor(5), FALSE);
    EXPECT_EQ(device_->ShowCursor(TRUE), TRUE) << "any non-zero value shows it";
    EXPECT_EQ(device_->ShowCursor(FALSE), TRUE);
}

using PipelineCacheTest = DeviceTest;

TEST_F(PipelineCacheTest, ProgramsAreBuiltOncePerStateCombination) {
    struct V {
        float x, y, z, rhw;
        D3DCOLOR c;
    };
    const V quad[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xFFFF0000}, {9.5f, -0.5f, 0.5f, 1, 0xFFFF0000},
                       {-0.5f, 9.5f, 0.5f, 1, 0xFFFF0000}, {9.5f, 9.5f, 0.5f, 1, 0xFFFF0000}};
    ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE), S_OK);
    device_->ResetDrawStats();
    for (int i = 0; i < 10; ++i) {
        device_->SetRenderState(D3DRS_ALPHATESTENABLE, i % 2);
        device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        device_->SetRenderState(D3DRS_LIGHTING, TRUE);  // redundant
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(V)), S_OK);
    }
    D3DDRAWSTATS stats{};
    device_->GetDrawStats(&stats);
    EXPECT_EQ(stats.drawCalls, 10u);
    EXPECT_EQ(stats.primitives, 20u);
    EXPECT_EQ(stats.programsBuilt, 2u) << "alpha test on and off";
    EXPECT_EQ(stats.programSwitches, 10u);
    EXPECT_EQ(Pixel(5, 5), 0xFFFF0000u);
}

}  // namespace
}  // namespace devicetest

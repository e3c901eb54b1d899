// State blocks: recording, applying, capturing and deleting.
#include <vector>

#include "platform/gpu/state_block.h"
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

// References held on `object`, besides the one being asked with.
template <class T>
auto Refs(T* object) {
    object->AddRef();
    return object->Release();
}

D3DMATRIX Scaled(float s) {
    D3DMATRIX m{};
    m._11 = s;
    m._22 = m._33 = m._44 = 1;
    return m;
}

// Transform types the device keeps.
std::vector<D3DTRANSFORMSTATETYPE> KeptTransforms() {
    std::vector<D3DTRANSFORMSTATETYPE> kept = {D3DTS_VIEW, D3DTS_PROJECTION};
    for (DWORD t = D3DTS_TEXTURE0; t <= D3DTS_TEXTURE7; ++t) kept.push_back(static_cast<D3DTRANSFORMSTATETYPE>(t));
    for (DWORD w = 0; w < 4; ++w) kept.push_back(D3DTS_WORLDMATRIX(w));
    return kept;
}

// Two sets of values for every state a block can hold; `Set(k)` puts set k on the device.
class TwoStates {
public:
    explicit TwoStates(IDirect3DDevice8* d) : d_(d) {
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(d->CreateTexture(4, 4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, texture[k].Receive()), S_OK);
            EXPECT_EQ(d->CreateVertexBuffer(256, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, vertices[k].Receive()), S_OK);
            EXPECT_EQ(d->CreateIndexBuffer(64, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, indices[k].Receive()), S_OK);
        }
    }
    static DWORD RenderValue(int k, DWORD state) { return 0x1000u * (k + 1) + state; }
    static DWORD StageValue(int k, DWORD stage, DWORD type) { return 0x100000u * (k + 1) + stage * 64 + type; }
    static float Range(int k, DWORD light) { return 10.0f * (k + 1) + static_cast<float>(light); }
    static BOOL Enabled(int k, DWORD light) { return (light + static_cast<DWORD>(k)) % 2 == 0; }

    void Set(int k) {
        for (DWORD s = 0; s < D3D_RENDERSTATE_COUNT; ++s)
            ASSERT_EQ(d_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(s), RenderValue(k, s)), S_OK);
        for (DWORD stage = 0; stage < D3D_MAX_TEXTURE_STAGES; ++stage) {
            for (DWORD t = 0; t < D3D_TEXTURESTAGESTATE_COUNT; ++t)
                ASSERT_EQ(d_->SetTextureStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(t), StageValue(k, stage, t)),
                          S_OK);
            ASSERT_EQ(d_->SetTexture(stage, texture[k].Get()), S_OK);
        }
        for (D3DTRANSFORMSTATETYPE t : KeptTransforms()) {
            const D3DMATRIX m = Scaled(static_cast<float>(k + 2) + static_cast<float>(t) / 1000.0f);
            ASSERT_EQ(d_->SetTransform(t, &m), S_OK);
        }
        for (DWORD i = 0; i < 8; ++i) {
            D3DLIGHT8 light{};
            light.Type = D3DLIGHT_POINT;
            light.Range = Range(k, i);
            ASSERT_EQ(d_->SetLight(i, &light), S_OK);
            ASSERT_EQ(d_->LightEnable(i, Enabled(k, i)), S_OK);
        }
        D3DMATERIAL8 material{};
        material.Power = static_cast<float>(k + 1);
        ASSERT_EQ(d_->SetMaterial(&material), S_OK);
        const D3DVIEWPORT8 vp{static_cast<DWORD>(k), 0, 8, 8, 0.0f, 1.0f};
        ASSERT_EQ(d_->SetViewport(&vp), S_OK);
        ASSERT_EQ(d_->SetVertexShader(k == 0 ? D3DFVF_XYZ | D3DFVF_NORMAL : D3DFVF_XYZ), S_OK);
        ASSERT_EQ(d_->SetStreamSource(0, vertices[k].Get(), 12), S_OK);
        ASSERT_EQ(d_->SetIndices(indices[k].Get(), static_cast<UINT>(k)), S_OK);
    }

    ComPtr<IDirect3DTexture8> texture[2];
    ComPtr<IDirect3DVertexBuffer8> vertices[2];
    ComPtr<IDirect3DIndexBuffer8> indices[2];

private:
    IDirect3DDevice8* d_;
};

// For every entry of every family: a block made of one kind holds exactly its kind's entries.
// Set 0 is captured, set 1 put on the device, the block applied; each entry then shows set 0
// when the block holds it and set 1 when it does not.
TEST_F(StateBlockTest, EachKindOfCreatedBlockHoldsExactlyItsStates) {
    for (D3DSTATEBLOCKTYPE type : {D3DSBT_ALL, D3DSBT_PIXELSTATE, D3DSBT_VERTEXSTATE}) {
        SCOPED_TRACE(testing::Message() << "block type " << type);
        const bool all = type == D3DSBT_ALL, pixel = type == D3DSBT_PIXELSTATE, vertex = type == D3DSBT_VERTEXSTATE;
        TwoStates states(device_.Get());
        ASSERT_NO_FATAL_FAILURE(states.Set(0));
        DWORD token = 0;
        ASSERT_EQ(device_->CreateStateBlock(type, &token), S_OK);
        ASSERT_NO_FATAL_FAILURE(states.Set(1));
        ASSERT_EQ(device_->ApplyStateBlock(token), S_OK);
        auto shown = [](bool held) { return held ? 0 : 1; };

        for (DWORD s = 0; s < D3D_RENDERSTATE_COUNT; ++s) {
            const bool held = all || (pixel && gpu::IsPixelRenderState(s)) || (vertex && gpu::IsVertexRenderState(s));
            EXPECT_EQ(RenderState(static_cast<D3DRENDERSTATETYPE>(s)), TwoStates::RenderValue(shown(held), s))
                << "render state " << s;
        }
        for (DWORD stage = 0; stage < D3D_MAX_TEXTURE_STAGES; ++stage) {
            for (DWORD t = 0; t < D3D_TEXTURESTAGESTATE_COUNT; ++t) {
                const bool vertexStage = t == D3DTSS_TEXCOORDINDEX || t == D3DTSS_TEXTURETRANSFORMFLAGS;
                const bool held = all || (pixel && !vertexStage) || (vertex && vertexStage);
                EXPECT_EQ(StageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(t)),
                          TwoStates::StageValue(shown(held), stage, t))
                    << "stage " << stage << " state " << t;
            }
            IDirect3DBaseTexture8* bound = nullptr;
            ASSERT_EQ(device_->GetTexture(stage, &bound), S_OK);
            EXPECT_EQ(bound, states.texture[shown(all)].Get()) << "texture of stage " << stage;
            if (bound) bound->Release();
        }
        for (D3DTRANSFORMSTATETYPE t : KeptTransforms()) {
            D3DMATRIX m{};
            ASSERT_EQ(device_->GetTransform(t, &m), S_OK);
            EXPECT_EQ(m._11, static_cast<float>(shown(all) + 2) + static_cast<float>(t) / 1000.0f) << "transform " << t;
        }
        for (DWORD i = 0; i < 8; ++i) {
            D3DLIGHT8 light{};
            ASSERT_EQ(device_->GetLight(i, &light), S_OK);
            EXPECT_EQ(light.Range, TwoStates::Range(shown(all || vertex), i)) << "light " << i;
            BOOL enabled = FALSE;
            ASSERT_EQ(device_->GetLightEnable(i, &enabled), S_OK);
            EXPECT_EQ(enabled, TwoStates::Enabled(shown(all || vertex), i)) << "light enable " << i;
        }
        D3DMATERIAL8 material{};
        ASSERT_EQ(device_->GetMaterial(&material), S_OK);
        EXPECT_EQ(material.Power, static_cast<float>(shown(all) + 1));
        D3DVIEWPORT8 vp{};
        ASSERT_EQ(device_->GetViewport(&vp), S_OK);
        EXPECT_EQ(vp.X, static_cast<DWORD>(shown(all)));
        DWORD fvf = 0;
        ASSERT_EQ(device_->GetVertexShader(&fvf), S_OK);
        EXPECT_EQ(fvf, all || vertex ? DWORD{D3DFVF_XYZ | D3DFVF_NORMAL} : DWORD{D3DFVF_XYZ});
        // The buffers of set 1 are held by the test, and by the device when the block left them.
        EXPECT_EQ(Refs(states.vertices[1].Get()), all ? 1u : 2u);
        EXPECT_EQ(Refs(states.indices[1].Get()), all ? 1u : 2u);
        EXPECT_EQ(Refs(states.vertices[0].Get()), all ? 3u : 1u) << "the test, the block and the device";
        ASSERT_EQ(device_->DeleteStateBlock(token), S_OK);
    }
}

TEST_F(StateBlockTest, RecordedBuffersAreHeldByTheBlockAndBoundWhenApplied) {
    ComPtr<IDirect3DVertexBuffer8> vb;
    ComPtr<IDirect3DIndexBuffer8> ib;
    ASSERT_EQ(device_->CreateVertexBuffer(3 * 12, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, vb.Receive()), S_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(3 * 2, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, ib.Receive()), S_OK);
    ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZ), S_OK);
    ASSERT_EQ(device_->BeginStateBlock(), S_OK);
    ASSERT_EQ(device_->SetStreamSource(0, vb.Get(), 12), S_OK);
    ASSERT_EQ(device_->SetIndices(ib.Get(), 0), S_OK);
    DWORD token = 0;
    ASSERT_EQ(device_->EndStateBlock(&token), S_OK);
    EXPECT_EQ(Refs(vb.Get()), 2u) << "the test and the block";
    EXPECT_EQ(Refs(ib.Get()), 2u);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL) << "nothing bound yet";

    ASSERT_EQ(device_->ApplyStateBlock(token), S_OK);
    EXPECT_EQ(Refs(vb.Get()), 3u) << "bound as well";
    EXPECT_EQ(Refs(ib.Get()), 3u);
    ASSERT_EQ(device_->BeginScene(), S_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), S_OK);
    ASSERT_EQ(device_->EndScene(), S_OK);
    ASSERT_EQ(device_->DeleteStateBlock(token), S_OK);
    EXPECT_EQ(Refs(vb.Get()), 2u);
}

}  // namespace
}  // namespace devicetest

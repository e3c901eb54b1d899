// State blocks: what BeginStateBlock ... EndStateBlock records, CaptureStateBlock refreshes
// and ApplyStateBlock puts back, seen both through the Get calls and in the pixels.
#include "tests/platform/gpu/headless_fixture.h"

namespace pixeltest {
namespace {

constexpr D3DCOLOR kBackground = D3DCOLOR_XRGB(0x00, 0x00, 0x80);

class StateBlockTest : public HeadlessDeviceTest {
protected:
    void SetUp() override {
        HeadlessDeviceTest::SetUp();
        if (HasFatalFailure()) return;
        red_ = SolidTexture(D3DCOLOR_XRGB(0xFF, 0x00, 0x00));
        green_ = SolidTexture(D3DCOLOR_XRGB(0x00, 0xFF, 0x00));
        ASSERT_TRUE(red_ && green_);
    }

    ComPtr<IDirect3DTexture8> SolidTexture(D3DCOLOR colour) {
        auto texture = MakeTexture(2, 2, 1, D3DFMT_A8R8G8B8);
        if (texture) FillLevel<std::uint32_t>(texture.Get(), 0, 2, 2, {colour, colour, colour, colour});
        return texture;
    }

    // The states the block under test records: additive blending, stage 0 showing only its
    // texture, and the red texture.
    DWORD RecordAdditiveRed() {
        DWORD token = 0;
        EXPECT_TRUE(SUCCEEDED(device_->BeginStateBlock()));
        device_->SetTexture(0, red_.Get());
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        EXPECT_TRUE(SUCCEEDED(device_->EndStateBlock(&token)));
        return token;
    }

    // Plain states: no blending, stage 0 showing the diffuse colour, no texture.
    void SetPlainStates() {
        Set(D3DRS_ALPHABLENDENABLE, FALSE);
        Set(D3DRS_SRCBLEND, D3DBLEND_ONE);
        Set(D3DRS_DESTBLEND, D3DBLEND_ZERO);
        SetStage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
        ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, nullptr)));
    }

    // Draws a textured quad with a grey diffuse colour over the blue background.
    std::uint32_t DrawProbe() {
        Begin();
        Clear(kBackground);
        DrawRhwTexQuad(10, 10, 20, 20, D3DCOLOR_XRGB(0x40, 0x40, 0x40));
        End();
        return Capture().At(20, 20);
    }

    DWORD Get(D3DRENDERSTATETYPE state) {
        DWORD value = 0xDEAD;
        EXPECT_TRUE(SUCCEEDED(device_->GetRenderState(state, &value)));
        return value;
    }
    DWORD GetStage(D3DTEXTURESTAGESTATETYPE type) {
        DWORD value = 0xDEAD;
        EXPECT_TRUE(SUCCEEDED(device_->GetTextureStageState(0, type, &value)));
        return value;
    }
    IDirect3DBaseTexture8* BoundTexture() {
        IDirect3DBaseTexture8* texture = nullptr;
        EXPECT_TRUE(SUCCEEDED(device_->GetTexture(0, &texture)));
        if (texture) texture->Release();  // only the identity is compared
        return texture;
    }

    ComPtr<IDirect3DTexture8> red_, green_;
};

TEST_F(StateBlockTest, ApplyPutsBackWhatWasRecorded) {
    DWORD token = RecordAdditiveRed();
    ASSERT_NE(token, 0u);
    SetPlainStates();
    EXPECT_TRUE(ColourNear(DrawProbe(), D3DCOLOR_XRGB(0x40, 0x40, 0x40))) << "plain states before Apply";

    ASSERT_TRUE(SUCCEEDED(device_->ApplyStateBlock(token)));
    EXPECT_EQ(Get(D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(Get(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_EQ(GetStage(D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_SELECTARG1));
    EXPECT_EQ(BoundTexture(), red_.Get());
    // Red texture added onto the blue background.
    EXPECT_TRUE(ColourNear(DrawProbe(), D3DCOLOR_XRGB(0xFF, 0x00, 0x80)));
    device_->SetTexture(0, nullptr);
    device_->DeleteStateBlock(token);
}

TEST_F(StateBlockTest, ApplyLeavesUnrecordedStatesAlone) {
    DWORD token = RecordAdditiveRed();
    Set(D3DRS_CULLMODE, D3DCULL_NONE);
    SetStage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    Set(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    ASSERT_TRUE(SUCCEEDED(device_->ApplyStateBlock(token)));
    EXPECT_EQ(Get(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));
    EXPECT_EQ(Get(D3DRS_ZFUNC), static_cast<DWORD>(D3DCMP_ALWAYS));
    EXPECT_EQ(GetStage(D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_SELECTARG2));
    device_->SetTexture(0, nullptr);
    device_->DeleteStateBlock(token);
}

TEST_F(StateBlockTest, CaptureTakesTheCurrentValuesOfTheRecordedStates) {
    DWORD token = RecordAdditiveRed();
    // Other values for the same states, captured into the block.
    Set(D3DRS_ALPHABLENDENABLE, TRUE);
    Set(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    Set(D3DRS_DESTBLEND, D3DBLEND_ONE);
    SetStage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, green_.Get())));
    ASSERT_TRUE(SUCCEEDED(device_->CaptureStateBlock(token)));
    SetPlainStates();
    ASSERT_TRUE(SUCCEEDED(device_->ApplyStateBlock(token)));
    EXPECT_EQ(Get(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ZERO));
    EXPECT_EQ(BoundTexture(), green_.Get());
    // ZERO / ONE keeps the background.
    EXPECT_TRUE(ColourNear(DrawProbe(), kBackground));
    // A state outside the block was not captured: changing it and applying keeps the change.
    Set(D3DRS_CULLMODE, D3DCULL_CW);
    ASSERT_TRUE(SUCCEEDED(device_->ApplyStateBlock(token)));
    EXPECT_EQ(Get(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CW));
    device_->SetTexture(0, nullptr);
    device_->DeleteStateBlock(token);
}

TEST_F(StateBlockTest, SaveAndRestoreAroundDrawing) {
    // Two blocks with the same contents: one saves the caller's states, one sets the drawing
    // states; after drawing the saved block puts the caller's states back.
    DWORD saved = RecordAdditiveRed();
    DWORD drawing = RecordAdditiveRed();
    SetPlainStates();
    SetStage(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    ASSERT_TRUE(SUCCEEDED(device_->CaptureStateBlock(saved)));
    ASSERT_TRUE(SUCCEEDED(device_->ApplyStateBlock(drawing)));
    EXPECT_TRUE(ColourNear(DrawProbe(), D3DCOLOR_XRGB(0xFF, 0x00, 0x80)));
    ASSERT_TRUE(SUCCEEDED(device_->ApplyStateBlock(saved)));
    EXPECT_EQ(Get(D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(FALSE));
    EXPECT_EQ(GetStage(D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
    EXPECT_EQ(BoundTexture(), nullptr);
    // No texture and MODULATE: the diffuse colour alone.
    EXPECT_TRUE(ColourNear(DrawProbe(), D3DCOLOR_XRGB(0x40, 0x40, 0x40)));
    device_->DeleteStateBlock(saved);
    device_->DeleteStateBlock(drawing);
}

TEST_F(StateBlockTest, RecordedTextureStaysAliveWhileTheBlockHoldsIt) {
    auto blue = SolidTexture(D3DCOLOR_XRGB(0x00, 0x00, 0xFF));
    ASSERT_TRUE(blue);
    DWORD token = 0;
    ASSERT_TRUE(SUCCEEDED(device_->BeginStateBlock()));
    device_->SetTexture(0, blue.Get());
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    ASSERT_TRUE(SUCCEEDED(device_->EndStateBlock(&token)));
    device_->SetTexture(0, nullptr);
    blue.Reset();  // the block's reference keeps it
    ASSERT_TRUE(SUCCEEDED(device_->ApplyStateBlock(token)));
    EXPECT_TRUE(ColourNear(DrawProbe(), D3DCOLOR_XRGB(0x00, 0x00, 0xFF)));
    device_->SetTexture(0, nullptr);
    device_->DeleteStateBlock(token);
}

TEST_F(StateBlockTest, DeletedBlockCannotBeApplied) {
    DWORD token = RecordAdditiveRed();
    ASSERT_TRUE(SUCCEEDED(device_->DeleteStateBlock(token)));
    SetPlainStates();
    EXPECT_TRUE(FAILED(device_->ApplyStateBlock(token)));
    EXPECT_TRUE(FAILED(device_->CaptureStateBlock(token)));
    EXPECT_EQ(Get(D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(FALSE));
}

TEST_F(StateBlockTest, EndWithoutBeginFails) {
    DWORD token = 0;
    EXPECT_TRUE(FAILED(device_->EndStateBlock(&token)));
}

TEST_F(StateBlockTest, TextStyleDrawingBlendsCoverageAndRestoresTheCaller) {
    // The way screen text is drawn: a recorded block sets blending by coverage alpha, an alpha
    // test at 8 and no depth test; a second block saves the caller's states around it.
    auto atlas = MakeTexture(8, 1, 1, D3DFMT_A4R4G4B4);
    ASSERT_TRUE(atlas);
    std::vector<WORD> coverage;
    for (int i = 0; i < 8; ++i) coverage.push_back(static_cast<WORD>((2 * i + (i == 7)) << 12 | 0x0FFF));
    FillLevel(atlas.Get(), 0, 8, 1, coverage);
    DWORD blocks[2] = {};
    for (DWORD& token : blocks) {
        ASSERT_TRUE(SUCCEEDED(device_->BeginStateBlock()));
        device_->SetTexture(0, atlas.Get());
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        device_->SetRenderState(D3DRS_ALPHAREF, 8);
        device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        device_->SetRenderState(D3DRS_ZENABLE, FALSE);
        device_->SetRenderState(D3DRS_FOGENABLE, FALSE);
        device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
        device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
        device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        ASSERT_TRUE(SUCCEEDED(device_->EndStateBlock(&token)));
    }
    const DWORD saved = blocks[0], text = blocks[1];
    // The caller's states: fog on, depth on, no texture, cull none.
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, nullptr)));
    Set(D3DRS_ALPHABLENDENABLE, FALSE);
    Set(D3DRS_ALPHATESTENABLE, FALSE);
    Set(D3DRS_ZENABLE, TRUE);
    Set(D3DRS_FOGENABLE, TRUE);
    Set(D3DRS_CULLMODE, D3DCULL_NONE);
    SetStage(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);

    const D3DCOLOR picture = D3DCOLOR_XRGB(0x20, 0x40, 0x60);
    const D3DCOLOR ink = D3DCOLOR_ARGB(0xFF, 0xFF, 0x80, 0x00);
    Begin();
    Clear(picture);
    ASSERT_TRUE(SUCCEEDED(device_->CaptureStateBlock(saved)));
    ASSERT_TRUE(SUCCEEDED(device_->ApplyStateBlock(text)));
    // Six vertices per glyph quad, in the order text uses: 8 texels over 64 x 8 pixels.
    const float l = 9.5f, t = 9.5f, r = 73.5f, b = 17.5f;
    RhwTexVertex glyph[6] = {{l, b, 0.9f, 1, ink, 0, 1}, {l, t, 0.9f, 1, ink, 0, 0}, {r, b, 0.9f, 1, ink, 1, 1},
                             {r, t, 0.9f, 1, ink, 1, 0}, {r, b, 0.9f, 1, ink, 1, 1}, {l, t, 0.9f, 1, ink, 0, 0}};
    ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kRhwTexFvf)));
    ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, glyph, sizeof(RhwTexVertex))));
    ASSERT_TRUE(SUCCEEDED(device_->ApplyStateBlock(saved)));
    End();
    Frame frame = Capture();
    for (int i = 0; i < 8; ++i) {
        int nibble = 2 * i + (i == 7);
        float a = nibble * 17 / 255.0f;
        auto mix = [&](int src, int dest) { return static_cast<DWORD>(std::lround(src * a + dest * (1 - a))); };
        D3DCOLOR expected = 0xFF000000 | mix(0xFF, 0x20) << 16 | mix(0x80, 0x40) << 8 | mix(0x00, 0x60);
        EXPECT_TRUE(ColourNear(frame.At(10 + 8 * i + 4, 13), expected)) << "coverage " << nibble;
    }
    EXPECT_EQ(Get(D3DRS_FOGENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(Get(D3DRS_ZENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(Get(D3DRS_ALPHATESTENABLE), static_cast<DWORD>(FALSE));
    EXPECT_EQ(Get(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));
    EXPECT_EQ(GetStage(D3DTSS_ALPHAARG2), static_cast<DWORD>(D3DTA_CURRENT));
    EXPECT_EQ(BoundTexture(), nullptr);
    device_->DeleteStateBlock(saved);
    device_->DeleteStateBlock(text);
}

}  // namespace
}  // namespace pixeltest

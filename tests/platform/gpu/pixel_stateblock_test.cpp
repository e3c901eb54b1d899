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

}  // namespace
}  // namespace pixeltest

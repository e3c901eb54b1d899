// Programs specialised on the material: work left out where a material makes it needless comes
// back as soon as a material in the same frame needs it.
#include "tests/platform/gpu/headless_fixture.h"

namespace pixeltest {
namespace {

class MaterialProgramTest : public HeadlessDeviceTest {
protected:
    void LightFromTheCamera() {
        SetCamera({0, 0, -5}, {0, 0, 0});
        EXPECT_EQ(device_->SetRenderState(D3DRS_LIGHTING, TRUE), S_OK);
        EXPECT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), S_OK);
        D3DLIGHT8 light = DirectionalLight({0, 0, 1}, {1, 1, 1, 1});
        light.Specular = {1, 1, 1, 1};
        EXPECT_EQ(device_->SetLight(0, &light), S_OK);
        EXPECT_EQ(device_->LightEnable(0, TRUE), S_OK);
        EXPECT_EQ(device_->SetVertexShader(kNormalFvf), S_OK);
    }
    // A quad facing the camera with its left edge at x = left, 0.8 wide; its centre's colour.
    void DrawQuad(float left) {
        const float r = left + 0.8f;
        const NormalVertex quad[4] = {{left, 0.4f, 0, 0, 0, -1}, {r, 0.4f, 0, 0, 0, -1}, {left, -0.4f, 0, 0, 0, -1},
                                      {r, -0.4f, 0, 0, 0, -1}};
        EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(NormalVertex)), S_OK);
    }
    std::uint32_t CentreOf(const Frame& frame, float left) {
        const Vec4 centre = Project({left + 0.4f, 0, 0});
        return frame.At(static_cast<int>(centre.x), static_cast<int>(centre.y));
    }
    // Draws the three quads side by side, each with its material, and reads the frame back.
    Frame DrawWith(const D3DMATERIAL8 (&materials)[3]) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(device_->SetMaterial(&materials[i]), S_OK);
            DrawQuad(kLefts[i]);
        }
        End();
        return Capture();
    }
    // The quads that `shown` names are bright green in the middle, the others black.
    void ExpectShown(const Frame& frame, const bool (&shown)[3]) {
        for (int i = 0; i < 3; ++i) {
            const std::uint32_t c = CentreOf(frame, kLefts[i]);
            if (shown[i]) {
                EXPECT_GT(Channel(c, 8), 200) << "quad " << i << ": " << Hex(c);
            } else {
                EXPECT_TRUE(ColourNear(c, 0xFF000000, 1)) << "quad " << i;
            }
        }
    }
    static constexpr float kLefts[3] = {-1.9f, -0.4f, 1.1f};
};

// Specular needs no work where the material's specular colour is black; a material that turns
// it on again in the same frame gets it back.
TEST_F(MaterialProgramTest, SpecularFollowsTheMaterialWithinAFrame) {
    Begin();
    Clear(D3DCOLOR_XRGB(0, 0, 0));
    LightFromTheCamera();
    EXPECT_EQ(device_->SetRenderState(D3DRS_SPECULARENABLE, TRUE), S_OK);
    D3DMATERIAL8 materials[3] = {};
    for (int i = 0; i < 3; ++i) materials[i].Power = 1;
    materials[1].Specular = {1, 1, 1, 1};
    ExpectShown(DrawWith(materials), {false, true, false});
}

// An alpha test an opaque material always passes is left out; a translucent material in the
// same frame is tested again.
TEST_F(MaterialProgramTest, AlphaTestFollowsTheMaterialWithinAFrame) {
    Begin();
    Clear(D3DCOLOR_XRGB(0, 0, 0));
    LightFromTheCamera();
    EXPECT_EQ(device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE), S_OK);
    EXPECT_EQ(device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL), S_OK);
    EXPECT_EQ(device_->SetRenderState(D3DRS_ALPHAREF, 128), S_OK);
    D3DMATERIAL8 materials[3] = {};
    for (int i = 0; i < 3; ++i) materials[i].Diffuse = {0, 1, 0, i == 1 ? 0.25f : 1.0f};
    ExpectShown(DrawWith(materials), {true, false, true});
}

}  // namespace
}  // namespace pixeltest

// Exponential table fog: f = exp(-density * eye depth), colour = f * colour + (1 - f) * FOGCOLOR.
// Quads face the camera squarely, so the eye depth is the same over the whole quad.
#include "tests/platform/gpu/headless_fixture.h"

namespace pixeltest {
namespace {

constexpr D3DCOLOR kQuadColour = D3DCOLOR_XRGB(0xE0, 0x40, 0x20);
constexpr D3DCOLOR kFogColour = D3DCOLOR_XRGB(0x20, 0x70, 0xB0);

class FogTest : public HeadlessDeviceTest {
protected:
    void SetUp() override {
        HeadlessDeviceTest::SetUp();
        if (HasFatalFailure()) return;
        // The camera sits at the origin looking along +z: eye depth is the world z.
        SetCamera({0, 0, 0}, {0, 0, 1});
        Set(D3DRS_LIGHTING, FALSE);
    }

    void EnableFog(float density) {
        Set(D3DRS_FOGENABLE, TRUE);
        Set(D3DRS_FOGTABLEMODE, D3DFOG_EXP);
        Set(D3DRS_FOGCOLOR, kFogColour);
        Set(D3DRS_FOGDENSITY, FloatBits(density));
    }

    // A square facing the camera at depth z, centred on (x, y) scaled by depth so that it stays
    // put on screen; returns the pixel at its centre.
    std::pair<int, int> DrawSquareAtDepth(float x, float y, float z) {
        float h = 0.08f * z;
        float cx = x * z, cy = y * z;
        ColourVertex quad[4];
        quad[0] = {cx - h, cy + h, z, kQuadColour};
        quad[1] = {cx + h, cy + h, z, kQuadColour};
        quad[2] = {cx - h, cy - h, z, kQuadColour};
        quad[3] = {cx + h, cy - h, z, kQuadColour};
        EXPECT_TRUE(SUCCEEDED(device_->SetVertexShader(kColourFvf)));
        EXPECT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColourVertex))));
        Vec4 centre = Project({cx, cy, z});
        return {static_cast<int>(std::lround(centre.x)), static_cast<int>(std::lround(centre.y))};
    }

    static std::uint32_t Fogged(float density, float depth) {
        float f = reference::ExpFogFactor(density, depth);
        return ToColour(reference::ApplyFog(reference::FromD3DColor(kQuadColour), f, kFogColour));
    }
};

class FogDensityTest : public FogTest, public ::testing::WithParamInterface<float> {};

TEST_P(FogDensityTest, ThreeDepthsFadeTowardTheFogColour) {
    const float density = GetParam();
    const float depths[3] = {2.0f, 6.0f, 14.0f};
    Begin();
    Clear(0xFF000000);
    EnableFog(density);
    std::pair<int, int> centres[3];
    for (int i = 0; i < 3; ++i) centres[i] = DrawSquareAtDepth(-0.3f + 0.3f * i, 0, depths[i]);
    End();
    Frame frame = Capture();
    for (int i = 0; i < 3; ++i) {
        std::uint32_t expected = Fogged(density, depths[i]);
        EXPECT_TRUE(ColourNear(frame.At(centres[i].first, centres[i].second), expected))
            << "depth " << depths[i] << ", density " << density;
    }
    // The three must differ clearly, or the case proves nothing.
    ASSERT_FALSE(ColourNear(Fogged(density, depths[0]), Fogged(density, depths[2]), 20));
}

INSTANTIATE_TEST_SUITE_P(Densities, FogDensityTest, ::testing::Values(0.08f, 0.2f),
                         [](const ::testing::TestParamInfo<float>& info) {
                             return info.index == 0 ? "Thin" : "Dense";
                         });

TEST_F(FogTest, FogOffLeavesTheColour) {
    Begin();
    Clear(0xFF000000);
    EnableFog(0.2f);
    Set(D3DRS_FOGENABLE, FALSE);
    auto centre = DrawSquareAtDepth(0, 0, 8.0f);
    End();
    EXPECT_TRUE(ColourNear(Capture().At(centre.first, centre.second), kQuadColour));
}

TEST_F(FogTest, PreTransformedVerticesTakeDepthFromRhw) {
    // rhw 0.25 stands for an eye depth of 4, rhw 0.1 for 10.
    Begin();
    Clear(0xFF000000);
    EnableFog(0.15f);
    DrawRhwQuad(100, 100, 40, 40, kQuadColour, 0.5f, 0.25f);
    DrawRhwQuad(300, 100, 40, 40, kQuadColour, 0.5f, 0.1f);
    End();
    Frame frame = Capture();
    EXPECT_TRUE(ColourNear(frame.At(120, 120), Fogged(0.15f, 4.0f)));
    EXPECT_TRUE(ColourNear(frame.At(320, 120), Fogged(0.15f, 10.0f)));
}

TEST_F(FogTest, FogColourChangesApplyToTheNextDraw) {
    Begin();
    Clear(0xFF000000);
    EnableFog(0.1f);
    auto first = DrawSquareAtDepth(-0.3f, 0, 7.0f);
    Set(D3DRS_FOGCOLOR, D3DCOLOR_XRGB(0xFF, 0xFF, 0xFF));
    auto second = DrawSquareAtDepth(0.3f, 0, 7.0f);
    End();
    Frame frame = Capture();
    float f = reference::ExpFogFactor(0.1f, 7.0f);
    auto quad = reference::FromD3DColor(kQuadColour);
    EXPECT_TRUE(ColourNear(frame.At(first.first, first.second), Fogged(0.1f, 7.0f)));
    EXPECT_TRUE(ColourNear(frame.At(second.first, second.second),
                           ToColour(reference::ApplyFog(quad, f, D3DCOLOR_XRGB(0xFF, 0xFF, 0xFF)))));
}

}  // namespace
}  // namespace pixeltest

// The back buffer across Present (copy swap effect) and a 16-bit R5G6B5 back buffer.
#include <algorithm>

#include "tests/platform/gpu/headless_fixture.h"

namespace pixeltest {
namespace {

constexpr D3DCOLOR kBackground = D3DCOLOR_XRGB(0x30, 0x50, 0x70);
constexpr D3DCOLOR kInk = D3DCOLOR_XRGB(0xE0, 0x90, 0x10);

class PresentTest : public HeadlessDeviceTest {
protected:
    void Present() { ASSERT_TRUE(SUCCEEDED(device_->Present(nullptr, nullptr, nullptr, nullptr))); }

    // Presents a frame of one ink rectangle on the background.
    void PresentQuad(int x, int y, int w, int h) {
        Begin();
        Clear(kBackground);
        DrawRhwQuad(x, y, w, h, kInk);
        End();
        Present();
    }

    // Presents a frame that clears depth only (with a colour the clear must not paint) and draws
    // nothing.
    void PresentDepthOnly(D3DCOLOR unused) {
        Begin();
        Clear(unused, D3DCLEAR_ZBUFFER);
        End();
        Present();
    }
};

TEST_F(PresentTest, DepthOnlyFrameShowsThePreviousPicture) {
    int presents = 0;
    window_->SetPresentHandler([&] { ++presents; });
    PresentQuad(200, 150, 100, 80);
    Frame first = Capture();
    ASSERT_TRUE(ColourNear(first.At(250, 190), kInk));
    ASSERT_TRUE(ColourNear(first.At(10, 10), kBackground));

    // The next frame clears depth only and draws nothing.
    PresentDepthOnly(0xFFFF00FF);
    Frame second = Capture();
    EXPECT_EQ(presents, 2) << "each Present hands a frame on";
    int differing = 0;
    for (size_t i = 0; i < first.pixels.size(); i += 13)
        if (!ColourNear(second.pixels[i], first.pixels[i], 0)) ++differing;
    EXPECT_EQ(differing, 0) << "the picture changed across a depth-only frame";
}

TEST_F(PresentTest, DrawingContinuesOnTopOfThePresentedPicture) {
    PresentQuad(10, 10, 20, 20);
    Begin();
    Clear(0, D3DCLEAR_ZBUFFER);
    DrawRhwQuad(40, 10, 20, 20, 0xFF00FF00);
    End();
    Present();
    Frame frame = Capture();
    EXPECT_TRUE(ColourNear(frame.At(20, 20), kInk));
    EXPECT_TRUE(ColourNear(frame.At(50, 20), 0xFF00FF00));
    EXPECT_TRUE(ColourNear(frame.At(100, 100), kBackground));
}

TEST_F(PresentTest, ReadBackGivesOpaqueAlphaForAnXrgbTarget) {
    Begin();
    Clear(D3DCOLOR_ARGB(0x12, 0x40, 0x80, 0xC0));
    End();
    Frame frame = Capture();
    EXPECT_TRUE(ArgbNear(frame.At(5, 5), 0xFF4080C0, 0));
}

// ---- 16-bit back buffer -------------------------------------------------------------------

class Rgb565Test : public PresentTest {
protected:
    D3DFORMAT BackBufferFormat() const override { return D3DFMT_R5G6B5; }

    // The colour after storing in R5G6B5 and reading back as 8 bits per channel.
    static std::uint32_t Quantised(D3DCOLOR c) {
        auto channel = [](int value, int bits) {
            int levels = (1 << bits) - 1;
            int stored = static_cast<int>(std::lround(value * levels / 255.0));
            return static_cast<DWORD>(std::lround(stored * 255.0 / levels));
        };
        return 0xFF000000 | channel(Channel(c, 16), 5) << 16 | channel(Channel(c, 8), 6) << 8 | channel(Channel(c, 0), 5);
    }
};

TEST_F(Rgb565Test, ClearAndDrawAreQuantised) {
    // Values that fall between the 5- and 6-bit levels, so quantising moves them by 2 or more.
    const D3DCOLOR clearColour = D3DCOLOR_XRGB(0x0C, 0x2A, 0x94);
    const D3DCOLOR quadColour = D3DCOLOR_XRGB(0xEB, 0x86, 0x1C);
    ASSERT_FALSE(ColourNear(Quantised(clearColour), clearColour, 1));
    ASSERT_FALSE(ColourNear(Quantised(quadColour), quadColour, 1));
    Begin();
    Clear(clearColour);
    DrawRhwQuad(20, 20, 30, 30, quadColour);
    End();
    Frame frame = Capture();
    EXPECT_TRUE(ArgbNear(frame.At(5, 5), Quantised(clearColour), 1));
    EXPECT_TRUE(ArgbNear(frame.At(30, 30), Quantised(quadColour), 1));
}

TEST_F(Rgb565Test, EveryReadBackValueIsA565Level) {
    // A horizontal ramp over all 256 red values: every pixel read back must be one of the 32
    // levels a 5-bit channel can hold (within one step of rounding).
    Begin();
    Clear(0xFF000000);
    ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kRhwFvf)));
    RhwVertex ramp[4] = {{-0.5f, 9.5f, 0.5f, 1, 0xFF000000}, {255.5f, 9.5f, 0.5f, 1, 0xFFFF0000},
                         {-0.5f, 19.5f, 0.5f, 1, 0xFF000000}, {255.5f, 19.5f, 0.5f, 1, 0xFFFF0000}};
    ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, ramp, sizeof(RhwVertex))));
    End();
    Frame frame = Capture();
    int offLevel = 0;
    for (int x = 0; x < 256; ++x) {
        int red = Channel(frame.At(x, 15), 16);
        int level = static_cast<int>(std::lround(red * 31 / 255.0));
        if (std::abs(red - static_cast<int>(std::lround(level * 255 / 31.0))) > 1) ++offLevel;
    }
    EXPECT_EQ(offLevel, 0);
    EXPECT_GT(Channel(frame.At(250, 15), 16), 0xE0) << "the ramp was not drawn";
}

TEST_F(Rgb565Test, AdditiveBlendingAddsTheStoredValues) {
    // The destination holds the quantised clear colour; the sum is quantised again.
    const D3DCOLOR clearColour = D3DCOLOR_XRGB(0x0C, 0x2A, 0x30);
    const D3DCOLOR quadColour = D3DCOLOR_XRGB(0x44, 0x22, 0x1C);
    Begin();
    Clear(clearColour);
    Set(D3DRS_ALPHABLENDENABLE, TRUE);
    Set(D3DRS_SRCBLEND, D3DBLEND_ONE);
    Set(D3DRS_DESTBLEND, D3DBLEND_ONE);
    DrawRhwQuad(20, 20, 30, 30, quadColour);
    End();
    Frame frame = Capture();
    std::uint32_t dest = Quantised(clearColour);
    DWORD sum = 0;
    for (int shift : {16, 8, 0})
        sum |= static_cast<DWORD>(std::min(255, Channel(dest, shift) + Channel(quadColour, shift))) << shift;
    EXPECT_TRUE(ColourNear(frame.At(30, 30), Quantised(sum), 2));
}

// ---- Multisampled back buffer -------------------------------------------------------------

class MultisampleTest : public PresentTest {
protected:
    D3DMULTISAMPLE_TYPE MultiSample() const override { return D3DMULTISAMPLE_4_SAMPLES; }
};

TEST_F(MultisampleTest, AxisAlignedQuadStillCoversExactlyItsPixels) {
    PresentQuad(100, 80, 20, 10);
    Frame frame = Capture();
    for (int y = 79; y <= 90; ++y) {
        for (int x = 99; x <= 120; ++x) {
            bool inside = x >= 100 && x < 120 && y >= 80 && y < 90;
            EXPECT_TRUE(ColourNear(frame.At(x, y), inside ? kInk : kBackground, 1)) << "pixel (" << x << ", " << y << ")";
        }
    }
}

TEST_F(MultisampleTest, SlantedEdgesGetIntermediateShades) {
    // A long, shallow edge crosses many pixels part way; with four samples some of them must
    // come out between the two colours, and the picture must survive Present.
    Begin();
    Clear(0xFF000000);
    RhwVertex tri[3] = {{20, 20, 0.5f, 1, 0xFFFFFFFF}, {600, 60, 0.5f, 1, 0xFFFFFFFF}, {20, 200, 0.5f, 1, 0xFFFFFFFF}};
    ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kRhwFvf)));
    ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(RhwVertex))));
    End();
    Present();
    Frame frame = Capture();
    int partial = 0;
    for (int x = 30; x < 590; ++x) {
        for (int y = 15; y < 70; ++y) {
            int v = Channel(frame.At(x, y), 8);
            if (v > 20 && v < 235) ++partial;
        }
    }
    EXPECT_GT(partial, 100);
    EXPECT_TRUE(ColourNear(frame.At(40, 100), 0xFFFFFFFF));
    EXPECT_TRUE(ColourNear(frame.At(600, 300), 0xFF000000));
}

TEST_F(MultisampleTest, DepthOnlyFrameKeepsThePicture) {
    PresentQuad(200, 150, 100, 80);
    Frame first = Capture();
    PresentDepthOnly(0);
    Frame second = Capture();
    EXPECT_TRUE(ColourNear(second.At(250, 190), kInk));
    EXPECT_TRUE(ColourNear(second.At(10, 10), kBackground));
    EXPECT_TRUE(ColourNear(second.At(250, 190), first.At(250, 190), 0));
}

// ---- The fallback device kinds draw the same ----------------------------------------------

struct DeviceKind {
    const char* name;
    D3DDEVTYPE type;
    DWORD flags;
};
void PrintTo(const DeviceKind& k, std::ostream* os) { *os << k.name; }

class DeviceKindTest : public PresentTest, public ::testing::WithParamInterface<DeviceKind> {
protected:
    D3DDEVTYPE DeviceType() const override { return GetParam().type; }
    DWORD BehaviourFlags() const override { return GetParam().flags; }
};

TEST_P(DeviceKindTest, DrawsLitBlendedAndPreTransformedGeometry) {
    Begin();
    Clear(kBackground);
    DrawRhwQuad(10, 10, 5, 7, kInk);
    // Additive quad over the background.
    Set(D3DRS_ALPHABLENDENABLE, TRUE);
    Set(D3DRS_SRCBLEND, D3DBLEND_ONE);
    Set(D3DRS_DESTBLEND, D3DBLEND_ONE);
    DrawRhwQuad(40, 10, 10, 10, D3DCOLOR_XRGB(0x40, 0x20, 0x10));
    Set(D3DRS_ALPHABLENDENABLE, FALSE);
    // A lit square facing the camera under a directional light along the view axis.
    SetCamera({0, 0, -5}, {0, 0, 0});
    D3DMATERIAL8 material{};
    material.Diffuse = {0.5f, 0.25f, 1.0f, 1};
    material.Emissive = {0.1f, 0.1f, 0.0f, 1};
    ASSERT_TRUE(SUCCEEDED(device_->SetMaterial(&material)));
    D3DLIGHT8 light = DirectionalLight({0, 0, 1}, {0.8f, 0.8f, 0.8f, 1});
    ASSERT_TRUE(SUCCEEDED(device_->SetLight(0, &light)));
    ASSERT_TRUE(SUCCEEDED(device_->LightEnable(0, TRUE)));
    NormalVertex quad[4] = {{-1, 1, 0, 0, 0, -1}, {1, 1, 0, 0, 0, -1}, {-1, -1, 0, 0, 0, -1}, {1, -1, 0, 0, 0, -1}};
    ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kNormalFvf)));
    ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(NormalVertex))));
    End();
    Present();
    Frame frame = Capture();
    EXPECT_TRUE(ColourNear(frame.At(10, 10), kInk));
    EXPECT_TRUE(ColourNear(frame.At(14, 16), kInk));
    EXPECT_TRUE(ColourNear(frame.At(15, 16), kBackground));
    EXPECT_TRUE(ColourNear(frame.At(45, 15), D3DCOLOR_XRGB(0x70, 0x70, 0x80)));
    // 0.1 + 0.5 x 0.8, 0.1 + 0.25 x 0.8, 1.0 x 0.8.
    EXPECT_TRUE(ColourNear(frame.At(320, 240), D3DCOLOR_XRGB(128, 77, 204)));
}

INSTANTIATE_TEST_SUITE_P(Kinds, DeviceKindTest,
                         ::testing::Values(DeviceKind{"HalMixed", D3DDEVTYPE_HAL, D3DCREATE_MIXED_VERTEXPROCESSING},
                                           DeviceKind{"HalHardware", D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING},
                                           DeviceKind{"HalSoftware", D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
                                           DeviceKind{"RefSoftware", D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING}),
                         [](const ::testing::TestParamInfo<DeviceKind>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pixeltest

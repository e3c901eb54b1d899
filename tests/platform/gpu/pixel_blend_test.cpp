// Blend factors and the alpha test: result = src x SRCBLEND + dest x DESTBLEND, and pixels that
// fail the alpha test write neither colour nor depth.
#include <algorithm>

#include "tests/platform/gpu/headless_fixture.h"

namespace pixeltest {
namespace {

struct BlendCase {
    const char* name;
    D3DBLEND src;
    D3DBLEND dest;
};

void PrintTo(const BlendCase& c, std::ostream* os) { *os << c.name; }

// Factor for one channel; the back buffer has no alpha, so its alpha reads as 1.
float Factor(D3DBLEND blend, float srcChannel, float srcAlpha, float destChannel) {
    const float destAlpha = 1.0f;
    switch (blend) {
        case D3DBLEND_ZERO: return 0;
        case D3DBLEND_ONE: return 1;
        case D3DBLEND_SRCCOLOR: return srcChannel;
        case D3DBLEND_INVSRCCOLOR: return 1 - srcChannel;
        case D3DBLEND_SRCALPHA: return srcAlpha;
        case D3DBLEND_INVSRCALPHA: return 1 - srcAlpha;
        case D3DBLEND_DESTCOLOR: return destChannel;
        case D3DBLEND_INVDESTCOLOR: return 1 - destChannel;
        case D3DBLEND_DESTALPHA: return destAlpha;
        case D3DBLEND_INVDESTALPHA: return 1 - destAlpha;
        default: ADD_FAILURE() << "no model for blend " << blend; return 0;
    }
}

std::uint32_t Blended(const BlendCase& c, D3DCOLOR src, D3DCOLOR dest) {
    float srcAlpha = Channel(src, 24) / 255.0f;
    DWORD out = 0xFF000000;
    for (int shift : {16, 8, 0}) {
        float s = Channel(src, shift) / 255.0f, d = Channel(dest, shift) / 255.0f;
        float v = s * Factor(c.src, s, srcAlpha, d) + d * Factor(c.dest, s, srcAlpha, d);
        out |= static_cast<DWORD>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)) << shift;
    }
    return out;
}

class BlendTest : public HeadlessDeviceTest, public ::testing::WithParamInterface<BlendCase> {};

TEST_P(BlendTest, GivesTheBlendEquationResult) {
    const BlendCase& c = GetParam();
    // Two source colours over two backgrounds.
    const D3DCOLOR sources[2] = {D3DCOLOR_ARGB(0x60, 0xC0, 0x50, 0x30), D3DCOLOR_ARGB(0xD0, 0x30, 0x90, 0xF0)};
    const D3DCOLOR backgrounds[2] = {D3DCOLOR_XRGB(0x40, 0x80, 0xA0), D3DCOLOR_XRGB(0xB0, 0x20, 0x60)};
    for (D3DCOLOR dest : backgrounds) {
        Begin();
        Clear(dest);
        // The source alpha comes from the vertex colour.
        SetStage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        SetStage(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
        Set(D3DRS_ALPHABLENDENABLE, TRUE);
        Set(D3DRS_SRCBLEND, c.src);
        Set(D3DRS_DESTBLEND, c.dest);
        DrawRhwQuad(50, 60, 30, 20, sources[0]);
        DrawRhwQuad(150, 60, 30, 20, sources[1]);
        End();
        Frame frame = Capture();
        EXPECT_TRUE(ColourNear(frame.At(65, 70), Blended(c, sources[0], dest)))
            << c.name << " over " << Hex(dest);
        EXPECT_TRUE(ColourNear(frame.At(165, 70), Blended(c, sources[1], dest)))
            << c.name << " over " << Hex(dest);
        EXPECT_TRUE(ColourNear(frame.At(100, 70), dest)) << "background between the quads";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Factors, BlendTest,
    ::testing::Values(BlendCase{"OneOne", D3DBLEND_ONE, D3DBLEND_ONE},
                      BlendCase{"SrcColorOne", D3DBLEND_SRCCOLOR, D3DBLEND_ONE},
                      BlendCase{"SrcAlphaInvSrcAlpha", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                      BlendCase{"SrcAlphaOne", D3DBLEND_SRCALPHA, D3DBLEND_ONE},
                      BlendCase{"ZeroOne", D3DBLEND_ZERO, D3DBLEND_ONE},
                      BlendCase{"OneZero", D3DBLEND_ONE, D3DBLEND_ZERO},
                      BlendCase{"DestColorZero", D3DBLEND_DESTCOLOR, D3DBLEND_ZERO},
                      BlendCase{"ZeroInvSrcColor", D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR},
                      BlendCase{"InvSrcColorOne", D3DBLEND_INVSRCCOLOR, D3DBLEND_ONE},
                      BlendCase{"InvDestColorZero", D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO},
                      BlendCase{"DestAlphaZero", D3DBLEND_DESTALPHA, D3DBLEND_ZERO},
                      BlendCase{"InvDestAlphaOne", D3DBLEND_INVDESTALPHA, D3DBLEND_ONE}),
    [](const ::testing::TestParamInfo<BlendCase>& info) { return std::string(info.param.name); });

class BlendStateTest : public HeadlessDeviceTest {};

TEST_F(BlendStateTest, BlendFactorsDoNothingWhileBlendingIsOff) {
    Begin();
    Clear(D3DCOLOR_XRGB(0x40, 0x80, 0xA0));
    Set(D3DRS_SRCBLEND, D3DBLEND_ONE);
    Set(D3DRS_DESTBLEND, D3DBLEND_ONE);
    DrawRhwQuad(10, 10, 20, 20, D3DCOLOR_ARGB(0x80, 0x50, 0x10, 0x20));
    End();
    EXPECT_TRUE(ColourNear(Capture().At(20, 20), D3DCOLOR_XRGB(0x50, 0x10, 0x20)));
}

TEST_F(BlendStateTest, UntexturedGeometryBlendsWithItsVertexAlpha) {
    // A screen fade: no texture on stage 0, default stage states, SRCALPHA / INVSRCALPHA.
    const D3DCOLOR picture = D3DCOLOR_XRGB(0x20, 0x60, 0xA0);
    Begin();
    Clear(picture);
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, nullptr)));
    Set(D3DRS_ZENABLE, FALSE);
    Set(D3DRS_ALPHABLENDENABLE, TRUE);
    Set(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    Set(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    DrawRhwQuad(0, 0, 100, 100, 0xFF000000);   // opaque black
    DrawRhwQuad(100, 0, 100, 100, 0x00000000); // fully transparent
    DrawRhwQuad(200, 0, 100, 100, 0x80FFFFFF); // white at half
    End();
    Frame frame = Capture();
    BlendCase alpha{"SrcAlphaInvSrcAlpha", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA};
    EXPECT_TRUE(ColourNear(frame.At(50, 50), 0xFF000000));
    EXPECT_TRUE(ColourNear(frame.At(150, 50), picture));
    EXPECT_TRUE(ColourNear(frame.At(250, 50), Blended(alpha, 0x80FFFFFF, picture)));
}

// ---- Alpha test ---------------------------------------------------------------------------

class AlphaTestTest : public HeadlessDeviceTest {
protected:
    void EnableAlphaTest() {
        Set(D3DRS_ALPHATESTENABLE, TRUE);
        Set(D3DRS_ALPHAREF, 8);
        Set(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    }
};

TEST_F(AlphaTestTest, VertexAlphaBelowTheReferenceIsNotDrawn) {
    Begin();
    Clear(0xFF000000);
    SetStage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    SetStage(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    EnableAlphaTest();
    DrawRhwQuad(10, 10, 20, 20, D3DCOLOR_ARGB(7, 0xFF, 0xFF, 0xFF));
    DrawRhwQuad(40, 10, 20, 20, D3DCOLOR_ARGB(8, 0xFF, 0xFF, 0xFF));
    DrawRhwQuad(70, 10, 20, 20, D3DCOLOR_ARGB(0, 0xFF, 0xFF, 0xFF));
    DrawRhwQuad(100, 10, 20, 20, D3DCOLOR_ARGB(0xFF, 0xFF, 0xFF, 0xFF));
    End();
    Frame frame = Capture();
    EXPECT_TRUE(ColourNear(frame.At(20, 20), 0xFF000000)) << "alpha 7 fails GREATEREQUAL 8";
    EXPECT_TRUE(ColourNear(frame.At(50, 20), 0xFFFFFFFF)) << "alpha 8 passes GREATEREQUAL 8";
    EXPECT_TRUE(ColourNear(frame.At(80, 20), 0xFF000000)) << "alpha 0 fails";
    EXPECT_TRUE(ColourNear(frame.At(110, 20), 0xFFFFFFFF)) << "alpha 255 passes";
}

TEST_F(AlphaTestTest, TexelAlphaBelowTheReferenceIsNotDrawn) {
    // A 2x1 texture: alpha 7 on the left, 8 on the right, stretched over 40x20 pixels.
    auto texture = MakeTexture(2, 1, 1, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(texture);
    FillLevel<std::uint32_t>(texture.Get(), 0, 2, 1, {D3DCOLOR_ARGB(7, 0xFF, 0, 0), D3DCOLOR_ARGB(8, 0, 0xFF, 0)});
    Begin();
    Clear(0xFF000000);
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, texture.Get())));
    EnableAlphaTest();
    DrawRhwTexQuad(10, 10, 40, 20, 0xFFFFFFFF);
    End();
    Frame frame = Capture();
    EXPECT_TRUE(ColourNear(frame.At(20, 20), 0xFF000000));
    EXPECT_TRUE(ColourNear(frame.At(40, 20), 0xFF00FF00));
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, nullptr)));
}

TEST_F(AlphaTestTest, FailingPixelsWriteNoDepth) {
    Begin();
    Clear(0xFF000000);
    SetStage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    SetStage(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    EnableAlphaTest();
    // Near quads: the left one fails the alpha test, the right one passes.
    DrawRhwQuad(10, 10, 40, 40, D3DCOLOR_ARGB(7, 0xFF, 0, 0), 0.2f);
    DrawRhwQuad(60, 10, 40, 40, D3DCOLOR_ARGB(8, 0xFF, 0, 0), 0.2f);
    // A farther opaque quad over both: only the depth the passing quad wrote hides it.
    Set(D3DRS_ALPHATESTENABLE, FALSE);
    DrawRhwQuad(0, 0, 120, 60, 0xFF0000FF, 0.6f);
    End();
    Frame frame = Capture();
    EXPECT_TRUE(ColourNear(frame.At(30, 30), 0xFF0000FF)) << "the failed quad left depth behind";
    EXPECT_TRUE(ColourNear(frame.At(80, 30), 0xFFFF0000)) << "the passing quad should hide the far one";
    EXPECT_TRUE(ColourNear(frame.At(110, 5), 0xFF0000FF));
}

}  // namespace
}  // namespace pixeltest

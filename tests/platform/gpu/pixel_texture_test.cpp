// Texturing through stage 0: texel placement with point filtering, the colour operations, an
// unset texture, the 16-bit formats, and MIPFILTER NONE on a mip chain.
//
// A quad of 8 x 8 pixels per texel is drawn with texture coordinates 0..1 across its pixels, so
// pixel i of a row samples u = (i + 0.5) / (8 x texels): never on a texel border.
#include <algorithm>

#include "tests/platform/gpu/headless_fixture.h"

namespace pixeltest {
namespace {

constexpr D3DCOLOR kBackground = D3DCOLOR_XRGB(0x00, 0x00, 0x00);

// 4 x 4 texels, all different, top row first.
const std::vector<std::uint32_t> kTexels = {
    0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF,  //
    0xFF800000, 0xFF008000, 0xFF000080, 0xFF808080,  //
    0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF, 0xFF404040,  //
    0xFFC08040, 0xFF4080C0, 0xFF80C040, 0xFF102030};

class TextureTest : public HeadlessDeviceTest {
protected:
    void SetUp() override {
        HeadlessDeviceTest::SetUp();
        if (HasFatalFailure()) return;
        texture_ = MakeTexture(4, 4, 1, D3DFMT_A8R8G8B8);
        ASSERT_TRUE(texture_);
        FillLevel(texture_.Get(), 0, 4, 4, kTexels);
    }

    void TearDown() override {
        if (device_) device_->SetTexture(0, nullptr);
        texture_.Reset();
        HeadlessDeviceTest::TearDown();
    }

    // Draws the bound texture over 32 x 32 pixels at (x, y) and returns the frame.
    Frame DrawTexturedQuad(D3DCOLOR diffuse, int x = 100, int y = 100, int size = 32) {
        Begin();
        Clear(kBackground);
        DrawRhwTexQuad(x, y, size, size, diffuse);
        End();
        return Capture();
    }

    // Checks every pixel of the 32 x 32 quad against its texel, mapped through `expect`.
    template <class Expect>
    void ExpectTexels(const Frame& frame, Expect expect, int x = 100, int y = 100) {
        int misses = 0;
        for (int py = 0; py < 32; ++py) {
            for (int px = 0; px < 32; ++px) {
                std::uint32_t texel = kTexels[(py / 8) * 4 + px / 8];
                if (!ColourNear(frame.At(x + px, y + py), expect(texel)) && ++misses <= 6)
                    ADD_FAILURE() << "pixel (" << px << ", " << py << ") of the quad is "
                                  << Hex(frame.At(x + px, y + py)) << ", expected " << Hex(expect(texel));
            }
        }
        EXPECT_EQ(misses, 0);
    }

    ComPtr<IDirect3DTexture8> texture_;
};

std::uint32_t Modulated(std::uint32_t a, std::uint32_t b) {
    DWORD out = 0xFF000000;
    for (int shift : {16, 8, 0})
        out |= static_cast<DWORD>(std::lround(Channel(a, shift) * Channel(b, shift) / 255.0)) << shift;
    return out;
}

TEST_F(TextureTest, PointFilteredTexelsLandOnTheirPixels) {
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, texture_.Get())));
    Frame frame = DrawTexturedQuad(0xFFFFFFFF);
    ExpectTexels(frame, [](std::uint32_t t) { return t; });
    // Texture coordinate (0, 0) is the image's top-left texel.
    EXPECT_TRUE(ColourNear(frame.At(100, 100), kTexels[0]));
    EXPECT_TRUE(ColourNear(frame.At(131, 131), kTexels[15]));
    EXPECT_TRUE(ColourNear(frame.At(99, 100), kBackground));
    EXPECT_TRUE(ColourNear(frame.At(132, 131), kBackground));
}

TEST_F(TextureTest, ModulateMultipliesByTheDiffuseColour) {
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, texture_.Get())));
    const D3DCOLOR diffuse = D3DCOLOR_XRGB(0x80, 0xFF, 0x40);
    ExpectTexels(DrawTexturedQuad(diffuse), [&](std::uint32_t t) { return Modulated(t, diffuse); });
}

TEST_F(TextureTest, SelectArg1ShowsTheTextureAlone) {
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, texture_.Get())));
    SetStage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    ExpectTexels(DrawTexturedQuad(D3DCOLOR_XRGB(0x20, 0x40, 0x60)), [](std::uint32_t t) { return t; });
}

TEST_F(TextureTest, SelectArg2ShowsTheDiffuseColourAlone) {
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, texture_.Get())));
    SetStage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    const D3DCOLOR diffuse = D3DCOLOR_XRGB(0x20, 0x40, 0x60);
    ExpectTexels(DrawTexturedQuad(diffuse), [&](std::uint32_t) { return diffuse; });
}

TEST_F(TextureTest, DiffuseArgumentsCanBeSwapped) {
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, texture_.Get())));
    SetStage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    SetStage(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    const D3DCOLOR diffuse = D3DCOLOR_XRGB(0x90, 0x30, 0x10);
    ExpectTexels(DrawTexturedQuad(diffuse), [&](std::uint32_t) { return diffuse; });
}

TEST_F(TextureTest, UnsetTextureShowsTheDiffuseColour) {
    // Bound, then unbound: MODULATE of the missing texture with the diffuse colour is the
    // diffuse colour itself.
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, texture_.Get())));
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, nullptr)));
    const D3DCOLOR diffuse = D3DCOLOR_XRGB(0x90, 0x30, 0x10);
    ExpectTexels(DrawTexturedQuad(diffuse), [&](std::uint32_t) { return diffuse; });
}

TEST_F(TextureTest, WrapAddressingRepeatsTheImage) {
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, texture_.Get())));
    // u and v run 0..2 across 64 pixels: the 4 x 4 image shows twice each way.
    Begin();
    Clear(kBackground);
    DrawRhwTexQuad(100, 100, 64, 64, 0xFFFFFFFF, 2.0f, 2.0f);
    End();
    Frame frame = Capture();
    for (int oy : {0, 32})
        for (int ox : {0, 32}) ExpectTexels(frame, [](std::uint32_t t) { return t; }, 100 + ox, 100 + oy);
}

TEST_F(TextureTest, LinearMagnificationInterpolatesBetweenTexelCentres) {
    // Black and white texels stretched over 64 pixels with clamped addressing: pixel i samples
    // u = (i + 0.5) / 64, which lies (2u - 0.5) of the way from the black texel's centre.
    auto ramp = MakeTexture(2, 1, 1, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(ramp);
    FillLevel<std::uint32_t>(ramp.Get(), 0, 2, 1, {0xFF000000, 0xFFFFFFFF});
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, ramp.Get())));
    SetStage(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    SetStage(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    SetStage(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    SetStage(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    Begin();
    Clear(kBackground);
    DrawRhwTexQuad(100, 100, 64, 8, 0xFFFFFFFF);
    End();
    Frame frame = Capture();
    device_->SetTexture(0, nullptr);
    for (int i = 0; i < 64; ++i) {
        float t = std::clamp(2 * (i + 0.5f) / 64 - 0.5f, 0.0f, 1.0f);
        auto v = static_cast<DWORD>(std::lround(t * 255));
        EXPECT_TRUE(ColourNear(frame.At(100 + i, 104), 0xFF000000 | v << 16 | v << 8 | v)) << "pixel " << i;
    }
}

TEST_F(TextureTest, AlphaModulateMultipliesTexelAndDiffuseAlpha) {
    // Texel alpha 0x80 times diffuse alpha 0x80 is about 0x40; blended over black.
    auto texture = MakeTexture(1, 1, 1, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(texture);
    FillLevel<std::uint32_t>(texture.Get(), 0, 1, 1, {0x80FFFFFF});
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, texture.Get())));
    SetStage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    SetStage(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    Set(D3DRS_ALPHABLENDENABLE, TRUE);
    Set(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    Set(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    Begin();
    Clear(kBackground);
    DrawRhwTexQuad(10, 10, 20, 20, 0x80FFFFFF);
    End();
    std::uint32_t pixel = Capture().At(20, 20);
    device_->SetTexture(0, nullptr);
    const DWORD v = static_cast<DWORD>(std::lround(255 * (128 / 255.0) * (128 / 255.0)));
    EXPECT_TRUE(ColourNear(pixel, 0xFF000000 | v << 16 | v << 8 | v));
}

TEST_F(TextureTest, AlphaTestFollowsTheBoundTexturesAlphaChannel) {
    // GREATEREQUAL 0x80, texel alpha 0x10: an A8R8G8B8 texel is discarded; the same bits in an
    // X8R8G8B8 texture sample as alpha 1 and pass. Swapping the textures under unchanged states
    // must switch the test on and off again.
    auto withAlpha = MakeTexture(1, 1, 1, D3DFMT_A8R8G8B8);
    auto opaque = MakeTexture(1, 1, 1, D3DFMT_X8R8G8B8);
    ASSERT_TRUE(withAlpha && opaque);
    FillLevel<std::uint32_t>(withAlpha.Get(), 0, 1, 1, {0x10FFFFFF});
    FillLevel<std::uint32_t>(opaque.Get(), 0, 1, 1, {0x10FFFFFF});
    Set(D3DRS_ALPHATESTENABLE, TRUE);
    Set(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    Set(D3DRS_ALPHAREF, 0x80);
    for (IDirect3DTexture8* texture : {withAlpha.Get(), opaque.Get(), withAlpha.Get()}) {
        ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, texture)));
        const std::uint32_t pixel = DrawTexturedQuad(0xFFFFFFFF).At(110, 110);
        EXPECT_TRUE(ColourNear(pixel, texture == opaque.Get() ? 0xFFFFFFFF : kBackground)) << Hex(pixel);
    }
    device_->SetTexture(0, nullptr);
    Set(D3DRS_ALPHATESTENABLE, FALSE);
}

// ---- Block-compressed formats: one 4 x 4 block drawn at 8 x 8 pixels per texel ------------

class BlockTextureTest : public TextureTest {
protected:
    // Uploads one block and draws it over black with SRCALPHA / INVSRCALPHA blending.
    Frame DrawBlock(D3DFORMAT format, const std::vector<BYTE>& block) {
        auto texture = MakeTexture(4, 4, 1, format);
        if (!texture) return Frame{};
        D3DLOCKED_RECT locked{};
        EXPECT_TRUE(SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0)));
        if (!locked.pBits) return Frame{};
        std::memcpy(locked.pBits, block.data(), block.size());
        EXPECT_TRUE(SUCCEEDED(texture->UnlockRect(0)));
        EXPECT_TRUE(SUCCEEDED(device_->SetTexture(0, texture.Get())));
        Set(D3DRS_ALPHABLENDENABLE, TRUE);
        Set(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        Set(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        Frame frame = DrawTexturedQuad(0xFFFFFFFF);
        device_->SetTexture(0, nullptr);
        return frame;
    }
    // The pixel in the middle of texel (tx, ty).
    static std::uint32_t Texel(const Frame& frame, int tx, int ty) {
        return frame.pixels.empty() ? 0xDEADBEEF : frame.At(100 + 8 * tx + 4, 100 + 8 * ty + 4);
    }
    static std::vector<BYTE> ColourBlock(WORD c0, WORD c1, const int (&indices)[16]) {
        DWORD bits = 0;
        for (int i = 0; i < 16; ++i) bits |= static_cast<DWORD>(indices[i]) << (2 * i);
        return {static_cast<BYTE>(c0), static_cast<BYTE>(c0 >> 8), static_cast<BYTE>(c1), static_cast<BYTE>(c1 >> 8),
                static_cast<BYTE>(bits), static_cast<BYTE>(bits >> 8), static_cast<BYTE>(bits >> 16),
                static_cast<BYTE>(bits >> 24)};
    }
    static std::uint32_t Grey(double v) {
        auto c = static_cast<DWORD>(std::lround(v));
        return 0xFF000000 | c << 16 | c << 8 | c;
    }
};

TEST_F(BlockTextureTest, Dxt1FourColourBlock) {
    // Red and blue end points (c0 > c1): indices 2 and 3 are the thirds between them.
    const int indices[16] = {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3};
    Frame frame = DrawBlock(D3DFMT_DXT1, ColourBlock(0xF800, 0x001F, indices));
    EXPECT_TRUE(ColourNear(Texel(frame, 0, 0), 0xFFFF0000));
    EXPECT_TRUE(ColourNear(Texel(frame, 1, 2), 0xFF0000FF));
    EXPECT_TRUE(ColourNear(Texel(frame, 2, 1), 0xFFAA0055, 3));
    EXPECT_TRUE(ColourNear(Texel(frame, 3, 3), 0xFF5500AA, 3));
}

TEST_F(BlockTextureTest, Dxt1ThreeColourBlockHasTransparentTexels) {
    // c0 <= c1: index 2 is the midpoint, index 3 transparent black.
    const int indices[16] = {0, 1, 2, 3, 3, 3, 3, 3, 0, 0, 0, 0, 1, 1, 1, 1};
    Frame frame = DrawBlock(D3DFMT_DXT1, ColourBlock(0x001F, 0xF800, indices));
    EXPECT_TRUE(ColourNear(Texel(frame, 0, 0), 0xFF0000FF));
    EXPECT_TRUE(ColourNear(Texel(frame, 1, 0), 0xFFFF0000));
    EXPECT_TRUE(ColourNear(Texel(frame, 2, 0), 0xFF800080, 3));
    EXPECT_TRUE(ColourNear(Texel(frame, 3, 0), kBackground)) << "transparent texel";
    EXPECT_TRUE(ColourNear(Texel(frame, 2, 1), kBackground)) << "transparent texel";
}

TEST_F(BlockTextureTest, Dxt3ExplicitAlpha) {
    // Four-bit alpha per texel: texel i of the first row has alpha 5 * i (of 15); white colour.
    std::vector<BYTE> block(8, 0xFF);
    block[0] = 0x50;  // texels 0, 1: alpha 0, 5
    block[1] = 0xFA;  // texels 2, 3: alpha 10, 15
    const int indices[16] = {};
    auto colour = ColourBlock(0xFFFF, 0x0000, indices);
    block.insert(block.end(), colour.begin(), colour.end());
    Frame frame = DrawBlock(D3DFMT_DXT3, block);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(ColourNear(Texel(frame, i, 0), Grey(5 * i * 17), 2)) << "texel " << i;
    EXPECT_TRUE(ColourNear(Texel(frame, 0, 1), 0xFFFFFFFF));
}

TEST_F(BlockTextureTest, Dxt5InterpolatedAlpha) {
    // Alpha end points 255 and 0 (a0 > a1: six steps between); the first two rows use all eight
    // codes, the others code 0. White colour.
    const int codes[16] = {0, 1, 2, 3, 4, 5, 6, 7, 0, 0, 0, 0, 0, 0, 0, 0};
    std::uint64_t bits = 0;
    for (int i = 0; i < 16; ++i) bits |= static_cast<std::uint64_t>(codes[i]) << (3 * i);
    std::vector<BYTE> block = {255, 0};
    for (int i = 0; i < 6; ++i) block.push_back(static_cast<BYTE>(bits >> (8 * i)));
    const int indices[16] = {};
    auto colour = ColourBlock(0xFFFF, 0x0000, indices);
    block.insert(block.end(), colour.begin(), colour.end());
    Frame frame = DrawBlock(D3DFMT_DXT5, block);
    const double alphas[8] = {255, 0, 255 * 6 / 7.0, 255 * 5 / 7.0, 255 * 4 / 7.0, 255 * 3 / 7.0, 255 * 2 / 7.0,
                              255 / 7.0};
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(ColourNear(Texel(frame, i % 4, i / 4), Grey(alphas[codes[i]]), 3)) << "code " << codes[i];
    EXPECT_TRUE(ColourNear(Texel(frame, 2, 3), 0xFFFFFFFF));
}

TEST_F(TextureTest, TexturesArePerspectiveCorrectOnTransformedGeometry) {
    // A floor quad running away from the camera, textured with two texel rows (near half red,
    // far half green): the colour changes where the world point at v = 0.5 projects, which
    // lies well above the screen midpoint of the quad.
    auto halves = MakeTexture(1, 2, 1, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(halves);
    FillLevel<std::uint32_t>(halves.Get(), 0, 1, 2, {0xFF00FF00, 0xFFFF0000});  // v 0..0.5 green (far)
    struct V {
        float x, y, z, u, v;
    };
    const V floor[4] = {{-2, -1, 20, 0, 0}, {2, -1, 20, 1, 0}, {-2, -1, 2, 0, 1}, {2, -1, 2, 1, 1}};
    SetCamera({0, 0, 0}, {0, 0, 1});
    Set(D3DRS_LIGHTING, FALSE);
    Set(D3DRS_CULLMODE, D3DCULL_NONE);
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, halves.Get())));
    Begin();
    Clear(kBackground);
    ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_TEX1)));
    ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, floor, sizeof(V))));
    End();
    Frame frame = Capture();
    device_->SetTexture(0, nullptr);
    float boundary = Project({0, -1, 11}).y;  // v = 0.5 at z = 11
    float nearEdge = Project({0, -1, 2}).y, farEdge = Project({0, -1, 20}).y;
    ASSERT_GT(boundary - farEdge, 10.0f);
    ASSERT_GT((nearEdge + farEdge) / 2 - boundary, 10.0f) << "affine mapping would put it at the midpoint";
    int above = static_cast<int>(std::floor(boundary - 1.5f)), below = static_cast<int>(std::ceil(boundary + 1.5f));
    EXPECT_TRUE(ColourNear(frame.At(320, above), 0xFF00FF00)) << "row " << above;
    EXPECT_TRUE(ColourNear(frame.At(320, below), 0xFFFF0000)) << "row " << below;
    int midway = static_cast<int>(std::lround((nearEdge + farEdge) / 2));
    EXPECT_TRUE(ColourNear(frame.At(320, midway), 0xFFFF0000)) << "row " << midway;
}

TEST_F(TextureTest, RelockedTextureShowsItsNewContents) {
    // Drawn, refilled through LockRect, drawn again in the same frame.
    auto texture = MakeTexture(1, 1, 1, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(texture);
    FillLevel<std::uint32_t>(texture.Get(), 0, 1, 1, {0xFFFF0000});
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, texture.Get())));
    Begin();
    Clear(kBackground);
    DrawRhwTexQuad(10, 10, 10, 10, 0xFFFFFFFF);
    FillLevel<std::uint32_t>(texture.Get(), 0, 1, 1, {0xFF00FFFF});
    DrawRhwTexQuad(30, 10, 10, 10, 0xFFFFFFFF);
    End();
    Frame frame = Capture();
    device_->SetTexture(0, nullptr);
    EXPECT_TRUE(ColourNear(frame.At(15, 15), 0xFFFF0000));
    EXPECT_TRUE(ColourNear(frame.At(35, 15), 0xFF00FFFF));
}

// ---- Other texel formats ------------------------------------------------------------------

class TextureFormatTest : public TextureTest {
protected:
    // A 2 x 1 texture of 16-bit texels, drawn over black with SRCALPHA / INVSRCALPHA blending
    // (so alpha shows as brightness); returns the two halves' pixels.
    std::pair<std::uint32_t, std::uint32_t> DrawPair(D3DFORMAT format, WORD left, WORD right) {
        auto texture = MakeTexture(2, 1, 1, format);
        if (!texture) return {0, 0};
        FillLevel<WORD>(texture.Get(), 0, 2, 1, {left, right});
        Begin();
        Clear(kBackground);
        EXPECT_TRUE(SUCCEEDED(device_->SetTexture(0, texture.Get())));
        Set(D3DRS_ALPHABLENDENABLE, TRUE);
        Set(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        Set(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        DrawRhwTexQuad(10, 10, 40, 20, 0xFFFFFFFF);
        End();
        Frame frame = Capture();
        device_->SetTexture(0, nullptr);
        return {frame.At(20, 20), frame.At(40, 20)};
    }

    static int Expand(int value, int bits) { return static_cast<int>(std::lround(value * 255.0 / ((1 << bits) - 1))); }
    static std::uint32_t Scaled(int r, int g, int b, float alpha) {
        auto s = [&](int v) { return static_cast<DWORD>(std::lround(v * alpha)); };
        return 0xFF000000 | s(r) << 16 | s(g) << 8 | s(b);
    }
};

TEST_F(TextureFormatTest, A4R4G4B4) {
    // Left: a=F r=8 g=4 b=C; right: a=8 r=F g=F b=3.
    auto [left, right] = DrawPair(D3DFMT_A4R4G4B4, 0xF84C, 0x8FF3);
    EXPECT_TRUE(ColourNear(left, Scaled(Expand(8, 4), Expand(4, 4), Expand(0xC, 4), 1.0f)));
    EXPECT_TRUE(ColourNear(right, Scaled(255, 255, Expand(3, 4), Expand(8, 4) / 255.0f)));
}

TEST_F(TextureFormatTest, R5G6B5) {
    // Left: r=31 g=0 b=10; right: r=3 g=50 b=31. No alpha: opaque.
    WORD left = static_cast<WORD>(31 << 11 | 0 << 5 | 10), right = static_cast<WORD>(3 << 11 | 50 << 5 | 31);
    auto [l, r] = DrawPair(D3DFMT_R5G6B5, left, right);
    EXPECT_TRUE(ColourNear(l, Scaled(255, 0, Expand(10, 5), 1.0f)));
    EXPECT_TRUE(ColourNear(r, Scaled(Expand(3, 5), Expand(50, 6), 255, 1.0f)));
}

TEST_F(TextureFormatTest, R5G6B5ChannelsWidenByRepeatingTheirTopBits) {
    // The picture is the same on every GL the device runs on: five- and six-bit channels become
    // eight bits with their top bits repeated below them (3 of 31 is 0x18, 50 of 63 is 0xCB),
    // exactly, under a modulate by white and no blending.
    auto repeat = [](int v, int bits) { return (v << (8 - bits)) | (v >> (2 * bits - 8)); };
    const int values[][3] = {{3, 50, 31}, {31, 0, 10}, {17, 33, 1}, {0, 63, 30}};
    for (const auto& v : values) {
        const auto texel = static_cast<WORD>(v[0] << 11 | v[1] << 5 | v[2]);
        auto texture = MakeTexture(1, 1, 1, D3DFMT_R5G6B5);
        ASSERT_TRUE(texture);
        FillLevel<WORD>(texture.Get(), 0, 1, 1, {texel});
        Begin();
        Clear(kBackground);
        ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, texture.Get())));
        DrawRhwTexQuad(10, 10, 8, 8, 0xFFFFFFFF);
        End();
        const Frame frame = Capture();
        device_->SetTexture(0, nullptr);
        const auto expected = static_cast<std::uint32_t>(0xFF000000u | repeat(v[0], 5) << 16 | repeat(v[1], 6) << 8 |
                                                         repeat(v[2], 5));
        EXPECT_TRUE(ColourNear(frame.At(14, 14), expected, 0)) << "texel " << Hex(texel);
    }
}

TEST_F(TextureFormatTest, A1R5G5B5) {
    // Left: opaque r=20 g=5 b=31; right: alpha 0 (not seen) r=g=b=31.
    WORD left = static_cast<WORD>(1 << 15 | 20 << 10 | 5 << 5 | 31), right = 0x7FFF;
    auto [l, r] = DrawPair(D3DFMT_A1R5G5B5, left, right);
    EXPECT_TRUE(ColourNear(l, Scaled(Expand(20, 5), Expand(5, 5), 255, 1.0f)));
    EXPECT_TRUE(ColourNear(r, kBackground));
}

TEST_F(TextureFormatTest, X8R8G8B8IgnoresTheUnusedByte) {
    auto texture = MakeTexture(1, 1, 1, D3DFMT_X8R8G8B8);
    ASSERT_TRUE(texture);
    FillLevel<std::uint32_t>(texture.Get(), 0, 1, 1, {0x00C08040});  // top byte 0
    Begin();
    Clear(kBackground);
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, texture.Get())));
    Set(D3DRS_ALPHABLENDENABLE, TRUE);
    Set(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    Set(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    DrawRhwTexQuad(10, 10, 20, 20, 0xFFFFFFFF);
    End();
    EXPECT_TRUE(ColourNear(Capture().At(20, 20), 0xFFC08040)) << "X8 texels are opaque";
    device_->SetTexture(0, nullptr);
}

// ---- Mip chain ----------------------------------------------------------------------------

class MipTest : public TextureTest {
protected:
    // 16 x 16 with five levels, each one flat colour.
    void SetUp() override {
        TextureTest::SetUp();
        if (HasFatalFailure()) return;
        mips_ = MakeTexture(16, 16, 5, D3DFMT_A8R8G8B8);
        ASSERT_TRUE(mips_);
        ASSERT_EQ(mips_->GetLevelCount(), 5u);
        for (UINT level = 0; level < 5; ++level) {
            UINT size = 16 >> level;
            FillLevel(mips_.Get(), level, size, size, std::vector<std::uint32_t>(size * size, kLevelColours[level]));
        }
    }
    void TearDown() override {
        if (device_) device_->SetTexture(0, nullptr);
        mips_.Reset();
        TextureTest::TearDown();
    }

    // The texture squeezed into 4 x 4 pixels: four texels per pixel, level 2 by size.
    std::uint32_t DrawMinified() {
        Begin();
        Clear(kBackground);
        EXPECT_TRUE(SUCCEEDED(device_->SetTexture(0, mips_.Get())));
        DrawRhwTexQuad(50, 50, 4, 4, 0xFFFFFFFF);
        End();
        return Capture().At(51, 51);
    }

    static constexpr D3DCOLOR kLevelColours[5] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF};
    ComPtr<IDirect3DTexture8> mips_;
};

TEST_F(MipTest, MipFilterNoneSamplesLevelZero) {
    EXPECT_TRUE(ColourNear(DrawMinified(), kLevelColours[0]));
    SetStage(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    EXPECT_TRUE(ColourNear(DrawMinified(), kLevelColours[0])) << "linear filtering, still no mip filter";
}

TEST_F(MipTest, MipFilterPointPicksTheLevelBySize) {
    SetStage(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    EXPECT_TRUE(ColourNear(DrawMinified(), kLevelColours[2]));
}

}  // namespace
}  // namespace pixeltest

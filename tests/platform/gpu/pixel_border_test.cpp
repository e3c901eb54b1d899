// Border addressing: under D3DTADDRESS_BORDER a coordinate outside [0, 1] samples the stage's
// border colour (a D3DCOLOR, alpha included), which the stage then combines like any texel,
// whatever the texture's format stores or leaves out.
//
// Every texture here is 2 x 2 texels of one value, drawn point-filtered over 64 x 64 pixels with
// texture coordinates 0..2: the top-left 32 x 32 pixels sample the texels, the other three
// quarters the border. Drawn with SRCALPHA / INVSRCALPHA blending over a grey picture, the
// border's alpha shows in the colour.
#include <algorithm>

#include "tests/platform/gpu/headless_fixture.h"

namespace pixeltest {
namespace {

constexpr D3DCOLOR kPicture = D3DCOLOR_XRGB(0x40, 0x40, 0x40);
constexpr D3DCOLOR kDiffuse = D3DCOLOR_XRGB(0xFF, 0xC0, 0x80);
constexpr int kSize = 64;

// One texel of a format as the bytes it is stored in, and the ARGB colour it samples as.
struct FormatCase {
    const char* name;
    D3DFORMAT format;
    std::vector<BYTE> texel;
    D3DCOLOR samples;
};

int Expand(int value, int bits) { return static_cast<int>(std::lround(value * 255.0 / ((1 << bits) - 1))); }
D3DCOLOR Argb(int a, int r, int g, int b) {
    return static_cast<D3DCOLOR>(a) << 24 | static_cast<D3DCOLOR>(r) << 16 | static_cast<D3DCOLOR>(g) << 8 |
           static_cast<D3DCOLOR>(b);
}
std::vector<BYTE> Bytes(std::uint32_t value, int count) {
    std::vector<BYTE> bytes;
    for (int i = 0; i < count; ++i) bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
    return bytes;
}

std::vector<FormatCase> Formats() {
    return {
        {"A8R8G8B8", D3DFMT_A8R8G8B8, Bytes(0xC0306090, 4), 0xC0306090},
        // The unused byte holds something other than 0xFF: texels stay opaque.
        {"X8R8G8B8", D3DFMT_X8R8G8B8, Bytes(0x10306090, 4), 0xFF306090},
        {"R8G8B8", D3DFMT_R8G8B8, Bytes(0x306090, 3), 0xFF306090},
        {"R5G6B5", D3DFMT_R5G6B5, Bytes(6 << 11 | 24 << 5 | 18, 2), Argb(255, Expand(6, 5), Expand(24, 6), Expand(18, 5))},
        {"X1R5G5B5", D3DFMT_X1R5G5B5, Bytes(6 << 10 | 12 << 5 | 18, 2), Argb(255, Expand(6, 5), Expand(12, 5), Expand(18, 5))},
        {"A1R5G5B5", D3DFMT_A1R5G5B5, Bytes(1 << 15 | 6 << 10 | 12 << 5 | 18, 2),
         Argb(255, Expand(6, 5), Expand(12, 5), Expand(18, 5))},
        {"A4R4G4B4", D3DFMT_A4R4G4B4, Bytes(0xC369, 2), Argb(0xCC, 0x33, 0x66, 0x99)},
        {"X4R4G4B4", D3DFMT_X4R4G4B4, Bytes(0x4369, 2), Argb(0xFF, 0x33, 0x66, 0x99)},
        {"L8", D3DFMT_L8, Bytes(0x70, 1), 0xFF707070},
        {"A8", D3DFMT_A8, Bytes(0xC0, 1), 0xC0000000},
        {"A8L8", D3DFMT_A8L8, Bytes(0xC070, 2), 0xC0707070},
    };
}

// Stage colour MODULATE(texture, diffuse), alpha SELECTARG1(texture), blended over the picture.
D3DCOLOR Expected(D3DCOLOR sample) {
    const double a = Channel(sample, 24) / 255.0;
    D3DCOLOR out = 0xFF000000;
    for (int shift : {16, 8, 0}) {
        const double source = Channel(sample, shift) * Channel(kDiffuse, shift) / 255.0;
        out |= static_cast<D3DCOLOR>(std::lround(source * a + Channel(kPicture, shift) * (1 - a))) << shift;
    }
    return out;
}

class BorderTest : public HeadlessDeviceTest {
protected:
    void TearDown() override {
        if (device_) device_->SetTexture(0, nullptr);
        HeadlessDeviceTest::TearDown();
    }

    ComPtr<IDirect3DTexture8> MakeFilled(const FormatCase& c) {
        auto texture = MakeTexture(2, 2, 1, c.format);
        if (!texture) return texture;
        D3DLOCKED_RECT locked{};
        EXPECT_TRUE(SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0)));
        if (!locked.pBits) return {};
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 2; ++column)
                std::memcpy(static_cast<BYTE*>(locked.pBits) + row * locked.Pitch + column * c.texel.size(),
                            c.texel.data(), c.texel.size());
        EXPECT_TRUE(SUCCEEDED(texture->UnlockRect(0)));
        return texture;
    }

    void UseBorder(D3DCOLOR border) {
        SetStage(0, D3DTSS_ADDRESSU, D3DTADDRESS_BORDER);
        SetStage(0, D3DTSS_ADDRESSV, D3DTADDRESS_BORDER);
        SetStage(0, D3DTSS_BORDERCOLOR, border);
    }

    void Blend() {
        Set(D3DRS_ALPHABLENDENABLE, TRUE);
        Set(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        Set(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }

    void DrawQuad(int x, int y) { DrawRhwTexQuad(x, y, kSize, kSize, kDiffuse, 2.0f, 2.0f); }

    // Checks the quad at (x, y): `inside` on the quarter within [0, 1], `border` on the rest.
    static void ExpectQuad(const Frame& frame, int x, int y, D3DCOLOR inside, D3DCOLOR border, const char* what) {
        SCOPED_TRACE(what);
        int misses = 0;
        for (int py = 0; py < kSize; ++py) {
            for (int px = 0; px < kSize; ++px) {
                const D3DCOLOR expected = px < kSize / 2 && py < kSize / 2 ? inside : border;
                const std::uint32_t actual = frame.At(x + px, y + py);
                if (!ColourNear(actual, expected, 3) && ++misses <= 4)
                    ADD_FAILURE() << "pixel (" << px << ", " << py << ") is " << Hex(actual) << ", expected "
                                  << Hex(expected);
            }
        }
        EXPECT_EQ(misses, 0);
    }
};

TEST_F(BorderTest, CoordinatesPastTheEdgeShowTheBorderColourOfEveryFormat) {
    // Two quads per format in one frame with different border colours between them: the second
    // must not reuse what the first was drawn with.
    const D3DCOLOR borders[2] = {0x80E06020, 0xFF20A0E0};
    Blend();
    for (const FormatCase& c : Formats()) {
        SCOPED_TRACE(c.name);
        auto texture = MakeFilled(c);
        ASSERT_TRUE(texture);
        ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, texture.Get())));
        Begin();
        Clear(kPicture);
        UseBorder(borders[0]);
        DrawQuad(10, 10);
        SetStage(0, D3DTSS_BORDERCOLOR, borders[1]);
        DrawQuad(100, 10);
        End();
        const Frame frame = Capture();
        ExpectQuad(frame, 10, 10, Expected(c.samples), Expected(borders[0]), "first border colour");
        ExpectQuad(frame, 100, 10, Expected(c.samples), Expected(borders[1]), "second border colour");
        ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, nullptr)));
    }
}

TEST_F(BorderTest, BorderAlphaIsTestedOnTexturesWithoutAlpha) {
    // The texels of an X8R8G8B8 texture always pass an alpha test; its border need not. The
    // first quad's opaque border passes GREATEREQUAL 0x80; the second one, drawn under the same
    // states but for a border with less alpha, fails it and leaves the picture.
    auto texture = MakeFilled(Formats()[1]);
    ASSERT_TRUE(texture);
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, texture.Get())));
    Set(D3DRS_ALPHATESTENABLE, TRUE);
    Set(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    Set(D3DRS_ALPHAREF, 0x80);
    Begin();
    Clear(kPicture);
    UseBorder(0xFFE06020);
    DrawQuad(10, 10);
    SetStage(0, D3DTSS_BORDERCOLOR, 0x40E06020);
    DrawQuad(100, 10);
    End();
    const Frame frame = Capture();
    const D3DCOLOR inside = Expected(0xFF306090);
    ExpectQuad(frame, 10, 10, inside, Expected(0xFFE06020), "opaque border");
    ExpectQuad(frame, 100, 10, inside, kPicture, "border alpha below the reference");
}

TEST_F(BorderTest, OtherAddressModesIgnoreTheBorderColour) {
    // Clamped after a border draw: the edge texels stretch out, whatever the border colour.
    auto texture = MakeFilled(Formats()[0]);
    ASSERT_TRUE(texture);
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, texture.Get())));
    Blend();
    Begin();
    Clear(kPicture);
    UseBorder(0xFF20A0E0);
    DrawQuad(10, 10);
    SetStage(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    SetStage(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    DrawQuad(100, 10);
    End();
    const Frame frame = Capture();
    const D3DCOLOR inside = Expected(0xC0306090);
    ExpectQuad(frame, 10, 10, inside, Expected(0xFF20A0E0), "border");
    ExpectQuad(frame, 100, 10, inside, inside, "clamp");
}

}  // namespace
}  // namespace pixeltest

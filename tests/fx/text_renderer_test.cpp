#include "fx/text_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "render/render_device.h"
#include "tests/common/read_back.h"
#include "tests/render/fresh_process.h"
#include "tests/render/render_device_fixture.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

class TextRendererTest : public rendertest::RenderDeviceTest<kWidth, kHeight> {
protected:
    void LimitTextureWidth(DWORD width) {
        D3DCAPS8 caps{};
        ASSERT_EQ(device->GetDeviceCaps(&caps), 0);
        caps.MaxTextureWidth = width;
        device->OverrideDeviceCaps(caps);
    }

    static std::vector<TextRenderer::Vertex> Vertices(const TextRenderer& text, size_t count) {
        BYTE* data = nullptr;
        EXPECT_GE(text.VertexBuffer()->Lock(0, 0, &data, D3DLOCK_READONLY), 0);
        std::vector<TextRenderer::Vertex> vertices(count);
        std::memcpy(vertices.data(), data, count * sizeof(TextRenderer::Vertex));
        text.VertexBuffer()->Unlock();
        return vertices;
    }

    D3DDRAWSTATS Draw(TextRenderer& text, const std::string& string) {
        device->ResetDrawStats();
        EXPECT_EQ(text.DrawText(10.0f, 20.0f, 0xFFFFFFFF, string.c_str(), 0), 0);
        D3DDRAWSTATS stats{};
        device->GetDrawStats(&stats);
        return stats;
    }

    std::vector<std::uint32_t> ReadBack() { return testpixels::ReadBack(device, kWidth, kHeight).pixels; }

};

float Width(const TextRenderer& text, char c) { return (text.Glyph(c).tu2 - text.Glyph(c).tu1) * text.TextureWidth(); }

// ---- Atlas ----------------------------------------------------------------------------------

TEST_F(TextRendererTest, AtlasSideFollowsThePointSize) {
    for (auto [points, side] : {std::pair<DWORD, DWORD>{20, 256}, {21, 512}, {40, 512}, {41, 1024}}) {
        TextRenderer text("Arial", points, FontFlags::kPlain);
        ASSERT_EQ(text.Init(), 0) << points;
        EXPECT_EQ(text.TextureWidth(), side) << points;
        EXPECT_EQ(text.TextureHeight(), side) << points;
        EXPECT_EQ(text.TextScale(), 1.0f);
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(text.Texture()->GetLevelDesc(0, &desc), 0);
        EXPECT_EQ(desc.Width, side);
        EXPECT_EQ(desc.Format, D3DFMT_A4R4G4B4);
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
        EXPECT_EQ(text.Texture()->GetLevelCount(), 1u);
        D3DVERTEXBUFFER_DESC vb{};
        ASSERT_EQ(text.VertexBuffer()->GetDesc(&vb), 0);
        EXPECT_EQ(vb.Size, 8400u);
        EXPECT_EQ(vb.Usage, D3DUSAGE_DYNAMIC);
    }
}

TEST_F(TextRendererTest, SmallTextureLimitHalvesTheFontAndDoublesTheQuads) {
    LimitTextureWidth(512);
    TextRenderer text("Arial", 48, FontFlags::kPlain);
    ASSERT_EQ(text.Init(), 0);
    EXPECT_EQ(text.TextureWidth(), 512u);
    EXPECT_EQ(text.TextureHeight(), 512u);
    EXPECT_FLOAT_EQ(text.TextScale(), 0.5f);
    // Rasterised at MulDiv(48, 48, 72) = 32 pixels.
    auto half = platform::Font::Open(platform::FontRequest{"Arial", 32, 400, false});
    ASSERT_TRUE(half);
    const auto extent = half->TextExtent('H');
    EXPECT_FLOAT_EQ(Width(text, 'H'), static_cast<float>(extent.cx));
    ASSERT_EQ(text.DrawText(0.0f, 0.0f, 0xFFFFFFFF, "H", 0), 0);
    const auto v = Vertices(text, 6);
    EXPECT_FLOAT_EQ(v[2].x - v[0].x, 2.0f * extent.cx);
    EXPECT_FLOAT_EQ(v[0].y - v[1].y, 2.0f * extent.cy);
}

TEST_F(TextRendererTest, AtlasHoldsTheFontItsFlagsAskForAtItsPixelHeight) {
    // 13 points at 96 dpi: 17 pixels; bold is weight 700.
    struct Case {
        FontFlags flags;
        int weight;
        bool italic;
    };
    const Case cases[] = {{FontFlags::kBold, 700, false},
                          {FontFlags::kPlain, 400, false},
                          {FontFlags::kItalic, 400, true},
                          {FontFlags::kBold | FontFlags::kItalic, 700, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<DWORD>(c.flags));
        TextRenderer text("Arial", 13, c.flags);
        ASSERT_EQ(text.Init(), 0);
        auto font = platform::Font::Open(platform::FontRequest{"Arial", 17, c.weight, c.italic});
        ASSERT_TRUE(font);
        GlyphAtlas expected(256, 256);
        expected.Rasterise(*font);
        for (int code = 32; code <= 127; ++code) {
            EXPECT_EQ(std::memcmp(&text.Glyph(code), &expected.Table()[code - 32], sizeof(GlyphCoords)), 0) << code;
        }
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(text.Texture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), 0);
        std::vector<BYTE> texels(256 * 512);
        expected.ConvertTo4444(texels.data(), 512);
        for (int j = 0; j < 256; ++j) {
            ASSERT_EQ(std::memcmp(static_cast<BYTE*>(locked.pBits) + j * locked.Pitch, &texels[j * 512], 512), 0)
                << j;
        }
        text.Texture()->UnlockRect(0);
    }
}

// Font flags are a type of their own: a DrawText flag, or any bare number, passed where a font
// flag belongs does not compile.
static_assert(std::is_constructible_v<TextRenderer, const char*, DWORD, FontFlags>);
static_assert(!std::is_constructible_v<TextRenderer, const char*, DWORD, DWORD>);
static_assert(!std::is_constructible_v<TextRenderer, const char*, int, int>);

// ---- Batching and pen movement --------------------------------------------------------------

TEST_F(TextRendererTest, DrawsEveryFiftyCharactersAndOnceAtTheEnd) {
    TextRenderer text("Arial", 8, FontFlags::kPlain);
    ASSERT_EQ(text.Init(), 0);
    auto stats = Draw(text, std::string(50, 'x'));
    EXPECT_EQ(stats.drawCalls, 1u);
    EXPECT_EQ(stats.primitives, 100u);
    stats = Draw(text, std::string(50, 'x') + "y");
    EXPECT_EQ(stats.drawCalls, 2u);
    EXPECT_EQ(stats.primitives, 102u);
    EXPECT_FLOAT_EQ(Vertices(text, 1)[0].u, text.Glyph('y').tu1);  // the last batch starts the buffer
    EXPECT_EQ(Draw(text, std::string(149, 'z')).primitives, 298u);
    // Nothing printable: states go through the blocks, but no draw is made.
    EXPECT_EQ(Draw(text, "").drawCalls, 0u);
    EXPECT_EQ(Draw(text, "\n\n\t\x01\x1f\x7f\x80\xff").drawCalls, 0u);
}

TEST_F(TextRendererTest, EachGlyphIsTwoTrianglesWithHalfPixelOffsets) {
    TextRenderer text("Arial", 11, FontFlags::kPlain);
    ASSERT_EQ(text.Init(), 0);
    const D3DCOLOR colour = 0xC8123456;
    ASSERT_EQ(text.DrawText(100.0f, 50.0f, colour, "A", 0), 0);
    const auto& g = text.Glyph('A');
    const float l = 99.5f, t = 49.5f, r = l + Width(text, 'A'), b = t + (g.tv2 - g.tv1) * text.TextureHeight();
    const float expected[6][4] = {{l, b, g.tu1, g.tv2}, {l, t, g.tu1, g.tv1}, {r, b, g.tu2, g.tv2},
                                  {r, t, g.tu2, g.tv1}, {r, b, g.tu2, g.tv2}, {l, t, g.tu1, g.tv1}};
    const auto v = Vertices(text, 6);
    for (int k = 0; k < 6; ++k) {
        EXPECT_FLOAT_EQ(v[k].x, expected[k][0]) << k;
        EXPECT_FLOAT_EQ(v[k].y, expected[k][1]) << k;
        EXPECT_FLOAT_EQ(v[k].u, expected[k][2]) << k;
        EXPECT_FLOAT_EQ(v[k].v, expected[k][3]) << k;
        EXPECT_FLOAT_EQ(v[k].z, 0.9f);
        EXPECT_FLOAT_EQ(v[k].rhw, 1.0f);
        EXPECT_EQ(v[k].diffuse, colour);
    }
}

TEST_F(TextRendererTest, NewlinesAndSkippedCodesMoveThePenAsSpecified) {
    TextRenderer text("Arial", 11, FontFlags::kBold);
    ASSERT_EQ(text.Init(), 0);
    const float line = (text.Glyph(' ').tv2 - text.Glyph(' ').tv1) * text.TextureHeight();
    ASSERT_GT(line, 0.0f);
    ASSERT_EQ(text.DrawText(30.0f, 40.0f, 0xFFFFFFFF, "A\tB\x01\x7f\x80\xa0\nC\n\nD", 0), 0);
    const auto v = Vertices(text, 24);
    // Vertex 1 of each quad is its top-left corner. Skipped codes do not advance the pen.
    EXPECT_FLOAT_EQ(v[1].x, 29.5f);
    EXPECT_FLOAT_EQ(v[7].x, 29.5f + Width(text, 'A'));  // B follows A by A's width, no gap
    EXPECT_FLOAT_EQ(v[7].y, 39.5f);
    EXPECT_FLOAT_EQ(v[7].u, text.Glyph('B').tu1);
    EXPECT_FLOAT_EQ(v[13].x, 29.5f);  // C at the line start, one space height lower
    EXPECT_FLOAT_EQ(v[13].y, 39.5f + line);
    EXPECT_FLOAT_EQ(v[19].x, 29.5f);  // two newlines: two lines further
    EXPECT_FLOAT_EQ(v[19].y, 39.5f + 3 * line);
    EXPECT_FLOAT_EQ(v[19].u, text.Glyph('D').tu1);
}

// ---- Device state -----------------------------------------------------------------------------

TEST_F(TextRendererTest, DrawingPutsBackEveryStateItChanges) {
    TextRenderer text("Arial", 8, FontFlags::kPlain);
    ASSERT_EQ(text.Init(), 0);
    IDirect3DTexture8* raw = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &raw), 0);
    ComPtr<IDirect3DTexture8> other(raw);

    const std::pair<D3DRENDERSTATETYPE, DWORD> renderStates[] = {
        {D3DRS_ALPHABLENDENABLE, FALSE}, {D3DRS_SRCBLEND, D3DBLEND_ONE},      {D3DRS_DESTBLEND, D3DBLEND_ZERO},
        {D3DRS_ALPHATESTENABLE, FALSE},  {D3DRS_ALPHAREF, 0x40},              {D3DRS_ALPHAFUNC, D3DCMP_LESS},
        {D3DRS_CULLMODE, D3DCULL_NONE},  {D3DRS_ZENABLE, D3DZB_TRUE},         {D3DRS_FOGENABLE, TRUE},
        {D3DRS_CLIPPLANEENABLE, 1},      {D3DRS_FILLMODE, D3DFILL_WIREFRAME},
    };
    const std::tuple<DWORD, D3DTEXTURESTAGESTATETYPE, DWORD> stageStates[] = {
        {0, D3DTSS_COLOROP, D3DTOP_SELECTARG1}, {0, D3DTSS_COLORARG1, D3DTA_DIFFUSE},
        {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2}, {0, D3DTSS_MINFILTER, D3DTEXF_POINT},
        {0, D3DTSS_MAGFILTER, D3DTEXF_POINT},   {0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR},
        {1, D3DTSS_COLOROP, D3DTOP_MODULATE},   {1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
    };
    for (auto [state, value] : renderStates) device->SetRenderState(state, value);
    for (auto [stage, type, value] : stageStates) device->SetTextureStageState(stage, type, value);
    device->SetTexture(0, other.Get());

    // Filtered drawing also switches the stage 0 filters to LINEAR while it draws.
    ASSERT_EQ(text.DrawText(10.0f, 10.0f, 0xFFFFFFFF, "Restore", TextRenderer::kFiltered), 0);

    for (auto [state, value] : renderStates) {
        DWORD now = 0;
        device->GetRenderState(state, &now);
        EXPECT_EQ(now, value) << "render state " << state;
    }
    for (auto [stage, type, value] : stageStates) {
        DWORD now = 0;
        device->GetTextureStageState(stage, type, &now);
        EXPECT_EQ(now, value) << "stage " << stage << " state " << type;
    }
    IDirect3DBaseTexture8* bound = nullptr;
    device->GetTexture(0, &bound);
    EXPECT_EQ(bound, other.Get());
    if (bound) bound->Release();
}

// ---- Pixels -----------------------------------------------------------------------------------

TEST_F(TextRendererTest, GlyphAppearsInItsCellInTheColourAsked) {
    TextRenderer text("Arial", 13, FontFlags::kBold);
    ASSERT_EQ(text.Init(), 0);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    ASSERT_EQ(text.DrawText(100.0f, 100.0f, 0xFFFF0000, "H", 0), 0);
    device->EndScene();
    const auto pixels = ReadBack();

    // Pixel (100 + i, 100 + j) shows texel (i, j) of the cell: alpha n/15 blends red over black.
    const auto& g = text.Glyph('H');
    const int side = static_cast<int>(text.TextureWidth());
    const int tx = int(g.tu1 * side + 0.5f), ty = int(g.tv1 * side + 0.5f);
    const int w = int(g.tu2 * side + 0.5f) - tx, h = int(g.tv2 * side + 0.5f) - ty;
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(text.Texture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), 0);
    int solid = 0;
    for (int py = 0; py < kHeight; ++py) {
        for (int px = 0; px < kWidth; ++px) {
            const std::uint32_t p = pixels[size_t(py) * kWidth + px];
            ASSERT_EQ(p & 0xFFFF, 0u) << px << "," << py;
            int coverage = 0;
            if (px >= 100 && px < 100 + w && py >= 100 && py < 100 + h) {
                WORD texel;
                std::memcpy(&texel, static_cast<BYTE*>(locked.pBits) + (ty + py - 100) * locked.Pitch + (tx + px - 100) * 2, 2);
                coverage = texel >> 12;
            }
            ASSERT_NEAR(int((p >> 16) & 0xFF), coverage * 17, 2) << px << "," << py;
            solid += coverage == 15;
        }
    }
    text.Texture()->UnlockRect(0);
    EXPECT_GT(solid, 20);
}

TEST_F(TextRendererTest, TransparentColourDrawsNothingAndTranslucentIsDimmer) {
    TextRenderer text("Arial", 13, FontFlags::kBold);
    ASSERT_EQ(text.Init(), 0);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    ASSERT_EQ(text.DrawText(100.0f, 100.0f, 0x00FFFFFF, "Hidden", 0), 0);
    ASSERT_EQ(text.DrawText(100.0f, 200.0f, 0xC8FFFFFF, "H", 0), 0);
    device->EndScene();
    const auto pixels = ReadBack();
    int brightest = 0;
    for (size_t k = 0; k < pixels.size(); ++k) {
        const int level = pixels[k] & 0xFF;
        if (k < size_t(150) * kWidth) {
            ASSERT_EQ(level, 0) << k % kWidth << "," << k / kWidth;
        }
        brightest = std::max(brightest, level);
    }
    EXPECT_NEAR(brightest, 200, 2);  // full coverage times alpha 200
}

// ---- Lifecycle and failures ---------------------------------------------------------------

TEST_F(TextRendererTest, DrawingNeedsAnInitialisedRenderer) {
    TextRenderer text("Arial", 8, FontFlags::kPlain);
    device->ResetDrawStats();
    EXPECT_EQ(text.DrawText(0.0f, 0.0f, 0xFFFFFFFF, "A", 0), E_FAIL);
    ASSERT_EQ(text.Init(), 0);
    EXPECT_EQ(text.DrawText(0.0f, 0.0f, 0xFFFFFFFF, nullptr, 0), E_INVALIDARG);
    text.Release();
    EXPECT_EQ(text.Texture(), nullptr);
    EXPECT_EQ(text.VertexBuffer(), nullptr);
    EXPECT_EQ(text.DrawText(0.0f, 0.0f, 0xFFFFFFFF, "A", 0), E_FAIL);
    D3DDRAWSTATS stats{};
    device->GetDrawStats(&stats);
    EXPECT_EQ(stats.drawCalls, 0u);
}

TEST_F(TextRendererTest, FontFailureKeepsTheTextureUntilRelease) {
    TextRenderer text("Arial", 0, FontFlags::kPlain);  // zero points: no font can be made
    testing::internal::CaptureStderr();
    EXPECT_EQ(text.Init(), E_FAIL);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("\"Arial\""), std::string::npos);
    EXPECT_NE(text.Texture(), nullptr);
    EXPECT_EQ(text.VertexBuffer(), nullptr);
    EXPECT_EQ(text.DrawText(0.0f, 0.0f, 0xFFFFFFFF, "A", 0), E_FAIL);
    text.Release();
    EXPECT_EQ(text.Texture(), nullptr);
}

TEST_F(TextRendererTest, TextureCreationFailureIsReturnedAndNothingIsCreated) {
    LimitTextureWidth(0);
    TextRenderer text("Arial", 8, FontFlags::kPlain);
    EXPECT_LT(text.Init(), 0);
    EXPECT_EQ(text.Texture(), nullptr);
    EXPECT_EQ(text.VertexBuffer(), nullptr);
}

TEST(TextRendererWithoutDevice, InitAndDrawFail) {
    // Once made, the process's render device stays: a process of its own has none yet.
    freshprocess::ExpectInFreshProcess([] {
        ASSERT_EQ(RenderDevice::Instance().GetDevice(), nullptr);
        TextRenderer text("Arial", 8, FontFlags::kPlain);
        EXPECT_EQ(text.Init(), E_FAIL);
        EXPECT_EQ(text.DrawText(0.0f, 0.0f, 0xFFFFFFFF, "A", 0), E_FAIL);
    });
}

TEST(TextRendererConstruction, FaceNamesAreCutToSeventyNineCharacters) {
    const std::string longName(200, 'q');
    EXPECT_EQ(std::string(TextRenderer(longName.c_str(), 8, FontFlags::kPlain).FaceName()), std::string(79, 'q'));
    EXPECT_STREQ(TextRenderer(nullptr, 8, FontFlags::kPlain).FaceName(), "");
    EXPECT_STREQ(TextRenderer("Arial", 8, FontFlags::kPlain).FaceName(), "Arial");
}

}  // namespace

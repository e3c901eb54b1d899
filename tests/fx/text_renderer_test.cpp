#include "fx/text_renderer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/font/font.h"
#include "platform/window/headless_window.h"
#include "render/render_device.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// Each test runs in its own process: the render device is set up once per test on a headless
// surface that outlives it.
class TextRendererTest : public testing::Test {
protected:
    void SetUp() override {
        static platform::HeadlessWindow window(kWidth, kHeight);
        DisplaySettings settings{kWidth, kHeight, 0, 0, 1, 0};
        ASSERT_GE(RenderDevice::Instance().Initialize(&window, settings, 0, 0, kWidth, kHeight), 0);
        device = RenderDevice::Instance().GetDevice();
        ASSERT_NE(device, nullptr);
    }

    std::vector<TextRenderer::Vertex> BufferVertices(const TextRenderer& text, size_t count) {
        BYTE* data = nullptr;
        EXPECT_GE(text.VertexBuffer()->Lock(0, 0, &data, D3DLOCK_READONLY), 0);
        std::vector<TextRenderer::Vertex> vertices(count);
        std::memcpy(vertices.data(), data, count * sizeof(TextRenderer::Vertex));
        text.VertexBuffer()->Unlock();
        return vertices;
    }

    D3DDRAWSTATS Draw(TextRenderer& text, const char* string, DWORD flags = 0) {
        device->ResetDrawStats();
        device->BeginScene();
        EXPECT_EQ(text.DrawText(10.0f, 20.0f, 0xFFFFFFFF, string, flags), 0);
        device->EndScene();
        D3DDRAWSTATS stats{};
        device->GetDrawStats(&stats);
        return stats;
    }

    std::vector<std::uint32_t> ReadBack() {
        std::vector<std::uint32_t> pixels;
        UINT w = 0, h = 0;
        EXPECT_GE(device->ReadBackBuffer(pixels, w, h), 0);
        EXPECT_EQ(w, static_cast<UINT>(kWidth));
        EXPECT_EQ(h, static_cast<UINT>(kHeight));
        return pixels;
    }

    IDirect3DDevice8* device = nullptr;
};

// ---- Atlas ----------------------------------------------------------------------------------

TEST_F(TextRendererTest, AtlasSideFollowsThePointSize) {
    const std::pair<DWORD, DWORD> cases[] = {{8, 256}, {20, 256}, {21, 512}, {40, 512}, {41, 1024}};
    for (const auto& [points, side] : cases) {
        TextRenderer text("Arial", points, 0);
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
        EXPECT_EQ(vb.FVF, 0u);
        text.Release();
    }
}

TEST_F(TextRendererTest, SmallTextureLimitScalesTheFontDown) {
    D3DCAPS8 caps{};
    ASSERT_EQ(device->GetDeviceCaps(&caps), 0);
    caps.MaxTextureWidth = 512;
    device->OverrideDeviceCaps(caps);

    TextRenderer text("Arial", 48, 0);
    ASSERT_EQ(text.Init(), 0);
    EXPECT_EQ(text.TextureWidth(), 512u);
    EXPECT_EQ(text.TextureHeight(), 512u);
    EXPECT_FLOAT_EQ(text.TextScale(), 0.5f);

    // Rasterised at MulDiv(48, 48, 72) = 32 pixels; quads are twice the texel size on screen.
    auto half = platform::Font::Open(platform::FontRequest{"Arial", 32, 400, false});
    ASSERT_TRUE(half);
    const auto extent = half->TextExtent('H');
    const auto& g = text.Glyph('H');
    EXPECT_FLOAT_EQ((g.tu2 - g.tu1) * 512.0f, static_cast<float>(extent.cx));
    EXPECT_FLOAT_EQ((g.tv2 - g.tv1) * 512.0f, static_cast<float>(extent.cy));

    ASSERT_EQ(text.DrawText(0.0f, 0.0f, 0xFFFFFFFF, "H", 0), 0);
    const auto v = BufferVertices(text, 6);
    EXPECT_FLOAT_EQ(v[2].x - v[0].x, 2.0f * extent.cx);
    EXPECT_FLOAT_EQ(v[0].y - v[1].y, 2.0f * extent.cy);
}

TEST_F(TextRendererTest, GlyphTableFollowsTheFontExtentsWithGapsAndWraps) {
    // 13 points bold at 96 dpi: a 17-pixel Arial Bold in a 256-texel atlas (wraps several rows).
    TextRenderer text("Arial", 13, TextRenderer::kBold);
    ASSERT_EQ(text.Init(), 0);
    auto font = platform::Font::Open(platform::FontRequest{"Arial", 17, 700, false});
    ASSERT_TRUE(font);
    int x = 0, y = 0, rows = 1;
    for (int c = 32; c <= 126; ++c) {
        const auto e = font->TextExtent(static_cast<char>(c));
        if (x + e.cx + 1 > 256) {
            x = 0;
            y += e.cy + 1;
            ++rows;
        }
        const auto& g = text.Glyph(c);
        EXPECT_FLOAT_EQ(g.tu1, x / 256.0f) << c;
        EXPECT_FLOAT_EQ(g.tv1, y / 256.0f) << c;
        EXPECT_FLOAT_EQ(g.tu2, (x + e.cx) / 256.0f) << c;
        EXPECT_FLOAT_EQ(g.tv2, (y + e.cy) / 256.0f) << c;
        x += e.cx + 1;
    }
    EXPECT_GE(rows, 3);

    // The texture holds the four-bit coverage: white texels, transparent black elsewhere.
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(text.Texture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), 0);
    int opaque = 0, partial = 0;
    for (int j = 0; j < 256; ++j) {
        const auto* row = reinterpret_cast<const WORD*>(static_cast<const BYTE*>(locked.pBits) + j * locked.Pitch);
        for (int i = 0; i < 256; ++i) {
            ASSERT_TRUE(row[i] == 0 || (row[i] & 0x0FFF) == 0x0FFF) << i << "," << j;
            if (row[i] >> 12 == 15) ++opaque;
            else if (row[i] != 0) ++partial;
        }
    }
    text.Texture()->UnlockRect(0);
    EXPECT_GT(opaque, 100);
    EXPECT_GT(partial, 100);
}

// ---- Draw batching --------------------------------------------------------------------------

TEST_F(TextRendererTest, FiftyCharactersMakeOneDrawAndFiftyOneMakeTwo) {
    TextRenderer text("Arial", 8, 4);
    ASSERT_EQ(text.Init(), 0);
    const std::string fifty(50, 'x');
    auto stats = Draw(text, fifty.c_str());
    EXPECT_EQ(stats.drawCalls, 1u);
    EXPECT_EQ(stats.primitives, 100u);

    stats = Draw(text, (fifty + "y").c_str());
    EXPECT_EQ(stats.drawCalls, 2u);
    EXPECT_EQ(stats.primitives, 102u);
    // The last batch is at the start of the buffer: the one 'y'.
    const auto v = BufferVertices(text, 6);
    EXPECT_FLOAT_EQ(v[0].u, text.Glyph('y').tu1);

    stats = Draw(text, std::string(149, 'z').c_str());
    EXPECT_EQ(stats.drawCalls, 3u);
    EXPECT_EQ(stats.primitives, 298u);
}

TEST_F(TextRendererTest, EmptyAndUnprintableStringsDrawNothing) {
    TextRenderer text("Arial", 8, 0);
    ASSERT_EQ(text.Init(), 0);
    EXPECT_EQ(Draw(text, "").drawCalls, 0u);
    EXPECT_EQ(Draw(text, "\n\n\t\x01\x1f\x7f\x80\xff").drawCalls, 0u);
    const auto stats = Draw(text, "\tA\x7f\n\xe9");
    EXPECT_EQ(stats.drawCalls, 1u);
    EXPECT_EQ(stats.primitives, 2u);
}

// ---- Vertices -------------------------------------------------------------------------------

TEST_F(TextRendererTest, EachGlyphIsTwoTrianglesWithHalfPixelOffsets) {
    TextRenderer text("Arial", 11, 0);
    ASSERT_EQ(text.Init(), 0);
    const D3DCOLOR colour = 0xC8123456;
    ASSERT_EQ(text.DrawText(100.0f, 50.0f, colour, "A", 0), 0);
    const auto& g = text.Glyph('A');
    const float w = (g.tu2 - g.tu1) * text.TextureWidth();
    const float h = (g.tv2 - g.tv1) * text.TextureHeight();
    const float expected[6][4] = {
        {100 - 0.5f, 50 + h - 0.5f, g.tu1, g.tv2}, {100 - 0.5f, 50 - 0.5f, g.tu1, g.tv1},
        {100 + w - 0.5f, 50 + h - 0.5f, g.tu2, g.tv2}, {100 + w - 0.5f, 50 - 0.5f, g.tu2, g.tv1},
        {100 + w - 0.5f, 50 + h - 0.5f, g.tu2, g.tv2}, {100 - 0.5f, 50 - 0.5f, g.tu1, g.tv1},
    };
    const auto v = BufferVertices(text, 6);
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

TEST_F(TextRendererTest, NewlinesReturnToTheLineStartOneSpaceHeightLower) {
    TextRenderer text("Arial", 11, TextRenderer::kBold);
    ASSERT_EQ(text.Init(), 0);
    const auto& space = text.Glyph(' ');
    const float line = (space.tv2 - space.tv1) * text.TextureHeight();
    ASSERT_GT(line, 0.0f);

    ASSERT_EQ(text.DrawText(30.0f, 40.0f, 0xFFFFFFFF, "AB\nC\n\nD", 0), 0);
    const auto v = BufferVertices(text, 24);
    const float wA = (text.Glyph('A').tu2 - text.Glyph('A').tu1) * text.TextureWidth();
    // Top-left corners are vertex 1 of each quad.
    EXPECT_FLOAT_EQ(v[1].x, 30.0f - 0.5f);
    EXPECT_FLOAT_EQ(v[1].y, 40.0f - 0.5f);
    EXPECT_FLOAT_EQ(v[7].x, 30.0f + wA - 0.5f);  // B follows A by A's width, no gap
    EXPECT_FLOAT_EQ(v[7].y, 40.0f - 0.5f);
    EXPECT_FLOAT_EQ(v[13].x, 30.0f - 0.5f);      // C at the line start, one line down
    EXPECT_FLOAT_EQ(v[13].y, 40.0f + line - 0.5f);
    EXPECT_FLOAT_EQ(v[19].x, 30.0f - 0.5f);      // two newlines: two lines further
    EXPECT_FLOAT_EQ(v[19].y, 40.0f + 3 * line - 0.5f);
}

TEST_F(TextRendererTest, ControlAndHighCodesNeitherDrawNorMoveThePen) {
    TextRenderer text("Arial", 11, 0);
    ASSERT_EQ(text.Init(), 0);
    ASSERT_EQ(text.DrawText(5.0f, 6.0f, 0xFFFFFFFF, "A\tB\x01\x7f\x80\xff\xa0" "C", 0), 0);
    const auto v = BufferVertices(text, 18);
    const float wA = (text.Glyph('A').tu2 - text.Glyph('A').tu1) * text.TextureWidth();
    const float wB = (text.Glyph('B').tu2 - text.Glyph('B').tu1) * text.TextureWidth();
    EXPECT_FLOAT_EQ(v[6 + 1].x, 5.0f + wA - 0.5f);
    EXPECT_FLOAT_EQ(v[6 + 1].u, text.Glyph('B').tu1);
    EXPECT_FLOAT_EQ(v[12 + 1].x, 5.0f + wA + wB - 0.5f);
    EXPECT_FLOAT_EQ(v[12 + 1].u, text.Glyph('C').tu1);
    EXPECT_FLOAT_EQ(v[12 + 1].y, 6.0f - 0.5f);
}

// ---- Device state -----------------------------------------------------------------------------

TEST_F(TextRendererTest, DrawingPutsBackEveryStateItChanges) {
    TextRenderer text("Arial", 8, 4);
    ASSERT_EQ(text.Init(), 0);
    IDirect3DTexture8* other = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &other), 0);
    ComPtr<IDirect3DTexture8> otherTexture(other);

    const std::pair<D3DRENDERSTATETYPE, DWORD> renderStates[] = {
        {D3DRS_ALPHABLENDENABLE, FALSE}, {D3DRS_SRCBLEND, D3DBLEND_ONE},   {D3DRS_DESTBLEND, D3DBLEND_ZERO},
        {D3DRS_ALPHATESTENABLE, FALSE},  {D3DRS_ALPHAREF, 0x40},           {D3DRS_ALPHAFUNC, D3DCMP_LESS},
        {D3DRS_CULLMODE, D3DCULL_NONE},  {D3DRS_ZENABLE, D3DZB_TRUE},      {D3DRS_FOGENABLE, TRUE},
        {D3DRS_FILLMODE, D3DFILL_WIREFRAME}, {D3DRS_CLIPPLANEENABLE, 1},
    };
    struct Stage {
        DWORD stage;
        D3DTEXTURESTAGESTATETYPE type;
        DWORD value;
    };
    const Stage stageStates[] = {
        {0, D3DTSS_COLOROP, D3DTOP_SELECTARG1}, {0, D3DTSS_COLORARG1, D3DTA_DIFFUSE},
        {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2}, {0, D3DTSS_MINFILTER, D3DTEXF_POINT},
        {0, D3DTSS_MAGFILTER, D3DTEXF_POINT},   {0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR},
        {1, D3DTSS_COLOROP, D3DTOP_MODULATE},   {1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
    };
    for (const auto& [state, value] : renderStates) device->SetRenderState(state, value);
    for (const auto& s : stageStates) device->SetTextureStageState(s.stage, s.type, s.value);
    device->SetTexture(0, otherTexture.Get());

    // Filtered drawing switches the stage 0 filters to LINEAR while it draws.
    device->BeginScene();
    ASSERT_EQ(text.DrawText(10.0f, 10.0f, 0xFFFFFFFF, "Restore", TextRenderer::kFiltered), 0);
    device->EndScene();

    for (const auto& [state, value] : renderStates) {
        DWORD now = 0;
        device->GetRenderState(state, &now);
        EXPECT_EQ(now, value) << "render state " << state;
    }
    for (const auto& s : stageStates) {
        DWORD now = 0;
        device->GetTextureStageState(s.stage, s.type, &now);
        EXPECT_EQ(now, s.value) << "stage " << s.stage << " state " << s.type;
    }
    IDirect3DBaseTexture8* bound = nullptr;
    device->GetTexture(0, &bound);
    EXPECT_EQ(bound, otherTexture.Get());
    if (bound) bound->Release();
}

// ---- Pixels -----------------------------------------------------------------------------------

// Coverage (0..15) of the atlas texel that the screen pixel (px, py) samples for a glyph drawn
// with its cell's top-left at (x0, y0), or -1 outside the cell.
int TexelCoverage(const TextRenderer& text, char c, int x0, int y0, int px, int py) {
    const auto& g = text.Glyph(c);
    const int w = static_cast<int>((g.tu2 - g.tu1) * text.TextureWidth() + 0.5f);
    const int h = static_cast<int>((g.tv2 - g.tv1) * text.TextureHeight() + 0.5f);
    if (px < x0 || px >= x0 + w || py < y0 || py >= y0 + h) return -1;
    const int tx = static_cast<int>(g.tu1 * text.TextureWidth() + 0.5f) + (px - x0);
    const int ty = static_cast<int>(g.tv1 * text.TextureHeight() + 0.5f) + (py - y0);
    D3DLOCKED_RECT locked{};
    text.Texture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY);
    WORD texel;
    std::memcpy(&texel, static_cast<const BYTE*>(locked.pBits) + ty * locked.Pitch + tx * 2, 2);
    text.Texture()->UnlockRect(0);
    return texel >> 12;
}

TEST_F(TextRendererTest, GlyphIsDrawnInTheColourAskedInsideItsCell) {
    TextRenderer text("Arial", 13, TextRenderer::kBold);
    ASSERT_EQ(text.Init(), 0);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    ASSERT_EQ(text.DrawText(100.0f, 100.0f, 0xFFFF0000, "H", 0), 0);
    device->EndScene();
    const auto pixels = ReadBack();

    int red = 0;
    for (int py = 0; py < kHeight; ++py) {
        for (int px = 0; px < kWidth; ++px) {
            const std::uint32_t p = pixels[static_cast<size_t>(py) * kWidth + px];
            const int r = (p >> 16) & 0xFF, gg = (p >> 8) & 0xFF, b = p & 0xFF;
            const int coverage = TexelCoverage(text, 'H', 100, 100, px, py);
            ASSERT_EQ(gg, 0) << px << "," << py;
            ASSERT_EQ(b, 0) << px << "," << py;
            if (coverage <= 0) {
                ASSERT_EQ(r, 0) << "outside the glyph at " << px << "," << py;
            } else {
                // Texel alpha n/15 blends full red over black.
                EXPECT_NEAR(r, coverage * 17, 2) << px << "," << py;
                if (coverage == 15) ++red;
            }
        }
    }
    EXPECT_GT(red, 20);
}

TEST_F(TextRendererTest, TransparentColourDrawsNothingAndTranslucentIsDimmer) {
    TextRenderer text("Arial", 13, TextRenderer::kBold);
    ASSERT_EQ(text.Init(), 0);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    ASSERT_EQ(text.DrawText(100.0f, 100.0f, 0x00FFFFFF, "Hidden", 0), 0);
    ASSERT_EQ(text.DrawText(100.0f, 200.0f, 0xC8FFFFFF, "H", 0), 0);
    device->EndScene();
    const auto pixels = ReadBack();
    int brightest = 0;
    for (int py = 0; py < kHeight; ++py) {
        for (int px = 0; px < kWidth; ++px) {
            const int level = pixels[static_cast<size_t>(py) * kWidth + px] & 0xFF;
            if (py < 150) {
                ASSERT_EQ(level, 0) << px << "," << py;
            }
            brightest = std::max(brightest, level);
        }
    }
    EXPECT_NEAR(brightest, 200, 2);  // full coverage times alpha 200
}

// ---- Lifecycle and failures ---------------------------------------------------------------

TEST_F(TextRendererTest, DrawingNeedsAnInitialisedRenderer) {
    TextRenderer text("Arial", 8, 0);
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
    text.Release();  // releasing twice is harmless
}

TEST_F(TextRendererTest, ZeroPointFontFailsButKeepsTheTextureForRelease) {
    TextRenderer text("Arial", 0, 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(text.Init(), E_FAIL);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Arial"), std::string::npos);
    EXPECT_NE(text.Texture(), nullptr);
    EXPECT_EQ(text.VertexBuffer(), nullptr);
    EXPECT_EQ(text.DrawText(0.0f, 0.0f, 0xFFFFFFFF, "A", 0), E_FAIL);
    text.Release();
    EXPECT_EQ(text.Texture(), nullptr);
}

TEST_F(TextRendererTest, TextureCreationFailureIsReturnedUnchanged) {
    D3DCAPS8 caps{};
    ASSERT_EQ(device->GetDeviceCaps(&caps), 0);
    caps.MaxTextureWidth = 0;  // no texture can be made
    device->OverrideDeviceCaps(caps);
    TextRenderer text("Arial", 8, 0);
    const HRESULT result = text.Init();
    EXPECT_LT(result, 0);
    EXPECT_EQ(text.Texture(), nullptr);
    EXPECT_EQ(text.VertexBuffer(), nullptr);
}

TEST(TextRendererWithoutDevice, InitAndDrawFail) {
    TextRenderer text("Arial", 8, 0);
    EXPECT_EQ(text.Init(), E_FAIL);
    EXPECT_EQ(text.DrawText(0.0f, 0.0f, 0xFFFFFFFF, "A", 0), E_FAIL);
    text.Release();
}

TEST(TextRendererConstruction, LongFaceNamesAreCutToSeventyNineCharacters) {
    const std::string longName(200, 'q');
    TextRenderer text(longName.c_str(), 8, 0);
    EXPECT_EQ(std::string(text.FaceName()), std::string(79, 'q'));
    TextRenderer unnamed(nullptr, 8, 0);
    EXPECT_STREQ(unnamed.FaceName(), "");
    TextRenderer arial("Arial", 8, 0);
    EXPECT_STREQ(arial.FaceName(), "Arial");
}

}  // namespace

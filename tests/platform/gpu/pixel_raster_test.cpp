// Rasterisation rules: pixel centres at integer coordinates, drawing and Clear limited to the
// viewport, and which triangles each cull mode removes.
#include "tests/platform/gpu/headless_fixture.h"

namespace pixeltest {
namespace {

constexpr D3DCOLOR kBackground = D3DCOLOR_XRGB(0x10, 0x20, 0x30);
constexpr D3DCOLOR kInk = D3DCOLOR_XRGB(0xF0, 0xC0, 0x80);

class CoverageTest : public HeadlessDeviceTest {
protected:
    // Every pixel of the rectangle and of a one-pixel ring around it.
    void ExpectCovers(const Frame& frame, int x, int y, int w, int h) {
        int misses = 0;
        for (int py = y - 1; py <= y + h; ++py) {
            for (int px = x - 1; px <= x + w; ++px) {
                if (px < 0 || py < 0 || px >= kWidth || py >= kHeight) continue;
                bool inside = px >= x && px < x + w && py >= y && py < y + h;
                std::uint32_t expected = inside ? kInk : kBackground;
                if (!ColourNear(frame.At(px, py), expected, 1)) {
                    if (++misses <= 8)
                        ADD_FAILURE() << "pixel (" << px << ", " << py << ") of rect " << x << "," << y << " " << w
                                      << "x" << h << " is " << Hex(frame.At(px, py)) << ", expected "
                                      << Hex(expected);
                }
            }
        }
        EXPECT_EQ(misses, 0);
    }
};

TEST_F(CoverageTest, PreTransformedQuadCoversExactlyItsPixels) {
    const int rects[][4] = {{10, 20, 5, 7}, {100, 101, 1, 1}, {300, 200, 64, 33}, {0, 0, 3, 2}, {637, 470, 3, 10}};
    Begin();
    Clear(kBackground);
    for (const auto& r : rects) DrawRhwQuad(r[0], r[1], r[2], r[3], kInk);
    End();
    Frame frame = Capture();
    for (const auto& r : rects) ExpectCovers(frame, r[0], r[1], r[2], r[3]);
}

TEST_F(CoverageTest, ClearedDepthAndDrawnDepthShareOneScale) {
    // Depth runs from 0 at the near plane to 1 at the far one for Clear and for draws alike: with
    // the buffer cleared to 0.5 and LESS, a quad at 0.4 shows and one at 0.6 does not, also with
    // the viewport's depth range halved (draws at MinZ + 0.4 and 0.6 of it, cleared at 0.75).
    for (const bool halfRange : {false, true}) {
        SCOPED_TRACE(halfRange ? "viewport depth 0.5 to 1" : "viewport depth 0 to 1");
        D3DVIEWPORT8 vp{0, 0, kWidth, kHeight, halfRange ? 0.5f : 0.0f, 1.0f};
        ASSERT_TRUE(SUCCEEDED(device_->SetViewport(&vp)));
        auto depth = [&](float z) { return vp.MinZ + z * (vp.MaxZ - vp.MinZ); };
        Begin();
        Clear(kBackground, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, depth(0.5f));
        Set(D3DRS_ZENABLE, D3DZB_TRUE);
        Set(D3DRS_ZFUNC, D3DCMP_LESS);
        DrawRhwQuad(10, 10, 20, 20, kInk, depth(0.4f));
        DrawRhwQuad(50, 10, 20, 20, kInk, depth(0.6f));
        End();
        const Frame frame = Capture();
        EXPECT_TRUE(ColourNear(frame.At(20, 20), kInk, 1)) << Hex(frame.At(20, 20));
        EXPECT_TRUE(ColourNear(frame.At(60, 20), kBackground, 1)) << Hex(frame.At(60, 20));
    }
}

TEST_F(CoverageTest, LetterboxViewportLimitsClearAndDrawing) {
    Begin();
    Clear(kBackground);
    SetViewport(0, 50, 640, 380);
    Clear(kInk);
    // A quad over the whole target: only the rows inside the viewport change.
    DrawRhwQuad(0, 0, 640, 480, D3DCOLOR_XRGB(0x00, 0xFF, 0x00));
    DrawRhwQuad(20, 40, 10, 20, D3DCOLOR_XRGB(0xFF, 0x00, 0xFF));
    End();
    Frame frame = Capture();
    for (int x : {0, 300, 639}) {
        EXPECT_TRUE(ColourNear(frame.At(x, 0), kBackground, 1));
        EXPECT_TRUE(ColourNear(frame.At(x, 49), kBackground, 1)) << "row 49 is above the viewport";
        EXPECT_TRUE(ColourNear(frame.At(x, 50), 0xFF00FF00, 1)) << "row 50 is the first viewport row";
        EXPECT_TRUE(ColourNear(frame.At(x, 429), 0xFF00FF00, 1)) << "row 429 is the last viewport row";
        EXPECT_TRUE(ColourNear(frame.At(x, 430), kBackground, 1)) << "row 430 is below the viewport";
        EXPECT_TRUE(ColourNear(frame.At(x, 479), kBackground, 1));
    }
    // The small quad is clipped at the viewport's top edge and keeps its screen position.
    EXPECT_TRUE(ColourNear(frame.At(25, 49), kBackground, 1));
    EXPECT_TRUE(ColourNear(frame.At(25, 50), 0xFFFF00FF, 1));
    EXPECT_TRUE(ColourNear(frame.At(25, 59), 0xFFFF00FF, 1));
    EXPECT_TRUE(ColourNear(frame.At(25, 60), 0xFF00FF00, 1));
}

TEST_F(CoverageTest, ClearWithinTheLetterboxLeavesTheBandsAlone) {
    Begin();
    Clear(kBackground);
    SetViewport(0, 50, 640, 380);
    Clear(kInk);
    End();
    Frame frame = Capture();
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
        bool inside = y >= 50 && y < 430;
        for (int x = 0; x < kWidth; x += 7)
            if (!ColourNear(frame.At(x, y), inside ? kInk : kBackground, 1)) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(CoverageTest, ViewportSetBackToFullLetsClearReachEverywhere) {
    Begin();
    Clear(kBackground);
    SetViewport(0, 50, 640, 380);
    Clear(kInk);
    SetViewport(0, 0, 640, 480);
    Clear(D3DCOLOR_XRGB(0x00, 0x80, 0x00));
    DrawRhwQuad(600, 0, 40, 10, kInk);
    End();
    Frame frame = Capture();
    for (int y : {0, 49, 50, 429, 430, 479}) EXPECT_TRUE(ColourNear(frame.At(5, y), 0xFF008000, 1)) << "row " << y;
    EXPECT_TRUE(ColourNear(frame.At(639, 0), kInk, 1));
    EXPECT_TRUE(ColourNear(frame.At(599, 0), 0xFF008000, 1));
}

// ---- Culling ------------------------------------------------------------------------------

// Two triangles on screen: the left one clockwise (y down), the right one counter-clockwise.
class CullTest : public HeadlessDeviceTest {
protected:
    void DrawPreTransformedPair() {
        RhwVertex tris[6] = {{100, 100, 0.5f, 1, kInk}, {160, 100, 0.5f, 1, kInk}, {100, 160, 0.5f, 1, kInk},
                             {300, 100, 0.5f, 1, kInk}, {300, 160, 0.5f, 1, kInk}, {360, 100, 0.5f, 1, kInk}};
        ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kRhwFvf)));
        ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, tris, sizeof(RhwVertex))));
    }

    // The same in world space, seen by a camera; returns whether each lands clockwise.
    void DrawTransformedPair(bool& leftClockwise, bool& rightClockwise) {
        SetCamera({0, 0, -5}, {0, 0, 0});
        Set(D3DRS_LIGHTING, FALSE);
        ColourVertex tris[6] = {{-1.5f, 0.5f, 0, kInk}, {-0.5f, 0.5f, 0, kInk}, {-1.5f, -0.5f, 0, kInk},
                                {0.5f, 0.5f, 0, kInk},  {0.5f, -0.5f, 0, kInk}, {1.5f, 0.5f, 0, kInk}};
        auto clockwise = [&](int i) {
            Vec4 a = Project({tris[i].x, tris[i].y, tris[i].z});
            Vec4 b = Project({tris[i + 1].x, tris[i + 1].y, tris[i + 1].z});
            Vec4 c = Project({tris[i + 2].x, tris[i + 2].y, tris[i + 2].z});
            return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x) > 0;
        };
        leftClockwise = clockwise(0);
        rightClockwise = clockwise(3);
        ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kColourFvf)));
        ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, tris, sizeof(ColourVertex))));
        centres_[0] = Project({-1.2f, 0.2f, 0});
        centres_[1] = Project({0.8f, 0.2f, 0});
    }

    bool Drawn(const Frame& frame, int x, int y) { return ColourNear(frame.At(x, y), kInk, 1); }

    Vec4 centres_[2];
};

struct CullCase {
    const char* name;
    D3DCULL mode;  // 0 keeps the default
    bool clockwiseDrawn;
    bool counterClockwiseDrawn;
};

void PrintTo(const CullCase& c, std::ostream* os) { *os << c.name; }

class CullModeTest : public CullTest, public ::testing::WithParamInterface<CullCase> {
protected:
    void SetMode() {
        if (GetParam().mode != 0) Set(D3DRS_CULLMODE, GetParam().mode);
    }
};

TEST_P(CullModeTest, PreTransformed) {
    Begin();
    Clear(kBackground);
    SetMode();
    DrawPreTransformedPair();
    End();
    Frame frame = Capture();
    EXPECT_EQ(Drawn(frame, 115, 115), GetParam().clockwiseDrawn) << "clockwise triangle";
    EXPECT_EQ(Drawn(frame, 315, 115), GetParam().counterClockwiseDrawn) << "counter-clockwise triangle";
}

TEST_P(CullModeTest, Transformed) {
    Begin();
    Clear(kBackground);
    SetMode();
    bool leftClockwise = false, rightClockwise = false;
    DrawTransformedPair(leftClockwise, rightClockwise);
    End();
    ASSERT_TRUE(leftClockwise);
    ASSERT_FALSE(rightClockwise);
    Frame frame = Capture();
    auto at = [&](int i) { return Drawn(frame, static_cast<int>(std::lround(centres_[i].x)),
                                        static_cast<int>(std::lround(centres_[i].y))); };
    EXPECT_EQ(at(0), GetParam().clockwiseDrawn) << "clockwise triangle";
    EXPECT_EQ(at(1), GetParam().counterClockwiseDrawn) << "counter-clockwise triangle";
}

INSTANTIATE_TEST_SUITE_P(Modes, CullModeTest,
                         ::testing::Values(CullCase{"Default", static_cast<D3DCULL>(0), true, false},
                                           CullCase{"CCW", D3DCULL_CCW, true, false},
                                           CullCase{"CW", D3DCULL_CW, false, true},
                                           CullCase{"None", D3DCULL_NONE, true, true}),
                         [](const ::testing::TestParamInfo<CullCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pixeltest

// Cutting blended quads down to what their image can change: where the non-zero texels lie,
// which coordinates can reach them, which states leave blank texels without effect, and the cut.
#include "platform/gpu/blank_trim.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace gpu {
namespace {

// Position, colour and one coordinate set, as the particle and sprite quads carry them.
struct QuadVertex {
    float x, y, z;
    DWORD diffuse;
    float u, v;
};
constexpr DWORD kQuadFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// A billboard-style strip: corners (0,0), (0,1), (1,0), (1,1) in texture space.
std::vector<QuadVertex> Billboard(float half, DWORD colour = 0xFFFFFFFF) {
    return {{0, half, -half, colour, 0, 0}, {0, half, half, colour, 0, 1}, {0, -half, -half, colour, 1, 0},
            {0, -half, half, colour, 1, 1}};
}

const BYTE* Bytes(const std::vector<QuadVertex>& q) { return reinterpret_cast<const BYTE*>(q.data()); }

TEST(FindLevelBoxes, BoundsColourAndAlphaApartPerFormat) {
    // 8x4 A8R8G8B8: a coloured texel at (2,1), a transparent-coloured one at (6,3), alpha alone at (1,2).
    std::vector<DWORD> texels(32, 0);
    texels[1 * 8 + 2] = 0xFF102030;
    texels[3 * 8 + 6] = 0x00000001;
    texels[2 * 8 + 1] = 0x80000000;
    LevelBoxes b = FindLevelBoxes(D3DFMT_A8R8G8B8, reinterpret_cast<const BYTE*>(texels.data()), 8, 4, 32);
    ASSERT_FALSE(b.box[0].empty);
    EXPECT_EQ(b.box[0].x0, 2u);
    EXPECT_EQ(b.box[0].x1, 6u);
    EXPECT_EQ(b.box[0].y0, 1u);
    EXPECT_EQ(b.box[0].y1, 3u);
    ASSERT_FALSE(b.box[1].empty);
    EXPECT_EQ(b.box[1].x0, 1u);
    EXPECT_EQ(b.box[1].x1, 2u);
    EXPECT_EQ(b.box[1].y0, 1u);
    EXPECT_EQ(b.box[1].y1, 2u);

    // Without alpha bits the alpha reads as one everywhere, whatever the unused byte holds.
    b = FindLevelBoxes(D3DFMT_X8R8G8B8, reinterpret_cast<const BYTE*>(texels.data()), 8, 4, 32);
    EXPECT_EQ(b.box[0].x0, 2u);
    EXPECT_EQ(b.box[0].x1, 6u);
    EXPECT_FALSE(b.box[1].empty);
    EXPECT_EQ(b.box[1].x0, 0u);
    EXPECT_EQ(b.box[1].x1, 7u);

    // The row pitch is honoured: padding bytes past the width are not texels.
    std::vector<WORD> padded(4 * 6, 0xFFFF);  // 4x4 R5G6B5 in rows of 6 texels
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) padded[y * 6 + x] = (x == 3 && y == 0) ? 0x0001 : 0;
    b = FindLevelBoxes(D3DFMT_R5G6B5, reinterpret_cast<const BYTE*>(padded.data()), 4, 4, 12);
    EXPECT_EQ(b.box[0].x0, 3u);
    EXPECT_EQ(b.box[0].x1, 3u);
    EXPECT_EQ(b.box[0].y1, 0u);

    // A8 samples black: no colour anywhere.
    std::vector<BYTE> a8(16, 0xFF);
    b = FindLevelBoxes(D3DFMT_A8, a8.data(), 4, 4, 4);
    EXPECT_TRUE(b.box[0].empty);
    EXPECT_FALSE(b.box[1].empty);

    // A DXT1 block of transparent black (c0 <= c1, every index 3) is blank in both channels.
    const BYTE block[8] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    b = FindLevelBoxes(D3DFMT_DXT1, block, 4, 4, 8);
    EXPECT_TRUE(b.box[0].empty);
    EXPECT_TRUE(b.box[1].empty);
}

TEST(ReachableUv, CoversTheFilterFootprintAndWholeAxesAtEdges) {
    LevelBoxes level;
    level.width = 64;
    level.height = 32;
    level.box[0] = {false, 16, 8, 47, 23};
    UvRect r = ReachableUv(&level, 1, Blank::kColour);
    ASSERT_FALSE(r.empty);
    // Bilinear reads reach half a texel out; a texel more is kept for rounding.
    EXPECT_FLOAT_EQ(r.u0, 14.5f / 64);
    EXPECT_FLOAT_EQ(r.u1, 49.5f / 64);
    EXPECT_FLOAT_EQ(r.v0, 6.5f / 32);
    EXPECT_FLOAT_EQ(r.v1, 25.5f / 32);

    // A box touching one edge is reached across the other by wrapping: that axis is whole.
    level.box[0] = {false, 0, 8, 10, 23};
    r = ReachableUv(&level, 1, Blank::kColour);
    EXPECT_EQ(r.u0, 0.0f);
    EXPECT_EQ(r.u1, 1.0f);
    EXPECT_GT(r.v0, 0.0f);

    // Levels add up; a blank channel on every level reaches nothing.
    LevelBoxes levels[2] = {level, {}};
    levels[0].box[0] = {false, 30, 8, 33, 9};
    levels[1].width = 32;
    levels[1].height = 16;
    levels[1].box[0] = {false, 4, 7, 5, 8};
    r = ReachableUv(levels, 2, Blank::kColour);
    EXPECT_FLOAT_EQ(r.u0, 2.5f / 32);
    EXPECT_FLOAT_EQ(r.u1, 35.5f / 64);
    EXPECT_TRUE(ReachableUv(levels, 2, Blank::kAlpha).empty);
}

class BlankStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        s = DeviceState::Defaults(640, 480);
        s.renderStates[D3DRS_ALPHABLENDENABLE] = TRUE;
        s.renderStates[D3DRS_SRCBLEND] = D3DBLEND_ONE;
        s.renderStates[D3DRS_DESTBLEND] = D3DBLEND_ONE;
        s.renderStates[D3DRS_ZWRITEENABLE] = FALSE;
        s.renderStates[D3DRS_LIGHTING] = FALSE;
    }
    Blank Of(bool alphaWritten = false) const { return BlankLeavesTarget(s, layout, alphaWritten); }
    DeviceState s;
    FvfLayout layout = DecodeFvf(kQuadFvf);
};

TEST_F(BlankStateTest, AddedBlackAndTransparentTexelsLeaveTheTarget) {
    EXPECT_EQ(Of(), Blank::kColour);
    s.renderStates[D3DRS_SRCBLEND] = D3DBLEND_SRCCOLOR;
    EXPECT_EQ(Of(), Blank::kColour);
    // Black fog keeps black black; table fog is worked out per pixel.
    s.renderStates[D3DRS_FOGENABLE] = TRUE;
    s.renderStates[D3DRS_FOGCOLOR] = 0xFF000000;
    EXPECT_EQ(Of(), Blank::kColour);
    // Lit without normals: only ambient and emission, no specular.
    s.renderStates[D3DRS_LIGHTING] = TRUE;
    s.renderStates[D3DRS_SPECULARENABLE] = TRUE;
    EXPECT_EQ(Of(), Blank::kColour);
    s.renderStates[D3DRS_SRCBLEND] = D3DBLEND_SRCALPHA;
    s.renderStates[D3DRS_DESTBLEND] = D3DBLEND_INVSRCALPHA;
    s.stageStates[0][D3DTSS_ALPHAOP] = D3DTOP_MODULATE;
    s.stageStates[0][D3DTSS_ALPHAARG1] = D3DTA_DIFFUSE;
    s.stageStates[0][D3DTSS_ALPHAARG2] = D3DTA_TEXTURE;
    EXPECT_EQ(Of(), Blank::kAlpha);
    // Alpha blending leaves a written target alpha alone as well.
    EXPECT_EQ(Of(true), Blank::kAlpha);
}

TEST_F(BlankStateTest, AnythingThatStillChangesTheTargetKeepsTheQuadWhole) {
    struct Change {
        const char* what;
        void (*apply)(DeviceState&);
    };
    const Change changes[] = {
        {"no blending", [](DeviceState& d) { d.renderStates[D3DRS_ALPHABLENDENABLE] = FALSE; }},
        {"depth written", [](DeviceState& d) { d.renderStates[D3DRS_ZWRITEENABLE] = TRUE; }},
        {"stencil", [](DeviceState& d) { d.renderStates[D3DRS_STENCILENABLE] = TRUE; }},
        {"subtracted", [](DeviceState& d) { d.renderStates[D3DRS_BLENDOP] = D3DBLENDOP_REVSUBTRACT; }},
        {"target scaled by itself", [](DeviceState& d) { d.renderStates[D3DRS_DESTBLEND] = D3DBLEND_DESTCOLOR; }},
        {"coloured fog", [](DeviceState& d) {
             d.renderStates[D3DRS_FOGENABLE] = TRUE;
             d.renderStates[D3DRS_FOGCOLOR] = 0xFF200000;
         }},
        {"texture added", [](DeviceState& d) { d.stageStates[0][D3DTSS_COLOROP] = D3DTOP_ADD; }},
        {"texture complemented",
         [](DeviceState& d) { d.stageStates[0][D3DTSS_COLORARG1] = D3DTA_TEXTURE | D3DTA_COMPLEMENT; }},
        {"second stage", [](DeviceState& d) { d.stageStates[1][D3DTSS_COLOROP] = D3DTOP_MODULATE; }},
        {"other coordinates", [](DeviceState& d) { d.stageStates[0][D3DTSS_TEXCOORDINDEX] = 1; }},
        {"moved coordinates", [](DeviceState& d) { d.stageStates[0][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_COUNT2; }},
    };
    for (const Change& c : changes) {
        SetUp();
        c.apply(s);
        EXPECT_EQ(Of(), Blank::kNone) << c.what;
    }
    SetUp();
    EXPECT_EQ(Of(true), Blank::kNone) << "the added alpha reaches a target alpha";
    layout = DecodeFvf(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
    s.renderStates[D3DRS_LIGHTING] = TRUE;
    EXPECT_EQ(Of(), Blank::kNone) << "lit from normals";
    layout = DecodeFvf(D3DFVF_XYZ | D3DFVF_SPECULAR | D3DFVF_TEX1);
    s.renderStates[D3DRS_LIGHTING] = FALSE;
    s.renderStates[D3DRS_SPECULARENABLE] = TRUE;
    EXPECT_EQ(Of(), Blank::kNone) << "vertex specular added";
}

TEST(TrimQuad, CutsTheQuadToTheReachedCoordinates) {
    const auto quad = Billboard(10.0f, 0xFF336699);
    const FvfLayout layout = DecodeFvf(kQuadFvf);
    UvRect reach;
    reach.u0 = 0.25f;
    reach.u1 = 0.75f;
    reach.v0 = 0.5f;
    reach.v1 = 0.625f;
    QuadVertex out[4];
    ASSERT_EQ(TrimQuad(Bytes(quad), sizeof(QuadVertex), layout, reach, reinterpret_cast<BYTE*>(out)), Trim::kPart);
    // The same strip order; every value follows the whole quad's linear map.
    const float u[4] = {0.25f, 0.25f, 0.75f, 0.75f}, v[4] = {0.5f, 0.625f, 0.5f, 0.625f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(out[i].u, u[i]) << i;
        EXPECT_FLOAT_EQ(out[i].v, v[i]) << i;
        EXPECT_FLOAT_EQ(out[i].x, 0.0f);
        EXPECT_FLOAT_EQ(out[i].y, 10.0f - 20.0f * u[i]) << i;
        EXPECT_FLOAT_EQ(out[i].z, -10.0f + 20.0f * v[i]) << i;
        EXPECT_EQ(out[i].diffuse, 0xFF336699u);
    }

    // Coordinates running the other way round the quad are cut the same way.
    auto turned = quad;
    for (auto& q : turned) std::swap(q.u, q.v);
    ASSERT_EQ(TrimQuad(Bytes(turned), sizeof(QuadVertex), layout, reach, reinterpret_cast<BYTE*>(out)), Trim::kPart);
    EXPECT_FLOAT_EQ(out[0].u, 0.25f);
    EXPECT_FLOAT_EQ(out[0].v, 0.5f);
    EXPECT_FLOAT_EQ(out[3].u, 0.75f);
    EXPECT_FLOAT_EQ(out[3].v, 0.625f);

    // Nothing reached, or reached only off the quad: nothing to draw.
    UvRect none;
    none.empty = true;
    EXPECT_EQ(TrimQuad(Bytes(quad), sizeof(QuadVertex), layout, none, reinterpret_cast<BYTE*>(out)), Trim::kNothing);
    auto half = quad;
    for (auto& q : half) q.u *= 0.2f;  // the quad shows u 0..0.2 only
    EXPECT_EQ(TrimQuad(Bytes(half), sizeof(QuadVertex), layout, reach, reinterpret_cast<BYTE*>(out)), Trim::kNothing);
}

TEST(TrimQuad, KeepsWholeWhatItCannotCutExactly) {
    const FvfLayout layout = DecodeFvf(kQuadFvf);
    UvRect reach;
    reach.u0 = reach.v0 = 0.3f;
    reach.u1 = reach.v1 = 0.7f;
    QuadVertex out[4];
    auto cut = [&](const std::vector<QuadVertex>& q) {
        return TrimQuad(Bytes(q), sizeof(QuadVertex), layout, reach, reinterpret_cast<BYTE*>(out));
    };
    ASSERT_EQ(cut(Billboard(5.0f)), Trim::kPart);

    auto bent = Billboard(5.0f);
    bent[3].x = 1.0f;  // not flat: the two triangles lie in different planes
    EXPECT_EQ(cut(bent), Trim::kWhole) << "not a parallelogram";
    auto shaded = Billboard(5.0f);
    shaded[2].diffuse = 0xFF000000;
    EXPECT_EQ(cut(shaded), Trim::kWhole) << "colours change across the quad";
    auto tiled = Billboard(5.0f);
    for (auto& q : tiled) q.u *= 2.0f;
    EXPECT_EQ(cut(tiled), Trim::kWhole) << "coordinates past 1 repeat the image";
    auto rotated = Billboard(5.0f);
    rotated[0].u = 0.5f;
    rotated[1].u = 0.0f;
    rotated[2].u = 1.0f;
    rotated[3].u = 0.5f;
    EXPECT_EQ(cut(rotated), Trim::kWhole) << "coordinates not along the sides";
    reach.u0 = reach.v0 = 0.01f;
    reach.u1 = reach.v1 = 0.99f;
    EXPECT_EQ(cut(Billboard(5.0f)), Trim::kWhole) << "too little to gain";
}

TEST(EvenlyLit, PositionalAmbientMustReachTheWholeQuadOrNone) {
    DeviceState s = DeviceState::Defaults(640, 480);
    const FvfLayout layout = DecodeFvf(kQuadFvf);
    const auto quad = Billboard(1.0f);  // spans y and z from -1 to 1 at x = 0
    auto lit = [&](float lightX, float range, D3DLIGHTTYPE type = D3DLIGHT_POINT, float falloff = 0.0f) {
        D3DLIGHT8& l = s.lights[0].light;
        l = {};
        l.Type = type;
        l.Ambient = {0.2f, 0.2f, 0.0f, 1.0f};
        l.Position = {lightX, 0, 0};
        l.Range = range;
        l.Attenuation1 = falloff;
        s.lights[0].enabled = true;
        return EvenlyLit(s, layout, Bytes(quad), sizeof(QuadVertex));
    };
    EXPECT_TRUE(lit(0.5f, 10.0f)) << "wholly in range";
    EXPECT_TRUE(lit(50.0f, 10.0f)) << "out of reach";
    EXPECT_FALSE(lit(0.5f, 1.2f)) << "the range ends across the quad";
    EXPECT_FALSE(lit(0.5f, 10.0f, D3DLIGHT_POINT, 0.1f)) << "fading with distance";
    EXPECT_FALSE(lit(0.5f, 10.0f, D3DLIGHT_SPOT)) << "a spot's cone";
    // The world matrix places the quad: moved far from the light, it is out of reach.
    s.transforms[D3DTS_WORLD]._41 = 100.0f;
    EXPECT_TRUE(lit(0.5f, 1.2f));
    s.transforms[D3DTS_WORLD]._41 = 0.0f;
    s.lights[0].light.Ambient = {0, 0, 0, 1};
    EXPECT_TRUE(EvenlyLit(s, layout, Bytes(quad), sizeof(QuadVertex))) << "no ambient to add";
}

}  // namespace
}  // namespace gpu

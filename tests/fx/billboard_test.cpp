#include "fx/billboard.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "tests/fx/particle_effect_fixture.h"

namespace {

using testpixels::Channel;

constexpr D3DCOLOR kBackground = 0xFF203040;

class BillboardTest : public effecttest::EffectTest {
protected:
    ViewFrustum frustum;
};

TEST_F(BillboardTest, LoadWritesTheQuadAndFailsOnAMissingImage) {
    Billboard missing;
    EXPECT_EQ(missing.Load((files.Path() + "/missing.jpg").c_str(), 10.0f), E_FAIL);
    EXPECT_EQ(missing.Texture(), nullptr);
    EXPECT_EQ(missing.VertexBuffer(), nullptr);

    // Drawing an instance of a billboard that failed to load draws nothing and still restores.
    const Camera camera(0, -10, 0, 0, 0, 0, 0, 0, 1, frustum);
    BillboardInstance orphan(missing);
    DirtyStates();
    const auto pixels = Frame(kBackground, [&] { EXPECT_EQ(orphan.Render(camera, 1, 1, 1, 1, 1), S_OK); });
    EXPECT_EQ(PixelAt(pixels, camera, {0, 0, 0}) & 0xFFFFFF, kBackground & 0xFFFFFF);
    ExpectStatesRestored();

    Billboard flare;
    ASSERT_EQ(flare.Load(SolidTarga("flare.tga", 0xFFFFFF).c_str(), 250.0f), S_OK);
    EXPECT_EQ(flare.Size(), 250.0f);
    ASSERT_NE(flare.Texture(), nullptr);
    ASSERT_NO_FATAL_FAILURE(rendertest::ExpectVertexBuffer(flare.VertexBuffer(), 80u, 0u, 0x102u));
    ExpectQuad(flare.VertexBuffer(), 125.0f);
}

TEST_F(BillboardTest, SourceColourBlendSquaresTheImageAndAdditiveAddsIt) {
    Billboard billboard;
    ASSERT_EQ(billboard.Load(SolidTarga("glow.tga", 0x806040).c_str(), 4.0f), S_OK);
    BillboardInstance instance(billboard);
    const Camera camera(0, -10, 0, 0, 0, 0, 0, 0, 1, frustum);
    AmbientOnly();
    const int source[3] = {0x40, 0x60, 0x80};  // blue, green, red
    for (DWORD additive : {DWORD{0}, DWORD{1}}) {
        const auto pixels = Frame(kBackground, [&] { instance.Render(camera, additive, 1, 1, 1, 1); });
        const std::uint32_t centre = PixelAt(pixels, camera, {0, 0, 0});
        for (int k = 0; k < 3; ++k) {
            const double s = source[k] / 255.0;
            const double expected = Channel(kBackground, 8 * k) + 255.0 * (additive ? s : s * s);
            EXPECT_NEAR(Channel(centre, 8 * k), expected, 2.0) << "additive " << additive << " shift " << 8 * k;
        }
    }
    // The colour is the material: half-strength red only lights up the red channel, by half.
    const auto pixels = Frame(kBackground, [&] { instance.Render(camera, 1, 0.5f, 0, 0, 1); });
    const std::uint32_t centre = PixelAt(pixels, camera, {0, 0, 0});
    EXPECT_NEAR(Channel(centre, 16), 0x20 + 0x40, 2.0);
    EXPECT_EQ(Channel(centre, 8), 0x30);
    EXPECT_EQ(Channel(centre, 0), 0x40);
}

TEST_F(BillboardTest, BlackImageLeavesThePictureEitherWay) {
    Billboard billboard;
    ASSERT_EQ(billboard.Load(SolidTarga("black.tga", 0x000000).c_str(), 6.0f), S_OK);
    BillboardInstance instance(billboard);
    const Camera camera(0, -10, 0, 0, 0, 0, 0, 0, 1, frustum);
    AmbientOnly();
    for (DWORD additive : {DWORD{0}, DWORD{1}}) {
        const auto pixels = Frame(kBackground, [&] { instance.Render(camera, additive, 1, 1, 1, 1); });
        int changed = 0;
        for (std::uint32_t p : pixels) changed += (p & 0xFFFFFF) != (kBackground & 0xFFFFFF);
        EXPECT_EQ(changed, 0) << "additive " << additive;
    }
}

TEST_F(BillboardTest, TwoInstancesDrawAtTheirOwnPositionsFacingTheCamera) {
    Billboard billboard;
    ASSERT_EQ(billboard.Load(SolidTarga("white.tga", 0xFFFFFF).c_str(), 2.0f), S_OK);
    BillboardInstance left(billboard), right(billboard);
    EXPECT_EQ(left.position.x, 0.0f);
    EXPECT_EQ(left.position.z, 0.0f);
    left.position = {-3.0f, 0.0f, 1.0f};
    right.position = {3.0f, 2.0f, -1.0f};
    AmbientOnly();  // back faces are culled: a quad turned away would not show
    // From both sides: looking along +Y and along -Y (the quads turn to face each camera).
    for (float side : {-1.0f, 1.0f}) {
        const Camera camera(0, 12 * side, 0, 0, 0, 0, 0, 0, 1, frustum);
        const auto pixels = Frame(kBackground, [&] {
            left.Render(camera, 1, 1, 1, 1, 1);
            right.Render(camera, 1, 1, 1, 1, 1);
        });
        for (const BillboardInstance* b : {&left, &right}) {
            EXPECT_EQ(PixelAt(pixels, camera, b->position) & 0xFFFFFF, 0xFFFFFFu) << "side " << side;
            // Upright along Z: the square spans its full height above and below the centre.
            const D3DXVECTOR3 top(b->position.x, b->position.y, b->position.z + 0.9f);
            EXPECT_EQ(PixelAt(pixels, camera, top) & 0xFFFFFF, 0xFFFFFFu) << "side " << side;
        }
        // Between and beyond the two, the picture is untouched.
        EXPECT_EQ(PixelAt(pixels, camera, {0, 0, 0}) & 0xFFFFFF, kBackground & 0xFFFFFF);
        EXPECT_EQ(PixelAt(pixels, camera, {-3.0f, 0, 2.5f}) & 0xFFFFFF, kBackground & 0xFFFFFF);
    }
    EXPECT_EQ(left.position.x, -3.0f);
    EXPECT_EQ(billboard.Size(), 2.0f);
    ExpectQuad(billboard.VertexBuffer(), 1.0f);
}

TEST_F(BillboardTest, RenderSetsCameraAndBlendAndRestoresTheRest) {
    Billboard billboard;
    ASSERT_EQ(billboard.Load(SolidTarga("white.tga", 0xFFFFFF).c_str(), 2.0f), S_OK);
    BillboardInstance instance(billboard);
    const Camera camera(5, -20, 3, 0, 0, 0, 0, 0, 1, frustum);
    for (DWORD additive : {DWORD{0}, DWORD{7}}) {
        DirtyStates();
        Frame(kBackground, [&] { EXPECT_EQ(instance.Render(camera, additive, 1, 1, 1, 1), S_OK); });
        ExpectStatesRestored();
        DWORD value = 0;
        device->GetRenderState(D3DRS_SRCBLEND, &value);
        EXPECT_EQ(value, static_cast<DWORD>(additive ? D3DBLEND_ONE : D3DBLEND_SRCCOLOR));
        device->GetRenderState(D3DRS_DESTBLEND, &value);
        EXPECT_EQ(value, static_cast<DWORD>(D3DBLEND_ONE));
        D3DMATRIX matrix{};
        device->GetTransform(D3DTS_VIEW, &matrix);
        EXPECT_EQ(std::memcmp(&matrix, &camera.View(), sizeof matrix), 0);
        device->GetTransform(D3DTS_PROJECTION, &matrix);
        EXPECT_EQ(std::memcmp(&matrix, &camera.Projection(), sizeof matrix), 0);
    }
}

}  // namespace

// The tunnel scene with the pack's files: its first view, the trains' moves, the lamps that ride
// with them, the white flash and the closing fade; and a scene without its files.
#include <gtest/gtest.h>

#include "show/scenes/tunnel_scene.h"
#include "tests/show/tunnels_fixture.h"

namespace {

using tunnelstest::Picture;

class TunnelSceneTest : public tunnelstest::SceneTest {};

// The view's forward axis (third column of the view matrix).
D3DXVECTOR3 Forward(const Camera& camera) {
    const D3DXMATRIX& v = camera.View();
    return D3DXVECTOR3(v._13, v._23, v._33);
}

TEST_F(TunnelSceneTest, FirstFramesLookDownTheTunnelWithAFiniteView) {
    EnterPack();
    TunnelScene scene;
    EXPECT_TRUE(Finite(scene.View().View()));
    ASSERT_EQ(scene.Load(), 0);

    Frame(scene, 83.0f);
    EXPECT_TRUE(Finite(scene.View().View()));
    EXPECT_NEAR(Forward(scene.View()).y, 1.0f, 1e-5f);
    // The first frame already shows the lit, fogged tunnel rather than a blank or garbage picture.
    const Picture first = Measure();
    EXPECT_TRUE(std::isfinite(first.Brightness()));
    EXPECT_GT(first.brightest, 0x0F);

    Frame(scene, 83.5f);
    EXPECT_TRUE(Finite(scene.View().View()));
    EXPECT_NEAR(Forward(scene.View()).y, 1.0f, 1e-5f);
    EXPECT_FLOAT_EQ(scene.View().lookAt.y - scene.View().eye.y, 10.0f);
    EXPECT_FLOAT_EQ(scene.View().eye.y, -1460.0f);
}

TEST_F(TunnelSceneTest, TrainsFollowTheirRampsAndTheirLampsFollowOneFrameBehind) {
    EnterPack();
    TunnelScene scene;
    ASSERT_EQ(scene.Load(), 0);
    ASSERT_NE(scene.TrainA(), nullptr);
    ASSERT_NE(scene.TrainB(), nullptr);

    Frame(scene, 83.0f);
    EXPECT_FLOAT_EQ(scene.TrainA()->world._42, 2500.0f);
    Frame(scene, 84.0f);
    EXPECT_NEAR(scene.TrainA()->world._42, 2500.0f, 1e-3f);
    Frame(scene, 89.0f);
    EXPECT_NEAR(scene.TrainA()->world._42, -150.0f, 1e-2f);
    // The lamp light was placed from where train A stood when the frame began (y 2500).
    EXPECT_NEAR(scene.LampA()->light.Position.y, 2500.0f - 725.0f, 1e-2f);
    EXPECT_NEAR(scene.LampA()->light.Position.x, 48.0f + 30.0f, 1e-4f);
    Frame(scene, 94.0f);
    EXPECT_NEAR(scene.TrainA()->world._42, -2800.0f, 1e-2f);
    EXPECT_NEAR(scene.LampA()->light.Position.y, -150.0f - 725.0f, 1e-2f);
    Frame(scene, 100.0f);
    EXPECT_NEAR(scene.TrainA()->world._42, -2800.0f, 1e-2f);
    EXPECT_NEAR(scene.TrainA()->world._41, 48.0f, 1e-3f);

    // Train B is turned about Z, so its origin starts at (-48, -2500) and runs along +Y.
    EXPECT_NEAR(scene.TrainB()->world._41, -48.0f, 1e-2f);
    Frame(scene, 113.0f);
    EXPECT_NEAR(scene.TrainB()->world._42, 5600.0f, 1e-1f);
    EXPECT_NEAR(scene.TrainB()->world._41, -48.0f, 1e-2f);
    // Lamp B was placed from train B's stored y at 100 s: 2500 + 9000 * 9.5 / 25 = 5920.
    EXPECT_NEAR(scene.LampB()->light.Position.y, 5920.0f - 4200.0f, 1e-1f);
    // The camera flew to 7000 by then; the view takes the new place on the next frame.
    EXPECT_FLOAT_EQ(scene.View().eye.y, -1460.0f);
    Frame(scene, 113.0f);
    EXPECT_NEAR(scene.View().eye.y, -1460.0f + 8460.0f, 1e-1f);
}

TEST_F(TunnelSceneTest, FlashPeaksAtNinetyEightAndAHalfAndTheEndFadesToBlack) {
    EnterPack();
    TunnelScene scene;
    ASSERT_EQ(scene.Load(), 0);

    const float times[] = {83.0f, 90.0f, 97.0f, 97.5f, 98.0f, 98.25f, 98.5f, 98.75f, 99.0f, 99.5f, 100.0f, 105.0f,
                           110.0f, 113.0f};
    std::vector<int> flash;
    std::vector<double> brightness;
    for (float t : times) {
        Frame(scene, t);
        flash.push_back(scene.FlashAlpha());
        brightness.push_back(Measure().Brightness());
    }
    const auto at = [&](float t) {
        for (std::size_t i = 0; i < std::size(times); ++i)
            if (times[i] == t) return i;
        ADD_FAILURE() << "no frame at " << t;
        return std::size_t{0};
    };

    EXPECT_LE(flash[at(98.0f)], 0);
    EXPECT_NEAR(flash[at(98.25f)], 77, 1);
    EXPECT_EQ(flash[at(98.5f)], 155);
    EXPECT_NEAR(flash[at(98.75f)], 77, 1);
    EXPECT_LE(flash[at(99.5f)], 0);
    EXPECT_LE(flash[at(105.0f)], 0);

    for (std::size_t i = 0; i < std::size(times); ++i) {
        if (times[i] == 98.5f) continue;
        EXPECT_LT(brightness[i], brightness[at(98.5f)]) << "at " << times[i];
    }
    EXPECT_GT(brightness[at(98.25f)], brightness[at(97.5f)]);
    EXPECT_LT(brightness[at(113.0f)], brightness[at(105.0f)]);
}

TEST_F(TunnelSceneTest, WithoutItsFilesTheSceneFailsToLoadAndStillRenders) {
    EnterEmptyFolder();
    TunnelScene scene;
    EXPECT_LT(scene.Load(), 0);
    EXPECT_EQ(scene.TrainA(), nullptr);
    EXPECT_EQ(scene.TunnelLamp(0), nullptr);
    for (float t : {83.0f, 90.0f, 98.5f, 105.0f, 113.0f}) Frame(scene, t);
    EXPECT_TRUE(Finite(scene.View().View()));
    // Only the clear and the fades: the picture at the end is the dark clear colour, darkened.
    EXPECT_LE(Measure().brightest, 0x0F);
}

}  // namespace

// The organic tunnel with the pack's files: its red picture, the shake that follows show time and
// the closing fade; and a scene without its files.
#include <gtest/gtest.h>

#include <cmath>

#include "show/scenes/organic_tunnel_scene.h"
#include "tests/show/tunnels_fixture.h"

namespace {

using tunnelstest::Picture;

class OrganicTunnelSceneTest : public tunnelstest::SceneTest {};

TEST_F(OrganicTunnelSceneTest, PictureIsDominatedByDarkRed) {
    EnterPack();
    OrganicTunnelScene scene;
    ASSERT_EQ(scene.Load(), 0);
    Frame(scene, 141.0f);
    Frame(scene, 150.0f);
    const Picture p = Measure();
    EXPECT_GT(p.red, 40.0);
    EXPECT_LT(p.red, 230.0);
    EXPECT_GT(p.red, 2.0 * p.green);
    EXPECT_GT(p.red, 2.0 * p.blue);
}

TEST_F(OrganicTunnelSceneTest, CameraCreepsAndShakesByShowTimeAlone) {
    EnterPack();
    OrganicTunnelScene steady, uneven;
    ASSERT_EQ(steady.Load(), 0);
    ASSERT_EQ(uneven.Load(), 0);
    Frame(steady, 141.0f, 0.02);
    EXPECT_FLOAT_EQ(steady.View().eye.y, -1260.0f);
    EXPECT_NEAR(steady.View().lookAt.x, 10.0f * std::sin(-6300.0f), 1e-3f);
    Frame(steady, 150.0f, 0.02);
    Frame(uneven, 146.0f, 3.0);
    Frame(uneven, 150.0f, 0.001);
    EXPECT_NEAR(steady.View().eye.y, -1260.0f + 750.0f * 0.25f, 1e-2f);
    EXPECT_FLOAT_EQ(steady.View().eye.y, uneven.View().eye.y);
    EXPECT_FLOAT_EQ(steady.View().lookAt.x, uneven.View().lookAt.x);
    EXPECT_LE(std::fabs(steady.View().lookAt.x), 10.0f);
    EXPECT_TRUE(Finite(steady.View().View()));
}

TEST_F(OrganicTunnelSceneTest, PictureFadesToBlackAtTheEnd) {
    EnterPack();
    OrganicTunnelScene scene;
    ASSERT_EQ(scene.Load(), 0);
    Frame(scene, 160.0f);
    const double before = Measure().Brightness();
    Frame(scene, 164.0f);
    const double half = Measure().Brightness();
    Frame(scene, 165.0f);
    EXPECT_LT(half, before);
    EXPECT_LE(Measure().brightest, 1);
    EXPECT_NEAR(scene.View().eye.y, -510.0f, 1e-2f);
}

TEST_F(OrganicTunnelSceneTest, WithoutItsFilesTheSceneFailsToLoadAndStillRenders) {
    EnterEmptyFolder();
    OrganicTunnelScene scene;
    EXPECT_LT(scene.Load(), 0);
    for (float t : {141.0f, 150.0f, 164.0f}) Frame(scene, t);
    // Only the red clear, half faded.
    const Picture p = Measure();
    EXPECT_GT(p.red, 20.0);
    EXPECT_LT(p.green, 1.0);
}

}  // namespace

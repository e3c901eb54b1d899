// The hand scene with the pack's files: lamps that move by show time alone and the closing fade;
// and a scene without its files.
#include <gtest/gtest.h>

#include "show/scenes/hand_scene.h"
#include "tests/show/tunnels_fixture.h"

namespace {

class HandSceneTest : public tunnelstest::SceneTest {};

void ExpectSame(const D3DVECTOR& a, const D3DVECTOR& b) {
    EXPECT_FLOAT_EQ(a.x, b.x);
    EXPECT_FLOAT_EQ(a.y, b.y);
    EXPECT_FLOAT_EQ(a.z, b.z);
}

TEST_F(HandSceneTest, LampPathsStartWhereTheirFormulasPutThem) {
    // At t = 0: cos = 1, sin = 0.
    ExpectSame(HandScene::LampPath(0, 0.0f), D3DXVECTOR3(0.0f, 0.0f, 9.0f));
    ExpectSame(HandScene::LampPath(1, 0.0f), D3DXVECTOR3(-5.0f, -12.0f, 7.0f));
    ExpectSame(HandScene::LampPath(2, 0.0f), D3DXVECTOR3(-5.0f, -8.0f, 3.0f));
    // At t = pi / 2: cos = 0, sin = 1, cos 2t = -1, cos 4t = 1, sin 4t = 0.
    const float q = 1.5707964f;
    const D3DXVECTOR3 a = HandScene::LampPath(0, q), b = HandScene::LampPath(1, q), c = HandScene::LampPath(2, q);
    EXPECT_NEAR(a.x, -10.0f, 1e-4f);
    EXPECT_NEAR(a.y, 10.0f, 1e-4f);
    EXPECT_NEAR(a.z, 3.0f, 1e-4f);
    EXPECT_NEAR(b.x, -13.0f, 1e-4f);
    EXPECT_NEAR(b.y, -12.0f, 1e-4f);
    EXPECT_NEAR(b.z, 3.0f, 1e-4f);
    EXPECT_NEAR(c.x, -11.0f, 1e-4f);
    EXPECT_NEAR(c.y, 0.0f, 1e-4f);
    EXPECT_NEAR(c.z, 3.0f, 1e-3f);
}

TEST_F(HandSceneTest, LampsDependOnlyOnTheShowTime) {
    EnterPack();
    HandScene steady, uneven;
    ASSERT_EQ(steady.Load(), 0);
    ASSERT_EQ(uneven.Load(), 0);

    Frame(steady, 127.0f, 0.016);
    Frame(steady, 130.0f, 0.016);
    Frame(uneven, 126.5f, 0.5);
    Frame(uneven, 128.25f, 0.001);
    Frame(uneven, 130.0f, 2.0);
    for (int i = 0; i < HandScene::kLamps; ++i) {
        SCOPED_TRACE(i);
        ExpectSame(steady.Lamp(i)->light.Position, uneven.Lamp(i)->light.Position);
        ExpectSame(steady.Lamp(i)->light.Position, HandScene::LampPath(i, 130.0f));
        ExpectSame(steady.StarMarker(i)->position, steady.Lamp(i)->light.Position);
    }
}

TEST_F(HandSceneTest, PictureFadesToBlackByOneHundredForty) {
    EnterPack();
    HandScene scene;
    ASSERT_EQ(scene.Load(), 0);
    double brightness[4] = {};
    const float times[] = {135.0f, 138.5f, 139.5f, 140.0f};
    for (int i = 0; i < 4; ++i) {
        Frame(scene, times[i]);
        brightness[i] = Measure().Brightness();
    }
    EXPECT_GT(brightness[0], 12.0);  // at least the dark grey background, plus the lit hand
    EXPECT_LT(brightness[1], brightness[0]);
    EXPECT_LT(brightness[2], brightness[1]);
    EXPECT_LE(Measure().brightest, 1);
}

TEST_F(HandSceneTest, WithoutItsFilesTheSceneFailsToLoadAndStillRenders) {
    EnterEmptyFolder();
    HandScene scene;
    EXPECT_LT(scene.Load(), 0);
    EXPECT_EQ(scene.Hand(), nullptr);
    EXPECT_EQ(scene.Lamp(0), nullptr);
    for (float t : {126.1f, 130.0f, 139.0f}) Frame(scene, t);
    const tunnelstest::Picture p = Measure();
    EXPECT_GT(p.brightest, 0);  // the background, half faded at 139 s
    EXPECT_LT(p.brightest, 0x10);
}

}  // namespace

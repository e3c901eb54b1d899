// The intro's timeline on a headless device: background, captions, fountains, flash and title.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "show/scenes/intro_scene.h"
#include "tests/show/intro_credits_fixture.h"

namespace {

using scenetest::Frame;
using scenetest::kHeight;
using scenetest::kWidth;

constexpr std::uint32_t kGrey = 0x101010;
// Brighter than the flash ever makes the background while a caption shows (about 207 at 11.4 s).
constexpr int kTextLevel = 240;

class IntroSceneTest : public scenetest::SceneTest {
protected:
    // Renders every tenth of a second from 0 to 21 s and keeps the frames at the wanted times.
    std::map<int, Frame> Play(IntroScene& scene, std::initializer_list<int> keepTenths) {
        std::map<int, Frame> kept;
        for (int tenth = 0; tenth <= 210; ++tenth) {
            Frame frame = RenderAt(scene, static_cast<float>(tenth) / 10.0f);
            for (int wanted : keepTenths)
                if (wanted == tenth) kept[tenth] = std::move(frame);
        }
        return kept;
    }
};

TEST_F(IntroSceneTest, LoadsEveryObjectFromThePack) {
    EnterPack();
    IntroScene intro;
    ASSERT_EQ(intro.Load(), 0);
    EXPECT_NE(intro.Font(), nullptr);
    ASSERT_NE(intro.FountainA(), nullptr);
    ASSERT_NE(intro.FountainB(), nullptr);
    EXPECT_EQ(intro.FountainA()->Particles().size(), 100u);
    EXPECT_EQ(intro.FountainB()->Particles().size(), 100u);
    ASSERT_NE(intro.Title(), nullptr);
    EXPECT_NE(intro.Title()->Texture(), nullptr);
    ASSERT_NE(intro.SceneCamera(), nullptr);
    EXPECT_FLOAT_EQ(intro.SceneCamera()->eye.y, -5.0f);
    EXPECT_EQ(intro.GetStatus(), 1);
    intro.Unload();
    EXPECT_EQ(intro.Font(), nullptr);
}

TEST_F(IntroSceneTest, PictureFollowsTheTimelineWithThePack) {
    EnterPack();
    IntroScene intro;
    ASSERT_EQ(intro.Load(), 0);
    const auto frames = Play(intro, {2, 66, 95, 120, 160, 180, 210});

    // Before the fountains start only the dark grey background shows; the captions are invisible.
    EXPECT_EQ(frames.at(2).CountEqual(kGrey), kWidth * kHeight);
    // 6.6 s: the studio caption is gone and the presents caption still at alpha 0, so whatever
    // differs from the background is the fountains' particles.
    EXPECT_GT(kWidth * kHeight - frames.at(66).CountEqual(kGrey), 50);
    // 9.5 s: the fountains have stopped; the flash lifts the whole background evenly.
    const Frame& flash = frames.at(95);
    const std::uint32_t corner = flash.At(0, 0) & 0xFFFFFF;
    EXPECT_GT(scenetest::Red(corner), 0x30);
    EXPECT_LT(scenetest::Red(corner), 0x70);
    for (int y = 0; y < kHeight / 3; ++y)
        for (int x = 0; x < kWidth; ++x) ASSERT_EQ(flash.At(x, y) & 0xFFFFFF, corner) << x << "," << y;
    // 12 s: the flash is at full white over the title.
    EXPECT_EQ(frames.at(120).CountEqual(0xFFFFFF), kWidth * kHeight);
    // 18 s: the title picture fills the screen, not the background and not one flat colour.
    const Frame& title = frames.at(180);
    EXPECT_LT(title.CountEqual(kGrey), kWidth * kHeight / 10);
    EXPECT_LT(title.CountEqual(title.At(kWidth / 2, kHeight / 2)), kWidth * kHeight / 2);
    // After 15.5 s the flash never comes back: the title stands alone and unchanged.
    EXPECT_TRUE(frames.at(160).SamePicture(title));
    EXPECT_TRUE(frames.at(210).SamePicture(title));
}

// Ages that grew by about step between two snapshots (re-emitted particles start over, and
// short-lived ones are re-emitted often, so only a part of the population qualifies).
int AgedBy(const std::vector<Particle>& before, const std::vector<Particle>& after, float step) {
    int n = 0;
    for (std::size_t i = 0; i < before.size() && i < after.size(); ++i)
        n += std::fabs(after[i].age - before[i].age - step) < 1e-4f;
    return n;
}

TEST_F(IntroSceneTest, FountainsMoveByAFifteenthOfTheFrameStepInTheirWindows) {
    EnterPack();
    IntroScene intro;
    ASSERT_EQ(intro.Load(), 0);
    const float fifteenth = 0.3f / 15.0f;
    std::vector<Particle> a, b;
    auto snapshot = [&] {
        a = intro.FountainA()->Particles();
        b = intro.FountainB()->Particles();
    };
    RenderAt(intro, 0.3f);
    snapshot();
    RenderAt(intro, 0.6f);  // the first frame in the window moves both
    EXPECT_GT(AgedBy(a, intro.FountainA()->Particles(), fifteenth), 30);
    snapshot();
    RenderAt(intro, 7.8f);
    snapshot();
    RenderAt(intro, 8.1f);  // fountain A has stopped, B goes on
    EXPECT_EQ(AgedBy(a, intro.FountainA()->Particles(), 0.0f), 100);
    EXPECT_GT(AgedBy(b, intro.FountainB()->Particles(), fifteenth), 30);
    snapshot();
    RenderAt(intro, 8.7f);
    snapshot();
    RenderAt(intro, 9.0f);  // still inside the window at 9 s exactly
    EXPECT_GT(AgedBy(b, intro.FountainB()->Particles(), fifteenth), 30);
    snapshot();
    RenderAt(intro, 9.3f);
    EXPECT_EQ(AgedBy(b, intro.FountainB()->Particles(), 0.0f), 100);
}

// An empty folder: only the font loads, so the captions are the only thing drawn besides the
// background and the flash, and the scene must still render through its whole window.
TEST_F(IntroSceneTest, PartlyLoadedSceneShowsTheCaptionsOnTheirTimes) {
    EnterEmptyFolder();
    IntroScene intro;
    EXPECT_EQ(intro.Load(), E_FAIL);
    EXPECT_NE(intro.Font(), nullptr);
    // Fountain A was made before its texture failed; it stays, empty, and the rest is missing.
    ASSERT_NE(intro.FountainA(), nullptr);
    EXPECT_EQ(intro.FountainA()->Texture(), nullptr);
    EXPECT_EQ(intro.FountainB(), nullptr);
    EXPECT_EQ(intro.Title(), nullptr);

    const auto frames = Play(intro, {10, 30, 44, 46, 55, 70, 80, 115, 180});
    EXPECT_EQ(frames.at(10).CountEqual(kGrey), kWidth * kHeight);
    // The studio caption fades in to 4.5 s and out to 6.4 s.
    // 3 s: alpha about 72, visible but far from white; 4.4 and 4.6 s: near full; 5.5 s: about half.
    EXPECT_GT(frames.at(30).CountAtLeast(0x30), 40);
    EXPECT_EQ(frames.at(30).CountAtLeast(kTextLevel), 0);
    EXPECT_GT(frames.at(44).CountAtLeast(kTextLevel), 40);
    EXPECT_GT(frames.at(46).CountAtLeast(kTextLevel), 40);
    EXPECT_GT(frames.at(55).CountAtLeast(0x60), 40);
    EXPECT_EQ(frames.at(55).CountAtLeast(kTextLevel), 0);
    // The caption starts at 0.35 W and sits at half height.
    const int studioLeft = frames.at(44).LeftmostAtLeast(kTextLevel);
    EXPECT_GE(studioLeft, static_cast<int>(0.35f * kWidth) - 2);
    EXPECT_LE(studioLeft, static_cast<int>(0.35f * kWidth) + 4);
    EXPECT_GE(frames.at(44).TopmostAtLeast(kTextLevel), kHeight / 2 - 2);
    EXPECT_LE(frames.at(44).TopmostAtLeast(kTextLevel), kHeight / 2 + 20);
    // 7 s: the studio caption is over and the presents caption has not begun. Both were drawn
    // (invisibly) at 1 s; at 7 s the studio caption is no longer drawn at all.
    EXPECT_EQ(frames.at(70).CountEqual(kGrey), kWidth * kHeight);
    EXPECT_GE(frames.at(70).drawCalls, 1u);
    EXPECT_EQ(frames.at(10).drawCalls, frames.at(70).drawCalls + 1);
    // The presents caption rises until 11.5 s, over the rising flash, right of the studio start.
    EXPECT_GT(frames.at(80).CountAtLeast(0x20), 40);
    const Frame& presents = frames.at(115);
    EXPECT_GT(presents.CountAtLeast(kTextLevel), 40);
    EXPECT_GE(presents.LeftmostAtLeast(kTextLevel), studioLeft + 14);
    // No title file: the picture after the flash is the background again.
    EXPECT_EQ(frames.at(180).CountEqual(kGrey), kWidth * kHeight);
}

TEST_F(IntroSceneTest, RendersWithoutAnyLoad) {
    IntroScene intro;
    const Frame early = RenderAt(intro, 5.0f);
    EXPECT_EQ(early.CountEqual(kGrey), kWidth * kHeight);
    EXPECT_EQ(RenderAt(intro, 12.0f).CountEqual(0xFFFFFF), kWidth * kHeight);
    EXPECT_EQ(RenderAt(intro, 20.0f).CountEqual(kGrey), kWidth * kHeight);
}

}  // namespace

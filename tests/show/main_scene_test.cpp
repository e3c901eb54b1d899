// The main scene on a headless device with a virtual frame clock: its camera work, its fades,
// the sliding sprites, the street shots and the blood mark, and scenes that loaded only in part.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/clock_source.h"
#include "app/frame_timer.h"
#include "render/render_device.h"
#include "show/scenes/main_scene.h"
#include "tests/common/read_back.h"
#include "tests/render/render_device_fixture.h"
#include "tests/show/scene_folder.h"

namespace {

constexpr int kWidth = 128;
constexpr int kHeight = 96;

class MainSceneTest : public rendertest::RenderDeviceTest<kWidth, kHeight> {
protected:
    void SetUp() override {
        rendertest::RenderDeviceTest<kWidth, kHeight>::SetUp();
        SetFrameTimerSource(&clock);
    }
    void TearDown() override { SetFrameTimerSource(nullptr); }

    // Loads the scene from the asset pack; every file is there, so Load succeeds.
    void LoadFromPack(MainScene& scene) {
        folder.EnterPack();
        ASSERT_EQ(scene.Load(), 0);
    }
    // A fresh folder holding only the named files copied from the pack.
    void EnterFolderWith(const std::vector<std::string>& files) { ASSERT_TRUE(folder.EnterFolderWith(files)); }

    // One frame at show time t, the frame clock moved by step first.
    void Frame(MainScene& scene, float t, double step) {
        clock.Advance(step);
        RenderDevice::Instance().BeginFrame(false);
        scene.Render(t);
        RenderDevice::Instance().EndFrame();
    }
    // Frames at fps from the first frame after from up to and including to.
    void Run(MainScene& scene, double from, double to, double fps) {
        const double step = 1.0 / fps;
        const int frames = static_cast<int>(std::lround((to - from) * fps));
        for (int i = 1; i <= frames; ++i) Frame(scene, static_cast<float>(from + i * step), step);
    }

    std::vector<std::uint32_t> Pixels() { return testpixels::ReadBack(device, kWidth, kHeight).pixels; }
    // How many pixels have exactly this RGB colour.
    std::size_t CountColour(std::uint32_t rgb) {
        std::size_t n = 0;
        for (std::uint32_t p : Pixels()) n += (p & 0xFFFFFF) == rgb;
        return n;
    }
    static std::size_t Differing(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
        std::size_t n = 0;
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) n += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
        return n;
    }

    static void ExpectPoint(const D3DXVECTOR3& v, float x, float y, float z, float tolerance = 0.05f) {
        EXPECT_NEAR(v.x, x, tolerance);
        EXPECT_NEAR(v.y, y, tolerance);
        EXPECT_NEAR(v.z, z, tolerance);
    }

    VirtualClock clock;

private:
    scenetest::SceneFolder folder;
};

constexpr std::size_t kAll = static_cast<std::size_t>(kWidth * kHeight);

TEST_F(MainSceneTest, OpeningSinksThenSweepsTheGazeThenCutsToTheStreet) {
    MainScene scene;
    LoadFromPack(scene);
    ExpectPoint(scene.Eye(), -2410.0f, -860.0f, 2500.0f);

    Run(scene, 21.0, 23.5, 10.0);  // halfway down
    ExpectPoint(scene.Eye(), -2410.0f, -860.0f, 2500.0f - 1655.0f / 2.0f, 1.0f);
    EXPECT_FLOAT_EQ(scene.LookAtPoint().z, scene.Eye().z);
    ExpectPoint(scene.LookAtPoint(), -850.0f, -1700.0f, scene.Eye().z);

    Run(scene, 23.5, 26.0, 10.0);
    EXPECT_NEAR(scene.Eye().z, 845.0f, 0.01f);
    EXPECT_NEAR(scene.LookAtPoint().z, 845.0f, 0.01f);

    Run(scene, 26.0, 33.0, 10.0);  // half the sweep along the diagonal
    ExpectPoint(scene.LookAtPoint(), 827.5f, -22.5f, 845.0f, 1.0f);

    Run(scene, 33.0, 39.9, 10.0);
    ExpectPoint(scene.LookAtPoint(), 2505.0f, 1655.0f, 845.0f, 30.0f);
    ExpectPoint(scene.Eye(), -2410.0f, -860.0f, 845.0f);

    Frame(scene, 40.0f, 0.1);  // the sweep ends: phase 1 cuts to the street
    ExpectPoint(scene.Eye(), -390.0f, -1935.0f, 25.0f);
    ExpectPoint(scene.LookAtPoint(), -390.0f, -1930.0f, 25.0f);

    Run(scene, 40.0, 47.5, 10.0);  // phase 2 raises the eye from 25 to 75 by 55 s
    ExpectPoint(scene.Eye(), -390.0f, -1935.0f, 50.0f, 1.0f);
    EXPECT_FLOAT_EQ(scene.LookAtPoint().z, scene.Eye().z);
}

TEST_F(MainSceneTest, FlashesWhiteAtFortyAndFadesToBlackAtFiftyFive) {
    MainScene scene;
    LoadFromPack(scene);
    Run(scene, 21.0, 38.0, 5.0);
    EXPECT_LT(CountColour(0xFFFFFF), kAll / 2) << "the city is showing before the flash";

    Run(scene, 38.0, 40.0, 5.0);
    EXPECT_EQ(CountColour(0xFFFFFF), kAll);

    Run(scene, 40.0, 42.0, 5.0);  // the flash has faded out again
    EXPECT_LT(CountColour(0xFFFFFF), kAll / 2);
    EXPECT_LT(CountColour(0x000000), kAll);

    Run(scene, 42.0, 55.0, 5.0);
    EXPECT_EQ(CountColour(0x000000), kAll);

    Run(scene, 55.0, 55.4, 5.0);  // the sprites shot starts at full brightness
    EXPECT_LT(CountColour(0x000000), kAll);
}

TEST_F(MainSceneTest, SpritesSlideAcrossOnlyUntilSeventySeconds) {
    MainScene scene;
    LoadFromPack(scene);
    Run(scene, 21.0, 60.0, 5.0);
    // Without frame time the city stands still and only the sprites move between these frames.
    Frame(scene, 60.0f, 0.0);
    const auto at60 = Pixels();
    Frame(scene, 61.0f, 0.0);
    const auto at61 = Pixels();
    EXPECT_GT(Differing(at60, at61), kAll / 2) << "the sprites did not move";
    const D3DXVECTOR3 eye = scene.Eye();
    ExpectPoint(eye, -470.0f, -1835.0f, 25.0f);

    Run(scene, 61.0, 69.0, 5.0);
    Frame(scene, 69.0f, 0.0);
    const auto at69 = Pixels();
    Run(scene, 69.0, 70.2, 5.0);  // the last frame in the window draws the sprites one last time
    Frame(scene, 70.5f, 0.0);
    const auto at70 = Pixels();
    Frame(scene, 70.8f, 0.0);
    const auto later = Pixels();
    ExpectPoint(scene.Eye(), eye.x, eye.y, eye.z);  // the camera stays until the run1 shot
    // Snow still drifts a little without frame time; the sprites cover most of the picture.
    EXPECT_LT(Differing(at70, later), kAll / 10);
    EXPECT_GT(Differing(at69, at70), kAll / 2) << "the sprites at 69 s left no mark";
}

TEST_F(MainSceneTest, StreetShotsCutAtTheEndOfEachFadeAndTheBloodJoinsOnce) {
    MainScene scene;
    LoadFromPack(scene);
    ASSERT_NE(scene.WorldList(), nullptr);
    Run(scene, 165.0, 173.9, 10.0);
    ExpectPoint(scene.Eye(), 2010.0f, 900.0f, 50.0f);
    EXPECT_NEAR(scene.LookAtPoint().x, 1280.0f, 0.05f);  // panned right after 166.2 s

    Run(scene, 173.9, 174.0, 10.0);
    EXPECT_EQ(CountColour(0x000000), kAll) << "fully black as the fade ends";
    Frame(scene, 174.1f, 0.1);
    ExpectPoint(scene.Eye(), 1980.0f, 3500.0f, 50.0f);
    ExpectPoint(scene.LookAtPoint(), 1580.0f, 2650.0f, 50.0f);
    Frame(scene, 174.2f, 0.1);  // the first frame from the new camera is not darkened
    EXPECT_LT(CountColour(0x000000), kAll / 2);

    Run(scene, 174.2, 184.0, 10.0);
    EXPECT_NEAR(scene.LookAtPoint().x, 880.0f, 0.05f);
    Frame(scene, 184.1f, 0.1);
    ExpectPoint(scene.Eye(), 1150.0f, 4700.0f, 50.0f);

    Run(scene, 184.1, 193.0, 10.0);  // the climber's shot moved the eye 200 forward
    EXPECT_NEAR(scene.Eye().y, 4900.0f, 0.05f);
    EXPECT_EQ(scene.WorldList()->Instances().size(), 1u);
    EXPECT_EQ(CountColour(0xFF0000), kAll) << "the red flash peaks at 193 s";

    Frame(scene, 193.1f, 0.1);
    ExpectPoint(scene.Eye(), 950.0f, 3300.0f, 50.0f);  // the height ramp holds 50, not 90
    ASSERT_EQ(scene.WorldList()->Instances().size(), 2u);
    const MeshInstance* blood = scene.WorldList()->Instances()[1];
    EXPECT_FLOAT_EQ(blood->world._41, 1115.0f);
    EXPECT_FLOAT_EQ(blood->world._42, 3800.0f);
    EXPECT_FLOAT_EQ(blood->world._43, 110.0f);

    Run(scene, 193.1, 215.1, 5.0);
    EXPECT_EQ(scene.WorldList()->Instances().size(), 2u);
    EXPECT_FLOAT_EQ(blood->world._41, 1115.0f) << "placed once, not moved again";
    EXPECT_NEAR(scene.Eye().z, 50.0f + 250.0f * 10.1f / 20.0f, 0.5f);  // about halfway up to 300
}

// The choreography runs without files, so two scenes in an empty folder compare frame rates.
TEST_F(MainSceneTest, RunOneDriftGrowsWithTheFrameRate) {
    EnterFolderWith({});
    MainScene slow;
    MainScene fast;
    EXPECT_EQ(slow.Load(), E_FAIL);
    EXPECT_EQ(fast.Load(), E_FAIL);
    Run(slow, 70.0, 78.0, 20.0);
    Run(fast, 70.0, 78.0, 40.0);
    // The look-at point follows the ramp alone; the eye drifts by a step per frame.
    EXPECT_NEAR(slow.LookAtPoint().x, fast.LookAtPoint().x, 0.01f);
    EXPECT_NEAR(slow.LookAtPoint().x, -200.0f + 250.0f * 5.0f / 7.0f, 0.01f);
    const float slowDrift = slow.Eye().x - -200.0f;
    const float fastDrift = fast.Eye().x - -200.0f;
    EXPECT_GT(slowDrift, 1.0f);
    EXPECT_NEAR(fastDrift / slowDrift, 2.0f, 0.1f);
    EXPECT_NEAR((fast.Eye().y - -995.0f) / (slow.Eye().y - -995.0f), 2.0f, 0.1f);
}

// Renders every window of the scene from an empty folder and from one holding only the
// particle images (the render list exists then, but the city and everything after it do not).
TEST_F(MainSceneTest, PartlyLoadedScenesRenderEveryWindow) {
    for (const std::vector<std::string>& files :
         {std::vector<std::string>{}, std::vector<std::string>{"snowflake.jpg", "particle3.jpg", "particle1.jpg"}}) {
        EnterFolderWith(files);
        MainScene scene;
        EXPECT_EQ(scene.Load(), E_FAIL);
        EXPECT_EQ(scene.WorldList() != nullptr, !files.empty());
        Run(scene, 21.0, 82.0, 2.0);
        Run(scene, 114.0, 126.0, 2.0);
        Run(scene, 165.0, 258.0, 2.0);
        // The praise glide ran to its end with nothing to draw.
        ExpectPoint(scene.Eye(), 1400.0f, -1000.0f, 1090.0f);
        if (scene.WorldList()) {
            EXPECT_TRUE(scene.WorldList()->Instances().empty());
        }
        std::filesystem::current_path(ORRERY_PACK_DIR);
        std::filesystem::remove_all(std::filesystem::temp_directory_path() / ("orrery-main-" + std::to_string(getpid())));
    }
}

}  // namespace

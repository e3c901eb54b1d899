// The soundtrack in the show: DemoApp starts it with the show's clock, it plays while the show
// runs, and it is stopped when Run ends. The show runs headless on a virtual clock that moves 20
// seconds per frame, with stand-in scenes; the music plays in real time on SDL's silent driver.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "app/frame_timer.h"
#include "audio/music_player.h"
#include "platform/sound/mp3_player.h"
#include "platform/window/gl_current.h"
#include "platform/window/headless_window.h"
#include "show/demo_app.h"
#include "tests/platform/sound/mp3_fixture.h"

namespace {

class StandInScene : public Scene {
public:
    HRESULT Load() override { return 0; }
    int Render(float) override { return 0; }
    void Unload() override {}
    int GetStatus() override { return 0; }
};

SceneFactory StandInScenes() {
    const SceneFactory::Make make = [] { return std::make_unique<StandInScene>(); };
    SceneFactory factory;
    factory.makers.fill(make);
    return factory;
}

bool HaveHeadlessGl() {
    platform::HeadlessWindow probe(16, 16);
    const bool have = probe.CreateGlContext(platform::GlProfile::Default) != nullptr;
    platform::ReleaseCurrentGlContext();
    return have;
}

// What one frame of the show saw of the music.
struct Sample {
    float showTime;
    bool playing;
    double playedSeconds;
};

TEST(ShowMusic, StartsWithTheShowClockPlaysWhileTheShowRunsAndStopsWhenRunEnds) {
    if (!HaveHeadlessGl()) GTEST_SKIP() << "no headless OpenGL here";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    sound_test::TempDirectory directory;
    ASSERT_TRUE(sound_test::WriteSineMp3("demo.mp3", 30.0));

    VirtualClock clock;
    SetFrameTimerSource(&clock);
    platform::HeadlessWindow window(160, 120);
    DemoApp app(StandInScenes());
    std::vector<Sample> samples;
    window.SetPresentHandler([&] {
        if (!app.Playing()) return;  // the loading frame
        const platform::Mp3Player* player = MusicPlayer::Instance().Player();
        Sample sample{app.ShowTime(), player && player->IsPlaying(), player ? player->PlayedSeconds() : -1.0};
        samples.push_back(sample);
        // Real time passes until the device has taken more of the music; then the show's clock
        // moves on.
        if (sample.playing) sound_test::WaitFor([&] { return player->PlayedSeconds() > sample.playedSeconds; });
        clock.Advance(20.0);
    });
    app.RunHeadless(window, DisplaySettings{160, 120, 0, 0, 1, 0});
    const platform::Mp3Player* afterRun = MusicPlayer::Instance().Player();
    app.Shutdown();
    SetFrameTimerSource(nullptr);

    // 258 seconds in steps of 20: the frames at 0, 20, ... 240 and the last one at 260.
    ASSERT_EQ(samples.size(), 14u);
    EXPECT_EQ(samples.front().showTime, 0.0f);
    EXPECT_GE(samples.back().showTime, 258.0f);
    // At the show's first frame the music plays from its very beginning.
    EXPECT_TRUE(samples.front().playing);
    EXPECT_GE(samples.front().playedSeconds, 0.0);
    EXPECT_LT(samples.front().playedSeconds, 0.5);
    for (std::size_t i = 1; i < samples.size(); ++i) {
        EXPECT_TRUE(samples[i].playing) << "frame at " << samples[i].showTime;
        EXPECT_GT(samples[i].playedSeconds, samples[i - 1].playedSeconds) << "frame at " << samples[i].showTime;
    }
    // Run stopped the music and let go of the playback objects.
    EXPECT_EQ(afterRun, nullptr);
}

}  // namespace

#include "platform/sound/mp3_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#include "tests/platform/sound/mp3_fixture.h"

namespace {

using platform::Mp3Player;
using platform::Mp3Source;

using sound_test::ThreadCount;
using sound_test::WaitFor;

class Mp3PlayerTest : public testing::Test {
protected:
    void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }

    std::unique_ptr<Mp3Source> Open(const char* name, double seconds) {
        std::unique_ptr<Mp3Source> source;
        EXPECT_TRUE(sound_test::WriteSineMp3(name, seconds));
        EXPECT_EQ(Mp3Source::Open(name, source), S_OK);
        return source;
    }

    sound_test::TempDirectory directory;
};

TEST_F(Mp3PlayerTest, PlayReturnsWhileTheFeederDecodesAhead) {
    Mp3Player player;
    player.SetSource(Open("long.mp3", 30.0));
    ASSERT_EQ(player.Play(), S_OK);
    EXPECT_TRUE(player.IsPlaying());
    // Thirty seconds are about 1150 frames; the feeder stays a fraction of a second ahead.
    ASSERT_TRUE(WaitFor([&] { return player.PlayedSeconds() > 0.3; }));
    EXPECT_GT(player.FramesDecoded(), 10);
    EXPECT_LT(player.FramesDecoded(), 300);
    EXPECT_FALSE(player.ReachedEnd());
    const long before = player.FramesDecoded();
    ASSERT_TRUE(WaitFor([&] { return player.FramesDecoded() > before + 5; }));
    player.Stop();
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(player.PlayedSeconds(), 0.0);
}

TEST_F(Mp3PlayerTest, ShortFilePlaysToItsEnd) {
    auto source = Open("short.mp3", 0.4);
    long frames = 0;
    const unsigned char* data = nullptr;
    std::size_t bytes = 0, total = 0;
    while (source->DecodeFrame(&data, &bytes) == S_OK) {
        ++frames;
        total += bytes;
    }
    Mp3Player player;
    player.SetSource(std::move(source));
    ASSERT_EQ(player.Play(), S_OK);
    ASSERT_TRUE(WaitFor([&] { return player.ReachedEnd(); }));
    EXPECT_EQ(player.FramesDecoded(), frames);
    // The device plays out everything that was queued, then holds there.
    const double length = static_cast<double>(total) / (44100 * 4);
    ASSERT_TRUE(WaitFor([&] { return player.PlayedSeconds() >= length - 1e-9; }));
    EXPECT_NEAR(player.PlayedSeconds(), length, 1e-9);
    EXPECT_TRUE(player.IsPlaying());
    player.Stop();
}

TEST_F(Mp3PlayerTest, StopIsSafeInEveryState) {
    Mp3Player idle;
    idle.Stop();
    idle.Stop();
    EXPECT_FALSE(idle.IsPlaying());
    EXPECT_EQ(idle.Play(), E_FAIL);  // nothing to play

    Mp3Player player;
    player.SetSource(Open("tone.mp3", 5.0));
    ASSERT_EQ(player.Play(), S_OK);
    const std::size_t threadsPlaying = ThreadCount();
    player.Stop();
    EXPECT_LE(ThreadCount() + 2, threadsPlaying);
    player.Stop();
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_TRUE(player.HasSource());
    // A stopped player plays again from the start.
    ASSERT_EQ(player.Play(), S_OK);
    ASSERT_TRUE(WaitFor([&] { return player.FramesDecoded() > 0; }));
    // Replacing the source stops playback and releases the old source.
    player.SetSource(nullptr);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_FALSE(player.HasSource());
}

TEST_F(Mp3PlayerTest, PlayingPlayerIsStoppedByItsDestructor) {
    auto source = Open("tone.mp3", 5.0);
    const std::size_t threadsBefore = ThreadCount();
    auto player = std::make_unique<Mp3Player>();
    player->SetSource(std::move(source));
    ASSERT_EQ(player->Play(), S_OK);
    ASSERT_TRUE(WaitFor([&] { return player->FramesDecoded() > 0; }));
    // The feeder and SDL's audio thread.
    EXPECT_GE(ThreadCount(), threadsBefore + 2);
    player.reset();
    EXPECT_EQ(ThreadCount(), threadsBefore);
}

// Without a sound card alsa-lib would print its own lines for every failed step; the only line
// is ours, naming the file. (Where there is a card, playback starts and nothing is printed.)
TEST_F(Mp3PlayerTest, NoSoundCardIsOneLineOfOursOnStderr) {
    auto source = Open("tone.mp3", 1.0);
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    Mp3Player player;
    player.SetSource(std::move(source));
    HRESULT result = S_OK;
    const std::string err = sound_test::CaptureStderr([&] { result = player.Play(); });
    player.Stop();
    EXPECT_EQ(err.find("ALSA lib"), std::string::npos) << err;
    if (SUCCEEDED(result)) {
        EXPECT_EQ(err, "");
    } else {
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(err.rfind("sound: tone.mp3: ", 0), 0u) << err;
    }
}

TEST_F(Mp3PlayerTest, MissingAudioDriverFailsPlay) {
    auto source = Open("tone.mp3", 1.0);
    setenv("SDL_AUDIODRIVER", "nonexistent", 1);
    Mp3Player player;
    player.SetSource(std::move(source));
    EXPECT_EQ(player.Play(), platform::kSoundDeviceError);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(player.PlayedSeconds(), 0.0);
    player.Stop();
}

}  // namespace

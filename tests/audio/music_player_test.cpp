#include "audio/music_player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "app/error_reporter.h"
#include "platform/sound/mp3_player.h"
#include "tests/platform/sound/mp3_fixture.h"

namespace {

using sound_test::ThreadCount;
using sound_test::WaitFor;

// Each case runs in a fresh temporary working directory; the singleton is stopped after each.
class MusicPlayerTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        music.SetSilent(false);
        ErrorReporter::Instance().SetDetail("");
    }
    void TearDown() override { music.Stop(); }

    static void WriteSoundtrack(double seconds = 20.0) { ASSERT_TRUE(sound_test::WriteSineMp3("demo.mp3", seconds)); }
    static std::string Detail() { return ErrorReporter::Instance().detail; }

    sound_test::TempDirectory directory;
    MusicPlayer& music = MusicPlayer::Instance();
};

TEST_F(MusicPlayerTest, MissingFileAnswersOneWithItsName) {
    ASSERT_EQ(music.Initialize(), S_OK);
    EXPECT_EQ(music.Play(0), 1);
    EXPECT_EQ(Detail(), "demo.mp3");
    EXPECT_STREQ(music.CurrentFileName(), "demo.mp3");
    EXPECT_FALSE(music.Player()->IsPlaying());

    // Silent runs make the same check.
    ErrorReporter::Instance().SetDetail("");
    music.SetSilent(true);
    EXPECT_EQ(music.Play(0), 1);
    EXPECT_EQ(Detail(), "demo.mp3");
}

TEST_F(MusicPlayerTest, TracksOutsideTheTableAnswerOneAndLeaveTheDetail) {
    WriteSoundtrack(1.0);
    ASSERT_EQ(music.Initialize(), S_OK);
    ErrorReporter::Instance().SetDetail("earlier.x");
    for (int track : {16, 17, 100, -1, -16, 1 << 30, -(1 << 30)}) {
        EXPECT_EQ(music.Play(track), 1) << track;
    }
    // Entries 1 to 15 name no file.
    for (int track : {1, 7, 15}) EXPECT_EQ(music.Play(track), 1) << track;
    EXPECT_EQ(Detail(), "earlier.x");
    EXPECT_FALSE(music.Player()->IsPlaying());
}

TEST_F(MusicPlayerTest, UndecodableFilePlaysSilence) {
    for (unsigned seed : {1u, 2u, 3u}) {
        ASSERT_TRUE(sound_test::WriteJunk("demo.mp3", 8192, seed));
        ASSERT_EQ(music.Initialize(), S_OK);
        EXPECT_EQ(music.Play(0), 0) << seed;
        EXPECT_FALSE(music.Player()->IsPlaying()) << seed;
        EXPECT_EQ(Detail(), "") << seed;
        music.Stop();
    }
    // A folder of that name exists but is no file either.
    std::filesystem::remove("demo.mp3");
    std::filesystem::create_directory("demo.mp3");
    ASSERT_EQ(music.Initialize(), S_OK);
    EXPECT_EQ(music.Play(0), 0);
    EXPECT_FALSE(music.Player()->IsPlaying());
}

TEST_F(MusicPlayerTest, NoAudioDeviceIsSilentNotAnError) {
    WriteSoundtrack(1.0);
    for (const char* driver : {"nonexistent", "disk"}) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        setenv("SDL_DISKAUDIOFILE", "/nonexistent-folder/out.raw", 1);
        ASSERT_EQ(music.Initialize(), S_OK) << driver;
        EXPECT_EQ(music.Play(0), 0) << driver;
        EXPECT_FALSE(music.Player()->IsPlaying()) << driver;
        EXPECT_EQ(Detail(), "") << driver;
        music.Stop();
    }
}

TEST_F(MusicPlayerTest, PlayReturnsAtOnceAndDecodesInTheBackground) {
    WriteSoundtrack();
    ASSERT_EQ(music.Initialize(), S_OK);
    ASSERT_EQ(music.Play(0), 0);
    const platform::Mp3Player* player = music.Player();
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(player->IsPlaying());
    // Twenty seconds are about 770 frames: Play did not decode them before returning.
    EXPECT_LT(player->FramesDecoded(), 100);
    ASSERT_TRUE(WaitFor([&] { return player->PlayedSeconds() > 0.5; }));
    EXPECT_GT(player->FramesDecoded(), 19);
    EXPECT_FALSE(player->ReachedEnd());
}

TEST_F(MusicPlayerTest, SecondPlayRestartsFromTheBeginning) {
    WriteSoundtrack();
    ASSERT_EQ(music.Initialize(), S_OK);
    ASSERT_EQ(music.Play(0), 0);
    const platform::Mp3Player* player = music.Player();
    ASSERT_TRUE(WaitFor([&] { return player->PlayedSeconds() > 0.6; }));
    ASSERT_EQ(music.Play(0), 0);
    EXPECT_TRUE(player->IsPlaying());
    EXPECT_LT(player->PlayedSeconds(), 0.2);
    ASSERT_TRUE(WaitFor([&] { return player->PlayedSeconds() > 0.1; }));
}

TEST_F(MusicPlayerTest, StopReleasesEverythingAndMayRepeat) {
    WriteSoundtrack();
    const std::size_t threadsBefore = ThreadCount();
    ASSERT_EQ(music.Initialize(), S_OK);
    ASSERT_EQ(music.Play(0), 0);
    ASSERT_TRUE(WaitFor([&] { return music.Player()->FramesDecoded() > 0; }));
    EXPECT_GE(ThreadCount(), threadsBefore + 2);
    music.Stop();
    EXPECT_EQ(music.Player(), nullptr);
    EXPECT_EQ(ThreadCount(), threadsBefore);
    music.Stop();
    EXPECT_EQ(music.Player(), nullptr);

    // Without playback objects Play still checks, then stays silent.
    EXPECT_EQ(music.Play(0), 0);
    EXPECT_EQ(music.Play(16), 1);
    // A new Initialize brings playback back.
    ASSERT_EQ(music.Initialize(), S_OK);
    ASSERT_EQ(music.Play(0), 0);
    EXPECT_TRUE(music.Player()->IsPlaying());
}

TEST_F(MusicPlayerTest, ProcessExitWhilePlayingEndsCleanly) {
    // An error report ends the process with code 3 while the music runs: the exit handlers must
    // end playback instead of aborting on a running thread.
    WriteSoundtrack();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            MusicPlayer& player = MusicPlayer::Instance();
            player.Initialize();
            player.Play(0);
            WaitFor([&] { return player.Player()->FramesDecoded() > 0; });
            std::exit(3);
        },
        testing::ExitedWithCode(3), "");
}

TEST_F(MusicPlayerTest, StopWithoutInitialize) {
    music.Stop();
    music.Stop();
    EXPECT_EQ(music.Player(), nullptr);
    EXPECT_EQ(music.Play(0), 1);
    EXPECT_EQ(Detail(), "demo.mp3");
}

TEST_F(MusicPlayerTest, SilentPlayDecodesNothing) {
    WriteSoundtrack(1.0);
    music.SetSilent(true);
    EXPECT_TRUE(music.IsSilent());
    ASSERT_EQ(music.Initialize(), S_OK);
    const std::size_t threadsBefore = ThreadCount();
    EXPECT_EQ(music.Play(0), 0);
    EXPECT_EQ(music.Play(16), 1);
    EXPECT_FALSE(music.Player()->IsPlaying());
    EXPECT_FALSE(music.Player()->HasSource());
    EXPECT_EQ(ThreadCount(), threadsBefore);
    EXPECT_STREQ(music.CurrentFileName(), "demo.mp3");
}

}  // namespace

// The arrangement, checked on the synthesised PCM: rises into the flashes, quiet and dark
// sections where the picture is, a clean ending, a signal without clipping or offset.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/assets/music/dsp.h"
#include "tools/assets/music/score.h"
#include "tools/assets/music/soundtrack.h"

namespace assets::music {
namespace {

// The whole soundtrack, made once per test process.
const std::vector<float>& Soundtrack() {
    static const std::vector<float> pcm = SynthesiseSoundtrack(kShowSeconds);
    return pcm;
}

std::size_t Frame(double t) { return static_cast<std::size_t>(t * kSampleRate); }

// RMS level in dB of the mid (L+R)/2 signal over [t0, t1).
double LevelDb(double t0, double t1) {
    const std::vector<float>& pcm = Soundtrack();
    double sum = 0.0;
    const std::size_t a = Frame(t0), b = std::min(Frame(t1), pcm.size() / 2);
    for (std::size_t i = a; i < b; ++i) {
        const double mid = 0.5 * (pcm[2 * i] + pcm[2 * i + 1]);
        sum += mid * mid;
    }
    return 10.0 * std::log10(sum / static_cast<double>(std::max<std::size_t>(1, b - a)) + 1e-20);
}

// Brightness: RMS of the first difference over the RMS of the signal (higher for more treble).
double Brightness(double t0, double t1) {
    const std::vector<float>& pcm = Soundtrack();
    double energy = 0.0, slope = 0.0;
    for (std::size_t i = Frame(t0) + 1; i < Frame(t1); ++i) {
        const double mid = 0.5 * (pcm[2 * i] + pcm[2 * i + 1]);
        const double before = 0.5 * (pcm[2 * i - 2] + pcm[2 * i - 1]);
        energy += mid * mid;
        slope += (mid - before) * (mid - before);
    }
    return std::sqrt(slope / energy);
}

void LevelRisesIntoEachFlashAndPeaksOnIt() {
    ASSERT_EQ(Soundtrack().size(), 2 * Frame(kShowSeconds));
    for (double flash : kFlashes) {
        SCOPED_TRACE(testing::Message() << "flash at " << flash << " s");
        // Each of the last three seconds before the flash is louder than the one before.
        EXPECT_LT(LevelDb(flash - 3, flash - 2), LevelDb(flash - 2, flash - 1));
        EXPECT_LT(LevelDb(flash - 2, flash - 1), LevelDb(flash - 1, flash));
        EXPECT_GT(LevelDb(flash - 1, flash) - LevelDb(flash - 4, flash - 3), 2.0);
        // The loudest half second within six seconds either side starts at the flash.
        double loudest = -1e9, at = 0.0;
        for (double t = flash - 6; t < flash + 6; t += 0.25) {
            const double level = LevelDb(t, t + 0.5);
            if (level > loudest) loudest = level, at = t;
        }
        EXPECT_NEAR(at, flash, 0.26);
    }
}

void SectionsHaveTheCharacterOfTheirScenes() {
    const double city = std::max(LevelDb(42, 53), LevelDb(195, 224));
    const double hand = LevelDb(127, 138);
    const double organic = LevelDb(141, 163);
    EXPECT_LT(hand, city - 5.0) << "the hand scene is calm";
    EXPECT_LT(hand, LevelDb(100, 109) - 5.0);
    // The organic tunnel is dark (little treble) yet not silent: it pulses.
    EXPECT_LT(Brightness(141, 163), 0.5 * Brightness(42, 53));
    EXPECT_GT(organic, city - 10.0);
    double quietest = 1e9, loudest = -1e9;
    for (double t = 141; t < 163; t += 0.25) {
        quietest = std::min(quietest, LevelDb(t, t + 0.125));
        loudest = std::max(loudest, LevelDb(t, t + 0.125));
    }
    EXPECT_GT(loudest - quietest, 6.0) << "the organic tunnel has a beat";
    // The picture's fades to black take the music down with them.
    EXPECT_LT(LevelDb(81, 82), LevelDb(75, 76) - 12.0);
    EXPECT_LT(LevelDb(139.5, 140), LevelDb(135, 136));
}

void EndsInSilenceWithoutClippingOrOffset() {
    const std::vector<float>& pcm = Soundtrack();
    float peak = 0.0f;
    double sumLeft = 0.0, sumRight = 0.0;
    for (std::size_t i = 0; i < pcm.size(); i += 2) {
        peak = std::max({peak, std::fabs(pcm[i]), std::fabs(pcm[i + 1])});
        sumLeft += pcm[i];
        sumRight += pcm[i + 1];
    }
    EXPECT_LE(peak, 1.0f);
    EXPECT_NEAR(peak, kPeak, 1e-4f);
    const double frames = static_cast<double>(pcm.size() / 2);
    EXPECT_LT(std::fabs(sumLeft / frames), 1e-3);
    EXPECT_LT(std::fabs(sumRight / frames), 1e-3);
    for (float x : pcm) ASSERT_TRUE(std::isfinite(x));
    // The closing chord is still heard a few seconds before the end, and gone in the last half second.
    EXPECT_GT(LevelDb(250.5, 251.5), -40.0);
    EXPECT_LT(LevelDb(kShowSeconds - 0.5, kShowSeconds), -70.0);
    // The opening is not silent either.
    EXPECT_GT(LevelDb(0.5, 1.5), -40.0);
}

// One test over the whole soundtrack, so that it is synthesised once (slow in instrumented builds).
TEST(MusicArrangementTest, FollowsTheShow) {
    {
        SCOPED_TRACE("rises and hits");
        LevelRisesIntoEachFlashAndPeaksOnIt();
    }
    {
        SCOPED_TRACE("sections");
        SectionsHaveTheCharacterOfTheirScenes();
    }
    {
        SCOPED_TRACE("signal and ending");
        EndsInSilenceWithoutClippingOrOffset();
    }
}

TEST(MusicArrangementTest, SameSamplesOnEveryRun) {
    const std::vector<float> first = SynthesiseSoundtrack(14.0);
    const std::vector<float> second = SynthesiseSoundtrack(14.0);
    ASSERT_EQ(first.size(), 2 * Frame(14.0));
    EXPECT_TRUE(first == second);
    EXPECT_TRUE(SynthesiseSoundtrack(0.0).empty());
    EXPECT_TRUE(SynthesiseSoundtrack(-3.0).empty());
}

}  // namespace
}  // namespace assets::music

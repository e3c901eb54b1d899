// The building blocks of the soundtrack: mixing into the buses, envelopes, oscillators.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tools/assets/music/dsp.h"
#include "tools/assets/music/mix.h"

namespace assets::music {
namespace {

TEST(MusicMixTest, SignalsAreClippedToTheMixAndPanned) {
    Mix mix(100);
    const std::vector<float> ones(40, 1.0f);
    mix.Add(-10, ones, 1.0f, {-1.0f, 0.5f, 0.25f});   // starts before the mix: its first 10 samples fall away
    mix.Add(80, ones, 2.0f, {1.0f, 0.0f, 0.0f});      // runs past the end: cut at frame 100
    mix.Add(200, ones, 1.0f, {});                      // wholly outside: nothing
    EXPECT_NEAR(mix.left[0], std::sqrt(2.0f), 1e-5f);
    EXPECT_NEAR(mix.right[0], 0.0f, 1e-5f);
    EXPECT_NEAR(mix.left[29], std::sqrt(2.0f), 1e-5f);
    EXPECT_EQ(mix.left[30], 0.0f);
    EXPECT_FLOAT_EQ(mix.reverb[5], 0.5f);
    EXPECT_FLOAT_EQ(mix.echo[5], 0.25f);
    EXPECT_NEAR(mix.right[99], 2.0f * std::sqrt(2.0f), 1e-5f);
    EXPECT_NEAR(mix.left[99], 0.0f, 1e-5f);
    EXPECT_EQ(mix.right[79], 0.0f);
}

TEST(MusicMixTest, CentredStereoPairKeepsItsSides) {
    Mix mix(10);
    mix.AddStereo(0, std::vector<float>(10, 1.0f), std::vector<float>(10, -1.0f), 0.5f, {0.0f, 1.0f, 0.0f});
    EXPECT_FLOAT_EQ(mix.left[3], 0.5f);
    EXPECT_FLOAT_EQ(mix.right[3], -0.5f);
    EXPECT_FLOAT_EQ(mix.reverb[3], 0.0f);   // the send carries the sum of the sides
    // Pairs of different lengths are refused rather than read past the shorter one.
    mix.AddStereo(0, std::vector<float>(10, 1.0f), std::vector<float>(4, 1.0f), 1.0f, {});
    EXPECT_FLOAT_EQ(mix.left[3], 0.5f);
}

TEST(MusicEnvelopeTest, AttackSustainAndReleaseReachTheirLevels) {
    const Adsr env{0.1f, 0.2f, 0.5f, 0.4f};
    EXPECT_EQ(env.Level(-0.01f, 1.0f), 0.0f);
    EXPECT_NEAR(env.Level(0.05f, 1.0f), 0.5f, 1e-5f);
    EXPECT_NEAR(env.Level(0.1f, 1.0f), 1.0f, 1e-5f);
    EXPECT_NEAR(env.Level(0.8f, 1.0f), 0.5f, 1e-5f);
    EXPECT_NEAR(env.Level(1.2f, 1.0f), 0.5f * 0.25f, 1e-5f);
    EXPECT_NEAR(env.Level(1.4f, 1.0f), 0.0f, 1e-6f);
    EXPECT_EQ(env.Level(5.0f, 1.0f), 0.0f);
    // A note released during its attack falls from where it had got to, not from full level.
    EXPECT_LE(env.Level(0.06f, 0.05f), 0.5f);
}

TEST(MusicOscillatorTest, SawCoversItsRangeAtThePitchAsked) {
    Oscillator saw;
    int rises = 0;
    float previous = saw.Saw(441.0f), low = previous, high = previous;
    for (int i = 1; i < kSampleRate; ++i) {
        const float x = saw.Saw(441.0f);
        if (previous < 0.0f && x >= 0.0f) ++rises;   // one upward zero crossing per period
        low = std::min(low, x);
        high = std::max(high, x);
        previous = x;
    }
    EXPECT_NEAR(rises, 441, 1);
    EXPECT_LT(low, -0.9f);
    EXPECT_GT(high, 0.9f);
    EXPECT_LE(high, 1.1f);
    EXPECT_NEAR(NoteHz(69.0f), 440.0f, 1e-3f);
    EXPECT_NEAR(NoteHz(57.0f), 220.0f, 1e-3f);
}

}  // namespace
}  // namespace assets::music

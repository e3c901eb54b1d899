#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "show/timeline.h"

namespace {

using S = ShowScene;

std::vector<S> Drawn(float t) {
    const SceneSelection selection = ScenesAt(t);
    return {selection.begin(), selection.end()};
}

float Above(float t) { return std::nextafter(t, 1000.0f); }
float Below(float t) { return std::nextafter(t, -1000.0f); }

TEST(Timeline, WindowBoundariesAndGaps) {
    struct Case {
        float t;
        std::vector<S> drawn;
    };
    const std::vector<Case> cases = {
        {0.0f, {S::Intro}},
        {21.0f, {S::Intro}},
        {Above(21.0f), {S::Main}},
        {82.0f, {S::Main}},
        {Above(82.0f), {}},
        {82.5f, {}},
        {Below(83.0f), {}},
        {83.0f, {S::Tunnel}},
        {113.0f, {S::Tunnel}},
        {Above(113.0f), {}},
        {Below(114.0f), {}},
        {114.0f, {S::Main}},
        {126.0f, {S::Main}},
        {Above(126.0f), {}},
        {Below(126.1f), {}},
        {126.1f, {S::Hand}},
        {140.0f, {S::Hand}},
        {Above(140.0f), {S::OrganicTunnel}},
        {165.0f, {S::OrganicTunnel}},
        {Above(165.0f), {S::Main}},
        {Below(226.0f), {S::Main}},
        {226.0f, {S::Main, S::Credits}},
        {258.0f, {S::Main, S::Credits}},
        {300.0f, {S::Main, S::Credits}},
    };
    for (const Case& c : cases) EXPECT_EQ(Drawn(c.t), c.drawn) << "t = " << c.t;
}

TEST(Timeline, HandWindowStartsAtTheSinglePrecisionValue) {
    // 126.1 as a float lies just below the decimal value; the double 126.1 would miss it.
    EXPECT_TRUE(ScenesAt(126.0999984741211f).Contains(S::Hand));
    EXPECT_FALSE(ScenesAt(std::nextafter(126.0999984741211f, 0.0f)).Contains(S::Hand));
}

TEST(Timeline, TheShowEndsWithTheFrameThatReachesItsLength) {
    EXPECT_FALSE(ShowIsOver(Below(258.0f)));
    EXPECT_TRUE(ShowIsOver(258.0f));
    EXPECT_TRUE(ShowIsOver(1000.0f));
    EXPECT_STREQ(SceneName(S::OrganicTunnel), "organic_tunnel");
    EXPECT_STREQ(SceneName(S::Intro), "intro");
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
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

// The windows as the show has always drawn them, written out comparison by comparison.
std::vector<S> DrawnAsWrittenOut(float t) {
    std::vector<S> drawn;
    if (t <= 21.0f) drawn.push_back(S::Intro);
    if (t >= 126.1f && t <= 140.0f) drawn.push_back(S::Hand);
    if (t >= 83.0f && t <= 113.0f) drawn.push_back(S::Tunnel);
    if ((t > 21.0f && t <= 82.0f) || (t >= 114.0f && t <= 126.0f) || t > 165.0f) drawn.push_back(S::Main);
    if (t > 140.0f && t <= 165.0f) drawn.push_back(S::OrganicTunnel);
    if (t >= 226.0f) drawn.push_back(S::Credits);
    return drawn;
}

TEST(Timeline, TheTableSelectsAsTheWrittenOutWindowsAtEveryEdge) {
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> times = {-inf, -1.0f, 0.0f, 258.0f, inf, std::numeric_limits<float>::quiet_NaN()};
    for (float edge : {21.0f, 82.0f, 83.0f, 113.0f, 114.0f, 126.0f, 126.1f, 140.0f, 165.0f, 226.0f}) {
        times.insert(times.end(), {Below(edge), edge, Above(edge)});
    }
    // Every edge the table holds is among them.
    for (const ShowSceneRow& row : kShowScenes) {
        for (const TimeWindow& window : row.windows) {
            for (float edge : {window.from, window.to}) {
                if (std::isfinite(edge)) {
                    EXPECT_NE(std::find(times.begin(), times.end(), edge), times.end()) << row.name << " " << edge;
                }
            }
        }
    }
    for (float t : times) EXPECT_EQ(Drawn(t), DrawnAsWrittenOut(t)) << "t = " << t;
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
}

// Reports and the capture tool's files name the scenes so.
TEST(Timeline, EverySceneHasItsShortName) {
    const std::pair<S, const char*> names[] = {{S::Intro, "intro"}, {S::Hand, "hand"},
                                               {S::Tunnel, "tunnel"}, {S::Main, "main"},
                                               {S::OrganicTunnel, "organic_tunnel"}, {S::Credits, "credits"}};
    for (const auto& [scene, name] : names) EXPECT_STREQ(SceneName(scene), name);
    EXPECT_STREQ(SceneName(S::kCount), "unknown");
}

}  // namespace

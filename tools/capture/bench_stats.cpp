#include "tools/capture/bench_stats.h"

#include <algorithm>
#include <cstdio>

namespace capture {

namespace {

constexpr ShowScene kAllScenes[] = {ShowScene::Intro,  ShowScene::Main,          ShowScene::Tunnel,
                                    ShowScene::Hand,   ShowScene::OrganicTunnel, ShowScene::Credits};

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

}  // namespace

void BenchStats::Record(const SceneSelection& scenes, double ms, float t, Work work) {
    ++frames_;
    totalMs_ += ms;
    for (ShowScene scene : scenes) {
        perScene_[Index(scene)].push_back(ms);
        SceneStats& stats = perSceneStats_[Index(scene)];
        if (ms > stats.maxMs) {
            stats.maxMs = ms;
            stats.maxAt = t;
        }
        if (ms > kBudgetMs) ++stats.slow;
        stats.drawCalls.push_back(static_cast<double>(work.drawCalls));
        stats.primitives.push_back(static_cast<double>(work.primitives));
        stats.submissions.push_back(static_cast<double>(work.submissions));
        stats.programsBuilt += work.programsBuilt;
    }
}

int BenchStats::SceneFrames(ShowScene scene) const {
    return static_cast<int>(perScene_[static_cast<std::size_t>(scene)].size());
}

double BenchStats::Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle), values.end());
    const double upper = values[middle];
    if (values.size() % 2 != 0) return upper;
    const double lower = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle));
    return (lower + upper) / 2.0;
}

double BenchStats::MedianMs(ShowScene scene) const { return Median(perScene_[static_cast<std::size_t>(scene)]); }

double BenchStats::MaxMs(ShowScene scene) const {
    const std::vector<double>& times = perScene_[static_cast<std::size_t>(scene)];
    return times.empty() ? 0.0 : *std::max_element(times.begin(), times.end());
}

std::string BenchStats::Json() const {
    const double seconds = totalMs_ / 1000.0;
    std::string json = "{\"frames\":" + std::to_string(frames_) + ",\"wall_seconds\":" + Number(seconds) +
                       ",\"fps\":" + Number(seconds > 0.0 ? frames_ / seconds : 0.0) +
                       ",\"readback_ms\":" + Number(ReadBackMedianMs()) +
                       ",\"loading_ms\":" + Number(loadingMs_) + ",\"scenes\":{";
    bool first = true;
    for (ShowScene scene : kAllScenes) {
        if (!first) json += ",";
        first = false;
        json += "\"";
        json += SceneName(scene);
        json += "\":{\"frames\":" + std::to_string(SceneFrames(scene)) + ",\"median_ms\":" + Number(MedianMs(scene)) +
                ",\"max_ms\":" + Number(MaxMs(scene)) + ",\"max_at\":" + Number(MaxAt(scene)) +
                ",\"slow_frames\":" + std::to_string(SlowFrames(scene)) +
                ",\"draw_calls\":" + Number(MedianDrawCalls(scene)) +
                ",\"primitives\":" + Number(MedianPrimitives(scene)) +
                ",\"gl_draws\":" + Number(MedianSubmissions(scene)) +
                ",\"programs_built\":" + std::to_string(ProgramsBuilt(scene)) + "}";
    }
    return json + "}}";
}

}  // namespace capture

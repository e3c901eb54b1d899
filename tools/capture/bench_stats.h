// BenchStats: frame times of a benchmark run, attributed to the scenes each frame drew.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "show/timeline.h"

namespace capture {

// The work one frame submitted to the device.
struct FrameWork {
    std::uint64_t drawCalls = 0;
    std::uint64_t primitives = 0;
    std::uint64_t submissions = 0;  // draws that reached GL (merged ones count once)
    std::uint64_t programsBuilt = 0;
};

class BenchStats {
public:
    using Work = FrameWork;

    // One frame at show time t that took ms milliseconds, drew the given scenes and submitted work.
    void Record(const SceneSelection& scenes, double ms, float t = 0.0f, Work work = {});

    // The time of one read-back of a finished frame (frame times include one each).
    void RecordReadBack(double ms) { readBacks_.push_back(ms); }
    // From the loading frame's present to the first show frame's: what loading the scenes took.
    void RecordLoading(double ms) { loadingMs_ = ms; }
    double LoadingMs() const { return loadingMs_; }
    int ReadBackSamples() const { return static_cast<int>(readBacks_.size()); }
    double ReadBackMedianMs() const { return Median(readBacks_); }

    int Frames() const { return frames_; }
    double TotalMs() const { return totalMs_; }
    // Median and maximum frame time of the frames that drew scene (0 when it drew in none).
    double MedianMs(ShowScene scene) const;
    double MaxMs(ShowScene scene) const;
    int SceneFrames(ShowScene scene) const;
    // The show time of the scene's slowest frame, the frames above the frame budget, the median
    // draw calls and primitives per frame and the shader programs built while it played.
    float MaxAt(ShowScene scene) const { return perSceneStats_[Index(scene)].maxAt; }
    int SlowFrames(ShowScene scene) const { return perSceneStats_[Index(scene)].slow; }
    double MedianDrawCalls(ShowScene scene) const { return Median(perSceneStats_[Index(scene)].drawCalls); }
    double MedianPrimitives(ShowScene scene) const { return Median(perSceneStats_[Index(scene)].primitives); }
    double MedianSubmissions(ShowScene scene) const { return Median(perSceneStats_[Index(scene)].submissions); }
    std::uint64_t ProgramsBuilt(ShowScene scene) const { return perSceneStats_[Index(scene)].programsBuilt; }
    // A frame slower than this misses a 60 Hz refresh.
    static constexpr double kBudgetMs = 1000.0 / 60.0;

    // One JSON object on one line: frames, wall seconds, frames per second, the read-back time
    // and per scene its frame count, median and maximum in milliseconds.
    std::string Json() const;

    // The median of a list (0 when empty; the mean of the middle two for an even count).
    static double Median(std::vector<double> values);

private:
    struct SceneStats {
        float maxAt = 0.0f;
        double maxMs = -1.0;
        int slow = 0;
        std::vector<double> drawCalls;
        std::vector<double> primitives;
        std::vector<double> submissions;
        std::uint64_t programsBuilt = 0;
    };
    static std::size_t Index(ShowScene scene) { return static_cast<std::size_t>(scene); }

    std::vector<double> readBacks_;
    std::array<std::vector<double>, kShowSceneCount> perScene_;
    std::array<SceneStats, kShowSceneCount> perSceneStats_;
    int frames_ = 0;
    double totalMs_ = 0.0;
    double loadingMs_ = 0.0;
};

}  // namespace capture

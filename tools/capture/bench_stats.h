// BenchStats: frame times of a benchmark run, attributed to the scenes each frame drew.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "show/timeline.h"

namespace capture {

class BenchStats {
public:
    // One frame that took ms milliseconds and drew the given scenes.
    void Record(const SceneSelection& scenes, double ms);

    // The time of one read-back of a finished frame (frame times include one each).
    void RecordReadBack(double ms) { readBacks_.push_back(ms); }
    int ReadBackSamples() const { return static_cast<int>(readBacks_.size()); }
    double ReadBackMedianMs() const { return Median(readBacks_); }

    int Frames() const { return frames_; }
    double TotalMs() const { return totalMs_; }
    // Median and maximum frame time of the frames that drew scene (0 when it drew in none).
    double MedianMs(ShowScene scene) const;
    double MaxMs(ShowScene scene) const;
    int SceneFrames(ShowScene scene) const;

    // One JSON object on one line: frames, wall seconds, frames per second, the read-back time
    // and per scene its frame count, median and maximum in milliseconds.
    std::string Json() const;

    // The median of a list (0 when empty; the mean of the middle two for an even count).
    static double Median(std::vector<double> values);

private:
    std::vector<double> readBacks_;
    std::array<std::vector<double>, kShowSceneCount> perScene_;
    int frames_ = 0;
    double totalMs_ = 0.0;
};

}  // namespace capture

// Mix: the soundtrack's buses over its whole length: a stereo dry bus and two mono sends (reverb
// and echo) that the effects turn into stereo at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace assets::music {

// Where a voice sits: pan from -1 (left) to 1 (right) and its send levels.
struct Placement {
    float pan = 0.0f;
    float reverb = 0.0f;
    float echo = 0.0f;
};

class Mix {
public:
    explicit Mix(std::size_t frames);

    std::size_t Frames() const { return frames_; }
    // Adds a mono signal starting at frame `start` (samples past the end are dropped), scaled by
    // gain and placed with equal-power panning.
    void Add(std::int64_t start, const std::vector<float>& mono, float gain, const Placement& where);
    // Adds a stereo pair of equal length at `start`, with the same sends for both sides.
    void AddStereo(std::int64_t start, const std::vector<float>& left, const std::vector<float>& right, float gain,
                   const Placement& where);

    std::vector<float> left, right;    // dry
    std::vector<float> reverb, echo;   // mono sends

private:
    std::size_t frames_;
};

// Frame index of a time in seconds (rounded to the nearest sample).
std::int64_t FrameAt(double seconds);

}  // namespace assets::music

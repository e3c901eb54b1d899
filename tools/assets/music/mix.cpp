#include "tools/assets/music/mix.h"

#include <algorithm>
#include <cmath>

#include "tools/assets/music/dsp.h"

namespace assets::music {

Mix::Mix(std::size_t frames) : left(frames), right(frames), reverb(frames), echo(frames), frames_(frames) {}

std::int64_t FrameAt(double seconds) { return std::llround(seconds * kSampleRate); }

namespace {

// The part [first, last) of a signal of `length` samples starting at `start` that lies inside the mix.
bool Clip(std::int64_t start, std::size_t length, std::size_t frames, std::size_t& first, std::size_t& last) {
    const std::int64_t begin = start < 0 ? -start : 0;
    const std::int64_t end =
        std::min<std::int64_t>(static_cast<std::int64_t>(length), static_cast<std::int64_t>(frames) - start);
    if (end <= begin) return false;
    first = static_cast<std::size_t>(begin);
    last = static_cast<std::size_t>(end);
    return true;
}

}  // namespace

void Mix::Add(std::int64_t start, const std::vector<float>& mono, float gain, const Placement& where) {
    std::size_t first = 0, last = 0;
    if (!Clip(start, mono.size(), frames_, first, last)) return;
    const float angle = (where.pan + 1.0f) * 0.25f * kPi;
    const float gl = gain * std::cos(angle) * 1.41421356f;
    const float gr = gain * std::sin(angle) * 1.41421356f;
    const float gv = gain * where.reverb, ge = gain * where.echo;
    float* l = left.data() + start;
    float* r = right.data() + start;
    float* v = reverb.data() + start;
    float* e = echo.data() + start;
    const float* in = mono.data();
    for (std::size_t i = first; i < last; ++i) {
        const float x = in[i];
        l[i] += gl * x;
        r[i] += gr * x;
        v[i] += gv * x;
        e[i] += ge * x;
    }
}

void Mix::AddStereo(std::int64_t start, const std::vector<float>& leftIn, const std::vector<float>& rightIn,
                    float gain, const Placement& where) {
    std::size_t first = 0, last = 0;
    if (leftIn.size() != rightIn.size() || !Clip(start, leftIn.size(), frames_, first, last)) return;
    const float width = where.pan < 0.0f ? 1.0f + where.pan : 1.0f - where.pan;   // pan narrows the pair
    const float gv = 0.5f * gain * where.reverb, ge = 0.5f * gain * where.echo;
    float* l = left.data() + start;
    float* r = right.data() + start;
    float* v = reverb.data() + start;
    float* e = echo.data() + start;
    for (std::size_t i = first; i < last; ++i) {
        const float a = leftIn[i], b = rightIn[i];
        const float mid = 0.5f * (a + b), side = 0.5f * (a - b) * width;
        l[i] += gain * (mid + side);
        r[i] += gain * (mid - side);
        v[i] += gv * (a + b);
        e[i] += ge * (a + b);
    }
}

}  // namespace assets::music

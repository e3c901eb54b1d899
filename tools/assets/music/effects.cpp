#include "tools/assets/music/effects.h"

#include <algorithm>
#include <cmath>

#include "tools/assets/music/dsp.h"

namespace assets::music {
namespace {

class Comb {
public:
    Comb(std::size_t length, float feedback, float damp) : buffer_(length), feedback_(feedback), damp_(damp) {}
    float Run(float in) {
        const float out = buffer_[index_];
        store_ = out * (1.0f - damp_) + store_ * damp_;
        buffer_[index_] = in + store_ * feedback_;
        if (++index_ == buffer_.size()) index_ = 0;
        return out;
    }

private:
    std::vector<float> buffer_;
    std::size_t index_ = 0;
    float feedback_, damp_, store_ = 0.0f;
};

class Allpass {
public:
    explicit Allpass(std::size_t length) : buffer_(length) {}
    float Run(float in) {
        const float delayed = buffer_[index_];
        buffer_[index_] = in + delayed * 0.5f;
        if (++index_ == buffer_.size()) index_ = 0;
        return delayed - in;
    }

private:
    std::vector<float> buffer_;
    std::size_t index_ = 0;
};

// One side of the reverb; `spread` lengthens every line so the two sides decorrelate.
void ReverbSide(const std::vector<float>& send, std::size_t spread, float wet, std::vector<float>& out) {
    static constexpr std::size_t kCombs[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static constexpr std::size_t kAllpasses[4] = {556, 441, 341, 225};
    std::vector<Comb> combs;
    for (std::size_t length : kCombs) combs.emplace_back(length + spread, 0.86f, 0.3f);
    std::vector<Allpass> allpasses;
    for (std::size_t length : kAllpasses) allpasses.emplace_back(length + spread);
    const float gain = 0.015f * wet;
    for (std::size_t i = 0; i < send.size(); ++i) {
        const float in = send[i] * gain;
        float sum = 0.0f;
        for (Comb& comb : combs) sum += comb.Run(in);
        for (Allpass& allpass : allpasses) sum = allpass.Run(sum);
        out[i] += sum;
    }
}

}  // namespace

void AddReverb(const std::vector<float>& send, float wet, std::vector<float>& left, std::vector<float>& right) {
    ReverbSide(send, 0, wet, left);
    ReverbSide(send, 23, wet, right);
}

void AddEcho(const std::vector<float>& send, std::size_t delayFrames, float feedback, float wet,
             std::vector<float>& left, std::vector<float>& right) {
    std::vector<float> lineL(delayFrames), lineR(delayFrames);
    OnePole tone(3500.0f);
    std::size_t index = 0;
    for (std::size_t i = 0; i < send.size(); ++i) {
        const float outL = lineL[index], outR = lineR[index];
        lineL[index] = send[i] + tone.Low(outR) * feedback;   // the left line is fed by the right's repeats
        lineR[index] = outL;
        if (++index == delayFrames) index = 0;
        left[i] += wet * outL;
        right[i] += wet * outR;
    }
}

std::vector<float> MasterMix(Mix& mix, const std::function<float(double)>& level, float peak) {
    AddReverb(mix.reverb, 3.0f, mix.left, mix.right);
    AddEcho(mix.echo, static_cast<std::size_t>(kSampleRate * 3 / 8), 0.42f, 0.6f, mix.left, mix.right);
    const std::size_t frames = mix.Frames();
    std::vector<float> out(frames * 2);
    OnePole dcL(12.0f), dcR(12.0f);
    float top = 0.0f;
    float gain = 0.0f;
    for (std::size_t i = 0; i < frames; ++i) {
        if (i % 64 == 0) gain = level(static_cast<double>(i) / kSampleRate);
        const float l = dcL.High(mix.left[i]) * gain;
        const float r = dcR.High(mix.right[i]) * gain;
        out[2 * i] = l;
        out[2 * i + 1] = r;
        top = std::max(top, std::max(std::fabs(l), std::fabs(r)));
    }
    if (top > 0.0f) {
        const float scale = peak / top;
        for (float& x : out) x *= scale;
    }
    return out;
}

}  // namespace assets::music

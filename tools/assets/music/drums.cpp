#include "tools/assets/music/drums.h"

#include <algorithm>
#include <cmath>

#include "tools/assets/music/dsp.h"

namespace assets::music {
namespace {

std::vector<float> Silence(float seconds) {
    return std::vector<float>(static_cast<std::size_t>(seconds * kSampleRate));
}

float Time(std::size_t i) { return static_cast<float>(i) / static_cast<float>(kSampleRate); }

// Short linear fade over the last few milliseconds, so a cut-off tail does not click.
void FadeTail(std::vector<float>& s) {
    const std::size_t n = std::min<std::size_t>(s.size(), kSampleRate / 200);
    for (std::size_t i = 0; i < n; ++i) s[s.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(n);
}

}  // namespace

std::vector<float> Kick(float bodyHz, float punchHz, float decay) {
    std::vector<float> s = Silence(0.5f);
    Noise noise(0x51CBu);
    OnePole click(3000.0f);
    float phase = 0.0f;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const float t = Time(i);
        const float hz = bodyHz + (punchHz - bodyHz) * std::exp(-t * 30.0f);
        phase += hz / static_cast<float>(kSampleRate);
        const float body = std::sin(kTwoPi * phase) * std::exp(-t * decay);
        const float tick = click.Low(noise.Next()) * std::exp(-t * 350.0f);
        s[i] = std::tanh(1.6f * body) + 0.6f * tick;
    }
    FadeTail(s);
    return s;
}

std::vector<float> Snare(std::uint32_t seed) {
    std::vector<float> s = Silence(0.35f);
    Noise noise(seed);
    Svf band;
    band.Tune(3200.0f, 0.6f);
    float phase = 0.0f;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const float t = Time(i);
        phase += (185.0f + 40.0f * std::exp(-t * 40.0f)) / static_cast<float>(kSampleRate);
        const float tone = std::sin(kTwoPi * phase) * std::exp(-t * 28.0f);
        const Svf::Out n = band.Run(noise.Next());
        s[i] = 0.55f * tone + 0.9f * (n.band + 0.4f * n.high) * std::exp(-t * 15.0f);
    }
    FadeTail(s);
    return s;
}

std::vector<float> HiHat(bool open, std::uint32_t seed) {
    std::vector<float> s = Silence(open ? 0.45f : 0.07f);
    Noise noise(seed);
    Svf high;
    high.Tune(7500.0f, 0.8f);
    const float decay = open ? 9.0f : 70.0f;
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = high.Run(noise.Next()).high * std::exp(-Time(i) * decay);
    FadeTail(s);
    return s;
}

std::vector<float> Crash(std::uint32_t seed) {
    std::vector<float> s = Silence(3.0f);
    Noise noise(seed);
    Svf high;
    high.Tune(4500.0f, 0.7f);
    Oscillator ring[4] = {Oscillator(0.1f), Oscillator(0.4f), Oscillator(0.7f), Oscillator(0.2f)};
    const float partials[4] = {3170.0f, 4410.0f, 5630.0f, 6950.0f};
    for (std::size_t i = 0; i < s.size(); ++i) {
        const float t = Time(i);
        float metal = 0.0f;
        for (int p = 0; p < 4; ++p) metal += ring[p].Square(partials[p]);
        const float hiss = high.Run(noise.Next() + 0.05f * metal).high;
        s[i] = hiss * (0.25f + 0.75f * std::exp(-t * 10.0f)) * std::exp(-t * 1.3f);
    }
    FadeTail(s);
    return s;
}

std::vector<float> Boom(std::uint32_t seed) {
    std::vector<float> s = Silence(3.0f);
    Noise noise(seed);
    OnePole thud(350.0f);
    float phase = 0.0f;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const float t = Time(i);
        phase += (34.0f + 70.0f * std::exp(-t * 6.0f)) / static_cast<float>(kSampleRate);
        const float body = std::sin(kTwoPi * phase) * std::exp(-t * 1.4f);
        const float rumble = thud.Low(noise.Next()) * std::exp(-t * 3.5f);
        s[i] = std::tanh(1.3f * body) + 1.5f * rumble;
    }
    FadeTail(s);
    return s;
}

std::vector<float> Riser(float seconds, std::uint32_t seed) {
    std::vector<float> s = Silence(seconds);
    Noise noise(seed);
    Svf band;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const float x = Time(i) / seconds;
        if (i % 32 == 0) band.Tune(250.0f * std::exp2(5.0f * x), 1.6f + 2.0f * x);
        const Svf::Out n = band.Run(noise.Next());
        s[i] = (n.band + 0.25f * n.high * x) * (0.05f + 0.95f * x * x);
    }
    return s;
}

}  // namespace assets::music

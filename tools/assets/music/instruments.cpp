#include "tools/assets/music/instruments.h"

#include <algorithm>
#include <cmath>

#include "tools/assets/music/dsp.h"

namespace assets::music {
namespace {

constexpr int kControlPeriod = 32;   // samples between filter retunes

std::vector<float> Buffer(float seconds) { return std::vector<float>(static_cast<std::size_t>(seconds * kSampleRate) + 1); }
float Time(std::size_t i) { return static_cast<float>(i) / static_cast<float>(kSampleRate); }

}  // namespace

std::vector<float> Bass(float note, float hold, float cutoffHz, float punch) {
    const Adsr env{0.004f, 0.2f, 0.8f, 0.06f};
    std::vector<float> s = Buffer(env.Length(hold));
    const float hz = NoteHz(note);
    Oscillator saw(0.0f), sub(0.25f);
    Svf filter;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const float t = Time(i);
        if (i % kControlPeriod == 0) filter.Tune(cutoffHz * std::exp2(punch * std::exp(-t * 14.0f)), 1.3f);
        const float raw = 0.7f * saw.Saw(hz) + 0.6f * sub.Sine(hz);
        s[i] = filter.Run(raw).low * env.Level(t, hold);
    }
    return s;
}

StereoNote Pad(const std::vector<float>& notes, float hold, float cutoffHz, float attack, float release) {
    const Adsr env{attack, 0.5f, 0.85f, release};
    const std::size_t n = Buffer(env.Length(hold)).size();
    StereoNote out{std::vector<float>(n), std::vector<float>(n)};
    // Two saws per note and side, detuned against each other; the phases start spread so the
    // sides differ. One filter per side serves the whole chord.
    struct Voice {
        float hz;
        Oscillator a, b;
    };
    std::vector<Voice> left, right;
    for (std::size_t k = 0; k < notes.size(); ++k) {
        const float hz = NoteHz(notes[k]);
        const float spread = 0.07f * static_cast<float>(k);
        left.push_back({hz, Oscillator(0.11f + spread), Oscillator(0.57f + spread)});
        right.push_back({hz, Oscillator(0.83f - spread), Oscillator(0.36f - spread)});
    }
    Svf fl, fr;
    const float lfoRate = 0.23f + 0.01f * static_cast<float>(notes.size());
    const float scale = 0.5f;
    float level = 0.0f, levelStep = 0.0f;
    for (std::size_t i = 0; i < n; ++i) {
        if (i % kControlPeriod == 0) {
            const float t = Time(i);
            const float breathe = std::exp2(0.5f * std::sin(kTwoPi * lfoRate * t));
            fl.Tune(cutoffHz * breathe, 0.9f);
            fr.Tune(cutoffHz / breathe, 0.9f);
            level = env.Level(t, hold) * scale;
            levelStep = (env.Level(Time(i + kControlPeriod), hold) * scale - level) / kControlPeriod;
        }
        float l = 0.0f, r = 0.0f;
        for (Voice& v : left) l += v.a.Saw(v.hz * 0.9965f) + v.b.Saw(v.hz * 1.0041f);
        for (Voice& v : right) r += v.a.Saw(v.hz * 1.0032f) + v.b.Saw(v.hz * 0.9951f);
        out.left[i] = fl.Run(l).low * level;
        out.right[i] = fr.Run(r).low * level;
        level += levelStep;
    }
    return out;
}

std::vector<float> Lead(float note, float hold, float cutoffHz) {
    const Adsr env{0.015f, 0.25f, 0.75f, 0.18f};
    std::vector<float> s = Buffer(env.Length(hold));
    const float hz = NoteHz(note);
    Oscillator saw(0.0f), square(0.5f), vibrato(0.0f);
    Svf filter;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const float t = Time(i);
        const float depth = t < 0.2f ? 0.0f : std::min(1.0f, (t - 0.2f) * 3.0f) * 0.004f;   // about a sixth of a tone
        const float f = hz * (1.0f + depth * vibrato.Sine(5.3f));
        if (i % kControlPeriod == 0) filter.Tune(cutoffHz * (1.0f + 1.5f * std::exp(-t * 8.0f)), 1.1f);
        s[i] = filter.Run(0.6f * saw.Saw(f) + 0.35f * square.Square(f * 1.002f)).low * env.Level(t, hold);
    }
    return s;
}

std::vector<float> Pluck(float note, float cutoffHz) {
    std::vector<float> s = Buffer(0.6f);
    const float hz = NoteHz(note);
    Oscillator a(0.0f), b(0.3f);
    Svf filter;
    float decay = 1.0f;
    const float fall = std::exp(-7.0f / static_cast<float>(kSampleRate));
    for (std::size_t i = 0; i < s.size(); ++i) {
        const float t = Time(i);
        if (i % kControlPeriod == 0) filter.Tune(300.0f + cutoffHz * std::exp(-t * 14.0f), 1.4f);
        s[i] = filter.Run(0.6f * a.Square(hz) + 0.4f * b.Saw(hz * 1.003f)).low * std::min(1.0f, t * 400.0f) * decay *
               (1.0f - t / 0.6f);
        decay *= fall;
    }
    return s;
}

std::vector<float> Bell(float note) {
    std::vector<float> s = Buffer(3.5f);
    const float hz = NoteHz(note);
    Oscillator carrier(0.0f), modulator(0.0f);
    const float length = static_cast<float>(s.size()) / static_cast<float>(kSampleRate);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const float t = Time(i);
        const float index = 2.5f * std::exp(-t * 2.5f) + 0.3f;
        // Phase modulation: the modulator's output offsets the carrier's phase.
        const float m = modulator.Sine(hz * 3.5f) * index;
        carrier.Sine(hz);
        const float c = std::sin(kTwoPi * carrier.Phase() + m);
        const float level = std::min(1.0f, t * 300.0f) * std::exp(-t * 1.6f) * (1.0f - t / length);
        s[i] = c * level;
    }
    return s;
}

}  // namespace assets::music

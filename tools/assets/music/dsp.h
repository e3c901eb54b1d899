// Small signal-processing pieces the soundtrack's instruments are built from: noise, band-limited
// oscillators, a state-variable filter, one-pole smoothing. All float, all deterministic.
#pragma once

#include <cmath>
#include <cstdint>

namespace assets::music {

constexpr int kSampleRate = 44100;
constexpr float kPi = 3.14159265358979f;
constexpr float kTwoPi = 6.28318530717959f;

// Frequency of a MIDI note number (69 = A4 = 440 Hz); fractional notes bend.
inline float NoteHz(float note) { return 440.0f * std::exp2((note - 69.0f) / 12.0f); }

// White noise in [-1, 1) from a 32-bit xorshift; the seed fixes the sequence.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    float Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<float>(state_ >> 8) * (2.0f / 16777216.0f) - 1.0f;
    }

private:
    std::uint32_t state_;
};

// Phase accumulator with band-limited (PolyBLEP) saw and square outputs.
class Oscillator {
public:
    explicit Oscillator(float phase = 0.0f) : phase_(phase) {}
    // Advances by one sample at hz and returns the wave of the phase before the step.
    float Saw(float hz) {
        const float dt = Step(hz);
        const float out = 2.0f * phase_ - 1.0f - Blep(phase_, dt);
        Advance(dt);
        return out;
    }
    float Square(float hz) {
        const float dt = Step(hz);
        float second = phase_ + 0.5f;
        if (second >= 1.0f) second -= 1.0f;
        const float out = (phase_ < 0.5f ? 1.0f : -1.0f) + Blep(phase_, dt) - Blep(second, dt);
        Advance(dt);
        return out;
    }
    float Sine(float hz) {
        const float dt = Step(hz);
        const float out = std::sin(kTwoPi * phase_);
        Advance(dt);
        return out;
    }
    float Phase() const { return phase_; }

private:
    static float Step(float hz) { return hz / static_cast<float>(kSampleRate); }
    void Advance(float dt) {
        phase_ += dt;
        if (phase_ >= 1.0f) phase_ -= 1.0f;   // dt < 1 at every audible frequency
    }
    static float Blep(float t, float dt) {
        if (t < dt) {
            t /= dt;
            return t + t - t * t - 1.0f;
        }
        if (t > 1.0f - dt) {
            t = (t - 1.0f) / dt;
            return t * t + t + t + 1.0f;
        }
        return 0.0f;
    }
    float phase_;
};

// Topology-preserving state-variable filter (low, band and high outputs of one input).
class Svf {
public:
    struct Out {
        float low, band, high;
    };
    Svf() { Tune(1000.0f, 0.707f); }
    void Tune(float hz, float q) {
        const float limit = 0.45f * static_cast<float>(kSampleRate);
        hz = hz < 20.0f ? 20.0f : (hz > limit ? limit : hz);
        const float g = std::tan(kPi * hz / static_cast<float>(kSampleRate));
        k_ = 1.0f / (q < 0.1f ? 0.1f : q);
        a1_ = 1.0f / (1.0f + g * (g + k_));
        a2_ = g * a1_;
        a3_ = g * a2_;
    }
    Out Run(float in) {
        const float v3 = in - ic2_;
        const float v1 = a1_ * ic1_ + a2_ * v3;
        const float v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
        ic1_ = 2.0f * v1 - ic1_;
        ic2_ = 2.0f * v2 - ic2_;
        return {v2, v1, in - k_ * v1 - v2};
    }

private:
    float ic1_ = 0.0f, ic2_ = 0.0f, k_ = 1.0f, a1_ = 0.0f, a2_ = 0.0f, a3_ = 0.0f;
};

// One-pole low-pass; High() is the complementary high-pass.
class OnePole {
public:
    explicit OnePole(float hz = 1000.0f) { Tune(hz); }
    void Tune(float hz) { a_ = 1.0f - std::exp(-kTwoPi * hz / static_cast<float>(kSampleRate)); }
    float Low(float in) { return z_ += a_ * (in - z_); }
    float High(float in) { return in - Low(in); }

private:
    float a_ = 0.0f, z_ = 0.0f;
};

// Attack / decay / sustain / release level at time t of a note held for `hold` seconds.
struct Adsr {
    float attack = 0.005f, decay = 0.1f, sustain = 1.0f, release = 0.1f;
    float Level(float t, float hold) const;
    // Seconds after the note's start at which the level has returned to zero.
    float Length(float hold) const { return hold + release; }
};

}  // namespace assets::music

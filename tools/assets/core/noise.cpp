#include "tools/assets/core/noise.h"

#include <cmath>

namespace assets {

std::uint32_t Random::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<std::uint32_t>((z ^ (z >> 31)) >> 32);
}

float Random::Unit() { return float(Next() >> 8) * (1.0f / 16777216.0f); }

float Random::Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }

int Random::Int(int lo, int hi) {
    if (hi <= lo) return lo;
    const std::uint32_t span = static_cast<std::uint32_t>(hi - lo) + 1u;
    return lo + static_cast<int>(Next() % span);
}

namespace {

std::uint32_t Mix(std::uint32_t h) {
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

int Wrap(int v, int period) {
    if (period <= 0) return v;
    v %= period;
    return v < 0 ? v + period : v;
}

float Smooth(float t) { return t * t * (3.0f - 2.0f * t); }

}  // namespace

float Hash2(int x, int y, std::uint32_t seed) {
    const std::uint32_t h = Mix(static_cast<std::uint32_t>(x) * 0x8DA6B343u ^ static_cast<std::uint32_t>(y) * 0xD8163841u ^
                                Mix(seed + 0x9E3779B9u));
    return float(h >> 8) * (1.0f / 16777216.0f);
}

float Hash3(int x, int y, int z, std::uint32_t seed) {
    return Hash2(x, static_cast<int>(Mix(static_cast<std::uint32_t>(y) ^ (static_cast<std::uint32_t>(z) * 0xCB1AB31Fu))),
                 seed);
}

float ValueNoise(float x, float y, std::uint32_t seed, int period) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float tx = Smooth(x - fx), ty = Smooth(y - fy);
    const int x0 = Wrap(ix, period), x1 = Wrap(ix + 1, period);
    const int y0 = Wrap(iy, period), y1 = Wrap(iy + 1, period);
    const float a = Hash2(x0, y0, seed), b = Hash2(x1, y0, seed);
    const float c = Hash2(x0, y1, seed), d = Hash2(x1, y1, seed);
    const float top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

float Fbm(float x, float y, int octaves, std::uint32_t seed, int period) {
    float sum = 0.0f, amplitude = 1.0f, total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * ValueNoise(x, y, seed + static_cast<std::uint32_t>(o) * 1013u, period);
        total += amplitude;
        amplitude *= 0.5f;
        x *= 2.0f;
        y *= 2.0f;
        if (period > 0) period *= 2;
    }
    return total > 0.0f ? sum / total : 0.0f;
}

}  // namespace assets

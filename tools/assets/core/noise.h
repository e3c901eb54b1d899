// Deterministic randomness for the generator: the same seed gives the same numbers on every
// machine (no std:: distributions, whose results differ between libraries).
#pragma once

#include <cstdint>

namespace assets {

// A small counter-based generator (splitmix64).
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint32_t Next();
    float Unit();                           // [0, 1)
    float Range(float lo, float hi);        // [lo, hi)
    int Int(int lo, int hi);                // [lo, hi] inclusive
    bool Chance(float p) { return Unit() < p; }

private:
    std::uint64_t state_;
};

// Hash of integer lattice coordinates to [0, 1).
float Hash2(int x, int y, std::uint32_t seed);
float Hash3(int x, int y, int z, std::uint32_t seed);

// Smooth value noise in [0, 1); `period` > 0 makes it tile with that many cells.
float ValueNoise(float x, float y, std::uint32_t seed, int period = 0);
// Fractal sum of `octaves` value-noise layers, normalised to [0, 1).
float Fbm(float x, float y, int octaves, std::uint32_t seed, int period = 0);

}  // namespace assets

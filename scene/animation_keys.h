// Key records of the animation tracks read from X files. Times are in ticks (4800 per second).
#pragma once

#include <cstdint>

struct VectorKey {
    std::uint32_t time = 0;
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

// Stored as x, y, z, w (the file writes w first).
struct QuaternionKey {
    std::uint32_t time = 0;
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 1.0f;
};

// 16 floats, row-major.
struct MatrixKey {
    std::uint32_t time = 0;
    float m[16] = {};
};

// What changed in the device state since the back end last brought the GL up to date. The front
// (Device) sets these bits; the back end's pieces clear the ones they have acted on.
#pragma once

#include <cstdint>

namespace gpu::dirty {

enum Bit : std::uint32_t {
    kPipeline = 1u << 0,
    kRaster = 1u << 1,
    kWorld = 1u << 2,       // world or view matrices
    kView = 1u << 3,        // view matrix (moves the lights too)
    kProjection = 1u << 4,  // projection and viewport
    kMaterial = 1u << 5,
    kLights = 1u << 6,
    kFog = 1u << 7,
    kMisc = 1u << 8,
    kTextures = 1u << 9,
    kSamplers = 1u << 10,
    kStream = 1u << 11,
    kViewport = 1u << 12,
    kAll = (1u << 13) - 1,
};

}  // namespace gpu::dirty

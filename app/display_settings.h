// The display choices made at start-up, read by the shell and the render device.
#pragma once

#include <cstdint>

struct DisplaySettings {
    std::int32_t width;
    std::int32_t height;
    std::int32_t highPriority;
    std::int32_t fullscreen;
    std::int32_t colour32;
    std::int32_t antialias;
};

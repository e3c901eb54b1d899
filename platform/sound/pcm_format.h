// PcmFormat: interleaved signed 16-bit samples at a given rate and channel count.
#pragma once

#include <cstddef>

namespace platform {

struct PcmFormat {
    long rate = 0;
    int channels = 0;

    std::size_t BytesPerSecond() const { return static_cast<std::size_t>(rate) * static_cast<std::size_t>(channels) * 2; }
};

}  // namespace platform

// Recognising an MP3 file from its bytes, without decoding it: what the browser build checks
// before it hands a file to the browser's decoder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/sound/pcm_format.h"

namespace platform {

struct Mp3Probe {
    bool found = false;
    std::size_t firstFrame = 0;  // offset of the first frame header
    PcmFormat format;            // the first frame's rate and channel count
};

// Skips any ID3v2 tags at the start, then looks (within the first 64 KiB after them) for an
// MPEG Layer III frame header that a second header confirms: the next frame, at the first one's
// length, has the same version, rate and channel count, or the file ends exactly there.
Mp3Probe ProbeMp3(const std::uint8_t* bytes, std::size_t size);

}  // namespace platform

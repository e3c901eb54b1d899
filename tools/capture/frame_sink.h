// FrameSink: where encoded frames go (the video encoder; tests use a recording sink).
#pragma once

#include <cstdint>
#include <string>

namespace capture {

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // One frame of width * height 0xAARRGGBB pixels, top row first. False, with the reason in
    // error, when the frame could not be taken.
    virtual bool Write(const std::uint32_t* pixels, int width, int height, std::string& error) = 0;
};

}  // namespace capture

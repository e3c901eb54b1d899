// CaptureSession: what happens at every present of a headless run. It advances the virtual clock,
// reads the back buffer back, writes it as a PNG file and stops the application after the
// requested number of frames.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/clock_source.h"
#include "tools/capture/options.h"

namespace capture {

class CaptureSession {
public:
    // readBack fills pixels (0xAARRGGBB, top row first) and the size; false when it cannot.
    using ReadBack = std::function<bool(std::vector<std::uint32_t>& pixels, int& width, int& height)>;

    CaptureSession(const Options& options, Application& app, VirtualClock& clock, ReadBack readBack);

    // Called on the rendering thread at each present.
    void OnPresent();

    int FramesPresented() const { return presented_; }
    int FramesWritten() const { return written_; }
    // The first failure (read-back or file), empty when none.
    const std::string& Error() const { return error_; }
    static std::string FramePath(const std::string& dir, int index);

private:
    Options options_;
    Application& app_;
    VirtualClock& clock_;
    ReadBack readBack_;
    std::vector<std::uint32_t> pixels_;
    int presented_ = 0;
    int written_ = 0;
    std::string error_;
};

}  // namespace capture

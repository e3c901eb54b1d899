#include "tools/capture/capture_session.h"

#include <cstdio>

#include "tools/capture/png_writer.h"

namespace capture {

CaptureSession::CaptureSession(const Options& options, Application& app, VirtualClock& clock, ReadBack readBack)
    : options_(options), app_(app), clock_(clock), readBack_(std::move(readBack)) {}

std::string CaptureSession::FramePath(const std::string& dir, int index) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05d.png", index);
    return dir + "/" + name;
}

void CaptureSession::OnPresent() {
    // Frames presented after the stop request (the one in progress) are not captured.
    if (presented_ >= options_.frames) return;
    const int index = presented_++;
    clock_.Advance(1.0 / options_.fps);

    int width = 0, height = 0;
    if (!readBack_ || !readBack_(pixels_, width, height)) {
        if (error_.empty()) error_ = "frame " + std::to_string(index) + ": the back buffer could not be read";
    } else {
        std::string error;
        const PngImage image{width, height, pixels_.data(), false};
        if (WritePng(FramePath(options_.outDir, index), image, error)) ++written_;
        else if (error_.empty()) error_ = error;
    }
    if (presented_ >= options_.frames) app_.RequestStop();
}

}  // namespace capture

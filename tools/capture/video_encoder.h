// VideoEncoder: pipes raw frames into Debian's ffmpeg, which encodes them as H.264 (yuv420p) and
// muxes them with an optional soundtrack into an MP4 file.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tools/capture/frame_sink.h"

namespace capture {

class VideoEncoder : public FrameSink {
public:
    VideoEncoder() = default;
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;
    // Closes the pipe and waits for ffmpeg when Finish was not called.
    ~VideoEncoder() override;

    // The ffmpeg arguments for frames of width x height at fps, with audioPath (empty: none).
    static std::vector<std::string> Arguments(const std::string& outPath, int width, int height, int fps,
                                              const std::string& audioPath);

    // Starts the encoder (program is the executable, "ffmpeg" from PATH normally). False, with
    // the reason in error, when it cannot be started.
    bool Start(const std::string& program, const std::vector<std::string>& arguments, int width, int height,
               std::string& error);
    bool Write(const std::uint32_t* pixels, int width, int height, std::string& error) override;
    // Ends the input and waits for the encoder; false, with the reason, when it failed.
    bool Finish(std::string& error);

private:
    int pipe_ = -1;
    pid_t child_ = -1;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace capture

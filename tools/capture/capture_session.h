// CaptureSession: what happens at every present of a headless run of the show. It advances the
// virtual clock, saves the frames the options ask for (reading the back buffer back only for
// those), feeds the video encoder, times frames for a benchmark and says when the run has what
// it needs.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/clock_source.h"
#include "show/timeline.h"
#include "tools/capture/bench_stats.h"
#include "tools/capture/contact_sheet.h"
#include "tools/capture/frame_sink.h"
#include "tools/capture/options.h"

namespace capture {

// The frame just presented, as the show saw it.
struct FrameInfo {
    bool loading = false;  // the loading screen, before the show's clock starts
    float showTime = 0.0f;
    SceneSelection scenes;
    BenchStats::Work work;  // what the frame submitted to the device
};

// The show's back buffer, read from the render device: the read-back the capture program gives
// its session.
bool ReadShowBackBuffer(std::vector<std::uint32_t>& pixels, int& width, int& height);

class CaptureSession {
public:
    // readBack fills pixels (0xAARRGGBB, top row first) and the size; false when it cannot.
    using ReadBack = std::function<bool(std::vector<std::uint32_t>& pixels, int& width, int& height)>;
    // Wall-clock seconds, for frame times.
    using WallClock = std::function<double()>;

    // video may be null (no encoding). The session keeps references to clock and video.
    CaptureSession(const Options& options, VirtualClock& clock, ReadBack readBack, FrameSink* video,
                   WallClock wallClock = SteadySeconds);

    // Called on the rendering thread at each present; true once the run should stop.
    bool OnPresent(const FrameInfo& frame);

    int FramesPresented() const { return presented_; }
    int FramesWritten() const { return written_; }
    // Frames handed to the video encoder.
    int FramesEncoded() const { return encoded_; }
    // Whether the encoder stopped taking frames.
    bool VideoFailed() const { return videoFailed_; }
    // Writes the contact sheet when one was asked for, with whatever shots it has (the missing
    // ones stay marked); false, with the reason in Error(), when the file cannot be written.
    bool WriteContactSheet();
    const ContactSheet* Sheet() const { return sheet_.get(); }
    // Whether every requested frame has been saved (the loading frame, each --at time, each
    // thumbnail of the contact sheet).
    bool Complete() const;
    // What was asked for and never saved, empty when nothing.
    std::string Missing() const;
    // The first failure (read-back, file or encoder), empty when none.
    const std::string& Error() const { return error_; }
    const BenchStats& Bench() const { return bench_; }
    float LastShowTime() const { return lastShowTime_; }

    // "t012.500.png" for show time 12.5; "loading.png" for the loading frame.
    static std::string FrameName(float showTime);
    static constexpr const char* kLoadingName = "loading.png";
    static double SteadySeconds();
    // Benchmark frames that also time a read-back of their own.
    static constexpr int kReadBackSamples = 9;

private:
    bool ReadFrame();
    void Save(const std::string& name);
    void Fail(const std::string& message);
    bool WantsSpan(float t) const;
    bool AllSaved(float t) const;

    Options options_;
    VirtualClock& clock_;
    ReadBack readBack_;
    FrameSink* video_;
    WallClock wallClock_;
    BenchStats bench_;
    std::vector<std::uint32_t> pixels_;
    int width_ = 0;
    int height_ = 0;
    std::vector<bool> atDone_;
    std::unique_ptr<ContactSheet> sheet_;  // null when none is asked for
    std::vector<bool> shotDone_;
    bool loadingDone_ = false;
    bool videoFailed_ = false;
    int presented_ = 0;
    int written_ = 0;
    int encoded_ = 0;
    double loadingShown_ = -1.0;  // when the loading frame was presented, negative before
    double lastPresent_ = -1.0;  // when the previous show frame was done, negative before the first
    float lastShowTime_ = 0.0f;
    std::string error_;
};

}  // namespace capture

// orrery3d-capture: runs the show headless on a virtual clock, without sound, and saves frames
// as PNG files, encodes the show into an MP4 file or times its frames.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "app/data_folder.h"
#include "app/frame_timer.h"
#include "audio/music_player.h"
#include "platform/window/headless_window.h"
#include "render/render_device.h"
#include "show/demo_app.h"
#include "tools/capture/capture_session.h"
#include "tools/common/progress_bar.h"
#include "tools/capture/video_encoder.h"

namespace {

constexpr const char* kSoundtrack = "demo.mp3";

// What the device was given since the previous call.
capture::BenchStats::Work TakeDeviceWork() {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device) return {};
    D3DDRAWSTATS stats{};
    device->GetDrawStats(&stats);
    device->ResetDrawStats();
    return {stats.drawCalls, stats.primitives, stats.submissions, stats.programsBuilt};
}

// The show time at which the run is expected to end, for the progress bar.
double ExpectedEnd(const capture::Options& options) {
    if (options.to >= 0.0) return options.to;
    if (!options.video.empty() || options.bench || options.HasSpan()) return kShowLength;
    double end = options.SavesContactSheet() ? static_cast<double>(capture::ShowShots().back().time) : 0.0;
    for (double t : options.at) end = std::max(end, t);
    return end;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "orrery3d-capture: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    capture::Options options;
    std::string error;
    if (!capture::ParseOptions(argc, argv, options, error)) return cmdline::Send(capture::UsageError(error));
    if (options.help || options.version) return cmdline::Send(capture::Answer(options));
    // Started outside the show's data, the run reads the installed data; the files it writes
    // still go where the user's paths point from the folder the program was started in.
    if (const std::filesystem::path data = DataFolderToEnter(); !data.empty()) {
        std::error_code ec;
        options.AnchorPaths(std::filesystem::current_path(ec));
        if (ec) return Fail("cannot tell the working folder: " + ec.message());
        if (!EnterDataFolder(data, error)) return Fail("cannot enter the data folder " + error);
    }
    if (options.SavesFrames()) {
        std::error_code ec;
        std::filesystem::create_directories(options.outDir, ec);
        if (ec) return Fail(options.outDir + ": " + ec.message());
    }
    if (options.SavesContactSheet()) {
        const std::filesystem::path parent = std::filesystem::path(options.contactSheet).parent_path();
        std::error_code ec;
        if (!parent.empty()) std::filesystem::create_directories(parent, ec);
        if (ec) return Fail(parent.string() + ": " + ec.message());
    }

    // A dead encoder shows up as a failed write, not as a signal.
    std::signal(SIGPIPE, SIG_IGN);
    std::unique_ptr<capture::VideoEncoder> video;
    if (!options.video.empty()) {
        const std::string audio = std::filesystem::exists(kSoundtrack) ? kSoundtrack : "";
        video = std::make_unique<capture::VideoEncoder>();
        const auto args =
            capture::VideoEncoder::Arguments(options.video, options.width, options.height, options.fps, audio);
        if (!video->Start("ffmpeg", args, options.width, options.height, error)) return Fail(error);
        if (audio.empty()) std::fprintf(stderr, "orrery3d-capture: no %s here: the video has no sound\n", kSoundtrack);
    }

    VirtualClock clock;
    SetFrameTimerSource(&clock);
    MusicPlayer::Instance().SetSilent(true);
    platform::HeadlessWindow window(options.width, options.height);
    DemoApp app;
    capture::CaptureSession session(options, clock, capture::ReadShowBackBuffer, video.get());
    tools::ProgressBar progress(stderr, ExpectedEnd(options), isatty(STDERR_FILENO) && ExpectedEnd(options) > 10.0);
    window.SetPresentHandler([&] {
        capture::FrameInfo frame;
        frame.loading = !app.Playing();
        frame.showTime = app.ShowTime();
        if (!frame.loading) frame.scenes = ScenesAt(frame.showTime);
        frame.work = TakeDeviceWork();
        if (session.OnPresent(frame)) app.RequestStop();
        if (!frame.loading) progress.Update(frame.showTime);
    });

    const DisplaySettings settings{options.width, options.height, 0, 0, options.colour16 ? 0 : 1, 0};
    app.RunHeadless(window, settings);
    // What the window's destruction does in the program.
    app.Shutdown();
    progress.Finish();

    session.WriteContactSheet();
    bool ok = session.Error().empty();
    if (!ok) Fail(session.Error());
    // The video exists only when the encoder took every frame and then finished well.
    bool encoded = false;
    if (video) {
        std::string finishError;
        const bool finished = video->Finish(finishError);
        if (!finished) Fail(finishError);
        encoded = finished && !session.VideoFailed();
        ok = ok && encoded;
    }
    if (!session.Complete()) ok = !Fail("the show ended before" + std::string(" ") + session.Missing());

    std::fprintf(stderr, "orrery3d-capture: %d frames presented, %d written", session.FramesPresented(),
                 session.FramesWritten());
    if (options.SavesFrames()) std::fprintf(stderr, " to %s", options.outDir.c_str());
    if (options.SavesContactSheet()) std::fprintf(stderr, ", contact sheet %s", options.contactSheet.c_str());
    if (encoded) {
        std::fprintf(stderr, ", %d encoded into %s", session.FramesEncoded(), options.video.c_str());
    } else if (video) {
        std::fprintf(stderr, ", no video: encoding into %s failed after %d frames", options.video.c_str(),
                     session.FramesEncoded());
    }
    std::fputc('\n', stderr);
    if (options.bench) std::printf("%s\n", session.Bench().Json().c_str());
    return ok ? 0 : 1;
}

// The whole show, run in process as orrery3d-capture runs it, asks the device for nothing it
// refuses: a refused call draws nothing, so a refusal here is a picture silently missing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/frame_timer.h"
#include "audio/music_player.h"
#include "platform/gpu/refusal.h"
#include "platform/window/headless_window.h"
#include "render/render_device.h"
#include "show/demo_app.h"
#include "tools/capture/capture_session.h"

namespace {

// Takes every show frame and keeps only their number: the run goes on to the show's end.
class CountingSink : public capture::FrameSink {
public:
    bool Write(const std::uint32_t*, int, int, std::string&) override {
        ++frames;
        return true;
    }
    int frames = 0;
};

// "<message>: <count>" for every item that fired.
std::string Fired() {
    std::string list;
    for (std::size_t i = 0; i < com::kEnumCount<gpu::Refusal>; ++i) {
        const auto item = static_cast<gpu::Refusal>(i);
        if (const std::uint64_t n = gpu::RefusalCount(item))
            list += "\n  " + gpu::RefusalMessage(item) + ": " + std::to_string(n);
    }
    return list;
}

TEST(ShowRefusals, TheWholeShowIsDrawnWithoutARefusal) {
    std::error_code ec;
    std::filesystem::current_path(ORRERY_PACK_DIR, ec);
    ASSERT_FALSE(ec) << ORRERY_PACK_DIR << ": " << ec.message();

    capture::Options options;
    options.fps = 5;
    options.video = "counted, not encoded";
    options.to = kShowLength;
    CountingSink sink;
    VirtualClock clock;
    SetFrameTimerSource(&clock);
    MusicPlayer::Instance().SetSilent(true);
    gpu::ResetRefusals();
    {
        platform::HeadlessWindow window(options.width, options.height);
        DemoApp app;
        capture::CaptureSession session(options, clock, capture::ReadShowBackBuffer, &sink);
        window.SetPresentHandler([&] {
            capture::FrameInfo frame;
            frame.loading = !app.Playing();
            frame.showTime = app.ShowTime();
            if (session.OnPresent(frame)) app.RequestStop();
        });
        const DisplaySettings settings{options.width, options.height, 0, 0, 1, 0};
        app.RunHeadless(window, settings);
        app.Shutdown();
        EXPECT_TRUE(session.Error().empty()) << session.Error();
        EXPECT_GE(session.LastShowTime(), kShowLength - 1.0f);
    }
    EXPECT_GE(sink.frames, static_cast<int>((kShowLength - 1.0f) * options.fps));
    EXPECT_EQ(gpu::RefusalTotal(), 0u) << "refused:" << Fired();
    SetFrameTimerSource(nullptr);
}

}  // namespace

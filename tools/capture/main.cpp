// orrery3d-capture: runs the application headless on a virtual clock and writes its frames.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/frame_timer.h"
#include "app/placeholder/placeholder_app.h"
#include "platform/window/headless_window.h"
#include "render/render_device.h"
#include "tools/capture/capture_session.h"

namespace {

bool ReadBackBuffer(std::vector<std::uint32_t>& pixels, int& width, int& height) {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device) return false;
    UINT w = 0, h = 0;
    if (FAILED(device->ReadBackBuffer(pixels, w, h))) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return pixels.size() >= static_cast<std::size_t>(w) * h && w > 0 && h > 0;
}

}  // namespace

int main(int argc, char** argv) {
    capture::Options options;
    std::string error;
    if (!capture::ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "orrery3d-capture: %s\n%s", error.c_str(), capture::UsageText());
        return 2;
    }
    if (options.help) {
        std::fputs(capture::UsageText(), stdout);
        return 0;
    }
    std::error_code ec;
    std::filesystem::create_directories(options.outDir, ec);
    if (ec) {
        std::fprintf(stderr, "orrery3d-capture: %s: %s\n", options.outDir.c_str(), ec.message().c_str());
        return 1;
    }

    VirtualClock clock;
    SetFrameTimerSource(&clock);
    platform::HeadlessWindow window(options.width, options.height);
    PlaceholderApp app;
    capture::CaptureSession session(options, app, clock, ReadBackBuffer);
    window.SetPresentHandler([&session] { session.OnPresent(); });

    const DisplaySettings settings{options.width, options.height, 0, 0, 1, 0};
    app.RunHeadless(window, settings);

    std::printf("orrery3d-capture: %d frames presented, %d written to %s\n", session.FramesPresented(),
                session.FramesWritten(), options.outDir.c_str());
    if (!session.Error().empty()) {
        std::fprintf(stderr, "orrery3d-capture: %s\n", session.Error().c_str());
        return 1;
    }
    return session.FramesWritten() == options.frames ? 0 : 1;
}

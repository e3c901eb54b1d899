// orrery3d-xinfo FILE...: loads each X file as an animated model does and prints what it holds,
// one JSON object per line. Exit code 0 when every file loaded, 1 otherwise, 2 for no arguments.
#include <cstdio>

#include "platform/window/headless_window.h"
#include "render/render_device.h"
#include "scene/animated_model.h"
#include "scene/x_loader.h"
#include "tools/xinfo/model_report.h"

namespace {

constexpr int kSize = 64;

bool CreateDevice() {
    // Declared before the device's first use, so it is destroyed after the device.
    static platform::HeadlessWindow window(kSize, kSize);
    const DisplaySettings settings{kSize, kSize, 0, 0, 1, 0};
    return RenderDevice::Instance().Initialize(&window, settings, 0, 0, kSize, kSize) >= 0 &&
           RenderDevice::Instance().GetDevice() != nullptr;
}

// True when the file loaded into a hierarchy; else its error is on stderr.
bool Report(const char* file) {
    AnimatedModel model;
    HRESULT hr = FindFile(model.path, file);
    if (FAILED(hr)) {
        std::fprintf(stderr, "orrery3d-xinfo: %s: cannot be opened\n", file);
        return false;
    }
    hr = LoadHierarchy(model);
    if (FAILED(hr) || !model.currentHierarchy) {
        std::fprintf(stderr, "orrery3d-xinfo: %s: not loaded (error 0x%08X)\n", file, static_cast<unsigned>(hr));
        return false;
    }
    std::printf("%s\n", xinfo::ToJson(xinfo::Summarise(*model.currentHierarchy)).c_str());
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: orrery3d-xinfo FILE...\n");
        return 2;
    }
    if (!CreateDevice()) {
        std::fprintf(stderr, "orrery3d-xinfo: no rendering device could be created\n");
        return 1;
    }
    bool allLoaded = true;
    for (int i = 1; i < argc; ++i) allLoaded = Report(argv[i]) && allLoaded;
    return allLoaded ? 0 : 1;
}

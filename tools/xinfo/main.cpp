// orrery3d-xinfo FILE...: loads each X file as an animated model does and prints what it holds,
// one JSON object per line. Exit code 0 when every file loaded, 1 otherwise, 2 for no file or an
// unknown option.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window/headless_window.h"
#include "render/render_device.h"
#include "resources/version.h"
#include "scene/animated_model.h"
#include "scene/x_loader.h"
#include "tools/xinfo/model_report.h"

namespace {

constexpr int kSize = 64;

constexpr const char kUsage[] =
    "usage: orrery3d-xinfo [options] FILE...\n"
    "  Loads each X file as the show loads an animated model and prints what it holds, one JSON\n"
    "  object per line. Exit code 0 when every file loaded, 1 when one did not.\n"
    "  --help       this text\n"
    "  --version    the program's version\n"
    "  --           what follows is a file name, even when it starts with '-'\n";

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
    std::string cause;
    HRESULT hr = FindFile(model.path, file, &cause);
    if (FAILED(hr)) {
        std::fprintf(stderr, "orrery3d-xinfo: %s: cannot be opened%s%s\n", file, cause.empty() ? "" : ": ",
                     cause.c_str());
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
    std::vector<const char*> files;
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
            files.push_back(argv[i]);
        } else if (arg == "--") {
            optionsEnd = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("orrery3d-xinfo %s\n", kProgramVersion);
            return 0;
        } else {
            std::fprintf(stderr, "orrery3d-xinfo: unknown option %s\n%s", argv[i], kUsage);
            return 2;
        }
    }
    if (files.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!CreateDevice()) {
        std::fprintf(stderr, "orrery3d-xinfo: no rendering device could be created\n");
        return 1;
    }
    bool allLoaded = true;
    for (const char* file : files) allLoaded = Report(file) && allLoaded;
    return allLoaded ? 0 : 1;
}

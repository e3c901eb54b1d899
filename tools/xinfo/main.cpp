// orrery3d-xinfo FILE...: loads each X file as an animated model does and prints what it holds,
// one JSON object per line. Exit code 0 when every file loaded, 1 otherwise, 2 for no file or an
// unknown option.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cmdline/command_line.h"
#include "platform/window/headless_window.h"
#include "render/render_device.h"
#include "resources/version.h"
#include "scene/animated_model.h"
#include "scene/x_loader.h"
#include "tools/xinfo/model_report.h"

namespace {

constexpr int kSize = 64;

// The options; every other word is a file to report on, "-" too.
cmdline::Program CommandLine(std::vector<std::string>& files) {
    cmdline::Program program;
    program.name = "orrery3d-xinfo";
    program.version = kProgramVersion;
    program.head =
        "usage: orrery3d-xinfo [options] FILE...\n"
        "  Loads each X file as the show loads an animated model and prints what it holds, one JSON\n"
        "  object per line. Exit code 0 when every file loaded, 1 when one did not.\n";
    program.column = 15;
    program.answering = cmdline::Answering::kInOrder;
    program.operands = cmdline::Operands::kPlainOrDash;
    program.operand = [&files](std::string_view file) {
        files.emplace_back(file);
        return true;
    };
    program.options = {cmdline::Help("this text", "-h"), cmdline::Version("the program's version"),
                       cmdline::EndOfOptions("what follows is a file name, even when it starts with '-'")};
    return program;
}

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
    std::vector<std::string> files;
    const cmdline::Program commandLine = CommandLine(files);
    if (const std::optional<int> exitCode = cmdline::Answer(commandLine, argc, argv)) return *exitCode;
    if (files.empty()) return cmdline::Send(cmdline::UsageError(commandLine, {}));
    if (!CreateDevice()) {
        std::fprintf(stderr, "orrery3d-xinfo: no rendering device could be created\n");
        return 1;
    }
    bool allLoaded = true;
    for (const std::string& file : files) allLoaded = Report(file.c_str()) && allLoaded;
    return allLoaded ? 0 : 1;
}

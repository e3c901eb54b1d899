// orrery3d-icons OUTDIR: draws the program's icon at every size the desktop's icon theme uses
// and writes each as OUTDIR/hicolor/<size>x<size>/apps/orrery3d.png. The packages ship these
// files; the 32-pixel one is the window's icon itself, the others are drawn from the same
// picture at their own size, their edges smoothed.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/cmdline/command_line.h"
#include "resources/resources.h"
#include "resources/version.h"
#include "tools/common/png_writer.h"

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
constexpr int kSmoothing = 4;  // samples per pixel along each axis, sizes other than the window's

// --help and --version answer first wherever they are; every other word is taken for the
// output folder.
cmdline::Program CommandLine(std::vector<std::string>& words) {
    cmdline::Program program;
    program.name = "orrery3d-icons";
    program.version = kProgramVersion;
    program.head =
        "usage: orrery3d-icons OUTDIR\n"
        "  Writes the program's icon as OUTDIR/hicolor/NxN/apps/orrery3d.png for N = 16, 22, 24, 32,\n"
        "  48, 64, 128 and 256. Exit code 0 when every file was written, 1 when one could not be,\n"
        "  2 for a usage error.\n";
    program.column = 15;
    program.answering = cmdline::Answering::kFirstFound;
    program.operands = cmdline::Operands::kAnyWord;
    program.operand = [&words](std::string_view word) {
        words.emplace_back(word);
        return true;
    };
    program.options = {cmdline::Help("this text", "-h"), cmdline::Version("the program's version")};
    return program;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    const cmdline::Program commandLine = CommandLine(args);
    if (const std::optional<int> exitCode = cmdline::Answer(commandLine, argc, argv)) return *exitCode;
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-')
        return cmdline::Send(cmdline::UsageError(commandLine, "one output folder is needed"));
    for (int size : kSizes) {
        const std::filesystem::path folder = std::filesystem::path(args[0]) / "hicolor" /
                                             (std::to_string(size) + "x" + std::to_string(size)) / "apps";
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            std::fprintf(stderr, "orrery3d-icons: %s: %s\n", folder.c_str(), ec.message().c_str());
            return 1;
        }
        const std::vector<std::uint32_t> pixels =
            DrawProgramIcon(size, size == kProgramIconSize ? 1 : kSmoothing);
        std::string error;
        if (!tools::WritePng((folder / "orrery3d.png").string(), {size, size, pixels.data(), true}, error)) {
            std::fprintf(stderr, "orrery3d-icons: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}

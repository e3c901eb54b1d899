// orrery3d-framediff A.png B.png [--json]: how far two pictures of one size are apart. Exit code
// 0 when both decoded with the same size, 2 for a usage error, 3 when a file cannot be read or
// the sizes differ.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cmdline/command_line.h"
#include "resources/version.h"
#include "tools/common/png_reader.h"
#include "tools/framediff/frame_diff.h"

namespace {

// The options; every other word is a picture to compare, "-" too.
cmdline::Program CommandLine(std::vector<std::string>& files, bool& json) {
    cmdline::Program program;
    program.name = "orrery3d-framediff";
    program.version = kProgramVersion;
    program.head =
        "usage: orrery3d-framediff [options] A.png B.png\n"
        "  Compares two PNG pictures of the same size: the mean absolute difference of each channel\n"
        "  (red, green, blue, alpha, in steps of 1/255), the largest difference, and the share of\n"
        "  pixels with some channel more than 8 steps off. Exit code 0 when both were read and are\n"
        "  of one size, 2 for a usage error, 3 when a file cannot be read or the sizes differ.\n";
    program.column = 15;
    program.answering = cmdline::Answering::kInOrder;
    program.operands = cmdline::Operands::kPlainOrDash;
    program.operand = [&files](std::string_view file) {
        files.emplace_back(file);
        return true;
    };
    program.options = {cmdline::Flag("--json", "print one JSON object instead of a line of text", [&json] { json = true; }),
                       cmdline::Help("this text", "-h"), cmdline::Version("the program's version")};
    return program;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    bool json = false;
    const cmdline::Program commandLine = CommandLine(files, json);
    if (const std::optional<int> exitCode = cmdline::Answer(commandLine, argc, argv)) return *exitCode;
    if (files.size() != 2) return cmdline::Send(cmdline::UsageError(commandLine, "two PNG files are needed"));
    tools::PngPixels a, b;
    std::string error;
    if (!tools::ReadPng(files[0], a, error) || !tools::ReadPng(files[1], b, error)) {
        std::fprintf(stderr, "orrery3d-framediff: %s\n", error.c_str());
        return 3;
    }
    if (a.width != b.width || a.height != b.height) {
        std::fprintf(stderr, "orrery3d-framediff: %s is %dx%d but %s is %dx%d\n", files[0].c_str(), a.width, a.height,
                     files[1].c_str(), b.width, b.height);
        return 3;
    }
    const framediff::Difference d =
        framediff::Compare({a.width, a.height, &a.pixels}, {b.width, b.height, &b.pixels});
    std::printf("%s\n", (json ? framediff::ToJson(d) : framediff::ToText(d)).c_str());
    return 0;
}

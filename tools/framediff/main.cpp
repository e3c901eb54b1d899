// orrery3d-framediff A.png B.png [--json]: how far two pictures of one size are apart. Exit code
// 0 when both decoded with the same size, 2 for a usage error, 3 when a file cannot be read or
// the sizes differ.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "resources/version.h"
#include "tools/common/png_reader.h"
#include "tools/framediff/frame_diff.h"

namespace {

constexpr const char kUsage[] =
    "usage: orrery3d-framediff [options] A.png B.png\n"
    "  Compares two PNG pictures of the same size: the mean absolute difference of each channel\n"
    "  (red, green, blue, alpha, in steps of 1/255), the largest difference, and the share of\n"
    "  pixels with some channel more than 8 steps off. Exit code 0 when both were read and are\n"
    "  of one size, 2 for a usage error, 3 when a file cannot be read or the sizes differ.\n"
    "  --json       print one JSON object instead of a line of text\n"
    "  --help       this text\n"
    "  --version    the program's version\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("orrery3d-framediff %s\n", kProgramVersion);
            return 0;
        }
        if (arg == "--json") {
            json = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "orrery3d-framediff: unknown option %s\n%s", argv[i], kUsage);
            return 2;
        } else {
            files.emplace_back(arg);
        }
    }
    if (files.size() != 2) {
        std::fprintf(stderr, "orrery3d-framediff: two PNG files are needed\n%s", kUsage);
        return 2;
    }
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

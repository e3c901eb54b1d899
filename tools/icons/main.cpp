// orrery3d-icons OUTDIR: draws the program's icon at every size the desktop's icon theme uses
// and writes each as OUTDIR/hicolor/<size>x<size>/apps/orrery3d.png. The packages ship these
// files; the 32-pixel one is the window's icon itself, the others are drawn from the same
// picture at their own size, their edges smoothed.
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "resources/resources.h"
#include "resources/version.h"
#include "tools/common/png_writer.h"

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
constexpr int kSmoothing = 4;  // samples per pixel along each axis, sizes other than the window's

constexpr const char kUsage[] =
    "usage: orrery3d-icons OUTDIR\n"
    "  Writes the program's icon as OUTDIR/hicolor/NxN/apps/orrery3d.png for N = 16, 22, 24, 32,\n"
    "  48, 64, 128 and 256. Exit code 0 when every file was written, 1 when one could not be,\n"
    "  2 for a usage error.\n"
    "  --help       this text\n"
    "  --version    the program's version\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    for (std::string_view arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("orrery3d-icons %s\n", kProgramVersion);
            return 0;
        }
    }
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        std::fprintf(stderr, "orrery3d-icons: one output folder is needed\n%s", kUsage);
        return 2;
    }
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

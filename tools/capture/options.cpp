#include "tools/capture/options.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace capture {

namespace {

constexpr int kMaxSide = 8192;
constexpr int kMaxFrames = 1000000;

bool ParseInt(std::string_view text, int low, int high, int& value) {
    int parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

bool ParseSize(std::string_view text, int& width, int& height) {
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos) return false;
    return ParseInt(text.substr(0, x), 16, kMaxSide, width) && ParseInt(text.substr(x + 1), 16, kMaxSide, height);
}

}  // namespace

const char* UsageText() {
    return "usage: orrery3d-capture [--frames N] [--out DIR] [--size WxH] [--fps F]\n"
           "  Runs the program headless on a virtual clock and writes DIR/frame_NNNNN.png per frame.\n";
}

bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = "missing value after " + std::string(arg);
            return false;
        }
        const std::string_view value = argv[++i];
        bool ok = true;
        if (arg == "--frames") {
            ok = ParseInt(value, 1, kMaxFrames, options.frames);
        } else if (arg == "--out") {
            ok = !value.empty();
            options.outDir = value;
        } else if (arg == "--size") {
            ok = ParseSize(value, options.width, options.height);
        } else if (arg == "--fps") {
            int fps = 0;
            ok = ParseInt(value, 1, 1000, fps);
            options.fps = fps;
        } else {
            error = "unknown option " + std::string(arg);
            return false;
        }
        if (!ok) {
            error = "bad value \"" + std::string(value) + "\" for " + std::string(arg);
            return false;
        }
    }
    return true;
}

}  // namespace capture

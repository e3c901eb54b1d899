#include "tools/capture/options.h"

#include "platform/com/decimal.h"
#include "tools/capture/contact_sheet.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace capture {

namespace {

constexpr int kMaxSide = 8192;
// The show's last frame is the first whose show time reaches this.
constexpr double kShowLength = 258.0;

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

// A show time in seconds: finite, from 0 to the show's end.
bool ParseTime(std::string_view text, double& value) {
    double parsed = 0.0;
    if (!com::ParseDecimalDouble(text.data(), text.data() + text.size(), parsed) || !std::isfinite(parsed))
        return false;
    if (parsed < 0.0 || parsed > kShowLength) return false;
    value = parsed;
    return true;
}

bool TakesValue(std::string_view arg) {
    return arg == "--size" || arg == "--fps" || arg == "--at" || arg == "--from" || arg == "--to" ||
           arg == "--out" || arg == "--video" || arg == "--contact-sheet";
}

}  // namespace

const char* UsageText() {
    return "usage: orrery3d-capture [options]\n"
           "  Runs the show headless on a virtual clock, without sound, and saves what it draws.\n"
           "  --size WxH     back-buffer size (default 640x480)\n"
           "  --colour16     16-bit colour instead of 32-bit\n"
           "  --fps N        frames per second of show time (default 60)\n"
           "  --loading      save the loading frame as loading.png\n"
           "  --at T         save the first frame whose show time reaches T seconds (repeatable)\n"
           "  --from A       save every frame from show time A ...\n"
           "  --to B         ... to B (either may be left out); with --video or --bench: where they end\n"
           "  --out DIR      directory for the PNG files, named by show time: t012.500.png\n"
           "  --video FILE   encode the show into an MP4 file (H.264), with demo.mp3 when present\n"
           "  --contact-sheet FILE  write one PNG with a labelled thumbnail of every shot of the show\n"
           "  --bench        render as fast as possible and print frame times as one JSON line\n"
           "                 (each frame is waited for by reading it back)\n"
           "  --help         this text\n"
           "  --version      the program's version\n"
           "  Show times run from 0 to 258 seconds.\n"
           "  The show's files are read from the folder the program is started in when that folder\n"
           "  holds any of them, and otherwise from the installed data folder, ../share/orrery3d\n"
           "  beside the program's folder; the paths given to --out, --video and --contact-sheet\n"
           "  stay relative to the folder the program is started in.\n";
}

void Options::AnchorPaths(const std::filesystem::path& base) {
    for (std::string* path : {&outDir, &video, &contactSheet}) {
        if (path->empty() || std::filesystem::path(*path).is_absolute()) continue;
        std::filesystem::path anchored = (base / *path).lexically_normal();
        if (!anchored.has_filename() && anchored.has_parent_path()) anchored = anchored.parent_path();  // "dir/." -> "dir"
        *path = anchored.string();
    }
}

bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--colour16") {
            options.colour16 = true;
        } else if (arg == "--loading") {
            options.loading = true;
        } else if (arg == "--bench") {
            options.bench = true;
        } else if (TakesValue(arg)) {
            if (i + 1 >= argc) {
                error = "missing value after " + std::string(arg);
                return false;
            }
            const std::string_view value = argv[++i];
            bool ok = true;
            if (arg == "--size") {
                ok = ParseSize(value, options.width, options.height);
            } else if (arg == "--fps") {
                ok = ParseInt(value, 1, 1000, options.fps);
            } else if (arg == "--at") {
                double t = 0.0;
                ok = ParseTime(value, t);
                if (ok) options.at.push_back(t);
            } else if (arg == "--from") {
                ok = ParseTime(value, options.from);
            } else if (arg == "--to") {
                ok = ParseTime(value, options.to);
            } else if (arg == "--out") {
                ok = !value.empty();
                options.outDir = value;
            } else if (arg == "--contact-sheet") {
                ok = !value.empty();
                options.contactSheet = value;
            } else {  // --video
                ok = !value.empty();
                options.video = value;
            }
            if (!ok) {
                error = "bad value \"" + std::string(value) + "\" for " + std::string(arg);
                if (arg == "--at" || arg == "--from" || arg == "--to") error += " (show times run from 0 to 258)";
                return false;
            }
        } else {
            error = "unknown option " + std::string(arg);
            return false;
        }
    }
    if (options.help || options.version) return true;
    if (options.from >= 0.0 && options.to >= 0.0 && options.from > options.to) {
        error = "--from is after --to";
        return false;
    }
    for (double t : options.at) {
        if (options.to >= 0.0 && t > options.to) {
            error = "--at " + std::to_string(t) + " is after --to, where the run ends";
            return false;
        }
    }
    if (options.Continuous() && options.from >= 0.0) {
        error = "--from saves a span of frames: not with --video or --bench";
        return false;
    }
    if (options.SavesContactSheet() && options.to >= 0.0 && options.to < static_cast<double>(ShowShots().back().time)) {
        error = "--to ends the run before the contact sheet's last shot";
        return false;
    }
    if (!options.SavesFrames() && !options.Continuous() && !options.SavesContactSheet()) {
        error = "nothing to do: give --loading, --at, --from/--to, --video, --bench or --contact-sheet";
        return false;
    }
    return true;
}

}  // namespace capture

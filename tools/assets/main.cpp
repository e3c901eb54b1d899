// orrery3d-assets: writes the show's data pack, or pictures of its models.
//
//   orrery3d-assets OUTDIR [--area NAME] [--jobs N]
//   orrery3d-assets --preview PNGDIR [--data PACKDIR] [--only FILE.x] [--eye x,y,z --look x,y,z]
//                   [--time SECONDS]... [--size WxH] [--jobs N]
//   orrery3d-assets --list | --help | --version
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <thread>

#include "resources/version.h"
#include "tools/assets/catalogue.h"
#include "tools/assets/preview/preview.h"
#include "tools/assets/write_pack.h"
#include "tools/common/progress_bar.h"

namespace {

constexpr const char* kProgram = "orrery3d-assets";
// More workers than this gain nothing on the pack's few dozen files.
constexpr unsigned kMaxJobs = 64;

constexpr const char* kUsage =
    "usage: orrery3d-assets OUTDIR [--area NAME] [--jobs N]\n"
    "       orrery3d-assets --preview PNGDIR [--data PACKDIR] [--only FILE.x] [--eye x,y,z --look x,y,z]\n"
    "                       [--time SECONDS]... [--size WxH] [--jobs N]\n"
    "       orrery3d-assets --list | --help | --version\n"
    "Writes every model, texture and the soundtrack of the show into OUTDIR (or one area of them:\n"
    "music, city, characters, tunnels, images), with N workers (1 to 64; default one per core).\n"
    "--list prints the names of the files. --preview draws each model of PACKDIR (by default a\n"
    "pack freshly written into PNGDIR/pack) headless into PNGDIR/<model>.png, from a fitted camera\n"
    "or from --eye looking at --look, at each --time of its animation (default 0.5 s).\n";

struct Options {
    std::string outDir;
    std::string area;
    unsigned jobs = 0;
    bool list = false;
    bool preview = false;
    bool help = false;
    bool version = false;
    std::string dataDir;
    assets::PreviewOptions pictures;
    bool timesGiven = false;
};

bool ParseVector(const std::string& text, D3DXVECTOR3& out) {
    char end = 0;
    return std::sscanf(text.c_str(), "%f,%f,%f%c", &out.x, &out.y, &out.z, &end) == 3 && std::isfinite(out.x) &&
           std::isfinite(out.y) && std::isfinite(out.z);
}

bool ParseJobs(std::string_view text, unsigned& jobs) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > kMaxJobs) return false;
    jobs = value;
    return true;
}

// Seconds of animation: a finite number, not negative.
bool ParseTime(std::string_view text, float& seconds) {
    float value = 0.0f;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value < 0.0f) return false;
    seconds = value;
    return true;
}

bool ParseSize(const std::string& text, int& width, int& height) {
    char end = 0;
    return std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &end) == 2 && width > 0 && height > 0;
}

bool TakesValue(const std::string& arg) {
    for (const char* name : {"--area", "--jobs", "--preview", "--data", "--only", "--eye", "--look", "--time", "--size"})
        if (arg == name) return true;
    return false;
}

// Reads one option and its value; false, with the reason in error, when the value is bad.
bool ParseValue(const std::string& arg, const std::string& value, Options& options, std::string& error) {
    bool ok = !value.empty();
    if (arg == "--area") {
        options.area = value;
    } else if (arg == "--jobs") {
        ok = ParseJobs(value, options.jobs);
    } else if (arg == "--preview") {
        options.preview = true;
        options.pictures.outDir = value;
    } else if (arg == "--data") {
        options.dataDir = value;
    } else if (arg == "--only") {
        options.pictures.only = value;
    } else if (arg == "--eye" || arg == "--look") {
        ok = ParseVector(value, arg == "--eye" ? options.pictures.eye : options.pictures.look);
        options.pictures.fixedCamera = true;
    } else if (arg == "--time") {
        float seconds = 0.0f;
        ok = ParseTime(value, seconds);
        if (ok && !options.timesGiven) options.pictures.times.clear();
        if (ok) options.pictures.times.push_back(seconds);
        options.timesGiven = true;
    } else {  // --size
        ok = ParseSize(value, options.pictures.width, options.pictures.height);
    }
    if (!ok) {
        error = "bad value \"" + value + "\" for " + arg;
        if (arg == "--jobs") error += " (1 to " + std::to_string(kMaxJobs) + ")";
        if (arg == "--eye" || arg == "--look") error += " (x,y,z)";
        if (arg == "--size") error += " (WxH)";
    }
    return ok;
}

// Parses argv; false, with the reason in error, for an unknown option, a bad or missing value or
// nothing to do.
bool Parse(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--list") {
            options.list = true;
        } else if (TakesValue(arg)) {
            if (i + 1 >= argc) {
                error = "missing value after " + arg;
                return false;
            }
            if (!ParseValue(arg, argv[++i], options, error)) return false;
        } else if (!arg.empty() && arg[0] != '-' && options.outDir.empty()) {
            options.outDir = arg;
        } else {
            error = (arg.empty() || arg[0] == '-' ? "unknown option " : "unexpected argument ") + arg;
            return false;
        }
    }
    if (options.help || options.version || options.list) return true;
    if (options.pictures.fixedCamera && options.pictures.eye == options.pictures.look) {
        error = "--eye and --look are the same point";
        return false;
    }
    if (!options.preview && options.outDir.empty()) {
        error = "nothing to do: give OUTDIR, --preview PNGDIR or --list";
        return false;
    }
    return true;
}

// Writes the files and reports; 0 when every file was written.
int Write(const assets::AssetList& files, const std::string& outDir, unsigned jobs) {
    const auto start = std::chrono::steady_clock::now();
    tools::ProgressBar progress(stderr, double(files.size()), isatty(STDERR_FILENO) != 0, "files", 0);
    const assets::PackResult result =
        assets::WritePack(files, outDir, jobs, [&](std::size_t done) { progress.Update(double(done)); });
    progress.Finish();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "orrery3d-assets: %zu of %zu files written into %s in %.1f s\n", result.written, files.size(),
                 outDir.c_str(), seconds);
    return result.failed.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!Parse(argc, argv, options, error)) {
        std::fprintf(stderr, "%s: %s\n%s", kProgram, error.c_str(), kUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("%s %s\n", kProgram, kProgramVersion);
        return 0;
    }
    if (options.list) {
        for (const assets::AssetFile& file : assets::AllFiles()) std::printf("%s\n", file.name.c_str());
        return 0;
    }
    const unsigned jobs =
        options.jobs ? options.jobs : std::clamp(std::thread::hardware_concurrency(), 1u, kMaxJobs);
    if (options.preview) {
        std::string data = options.dataDir;
        if (data.empty()) {
            data = (options.pictures.outDir / "pack").string();
            if (Write(assets::AllFiles(), data, jobs) != 0) return 1;
        }
        options.pictures.dataDir = data;
        const int failures = assets::RenderPreviews(options.pictures);
        if (failures < 0) return 1;
        std::fprintf(stderr, "orrery3d-assets: pictures in %s (%d failed)\n", options.pictures.outDir.string().c_str(),
                     failures);
        return failures == 0 ? 0 : 1;
    }
    assets::AssetList files = options.area.empty() ? assets::AllFiles() : assets::AreaFiles(options.area);
    if (!options.area.empty() && files.empty()) {
        std::fprintf(stderr, "orrery3d-assets: no files in area '%s'\n", options.area.c_str());
        return 2;
    }
    return Write(files, options.outDir, jobs);
}

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
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "platform/cmdline/command_line.h"
#include "platform/cmdline/values.h"
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
    std::string dataDir;
    assets::PreviewOptions pictures;
    bool timesGiven = false;
};

bool ParseJobs(std::string_view text, unsigned& jobs) {
    int value = 0;
    if (!cmdline::ParseInt(text, 1, static_cast<int>(kMaxJobs), value)) return false;
    jobs = static_cast<unsigned>(value);
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

// As scanf reads WxH: more lenient than the shared size, and kept so.
bool ParseSize(std::string_view text, int& width, int& height) {
    const std::string terminated(text);
    char end = 0;
    return std::sscanf(terminated.c_str(), "%dx%d%c", &width, &height, &end) == 2 && width > 0 && height > 0;
}

// A camera point; giving one fixes the camera.
cmdline::TakeValue CameraPoint(Options& options, D3DXVECTOR3& point) {
    return [&options, &point](std::string_view text) {
        options.pictures.fixedCamera = true;
        return cmdline::ParseVector(text, point.x, point.y, point.z);
    };
}

// The options, each storing into `options`; the first plain word is OUTDIR. The usage text
// names them in its synopsis and prose, not line by line.
cmdline::Program CommandLine(Options& options) {
    cmdline::Program program;
    program.name = kProgram;
    program.version = kProgramVersion;
    program.head = kUsage;
    program.answering = cmdline::Answering::kAfterParsing;
    program.operands = cmdline::Operands::kPlain;
    program.operand = [&options](std::string_view word) {
        if (!options.outDir.empty()) return false;
        options.outDir = word;
        return true;
    };
    using cmdline::Value;
    assets::PreviewOptions& pictures = options.pictures;
    static const std::string jobsNote = " (1 to " + std::to_string(kMaxJobs) + ")";
    program.options = {
        cmdline::Help({}, "-h"),
        cmdline::Version({}),
        cmdline::Flag("--list", {}, [&options] { options.list = true; }),
        Value("--area", "NAME", {}, cmdline::Text(options.area)),
        Value("--jobs", "N", {}, [&options](std::string_view text) { return ParseJobs(text, options.jobs); }, jobsNote),
        Value("--preview", "PNGDIR", {},
              [&options](std::string_view text) {
                  options.preview = true;
                  options.pictures.outDir = text;
                  return !text.empty();
              }),
        Value("--data", "PACKDIR", {}, cmdline::Text(options.dataDir)),
        Value("--only", "FILE.x", {}, cmdline::Text(pictures.only)),
        Value("--eye", "x,y,z", {}, CameraPoint(options, pictures.eye), " (x,y,z)"),
        Value("--look", "x,y,z", {}, CameraPoint(options, pictures.look), " (x,y,z)"),
        // The first time given replaces the default one.
        Value("--time", "SECONDS", {},
              [&options](std::string_view text) {
                  float seconds = 0.0f;
                  const bool ok = ParseTime(text, seconds);
                  if (ok && !options.timesGiven) options.pictures.times.clear();
                  if (ok) options.pictures.times.push_back(seconds);
                  options.timesGiven = true;
                  return ok;
              }),
        Value("--size", "WxH", {},
              [&pictures](std::string_view text) { return ParseSize(text, pictures.width, pictures.height); },
              " (WxH)"),
    };
    return program;
}

// A request that parses well but cannot be met; empty when there is none.
std::string Contradiction(const Options& options) {
    if (options.pictures.fixedCamera && options.pictures.eye == options.pictures.look)
        return "--eye and --look are the same point";
    if (!options.preview && options.outDir.empty()) return "nothing to do: give OUTDIR, --preview PNGDIR or --list";
    return {};
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
    const cmdline::Program commandLine = CommandLine(options);
    if (const std::optional<int> exitCode = cmdline::Answer(commandLine, argc, argv)) return *exitCode;
    if (options.list) {
        for (const assets::AssetFile& file : assets::AllFiles()) std::printf("%s\n", file.name.c_str());
        return 0;
    }
    if (const std::string error = Contradiction(options); !error.empty())
        return cmdline::Send(cmdline::UsageError(commandLine, error));
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

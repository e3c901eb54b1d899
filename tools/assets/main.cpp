// orrery3d-assets: writes the show's data pack, or pictures of its models.
//
//   orrery3d-assets OUTDIR [--area NAME] [--jobs N]
//   orrery3d-assets --preview PNGDIR [--data PACKDIR] [--only FILE.x] [--eye x,y,z --look x,y,z]
//                   [--time SECONDS]... [--size WxH]
//   orrery3d-assets --list
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "tools/assets/catalogue.h"
#include "tools/assets/preview/preview.h"
#include "tools/assets/write_pack.h"
#include "tools/common/progress_bar.h"

namespace {

constexpr const char* kUsage =
    "usage: orrery3d-assets OUTDIR [--area NAME] [--jobs N]\n"
    "       orrery3d-assets --preview PNGDIR [--data PACKDIR] [--only FILE.x] [--eye x,y,z --look x,y,z]\n"
    "                       [--time SECONDS]... [--size WxH]\n"
    "       orrery3d-assets --list\n"
    "Writes every model, texture and the soundtrack of the show into OUTDIR (or one area of them:\n"
    "music, city, characters, tunnels, images). --preview draws each model of PACKDIR (by default a\n"
    "pack freshly written into PNGDIR/pack) headless into PNGDIR/<model>.png.\n";

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

bool ParseVector(const char* text, D3DXVECTOR3& out) {
    return text && std::sscanf(text, "%f,%f,%f", &out.x, &out.y, &out.z) == 3;
}

bool Parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        const auto take = [&] { return value ? (++i, true) : false; };
        if (arg == "--list") {
            options.list = true;
        } else if (arg == "--area" && take()) {
            options.area = value;
        } else if (arg == "--jobs" && take()) {
            options.jobs = static_cast<unsigned>(std::atoi(value));
        } else if (arg == "--preview" && take()) {
            options.preview = true;
            options.pictures.outDir = value;
        } else if (arg == "--data" && take()) {
            options.dataDir = value;
        } else if (arg == "--only" && take()) {
            options.pictures.only = value;
        } else if (arg == "--eye" && take()) {
            if (!ParseVector(value, options.pictures.eye)) return false;
            options.pictures.fixedCamera = true;
        } else if (arg == "--look" && take()) {
            if (!ParseVector(value, options.pictures.look)) return false;
            options.pictures.fixedCamera = true;
        } else if (arg == "--time" && take()) {
            if (!options.timesGiven) options.pictures.times.clear();
            options.timesGiven = true;
            options.pictures.times.push_back(std::strtof(value, nullptr));
        } else if (arg == "--size" && take()) {
            if (std::sscanf(value, "%dx%d", &options.pictures.width, &options.pictures.height) != 2 ||
                options.pictures.width <= 0 || options.pictures.height <= 0)
                return false;
        } else if (!arg.empty() && arg[0] != '-' && options.outDir.empty()) {
            options.outDir = arg;
        } else {
            return false;
        }
    }
    return options.list || options.preview || !options.outDir.empty();
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
    if (!Parse(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (options.list) {
        for (const assets::AssetFile& file : assets::AllFiles()) std::printf("%s\n", file.name.c_str());
        return 0;
    }
    const unsigned jobs = options.jobs ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
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

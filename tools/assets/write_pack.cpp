#include "tools/assets/write_pack.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <fstream>
#include <mutex>
#include <thread>

namespace assets {
namespace {

bool WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::filesystem::path temporary = path;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    return !error;
}

// Makes and writes one file; an empty string on success, else the reason.
std::string Produce(const AssetFile& file, const std::filesystem::path& folder) {
    Bytes bytes;
    try {
        bytes = file.make();
    } catch (const std::exception& e) {
        return std::string("generator failed: ") + e.what();
    }
    if (bytes.empty()) return "generator made no bytes";
    if (!WriteFile(folder / file.name, bytes)) return "cannot write " + (folder / file.name).string();
    return {};
}

}  // namespace

PackResult WritePack(const AssetList& files, const std::filesystem::path& folder, unsigned threads,
                     const std::function<void(std::size_t)>& progress) {
    PackResult result;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "orrery3d-assets: cannot create %s: %s\n", folder.string().c_str(), error.message().c_str());
        for (const AssetFile& file : files) result.failed.push_back(file.name);
        return result;
    }
    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<std::size_t> next{0};
    std::size_t done = 0;
    const auto work = [&] {
        for (std::size_t i = next++; i < files.size(); i = next++) {
            const std::string reason = Produce(files[i], folder);
            std::lock_guard lock(mutex);
            if (reason.empty()) {
                ++result.written;
            } else {
                std::fprintf(stderr, "orrery3d-assets: %s: %s\n", files[i].name.c_str(), reason.c_str());
                result.failed.push_back(files[i].name);
            }
            ++done;
            changed.notify_all();
        }
    };
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < std::max(1u, threads); ++t) workers.emplace_back(work);
    {
        std::unique_lock lock(mutex);
        std::size_t shown = 0;
        while (done < files.size()) {
            changed.wait(lock, [&] { return done != shown; });
            shown = done;
            if (progress) {
                lock.unlock();
                progress(shown);
                lock.lock();
            }
        }
    }
    for (std::thread& worker : workers) worker.join();
    return result;
}

}  // namespace assets

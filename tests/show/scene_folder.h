// The working folder a scene test loads from: the data pack's folder, or a fresh temporary one
// holding only the files named (none for a scene that finds nothing). The previous working
// folder comes back, and the temporary one is removed, when the object goes.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace scenetest {

class SceneFolder {
public:
    SceneFolder() : previous_(std::filesystem::current_path()) {}
    ~SceneFolder() {
        std::filesystem::current_path(previous_);
        if (!temporary_.empty()) std::filesystem::remove_all(temporary_);
    }
    SceneFolder(const SceneFolder&) = delete;
    SceneFolder& operator=(const SceneFolder&) = delete;

    void EnterPack() { std::filesystem::current_path(ORRERY_PACK_DIR); }
    // A fresh folder with copies of the named pack files; false when it cannot be made.
    bool EnterFolderWith(const std::vector<std::string>& files = {}) {
        std::error_code ec;
        temporary_ = std::filesystem::temp_directory_path() / ("orrery-scene-" + std::to_string(getpid()));
        std::filesystem::remove_all(temporary_, ec);
        std::filesystem::create_directories(temporary_, ec);
        for (const std::string& name : files)
            if (!ec) std::filesystem::copy_file(std::filesystem::path(ORRERY_PACK_DIR) / name, temporary_ / name, ec);
        if (!ec) std::filesystem::current_path(temporary_, ec);
        return !ec;
    }

private:
    std::filesystem::path previous_;
    std::filesystem::path temporary_;
};

}  // namespace scenetest

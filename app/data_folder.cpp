#include "app/data_folder.h"

#include <system_error>

#include "platform/file/program_folder.h"

namespace fs = std::filesystem;

fs::path InstalledDataFolder() {
    const std::string program = platform::ProgramFolder();
    if (program.empty()) return {};
    const fs::path folder = (fs::path(program) / ".." / "share" / "orrery3d").lexically_normal();
    std::error_code ec;
    return fs::is_directory(folder, ec) ? folder : fs::path();
}

bool HoldsShowData(const fs::path& folder, const fs::path& dataFolder) {
    std::error_code ec;
    for (fs::directory_iterator it(dataFolder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        if (fs::is_regular_file(folder / it->path().filename(), typeError)) return true;
    }
    return false;
}

fs::path DataFolderToEnter() {
    const fs::path installed = InstalledDataFolder();
    if (installed.empty()) return {};
    std::error_code ec;
    const fs::path here = fs::current_path(ec);
    if (ec || HoldsShowData(here, installed)) return {};
    return installed;
}

bool EnterDataFolder(const fs::path& folder, std::string& error) {
    std::error_code ec;
    fs::current_path(folder, ec);
    if (!ec) return true;
    error = folder.string() + ": " + ec.message();
    return false;
}

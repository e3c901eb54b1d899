#include "platform/file/program_folder.h"

#include <filesystem>
#include <system_error>

namespace platform {

std::string ProgramFolder() {
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || !program.is_absolute()) return {};
    return program.parent_path().string();
}

}  // namespace platform

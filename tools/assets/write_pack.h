// Writing the pack's files into a folder, on several threads, with progress.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tools/assets/core/asset_file.h"

namespace assets {

struct PackResult {
    std::vector<std::string> failed;  // names whose make() gave nothing or threw, or could not be written
    std::size_t written = 0;
};

// Makes every file and writes it into `folder` (created if needed), each through a temporary
// name and a rename, so a file of the folder is either whole or absent. `threads` workers take
// files in list order; the bytes do not depend on the order. `progress` is called with the
// number of files done so far, on the calling thread.
PackResult WritePack(const AssetList& files, const std::filesystem::path& folder, unsigned threads,
                     const std::function<void(std::size_t)>& progress = {});

}  // namespace assets

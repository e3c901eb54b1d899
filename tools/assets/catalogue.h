// Every file of the pack, by area, in a fixed order.
#pragma once

#include <string>
#include <vector>

#include "tools/assets/core/asset_file.h"

namespace assets {

// The areas' names: "music", "city", "characters", "tunnels", "images".
std::vector<std::string> AreaNames();
// One area's files; empty for an unknown name.
AssetList AreaFiles(const std::string& area);
// All areas' files, in the order of AreaNames().
AssetList AllFiles();

}  // namespace assets

#pragma once

#include "tools/assets/core/asset_file.h"

namespace assets {

// The pack's tunnels files, with every texture their X files name.
AssetList TunnelFiles();

}  // namespace assets

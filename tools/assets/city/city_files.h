#pragma once

#include "tools/assets/core/asset_file.h"

namespace assets {

// The pack's city files, with every texture their X files name.
AssetList CityFiles();

}  // namespace assets

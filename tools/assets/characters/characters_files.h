#pragma once

#include "tools/assets/core/asset_file.h"

namespace assets {

// The pack's characters files, with every texture their X files name.
AssetList CharacterFiles();

}  // namespace assets

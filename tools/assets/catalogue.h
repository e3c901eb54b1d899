// Every file of the pack, in a fixed order.
#pragma once

#include "tools/assets/core/asset_file.h"

namespace assets {

AssetList AllFiles();

}  // namespace assets

#pragma once

#include "tools/assets/core/asset_file.h"

namespace assets {

// The pictures the scenes open by name: title, particles, flares and captions.
AssetList ImageFiles();

}  // namespace assets

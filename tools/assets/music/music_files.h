#pragma once

#include "tools/assets/core/asset_file.h"

namespace assets {

// The soundtrack, "demo.mp3".
AssetList MusicFiles();

}  // namespace assets

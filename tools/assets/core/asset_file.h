// One file of the pack and the function that makes its bytes.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/assets/core/model.h"

namespace assets {

struct AssetFile {
    std::string name;              // file name inside the pack folder, e.g. "demo.x"
    std::function<Bytes()> make;   // deterministic; may run on any thread, in any order
};

using AssetList = std::vector<AssetFile>;

}  // namespace assets

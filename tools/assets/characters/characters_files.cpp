#include "tools/assets/characters/characters_files.h"

namespace assets {

AssetList CharacterFiles() { return {}; }

}  // namespace assets

#include "tools/assets/music/music_files.h"

namespace assets {

AssetList MusicFiles() { return {}; }

}  // namespace assets

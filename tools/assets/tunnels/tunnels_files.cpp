#include "tools/assets/tunnels/tunnels_files.h"

namespace assets {

AssetList TunnelFiles() { return {}; }

}  // namespace assets

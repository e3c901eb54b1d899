#include "tools/assets/catalogue.h"

#include "tools/assets/characters/characters_files.h"
#include "tools/assets/city/city_files.h"
#include "tools/assets/images/images_files.h"
#include "tools/assets/music/music_files.h"
#include "tools/assets/tunnels/tunnels_files.h"

namespace assets {

AssetList AllFiles() {
    AssetList all;
    for (AssetList part : {MusicFiles(), CityFiles(), CharacterFiles(), TunnelFiles(), ImageFiles()})
        for (AssetFile& file : part) all.push_back(std::move(file));
    return all;
}

}  // namespace assets

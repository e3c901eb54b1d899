#include "tools/assets/catalogue.h"

#include "tools/assets/characters/characters_files.h"
#include "tools/assets/city/city_files.h"
#include "tools/assets/images/images_files.h"
#include "tools/assets/music/music_files.h"
#include "tools/assets/tunnels/tunnels_files.h"

namespace assets {
namespace {

struct Area {
    const char* name;
    AssetList (*files)();
};

// The soundtrack first: it takes longest, so it starts before the rest.
constexpr Area kAreas[] = {
    {"music", MusicFiles},     {"city", CityFiles},     {"characters", CharacterFiles},
    {"tunnels", TunnelFiles},  {"images", ImageFiles},
};

}  // namespace

std::vector<std::string> AreaNames() {
    std::vector<std::string> names;
    for (const Area& area : kAreas) names.emplace_back(area.name);
    return names;
}

AssetList AreaFiles(const std::string& name) {
    for (const Area& area : kAreas)
        if (name == area.name) return area.files();
    return {};
}

AssetList AllFiles() {
    AssetList all;
    for (const Area& area : kAreas)
        for (AssetFile& file : area.files()) all.push_back(std::move(file));
    return all;
}

}  // namespace assets

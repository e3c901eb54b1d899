// Procedural textures of the night city. Each is a tiling picture, a pure function of its
// kind: the same pixels on every run.
#pragma once

#include <string>
#include <vector>

#include "tools/assets/core/image.h"

namespace assets::city {

// Facade pictures cover kFacadeBays x kFacadeFloors window cells of kCellUnits world units.
constexpr int kFacadeBays = 8, kFacadeFloors = 8;
constexpr float kCellUnits = 100.0f;
constexpr float kFacadeTileUnits = kFacadeBays * kCellUnits;

enum class Facade { WarmOffice, CoolOffice, Brick, Panel, Count };

struct CityTexture {
    std::string name;  // file name in the pack
    Image (*make)();
};

std::string FacadeTexture(Facade facade);
inline constexpr const char* kShopTexture = "city_shop.jpg";
inline constexpr const char* kRoofTexture = "city_roof.jpg";
inline constexpr const char* kRoad2Texture = "city_road2.jpg";
inline constexpr const char* kRoad4Texture = "city_road4.jpg";
inline constexpr const char* kCrossingTexture = "city_crossing.jpg";
inline constexpr const char* kPavementTexture = "city_pavement.jpg";
inline constexpr const char* kConcreteTexture = "city_concrete.jpg";
inline constexpr const char* kRailTexture = "city_rail.jpg";
inline constexpr const char* kSnowTexture = "city_snow.jpg";
inline constexpr const char* kPlazaTexture = "city_plaza.jpg";

// Every texture the city models name.
const std::vector<CityTexture>& CityTextures();

// Exposed for tests: a facade picture and whether a window cell of it is lit.
Image MakeFacade(Facade facade);
bool WindowLit(Facade facade, int bay, int floor);

}  // namespace assets::city

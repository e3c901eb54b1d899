// The plan of the night city: its streets, the ground cells between them and the places the
// show's cameras, lamps and effects rely on. All positions are world units, Z up, about 30 to
// a metre; roads lie at z = 18 and pavements and block ground at z = 19.
#pragma once

#include <cstddef>
#include <vector>

#include "show/scenes/city_places.h"

namespace assets::city {

constexpr float kRoadZ = 18.0f;
constexpr float kPavementZ = 19.0f;

// The extent of the built-up area.
constexpr float kCityMinX = -2250.0f, kCityMaxX = 4300.0f;
constexpr float kCityMinY = -4400.0f, kCityMaxY = 7100.0f;

// A straight street: a road of half width `roadHalf` about its centre line, a pavement of
// `pavement` on each side, running from `from` to `to` along its own axis.
struct Street {
    bool northSouth = true;  // the centre is an x (north-south street) or a y (east-west street)
    float centre = 0.0f;
    float roadHalf = 100.0f;
    float pavement = 80.0f;
    float from = 0.0f, to = 0.0f;
    bool wide = false;  // the avenue: four lanes
};

const std::vector<Street>& Streets();

// What covers one cell of the ground grid.
enum class Ground { Block, Pavement, Road, Crossing };

struct Cell {
    float x0, y0, x1, y1;
    Ground ground;
    int street = -1;  // for Road cells, the index into Streets() the road belongs to
};

// The ground split along every road and pavement edge, each cell classified.
std::vector<Cell> GroundCells();

// The classification of a single point (used by tests and by building placement).
Ground GroundAt(float x, float y);

// Places fixed by the main scene (its flares, lights, particles and the blood mark stand there).
constexpr float kLampX = city_places::kLampX, kLampHeadZ = city_places::kLampHeadZ;
inline constexpr const auto& kLampYs = city_places::kLampYs;
struct Rect {
    float x0, y0, x1, y1;
};
inline constexpr Rect kTower{405.0f, -670.0f, 625.0f, -450.0f};  // the warning lights stand over its roof
constexpr float kTowerRoofZ = 1040.0f;
// The masts under the warning lights: the lights' diagonal row, the mast tops just below them.
constexpr std::size_t kMastCount = city_places::kWarningLightCount;
constexpr float kFirstMastX = city_places::kFirstWarningLight.x, kFirstMastY = city_places::kFirstWarningLight.y;
constexpr float kMastStep = city_places::kWarningLightStep;
constexpr float kMastTopZ = city_places::kFirstWarningLight.z - 6.0f;
inline constexpr Rect kChimneyHouse{1150.0f, -700.0f, 1600.0f, -220.0f};
constexpr float kChimneyHouseRoofZ = 780.0f;
// The chimney's mouth, half a unit under where the smoke starts.
constexpr float kChimneyX = city_places::kChimneySmoke.x, kChimneyY = city_places::kChimneySmoke.y;
constexpr float kChimneyTopZ = city_places::kChimneySmoke.z - 0.5f;
inline constexpr Rect kPraiseHouse{1400.0f, -1560.0f, 1650.0f, -1180.0f};
constexpr float kPraiseRoofZ = 1030.0f;
inline constexpr Rect kClimbHouse{700.0f, 5000.0f, 1600.0f, 5450.0f};  // its -Y facade is the climbing wall
constexpr float kClimbHouseRoofZ = 560.0f;
inline constexpr Rect kPlaza{1370.0f, 2400.0f, 1650.0f, 3450.0f};  // open square, kept free of buildings
inline constexpr Rect kSparkAlley{830.0f, 3250.0f, 935.0f, 3380.0f};  // a gap between houses round the spark point
constexpr float kVentX = city_places::kVentSteam.x, kVentY = city_places::kVentSteam.y;
// The spark point of the broken power line, half a unit under where the sparks start.
constexpr float kSparkX = city_places::kSparks.x, kSparkY = city_places::kSparks.y;
constexpr float kSparkZ = city_places::kSparks.z - 0.5f;
// Where the scene places blood.x.
constexpr float kBloodX = city_places::kBloodMark.x, kBloodY = city_places::kBloodMark.y;
constexpr float kBloodZ = city_places::kBloodMark.z;

// The railway: a viaduct along the street y = 400, two tracks.
constexpr float kRailY = 400.0f;
constexpr float kTrackOffset = 42.0f;  // tracks at y = kRailY -+ this
constexpr float kDeckBottomZ = 150.0f, kDeckTopZ = 175.0f, kRailTopZ = 180.0f;
constexpr float kRailFromX = -7600.0f, kRailToX = 8600.0f;

// Areas the building placement keeps clear (besides roads and pavements).
bool KeptClear(float x0, float y0, float x1, float y1);

}  // namespace assets::city

// Places in the night city where the main scene puts its lamp flares and lights, the warning
// lights on the tower, its particle emitters and the blood mark; world units, Z up. The city
// generator builds the street furniture that belongs to them (lamp posts, the street vent,
// the chimney, the broken power line, the tower's masts, the splash) from these same numbers.
#pragma once

#include <cstddef>

namespace city_places {

struct Place {
    float x, y, z;
};

// The row of street lamps along x = -850: one flare on each lamp head.
inline constexpr float kLampX = -850.0f;
inline constexpr float kLampHeadZ = 250.0f;
inline constexpr float kLampYs[7] = {-2845.0f, -1480.0f, -115.0f, 1250.0f, 2455.0f, 3980.0f, 5345.0f};

// Dim yellow point lights over the street beside the first four lamps.
inline constexpr Place kLampLights[4] = {
    {-700.0f, -2880.0f, 20.0f}, {-700.0f, -1400.0f, 20.0f}, {-700.0f, -32.0f, 20.0f}, {-700.0f, 1300.0f, 20.0f}};
inline constexpr float kLampLightRange = 250.0f;

// The warning lights over the tower's roof: a diagonal row from the first one, each next one
// a step further to -x and +y.
inline constexpr std::size_t kWarningLightCount = 5;
inline constexpr Place kFirstWarningLight{605.0f, -650.0f, 1070.0f};
inline constexpr float kWarningLightStep = 45.0f;

// Where the particles start: steam from the vent in the avenue, smoke just above the
// chimney's mouth, sparks just above the hanging end of the broken power line.
inline constexpr Place kVentSteam{-500.0f, -1865.0f, 15.5f};
inline constexpr Place kChimneySmoke{1375.0f, -430.0f, 840.5f};
inline constexpr Place kSparks{900.0f, 3315.0f, 65.5f};

// Where the walk shot moves the blood splash (authored round its own origin) to.
inline constexpr Place kBloodMark{1115.0f, 3800.0f, 110.0f};

}  // namespace city_places

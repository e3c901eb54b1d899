// Buildings of the city: the lots cut from each block of ground and the houses standing on them.
#pragma once

#include <vector>

#include "tools/assets/city/city_layout.h"
#include "tools/assets/core/model.h"

namespace assets::city {

struct Building {
    Rect footprint;
    float height = 0.0f;  // roof level (absolute z)
    int facade = 0;       // a Facade value
    bool shops = false;   // a ground floor of lit shop fronts
    bool setback = false; // an upper tier stepped in
    int roofKit = 0;      // 0 none, 1 machine room, 2 machine room and water tank
    std::uint32_t seed = 0;
};

// Every building of the city, the special ones (tower, chimney house, praise roof, climbing
// wall) included, in a fixed order.
std::vector<Building> PlanBuildings();

void AddBuilding(Mesh& mesh, const Building& b);

// The highest roof level allowed at (x, y): keeps the praise glide path and the opening
// flight's corridor clear.
float HeightLimit(float x, float y);

}  // namespace assets::city

#include "tools/assets/city/city_layout.h"

#include <algorithm>
#include <cmath>

namespace assets::city {
namespace {

constexpr float kFar = 1.0e5f;

bool Covers(const Street& s, float along) { return along >= s.from && along <= s.to; }

float Across(const Street& s, float x, float y) { return std::fabs((s.northSouth ? x : y) - s.centre); }
float Along(const Street& s, float x, float y) { return s.northSouth ? y : x; }

bool Overlap(const Rect& r, float x0, float y0, float x1, float y1) {
    return x0 < r.x1 && x1 > r.x0 && y0 < r.y1 && y1 > r.y0;
}

}  // namespace

const std::vector<Street>& Streets() {
    static const std::vector<Street> streets = {
        // north-south
        {true, -1500.0f, 110.0f, 80.0f, -kFar, kFar, false},
        {true, -400.0f, 300.0f, 200.0f, -kFar, kFar, true},  // the avenue
        {true, 900.0f, 120.0f, 80.0f, -kFar, 2150.0f, false},
        {true, 1150.0f, 130.0f, 90.0f, 2150.0f, 4800.0f, false},
        {true, 1900.0f, 150.0f, 100.0f, -kFar, kFar, false},
        {true, 2650.0f, 100.0f, 70.0f, -kFar, kFar, false},
        {true, 3500.0f, 100.0f, 70.0f, -kFar, kFar, false},
        // east-west
        {false, -3550.0f, 100.0f, 70.0f, -kFar, kFar, false},
        {false, -2400.0f, 110.0f, 80.0f, -kFar, kFar, false},
        {false, -950.0f, 130.0f, 80.0f, -kFar, kFar, false},
        {false, kRailY, 120.0f, 80.0f, -kFar, kFar, false},
        {false, 2150.0f, 150.0f, 100.0f, -kFar, kFar, false},
        {false, 3650.0f, 120.0f, 80.0f, -kFar, kFar, false},
        {false, 4800.0f, 130.0f, 70.0f, -kFar, kFar, false},
        {false, 6050.0f, 110.0f, 70.0f, -kFar, kFar, false},
    };
    return streets;
}

Ground GroundAt(float x, float y) {
    const auto& streets = Streets();
    int roads = 0;
    bool pavement = false;
    for (const Street& s : streets) {
        if (!Covers(s, Along(s, x, y))) continue;
        const float d = Across(s, x, y);
        if (d < s.roadHalf) ++roads;
        else if (d < s.roadHalf + s.pavement) pavement = true;
    }
    if (roads >= 2) return Ground::Crossing;
    if (roads == 1) return Ground::Road;
    return pavement ? Ground::Pavement : Ground::Block;
}

std::vector<Cell> GroundCells() {
    std::vector<float> xs{kCityMinX, kCityMaxX}, ys{kCityMinY, kCityMaxY};
    for (const Street& s : Streets()) {
        auto& v = s.northSouth ? xs : ys;
        for (float e : {s.centre - s.roadHalf - s.pavement, s.centre - s.roadHalf, s.centre + s.roadHalf,
                        s.centre + s.roadHalf + s.pavement})
            v.push_back(e);
        if (s.from > -kFar) (s.northSouth ? ys : xs).push_back(s.from);
        if (s.to < kFar) (s.northSouth ? ys : xs).push_back(s.to);
    }
    for (auto* v : {&xs, &ys}) {
        std::sort(v->begin(), v->end());
        v->erase(std::unique(v->begin(), v->end()), v->end());
    }
    std::vector<Cell> cells;
    const auto& streets = Streets();
    for (std::size_t j = 0; j + 1 < ys.size(); ++j) {
        if (ys[j] < kCityMinY || ys[j + 1] > kCityMaxY) continue;
        for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
            if (xs[i] < kCityMinX || xs[i + 1] > kCityMaxX) continue;
            Cell c{xs[i], ys[j], xs[i + 1], ys[j + 1], Ground::Block, -1};
            const float cx = 0.5f * (c.x0 + c.x1), cy = 0.5f * (c.y0 + c.y1);
            c.ground = GroundAt(cx, cy);
            if (c.ground == Ground::Road)
                for (std::size_t k = 0; k < streets.size(); ++k)
                    if (Covers(streets[k], Along(streets[k], cx, cy)) && Across(streets[k], cx, cy) < streets[k].roadHalf)
                        c.street = int(k);
            cells.push_back(c);
        }
    }
    return cells;
}

bool KeptClear(float x0, float y0, float x1, float y1) {
    // The railway corridor (the viaduct and its trains) and the plaza.
    if (y0 < kRailY + 200.0f && y1 > kRailY - 200.0f) return true;
    return Overlap(kPlaza, x0, y0, x1, y1);
}

}  // namespace assets::city

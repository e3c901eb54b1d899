#include "tools/assets/city/city_buildings.h"

#include <algorithm>
#include <cmath>

#include "tools/assets/city/city_shapes.h"
#include "tools/assets/city/city_textures.h"
#include "tools/assets/core/mesh_build.h"
#include "tools/assets/core/noise.h"

namespace assets::city {
namespace {

float Width(const Rect& r) { return r.x1 - r.x0; }
float Depth(const Rect& r) { return r.y1 - r.y0; }
bool Overlaps(const Rect& a, const Rect& b) { return a.x0 < b.x1 && a.x1 > b.x0 && a.y0 < b.y1 && a.y1 > b.y0; }

// The buildings placed by hand: where the scene's effects and characters need them.
std::vector<Building> SpecialBuildings() {
    return {
        {kTower, kTowerRoofZ, int(Facade::CoolOffice), true, false, 0, 901u},
        {kChimneyHouse, kChimneyHouseRoofZ, int(Facade::Brick), true, false, 0, 902u},
        {kPraiseHouse, kPraiseRoofZ, int(Facade::WarmOffice), true, false, 0, 903u},
        {kClimbHouse, kClimbHouseRoofZ, int(Facade::Brick), false, false, 1, 904u},
    };
}

// The largest piece of `lot` left beside `hole`, or an empty rect.
Rect Beside(const Rect& lot, const Rect& hole) {
    const Rect pieces[4] = {{lot.x0, lot.y0, hole.x0 - 10.0f, lot.y1},
                            {hole.x1 + 10.0f, lot.y0, lot.x1, lot.y1},
                            {lot.x0, lot.y0, lot.x1, hole.y0 - 10.0f},
                            {lot.x0, hole.y1 + 10.0f, lot.x1, lot.y1}};
    Rect best{0, 0, 0, 0};
    float area = 0.0f;
    for (const Rect& p : pieces) {
        if (Width(p) < 90.0f || Depth(p) < 90.0f) continue;
        if (Width(p) * Depth(p) > area) area = Width(p) * Depth(p), best = p;
    }
    return best;
}

void SplitLots(const Rect& r, Random& random, std::vector<Rect>& out) {
    const float w = Width(r), d = Depth(r);
    const float limit = random.Range(260.0f, 460.0f);
    if (w < 90.0f || d < 90.0f) return;
    if (w <= limit && d <= limit) {
        out.push_back(r);
        return;
    }
    const float gap = random.Chance(0.35f) ? random.Range(12.0f, 30.0f) : 0.0f;
    const float t = random.Range(0.35f, 0.65f);
    if (w >= d) {
        const float x = r.x0 + w * t;
        SplitLots({r.x0, r.y0, x - 0.5f * gap, r.y1}, random, out);
        SplitLots({x + 0.5f * gap, r.y0, r.x1, r.y1}, random, out);
    } else {
        const float y = r.y0 + d * t;
        SplitLots({r.x0, r.y0, r.x1, y - 0.5f * gap}, random, out);
        SplitLots({r.x0, y + 0.5f * gap, r.x1, r.y1}, random, out);
    }
}

float DistanceToSegment(float x, float y, float ax, float ay, float bx, float by) {
    const float dx = bx - ax, dy = by - ay;
    const float t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return std::hypot(x - (ax + t * dx), y - (ay + t * dy));
}

float PlannedHeight(const Rect& r, Random& random) {
    const float cx = 0.5f * (r.x0 + r.x1), cy = 0.5f * (r.y0 + r.y1);
    // Downtown rises east of the avenue around the tower; the outskirts are low.
    const float dx = (cx - 700.0f) / 1700.0f, dy = (cy + 700.0f) / 2600.0f;
    const float centre = std::exp(-(dx * dx + dy * dy));
    float h = 140.0f + 760.0f * centre * random.Range(0.55f, 1.15f) + random.Range(0.0f, 160.0f);
    // Tall walls on both sides of the avenue where the camera looks up at the sky.
    const bool besideAvenue = (cx > -1320.0f && cx < -900.0f) || (cx > 100.0f && cx < 720.0f);
    if (besideAvenue && cy > -2300.0f && cy < -1150.0f) h = random.Range(900.0f, 1060.0f);
    h = std::min(h, HeightLimit(cx, cy));
    return 18.0f + std::round(h / kCellUnits) * kCellUnits + 1.0f;  // whole floors above the pavement
}

int ChooseFacade(float height, Random& random) {
    if (height > 560.0f) return random.Chance(0.5f) ? int(Facade::WarmOffice) : int(Facade::CoolOffice);
    if (height > 300.0f) return random.Chance(0.5f) ? int(Facade::Panel) : int(Facade::Brick);
    return random.Chance(0.7f) ? int(Facade::Brick) : int(Facade::Panel);
}

Material TexturedMaterial(const std::string& texture, float diffuse, float emissive) {
    Material m;
    m.diffuse = {diffuse, diffuse, diffuse, 1.0f};
    m.emissive = {emissive, emissive, emissive, 1.0f};
    m.texture = texture;
    return m;
}

}  // namespace

float HeightLimit(float x, float y) {
    float limit = 1060.0f;
    // The praise camera glides at z 1090 from (1900, -1500) to (1400, -1000).
    if (DistanceToSegment(x, y, 2225.0f, -1570.0f, 1400.0f, -1000.0f) < 260.0f) limit = 960.0f;
    // The opening flight looks out over the western blocks from z 845.
    if (x < -1700.0f) limit = std::min(limit, 420.0f);
    else if (x < -1320.0f) limit = std::min(limit, 780.0f);
    return limit;
}

std::vector<Building> PlanBuildings() {
    std::vector<Building> buildings;
    const std::vector<Building> special = SpecialBuildings();
    Random random(0xC17Eu);
    for (const Cell& cell : GroundCells()) {
        if (cell.ground != Ground::Block) continue;
        const Rect r{cell.x0, cell.y0, cell.x1, cell.y1};
        if (KeptClear(r.x0, r.y0, r.x1, r.y1)) continue;
        std::vector<Rect> lots;
        SplitLots(r, random, lots);
        for (Rect lot : lots) {
            bool skip = false;
            std::vector<Rect> holes{kSparkAlley};
            for (const Building& s : special) holes.push_back(s.footprint);
            for (const Rect& hole : holes) {
                if (!Overlaps(lot, hole)) continue;
                lot = Beside(lot, hole);
                if (Width(lot) <= 0.0f) skip = true;
            }
            if (skip) continue;
            Building b;
            b.footprint = lot;
            b.height = PlannedHeight(lot, random);
            b.facade = ChooseFacade(b.height, random);
            b.shops = b.height > 220.0f && random.Chance(0.7f);
            b.setback = b.height > 480.0f && random.Chance(0.45f);
            b.roofKit = random.Int(0, 2);
            b.seed = random.Next();
            buildings.push_back(b);
        }
    }
    buildings.insert(buildings.end(), special.begin(), special.end());
    return buildings;
}

void AddBuilding(Mesh& mesh, const Building& b) {
    Random random(b.seed);
    const Rect& f = b.footprint;
    const std::uint32_t facade =
        AddMaterial(mesh, TexturedMaterial(FacadeTexture(Facade(b.facade)), 0.8f, 0.22f));
    const std::uint32_t roof = AddMaterial(mesh, TexturedMaterial(kRoofTexture, 0.85f, 0.12f));
    const std::uint32_t concrete = AddMaterial(mesh, TexturedMaterial(kConcreteTexture, 0.8f, 0.1f));
    SideMapping walls;
    walls.uOffset = float(random.Int(0, kFacadeBays - 1)) / kFacadeBays;
    walls.vOffset = float(random.Int(0, kFacadeFloors - 1)) / kFacadeFloors;
    float base = kPavementZ;
    if (b.shops) {
        const std::uint32_t shop = AddMaterial(mesh, TexturedMaterial(kShopTexture, 0.8f, 0.25f));
        SideMapping front;
        front.uPerUnit = 1.0f / 400.0f;
        front.vPerUnit = 1.0f / 200.0f;
        front.vOffset = 1.0f;
        front.uOffset = random.Unit();
        AddBlock(mesh, f.x0, f.y0, f.x1, f.y1, base, 18.0f + kCellUnits, shop, front, -1);
        base = 18.0f + kCellUnits;
    }
    Rect top = f;
    if (b.setback) {
        const float lower = 18.0f + std::round((b.height - 18.0f) * 0.7f / kCellUnits) * kCellUnits;
        AddBlock(mesh, f.x0, f.y0, f.x1, f.y1, base, lower, facade, walls, int(roof));
        const float inset = 0.15f * std::min(Width(f), Depth(f));
        top = {f.x0 + inset, f.y0 + inset, f.x1 - inset, f.y1 - inset};
        base = lower;
    }
    // The walls rise a little above the roof into a parapet: inner faces and a rim on top.
    const float rim = 5.0f, rise = 8.0f;
    AddBlock(mesh, top.x0, top.y0, top.x1, top.y1, base, b.height + rise, facade, walls, -1);
    const Rect in{top.x0 + rim, top.y0 + rim, top.x1 - rim, top.y1 - rim};
    const float t = 1.0f / 400.0f;
    const D3DXVECTOR2 roofUv[4] = {{in.x0 * t, in.y0 * t}, {in.x1 * t, in.y0 * t}, {in.x1 * t, in.y1 * t},
                                   {in.x0 * t, in.y1 * t}};
    AddFloor(mesh, in.x0, in.y0, in.x1, in.y1, b.height, roof, roofUv);
    const float ix[4] = {in.x0, in.x0, in.x1, in.x1}, iy[4] = {in.y0, in.y1, in.y1, in.y0};
    const float ox[4] = {top.x0, top.x0, top.x1, top.x1}, oy[4] = {top.y0, top.y1, top.y1, top.y0};
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        // Walked clockwise, so the inner faces look into the roof.
        AddWall(mesh, ix[i], iy[i], ix[j], iy[j], b.height, b.height + rise, concrete, 0.0f, 1.0f, 0.0f, 0.05f);
        const D3DXVECTOR3 p[4] = {{ox[i], oy[i], b.height + rise}, {ix[i], iy[i], b.height + rise},
                                  {ix[j], iy[j], b.height + rise}, {ox[j], oy[j], b.height + rise}};
        const D3DXVECTOR2 uv[4] = {{0, 0}, {0, 0.02f}, {1, 0.02f}, {1, 0}};
        AddQuad(mesh, p, uv, roof);
    }
    SideMapping plain;
    plain.uPerUnit = plain.vPerUnit = 1.0f / 256.0f;
    const float w = Width(top), d = Depth(top);
    if (b.roofKit >= 1 && w > 120.0f && d > 120.0f) {
        const float mw = w * random.Range(0.25f, 0.4f), md = d * random.Range(0.25f, 0.4f);
        const float mx = top.x0 + random.Range(20.0f, w - mw - 20.0f), my = top.y0 + random.Range(20.0f, d - md - 20.0f);
        AddBlock(mesh, mx, my, mx + mw, my + md, b.height, b.height + random.Range(30.0f, 55.0f), concrete, plain,
                 int(roof));
        if (b.roofKit == 2) {
            const float tx = mx > top.x0 + 0.5f * w ? top.x0 + 45.0f : top.x1 - 45.0f;
            const float ty = my > top.y0 + 0.5f * d ? top.y0 + 45.0f : top.y1 - 45.0f;
            const std::vector<D3DXVECTOR2> tank = {{24, 0}, {24, 40}, {26, 42}, {24, 56}, {0, 64}};
            AddLathe(mesh, tank, 8, concrete, Translation(tx, ty, b.height + 24.0f));
            AddBlock(mesh, tx - 20.0f, ty - 20.0f, tx + 20.0f, ty + 20.0f, b.height, b.height + 24.0f, concrete, plain, -1);
        }
    }
}

}  // namespace assets::city

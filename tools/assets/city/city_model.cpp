#include "tools/assets/city/city_model.h"

#include <cmath>

#include "tools/assets/city/city_buildings.h"
#include "tools/assets/city/city_layout.h"
#include "tools/assets/city/city_shapes.h"
#include "tools/assets/city/city_textures.h"
#include "tools/assets/city/city_vehicles.h"
#include "tools/assets/core/noise.h"
#include "tools/assets/core/mesh_build.h"

namespace assets::city {
namespace {

Material Textured(const std::string& texture, float diffuse, float emissive) {
    Material m;
    m.diffuse = {diffuse, diffuse, diffuse, 1.0f};
    m.emissive = {emissive, emissive, emissive, 1.0f};
    m.texture = texture;
    return m;
}

Material Plain(float r, float g, float b, float emissive) {
    Material m;
    m.diffuse = {r, g, b, 1.0f};
    m.emissive = {r * emissive, g * emissive, b * emissive, 1.0f};
    return m;
}

bool IsRoad(Ground g) { return g == Ground::Road || g == Ground::Crossing; }

void AddGround(Mesh& mesh) {
    const std::uint32_t road2 = AddMaterial(mesh, Textured(kRoad2Texture, 0.85f, 0.15f));
    const std::uint32_t road4 = AddMaterial(mesh, Textured(kRoad4Texture, 0.85f, 0.15f));
    const std::uint32_t crossing = AddMaterial(mesh, Textured(kCrossingTexture, 0.85f, 0.15f));
    const std::uint32_t pavement = AddMaterial(mesh, Textured(kPavementTexture, 0.85f, 0.12f));
    const std::uint32_t plaza = AddMaterial(mesh, Textured(kPlazaTexture, 0.85f, 0.12f));
    const std::uint32_t kerb = AddMaterial(mesh, Textured(kConcreteTexture, 0.8f, 0.1f));
    const auto& streets = Streets();
    for (const Cell& c : GroundCells()) {
        if (c.ground == Ground::Road) {
            const Street& s = streets[std::size_t(c.street)];
            const float lo = s.centre - s.roadHalf, span = 2.0f * s.roadHalf, rep = 1.0f / 400.0f;
            D3DXVECTOR2 uv[4];
            if (s.northSouth) {
                const float u0 = (c.x0 - lo) / span, u1 = (c.x1 - lo) / span;
                uv[0] = {u0, c.y0 * rep}, uv[1] = {u1, c.y0 * rep}, uv[2] = {u1, c.y1 * rep}, uv[3] = {u0, c.y1 * rep};
            } else {
                const float u0 = (c.y0 - lo) / span, u1 = (c.y1 - lo) / span;
                uv[0] = {u0, c.x0 * rep}, uv[1] = {u0, c.x1 * rep}, uv[2] = {u1, c.x1 * rep}, uv[3] = {u1, c.x0 * rep};
            }
            AddFloor(mesh, c.x0, c.y0, c.x1, c.y1, kRoadZ, s.wide ? road4 : road2, uv);
        } else if (c.ground == Ground::Crossing) {
            const D3DXVECTOR2 uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            AddFloor(mesh, c.x0, c.y0, c.x1, c.y1, kRoadZ, crossing, uv);
        } else {
            const bool open = c.ground == Ground::Block && c.x0 >= kPlaza.x0 && c.x1 <= kPlaza.x1 &&
                              c.y0 >= kPlaza.y0 && c.y1 <= kPlaza.y1;
            const float t = 1.0f / 256.0f;
            const D3DXVECTOR2 uv[4] = {{c.x0 * t, c.y0 * t}, {c.x1 * t, c.y0 * t}, {c.x1 * t, c.y1 * t}, {c.x0 * t, c.y1 * t}};
            AddFloor(mesh, c.x0, c.y0, c.x1, c.y1, kPavementZ, open ? plaza : pavement, uv);
            // Kerb faces toward the roads around the cell.
            const float mx = 0.5f * (c.x0 + c.x1), my = 0.5f * (c.y0 + c.y1);
            const float ax[4] = {c.x0, c.x1, c.x1, c.x0}, ay[4] = {c.y0, c.y0, c.y1, c.y1};
            const float px[4] = {mx, c.x1 + 1.0f, mx, c.x0 - 1.0f}, py[4] = {c.y0 - 1.0f, my, c.y1 + 1.0f, my};
            for (int i = 0; i < 4; ++i)
                if (IsRoad(GroundAt(px[i], py[i])))
                    AddWall(mesh, ax[i], ay[i], ax[(i + 1) % 4], ay[(i + 1) % 4], kRoadZ, kPavementZ, kerb, 0, 1, 0, 0.01f);
        }
    }
    // Snow fields round the city, below the streets so they never meet them.
    const std::uint32_t snow = AddMaterial(mesh, Textured(kSnowTexture, 0.6f, 0.0f));
    const float t = 1.0f / 1024.0f, X0 = -9000, X1 = 11000, Y0 = -10000, Y1 = 14000;
    const D3DXVECTOR2 uv[4] = {{X0 * t, Y0 * t}, {X1 * t, Y0 * t}, {X1 * t, Y1 * t}, {X0 * t, Y1 * t}};
    AddFloor(mesh, X0, Y0, X1, Y1, 12.0f, snow, uv);
}

void AddLamps(Mesh& mesh) {
    const std::uint32_t metal = AddMaterial(mesh, Plain(0.16f, 0.17f, 0.19f, 0.4f));
    Material glow = Plain(1.0f, 0.9f, 0.6f, 1.0f);
    const std::uint32_t head = AddMaterial(mesh, glow);
    SideMapping m;
    for (float y : kLampYs) {
        const float px = kLampX - 40.0f;
        AddBlock(mesh, px - 5, y - 5, px + 5, y + 5, kPavementZ, kLampHeadZ + 14.0f, metal, m, int(metal));
        AddBlock(mesh, px + 5, y - 3, kLampX + 8, y + 3, kLampHeadZ + 8.0f, kLampHeadZ + 13.0f, metal, m, int(metal));
        AddBlock(mesh, kLampX - 16, y - 9, kLampX + 16, y + 9, kLampHeadZ - 6.0f, kLampHeadZ + 8.0f, head, m, int(metal));
        AddBlock(mesh, px - 9, y - 9, px + 9, y + 9, kPavementZ, kPavementZ + 30.0f, metal, m, int(metal));  // foot
    }
}

void AddViaduct(Mesh& mesh) {
    const std::uint32_t concrete = AddMaterial(mesh, Textured(kConcreteTexture, 0.8f, 0.12f));
    const std::uint32_t rail = AddMaterial(mesh, Textured(kRailTexture, 0.85f, 0.12f));
    const std::uint32_t steel = AddMaterial(mesh, Plain(0.5f, 0.52f, 0.55f, 0.3f));
    const float y0 = kRailY - 70.0f, y1 = kRailY + 70.0f;
    SideMapping m;
    m.uPerUnit = m.vPerUnit = 1.0f / 256.0f;
    AddBlock(mesh, kRailFromX, y0, kRailToX, y1, kDeckBottomZ, kDeckTopZ, concrete, m, -1);
    // The underside, facing down.
    {
        const D3DXVECTOR3 p[4] = {{kRailFromX, y0, kDeckBottomZ}, {kRailFromX, y1, kDeckBottomZ},
                                  {kRailToX, y1, kDeckBottomZ}, {kRailToX, y0, kDeckBottomZ}};
        const D3DXVECTOR2 uv[4] = {{0, 0}, {0, 0.5f}, {30, 0.5f}, {30, 0}};
        AddQuad(mesh, p, uv, concrete);
    }
    // Track beds: u across one track (70 units), v along every 140 units.
    for (int track = 0; track < 2; ++track) {
        const float a = y0 + 70.0f * track, b = a + 70.0f, rep = 1.0f / 140.0f;
        const D3DXVECTOR2 uv[4] = {{0, kRailFromX * rep}, {0, kRailToX * rep}, {1, kRailToX * rep}, {1, kRailFromX * rep}};
        AddFloor(mesh, kRailFromX, a, kRailToX, b, kDeckTopZ, rail, uv);
        const float centre = kRailY + (track == 0 ? -kTrackOffset : kTrackOffset);
        for (float side : {-21.5f, 21.5f})
            AddBlock(mesh, kRailFromX, centre + side - 1.5f, kRailToX, centre + side + 1.5f, kDeckTopZ, kRailTopZ,
                     steel, m, int(steel));
    }
    // Low walls along the deck edges.
    AddBlock(mesh, kRailFromX, y0, kRailToX, y0 + 5.0f, kDeckTopZ, kDeckTopZ + 16.0f, concrete, m, int(concrete));
    AddBlock(mesh, kRailFromX, y1 - 5.0f, kRailToX, y1, kDeckTopZ, kDeckTopZ + 16.0f, concrete, m, int(concrete));
    // Piers on the road's centre line, never inside a crossing street.
    for (float x = kRailFromX + 150.0f; x < kRailToX; x += 420.0f) {
        if (GroundAt(x, kRailY) == Ground::Crossing || GroundAt(x - 40.0f, kRailY) == Ground::Crossing ||
            GroundAt(x + 40.0f, kRailY) == Ground::Crossing)
            continue;
        const float z0 = (x < kCityMinX || x > kCityMaxX) ? 12.0f : kRoadZ;
        AddBlock(mesh, x - 16, kRailY - 45, x + 16, kRailY + 45, z0, kDeckBottomZ, concrete, m, -1);
    }
}

void AddFittings(Mesh& mesh) {
    const std::uint32_t metal = AddMaterial(mesh, Plain(0.12f, 0.12f, 0.13f, 0.3f));
    const std::uint32_t concrete = AddMaterial(mesh, Textured(kConcreteTexture, 0.8f, 0.12f));
    const std::uint32_t red = AddMaterial(mesh, Plain(1.0f, 0.2f, 0.15f, 0.9f));
    SideMapping m;
    m.uPerUnit = m.vPerUnit = 1.0f / 256.0f;
    // The steaming street vent in the avenue.
    AddBlock(mesh, kVentX - 32, kVentY - 32, kVentX + 32, kVentY + 32, kRoadZ, kRoadZ + 1.5f, metal, m, int(metal));
    // The chimney on the brick house (smoke rises from its mouth).
    const std::vector<D3DXVECTOR2> chimney = {{30, 0}, {24, 60}, {18, 60}, {18, 40}, {0, 40}};
    AddLathe(mesh, chimney, 12, concrete, Translation(kChimneyX, kChimneyY, kChimneyTopZ - 60.0f));
    // Masts for the warning lights on the tower's roof, on a beam across it.
    const float roof = kTowerRoofZ;
    for (std::size_t j = 0; j < kMastCount; ++j) {
        const float x = kFirstMastX - kMastStep * j, y = kMastStep * j + kFirstMastY;
        AddBlock(mesh, x - 3, y - 3, x + 3, y + 3, roof, kMastTopZ, metal, m, int(red));
    }
    for (std::size_t j = 0; j + 1 < kMastCount; ++j) {
        const float x = kFirstMastX - kMastStep * j, y = kMastStep * j + kFirstMastY;
        const D3DXVECTOR3 p[4] = {{x + 4, y + 4, roof + 16}, {x - 41, y + 49, roof + 16}, {x - 41, y + 49, roof + 22},
                                  {x + 4, y + 4, roof + 22}};
        const D3DXVECTOR2 uv[4] = {{0, 0}, {1, 0}, {1, 0.1f}, {0, 0.1f}};
        AddQuad(mesh, p, uv, metal);
        const D3DXVECTOR3 q[4] = {p[1], p[0], p[3], p[2]};
        AddQuad(mesh, q, uv, metal);
    }
    // The broken power line: a pole on the pavement, its cross-arm over the spark point, a
    // junction box and the cable end hanging from it.
    const float poleX = kSparkX - 35.0f, poleY = kSparkY + 15.0f;
    AddBlock(mesh, poleX - 5, poleY - 5, poleX + 5, poleY + 5, kPavementZ, 110.0f, metal, m, int(metal));
    AddBlock(mesh, poleX, poleY - 3, kSparkX + 10, poleY + 3, 96.0f, 101.0f, metal, m, int(metal));
    AddBlock(mesh, kSparkX - 8, kSparkY - 8, kSparkX + 8, poleY + 4, 74.0f, 96.0f, metal, m, int(metal));
    AddBlock(mesh, kSparkX - 1, kSparkY - 1, kSparkX + 1, kSparkY + 1, kSparkZ + 1.0f, 74.0f, metal, m, int(red));
}

// The square: snowy fir trees along its edges and an obelisk in the middle.
void AddPlaza(Mesh& mesh) {
    const std::uint32_t bark = AddMaterial(mesh, Plain(0.20f, 0.14f, 0.10f, 0.3f));
    const std::uint32_t needles = AddMaterial(mesh, Plain(0.08f, 0.20f, 0.12f, 0.35f));
    const std::uint32_t snow = AddMaterial(mesh, Plain(0.80f, 0.82f, 0.88f, 0.25f));
    const std::uint32_t stone = AddMaterial(mesh, Textured(kConcreteTexture, 0.8f, 0.15f));
    SideMapping m;
    m.uPerUnit = m.vPerUnit = 1.0f / 256.0f;
    // The changedir camera looks across the square from (1980, 3500) to the runner at
    // (980, 2150): trees and the obelisk keep out of that line of sight.
    const auto offSightLine = [](float x, float y) {
        const float dx = -1000.0f, dy = -1350.0f;
        return std::fabs((x - 1980.0f) * dy - (y - 3500.0f) * dx) / std::hypot(dx, dy) > 90.0f;
    };
    const float cx = kPlaza.x0 + 70.0f, cy = kPlaza.y1 - 200.0f;
    for (int i = 0; i < 10; ++i) {
        const float x = (i % 2 == 0) ? kPlaza.x0 + 45.0f : kPlaza.x1 - 45.0f;
        const float y = kPlaza.y0 + 90.0f + (kPlaza.y1 - kPlaza.y0 - 180.0f) * float(i / 2) / 4.0f;
        if (!offSightLine(x, y)) continue;
        const float s = 0.8f + 0.1f * float(i % 3);
        const D3DXMATRIX at = Scaling(s, s, s) * Translation(x, y, kPavementZ);
        AddLathe(mesh, {{5, 0}, {5, 30}}, 6, bark, at);
        AddLathe(mesh, {{38, 25}, {0, 85}}, 8, needles, at);
        AddLathe(mesh, {{30, 60}, {0, 115}}, 8, needles, at);
        AddLathe(mesh, {{20, 98}, {0, 140}}, 8, snow, at);
    }
    AddBlock(mesh, cx - 40, cy - 40, cx + 40, cy + 40, kPavementZ, kPavementZ + 30.0f, stone, m, int(snow));
    const std::vector<D3DXVECTOR2> obelisk = {{18, 0}, {12, 260}, {0, 290}};
    AddLathe(mesh, obelisk, 4, stone, RotationZ(0.785f) * Translation(cx, cy, kPavementZ + 30.0f));
}

// Ordinary street lamps along the pavements of the side streets (the avenue has its own).
void AddStreetLamps(Mesh& mesh) {
    const std::uint32_t metal = AddMaterial(mesh, Plain(0.16f, 0.17f, 0.19f, 0.4f));
    const std::uint32_t head = AddMaterial(mesh, Plain(1.0f, 0.85f, 0.55f, 1.0f));
    SideMapping m;
    for (const Street& s : Streets()) {
        if (s.wide) continue;
        for (float along = -4000.0f; along < 7200.0f; along += 520.0f) {
            for (float side : {-1.0f, 1.0f}) {
                const float across = s.centre + side * (s.roadHalf + 14.0f);
                const float a = along + (side > 0 ? 260.0f : 0.0f);
                const float x = s.northSouth ? across : a, y = s.northSouth ? a : across;
                if (x < kCityMinX + 50 || x > kCityMaxX - 50 || y < kCityMinY + 50 || y > kCityMaxY - 50) continue;
                if (GroundAt(x, y) != Ground::Pavement || GroundAt(x + 30, y + 30) != GroundAt(x - 30, y - 30)) continue;
                if (std::fabs(y - kRailY) < 220.0f) continue;
                const float ax = s.northSouth ? -side * 22.0f : 0.0f, ay = s.northSouth ? 0.0f : -side * 22.0f;
                AddBlock(mesh, x - 3, y - 3, x + 3, y + 3, kPavementZ, 170.0f, metal, m, int(metal));
                AddBlock(mesh, std::min(x, x + ax) - 2, std::min(y, y + ay) - 2, std::max(x, x + ax) + 2,
                         std::max(y, y + ay) + 2, 166.0f, 170.0f, metal, m, int(metal));
                AddBlock(mesh, x + ax - 7, y + ay - 7, x + ax + 7, y + ay + 7, 158.0f, 166.0f, head, m, int(metal));
            }
        }
    }
}

// Cars parked along some kerbs, lights off, clear of the shots' runners.
void AddParkedCars(Mesh& mesh) {
    struct Row {
        float x0, y0, x1, y1, heading;  // a line along a kerb
    };
    const Row rows[] = {
        {1248, 3080, 1248, 3300, 0.5f * 3.14159265f},  {1248, 3900, 1248, 4500, 0.5f * 3.14159265f},
        {-668, -700, -668, 1900, 0.5f * 3.14159265f},  {-1400, 3562, 700, 3562, 0.0f},
        {2000, -1048, 2600, -1048, 3.14159265f},
    };
    const float colours[][3] = {{0.5f, 0.1f, 0.1f}, {0.15f, 0.2f, 0.45f}, {0.6f, 0.6f, 0.62f},
                                {0.1f, 0.1f, 0.12f}, {0.35f, 0.4f, 0.3f}, {0.55f, 0.45f, 0.2f}};
    Random random(0xCA75u);
    for (const Row& r : rows) {
        const float length = std::hypot(r.x1 - r.x0, r.y1 - r.y0);
        for (float d = 0.0f; d < length; d += random.Range(150.0f, 420.0f)) {
            const float f = d / length;
            const float x = r.x0 + (r.x1 - r.x0) * f, y = r.y0 + (r.y1 - r.y0) * f;
            if (GroundAt(x, y) != Ground::Road) continue;
            const float* c = colours[random.Int(0, 5)];
            const Mesh car = CarMesh("parked", c[0], c[1], c[2], false);
            Append(mesh, car, RotationZ(r.heading) * Translation(x, y, kRoadZ));
        }
    }
}

}  // namespace

Mesh BuildCityMesh() {
    Mesh mesh;
    mesh.name = "city";
    AddGround(mesh);
    for (const Building& b : PlanBuildings()) AddBuilding(mesh, b);
    AddLamps(mesh);
    AddViaduct(mesh);
    AddFittings(mesh);
    AddPlaza(mesh);
    AddStreetLamps(mesh);
    AddParkedCars(mesh);
    return mesh;
}

Model BuildCityModel() {
    Model model;
    model.meshes.push_back(BuildCityMesh());
    return model;
}

}  // namespace assets::city

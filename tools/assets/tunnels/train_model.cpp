#include "tools/assets/tunnels/train_model.h"

#include <cmath>

#include "tools/assets/core/mesh_build.h"
#include "tools/assets/tunnels/surface.h"
#include "tools/assets/tunnels/tunnel_layout.h"

namespace assets::tunnels {
namespace {

constexpr float kBottomZ = -50.0f;

// The car body's outline (x, z) from the left skirt over the roof to the right skirt.
std::vector<D3DXVECTOR2> BodyOutline() {
    const float w = kTrainHalfWidth;
    return {{-w, kBottomZ}, {-w - 1, -22},  {-w - 1, -8}, {-w - 0.5f, 22}, {-w, 26},  {-37, 35},
            {-30, 42},      {-16, 46},      {0, kTrainRoofZ}, {16, 46},    {30, 42},  {37, 35},
            {w, 26},        {w + 0.5f, 22}, {w + 1, -8},  {w + 1, -22},    {w, kBottomZ}};
}

// The outline of a cab end, pulled in toward the nose: `k` = 0 at the very end, 1 full size.
D3DXVECTOR2 Pulled(const D3DXVECTOR2& p, float k) {
    const float sx = 0.9f + 0.1f * k;
    const float top = p.y > 0.0f ? p.y * (0.72f + 0.28f * k) : p.y;
    return {p.x * sx, top};
}

struct Materials {
    std::uint32_t body, windows, cab, under, wheel, head, tail, glass;
};

// One car from y0 to y1; cab ends round off at the outer ends of the train.
void AddCar(Mesh& mesh, const Materials& m, float y0, float y1, bool cabAtStart, bool cabAtEnd) {
    const std::vector<D3DXVECTOR2> outline = BodyOutline();
    // Stations along the car: dense near cab ends (the nose shape), a few in between so the
    // moving lamps light the sides.
    std::vector<std::pair<float, float>> stations;  // (y, pull)
    const float nose[] = {0.0f, 5.0f, 14.0f, 30.0f};
    const float pull[] = {0.0f, 0.55f, 0.85f, 1.0f};
    if (cabAtStart)
        for (int i = 0; i < 4; ++i) stations.push_back({y0 + nose[i], pull[i]});
    else
        stations.push_back({y0, 1.0f});
    const float a = stations.back().first, b = cabAtEnd ? y1 - 30.0f : y1;
    for (int i = 1; i <= 8; ++i) stations.push_back({a + (b - a) * float(i) / 8.0f, 1.0f});
    if (cabAtEnd)
        for (int i = 2; i >= 0; --i) stations.push_back({y1 - nose[i], pull[i]});

    const float length = y1 - y0;
    // Sides in three bands: lower body, window band (glowing), upper body and roof.
    const auto band = [&](std::size_t from, std::size_t to, std::uint32_t material) {
        Lattice g(int(stations.size()) - 1, int(to - from));
        for (std::size_t r = 0; r < stations.size(); ++r)
            for (std::size_t c = from; c <= to; ++c) {
                const D3DXVECTOR2 q = Pulled(outline[c], stations[r].second);
                const D3DXVECTOR3 p(q.x, stations[r].first, q.y);
                g.Set(int(r), int(c - from), p, {p.x, 0.0f, p.y + 20.0f},
                      D3DXVECTOR2((stations[r].first - y0) / length, (kTrainRoofZ - q.y) / (kTrainRoofZ - kBottomZ)));
            }
        AddLattice(mesh, g, material, 0.9f);
    };
    const std::size_t n = outline.size();
    band(0, 2, m.body);
    band(2, 3, m.windows);
    band(3, n - 4, m.body);
    band(n - 4, n - 3, m.windows);
    band(n - 3, n - 1, m.body);

    // End faces: cab fronts get the cab picture, inner ends the plain body.
    for (int end = 0; end < 2; ++end) {
        const bool cab = end == 0 ? cabAtStart : cabAtEnd;
        const float y = end == 0 ? y0 : y1;
        std::vector<D3DXVECTOR3> polygon;
        for (const D3DXVECTOR2& q : outline) {
            const D3DXVECTOR2 e = Pulled(q, cab ? 0.0f : 1.0f);
            polygon.push_back({e.x, y, e.y});
        }
        const float s = 1.0f / (2.0f * kTrainHalfWidth + 2.0f);
        AddCapFacing(mesh, polygon, cab ? m.cab : m.body, {0.0f, end == 0 ? -1.0f : 1.0f, 0.0f},
                     {end == 0 ? s : -s, 0, 0}, 0.5f, {0, 0, -1.0f / (kTrainRoofZ - kBottomZ)},
                     kTrainRoofZ / (kTrainRoofZ - kBottomZ));
    }
    // Underframe and bogies with wheels on the rails.
    AddBox(mesh, {-34.0f, y0 + 20.0f, kBottomZ - 4.0f}, {34.0f, y1 - 20.0f, kBottomZ}, m.under, 1.0f / 40.0f);
    const float wheelR = 11.0f, axleZ = kTrainWheelBottomZ + wheelR;
    for (float bogie : {y0 + 90.0f, y1 - 90.0f}) {
        AddBox(mesh, {-30.0f, bogie - 45.0f, axleZ - 3.0f}, {30.0f, bogie + 45.0f, kBottomZ - 4.0f}, m.under,
               1.0f / 40.0f);
        for (float axle : {bogie - 28.0f, bogie + 28.0f})
            for (float side : {-kHalfGauge, kHalfGauge}) {
                // A wheel: a lathe about X, the flange on the inside.
                const float inner = side < 0 ? 1.0f : -1.0f;
                const std::vector<D3DXVECTOR2> profile = {
                    {0.0f, -2.5f}, {wheelR, -2.5f}, {wheelR, 2.5f}, {wheelR + 1.5f, 2.5f}, {wheelR + 1.5f, 3.5f},
                    {0.0f, 3.5f}};
                AddLathe(mesh, profile, 10, m.wheel,
                         Scaling(1, 1, inner) * RotationY(1.5707963f) * Translation(side, axle, axleZ));
            }
    }
}

void AddLamp(Mesh& mesh, const D3DXVECTOR3& centre, float outward, std::uint32_t lamp, std::uint32_t rim) {
    // A lamp lens just proud of the cab face, in a dark rim.
    AddBox(mesh, {centre.x - 6.0f, centre.y - 1.0f, centre.z - 4.0f}, {centre.x + 6.0f, centre.y + 1.0f, centre.z + 4.0f},
           rim, 1.0f / 40.0f);
    const float face = centre.y + outward * 1.5f;
    AddBox(mesh, {centre.x - 4.5f, std::min(face, centre.y), centre.z - 2.8f},
           {centre.x + 4.5f, std::max(face, centre.y), centre.z + 2.8f}, lamp, 1.0f / 40.0f);
}

}  // namespace

Model TrainModel() {
    Mesh mesh;
    mesh.name = "train";
    Materials m{};
    Material body;
    body.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    body.texture = "train_body.jpg";
    body.specular = {0.5f, 0.5f, 0.5f, 1.0f};
    body.power = 20.0f;
    m.body = AddMaterial(mesh, body);
    Material windows = body;
    windows.emissive = {0.55f, 0.5f, 0.4f, 1.0f};  // lit from inside
    m.windows = AddMaterial(mesh, windows);
    Material cab = body;
    cab.texture = "train_front.jpg";
    m.cab = AddMaterial(mesh, cab);
    Material under;
    under.diffuse = {0.13f, 0.13f, 0.14f, 1.0f};
    m.under = AddMaterial(mesh, under);
    Material wheel;
    wheel.diffuse = {0.3f, 0.29f, 0.28f, 1.0f};
    wheel.specular = {0.8f, 0.8f, 0.8f, 1.0f};
    wheel.power = 25.0f;
    m.wheel = AddMaterial(mesh, wheel);
    Material head;
    head.diffuse = {1.0f, 0.95f, 0.8f, 1.0f};
    head.emissive = {1.0f, 0.95f, 0.8f, 1.0f};
    m.head = AddMaterial(mesh, head);
    Material tail;
    tail.diffuse = {1.0f, 0.08f, 0.05f, 1.0f};
    tail.emissive = {1.0f, 0.08f, 0.05f, 1.0f};
    m.tail = AddMaterial(mesh, tail);

    // Three cars with short gangways between them.
    const float gap = 15.0f;
    const float length = (kTrainTailY - kTrainNoseY - 2.0f * gap) / 3.0f;
    for (int car = 0; car < 3; ++car) {
        const float y0 = kTrainNoseY + float(car) * (length + gap);
        AddCar(mesh, m, y0, y0 + length, car == 0, car == 2);
        if (car < 2)
            AddBox(mesh, {-24.0f, y0 + length, -44.0f}, {24.0f, y0 + length + gap, 32.0f}, m.under, 1.0f / 40.0f);
    }
    // Headlights at the nose, tail lights at the rear, where the scene puts its flares.
    for (const D3DXVECTOR3& h : kHeadlights) AddLamp(mesh, {h.x, kTrainNoseY, h.z}, -1.0f, m.head, m.under);
    for (const D3DXVECTOR3& t : kTailLights) AddLamp(mesh, {t.x, kTrainTailY, t.z}, 1.0f, m.tail, m.under);

    Model model;
    model.meshes.push_back(std::move(mesh));
    return model;
}

}  // namespace assets::tunnels

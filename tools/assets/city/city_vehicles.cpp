#include "tools/assets/city/city_vehicles.h"

#include <algorithm>
#include <cmath>

#include "tools/assets/city/city_layout.h"
#include "tools/assets/core/mesh_build.h"

namespace assets::city {
namespace {

constexpr float kPi = 3.14159265f;

Material Paint(float r, float g, float b, float glow) {
    Material m;
    m.diffuse = {r, g, b, 1.0f};
    m.emissive = {r * glow, g * glow, b * glow, 1.0f};
    m.specular = {0.4f, 0.4f, 0.4f, 1.0f};
    m.power = 20.0f;
    return m;
}

// A hexahedron from its bottom corners b[0..3] and top corners t[0..3], each listed
// counter-clockwise seen from above, with flat outward faces.
void AddHex(Mesh& mesh, const D3DXVECTOR3 (&b)[4], const D3DXVECTOR3 (&t)[4], std::uint32_t material, bool bottom = true) {
    const D3DXVECTOR2 uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const D3DXVECTOR3 top[4] = {t[0], t[1], t[2], t[3]};
    AddQuad(mesh, top, uv, material);
    if (bottom) {
        const D3DXVECTOR3 q[4] = {b[0], b[3], b[2], b[1]};
        AddQuad(mesh, q, uv, material);
    }
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        const D3DXVECTOR3 q[4] = {b[i], b[j], t[j], t[i]};
        AddQuad(mesh, q, uv, material);
    }
}

void AddSlab(Mesh& mesh, float x0, float x1, float y0, float y1, float z0, float z1, std::uint32_t material) {
    const D3DXVECTOR3 b[4] = {{x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, {x0, y1, z0}};
    const D3DXVECTOR3 t[4] = {{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}};
    AddHex(mesh, b, t, material);
}

void AddWheel(Mesh& mesh, float x, float y, float radius, float width, std::uint32_t material) {
    const float h = 0.5f * width;
    const std::vector<D3DXVECTOR2> profile = {{0, -h}, {radius, -h}, {radius, h}, {0, h}};
    AddLathe(mesh, profile, 8, material, RotationX(0.5f * kPi) * Translation(x, y, radius));
}

}  // namespace

Mesh CarMesh(const std::string& name, float r, float g, float b, bool lightsOn) {
    Mesh mesh;
    mesh.name = name;
    const std::uint32_t body = AddMaterial(mesh, Paint(r, g, b, 0.35f));
    const std::uint32_t glass = AddMaterial(mesh, Paint(0.10f, 0.13f, 0.18f, 0.6f));
    const std::uint32_t tyre = AddMaterial(mesh, Paint(0.05f, 0.05f, 0.05f, 0.3f));
    const float lamp = lightsOn ? 1.0f : 0.15f;
    const std::uint32_t head = AddMaterial(mesh, Paint(1.0f, 0.97f, 0.85f, lamp));
    const std::uint32_t tail = AddMaterial(mesh, Paint(1.0f, 0.08f, 0.05f, lamp));
    // Lower body, bonnet slightly lower than the boot line.
    const D3DXVECTOR3 lb[4] = {{-65, -30, 8}, {65, -30, 8}, {65, 30, 8}, {-65, 30, 8}};
    const D3DXVECTOR3 lt[4] = {{-64, -29, 29}, {63, -29, 26}, {63, 29, 26}, {-64, 29, 29}};
    AddHex(mesh, lb, lt, body);
    // Cabin with raked screens.
    const D3DXVECTOR3 cb[4] = {{-38, -27, 27.5f}, {28, -27, 26.5f}, {28, 27, 26.5f}, {-38, 27, 27.5f}};
    const D3DXVECTOR3 ct[4] = {{-28, -23, 47}, {8, -23, 47}, {8, 23, 47}, {-28, 23, 47}};
    AddHex(mesh, cb, ct, glass, false);
    const D3DXVECTOR3 rb[4] = {{-28.5f, -23.5f, 46.5f}, {8.5f, -23.5f, 46.5f}, {8.5f, 23.5f, 46.5f}, {-28.5f, 23.5f, 46.5f}};
    const D3DXVECTOR3 rt[4] = {{-27, -22, 49}, {7, -22, 49}, {7, 22, 49}, {-27, 22, 49}};
    AddHex(mesh, rb, rt, body, false);  // roof
    for (float side : {-1.0f, 1.0f}) {
        AddSlab(mesh, 65.0f, 66.5f, side > 0 ? 14.0f : -24.0f, side > 0 ? 24.0f : -14.0f, 17.0f, 23.0f, head);
        AddSlab(mesh, -66.5f, -65.0f, side > 0 ? 16.0f : -26.0f, side > 0 ? 26.0f : -16.0f, 20.0f, 26.0f, tail);
        AddWheel(mesh, 40.0f, side * 27.0f, 11.0f, 10.0f, tyre);
        AddWheel(mesh, -40.0f, side * 27.0f, 11.0f, 10.0f, tyre);
    }
    return mesh;
}

namespace {

// A four-car train, the front car's centre at the origin, heading +X; rails at z = 0.
Mesh TrainMesh(const std::string& name) {
    Mesh mesh;
    mesh.name = name;
    const std::uint32_t body = AddMaterial(mesh, Paint(0.58f, 0.61f, 0.66f, 0.35f));
    const std::uint32_t stripe = AddMaterial(mesh, Paint(0.75f, 0.12f, 0.10f, 0.45f));
    const std::uint32_t window = AddMaterial(mesh, Paint(1.0f, 0.88f, 0.62f, 1.0f));
    const std::uint32_t dark = AddMaterial(mesh, Paint(0.08f, 0.08f, 0.09f, 0.3f));
    const std::uint32_t head = AddMaterial(mesh, Paint(1.0f, 0.97f, 0.85f, 1.0f));
    const std::uint32_t tail = AddMaterial(mesh, Paint(1.0f, 0.06f, 0.04f, 1.0f));
    const std::uint32_t cab = AddMaterial(mesh, Paint(0.12f, 0.16f, 0.22f, 0.7f));
    const D3DXVECTOR2 uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int car = 0; car < 4; ++car) {
        const float cx = -390.0f * car, x0 = cx - 190.0f, x1 = cx + 190.0f;
        const bool front = car == 0, last = car == 3;
        const float nose = front ? 22.0f : 0.0f;
        const D3DXVECTOR3 b[4] = {{x0, -40, 16}, {x1, -40, 16}, {x1, 40, 16}, {x0, 40, 16}};
        const D3DXVECTOR3 t[4] = {{x0, -40, 105}, {x1 - nose, -40, 105}, {x1 - nose, 40, 105}, {x0, 40, 105}};
        AddHex(mesh, b, t, body);
        const D3DXVECTOR3 rb[4] = {{x0 + 2, -38, 105}, {x1 - nose - 2, -38, 105}, {x1 - nose - 2, 38, 105}, {x0 + 2, 38, 105}};
        const D3DXVECTOR3 rt[4] = {{x0 + 8, -28, 114}, {x1 - nose - 8, -28, 114}, {x1 - nose - 8, 28, 114}, {x0 + 8, 28, 114}};
        AddHex(mesh, rb, rt, body, false);
        // Bogies under each end.
        for (float bx : {x0 + 55.0f, x1 - 55.0f}) AddSlab(mesh, bx - 32, bx + 32, -30, 30, 2, 16, dark);
        // Lit windows and a stripe along both sides, standing just proud of the body.
        for (float side : {-1.0f, 1.0f}) {
            const float y = side * 40.6f;
            for (int w = 0; w < 6; ++w) {
                const float wx0 = x0 + 30.0f + 55.0f * w, wx1 = wx0 + 40.0f;
                if (w == 3) {  // a door
                    const D3DXVECTOR3 door[4] = {{wx0, y, 22}, {wx1, y, 22}, {wx1, y, 95}, {wx0, y, 95}};
                    const D3DXVECTOR3 d2[4] = {door[1], door[0], door[3], door[2]};
                    AddQuad(mesh, side < 0 ? door : d2, uv, dark);
                    continue;
                }
                const D3DXVECTOR3 p[4] = {{wx0, y, 58}, {wx1, y, 58}, {wx1, y, 90}, {wx0, y, 90}};
                const D3DXVECTOR3 q[4] = {p[1], p[0], p[3], p[2]};
                AddQuad(mesh, side < 0 ? p : q, uv, window);
            }
            const D3DXVECTOR3 s[4] = {{x0, y, 40}, {x1 - (front ? 10.0f : 0.0f), y, 40},
                                      {x1 - (front ? 10.0f : 0.0f), y, 48}, {x0, y, 48}};
            const D3DXVECTOR3 s2[4] = {s[1], s[0], s[3], s[2]};
            AddQuad(mesh, side < 0 ? s : s2, uv, stripe);
        }
        if (front) {
            // Cab screen on the sloping nose, headlights low on the front.
            const D3DXVECTOR3 screen[4] = {{x1 + 0.5f, -32, 66}, {x1 + 0.5f, 32, 66}, {x1 - nose + 0.5f, 32, 102},
                                           {x1 - nose + 0.5f, -32, 102}};
            AddQuad(mesh, screen, uv, cab);
            for (float y : {-30.0f, 30.0f}) AddSlab(mesh, x1, x1 + 2.0f, y - 7, y + 7, 26, 36, head);
        }
        if (last)
            for (float y : {-30.0f, 30.0f}) AddSlab(mesh, x0 - 2.0f, x0, y - 6, y + 6, 28, 38, tail);
    }
    ComputeNormals(mesh, 0.3f);
    return mesh;
}

float Wrap(float t, float period) {
    float r = std::fmod(t, period);
    return r < 0.0f ? r + period : r;
}

// The pose of a cyclic track at time t (seconds, any value).
Waypoint Evaluate(const std::vector<Waypoint>& track, float period, float t) {
    const std::size_t n = track.size();
    if (n == 1) return {t, track[0].position, track[0].heading};
    const float start = track.front().time;
    const float local = start + Wrap(t - start, period);
    for (std::size_t i = 0; i < n; ++i) {
        const Waypoint& a = track[i];
        const Waypoint& b = i + 1 < n ? track[i + 1] : Waypoint{track[0].time + period, track[0].position, track[0].heading};
        if (local >= a.time && local <= b.time) {
            const float f = b.time > a.time ? (local - a.time) / (b.time - a.time) : 0.0f;
            return {t, a.position + (b.position - a.position) * f, a.heading + (b.heading - a.heading) * f};
        }
    }
    return {t, track[0].position, track[0].heading};
}

// A vehicle that runs once along the surface from `from` to `to` between t0 and t1, and
// travels back below the ground (out of every view) for the rest of the loop.
std::vector<Waypoint> Run(float t0, float t1, D3DXVECTOR3 from, D3DXVECTOR3 to, float heading) {
    D3DXVECTOR3 fromBelow = from, toBelow = to;
    fromBelow.z = toBelow.z = -900.0f;
    return {{t0 - 0.4f, fromBelow, heading}, {t0, from, heading}, {t1, to, heading}, {t1 + 0.4f, toBelow, heading}};
}

Frame VehicleFrame(const std::string& name, Mesh mesh) {
    Frame frame;
    frame.name = name;
    frame.meshes.push_back(std::move(mesh));
    return frame;
}

}  // namespace

D3DXQUATERNION HeadingKey(float heading) {
    // The keyframe player applies the conjugate of each stored key.
    D3DXQUATERNION q;
    const D3DXVECTOR3 up(0, 0, 1);
    D3DXQuaternionRotationAxis(&q, &up, -heading);
    return q;
}

Animation LoopAnimation(const std::string& frame, std::vector<Waypoint> track, float period,
                        std::uint32_t ticksPerSecond) {
    std::sort(track.begin(), track.end(), [](const Waypoint& a, const Waypoint& b) { return a.time < b.time; });
    std::vector<float> times{0.0f, period};
    for (const Waypoint& w : track) times.push_back(Wrap(w.time, period));
    std::sort(times.begin(), times.end());
    Animation animation;
    animation.frame = frame;
    std::uint32_t last = ~0u;
    for (float t : times) {
        const auto tick = static_cast<std::uint32_t>(std::lround(t * float(ticksPerSecond)));
        if (tick == last) continue;
        last = tick;
        const Waypoint pose = Evaluate(track, period, t == period ? 0.0f : t);
        animation.rotations.push_back({tick, HeadingKey(pose.heading)});
        animation.positions.push_back({tick, pose.position});
    }
    return animation;
}

Model BuildCarsModel() {
    Model model;
    Frame root;
    root.name = "traffic";
    const float z = kRoadZ;
    const float north = 0.5f * kPi, west = kPi, south = -0.5f * kPi, east = 0.0f;
    struct Car {
        const char* name;
        float r, g, b;
        std::vector<Waypoint> track;
    };
    std::vector<Car> cars;
    // The two that collide at the crossing of the streets x = 1900 and y = 2150: one northbound,
    // one westbound; the westbound car is thrown onto the north-west corner.
    cars.push_back({"car_red", 0.70f, 0.06f, 0.05f,
                    {{-0.4f, {1940, 500 - 10, -900}, north},
                     {0.0f, {1940, 490, z}, north},
                     {kCrashTime, {1940, 2140, z}, north},
                     {kCrashTime + 0.8f, {1922, 2205, z}, north + 0.7f},
                     {kCarPeriod - 1.0f, {1922, 2205, z}, north + 0.7f},
                     {kCarPeriod - 0.6f, {1922, 2205, -900}, north + 0.7f}}});
    cars.push_back({"car_blue", 0.10f, 0.22f, 0.62f,
                    {{-0.4f, {4010, 2225, -900}, west},
                     {0.0f, {4010, 2225, z}, west},
                     {kCrashTime, {2010, 2225, z}, west},
                     {kCrashTime + 0.6f, {1770, 2318, z}, west - 0.9f},
                     {kCrashTime + 1.2f, {1735, 2340, z}, west - 1.3f},
                     {kCarPeriod - 1.0f, {1735, 2340, z}, west - 1.3f},
                     {kCarPeriod - 0.6f, {1735, 2340, -900}, west - 1.3f}}});
    // Through traffic: a taxi southbound past the camera before the crash, cars that brake
    // short of the wreck, one parked.
    cars.push_back({"car_taxi", 0.85f, 0.65f, 0.08f, Run(0.0f, 12.0f, {1860, 3600, z}, {1860, -960, z}, south)});
    cars.push_back({"car_white", 0.80f, 0.82f, 0.84f,
                    {{0.6f, {1860, 4200, -900}, south},
                     {1.0f, {1860, 4200, z}, south},
                     {kCrashTime + 1.0f, {1860, 2600, z}, south},
                     {kCrashTime + 2.0f, {1860, 2430, z}, south},
                     {kCarPeriod - 1.0f, {1860, 2430, z}, south},
                     {kCarPeriod - 0.6f, {1860, 2430, -900}, south}}});
    cars.push_back({"car_green", 0.12f, 0.40f, 0.22f,
                    {{-0.4f, {-500, 2075, -900}, east},
                     {0.0f, {-500, 2075, z}, east},
                     {6.3f, {1560, 2075, z}, east},
                     {7.0f, {1690, 2075, z}, east},
                     {kCarPeriod - 1.0f, {1690, 2075, z}, east},
                     {kCarPeriod - 0.6f, {1690, 2075, -900}, east}}});
    cars.push_back({"car_parked", 0.35f, 0.36f, 0.40f, {{0.0f, {1795, 1500, z}, north}}});
    cars.push_back({"car_grey", 0.45f, 0.45f, 0.47f, Run(1.5f, 11.0f, {3300, 2075, z}, {-400, 2075, z}, west)});
    AnimationSet set;
    set.name = "traffic";
    for (const Car& car : cars) {
        root.children.push_back(VehicleFrame(car.name, CarMesh(std::string(car.name) + "_body", car.r, car.g, car.b, true)));
        set.animations.push_back(LoopAnimation(car.name, car.track, kCarPeriod, model.ticksPerSecond));
    }
    model.frames.push_back(std::move(root));
    model.animationSets.push_back(std::move(set));
    return model;
}

Model BuildTrainsModel() {
    Model model;
    Frame root;
    root.name = "railway";
    const float z = kRailTopZ, yA = kRailY - kTrackOffset, yB = kRailY + kTrackOffset;
    const float from = kRailFromX + 600.0f, to = kRailToX - 600.0f;
    const float run = (to - from) / 750.0f;  // 750 units a second
    struct Train {
        const char* name;
        std::vector<Waypoint> track;
    };
    // A eastbound through the opening flight, B westbound across the avenue in the street
    // shot after it, C eastbound again, later in the loop.
    const std::vector<Train> trains = {
        {"train_a", Run(0.0f, run, {from, yA, z}, {to, yA, z}, 0.0f)},
        {"train_b", Run(11.8f, 11.8f + run, {to, yB, z}, {from, yB, z}, kPi)},
        {"train_c", Run(19.1f, 19.1f + run, {from, yA, z}, {to, yA, z}, 0.0f)},
    };
    AnimationSet set;
    set.name = "trains";
    for (const Train& t : trains) {
        root.children.push_back(VehicleFrame(t.name, TrainMesh(std::string(t.name) + "_body")));
        set.animations.push_back(LoopAnimation(t.name, t.track, kTrainPeriod, model.ticksPerSecond));
    }
    model.frames.push_back(std::move(root));
    model.animationSets.push_back(std::move(set));
    return model;
}

}  // namespace assets::city

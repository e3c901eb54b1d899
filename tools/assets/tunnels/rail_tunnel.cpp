#include "tools/assets/tunnels/rail_tunnel.h"

#include <cmath>

#include "tools/assets/core/mesh_build.h"
#include "tools/assets/tunnels/surface.h"
#include "tools/assets/tunnels/tunnel_layout.h"

namespace assets::tunnels {

std::vector<D3DXVECTOR2> RailTunnelOutline() {
    std::vector<D3DXVECTOR2> o = {{112, -124}, {112, -85}, {kWallX, -85}, {kWallX, -40}, {kWallX, 0}, {kWallX, 40}};
    const float springZ = 40.0f, rise = kCrownZ - springZ;
    for (int k = 1; k < 12; ++k) {
        const float a = 3.14159265f * float(k) / 12.0f;
        o.push_back({kWallX * std::cos(a), springZ + rise * std::sin(a)});
    }
    const std::vector<D3DXVECTOR2> rest = {{-kWallX, 40}, {-kWallX, 0},  {-kWallX, -40}, {-kWallX, -85},
                                           {-112, -85},   {-112, -124},  {-105, -124},   {-95, -118},
                                           {-48, -118},   {0, -118},     {48, -118},     {95, -118},
                                           {105, -124}};
    o.insert(o.end(), rest.begin(), rest.end());
    return o;
}

namespace {

constexpr int kRows = 32;  // along the segment, fine enough for the trains' moving lamps

enum Surface { kConcrete, kBrick, kBallast };

Surface SurfaceOf(const D3DXVECTOR2& a, const D3DXVECTOR2& b) {
    const float z = std::min(a.y, b.y);
    if (a.y <= -118.0f + 0.5f && b.y <= -118.0f + 0.5f) return kBallast;
    if (z < -100.0f && std::fabs(a.x) < 111.0f && std::fabs(b.x) < 111.0f) return kBallast;  // the bed's shoulders
    if (z >= -40.0f) return kBrick;
    return kConcrete;
}

D3DXVECTOR3 TowardAxis(const D3DXVECTOR3& p) { return {-p.x, 0.0f, 20.0f - p.z}; }

// Sweeps outline[first..last] (inclusive points) along the segment.
void Sweep(Mesh& mesh, const std::vector<D3DXVECTOR2>& outline, std::size_t first, std::size_t last,
           float arcStart, std::uint32_t material) {
    const int cols = int(last - first);
    Lattice g(kRows, cols);
    for (int r = 0; r <= kRows; ++r) {
        const float y = -kSegmentLength + kSegmentLength * float(r) / float(kRows);
        float arc = arcStart;
        for (int c = 0; c <= cols; ++c) {
            const D3DXVECTOR2 q = outline[(first + c) % outline.size()];
            if (c > 0) {
                const D3DXVECTOR2 prev = outline[(first + c - 1) % outline.size()];
                arc += std::hypot(q.x - prev.x, q.y - prev.y);
            }
            const D3DXVECTOR3 p(q.x, y, q.y);
            g.Set(r, c, p, TowardAxis(p), D3DXVECTOR2(y / 100.0f, arc / 100.0f));
        }
    }
    AddLattice(mesh, g, material, 0.5f);
}

void AddShell(Mesh& mesh, const std::uint32_t (&materials)[3]) {
    const std::vector<D3DXVECTOR2> o = RailTunnelOutline();
    const std::size_t n = o.size();
    std::size_t start = 0;
    float arc = 0.0f;
    while (start < n) {
        const Surface s = SurfaceOf(o[start], o[(start + 1) % n]);
        std::size_t end = start + 1;
        while (end < n && SurfaceOf(o[end], o[(end + 1) % n]) == s) ++end;
        Sweep(mesh, o, start, end, arc, materials[s]);
        for (std::size_t k = start; k < end; ++k)
            arc += std::hypot(o[(k + 1) % n].x - o[k].x, o[(k + 1) % n].y - o[k].y);
        start = end;
    }
}

// Concrete bands round the wall and arch, 10 units proud of the brick.
void AddRibs(Mesh& mesh, std::uint32_t material) {
    const std::vector<D3DXVECTOR2> o = RailTunnelOutline();
    // Points 2 (right walkway at the wall) .. the left walkway at the wall.
    std::size_t last = 2;
    while (!(o[last].x == -kWallX && o[last].y == -85.0f)) ++last;
    std::vector<D3DXVECTOR2> outer(o.begin() + 2, o.begin() + last + 1), inner;
    for (std::size_t i = 0; i < outer.size(); ++i) {
        const D3DXVECTOR2 a = outer[i == 0 ? 0 : i - 1], b = outer[i + 1 < outer.size() ? i + 1 : i];
        D3DXVECTOR2 t(b.x - a.x, b.y - a.y);
        const float len = std::hypot(t.x, t.y);
        t /= len;
        D3DXVECTOR2 inward(-t.y, t.x);  // left of the sweep direction: toward the axis
        if (inward.x * -outer[i].x + inward.y * (20.0f - outer[i].y) < 0) inward = -inward;
        if (i == 0 || i + 1 == outer.size()) inward = D3DXVECTOR2(outer[i].x > 0 ? -1.0f : 1.0f, 0.0f);
        inner.push_back(outer[i] + inward * 10.0f);
    }
    for (int k = 0; k < 4; ++k) {
        const float yc = -196.25f - 392.5f * float(k);
        const float y0 = yc - 16.0f, y1 = yc + 16.0f;
        Lattice g(1, int(inner.size()) - 1);
        float arc = 0.0f;
        for (std::size_t c = 0; c < inner.size(); ++c) {
            if (c > 0) arc += std::hypot(inner[c].x - inner[c - 1].x, inner[c].y - inner[c - 1].y);
            for (int r = 0; r <= 1; ++r) {
                const D3DXVECTOR3 p(inner[c].x, r ? y1 : y0, inner[c].y);
                g.Set(r, int(c), p, TowardAxis(p), D3DXVECTOR2(arc / 100.0f, r * 0.32f));
            }
        }
        AddLattice(mesh, g, material, 0.5f);
        for (std::size_t c = 0; c + 1 < inner.size(); ++c)
            for (int side = 0; side < 2; ++side) {
                const float y = side ? y1 : y0;
                const D3DXVECTOR2 uv[4] = {{0, 0}, {0.1f, 0}, {0.1f, 0.1f}, {0, 0.1f}};
                AddQuadFacing(mesh, {outer[c].x, y, outer[c].y}, {outer[c + 1].x, y, outer[c + 1].y},
                              {inner[c + 1].x, y, inner[c + 1].y}, {inner[c].x, y, inner[c].y}, uv, material,
                              {0.0f, side ? 1.0f : -1.0f, 0.0f});
            }
    }
}

void AddTracks(Mesh& mesh, std::uint32_t sleeperMaterial, std::uint32_t railMaterial) {
    constexpr int kSleepers = 80;
    const float pitch = kSegmentLength / float(kSleepers);
    for (float track : {-kTrackX, kTrackX}) {
        for (int i = 0; i < kSleepers; ++i) {
            const float y = -kSegmentLength + pitch * (float(i) + 0.5f);
            AddBox(mesh, {track - 37.0f, y - 4.5f, -122.0f}, {track + 37.0f, y + 4.5f, kRailTop - 6.0f},
                   sleeperMaterial, 1.0f / 40.0f, true);
        }
        for (float side : {-kHalfGauge, kHalfGauge}) {
            const float x = track + side;
            const D3DXVECTOR2 profile[4] = {{x - 1.6f, kRailTop - 6.0f}, {x - 1.6f, kRailTop}, {x + 1.6f, kRailTop},
                                            {x + 1.6f, kRailTop - 6.0f}};
            Lattice g(kRows, 3);
            for (int r = 0; r <= kRows; ++r) {
                const float y = -kSegmentLength + kSegmentLength * float(r) / float(kRows);
                for (int c = 0; c < 4; ++c) {
                    const D3DXVECTOR3 p(profile[c].x, y, profile[c].y);
                    g.Set(r, c, p, {p.x - x, 0.0f, 0.3f * (p.z - (kRailTop - 6.0f))},
                          D3DXVECTOR2(y / 50.0f, float(c) / 3.0f));
                }
            }
            AddLattice(mesh, g, railMaterial, 0.5f);
        }
    }
}

// Two cables on each wall, sagging between brackets.
void AddCables(Mesh& mesh, std::uint32_t cableMaterial, std::uint32_t bracketMaterial) {
    constexpr int kSpans = 8, kPerSpan = 6;
    const float span = kSegmentLength / float(kSpans);
    for (float wall : {-1.0f, 1.0f}) {
        for (float z0 : {10.0f, 17.0f}) {
            std::vector<D3DXVECTOR3> points;
            for (int i = 0; i <= kSpans * kPerSpan; ++i) {
                const float f = float(i % kPerSpan) / float(kPerSpan);
                const float sag = 4.0f * std::sin(3.14159265f * f);
                points.push_back({wall * (kWallX - 5.0f), -kSegmentLength + span * float(i) / kPerSpan, z0 - sag});
            }
            const std::vector<float> radius(points.size(), 1.3f);
            AddTube(mesh, RingsAlong(points, radius, radius, {0, 0, 1}, false, false), 4, 1.0f, cableMaterial,
                    1.0f / 50.0f);
        }
        for (int i = 0; i < kSpans; ++i) {
            const float y = -kSegmentLength + span * float(i);
            const float x0 = wall > 0 ? kWallX - 8.0f : -kWallX, x1 = wall > 0 ? kWallX : -kWallX + 8.0f;
            AddBox(mesh, {x0, y - 2.0f, 5.0f}, {x1, y + 2.0f, 21.0f}, bracketMaterial, 1.0f / 40.0f);
        }
    }
}

void AddLamps(Mesh& mesh, std::uint32_t metal, std::uint32_t bulb) {
    for (float y : kLampY) {
        AddBox(mesh, {-0.8f, y - 0.8f, 101.0f}, {0.8f, y + 0.8f, kCrownZ + 2.0f}, metal, 1.0f / 40.0f);
        AddBox(mesh, {-9.0f, y - 9.0f, 96.0f}, {9.0f, y + 9.0f, 102.0f}, metal, 1.0f / 40.0f);
        AddBox(mesh, {-5.0f, y - 5.0f, kLampZ - 4.0f}, {5.0f, y + 5.0f, 96.0f}, bulb, 1.0f / 40.0f);
    }
}

// A signal head on the right wall, showing green toward the camera.
void AddSignal(Mesh& mesh, std::uint32_t metal, std::uint32_t green, std::uint32_t red) {
    const float y = -800.0f;
    AddBox(mesh, {kWallX - 12.0f, y - 4.0f, -30.0f}, {kWallX, y + 4.0f, 10.0f}, metal, 1.0f / 40.0f);
    AddBox(mesh, {kWallX - 9.0f, y - 5.0f, -2.0f}, {kWallX - 3.0f, y - 4.0f, 4.0f}, green, 1.0f / 40.0f);
    AddBox(mesh, {kWallX - 9.0f, y - 5.0f, -20.0f}, {kWallX - 3.0f, y - 4.0f, -14.0f}, red, 1.0f / 40.0f);
}

Material Textured(const char* texture, D3DXCOLOR diffuse) {
    Material m;
    m.diffuse = diffuse;
    m.texture = texture;
    return m;
}

Material Glowing(D3DXCOLOR colour) {
    Material m;
    m.diffuse = colour;
    m.emissive = colour;
    return m;
}

}  // namespace

Model RailTunnelModel() {
    Mesh mesh;
    mesh.name = "tunnel";
    const std::uint32_t surfaces[3] = {
        AddMaterial(mesh, Textured("tun_concrete.jpg", {0.9f, 0.9f, 0.88f, 1.0f})),
        AddMaterial(mesh, Textured("tun_brick.jpg", {1.0f, 1.0f, 1.0f, 1.0f})),
        AddMaterial(mesh, Textured("tun_ballast.jpg", {1.0f, 1.0f, 1.0f, 1.0f})),
    };
    const std::uint32_t sleeper = AddMaterial(mesh, Textured("tun_sleeper.jpg", {1.0f, 1.0f, 1.0f, 1.0f}));
    Material steel;
    steel.diffuse = {0.46f, 0.44f, 0.42f, 1.0f};
    steel.specular = {0.9f, 0.9f, 0.85f, 1.0f};
    steel.power = 30.0f;
    const std::uint32_t rail = AddMaterial(mesh, steel);
    Material cable;
    cable.diffuse = {0.08f, 0.08f, 0.09f, 1.0f};
    cable.specular = {0.3f, 0.3f, 0.3f, 1.0f};
    cable.power = 12.0f;
    const std::uint32_t cableMaterial = AddMaterial(mesh, cable);
    Material metal;
    metal.diffuse = {0.22f, 0.22f, 0.24f, 1.0f};
    const std::uint32_t metalMaterial = AddMaterial(mesh, metal);
    const std::uint32_t bulb = AddMaterial(mesh, Glowing({1.0f, 0.93f, 0.75f, 1.0f}));

    AddShell(mesh, surfaces);
    AddRibs(mesh, surfaces[kConcrete]);
    AddTracks(mesh, sleeper, rail);
    AddCables(mesh, cableMaterial, metalMaterial);
    AddLamps(mesh, metalMaterial, bulb);
    AddSignal(mesh, metalMaterial, AddMaterial(mesh, Glowing({0.1f, 1.0f, 0.3f, 1.0f})),
              AddMaterial(mesh, Glowing({0.35f, 0.02f, 0.02f, 1.0f})));

    Model model;
    model.meshes.push_back(std::move(mesh));
    return model;
}

}  // namespace assets::tunnels

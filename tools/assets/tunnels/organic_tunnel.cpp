#include "tools/assets/tunnels/organic_models.h"

#include <cmath>

#include "tools/assets/core/mesh_build.h"
#include "tools/assets/core/noise.h"
#include "tools/assets/tunnels/surface.h"
#include "tools/assets/tunnels/tunnel_layout.h"

namespace assets::tunnels {
namespace {

constexpr float kTwoPi = 6.28318530718f;
constexpr int kAround = 36;
constexpr int kAlong = 8 * kOrgRibs;

}  // namespace

float OrganicRadius(float angle, float y) {
    // Ribs: sharp ridges kOrgRibs times per segment; between them the wall bulges unevenly.
    // Both terms repeat exactly every segment and every turn, so copies join without seams.
    const float v = (y + kSegmentLength) / kSegmentLength;  // 0..1 over the segment
    const float u = angle / kTwoPi;
    const float rib = std::pow(0.5f + 0.5f * std::cos(kTwoPi * v * float(kOrgRibs)), 6.0f);
    const float bulge = Fbm(u * 6.0f, v * 6.0f, 3, 7001u, 6) - 0.5f;
    return kOrgRadius - kOrgRibDepth * rib + 36.0f * bulge;
}

Model OrganicTunnelModel() {
    Mesh mesh;
    mesh.name = "org_tunnel";
    Material flesh;
    flesh.diffuse = {1.0f, 0.78f, 0.74f, 1.0f};
    flesh.specular = {0.9f, 0.65f, 0.6f, 1.0f};
    flesh.power = 24.0f;
    flesh.texture = "org_flesh.jpg";
    const std::uint32_t m = AddMaterial(mesh, flesh);
    Lattice g(kAlong, kAround);
    for (int r = 0; r <= kAlong; ++r) {
        const float y = -kSegmentLength + kSegmentLength * float(r) / float(kAlong);
        for (int c = 0; c <= kAround; ++c) {
            const float a = kTwoPi * float(c % kAround) / float(kAround);
            const float radius = OrganicRadius(a, y);
            const D3DXVECTOR3 p(radius * std::cos(a), y, radius * std::sin(a));
            g.Set(r, c, p, {-p.x, 0.0f, -p.z},
                  D3DXVECTOR2(3.0f * float(c) / float(kAround), float(kOrgRibs) * float(r) / float(kAlong)));
        }
    }
    AddLattice(mesh, g, m, 1.3f);
    Model model;
    model.meshes.push_back(std::move(mesh));
    return model;
}

}  // namespace assets::tunnels

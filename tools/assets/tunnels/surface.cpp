#include "tools/assets/tunnels/surface.h"

#include <cmath>

#include "tools/assets/core/mesh_build.h"

namespace assets::tunnels {
namespace {

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Appends a part whose faces all use `material` (parts are built without materials).
void AppendWithMaterial(Mesh& mesh, const Mesh& part, std::uint32_t material) {
    const std::size_t first = mesh.faces.size();
    Append(mesh, part, Frame::Identity());
    for (std::size_t f = first; f < mesh.faces.size(); ++f) mesh.faceMaterials[f] = material;
}

float SignedPow(float v, float e) { return std::copysign(std::pow(std::fabs(v), e), v); }

}  // namespace

D3DXVECTOR3 Normalized(D3DXVECTOR3 v) {
    const float len = std::sqrt(Dot(v, v));
    return len > 1e-12f ? v / len : D3DXVECTOR3(0, 0, 0);
}

D3DXVECTOR3 CrossOf(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Lattice::Lattice(int r, int c) : rows(r), cols(c) {
    const std::size_t n = std::size_t(r + 1) * (c + 1);
    p.resize(n);
    out.resize(n);
    uv.resize(n);
}

void Lattice::Set(int r, int c, const D3DXVECTOR3& point, const D3DXVECTOR3& outward, const D3DXVECTOR2& texcoord) {
    const std::size_t i = Index(r, c);
    p[i] = point;
    out[i] = outward;
    uv[i] = texcoord;
}

void AddLattice(Mesh& mesh, const Lattice& g, std::uint32_t material, float creaseAngle) {
    Mesh part;
    part.positions = g.p;
    part.uvs = g.uv;
    const auto tri = [&](std::size_t a, std::size_t b, std::size_t c, const D3DXVECTOR3& wanted) {
        const D3DXVECTOR3 n = CrossOf(g.p[b] - g.p[a], g.p[c] - g.p[a]);
        if (Dot(n, n) < 1e-12f) return;  // collapsed (a closed pole)
        if (Dot(n, wanted) >= 0.0f)
            part.faces.push_back({std::uint32_t(a), std::uint32_t(b), std::uint32_t(c)});
        else
            part.faces.push_back({std::uint32_t(a), std::uint32_t(c), std::uint32_t(b)});
        part.faceMaterials.push_back(0);
    };
    for (int r = 0; r < g.rows; ++r)
        for (int c = 0; c < g.cols; ++c) {
            const std::size_t i00 = g.Index(r, c), i01 = g.Index(r, c + 1), i11 = g.Index(r + 1, c + 1),
                              i10 = g.Index(r + 1, c);
            const D3DXVECTOR3 wanted = g.out[i00] + g.out[i01] + g.out[i11] + g.out[i10];
            tri(i00, i01, i11, wanted);
            tri(i00, i11, i10, wanted);
        }
    ComputeNormals(part, creaseAngle, 1e-3f);
    AppendWithMaterial(mesh, part, material);
}

void AddQuadFacing(Mesh& mesh, D3DXVECTOR3 p0, D3DXVECTOR3 p1, D3DXVECTOR3 p2, D3DXVECTOR3 p3,
                   const D3DXVECTOR2 (&uv)[4], std::uint32_t material, const D3DXVECTOR3& wanted) {
    const D3DXVECTOR3 n = CrossOf(p1 - p0, p2 - p0) + CrossOf(p2 - p0, p3 - p0);
    if (Dot(n, wanted) >= 0.0f) {
        const D3DXVECTOR3 p[4] = {p0, p1, p2, p3};
        AddQuad(mesh, p, uv, material);
    } else {
        const D3DXVECTOR3 p[4] = {p0, p3, p2, p1};
        const D3DXVECTOR2 t[4] = {uv[0], uv[3], uv[2], uv[1]};
        AddQuad(mesh, p, t, material);
    }
}

void AddCapFacing(Mesh& mesh, const std::vector<D3DXVECTOR3>& polygon, std::uint32_t material,
                  const D3DXVECTOR3& wanted, const D3DXVECTOR3& uAxis, float uOffset, const D3DXVECTOR3& vAxis,
                  float vOffset) {
    if (polygon.size() < 3) return;
    D3DXVECTOR3 centre(0, 0, 0);
    for (const D3DXVECTOR3& p : polygon) centre += p;
    centre /= float(polygon.size());
    const auto uvOf = [&](const D3DXVECTOR3& p) {
        return D3DXVECTOR2(Dot(p, uAxis) + uOffset, Dot(p, vAxis) + vOffset);
    };
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        D3DXVECTOR3 a = polygon[i], b = polygon[(i + 1) % polygon.size()];
        const D3DXVECTOR3 n = CrossOf(a - centre, b - centre);
        if (Dot(n, n) < 1e-12f) continue;
        if (Dot(n, wanted) < 0.0f) std::swap(a, b);
        const D3DXVECTOR3 p[3] = {centre, a, b};
        const D3DXVECTOR2 t[3] = {uvOf(centre), uvOf(a), uvOf(b)};
        AddTriangle(mesh, p, t, material);
    }
}

void AddTube(Mesh& mesh, const std::vector<TubeRing>& rings, int sides, float squareness, std::uint32_t material,
             float vPerUnit) {
    if (rings.size() < 2 || sides < 3) return;
    Lattice g(int(rings.size()) - 1, sides);
    const float e = 1.0f / squareness;
    float along = 0.0f;
    for (std::size_t r = 0; r < rings.size(); ++r) {
        const TubeRing& ring = rings[r];
        if (r > 0) {
            const D3DXVECTOR3 d = ring.centre - rings[r - 1].centre;
            along += std::sqrt(Dot(d, d));
        }
        for (int s = 0; s <= sides; ++s) {
            const float a = 6.28318530718f * float(s % sides) / float(sides);
            const float cs = SignedPow(std::cos(a), e), sn = SignedPow(std::sin(a), e);
            const D3DXVECTOR3 radial = ring.side * cs + ring.up * sn;
            const D3DXVECTOR3 point = ring.centre + ring.side * (cs * ring.halfSide) + ring.up * (sn * ring.halfUp);
            g.Set(int(r), s, point, radial, D3DXVECTOR2(float(s) / float(sides), along * vPerUnit));
        }
    }
    AddLattice(mesh, g, material, 1.3f);
}

std::vector<TubeRing> RingsAlong(const std::vector<D3DXVECTOR3>& points, const std::vector<float>& halfSide,
                                 const std::vector<float>& halfUp, const D3DXVECTOR3& upHint, bool capStart,
                                 bool capEnd) {
    std::vector<TubeRing> rings;
    const std::size_t n = points.size();
    if (n < 2) return rings;
    const auto frameAt = [&](std::size_t i, D3DXVECTOR3& tangent, D3DXVECTOR3& side, D3DXVECTOR3& up) {
        const D3DXVECTOR3 prev = points[i == 0 ? 0 : i - 1], next = points[i + 1 < n ? i + 1 : n - 1];
        tangent = Normalized(next - prev);
        side = Normalized(CrossOf(upHint, tangent));
        up = CrossOf(tangent, side);
    };
    D3DXVECTOR3 t, s, u;
    // Rounded caps: quarter circles of the end radii, drawn as rings shrinking to a point.
    const float capAngles[] = {1.5707963f, 1.1f, 0.6f};
    if (capStart) {
        frameAt(0, t, s, u);
        for (float a : capAngles) {
            const float k = std::cos(a);
            const float back = std::sin(a) * std::min(halfSide[0], halfUp[0]);
            rings.push_back({points[0] - t * back, s, u, halfSide[0] * k, halfUp[0] * k});
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        frameAt(i, t, s, u);
        rings.push_back({points[i], s, u, halfSide[i], halfUp[i]});
    }
    if (capEnd) {
        frameAt(n - 1, t, s, u);
        for (int k = 2; k >= 0; --k) {
            const float a = capAngles[k];
            const float c = std::cos(a);
            const float ahead = std::sin(a) * std::min(halfSide[n - 1], halfUp[n - 1]);
            rings.push_back({points[n - 1] + t * ahead, s, u, halfSide[n - 1] * c, halfUp[n - 1] * c});
        }
    }
    return rings;
}

}  // namespace assets::tunnels

#include "tools/assets/core/mesh_build.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace assets {
namespace {

bool SameColour(const D3DXCOLOR& a, const D3DXCOLOR& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

bool SameMaterial(const Material& a, const Material& b) {
    return SameColour(a.diffuse, b.diffuse) && a.power == b.power && SameColour(a.specular, b.specular) &&
           SameColour(a.emissive, b.emissive) && a.texture == b.texture;
}

D3DXVECTOR3 FaceNormal(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c) {
    D3DXVECTOR3 e1 = b - a, e2 = c - a, n;
    D3DXVec3Cross(&n, &e1, &e2);
    return n;  // length = twice the area
}

D3DXVECTOR3 Unit(D3DXVECTOR3 v) {
    D3DXVECTOR3 out;
    D3DXVec3Normalize(&out, &v);
    return out;
}

std::uint32_t AddVertex(Mesh& mesh, const D3DXVECTOR3& p, const D3DXVECTOR3& n, const D3DXVECTOR2& uv) {
    mesh.positions.push_back(p);
    mesh.normals.push_back(n);
    mesh.uvs.push_back(uv);
    return static_cast<std::uint32_t>(mesh.positions.size() - 1);
}

}  // namespace

std::uint32_t AddMaterial(Mesh& mesh, const Material& material) {
    for (std::size_t i = 0; i < mesh.materials.size(); ++i)
        if (SameMaterial(mesh.materials[i], material)) return static_cast<std::uint32_t>(i);
    mesh.materials.push_back(material);
    return static_cast<std::uint32_t>(mesh.materials.size() - 1);
}

void AddTriangle(Mesh& mesh, const D3DXVECTOR3 (&p)[3], const D3DXVECTOR2 (&uv)[3], std::uint32_t material) {
    const D3DXVECTOR3 n = Unit(FaceNormal(p[0], p[1], p[2]));
    std::array<std::uint32_t, 3> face{};
    for (int i = 0; i < 3; ++i) face[i] = AddVertex(mesh, p[i], n, uv[i]);
    mesh.faces.push_back(face);
    mesh.faceMaterials.push_back(material);
}

void AddQuad(Mesh& mesh, const D3DXVECTOR3 (&p)[4], const D3DXVECTOR2 (&uv)[4], std::uint32_t material) {
    D3DXVECTOR3 n = FaceNormal(p[0], p[1], p[2]) + FaceNormal(p[0], p[2], p[3]);
    n = Unit(n);
    std::uint32_t v[4];
    for (int i = 0; i < 4; ++i) v[i] = AddVertex(mesh, p[i], n, uv[i]);
    mesh.faces.push_back({v[0], v[1], v[2]});
    mesh.faces.push_back({v[0], v[2], v[3]});
    mesh.faceMaterials.push_back(material);
    mesh.faceMaterials.push_back(material);
}

void AddBox(Mesh& mesh, const D3DXVECTOR3& lo, const D3DXVECTOR3& hi, std::uint32_t material, float uvPerUnit,
            bool skipBottom) {
    const D3DXVECTOR3 X(hi.x - lo.x, 0, 0), Y(0, hi.y - lo.y, 0), Z(0, 0, hi.z - lo.z);
    struct Side {
        D3DXVECTOR3 origin, u, v;
    };
    // Each face is origin, origin+u, origin+u+v, origin+v with Cross(u, v) pointing outward.
    const Side sides[] = {
        {{lo.x, lo.y, hi.z}, X, Y},  // +Z
        {lo, Y, X},                  // -Z
        {{hi.x, lo.y, lo.z}, Y, Z},  // +X
        {lo, Z, Y},                  // -X
        {{lo.x, hi.y, lo.z}, Z, X},  // +Y
        {lo, X, Z},                  // -Y
    };
    for (int s = 0; s < 6; ++s) {
        if (s == 1 && skipBottom) continue;
        const Side& side = sides[s];
        const D3DXVECTOR3 p[4] = {side.origin, side.origin + side.u, side.origin + side.u + side.v,
                                  side.origin + side.v};
        D3DXVECTOR2 uv[4];
        for (int i = 0; i < 4; ++i) {
            if (s < 2) {
                uv[i] = D3DXVECTOR2(p[i].x, p[i].y) * uvPerUnit;
            } else {
                // Horizontal distance along the face from its lo corner, and depth below the top.
                const float along = (s == 2 || s == 3) ? p[i].y - lo.y : p[i].x - lo.x;
                uv[i] = D3DXVECTOR2(along, hi.z - p[i].z) * uvPerUnit;
            }
        }
        AddQuad(mesh, p, uv, material);
    }
}

void AddLathe(Mesh& mesh, const std::vector<D3DXVECTOR2>& profile, int segments, std::uint32_t material,
              const D3DXMATRIX& transform) {
    if (profile.size() < 2 || segments < 3) return;
    Mesh part;
    const std::size_t rows = profile.size();
    const float pi2 = 6.28318530718f;
    for (std::size_t r = 0; r < rows; ++r) {
        for (int s = 0; s <= segments; ++s) {
            const float a = pi2 * float(s) / float(segments);
            const float radius = profile[r].x;
            part.positions.push_back({radius * std::cos(a), radius * std::sin(a), profile[r].y});
            part.normals.push_back({0, 0, 0});
            part.uvs.push_back({float(s) / float(segments), float(r) / float(rows - 1)});
        }
    }
    const auto at = [&](std::size_t r, int s) { return static_cast<std::uint32_t>(r * (segments + 1) + s); };
    for (std::size_t r = 0; r + 1 < rows; ++r) {
        for (int s = 0; s < segments; ++s) {
            // Going round counter-clockwise seen from +Z and up the profile faces outward.
            const std::uint32_t a = at(r, s), b = at(r, s + 1), c = at(r + 1, s + 1), d = at(r + 1, s);
            if (profile[r].x != 0.0f) {
                part.faces.push_back({a, b, c});
                part.faceMaterials.push_back(0);
            }
            if (profile[r + 1].x != 0.0f) {
                part.faces.push_back({a, c, d});
                part.faceMaterials.push_back(0);
            }
        }
    }
    // The seam column and the closed ends share positions, so welding makes them smooth.
    ComputeNormals(part, 3.2f, 1e-4f);
    const std::size_t firstFace = mesh.faces.size();
    Append(mesh, part, transform);
    for (std::size_t f = firstFace; f < mesh.faces.size(); ++f) mesh.faceMaterials[f] = material;
}

void Append(Mesh& mesh, const Mesh& part, const D3DXMATRIX& transform) {
    std::vector<std::uint32_t> remap(part.materials.size());
    for (std::size_t i = 0; i < part.materials.size(); ++i) remap[i] = AddMaterial(mesh, part.materials[i]);
    const auto base = static_cast<std::uint32_t>(mesh.positions.size());
    const bool hasNormals = !part.normals.empty(), hasUvs = !part.uvs.empty();
    for (std::size_t i = 0; i < part.positions.size(); ++i) {
        D3DXVECTOR3 p;
        D3DXVec3TransformCoord(&p, &part.positions[i], &transform);
        mesh.positions.push_back(p);
        D3DXVECTOR3 n(0, 0, 1);
        if (hasNormals) {
            D3DXVec3TransformNormal(&n, &part.normals[i], &transform);
            n = Unit(n);
        }
        mesh.normals.push_back(n);
        mesh.uvs.push_back(hasUvs ? part.uvs[i] : D3DXVECTOR2(0, 0));
    }
    // A mirroring transform turns faces inside out; swap two corners to keep them outward.
    D3DXMATRIX m = transform;
    const bool mirrored = D3DXMatrixDeterminant(&m) < 0.0f;
    for (std::size_t f = 0; f < part.faces.size(); ++f) {
        auto face = part.faces[f];
        if (mirrored) std::swap(face[1], face[2]);
        mesh.faces.push_back({face[0] + base, face[1] + base, face[2] + base});
        const std::uint32_t material = f < part.faceMaterials.size() ? part.faceMaterials[f] : 0;
        mesh.faceMaterials.push_back(material < remap.size() ? remap[material] : 0);
    }
}

void ComputeNormals(Mesh& mesh, float creaseAngle, float weld) {
    const std::size_t n = mesh.positions.size();
    std::vector<D3DXVECTOR3> faceNormals(mesh.faces.size());
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        const auto& face = mesh.faces[f];
        faceNormals[f] = FaceNormal(mesh.positions[face[0]], mesh.positions[face[1]], mesh.positions[face[2]]);
    }
    // Group vertex corners by welded position.
    const float inv = 1.0f / std::max(weld, 1e-9f);
    using Key = std::tuple<long long, long long, long long>;
    std::map<Key, std::vector<std::pair<std::uint32_t, std::size_t>>> corners;  // (vertex, face)
    for (std::size_t f = 0; f < mesh.faces.size(); ++f)
        for (std::uint32_t v : mesh.faces[f]) {
            const D3DXVECTOR3& p = mesh.positions[v];
            corners[Key{std::llround(p.x * inv), std::llround(p.y * inv), std::llround(p.z * inv)}].push_back({v, f});
        }
    const float cosLimit = std::cos(creaseAngle);
    std::vector<D3DXVECTOR3> sum(n, D3DXVECTOR3(0, 0, 0));
    std::vector<bool> done(n, false);
    for (const auto& [key, list] : corners) {
        for (const auto& [v, f] : list) {
            if (done[v]) continue;
            const D3DXVECTOR3 own = Unit(faceNormals[f]);
            D3DXVECTOR3 total(0, 0, 0);
            for (const auto& [v2, f2] : list) {
                const D3DXVECTOR3 other = Unit(faceNormals[f2]);
                if (D3DXVec3Dot(&own, &other) >= cosLimit) total += faceNormals[f2];
            }
            sum[v] = total;
            done[v] = true;
        }
    }
    mesh.normals.resize(n);
    for (std::size_t i = 0; i < n; ++i) mesh.normals[i] = done[i] ? Unit(sum[i]) : D3DXVECTOR3(0, 0, 1);
}

D3DXMATRIX Translation(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}
D3DXMATRIX RotationX(float radians) {
    D3DXMATRIX m;
    D3DXMatrixRotationX(&m, radians);
    return m;
}
D3DXMATRIX RotationY(float radians) {
    D3DXMATRIX m;
    D3DXMatrixRotationY(&m, radians);
    return m;
}
D3DXMATRIX RotationZ(float radians) {
    D3DXMATRIX m;
    D3DXMatrixRotationZ(&m, radians);
    return m;
}
D3DXMATRIX Scaling(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixScaling(&m, x, y, z);
    return m;
}

}  // namespace assets

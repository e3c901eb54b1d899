#include "tools/assets/characters/body_mesh.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "tools/assets/characters/skeleton.h"
#include "tools/assets/core/mesh_build.h"

namespace assets::characters {

namespace {

using Vec3 = D3DXVECTOR3;
constexpr float kPi = 3.14159265f;

// One cross-section of a tube: an ellipse (or rounder-box superellipse) around `centre` in the
// plane spanned by `side` and `up`.
struct Ring {
    Vec3 centre;
    float rs;  // radius along side
    float ru;  // radius along up
};

// Bones a part may be weighted to, each with a preference factor.
using Candidates = std::vector<std::pair<int, float>>;

class BodyBuilder {
public:
    explicit BodyBuilder(Mesh& mesh) : mesh_(mesh) {}

    // A closed tube through `rings` along the direction from the first to the last centre; `hint`
    // orients the ellipses (rs lies along it). startAngle puts u = 0 (the texture seam) there.
    void Tube(const std::vector<Ring>& rings, const Vec3& hint, int segments, float exponent, std::uint32_t material,
              const Candidates& bones, float capStart, float capEnd, float vScale = 1.0f) {
        std::vector<std::vector<Vec3>> points;
        std::vector<Vec3> centres;
        for (std::size_t k = 0; k < rings.size(); ++k) {
            const Vec3 axis = Axis(rings, k);
            Vec3 side = hint - axis * D3DXVec3Dot(&hint, &axis);
            D3DXVec3Normalize(&side, &side);
            Vec3 up;
            D3DXVec3Cross(&up, &axis, &side);
            std::vector<Vec3> ring;
            for (int j = 0; j <= segments; ++j) {
                const float a = kPi + 2.0f * kPi * float(j % segments) / float(segments);
                const float c = std::cos(a), s = std::sin(a);
                const float ec = std::copysign(std::pow(std::fabs(c), exponent), c);
                const float es = std::copysign(std::pow(std::fabs(s), exponent), s);
                ring.push_back(rings[k].centre + side * (rings[k].rs * ec) + up * (rings[k].ru * es));
            }
            points.push_back(std::move(ring));
            centres.push_back(rings[k].centre);
        }
        const Vec3 startPole = rings.front().centre - Axis(rings, 0) * capStart;
        const Vec3 endPole = rings.back().centre + Axis(rings, rings.size() - 1) * capEnd;
        Surface(points, centres, &startPole, &endPole, material, bones, vScale);
    }

    // A grid of rows of points (each row closed round, its first point repeated last), walls
    // oriented away from the row's centre; optional poles close the first and last rows.
    void Surface(const std::vector<std::vector<Vec3>>& rows, const std::vector<Vec3>& centres, const Vec3* startPole,
                 const Vec3* endPole, std::uint32_t material, const Candidates& bones, float vScale = 1.0f) {
        const std::uint32_t first = std::uint32_t(mesh_.positions.size());
        const std::size_t columns = rows.front().size();
        const float vCount = float(rows.size() - 1 + (startPole ? 1 : 0) + (endPole ? 1 : 0));
        const float vStart = startPole ? 1.0f : 0.0f;
        for (std::size_t k = 0; k < rows.size(); ++k)
            for (std::size_t j = 0; j < columns; ++j)
                Vertex(rows[k][j], D3DXVECTOR2(float(j) / float(columns - 1), vScale * (vStart + float(k)) / vCount),
                       bones);
        auto at = [&](std::size_t k, std::size_t j) { return first + std::uint32_t(k * columns + j); };
        for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
            const Vec3 inside = (centres[k] + centres[k + 1]) * 0.5f;
            for (std::size_t j = 0; j + 1 < columns; ++j) {
                Face(at(k, j), at(k, j + 1), at(k + 1, j + 1), inside, material);
                Face(at(k, j), at(k + 1, j + 1), at(k + 1, j), inside, material);
            }
        }
        if (startPole) Cap(*startPole, first, columns, rows.size() > 1 ? centres[1] : centres[0], 0.0f, material, bones);
        if (endPole) {
            const std::size_t last = rows.size() - 1;
            Cap(*endPole, at(last, 0), columns, last > 0 ? centres[last - 1] : centres[last], vScale, material, bones);
        }
    }

    void Finish() {
        ComputeNormals(mesh_, 1.2f);
        Weigh();
    }

private:
    static Vec3 Axis(const std::vector<Ring>& rings, std::size_t k) {
        const std::size_t a = k == 0 ? 0 : k - 1, b = std::min(k + 1, rings.size() - 1);
        Vec3 axis = rings[b].centre - rings[a].centre;
        D3DXVec3Normalize(&axis, &axis);
        return axis;
    }

    std::uint32_t Vertex(const Vec3& p, const D3DXVECTOR2& uv, const Candidates& bones) {
        mesh_.positions.push_back(p);
        mesh_.uvs.push_back(uv);
        candidates_.push_back(bones);
        return std::uint32_t(mesh_.positions.size() - 1);
    }

    // A triangle facing away from `inside`.
    void Face(std::uint32_t a, std::uint32_t b, std::uint32_t c, const Vec3& inside, std::uint32_t material) {
        const Vec3& pa = mesh_.positions[a];
        const Vec3& pb = mesh_.positions[b];
        const Vec3& pc = mesh_.positions[c];
        Vec3 n, e1 = pb - pa, e2 = pc - pa;
        D3DXVec3Cross(&n, &e1, &e2);
        if (D3DXVec3LengthSq(&n) < 1e-12f) return;  // degenerate (a ring shrunk to a point)
        const Vec3 out = (pa + pb + pc) / 3.0f - inside;
        if (D3DXVec3Dot(&n, &out) < 0.0f) std::swap(b, c);
        mesh_.faces.push_back({a, b, c});
        mesh_.faceMaterials.push_back(material);
    }

    void Cap(const Vec3& pole, std::uint32_t ring, std::size_t columns, const Vec3& inside, float v,
             std::uint32_t material, const Candidates& bones) {
        const std::uint32_t p = Vertex(pole, D3DXVECTOR2(0.5f, v), bones);
        for (std::size_t j = 0; j + 1 < columns; ++j) Face(p, ring + std::uint32_t(j), ring + std::uint32_t(j + 1), inside, material);
    }

    static float SegmentDistanceSq(const Vec3& p, const Vec3& a, const Vec3& b) {
        const Vec3 ab = b - a, ap = p - a;
        const float len = D3DXVec3LengthSq(&ab);
        const float t = len > 0.0f ? std::clamp(D3DXVec3Dot(&ap, &ab) / len, 0.0f, 1.0f) : 0.0f;
        const Vec3 d = ap - ab * t;
        return D3DXVec3LengthSq(&d);
    }

    // Weights from the distance to each candidate bone's stretch of body: at most four bones,
    // small shares dropped, the rest normalised.
    void Weigh() {
        std::vector<std::vector<std::pair<std::uint32_t, float>>> perBone(kBoneCount);
        std::uint32_t maxVertex = 0;
        std::vector<std::vector<int>> vertexBones(mesh_.positions.size());
        for (std::size_t v = 0; v < mesh_.positions.size(); ++v) {
            std::vector<std::pair<float, int>> w;
            for (const auto& [bone, factor] : candidates_[v]) {
                const BoneDef& b = Bones()[bone];
                const float d2 = SegmentDistanceSq(mesh_.positions[v], b.segmentA, b.segmentB);
                w.push_back({factor / ((d2 + 0.8f) * (d2 + 0.8f)), bone});
            }
            std::sort(w.begin(), w.end(), [](const auto& x, const auto& y) {
                return x.first != y.first ? x.first > y.first : x.second < y.second;
            });
            if (w.size() > 4) w.resize(4);
            for (int pass = 0; pass < 2; ++pass) {
                float sum = 0.0f;
                for (const auto& e : w) sum += e.first;
                for (auto& e : w) e.first /= sum;
                if (pass == 0) std::erase_if(w, [](const auto& e) { return e.first < 0.04f; });
            }
            for (const auto& [weight, bone] : w) {
                perBone[bone].push_back({std::uint32_t(v), weight});
                vertexBones[v].push_back(bone);
            }
            maxVertex = std::max(maxVertex, std::uint32_t(w.size()));
        }
        std::uint32_t maxFace = 0;
        for (const auto& f : mesh_.faces) {
            std::set<int> bones;
            for (std::uint32_t i : f) bones.insert(vertexBones[i].begin(), vertexBones[i].end());
            maxFace = std::max(maxFace, std::uint32_t(bones.size()));
        }
        for (int bone = 0; bone < kBoneCount; ++bone) {
            if (perBone[bone].empty()) continue;
            SkinWeights s;
            s.bone = Bones()[bone].name;
            for (const auto& [v, w] : perBone[bone]) {
                s.vertices.push_back(v);
                s.weights.push_back(w);
            }
            const Vec3& j = Bones()[bone].joint;
            s.offset = Translation(-j.x, -j.y, -j.z);
            mesh_.skin.push_back(std::move(s));
        }
        mesh_.maxInfluencesPerVertex = maxVertex;
        mesh_.maxInfluencesPerFace = maxFace;
    }

    Mesh& mesh_;
    std::vector<Candidates> candidates_;
};

Material Textured(const std::string& texture, float emissive) {
    Material m;
    m.diffuse = D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f);
    m.specular = D3DXCOLOR(0.0f, 0.0f, 0.0f, 1.0f);
    m.emissive = D3DXCOLOR(emissive, emissive, emissive, 1.0f);
    m.texture = texture;
    return m;
}

void Torso(BodyBuilder& b, std::uint32_t trousers, std::uint32_t coat) {
    const Candidates bones = {{kHips, 1.0f},     {kSpine, 1.0f},     {kChest, 1.0f},    {kNeck, 0.6f},
                              {kShoulderL, 0.7f}, {kShoulderR, 0.7f}, {kThighL, 0.3f}, {kThighR, 0.3f}};
    // (z, centre x, half depth, half width)
    const float lower[][4] = {{27.6f, 0.2f, 3.7f, 5.4f}, {29.5f, 0.0f, 4.4f, 6.6f}, {32.0f, 0.0f, 4.5f, 6.9f},
                              {33.2f, 0.0f, 4.5f, 6.9f}};
    const float upper[][4] = {{33.2f, 0.0f, 4.9f, 7.3f}, {34.6f, 0.1f, 4.5f, 6.7f}, {37.0f, 0.2f, 4.2f, 6.3f},
                              {40.0f, 0.3f, 4.2f, 6.3f}, {43.0f, 0.4f, 4.6f, 6.9f}, {46.0f, 0.5f, 4.9f, 7.4f},
                              {48.3f, 0.4f, 4.7f, 7.7f}, {50.0f, 0.2f, 4.1f, 7.2f}, {51.2f, 0.1f, 3.1f, 4.8f},
                              {52.2f, 0.2f, 2.3f, 2.6f}};
    auto rings = [](const auto& table) {
        std::vector<Ring> r;
        for (const auto& e : table) r.push_back({Vec3(e[1], 0.0f, e[0]), e[2], e[3]});
        return r;
    };
    b.Tube(rings(lower), Vec3(1, 0, 0), 18, 0.85f, trousers, bones, 0.6f, 0.0f);
    b.Tube(rings(upper), Vec3(1, 0, 0), 18, 0.85f, coat, bones, 0.0f, 0.4f, 2.0f);
}

void Arm(BodyBuilder& b, float s, std::uint32_t coat, std::uint32_t skin) {
    const int base = s > 0 ? kShoulderL : kShoulderR;
    const Candidates sleeve = {{kChest, 0.4f}, {base, 0.8f}, {base + 1, 1.0f}, {base + 2, 1.0f}, {base + 3, 0.3f}};
    const std::vector<Ring> arm = {
        {Vec3(0, 5.8f * s, 50.2f), 1.9f, 1.9f},     {Vec3(0, 7.5f * s, 49.8f), 2.3f, 2.2f},
        {Vec3(0, 7.8f * s, 46.0f), 2.1f, 2.0f},     {Vec3(0, 7.9f * s, 42.0f), 1.9f, 1.85f},
        {Vec3(0, 8.0f * s, 38.5f), 1.75f, 1.7f},    {Vec3(0.1f, 8.0f * s, 35.0f), 1.7f, 1.6f},
        {Vec3(0.1f, 8.0f * s, 31.6f), 1.5f, 1.45f}, {Vec3(0.1f, 8.0f * s, 30.0f), 1.65f, 1.55f}};
    b.Tube(arm, Vec3(1, 0, 0), 12, 1.0f, coat, sleeve, 1.0f, 0.2f, 2.0f);
    const Candidates hand = {{base + 2, 0.4f}, {base + 3, 1.0f}};
    const std::vector<Ring> palm = {{Vec3(0.1f, 8.0f * s, 30.4f), 1.0f, 0.7f},
                                    {Vec3(0.1f, 8.0f * s, 29.0f), 1.25f, 0.75f},
                                    {Vec3(0.15f, 8.0f * s, 27.0f), 1.5f, 0.8f},
                                    {Vec3(0.25f, 8.0f * s, 25.0f), 1.4f, 0.7f},
                                    {Vec3(0.3f, 8.0f * s, 23.7f), 1.1f, 0.55f}};
    b.Tube(palm, Vec3(1, 0, 0), 10, 0.8f, skin, hand, 0.0f, 0.8f);
}

void Leg(BodyBuilder& b, float s, std::uint32_t trousers, std::uint32_t shoes) {
    const int base = s > 0 ? kThighL : kThighR;
    const Candidates leg = {{kHips, 0.7f}, {base, 1.0f}, {base + 1, 1.0f}, {base + 2, 0.2f}};
    const float y = 3.8f * s;
    const std::vector<Ring> rings = {{Vec3(0, y, 34.0f), 3.2f, 3.2f},     {Vec3(0, 3.9f * s, 31.0f), 3.5f, 3.4f},
                                     {Vec3(0, 3.9f * s, 27.0f), 3.15f, 3.0f}, {Vec3(0.05f, y, 22.0f), 2.7f, 2.6f},
                                     {Vec3(0.2f, y, 17.0f), 2.35f, 2.3f}, {Vec3(-0.25f, y, 13.0f), 2.45f, 2.2f},
                                     {Vec3(0, y, 8.0f), 2.0f, 1.9f},      {Vec3(0, y, 5.0f), 2.1f, 2.0f}};
    b.Tube(rings, Vec3(1, 0, 0), 14, 1.0f, trousers, leg, 1.0f, 0.3f, 3.0f);
    const Candidates foot = {{base + 1, 0.3f}, {base + 2, 1.0f}};
    // (x, half width, height of the upper edge)
    const float shoe[][3] = {{-2.6f, 1.6f, 4.4f}, {-1.2f, 1.9f, 5.6f}, {1.5f, 2.0f, 4.5f},
                             {4.0f, 2.1f, 3.3f},  {6.5f, 2.0f, 2.7f},  {8.0f, 1.7f, 2.3f}};
    std::vector<Ring> r;
    for (const auto& e : shoe) r.push_back({Vec3(e[0], y, e[2] * 0.5f), e[1], e[2] * 0.5f});
    b.Tube(r, Vec3(0, 1, 0), 14, 0.55f, shoes, foot, 0.5f, 0.7f);
}

void Head(BodyBuilder& b, std::uint32_t face, std::uint32_t skin, std::uint32_t hair) {
    const Candidates neck = {{kChest, 0.5f}, {kNeck, 1.0f}, {kHead, 0.6f}};
    b.Tube({{Vec3(0.2f, 0, 50.3f), 2.1f, 2.2f}, {Vec3(0.3f, 0, 53.0f), 1.9f, 2.0f}, {Vec3(0.5f, 0, 55.4f), 1.9f, 2.0f}},
           Vec3(1, 0, 0), 12, 1.0f, skin, neck, 0.0f, 0.0f, 0.2f);

    const Candidates head = {{kNeck, 0.15f}, {kHead, 1.0f}};
    const Vec3 centre(0.7f, 0.0f, 56.6f);
    constexpr int kRows = 15, kColumns = 22;
    std::vector<std::vector<Vec3>> rows;
    std::vector<Vec3> centres;
    for (int i = 1; i <= kRows; ++i) {
        const float theta = kPi * float(i) / float(kRows + 1);
        std::vector<Vec3> row;
        for (int j = 0; j <= kColumns; ++j) {
            const float phi = kPi + 2.0f * kPi * float(j % kColumns) / float(kColumns);  // 0 faces +X
            const float st = std::sin(theta), ct = std::cos(theta);
            float rx = 4.0f, ry = 3.45f;
            const float rz = 4.3f;
            if (ct < 0.0f) ry *= 1.0f + 0.2f * ct;  // narrower jaw
            // Nose and brow: bumps on the front.
            const float dphi = std::remainder(phi, 2.0f * kPi);
            const float nose = 0.9f * std::exp(-(dphi * dphi / 0.05f + (theta - 1.72f) * (theta - 1.72f) / 0.03f));
            const float brow = 0.3f * std::exp(-(dphi * dphi / 0.5f + (theta - 1.25f) * (theta - 1.25f) / 0.02f));
            const float out = 1.0f + (nose + brow) / 4.0f;
            row.push_back(centre + Vec3(rx * st * std::cos(phi) * out, ry * st * std::sin(phi) * out, rz * ct));
        }
        rows.push_back(std::move(row));
        centres.push_back(centre);
    }
    const Vec3 top = centre + Vec3(0, 0, 4.3f), bottom = centre - Vec3(0, 0, 4.3f);
    b.Surface(rows, centres, &top, &bottom, face, head);

    // Hair: a cap over the top and back of the head, lower at the nape than at the forehead.
    const Candidates cap = {{kHead, 1.0f}};
    const Vec3 hc(0.55f, 0.0f, 56.8f);
    constexpr int kHairRows = 8, kHairColumns = 24;
    rows.clear();
    centres.clear();
    for (int i = 1; i <= kHairRows; ++i) {
        std::vector<Vec3> row;
        for (int j = 0; j <= kHairColumns; ++j) {
            const float phi = kPi + 2.0f * kPi * float(j % kHairColumns) / float(kHairColumns);
            const float limit = 1.12f + 0.8f * (1.0f - std::cos(phi)) * 0.5f;
            const float theta = limit * float(i) / float(kHairRows);
            const float tuft = 1.0f + 0.05f * std::sin(5.0f * phi + 1.3f) * float(i) / float(kHairRows);
            row.push_back(hc + Vec3(4.35f * std::sin(theta) * std::cos(phi) * tuft,
                                    3.8f * std::sin(theta) * std::sin(phi) * tuft, 4.7f * std::cos(theta)));
        }
        rows.push_back(std::move(row));
        centres.push_back(hc);
    }
    const Vec3 crown = hc + Vec3(0, 0, 4.7f);
    b.Surface(rows, centres, &crown, nullptr, hair, cap);
}

}  // namespace

const BodyTextures& TextureNames() {
    static const BodyTextures names{"chr_face.jpg", "chr_skin.jpg", "chr_hair.jpg",
                                    "chr_coat.jpg", "chr_trousers.jpg", "chr_shoes.jpg"};
    return names;
}

Mesh BuildBody() {
    Mesh mesh;
    mesh.name = "Body";
    const BodyTextures& t = TextureNames();
    const std::uint32_t face = AddMaterial(mesh, Textured(t.face, 0.3f));
    const std::uint32_t skin = AddMaterial(mesh, Textured(t.skin, 0.3f));
    const std::uint32_t hair = AddMaterial(mesh, Textured(t.hair, 0.25f));
    const std::uint32_t coat = AddMaterial(mesh, Textured(t.coat, 0.25f));
    const std::uint32_t trousers = AddMaterial(mesh, Textured(t.trousers, 0.25f));
    const std::uint32_t shoes = AddMaterial(mesh, Textured(t.shoes, 0.25f));
    BodyBuilder b(mesh);
    Torso(b, trousers, coat);
    Arm(b, 1.0f, coat, skin);
    Arm(b, -1.0f, coat, skin);
    Leg(b, 1.0f, trousers, shoes);
    Leg(b, -1.0f, trousers, shoes);
    Head(b, face, skin, hair);
    b.Finish();
    return mesh;
}

}  // namespace assets::characters

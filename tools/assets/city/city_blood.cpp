#include "tools/assets/city/city_blood.h"

#include <cmath>

#include "tools/assets/city/city_layout.h"
#include "tools/assets/core/mesh_build.h"
#include "tools/assets/core/noise.h"

namespace assets::city {
namespace {

constexpr float kTwoPi = 6.2831853f;

// A flat blob of `segments` corners round (cx, cy) whose radius wobbles with the seed.
void AddSplat(Mesh& mesh, float cx, float cy, float z, float radius, int segments, std::uint32_t seed,
              std::uint32_t material) {
    const float uvScale = 1.0f / 160.0f;
    const auto corner = [&](int i) {
        const float a = kTwoPi * float(i % segments) / float(segments);
        const float wobble = 0.65f + 0.55f * ValueNoise(std::cos(a) * 1.6f + 4.0f, std::sin(a) * 1.6f + 4.0f, seed) +
                             (Hash2(i % segments, 0, seed) < 0.18f ? 0.55f : 0.0f);  // a few long streaks
        return D3DXVECTOR3(cx + radius * wobble * std::cos(a), cy + radius * wobble * std::sin(a), z);
    };
    const D3DXVECTOR3 centre(cx, cy, z);
    for (int i = 0; i < segments; ++i) {
        const D3DXVECTOR3 a = corner(i), b = corner(i + 1);
        const D3DXVECTOR3 p[3] = {centre, a, b};  // counter-clockwise from above: faces up
        const D3DXVECTOR2 uv[3] = {{0.5f + cx * uvScale, 0.5f + cy * uvScale},
                                   {0.5f + a.x * uvScale, 0.5f + a.y * uvScale},
                                   {0.5f + b.x * uvScale, 0.5f + b.y * uvScale}};
        AddTriangle(mesh, p, uv, material);
    }
}

}  // namespace

Model BuildBloodModel() {
    Mesh mesh;
    mesh.name = "blood";
    Material m;
    m.diffuse = {0.55f, 0.02f, 0.02f, 1.0f};
    m.emissive = {0.12f, 0.0f, 0.0f, 1.0f};
    m.specular = {0.6f, 0.5f, 0.5f, 1.0f};
    m.power = 40.0f;
    m.texture = kBloodTexture;
    const std::uint32_t material = AddMaterial(mesh, m);
    const float z = kRoadZ - kBloodZ + 0.4f;  // just above the road surface
    AddSplat(mesh, 0.0f, 0.0f, z, 38.0f, 28, 7u, material);
    Random random(0xB100Du);
    for (int i = 0; i < 14; ++i) {
        const float a = random.Range(0.0f, kTwoPi), d = random.Range(50.0f, 110.0f);
        AddSplat(mesh, d * std::cos(a), d * std::sin(a), z + 0.05f, random.Range(2.5f, 8.0f), 7, 100u + i, material);
    }
    Model model;
    model.meshes.push_back(std::move(mesh));
    return model;
}

Image MakeBloodTexture() {
    Image image(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const float n = Fbm(x / 32.0f, y / 32.0f, 4, 801u, 8);
            const float gloss = std::pow(Fbm(x / 16.0f, y / 16.0f, 3, 802u, 16), 3.0f);
            image.At(x, y) = PackArgb(0.45f + 0.35f * n + gloss, 0.02f + 0.3f * gloss, 0.02f + 0.3f * gloss);
        }
    return image;
}

}  // namespace assets::city

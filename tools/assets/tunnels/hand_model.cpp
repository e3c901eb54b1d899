#include "tools/assets/tunnels/hand_model.h"

#include <cmath>

#include "tools/assets/core/mesh_build.h"
#include "tools/assets/tunnels/surface.h"
#include "tools/assets/tunnels/tunnel_layout.h"

namespace assets::tunnels {
namespace {

constexpr int kSides = 14;

struct Finger {
    float baseY;     // across the palm (thumb side is -Y)
    float length;    // base knuckle to tip
    float radius;
    float splay;     // radians about Z, negative toward the thumb
};

// A finger from its knuckle, three phalanges curling up toward the palm's side (+Z).
void AddFinger(Mesh& mesh, std::uint32_t skin, const Finger& f) {
    const float parts[3] = {0.45f, 0.32f, 0.23f};
    const float curl[3] = {0.12f, 0.30f, 0.45f};
    std::vector<D3DXVECTOR3> points = {{8.6f, f.baseY, 0.1f}};
    std::vector<float> half;
    half.push_back(f.radius * 1.1f);
    float pitch = 0.0f;
    for (int i = 0; i < 3; ++i) {
        pitch += curl[i];
        const D3DXVECTOR3 dir(std::cos(pitch) * std::cos(f.splay), std::cos(pitch) * std::sin(f.splay),
                              std::sin(pitch));
        const D3DXVECTOR3 start = points.back();
        // Two rings per phalanx: a slimmer middle and the knuckle at its end.
        points.push_back(start + dir * (f.length * parts[i] * 0.5f));
        half.push_back(f.radius * (0.92f - 0.06f * float(i)));
        points.push_back(start + dir * (f.length * parts[i]));
        half.push_back(f.radius * (i == 2 ? 0.8f : 1.0f - 0.07f * float(i)));
    }
    std::vector<float> flat(half.size());
    for (std::size_t i = 0; i < half.size(); ++i) flat[i] = half[i] * 0.85f;
    AddTube(mesh, RingsAlong(points, half, flat, {0, 0, 1}, false, true), kSides, 1.0f, skin, 1.0f / 8.0f);
}

void AddThumb(Mesh& mesh, std::uint32_t skin) {
    const std::vector<D3DXVECTOR3> points = {{1.2f, -2.6f, -0.3f}, {2.8f, -4.4f, 0.0f}, {4.6f, -5.8f, 0.6f},
                                            {6.3f, -6.6f, 1.3f},   {7.8f, -7.0f, 2.0f}, {9.0f, -7.1f, 2.6f}};
    const std::vector<float> half = {1.9f, 1.6f, 1.25f, 1.1f, 1.05f, 0.9f};
    const std::vector<float> flat = {1.5f, 1.3f, 1.05f, 0.95f, 0.9f, 0.8f};
    AddTube(mesh, RingsAlong(points, half, flat, {0.3f, 0.3f, 1.0f}, false, true), kSides, 1.0f, skin,
            1.0f / 8.0f);
}

// Palm, wrist and forearm: one flattened tube along +X.
void AddPalm(Mesh& mesh, std::uint32_t skin) {
    const std::vector<D3DXVECTOR3> points = {{-16.0f, 0.2f, -0.6f}, {-9.0f, 0.1f, -0.4f}, {-3.2f, 0.0f, -0.2f},
                                             {-1.0f, 0.0f, 0.0f},   {1.5f, -0.2f, 0.1f},  {4.5f, -0.2f, 0.2f},
                                             {7.5f, -0.1f, 0.2f},   {9.3f, 0.0f, 0.1f}};
    const std::vector<float> wide = {3.4f, 3.2f, 2.8f, 3.3f, 4.2f, 4.4f, 4.5f, 4.2f};
    const std::vector<float> thick = {2.9f, 2.6f, 1.8f, 1.6f, 1.5f, 1.35f, 1.3f, 1.1f};
    AddTube(mesh, RingsAlong(points, wide, thick, {0, 0, 1}, true, true), 20, 1.6f, skin, 1.0f / 8.0f);
    // The thumb's ball: a soft mound on the palm by the thumb.
    const std::vector<D3DXVECTOR3> mound = {{-0.2f, -1.9f, 0.35f}, {2.2f, -2.5f, 0.55f}, {4.0f, -2.3f, 0.4f}};
    const std::vector<float> mw = {1.6f, 1.9f, 1.4f}, mh = {1.0f, 1.1f, 0.8f};
    AddTube(mesh, RingsAlong(mound, mw, mh, {0, 0, 1}, true, true), kSides, 1.0f, skin, 1.0f / 8.0f);
}

}  // namespace

Model HandModel() {
    Mesh hand;
    hand.name = "hand";
    Material skin;
    skin.diffuse = {1.0f, 0.93f, 0.9f, 1.0f};
    skin.specular = {0.35f, 0.3f, 0.3f, 1.0f};
    skin.power = 12.0f;
    skin.texture = "hand_skin.jpg";
    const std::uint32_t m = AddMaterial(hand, skin);
    AddPalm(hand, m);
    AddThumb(hand, m);
    const Finger fingers[] = {{-2.9f, 7.4f, 1.05f, -0.10f},
                              {-0.95f, 8.1f, 1.1f, -0.02f},
                              {0.95f, 7.6f, 1.05f, 0.05f},
                              {2.85f, 6.0f, 0.9f, 0.13f}};
    for (const Finger& f : fingers) AddFinger(hand, m, f);

    // Tilt the palm toward the camera at (0, -32, 15), then move the hand so that, after the
    // scene's offset, the palm lies round (-4, 0, 1) amid the lamps.
    Mesh placed;
    placed.name = "hand";
    Append(placed, hand, RotationX(0.58f) * Translation(-9.0f - kHandOffset.x, 0.0f - kHandOffset.y, 1.0f - kHandOffset.z));
    Model model;
    model.meshes.push_back(std::move(placed));
    return model;
}

}  // namespace assets::tunnels

#include <cmath>

#include "tools/assets/core/mesh_build.h"
#include "tools/assets/core/noise.h"
#include "tools/assets/tunnels/organic_models.h"
#include "tools/assets/tunnels/surface.h"
#include "tools/assets/tunnels/tunnel_layout.h"

namespace assets::tunnels {
namespace {

constexpr float kPi = 3.14159265f;

// The loader applies a rotation key's conjugate, so a key that should turn a frame by
// `angle` about `axis` stores the inverse quaternion.
RotationKey TurnKey(float seconds, D3DXVECTOR3 axis, float angle) {
    D3DXQUATERNION q;
    D3DXQuaternionRotationAxis(&q, &axis, angle);
    return {std::uint32_t(std::lround(seconds * 4800.0f)), D3DXQUATERNION(-q.x, -q.y, -q.z, q.w)};
}

VectorKey Key(float seconds, D3DXVECTOR3 v) { return {std::uint32_t(std::lround(seconds * 4800.0f)), v}; }

Material Flesh(float emissive) {
    Material m;
    m.diffuse = {1.0f, 0.68f, 0.62f, 1.0f};
    m.emissive = {emissive, emissive * 0.3f, emissive * 0.3f, 1.0f};
    m.specular = {0.8f, 0.6f, 0.55f, 1.0f};
    m.power = 20.0f;
    m.texture = "org_flesh.jpg";
    return m;
}

// A sphere (or part of it) round `centre`: polar angle from the front pole (-Y) in
// [phi0, phi1], azimuth all round. uv: u round, v = polar angle / pi.
void AddSphere(Mesh& mesh, const D3DXVECTOR3& centre, float radius, float phi0, float phi1, int rows, int cols,
               std::uint32_t material, const D3DXVECTOR3& stretch = {1, 1, 1}) {
    Lattice g(rows, cols);
    for (int r = 0; r <= rows; ++r) {
        const float phi = phi0 + (phi1 - phi0) * float(r) / float(rows);
        for (int c = 0; c <= cols; ++c) {
            const float psi = 2.0f * kPi * float(c % cols) / float(cols);
            const D3DXVECTOR3 d(std::sin(phi) * std::cos(psi), -std::cos(phi), std::sin(phi) * std::sin(psi));
            const D3DXVECTOR3 p(centre.x + radius * d.x * stretch.x, centre.y + radius * d.y * stretch.y,
                                centre.z + radius * d.z * stretch.z);
            g.Set(r, c, p, d, D3DXVECTOR2(float(c) / float(cols), phi / kPi));
        }
    }
    AddLattice(mesh, g, material, 1.3f);
}

// An eyelid: a shell of radius `radius` over angles theta (round X, 0 = the front, pi/2 =
// the top) from theta0 to theta1, closing at the eye's left and right.
void AddLid(Mesh& mesh, float radius, float theta0, float theta1, std::uint32_t material) {
    const int rows = 10, cols = 16;
    Lattice g(rows, cols);
    for (int r = 0; r <= rows; ++r) {
        const float theta = theta0 + (theta1 - theta0) * float(r) / float(rows);
        // The rim is thicker: the first row sits a little further out.
        const float rr = r == 0 ? radius * 1.02f : radius;
        for (int c = 0; c <= cols; ++c) {
            const float lat = -kPi / 2 + kPi * float(c) / float(cols);
            const D3DXVECTOR3 d(std::sin(lat), -std::cos(lat) * std::cos(theta), std::cos(lat) * std::sin(theta));
            g.Set(r, c, d * rr, d, D3DXVECTOR2(float(c) / float(cols), 0.3f * float(r) / float(rows)));
        }
    }
    AddLattice(mesh, g, material, 1.3f);
}

Frame MeshFrame(const std::string& name, const D3DXMATRIX& transform, Mesh mesh) {
    Frame f;
    f.name = name;
    f.transform = transform;
    f.meshes.push_back(std::move(mesh));
    return f;
}

}  // namespace

Model EyeModel() {
    const float r = kEyeRadius;
    // The body: a sac behind the eye, a stalk up into the ceiling and two tendrils to the walls.
    Mesh body;
    body.name = "eye_body";
    const std::uint32_t flesh = AddMaterial(body, Flesh(0.22f));
    AddSphere(body, {0.0f, 0.55f * r, 0.1f * r}, 1.2f * r, 0.0f, kPi, 12, 20, flesh, {1.0f, 0.9f, 1.05f});
    const std::vector<D3DXVECTOR3> stalk = {{0, 0.4f * r, r}, {0, 40, 140 - kEyeCentre.z}, {0, 70, 190 - kEyeCentre.z},
                                            {0, 85, 225 - kEyeCentre.z}, {0, 95, 270 - kEyeCentre.z}};
    const std::vector<float> stalkR = {24, 18, 20, 30, 46};
    AddTube(body, RingsAlong(stalk, stalkR, stalkR, {0, 1, 0}, false, false), 12, 1.0f, flesh, 1.0f / 60.0f);
    for (float side : {-1.0f, 1.0f}) {
        std::vector<D3DXVECTOR3> tendril;
        std::vector<float> radius;
        for (int i = 0; i <= 8; ++i) {
            const float t = float(i) / 8.0f;
            tendril.push_back({side * (0.9f * r + 180.0f * t), 0.6f * r + 40.0f * t,
                               -10.0f * t - 60.0f * std::sin(kPi * t) - 60.0f * t * t});
            radius.push_back(9.0f - 3.0f * std::sin(kPi * t) + 8.0f * t * t * t);
        }
        AddTube(body, RingsAlong(tendril, radius, radius, {0, 0, 1}, false, false), 8, 1.0f, flesh, 1.0f / 60.0f);
    }

    Mesh ball;
    ball.name = "eye_ball";
    Material sclera;
    sclera.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    sclera.emissive = {0.3f, 0.28f, 0.28f, 1.0f};
    sclera.specular = {1.0f, 1.0f, 1.0f, 1.0f};
    sclera.power = 50.0f;
    sclera.texture = "org_eye.jpg";
    AddSphere(ball, {0, 0, 0}, r, 0.0f, kPi, 18, 28, AddMaterial(ball, sclera));

    Mesh pupil;
    pupil.name = "eye_pupil";
    Material black;
    black.diffuse = {0.02f, 0.02f, 0.02f, 1.0f};
    black.specular = {1.0f, 1.0f, 1.0f, 1.0f};
    black.power = 60.0f;
    AddSphere(pupil, {0, 0, 0}, r * 1.004f, 0.0f, 0.15f, 3, 20, AddMaterial(pupil, black));

    Mesh upper, lower;
    upper.name = "eye_upper_lid";
    lower.name = "eye_lower_lid";
    AddLid(upper, 1.12f * r, 0.45f, 3.4f, AddMaterial(upper, Flesh(0.22f)));
    AddLid(lower, 1.08f * r, -0.55f, -2.7f, AddMaterial(lower, Flesh(0.22f)));

    Frame ballFrame = MeshFrame("EyeBall", Frame::Identity(), std::move(ball));
    ballFrame.children.push_back(MeshFrame("Pupil", Frame::Identity(), std::move(pupil)));
    Frame eye = MeshFrame("Eye", Translation(kEyeCentre.x, kEyeCentre.y, kEyeCentre.z), std::move(body));
    eye.children.push_back(std::move(ballFrame));
    eye.children.push_back(MeshFrame("UpperLid", Frame::Identity(), std::move(upper)));
    eye.children.push_back(MeshFrame("LowerLid", Frame::Identity(), std::move(lower)));
    Frame root;
    root.name = "EyeRoot";
    root.children.push_back(std::move(eye));

    const float loop = float(kEyeLoopTicks) / 4800.0f;
    const D3DXVECTOR3 X(1, 0, 0), Z(0, 0, 1);
    Animation gaze{"EyeBall", {}, {}, {}, {}};
    gaze.rotations = {TurnKey(0.0f, Z, 0.0f),  TurnKey(0.8f, Z, 0.0f),   TurnKey(1.4f, Z, 0.38f),
                      TurnKey(2.4f, Z, 0.38f), TurnKey(2.9f, X, 0.22f),  TurnKey(3.8f, Z, -0.35f),
                      TurnKey(4.6f, Z, -0.35f), TurnKey(5.2f, X, -0.12f), TurnKey(loop, Z, 0.0f)};
    Animation dilate{"Pupil", {}, {}, {}, {}};
    dilate.scales = {Key(0.0f, {1, 1, 1}), Key(1.5f, {1.5f, 1, 1.5f}), Key(3.0f, {1.5f, 1, 1.5f}),
                     Key(4.2f, {0.75f, 1, 0.75f}), Key(loop, {1, 1, 1})};
    // Blinks at 1.0 s and 3.9 s: the upper lid comes down, the lower one up.
    const auto blink = [&](const char* frame, float closed) {
        Animation a{frame, {}, {}, {}, {}};
        a.rotations = {TurnKey(0.0f, X, 0.0f),   TurnKey(1.0f, X, 0.0f),  TurnKey(1.12f, X, closed),
                       TurnKey(1.3f, X, 0.0f),   TurnKey(3.9f, X, 0.0f),  TurnKey(4.02f, X, closed),
                       TurnKey(4.1f, X, closed), TurnKey(4.3f, X, 0.0f),  TurnKey(loop, X, 0.0f)};
        return a;
    };
    Model model;
    model.frames.push_back(std::move(root));
    model.animationSets.push_back({"EyeLoop", {gaze, dilate, blink("UpperLid", 0.62f), blink("LowerLid", -0.5f)}});
    return model;
}

Model TeethModel() {
    constexpr float kHingeY = 30.0f;
    Material enamel;
    enamel.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    enamel.emissive = {0.22f, 0.2f, 0.18f, 1.0f};
    enamel.specular = {0.9f, 0.9f, 0.85f, 1.0f};
    enamel.power = 40.0f;
    enamel.texture = "org_enamel.jpg";
    Random random(6006u);

    const auto jaw = [&](const char* name, float a0, float a1) {
        Mesh mesh;
        mesh.name = name;
        const std::uint32_t gum = AddMaterial(mesh, Flesh(0.18f));
        const std::uint32_t tooth = AddMaterial(mesh, enamel);
        // The gum: a rounded ridge along the arc, in the hinge's coordinates.
        const D3DXVECTOR2 ridge[] = {{262, -24}, {222, -30}, {206, -14}, {203, 0}, {206, 14}, {222, 30}, {262, 24}};
        const int cols = 18, rows = 6;
        Lattice g(rows, cols);
        for (int c = 0; c <= cols; ++c) {
            const float a = a0 + (a1 - a0) * float(c) / float(cols);
            const D3DXVECTOR3 radial(std::cos(a), 0.0f, std::sin(a));
            for (int r = 0; r <= rows; ++r) {
                const D3DXVECTOR3 p = radial * ridge[r].x + D3DXVECTOR3(0, ridge[r].y - kHingeY, 0);
                const D3DXVECTOR3 q = radial * 250.0f + D3DXVECTOR3(0, -kHingeY, 0);
                g.Set(r, c, p, p - q, D3DXVECTOR2(2.0f * float(c) / float(cols), float(r) / float(rows)));
            }
        }
        AddLattice(mesh, g, gum, 1.3f);
        // Teeth pointing at the tube's axis, longer and sharper toward the middle of the arc.
        const int count = 12;
        for (int i = 0; i < count; ++i) {
            const float t = (float(i) + 0.5f) / float(count);
            const float a = a0 + (a1 - a0) * t;
            const float size = (0.75f + 0.45f * std::sin(kPi * t)) * random.Range(0.85f, 1.15f);
            const std::vector<D3DXVECTOR2> profile = {{8.5f, 0.0f},          {10.0f, 8.0f * size},
                                                      {8.0f, 26.0f * size},  {4.8f, 45.0f * size},
                                                      {1.4f, 58.0f * size},  {0.0f, 62.0f * size}};
            const D3DXVECTOR3 radial(std::cos(a), 0.0f, std::sin(a));
            const D3DXVECTOR3 in = -radial, across(0, 1, 0), third = CrossOf(in, across);
            D3DXMATRIX m = Frame::Identity();
            m._11 = third.x, m._12 = third.y, m._13 = third.z;
            m._21 = across.x, m._22 = across.y, m._23 = across.z;
            m._31 = in.x, m._32 = in.y, m._33 = in.z;
            const D3DXVECTOR3 base = radial * 206.0f;
            m._41 = base.x, m._42 = base.y - kHingeY - 6.0f, m._43 = base.z;
            AddLathe(mesh, profile, 8, tooth, m);
        }
        return mesh;
    };
    Frame teeth;
    teeth.name = "Teeth";
    teeth.children.push_back(MeshFrame("UpperJaw", Translation(0, kHingeY, 0), jaw("upper_jaw", 0.45f, kPi - 0.45f)));
    teeth.children.push_back(
        MeshFrame("LowerJaw", Translation(0, kHingeY, 0), jaw("lower_jaw", kPi + 0.45f, 2.0f * kPi - 0.45f)));
    Frame root;
    root.name = "TeethRoot";
    root.children.push_back(std::move(teeth));

    const float loop = float(kTeethLoopTicks) / 4800.0f;
    const D3DXVECTOR3 X(1, 0, 0);
    // Two bites per loop: a full snap, then a smaller one; the jaws lunge toward -Y as they close.
    const auto bite = [&](const char* frame, float dir) {
        Animation a{frame, {}, {}, {}, {}};
        a.rotations = {TurnKey(0.0f, X, 0.0f),         TurnKey(0.3f, X, dir * 0.16f), TurnKey(0.45f, X, dir * 0.16f),
                       TurnKey(0.9f, X, 0.0f),         TurnKey(1.2f, X, dir * 0.08f), TurnKey(1.35f, X, dir * 0.08f),
                       TurnKey(loop, X, 0.0f)};
        a.positions = {Key(0.0f, {0, kHingeY, 0}),            Key(0.3f, {0, kHingeY, -dir * 42.0f}),
                       Key(0.45f, {0, kHingeY, -dir * 42.0f}), Key(0.9f, {0, kHingeY, 0}),
                       Key(1.2f, {0, kHingeY, -dir * 20.0f}),  Key(1.35f, {0, kHingeY, -dir * 20.0f}),
                       Key(loop, {0, kHingeY, 0})};
        return a;
    };
    Model model;
    model.frames.push_back(std::move(root));
    model.animationSets.push_back({"TeethLoop", {bite("UpperJaw", 1.0f), bite("LowerJaw", -1.0f)}});
    return model;
}

}  // namespace assets::tunnels

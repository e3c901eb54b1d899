// Placement checks of the tunnel area's models against the scenes that draw them: cameras see
// the insides of the tunnels from where they fly, the trains fit their tracks under the camera
// with lamps where the flares are drawn, the hand lies in its camera's view among the lamps.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "tools/assets/tunnels/hand_model.h"
#include "tools/assets/tunnels/organic_models.h"
#include "tools/assets/tunnels/rail_tunnel.h"
#include "tools/assets/tunnels/train_model.h"
#include "tools/assets/tunnels/tunnel_layout.h"

namespace {

using namespace assets;
using namespace assets::tunnels;

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

struct Hit {
    float distance;
    bool front;  // the face looks back at the ray's origin (drawn with back faces culled)
};

// The nearest face the ray meets (Moller-Trumbore), and which side of it.
std::optional<Hit> Cast(const Mesh& mesh, const D3DXVECTOR3& from, const D3DXVECTOR3& dir) {
    std::optional<Hit> best;
    for (const auto& f : mesh.faces) {
        const D3DXVECTOR3 &a = mesh.positions[f[0]], &b = mesh.positions[f[1]], &c = mesh.positions[f[2]];
        const D3DXVECTOR3 e1 = b - a, e2 = c - a, pv = Cross(dir, e2);
        const float det = Dot(e1, pv);
        if (std::fabs(det) < 1e-9f) continue;
        const D3DXVECTOR3 tv = from - a;
        const float u = Dot(tv, pv) / det;
        if (u < 0 || u > 1) continue;
        const D3DXVECTOR3 qv = Cross(tv, e1);
        const float v = Dot(dir, qv) / det;
        if (v < 0 || u + v > 1) continue;
        const float t = Dot(e2, qv) / det;
        if (t <= 1e-3f || (best && t >= best->distance)) continue;
        best = Hit{t, Dot(Cross(e1, e2), dir) < 0.0f};
    }
    return best;
}

// Rays from `eye` in the directions of a cube's corners and faces' middles, except along the
// tunnel's open axis: each must end on a face turned toward the eye.
void ExpectEnclosedBy(const Mesh& mesh, const D3DXVECTOR3& eye, const char* what) {
    for (int x = -1; x <= 1; ++x)
        for (int y = -1; y <= 1; ++y)
            for (int z = -1; z <= 1; ++z) {
                if (x == 0 && z == 0) continue;  // along the open ends
                // Slightly off the lattice's planes, so no ray slips along a shared edge.
                D3DXVECTOR3 d(float(x) + 0.013f, float(y) * 0.5f + 0.007f, float(z) + 0.011f);
                d /= std::sqrt(Dot(d, d));
                const std::optional<Hit> hit = Cast(mesh, eye, d);
                ASSERT_TRUE(hit.has_value()) << what << " at y " << eye.y << " sees out toward " << x << y << z;
                EXPECT_TRUE(hit->front) << what << " at (" << eye.x << ", " << eye.y << ", " << eye.z
                                        << ") looks at the back of a face toward " << x << y << z;
            }
}

// The segment with its neighbours before and after, as the scenes lay them end to end.
Mesh ThreeSegments(const Mesh& segment) {
    Mesh out;
    for (int k = -1; k <= 1; ++k) {
        const auto base = std::uint32_t(out.positions.size());
        for (const D3DXVECTOR3& p : segment.positions) out.positions.push_back(p + D3DXVECTOR3(0, k * kSegmentLength, 0));
        for (const auto& f : segment.faces) out.faces.push_back({f[0] + base, f[1] + base, f[2] + base});
    }
    return out;
}

// A world y of the scenes mapped into the segment that holds it (local y -1570..0).
float LocalY(float y) {
    float local = std::fmod(y, kSegmentLength);
    if (local > 0.0f) local -= kSegmentLength;
    return local;
}

int Triangles(const Model& m) {
    std::size_t n = 0;
    for (const Mesh& mesh : m.meshes) n += mesh.faces.size();
    return int(n);
}

// Every face of every mesh in a frame tree, for budgets.
int Triangles(const Frame& f) {
    std::size_t n = 0;
    for (const Mesh& mesh : f.meshes) n += mesh.faces.size();
    for (const Frame& c : f.children) n += std::size_t(Triangles(c));
    return int(n);
}

bool InsidePolygon(const std::vector<D3DXVECTOR2>& poly, float x, float y) {
    bool inside = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++)
        if ((poly[i].y > y) != (poly[j].y > y) &&
            x < (poly[j].x - poly[i].x) * (y - poly[i].y) / (poly[j].y - poly[i].y) + poly[i].x)
            inside = !inside;
    return inside;
}

TEST(RailTunnel, IsOneMeshWithinBudgetAndTheFlightSeesOnlyItsInside) {
    const Model tunnel = RailTunnelModel();
    ASSERT_EQ(tunnel.meshes.size(), 1u);
    EXPECT_LE(Triangles(tunnel), 8000);
    EXPECT_EQ(tunnel.meshes[0].normals.size(), tunnel.meshes[0].positions.size());
    EXPECT_EQ(tunnel.meshes[0].uvs.size(), tunnel.meshes[0].positions.size());
    const Mesh mesh = ThreeSegments(tunnel.meshes[0]);
    // The camera waits at y = -1460, then flies to 7000, always at x = 0, z = 35.
    for (float y = -1460.0f; y <= 7000.0f; y += 611.0f) ExpectEnclosedBy(mesh, {0, LocalY(y), 35}, "camera");
    // Just under each hanging lamp (the flares are drawn in its bulb).
    for (float y : kLampY) ExpectEnclosedBy(mesh, {0, y, kLampZ - 8.0f}, "lamp");
}

TEST(RailTunnel, LampsHangWhereTheSceneDrawsItsTwelveFlares) {
    // The scene's lamp rows: from -2030 add 880 after even, 620 after odd indices, plus 70.
    float y = -2030.0f;
    const std::vector<D3DXVECTOR2> outline = RailTunnelOutline();
    for (int i = 0; i < 12; ++i) {
        y += (i % 2 == 0) ? 880.0f : 620.0f;
        const float local = LocalY(y);
        EXPECT_TRUE(std::fabs(local - kLampY[0]) < 0.5f || std::fabs(local - kLampY[1]) < 0.5f) << "lamp " << i;
        EXPECT_TRUE(InsidePolygon(outline, 0.0f, kLampZ + 20.0f));
        if (i % 2 == 1) y += 70.0f;
    }
}

// World placement of a train instance as the tunnel scene builds it (translate, then rotate).
D3DXMATRIX TrainWorld(bool turned, float rampY) {
    D3DXMATRIX w, t, r;
    D3DXMatrixTranslation(&w, 48.0f, 2500.0f, -48.0f);
    if (turned) {
        D3DXMatrixRotationZ(&r, 3.1415927f);
        w = w * r;
    }
    D3DXMatrixTranslation(&t, 0.0f, rampY - 2500.0f, 0.0f);
    return w * t;
}

// Centres of the faces of the emissive material whose colour is mostly `red` or not.
std::vector<D3DXVECTOR3> LampCentres(const Mesh& mesh, bool red) {
    std::vector<D3DXVECTOR3> left, right;
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        const Material& m = mesh.materials[mesh.faceMaterials[f]];
        if (m.emissive.r < 0.9f || m.texture.size()) continue;
        if ((m.emissive.g < 0.5f) != red) continue;
        D3DXVECTOR3 c(0, 0, 0);
        for (auto v : mesh.faces[f]) c += mesh.positions[v] / 3.0f;
        (c.x < 0 ? left : right).push_back(c);
    }
    std::vector<D3DXVECTOR3> out;
    for (auto* side : {&left, &right}) {
        D3DXVECTOR3 sum(0, 0, 0);
        for (const auto& c : *side) sum += c;
        out.push_back(side->empty() ? D3DXVECTOR3(1e9f, 1e9f, 1e9f) : sum / float(side->size()));
    }
    return out;
}

TEST(Train, LampsSitUnderTheScenesFlaresForBothTrains) {
    const Model train = TrainModel();
    ASSERT_EQ(train.meshes.size(), 1u);
    EXPECT_LE(Triangles(train), 5000);
    const Mesh& mesh = train.meshes[0];
    // Train A (not turned) at ramp y = 1000: warm flares at (A.x -+ 30, A.y - 625, A.z - 30).
    const D3DXMATRIX a = TrainWorld(false, 1000.0f);
    const std::vector<D3DXVECTOR3> head = LampCentres(mesh, false);
    for (int k = 0; k < 2; ++k) {
        D3DXVECTOR3 w;
        D3DXVec3TransformCoord(&w, &head[k], &a);
        const D3DXVECTOR3 flare(48.0f + (k == 0 ? -30.0f : 30.0f), 1000.0f - 625.0f, -48.0f - 30.0f);
        EXPECT_NEAR(w.x, flare.x, 2.0f) << "headlight " << k;
        EXPECT_NEAR(w.y, flare.y, 12.0f) << "headlight " << k;
        EXPECT_NEAR(w.z, flare.z, 2.0f) << "headlight " << k;
        EXPECT_GT(flare.y, w.y - 12.0f) << "the flare must not sit inside the nose";
    }
    // Train B (turned by pi) at ramp y = 6000: red flares at (B.x - 60 / - 130, B.y - 6300, B.z - 20).
    const D3DXMATRIX b = TrainWorld(true, 6000.0f);
    std::vector<D3DXVECTOR3> tail = LampCentres(mesh, true), world(2);
    for (int k = 0; k < 2; ++k) D3DXVec3TransformCoord(&world[k], &tail[k], &b);
    for (float flareX : {48.0f - 60.0f, 48.0f - 130.0f}) {
        const float nearest = std::min(std::fabs(world[0].x - flareX), std::fabs(world[1].x - flareX));
        EXPECT_LT(nearest, 2.0f) << "tail light for the flare at x " << flareX;
    }
    for (const D3DXVECTOR3& w : world) {
        EXPECT_NEAR(w.y, 6000.0f - 6300.0f, 12.0f);
        EXPECT_NEAR(w.z, -48.0f - 20.0f, 2.0f);
    }
}

TEST(Train, FitsItsTrackInsideTheTunnelBelowTheCamera) {
    const Model train = TrainModel();
    const std::vector<D3DXVECTOR2> outline = RailTunnelOutline();
    for (bool turned : {false, true}) {
        const D3DXMATRIX w = TrainWorld(turned, 2500.0f);
        float lowest = 1e9f, highest = -1e9f;
        for (const D3DXVECTOR3& p : train.meshes[0].positions) {
            D3DXVECTOR3 q;
            D3DXVec3TransformCoord(&q, &p, &w);
            lowest = std::min(lowest, q.z);
            highest = std::max(highest, q.z);
            ASSERT_TRUE(InsidePolygon(outline, q.x, q.z + 0.01f)) << "train vertex in a wall at " << q.x << ", " << q.z;
            // Each train keeps to its own side of the tunnel.
            EXPECT_GT(turned ? -q.x : q.x, 3.0f);
        }
        EXPECT_NEAR(lowest, kRailTop - 1.5f, 0.5f) << "wheel treads on the rails, flanges just below";
        EXPECT_LT(highest, 35.0f - 10.0f) << "room above the train for the camera at z = 35";
    }
}

TEST(Hand, LiesInItsCameraViewAmidTheLampsWithThePalmTowardTheCamera) {
    const Model hand = HandModel();
    ASSERT_EQ(hand.meshes.size(), 1u);
    EXPECT_LE(Triangles(hand), 4000);
    const Mesh& mesh = hand.meshes[0];
    const D3DXVECTOR3 eye(0, -32, 15), at(0, 0, 0), up(0, 0, 1);
    D3DXMATRIX view, proj, vp;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, 0.7853982f, 4.0f / 3.0f, 2.0f, 15000.0f);
    vp = view * proj;
    int inView = 0, facing = 0;
    float minX = 1e9f, maxX = -1e9f, nearestLampCentre = 1e9f;
    const D3DXVECTOR3 lampCentre(-5.0f, 0.0f, 3.0f);  // the middle of the three lamps' orbits
    for (std::size_t i = 0; i < mesh.positions.size(); ++i) {
        const D3DXVECTOR3 p = mesh.positions[i] + kHandOffset;
        D3DXVECTOR3 s;
        D3DXVec3TransformCoord(&s, &p, &vp);
        if (std::fabs(s.x) < 1 && std::fabs(s.y) < 1 && s.z > 0 && s.z < 1) ++inView;
        const D3DXVECTOR3 toEye = eye - p;
        if (Dot(mesh.normals[i], toEye) > 0) ++facing;
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        const D3DXVECTOR3 d = p - lampCentre;
        nearestLampCentre = std::min(nearestLampCentre, std::sqrt(Dot(d, d)));
    }
    const float n = float(mesh.positions.size());
    EXPECT_GT(inView / n, 0.8f) << "most of the hand is in the picture";
    EXPECT_GT(facing / n, 0.4f);
    // Looking from the camera at the hand's middle meets the palm nearly face on, not edge on.
    Mesh placed = mesh;
    D3DXVECTOR3 centre(0, 0, 0);
    for (D3DXVECTOR3& p : placed.positions) {
        p += kHandOffset;
        centre += p / n;
    }
    const D3DXVECTOR3 ray = (centre - eye) / std::sqrt(Dot(centre - eye, centre - eye));
    const std::optional<Hit> hit = Cast(placed, eye, ray);
    ASSERT_TRUE(hit.has_value()) << "the camera looks past the hand";
    EXPECT_TRUE(hit->front);
    int nearest = 0;
    float best = 1e9f;
    const D3DXVECTOR3 met = eye + ray * hit->distance;
    for (std::size_t i = 0; i < placed.positions.size(); ++i) {
        const D3DXVECTOR3 d = placed.positions[i] - met;
        if (Dot(d, d) < best) best = Dot(d, d), nearest = int(i);
    }
    EXPECT_GT(-Dot(mesh.normals[nearest], ray), 0.7f) << "the palm is turned away from the camera";
    EXPECT_LT(nearestLampCentre, 4.0f) << "the lamps circle close to the hand";
    EXPECT_GT(maxX - minX, 20.0f);  // hand and the start of the forearm
    EXPECT_LT(maxX, 10.0f);
}

TEST(OrganicTunnel, SegmentsJoinAndTheCameraAndGlobulesAreInside) {
    for (float a = 0.0f; a < 6.28f; a += 0.37f)
        EXPECT_NEAR(OrganicRadius(a, -kSegmentLength), OrganicRadius(a, 0.0f), 1e-3f) << "seam at angle " << a;
    const Model tube = OrganicTunnelModel();
    ASSERT_EQ(tube.meshes.size(), 1u);
    EXPECT_LE(Triangles(tube), 8000);
    const Mesh mesh = ThreeSegments(tube.meshes[0]);
    for (float y = -1260.0f; y <= -510.0f; y += 150.0f) ExpectEnclosedBy(mesh, {0, y, 30}, "camera");
    for (float x : {-70.0f, 60.0f})
        for (float y : {-1500.0f, -1370.0f}) ExpectEnclosedBy(mesh, {x, y, -90}, "globule source");
}

// The world positions of every vertex of a frame tree at its bind pose.
void CollectPoints(const Frame& f, const D3DXMATRIX& parent, std::vector<D3DXVECTOR3>& out) {
    const D3DXMATRIX m = f.transform * parent;
    for (const Mesh& mesh : f.meshes)
        for (const D3DXVECTOR3& p : mesh.positions) {
            D3DXVECTOR3 q;
            D3DXVec3TransformCoord(&q, &p, &m);
            out.push_back(q);
        }
    for (const Frame& c : f.children) CollectPoints(c, m, out);
}

const Frame* Find(const Frame& f, const std::string& name) {
    if (f.name == name) return &f;
    for (const Frame& c : f.children)
        if (const Frame* found = Find(c, name)) return found;
    return nullptr;
}

template <class Keys>
void ExpectLoops(const Keys& keys, std::uint32_t loop, const std::string& what) {
    if (keys.empty()) return;
    EXPECT_EQ(keys.front().time, 0u) << what;
    EXPECT_EQ(keys.back().time, loop) << what;
    for (std::size_t i = 1; i < keys.size(); ++i) EXPECT_GT(keys[i].time, keys[i - 1].time) << what;
}

void ExpectLoopingAnimation(const Model& model, std::uint32_t loop) {
    ASSERT_EQ(model.frames.size(), 1u);
    ASSERT_EQ(model.animationSets.size(), 1u);
    ASSERT_FALSE(model.animationSets[0].animations.empty());
    for (const Animation& a : model.animationSets[0].animations) {
        EXPECT_NE(Find(model.frames[0], a.frame), nullptr) << a.frame;
        EXPECT_NE(a.frame, model.frames[0].name) << "the root's matrix is replaced when drawn";
        ExpectLoops(a.rotations, loop, a.frame);
        ExpectLoops(a.positions, loop, a.frame);
        ExpectLoops(a.scales, loop, a.frame);
        if (!a.rotations.empty()) {
            const D3DXQUATERNION &f = a.rotations.front().rotation, &l = a.rotations.back().rotation;
            EXPECT_FLOAT_EQ(f.x, l.x);
            EXPECT_FLOAT_EQ(f.y, l.y);
            EXPECT_FLOAT_EQ(f.z, l.z);
            EXPECT_FLOAT_EQ(f.w, l.w);
        }
        if (!a.positions.empty()) {
            EXPECT_EQ(a.positions.front().value, a.positions.back().value) << a.frame;
        }
        if (!a.scales.empty()) {
            EXPECT_EQ(a.scales.front().value, a.scales.back().value) << a.frame;
        }
    }
}

TEST(OrganicCreatures, EyeAndTeethLoopWithinBudgetInsideTheTube) {
    const Model eye = EyeModel(), teeth = TeethModel();
    ExpectLoopingAnimation(eye, kEyeLoopTicks);
    ExpectLoopingAnimation(teeth, kTeethLoopTicks);
    EXPECT_LE(Triangles(eye.frames[0]), 3000);
    EXPECT_LE(Triangles(teeth.frames[0]), 3000);

    // The teeth stay near the wall, leaving the middle open for the view down the tube.
    std::vector<D3DXVECTOR3> points;
    CollectPoints(teeth.frames[0], Frame::Identity(), points);
    for (const D3DXVECTOR3& p : points) {
        const float r = std::hypot(p.x, p.z);
        EXPECT_GT(r, 100.0f);
        EXPECT_LT(r, kOrgRadius + kOrgRibDepth);
    }
    // The eye is straight ahead of the camera's start and never swallows its end point.
    const D3DXVECTOR3 start(0, -1260, 30), end(0, -510, 30);
    D3DXVECTOR3 toEye = kEyeCentre - start, look = D3DXVECTOR3(0, 0, 0) - start;
    toEye /= std::sqrt(Dot(toEye, toEye));
    look /= std::sqrt(Dot(look, look));
    EXPECT_GT(Dot(toEye, look), std::cos(0.2f)) << "the eye sits near the middle of the view";
    points.clear();
    CollectPoints(eye.frames[0], Frame::Identity(), points);
    for (const D3DXVECTOR3& p : points) {
        const D3DXVECTOR3 d = p - end;
        EXPECT_GT(std::sqrt(Dot(d, d)), 60.0f) << "eye geometry too close to the camera's end point";
    }
}

}  // namespace

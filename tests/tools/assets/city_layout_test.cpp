// Where the city's geometry stands: the places the main scene's cameras, characters, lamps
// and effects rely on, checked by casting rays against the generated mesh.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "tools/assets/characters/clips.h"
#include "tools/assets/city/city_blood.h"
#include "tools/assets/city/city_buildings.h"
#include "tools/assets/city/city_layout.h"
#include "tools/assets/city/city_model.h"
#include "tools/assets/city/city_textures.h"
#include "tools/assets/core/x_writer.h"

namespace {

using namespace assets::city;

const assets::Mesh& City() {
    static const assets::Mesh mesh = BuildCityMesh();
    return mesh;
}

// Distance along the ray to the nearest face that faces the ray's origin (back faces, which
// the show culls, are passed through).
std::optional<float> Cast(const assets::Mesh& mesh, D3DXVECTOR3 origin, D3DXVECTOR3 dir) {
    D3DXVec3Normalize(&dir, &dir);
    std::optional<float> best;
    for (const auto& f : mesh.faces) {
        const D3DXVECTOR3 &a = mesh.positions[f[0]], &b = mesh.positions[f[1]], &c = mesh.positions[f[2]];
        const D3DXVECTOR3 e1 = b - a, e2 = c - a;
        D3DXVECTOR3 n;
        D3DXVec3Cross(&n, &e1, &e2);
        if (D3DXVec3Dot(&n, &dir) >= 0.0f) continue;
        D3DXVECTOR3 p;
        D3DXVec3Cross(&p, &dir, &e2);
        const float det = D3DXVec3Dot(&e1, &p);
        if (std::fabs(det) < 1e-9f) continue;
        const D3DXVECTOR3 s = origin - a;
        const float u = D3DXVec3Dot(&s, &p) / det;
        if (u < 0.0f || u > 1.0f) continue;
        D3DXVECTOR3 q;
        D3DXVec3Cross(&q, &s, &e1);
        const float v = D3DXVec3Dot(&dir, &q) / det;
        if (v < 0.0f || u + v > 1.0f) continue;
        const float t = D3DXVec3Dot(&e2, &q) / det;
        if (t > 0.0f && (!best || t < *best)) best = t;
    }
    return best;
}

// The height of the first upward surface under (x, y), looking down from `from`.
float SurfaceZ(float x, float y, float from = 3000.0f) {
    const auto t = Cast(City(), {x, y, from}, {0, 0, -1});
    return t ? from - *t : -1.0e9f;
}

bool InsideBuilding(const D3DXVECTOR3& p) {
    for (const Building& b : PlanBuildings()) {
        const Rect& f = b.footprint;
        if (p.x > f.x0 && p.x < f.x1 && p.y > f.y0 && p.y < f.y1 && p.z < b.height + 60.0f) return true;
    }
    return false;
}

// A line of sight is clear when nothing faces it before `to`.
bool ClearView(D3DXVECTOR3 from, D3DXVECTOR3 to) {
    const D3DXVECTOR3 d = to - from;
    const auto t = Cast(City(), from, d);
    return !t || *t > D3DXVec3Length(&d) - 1.0f;
}

TEST(CityLayout, CharactersStandOnTheStreetAtTheirScenePositions) {
    struct Spot {
        const char* who;
        float x, y;
    };
    const Spot spots[] = {{"idle", 0, -600},     {"run1", -200, -965},   {"run2", 1820, -920},
                          {"changedir", 980, 2150}, {"walk", 1000, 3400}, {"accident victim", 1740, 2340}};
    for (const Spot& s : spots) {
        const float z = SurfaceZ(s.x, s.y, 400.0f);
        EXPECT_GE(z, kRoadZ - 0.5f) << s.who;
        EXPECT_LE(z, kPavementZ + 0.5f) << s.who;
        EXPECT_NE(GroundAt(s.x, s.y), Ground::Block) << s.who;
    }
    // The blood lies on a road: blood.x's own floor plus the scene's translation meets it.
    EXPECT_NEAR(SurfaceZ(kBloodX, kBloodY, 400.0f), kRoadZ, 0.5f);
}

TEST(CityLayout, SceneCamerasStandOutsideBuildingsAndSeeTheirSubjects) {
    const D3DXVECTOR3 eyes[] = {{-390, -1935, 25},  {-390, -1935, 75}, {-470, -1835, 25}, {-200, -995, 75},
                                {1910, 800, 30},    {2010, 900, 50},   {1980, 3500, 50},  {1150, 4700, 50},
                                {1150, 4900, 50},   {950, 3300, 90},   {2010, 900, 300},  {2225, -1570, 1090},
                                {1900, -1500, 1090}, {1615, -1210, 1090}, {1400, -1000, 1090}, {-2410, -860, 845}};
    for (const D3DXVECTOR3& e : eyes) EXPECT_FALSE(InsideBuilding(e)) << e.x << ", " << e.y << ", " << e.z;
    // Subjects in view: the crash from the accident camera, changedir from its camera, the
    // blood from the walk camera, the idle character up the avenue.
    EXPECT_TRUE(ClearView({2010, 900, 50}, {1940, 2200, 40}));
    EXPECT_TRUE(ClearView({2010, 900, 50}, {1740, 2340, 40}));
    EXPECT_TRUE(ClearView({1980, 3500, 50}, {980, 2150, 40}));
    EXPECT_TRUE(ClearView({950, 3300, 50}, {kBloodX, kBloodY, 25}));
    EXPECT_TRUE(ClearView({-390, -1935, 50}, {0, -600, 50}));
    EXPECT_TRUE(ClearView({1910, 800, 30}, {1820, -920, 40}));
    // The praise glide at z 1090 passes over the roofs.
    for (float v = 0.0f; v <= 1.0f; v += 0.05f)
        EXPECT_LT(SurfaceZ(1900.0f - 500.0f * v, -1500.0f + 500.0f * v), 1080.0f) << v;
}

TEST(CityLayout, ClimbWallAndPraiseRoofAreWhereTheCharactersExpectThem) {
    // Straight ahead of the climb camera: the wall at y = 5000, facing it.
    const auto wall = Cast(City(), {1150, 4700, 50}, {0, 1, 0});
    ASSERT_TRUE(wall.has_value());
    EXPECT_NEAR(4700.0f + *wall, kClimbHouse.y0, 1.0f);
    EXPECT_NEAR(SurfaceZ(1150, 5050, 800), kClimbHouseRoofZ, 1.0f);
    // The praise roof round the look-at point (1615, -1210).
    EXPECT_NEAR(SurfaceZ(1560, -1260, 1200), kPraiseRoofZ, 1.0f);
    EXPECT_NEAR(SurfaceZ(1600, -1225, 1200), kPraiseRoofZ, 1.0f);
}

TEST(CityLayout, LampsTowerChimneyVentAndSparksSitUnderTheirEffects) {
    const auto nearest = [](const D3DXVECTOR3& p) {
        float best = 1e9f;
        for (const auto& v : City().positions) {
            const D3DXVECTOR3 d = v - p;
            best = std::min(best, D3DXVec3Length(&d));
        }
        return best;
    };
    for (float y : kLampYs) {
        EXPECT_LT(nearest({kLampX, y, kLampHeadZ}), 25.0f) << y;
        EXPECT_NEAR(SurfaceZ(kLampX + 12.0f, y, 400.0f), kLampHeadZ + 8.0f, 1.0f) << y;  // the lamp head's top
    }
    // The scene's warning lights stand on masts just under them on the tower's roof.
    for (std::size_t j = 0; j < city_places::kWarningLightCount; ++j) {
        const city_places::Place& first = city_places::kFirstWarningLight;
        const float step = city_places::kWarningLightStep * static_cast<float>(j);
        const float x = first.x - step, y = first.y + step;
        EXPECT_TRUE(x > kTower.x0 && x < kTower.x1 && y > kTower.y0 && y < kTower.y1) << j;
        const float top = SurfaceZ(x, y, 1200.0f);
        EXPECT_LT(top, first.z) << j;
        EXPECT_GT(top, first.z - 10.0f) << j;
        EXPECT_GT(top, kTowerRoofZ + 10.0f) << j;
    }
    EXPECT_NEAR(SurfaceZ(515.0f + 30.0f, -560.0f, 1200.0f), kTowerRoofZ, 1.0f);
    // Smoke leaves the chimney's mouth at 840; its rim is there, its throat below.
    EXPECT_NEAR(SurfaceZ(kChimneyX + 21.0f, kChimneyY, 1000.0f), kChimneyTopZ, 1.0f);
    EXPECT_LT(SurfaceZ(kChimneyX, kChimneyY, 1000.0f), kChimneyTopZ);
    EXPECT_GT(SurfaceZ(kChimneyX, kChimneyY, 1000.0f), kChimneyHouseRoofZ);
    // The vent is a grate in the avenue at street level.
    EXPECT_NEAR(SurfaceZ(kVentX, kVentY, 400.0f), kRoadZ + 1.5f, 0.5f);
    EXPECT_EQ(GroundAt(kVentX, kVentY), Ground::Road);
    // The sparks fall from the hanging cable end, in the open.
    EXPECT_LT(nearest({kSparkX, kSparkY, kSparkZ}), 3.0f);
    EXPECT_FALSE(InsideBuilding({kSparkX, kSparkY, kSparkZ}));
}

TEST(CityLayout, RoofsFaceUpAndStayUnderTheirLimits) {
    // Every building's roof is hit from above at its height: a roof wound the wrong way round
    // (and culled in the show) would let the ray through.
    int checked = 0;
    for (const Building& b : PlanBuildings()) {
        EXPECT_LE(b.height, 1100.0f);
        if (checked++ % 7 != 0) continue;  // a sample keeps the test quick
        const float x = 0.5f * (b.footprint.x0 + b.footprint.x1), y = 0.5f * (b.footprint.y0 + b.footprint.y1);
        EXPECT_GE(SurfaceZ(x, y, 1500.0f), b.height - 0.5f) << x << ", " << y;
    }
    EXPECT_GT(checked, 150);
    // No building in the streets.
    for (const Building& b : PlanBuildings()) {
        const float cx = 0.5f * (b.footprint.x0 + b.footprint.x1), cy = 0.5f * (b.footprint.y0 + b.footprint.y1);
        EXPECT_EQ(GroundAt(cx, cy), Ground::Block) << cx << ", " << cy;
        EXPECT_EQ(GroundAt(b.footprint.x0 + 1, b.footprint.y0 + 1), Ground::Block);
        EXPECT_EQ(GroundAt(b.footprint.x1 - 1, b.footprint.y1 - 1), Ground::Block);
    }
}

TEST(CityLayout, BudgetTexturesAndDeterminism) {
    const assets::Model model = BuildCityModel();
    ASSERT_EQ(model.meshes.size(), 1u);
    EXPECT_TRUE(model.frames.empty());
    const assets::Mesh& m = model.meshes[0];
    EXPECT_LE(m.faces.size(), 60000u);
    EXPECT_EQ(m.normals.size(), m.positions.size());
    EXPECT_EQ(m.uvs.size(), m.positions.size());
    EXPECT_EQ(m.faceMaterials.size(), m.faces.size());
    // Every texture the mesh names is one the pack makes.
    for (const assets::Material& mat : m.materials) {
        if (mat.texture.empty()) continue;
        bool made = false;
        for (const CityTexture& t : CityTextures()) made = made || t.name == mat.texture;
        EXPECT_TRUE(made) << mat.texture;
    }
    EXPECT_EQ(assets::WriteX(model, assets::XEncoding::Binary), assets::WriteX(BuildCityModel(), assets::XEncoding::Binary));
}

TEST(CityTextures, FacadesShowLitAndDarkWindowsAndTile) {
    for (int f = 0; f < int(Facade::Count); ++f) {
        int lit = 0;
        for (int floor = 0; floor < kFacadeFloors; ++floor)
            for (int bay = 0; bay < kFacadeBays; ++bay) lit += WindowLit(Facade(f), bay, floor);
        EXPECT_GT(lit, 8) << f;
        EXPECT_LT(lit, kFacadeBays * kFacadeFloors - 8) << f;
    }
    const assets::Image img = MakeFacade(Facade::WarmOffice);
    ASSERT_EQ(img.width, 512);
    // A lit window's centre is brighter than a dark one's.
    const int cell = img.width / kFacadeBays;
    const auto luma = [&](int bay, int floor) {
        const std::uint32_t p = img.At(bay * cell + cell / 2 + 8, floor * cell + cell / 2);
        return ((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255);
    };
    std::optional<std::uint32_t> litLuma, darkLuma;
    for (int floor = 0; floor < kFacadeFloors; ++floor)
        for (int bay = 0; bay < kFacadeBays; ++bay) (WindowLit(Facade::WarmOffice, bay, floor) ? litLuma : darkLuma) = luma(bay, floor);
    ASSERT_TRUE(litLuma && darkLuma);
    EXPECT_GT(*litLuma, *darkLuma + 200u);
    // The picture wraps without a seam in the wall grain: opposite edges stay close.
    int far = 0;
    for (int y = 0; y < img.height; y += 3) {
        const int a = (img.At(0, y) >> 8) & 255, b = (img.At(img.width - 1, y) >> 8) & 255;
        far += std::abs(a - b) > 60;
    }
    EXPECT_LT(far, img.height / 12);
}

TEST(CityBlood, SplashLiesFlatOnTheStreetFacingUp) {
    const assets::Model model = BuildBloodModel();
    ASSERT_EQ(model.meshes.size(), 1u);
    const assets::Mesh& m = model.meshes[0];
    ASSERT_FALSE(m.faces.empty());
    for (const auto& p : m.positions) {
        EXPECT_NEAR(p.z + kBloodZ, kRoadZ, 1.0f);
        EXPECT_LT(std::hypot(p.x, p.y), 160.0f);
    }
    for (const auto& n : m.normals) EXPECT_GT(n.z, 0.99f);
    EXPECT_EQ(m.materials.size(), 1u);
    EXPECT_EQ(m.materials[0].texture, kBloodTexture);
}

const assets::characters::Clip& ClipOf(const std::string& file) {
    for (const auto& c : assets::characters::Clips())
        if (c.file == file) return c;
    ADD_FAILURE() << "no clip for " << file;
    return assets::characters::Clips().front();
}

// Where a character's chest is in the world, `clipTime` into its clip, placed as the scene does.
D3DXVECTOR3 ChestAt(const assets::characters::Clip& clip, D3DXVECTOR3 position, float rotationZ, float clipTime) {
    const D3DXVECTOR3 root = clip.pose(clipTime).root;
    const float c = std::cos(rotationZ), s = std::sin(rotationZ);
    return {position.x + c * root.x - s * root.y, position.y + s * root.x + c * root.y, position.z + 40.0f};
}

// Whether a point is inside the letterboxed view's width from `eye` toward `lookAt` and not hidden.
::testing::AssertionResult InSight(D3DXVECTOR3 eye, D3DXVECTOR3 lookAt, D3DXVECTOR3 at) {
    const float halfWidth = std::atan(std::tan(0.3927f) * 640.0f / 380.0f);
    const float off = std::remainder(
        std::atan2(at.y - eye.y, at.x - eye.x) - std::atan2(lookAt.y - eye.y, lookAt.x - eye.x), 6.2831853f);
    if (std::fabs(off) > halfWidth - 0.05f) return ::testing::AssertionFailure() << off << " rad off the view";
    if (!ClearView(eye, at)) return ::testing::AssertionFailure() << "hidden behind the city";
    return ::testing::AssertionSuccess();
}

// The run1 shot at 60 frames a second: the camera looks up the street, then swings round while
// its eye drifts a little further every frame. The runner comes down the street toward it and
// runs off along the cross street it turns to, on the ground and in sight all the way.
TEST(CityLayout, Run1StaysOnTheStreetsAndInTheShotsView) {
    const auto& run1 = ClipOf("run1.x");
    D3DXVECTOR3 eye(-200, -995, 75), lookAt(-200, -955, 75);
    for (int frame = 71 * 60; frame <= 78 * 60; ++frame) {
        const float t = float(frame) / 60.0f;
        if (t >= 73.0f) {
            const float v = -200.0f + 250.0f * std::min(1.0f, (t - 73.0f) / 7.0f);
            eye.x -= 0.01f * v;
            eye.y -= 0.002f * v;
            lookAt.x = v;
        }
        const D3DXVECTOR3 at = ChestAt(run1, {-200, -965, 18.5f}, 0.0f, t - 71.0f);
        EXPECT_NE(GroundAt(at.x, at.y), Ground::Block) << t;
        if (frame % 15 != 0 || (t > 72.8f && t < 73.6f)) continue;  // it passes the camera at 73
        EXPECT_TRUE(InSight(eye, lookAt, at)) << "run1 at " << t << " s";
    }
}

// changedir seen across the square once the camera has panned to it: running up the street,
// stopping and looking round, turning round and running back down the street as the picture fades.
TEST(CityLayout, ChangeDirStaysOnTheStreetsAndInItsCamerasView) {
    const auto& changedir = ClipOf("changedir.x");
    const D3DXVECTOR3 eye(1980, 3500, 50);
    for (float t = 174.5f; t <= 183.0f; t += 0.25f) {
        const float pan = std::clamp((t - 175.2f) / 2.8f, 0.0f, 1.0f);
        const D3DXVECTOR3 lookAt(1580.0f - 700.0f * pan, 2650, 50);
        const D3DXVECTOR3 at = ChestAt(changedir, {980, 2150, 18.5f}, 1.5f, t - 174.0f);
        EXPECT_NE(GroundAt(at.x, at.y), Ground::Block) << t;
        if (t >= 176.5f && t <= 182.25f) {
            EXPECT_TRUE(InSight(eye, lookAt, at)) << "changedir at " << t << " s";
        }
    }
}

}  // namespace

// The city's files read back through the engine's model objects on a headless device: they
// load, their tracks loop, and the traffic is where and when the main scene's shots need it.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "scene/animated_model.h"
#include "scene/frame_tree.h"
#include "scene/mesh_model.h"
#include "tests/scene/skin_fixture.h"
#include "tools/assets/city/city_files.h"
#include "tools/assets/city/city_layout.h"
#include "tools/assets/city/city_model.h"
#include "tools/assets/city/city_vehicles.h"

namespace {

using namespace assets::city;

class CityFiles : public scenetest::FileDeviceTest {
protected:
    // Writes the named files of the area (and every texture) into the test's folder.
    void WritePack(std::initializer_list<const char*> models) {
        for (const assets::AssetFile& f : assets::CityFiles()) {
            const bool texture = f.name.ends_with(".jpg");
            bool wanted = texture;
            for (const char* m : models) wanted = wanted || f.name == m;
            if (!wanted) continue;
            const assets::Bytes bytes = f.make();
            Write(f.name, std::string(bytes.begin(), bytes.end()));
        }
    }
    // World position and forward (+X) axis of a frame after the model has advanced.
    static D3DXVECTOR3 Position(ModelFrame& root, const char* frame) {
        ModelFrame* f = FindFrameFromRoot(root, frame);
        EXPECT_NE(f, nullptr) << frame;
        return f ? D3DXVECTOR3(f->combined._41, f->combined._42, f->combined._43) : D3DXVECTOR3(0, 0, 0);
    }
    static D3DXVECTOR3 Forward(ModelFrame& root, const char* frame) {
        ModelFrame* f = FindFrameFromRoot(root, frame);
        return f ? D3DXVECTOR3(f->combined._11, f->combined._12, f->combined._13) : D3DXVECTOR3(0, 0, 0);
    }
    static void Pose(AnimatedModel& model, float seconds) {
        model.currentHierarchy->clock = 0.0f;
        model.AdvanceTime(seconds);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        model.currentHierarchy->root->local = identity;
        UpdateTransforms(*model.currentHierarchy->root, identity);
    }
    // Every animated frame's tracks end where they start.
    static void ExpectLoops(AnimatedModel& model) {
        int frames = 0;
        for (ModelFrame* a = model.currentHierarchy->animationList; a; a = a->nextAnimationFrame, ++frames) {
            ASSERT_GE(a->positionKeys.size(), 1u);
            ASSERT_EQ(a->positionKeys.size(), a->rotationKeys.size());
            const auto &p0 = a->positionKeys.front(), &p1 = a->positionKeys.back();
            EXPECT_EQ(p0.time, 0u);
            EXPECT_EQ(p0.x, p1.x) << *a->name;
            EXPECT_EQ(p0.y, p1.y) << *a->name;
            EXPECT_EQ(p0.z, p1.z) << *a->name;
            EXPECT_GT(p1.time, 0u) << *a->name;
            const auto &r0 = a->rotationKeys.front(), &r1 = a->rotationKeys.back();
            EXPECT_EQ(r0.x, r1.x);
            EXPECT_EQ(r0.y, r1.y);
            EXPECT_EQ(r0.z, r1.z);
            EXPECT_EQ(r0.w, r1.w);
        }
        EXPECT_GT(frames, 2);
    }
};

float Distance2D(const D3DXVECTOR3& a, float x, float y) { return std::hypot(a.x - x, a.y - y); }

TEST_F(CityFiles, StaticModelsLoadWithMaterialsTexturesAndBounds) {
    WritePack({"demo.x", "blood.x"});
    MeshModel city, blood;
    ASSERT_EQ(LoadIn(city, "demo.x"), S_OK);
    ASSERT_EQ(LoadIn(blood, "blood.x"), S_OK);
    ASSERT_NE(city.GetMesh(), nullptr);
    EXPECT_LE(city.GetMesh()->GetNumFaces(), 60000u);
    EXPECT_GE(city.materialCount, 10u);
    // Every textured material found its picture in the pack; the plain ones have none.
    const assets::Model source = BuildCityModel();
    ASSERT_EQ(city.materialCount, source.meshes[0].materials.size());
    for (std::uint32_t i = 0; i < city.materialCount; ++i)
        EXPECT_EQ(city.textures[i].Get() != nullptr, !source.meshes[0].materials[i].texture.empty()) << i;
    EXPECT_EQ(blood.materialCount, 1u);
    EXPECT_NE(blood.textures[0].Get(), nullptr);
    // The city spans the area the opening flight looks over.
    EXPECT_LT(city.boundingBox->min.x, -2000.0f);
    EXPECT_GT(city.boundingBox->max.x, 2800.0f);
    EXPECT_LT(city.boundingBox->min.y, -3000.0f);
    EXPECT_GT(city.boundingBox->max.y, 6000.0f);
}

TEST_F(CityFiles, CarsLoopAndCollideInTheAccidentShot) {
    WritePack({"cars.x"});
    AnimatedModel cars;
    ASSERT_EQ(LoadIn(cars, "cars.x"), S_OK);
    ASSERT_NE(cars.currentHierarchy, nullptr);
    ExpectLoops(cars);
    ModelFrame& root = *cars.currentHierarchy->root;
    // Two seconds in: the red car heads north up x = 1900, on the road, wheels on the street.
    Pose(cars, 2.0f);
    const D3DXVECTOR3 red = Position(root, "car_red"), north = Forward(root, "car_red");
    EXPECT_NEAR(red.x, 1940.0f, 1.0f);
    EXPECT_NEAR(red.z, kRoadZ, 0.1f);
    EXPECT_GT(north.y, 0.99f);
    EXPECT_EQ(GroundAt(red.x, red.y), Ground::Road);
    const D3DXVECTOR3 west = Forward(root, "car_blue");
    EXPECT_LT(west.x, -0.99f);
    // At the crash the two meet at the crossing.
    Pose(cars, kCrashTime);
    const D3DXVECTOR3 a = Position(root, "car_red"), b = Position(root, "car_blue");
    EXPECT_LT(Distance2D(a, b.x, b.y), 120.0f);
    EXPECT_LT(Distance2D(a, 1940.0f, 2200.0f), 100.0f);
    EXPECT_EQ(GroundAt(a.x, a.y), Ground::Crossing);
    // And stay there to the end of the shot (it is shown for ten seconds).
    Pose(cars, 9.5f);
    EXPECT_LT(Distance2D(Position(root, "car_blue"), 1735.0f, 2340.0f), 5.0f);
    EXPECT_NEAR(Position(root, "car_blue").z, kRoadZ, 0.1f);
}

TEST_F(CityFiles, TrainsRunOnTheViaductAndCrossTheAvenueInView) {
    WritePack({"trains_anim.x"});
    AnimatedModel trains;
    ASSERT_EQ(LoadIn(trains, "trains_anim.x"), S_OK);
    ASSERT_NE(trains.currentHierarchy, nullptr);
    ExpectLoops(trains);
    ModelFrame& root = *trains.currentHierarchy->root;
    // The scene advances trains by 0.8 of the show's step from 21 s on: the idle shot up the
    // avenue (40 - 55 s) and the opening flight (21 - 40 s) must each see a train cross.
    const auto crossesAvenue = [&](float showFrom, float showTo, float halfWidth) {
        for (float t = showFrom; t <= showTo; t += 0.25f) {
            Pose(trains, 0.8f * (t - 21.0f));
            for (const char* name : {"train_a", "train_b", "train_c"}) {
                const D3DXVECTOR3 p = Position(root, name);
                if (p.z < 0.0f) continue;
                EXPECT_NEAR(p.z, kRailTopZ, 0.1f) << name;
                EXPECT_NEAR(std::fabs(p.y - kRailY), kTrackOffset, 0.1f) << name;
                if (std::fabs(p.x + 400.0f) < halfWidth) return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(crossesAvenue(40.0f, 55.0f, 600.0f));
    EXPECT_TRUE(crossesAvenue(21.0f, 40.0f, 2500.0f));
    // Heading along the track: eastbound trains face +X, westbound -X.
    Pose(trains, 0.8f * (49.0f - 21.0f));
    EXPECT_LT(Forward(root, "train_b").x, -0.99f);
    EXPECT_GT(Forward(root, "train_a").x, 0.99f);
}

TEST(CityTracks, LoopKeysWrapRoundThePeriod) {
    // A track whose points straddle the loop's end: keys at 0 and at the period are the same
    // pose, interpolated between the points either side of the wrap.
    const std::vector<Waypoint> track = {{18.0f, {0, 0, 0}, 0.0f}, {22.0f, {400, 0, 0}, 0.0f}};
    const assets::Animation a = LoopAnimation("f", track, 20.0f, 4800);
    ASSERT_GE(a.positions.size(), 3u);
    EXPECT_EQ(a.positions.front().time, 0u);
    EXPECT_EQ(a.positions.back().time, 96000u);
    EXPECT_NEAR(a.positions.front().value.x, 200.0f, 0.01f);  // halfway from 18 s to 22 s (= 2 s)
    EXPECT_EQ(a.positions.front().value, a.positions.back().value);
    for (std::size_t i = 1; i < a.positions.size(); ++i) EXPECT_GT(a.positions[i].time, a.positions[i - 1].time);
    // A single point holds still.
    const assets::Animation still = LoopAnimation("g", {{3.0f, {5, 6, 7}, 1.0f}}, 20.0f, 4800);
    for (const auto& k : still.positions) EXPECT_EQ(k.value, D3DXVECTOR3(5, 6, 7));
}

}  // namespace

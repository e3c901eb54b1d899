// The tunnel area's files read back through the engine's model objects on a headless device:
// static models with their materials and textures, animated models that pose and draw, and
// the same bytes every time they are made.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "scene/animated_model.h"
#include "scene/frame_tree.h"
#include "scene/mesh_model.h"
#include "tests/scene/skin_fixture.h"
#include "tools/assets/tunnels/hand_model.h"
#include "tools/assets/tunnels/organic_models.h"
#include "tools/assets/tunnels/rail_tunnel.h"
#include "tools/assets/tunnels/train_model.h"
#include "tools/assets/tunnels/tunnels_files.h"

namespace {

using namespace assets;

class TunnelFilesTest : public scenetest::FileDeviceTest {
protected:
    void SetUp() override {
        scenetest::FileDeviceTest::SetUp();
        for (const AssetFile& f : TunnelFiles()) {
            const Bytes bytes = f.make();
            Write(f.name, std::string(bytes.begin(), bytes.end()));
        }
    }
};

int Faces(const Model& m) { return int(m.meshes.at(0).faces.size()); }

TEST_F(TunnelFilesTest, StaticModelsLoadWithEveryTextureTheyName) {
    const struct {
        const char* name;
        Model (*build)();
    } files[] = {{"tunnel.x", tunnels::RailTunnelModel},
                 {"train.x", tunnels::TrainModel},
                 {"hand.x", tunnels::HandModel},
                 {"org_tunnel.x", tunnels::OrganicTunnelModel}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        MeshModel model;
        ASSERT_EQ(LoadIn(model, file.name), 0);
        const Model source = file.build();
        const Mesh& mesh = source.meshes[0];
        ASSERT_EQ(model.materialCount, mesh.materials.size());
        for (std::uint32_t i = 0; i < model.materialCount; ++i) {
            const bool named = !mesh.materials[i].texture.empty();
            EXPECT_EQ(model.textures[i].Get() != nullptr, named) << "material " << i << " " << mesh.materials[i].texture;
            EXPECT_FLOAT_EQ(model.materials[i].Emissive.r, mesh.materials[i].emissive.r);
        }
        EXPECT_EQ(int(model.GetMesh()->GetNumFaces()), Faces(source));
        EXPECT_EQ(model.GetMesh()->GetFVF() & D3DFVF_NORMAL, DWORD(D3DFVF_NORMAL));
    }
}

TEST_F(TunnelFilesTest, EyeAndTeethPoseTheirFramesAndDraw) {
    for (const char* name : {"eye_anim.x", "teeth_anim.x"}) {
        SCOPED_TRACE(name);
        AnimatedModel model;
        ASSERT_EQ(LoadIn(model, name), 0);
        ASSERT_NE(model.currentHierarchy, nullptr) << "the file did not parse";
        const char* moving = std::string(name) == "eye_anim.x" ? "UpperLid" : "UpperJaw";
        ModelFrame* frame = FindFrameFromRoot(*model.currentHierarchy->root, moving);
        ASSERT_NE(frame, nullptr);
        // Poses a quarter of a second into the loop and a whole loop later match; a closed
        // lid or jaw (1.1 s / 0.35 s in) differs from the open start.
        const float loop = (std::string(name) == "eye_anim.x" ? tunnels::kEyeLoopTicks : tunnels::kTeethLoopTicks) /
                           4800.0f;
        const float closed = std::string(name) == "eye_anim.x" ? 1.12f : 0.35f;
        model.AdvanceTime(0.0f);
        const D3DXMATRIX open = frame->local;
        model.AdvanceTime(closed);
        const D3DXMATRIX shut = frame->local;
        model.AdvanceTime(loop);
        const D3DXMATRIX again = frame->local;
        float moved = 0.0f, repeat = 0.0f;
        for (int i = 0; i < 16; ++i) {
            moved = std::max(moved, std::fabs(shut.m[i / 4][i % 4] - open.m[i / 4][i % 4]));
            repeat = std::max(repeat, std::fabs(again.m[i / 4][i % 4] - shut.m[i / 4][i % 4]));
        }
        EXPECT_GT(moved, 0.1f) << "the frame does not move";
        EXPECT_LT(repeat, 1e-2f) << "one loop later the pose differs";
        EXPECT_EQ(model.Render(), 0);
    }
}

TEST(TunnelFilesBytes, AreTheSameEveryTimeAndUseTheirEncodings) {
    const AssetList first = TunnelFiles(), second = TunnelFiles();
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        if (!first[i].name.ends_with(".x")) continue;
        const Bytes a = first[i].make(), b = second[i].make();
        EXPECT_EQ(a, b) << first[i].name;
        ASSERT_GE(a.size(), 16u);
        const std::string header(a.begin(), a.begin() + 16);
        const std::string expected = first[i].name == "tunnel.x"     ? "xof 0303tzip0032"
                                     : first[i].name == "eye_anim.x" ? "xof 0303bzip0032"
                                                                     : "xof 0303txt 0032";
        EXPECT_EQ(header, expected) << first[i].name;
    }
}

}  // namespace

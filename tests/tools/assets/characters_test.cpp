// The character files through the show's own loader: skinning within budget, the two-matrix split,
// loops that close, and feet on the floor of each shot in every key pose.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <string>

#include "scene/animated_model.h"
#include "scene/frame_tree.h"
#include "scene/keyframe_animation.h"
#include "tests/scene/skin_fixture.h"
#include "tools/assets/characters/characters_files.h"
#include "tools/assets/characters/skeleton.h"

namespace {

// Where the main scene puts each character, and the height its floor has in the world there.
struct Placement {
    D3DXVECTOR3 position;
    D3DXVECTOR3 rotation;
    float floor;
};

const std::map<std::string, Placement>& Placements() {
    static const std::map<std::string, Placement> p = {
        {"idle.x", {{0, -600, 18.5f}, {0, 0, 0}, 18.5f}},
        {"run1.x", {{-200, -965, 18.5f}, {0, 0, 0}, 18.5f}},
        {"run2.x", {{1820, -920, 18.5f}, {0, 0, 1.5f}, 18.5f}},
        {"changedir.x", {{980, 2150, 18.5f}, {0, 0, 1.5f}, 18.5f}},
        {"walk.x", {{1000, 3400, 18.5f}, {0, 0, 0}, 18.5f}},
        {"climb.x", {{0, -1, 41}, {0, 0, 0}, 18.5f}},
        {"accident.x", {{-8, 300, 18.5f}, {0, 0, 0}, 18.5f}},
        {"praise.x", {{2115, 15, 1065}, {0, 0, 0}, 1030.0f}},
    };
    return p;
}

MeshContainer* FirstSkinned(ModelFrame* frame) {
    for (ModelFrame* f = frame; f; f = f->sibling.get()) {
        for (MeshContainer* c = f->containers.get(); c; c = c->next.get())
            if (c->skin) return c;
        if (MeshContainer* c = FirstSkinned(f->firstChild.get())) return c;
    }
    return nullptr;
}

class CharactersTest : public scenetest::FileDeviceTest {
protected:
    void SetUp() override {
        FileDeviceTest::SetUp();
        for (const assets::AssetFile& f : assets::CharacterFiles()) {
            const assets::Bytes bytes = f.make();
            std::ofstream(dir / f.name, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
            if (f.name.ends_with(".x")) files.push_back(f.name);
        }
    }

    std::unique_ptr<AnimatedModel> Load(const std::string& name) {
        auto model = std::make_unique<AnimatedModel>();
        EXPECT_EQ(model->Load((dir / name).string().c_str()), S_OK) << name;
        EXPECT_NE(model->currentHierarchy, nullptr) << name;
        return model;
    }

    std::vector<std::string> files;
};

TEST_F(CharactersTest, EveryCharacterIsOneSkinnedMeshWithinBudget) {
    ASSERT_EQ(files.size(), Placements().size());
    SetBlendMatrices(4);
    for (const std::string& name : files) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(Placements().count(name));
        auto model = Load(name);
        ASSERT_NE(model->currentHierarchy, nullptr);
        MeshContainer* c = FirstSkinned(model->currentHierarchy->root.get());
        ASSERT_NE(c, nullptr);
        EXPECT_GE(c->BoneCount(), 15u);
        EXPECT_LE(c->BoneCount(), 25u);
        EXPECT_GE(c->skin->GetNumFaces(), 2000u);
        EXPECT_LE(c->skin->GetNumFaces(), 4000u);
        DWORD perVertex = 0, perFace = 0;
        c->skin->GetMaxVertexInfluences(&perVertex);
        c->skin->GetMaxFaceInfluences(&perFace);
        EXPECT_LE(perVertex, 4u);
        EXPECT_GT(perFace, 2u);  // some faces need the device's split path
        EXPECT_EQ(c->materialCount, 6u);
        for (std::uint32_t b = 0; b < c->BoneCount(); ++b) EXPECT_NE(c->boneMatrices[b], nullptr) << c->BoneName(b);
    }
}

TEST_F(CharactersTest, TwoMatrixDeviceSplitsTheBody) {
    SetBlendMatrices(2);
    auto model = Load("run1.x");  // the binary one
    ASSERT_NE(model->currentHierarchy, nullptr);
    MeshContainer* c = FirstSkinned(model->currentHierarchy->root.get());
    ASSERT_NE(c, nullptr);
    EXPECT_NE(c->mesh.Get(), nullptr);
    EXPECT_NE(c->secondMesh.Get(), nullptr);
    EXPECT_GT(c->splitSubset, 0u);
    EXPECT_EQ(model->Render(), S_OK);
}

// Poses the hierarchy at `ticks` with the scene's placement and returns the lowest sole point.
float LowestSole(ModelHierarchy& h, float ticks, const Placement& p) {
    for (ModelFrame* f = h.animationList; f; f = f->nextAnimationFrame) PoseAtTime(*f, ticks);
    D3DXMatrixRotationYawPitchRoll(&h.root->local, p.rotation.y, p.rotation.x, p.rotation.z);
    D3DXMatrixTranslation(&h.root->outer, p.position.x, p.position.y, p.position.z);
    EXPECT_EQ(UpdateTransforms(*h.root, assets::Frame::Identity()), S_OK);
    float lowest = 1e30f;
    for (const auto& s : assets::characters::SolePoints()) {
        const char* bone = assets::characters::Bones()[s.bone].name;
        ModelFrame* f = FindFrameFromRoot(*h.root, bone);
        EXPECT_NE(f, nullptr) << bone;
        if (!f) continue;
        // The sole point is given relative to the joint in bind orientation; the bone's offset
        // matrix moves bind-space points into its space.
        const D3DXVECTOR3 bind = s.offset + assets::characters::Bones()[s.bone].joint;
        D3DXMATRIX offset, m;
        D3DXMatrixTranslation(&offset, -assets::characters::Bones()[s.bone].joint.x,
                              -assets::characters::Bones()[s.bone].joint.y, -assets::characters::Bones()[s.bone].joint.z);
        D3DXMatrixMultiply(&m, &offset, &f->combined);
        D3DXVECTOR3 w;
        D3DXVec3TransformCoord(&w, &bind, &m);
        lowest = std::min(lowest, w.z);
    }
    return lowest;
}

TEST_F(CharactersTest, LoopsCloseAndFeetStayOnTheFloor) {
    for (const std::string& name : files) {
        SCOPED_TRACE(name);
        auto model = Load(name);
        ASSERT_NE(model->currentHierarchy, nullptr);
        ModelHierarchy& h = *model->currentHierarchy;
        const Placement& p = Placements().at(name);
        ModelFrame* hips = nullptr;
        int animated = 0;
        for (ModelFrame* f = h.animationList; f; f = f->nextAnimationFrame, ++animated) {
            ASSERT_NE(f->target, nullptr);
            ASSERT_GE(f->rotationKeys.size(), 2u);
            const QuaternionKey& a = f->rotationKeys.front();
            const QuaternionKey& b = f->rotationKeys.back();
            EXPECT_EQ(a.time, 0u);
            EXPECT_TRUE(a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w) << *f->target->name;
            if (!f->positionKeys.empty()) {
                hips = f;
                const VectorKey& s = f->positionKeys.front();
                const VectorKey& e = f->positionKeys.back();
                EXPECT_TRUE(s.x == e.x && s.y == e.y && s.z == e.z);
                EXPECT_EQ(f->positionKeys.back().time, b.time);
            }
        }
        EXPECT_GE(animated, 15);
        ASSERT_NE(hips, nullptr) << "no root motion track";
        const std::uint32_t last = hips->positionKeys.back().time;
        for (const VectorKey& k : hips->positionKeys) {
            // The climber leaves the floor once it starts up the wall (from its first second on).
            if (name == "climb.x" && k.time >= 4800 && k.time < last) continue;
            const float sole = LowestSole(h, float(k.time), p);
            EXPECT_GT(sole, p.floor - 1.0f) << "tick " << k.time;
            EXPECT_LT(sole, p.floor + 6.0f) << "tick " << k.time;
        }
    }
}

TEST_F(CharactersTest, ClimberRisesUpTheWallAndRunnersMove) {
    auto climb = Load("climb.x");
    ASSERT_NE(climb->currentHierarchy, nullptr);
    const Placement& p = Placements().at("climb.x");
    const float start = LowestSole(*climb->currentHierarchy, 0.0f, p);
    const float high = LowestSole(*climb->currentHierarchy, 8.5f * 4800.0f, p);
    EXPECT_GT(high - start, 40.0f);

    // Root motion through the loader: run2 covers a long way toward its camera (+Y in the world).
    auto run2 = Load("run2.x");
    ASSERT_NE(run2->currentHierarchy, nullptr);
    ModelHierarchy& h = *run2->currentHierarchy;
    const Placement& q = Placements().at("run2.x");
    LowestSole(h, 0.0f, q);
    const D3DXVECTOR3 a(FindFrameFromRoot(*h.root, "Hips")->combined._41, FindFrameFromRoot(*h.root, "Hips")->combined._42, 0);
    LowestSole(h, 10.0f * 4800.0f, q);
    const D3DXVECTOR3 b(FindFrameFromRoot(*h.root, "Hips")->combined._41, FindFrameFromRoot(*h.root, "Hips")->combined._42, 0);
    EXPECT_GT(b.y - a.y, 1000.0f);
    EXPECT_LT(std::fabs(b.x - a.x), 150.0f);
}

TEST(CharacterFiles, SameBytesEveryTime) {
    const assets::AssetList a = assets::CharacterFiles(), b = assets::CharacterFiles();
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].make(), b[i].make()) << a[i].name;
}

}  // namespace

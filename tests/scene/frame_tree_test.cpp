#include "scene/frame_tree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/scene/scene_fakes.h"

namespace {

using scenetest::FakeMesh;
using scenetest::FakeSkin;
using scenetest::NameBuffer;

std::unique_ptr<ModelFrame> Named(const char* name) {
    auto frame = std::make_unique<ModelFrame>();
    if (name) frame->name = name;
    return frame;
}

std::vector<std::string> ChildNames(const ModelFrame& parent) {
    std::vector<std::string> names;
    for (const ModelFrame* c = parent.firstChild.get(); c; c = c->sibling.get()) names.push_back(c->name.value_or("-"));
    return names;
}

std::unique_ptr<MeshContainer> ContainerWith(std::vector<float> xyz) {
    auto c = std::make_unique<MeshContainer>();
    c->mesh = ComPtr<ID3DXMesh>(new FakeMesh(std::move(xyz)));
    return c;
}

TEST(FrameTreeTest, ChildrenAndContainersStandInLinkOrder) {
    ModelFrame parent;
    AddChild(parent, Named("c1"));
    AddChild(parent, Named("c2"));
    AddChild(parent, Named("c3"));
    EXPECT_EQ(ChildNames(parent), (std::vector<std::string>{"c1", "c3", "c2"}));

    ModelFrame frame;
    auto a = std::make_unique<MeshContainer>();
    auto b = std::make_unique<MeshContainer>();
    a->name = "a";
    b->name = "b";
    AddContainer(frame, std::move(a));
    AddContainer(frame, std::move(b));
    ASSERT_TRUE(frame.containers && frame.containers->next);
    EXPECT_EQ(*frame.containers->name, "b");
    EXPECT_EQ(*frame.containers->next->name, "a");
    EXPECT_EQ(frame.containers->next->next, nullptr);
}

TEST(FrameTreeTest, FindByNameSearchesFrameThenChildrenThenSiblings) {
    // root -> x (child: dup#1), then sibling dup#2; names compared exactly.
    ModelFrame root;
    auto x = Named("x");
    AddChild(*x, Named("dup"));
    x->firstChild->initial._41 = 1.0f;
    ModelFrame* xFrame = x.get();
    AddChild(root, std::move(x));
    AddChild(root, Named("dup"));
    AddChild(root, Named(nullptr));
    ModelFrame* found = FindFrameByName(root.firstChild.get(), "dup");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, xFrame->firstChild.get());
    EXPECT_EQ(FindFrameByName(root.firstChild.get(), "DUP"), nullptr);
    EXPECT_EQ(FindFrameByName(root.firstChild.get(), ""), nullptr);
    EXPECT_EQ(FindFrameByName(root.firstChild.get(), nullptr), nullptr);
    // Searching from the second child skips the first child's subtree.
    ModelFrame* second = root.firstChild->sibling.get();
    EXPECT_EQ(FindFrameByName(second, "dup"), root.firstChild->sibling->sibling.get());
    EXPECT_EQ(FindFrameByName(second, "x"), nullptr);

    root.name = "root";
    EXPECT_EQ(FindFrameFromRoot(root, "root"), &root);
    EXPECT_EQ(FindFrameFromRoot(root, "x"), xFrame);
}

TEST(FrameTreeTest, BoundsLeaveOriginVerticesOutAndFollowLocalMatrices) {
    ModelHierarchy h;
    h.root = std::make_unique<ModelFrame>();
    // Two vertices at x = 1 and x = 3 plus one at the origin that must not count.
    AddContainer(*h.root, ContainerWith({1, 0, 0, 0, 0, 0, 3, 0, 0}));
    // A child moved by (0, 10, 0) holding one vertex at (2, 0, 0): measured at (2, 10, 0).
    auto child = Named("moved");
    D3DXMatrixTranslation(&child->local, 0.0f, 10.0f, 0.0f);
    D3DXMatrixTranslation(&child->outer, 500.0f, 0.0f, 0.0f);  // not used by the measurement
    AddContainer(*child, ContainerWith({2, 0, 0}));
    AddChild(*h.root, std::move(child));
    // A container without a mesh is passed over.
    AddContainer(*h.root, std::make_unique<MeshContainer>());
    ASSERT_EQ(MeasureBounds(h), S_OK);
    EXPECT_FLOAT_EQ(h.centre.x, 2.0f);
    EXPECT_FLOAT_EQ(h.centre.y, 10.0f / 3.0f);
    EXPECT_FLOAT_EQ(h.centre.z, 0.0f);
    EXPECT_FLOAT_EQ(h.radius, 20.0f / 3.0f);
    EXPECT_EQ(static_cast<FakeMesh*>(h.root->containers->next->mesh.Get())->locks, 0);

    ModelHierarchy zeros;
    zeros.root = std::make_unique<ModelFrame>();
    AddContainer(*zeros.root, ContainerWith({0, 0, 0, 0, 0, 0}));
    ASSERT_EQ(MeasureBounds(zeros), S_OK);
    EXPECT_EQ(zeros.centre, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(zeros.radius, 0.0f);
}

TEST(FrameTreeTest, FailedLockEndsTheMeasurementAndKeepsTheOldBounds) {
    ModelHierarchy h;
    h.root = std::make_unique<ModelFrame>();
    auto c = ContainerWith({1, 2, 3});
    static_cast<FakeMesh*>(c->mesh.Get())->failLock = true;
    AddContainer(*h.root, std::move(c));
    EXPECT_EQ(MeasureBounds(h), E_FAIL);
    EXPECT_EQ(h.radius, 1.0f);
}

TEST(FrameTreeTest, BonesBindToNamedFramesAndMissingOnesStayNull) {
    ModelHierarchy h;
    h.root = Named("root");
    AddChild(*h.root, Named("arm"));
    auto c = std::make_unique<MeshContainer>();
    c->skin = ComPtr<ID3DXSkinMesh>(new FakeSkin(3));
    c->boneNames = ComPtr<ID3DXBuffer>(new NameBuffer({"arm", "nowhere", "root"}));
    MeshContainer* skinned = c.get();
    AddContainer(*h.root->firstChild, std::move(c));
    // A rigid container is skipped.
    AddContainer(*h.root, std::make_unique<MeshContainer>());
    EXPECT_EQ(BindBones(*h.root, h), S_OK);
    ASSERT_EQ(skinned->boneMatrices.size(), 3u);
    EXPECT_EQ(skinned->boneMatrices[0], &h.root->firstChild->combined);
    EXPECT_EQ(skinned->boneMatrices[1], nullptr);
    EXPECT_EQ(skinned->boneMatrices[2], &h.root->combined);
    EXPECT_TRUE(h.root->containers->boneMatrices.empty());
}

TEST(FrameTreeTest, WideAndDeepTreesAreFreedWithoutTrouble) {
    auto root = std::make_unique<ModelFrame>();
    for (int i = 0; i < 200000; ++i) AddChild(*root, Named("leaf"));
    ModelFrame* at = root.get();
    for (int i = 0; i < 2000; ++i) {
        AddChild(*at, Named("deep"));
        at = at->firstChild.get();
    }
    EXPECT_EQ(FindFrameByName(root.get(), "missing"), nullptr);
    root.reset();
    SUCCEED();
}

}  // namespace

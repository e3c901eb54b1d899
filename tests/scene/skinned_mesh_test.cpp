#include "scene/skinned_mesh.h"

#include <gtest/gtest.h>

#include "scene/frame_tree.h"
#include "tests/scene/scene_fakes.h"
#include "tests/scene/skin_fixture.h"

namespace {

using scenetest::BarSkin;
using scenetest::BlendVertex;
using scenetest::Group;
using scenetest::kSize;
using scenetest::NameBuffer;

constexpr DWORD kNone = UNUSED32;

class SkinnedMeshTest : public scenetest::SkinDeviceTest {
protected:
    // A container holding the bar skin with identity bone offsets, built for `blendMatrices`.
    std::unique_ptr<MeshContainer> Build(DWORD blendMatrices, std::vector<Group> groups) {
        SetBlendMatrices(blendMatrices);
        auto c = std::make_unique<MeshContainer>();
        c->skin = ComPtr<ID3DXSkinMesh>(new BarSkin(device, std::move(groups)));
        c->boneNames = ComPtr<ID3DXBuffer>(new NameBuffer({"base", "tip", "tip"}));
        D3DXMATRIX offsets[3];
        for (auto& m : offsets) D3DXMatrixIdentity(&m);
        std::vector<unsigned char> bytes(sizeof(offsets));
        std::memcpy(bytes.data(), offsets, sizeof(offsets));
        c->boneOffsets = ComPtr<ID3DXBuffer>(new scenetest::FakeBuffer(bytes));
        c->boneOffsetMatrices = static_cast<const D3DXMATRIX*>(c->boneOffsets->GetBufferPointer());
        c->adjacency.assign(6 * 2, UNUSED32);
        D3DMATERIAL8 material{};
        c->materials.assign(1, material);
        c->textures.resize(1);
        c->materialCount = 1;
        EXPECT_EQ(BuildBlendedMesh(*c), S_OK);
        return c;
    }

    static std::vector<BlendVertex> Vertices(ID3DXMesh* mesh) {
        BYTE* data = nullptr;
        EXPECT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data), S_OK);
        std::vector<BlendVertex> v(mesh->GetNumVertices());
        std::memcpy(v.data(), data, v.size() * sizeof(BlendVertex));
        mesh->UnlockVertexBuffer();
        return v;
    }
};

TEST_F(SkinnedMeshTest, NoSplitUnlessTheDeviceBlendsExactlyTwoMatrices) {
    for (DWORD caps : {4u, 3u, 1u}) {
        auto c = Build(caps, {{0, {0, 1, kNone}}, {0, {0, 1, 2}}});
        SCOPED_TRACE(caps);
        ASSERT_TRUE(c->mesh);
        EXPECT_FALSE(c->secondMesh);
        EXPECT_EQ(c->mesh->GetNumFaces(), 4u);
        EXPECT_EQ(c->mesh->GetOptions() & D3DXMESH_WRITEONLY, D3DXMESH_WRITEONLY);
        EXPECT_EQ(c->subsetCount, 2u);
        EXPECT_EQ(c->splitSubset, 2u);
        EXPECT_EQ(c->influences, 3u);
        EXPECT_EQ(c->builtMarker, 0u);
    }
}

TEST_F(SkinnedMeshTest, TwoMatrixDeviceSplitsAtTheFirstGroupOfThreeBones) {
    // Every group within two bones: one mesh with everything.
    auto fits = Build(2, {{0, {0, 1, kNone}}, {0, {kNone, 2, kNone}}});
    ASSERT_TRUE(fits->mesh);
    EXPECT_FALSE(fits->secondMesh);
    EXPECT_EQ(fits->splitSubset, 2u);
    EXPECT_EQ(fits->mesh->GetNumFaces(), 4u);

    // The first group needs three: no first part, everything in the second mesh.
    auto first = Build(2, {{0, {0, 1, 2}}, {0, {0, kNone, kNone}}});
    EXPECT_FALSE(first->mesh);
    ASSERT_TRUE(first->secondMesh);
    EXPECT_EQ(first->splitSubset, 0u);
    EXPECT_EQ(first->secondMesh->GetNumFaces(), 4u);
    EXPECT_EQ(first->secondMesh->GetOptions() & D3DXMESH_SYSTEMMEM, D3DXMESH_SYSTEMMEM);

    // The second group needs three: quad 0 in the first mesh, quad 1 rebased in the second.
    auto second = Build(2, {{0, {0, 1, kNone}}, {0, {0, 1, 2}}});
    ASSERT_TRUE(second->mesh && second->secondMesh);
    EXPECT_EQ(second->splitSubset, 1u);
    EXPECT_EQ(second->mesh->GetNumFaces(), 2u);
    EXPECT_EQ(second->mesh->GetNumVertices(), 4u);
    EXPECT_EQ(second->secondMesh->GetNumFaces(), 2u);
    ASSERT_EQ(second->secondMesh->GetNumVertices(), 4u);
    for (const BlendVertex& v : Vertices(second->secondMesh.Get())) EXPECT_GE(v.x, 0.0f);
    BYTE* indices = nullptr;
    ASSERT_EQ(second->secondMesh->LockIndexBuffer(D3DLOCK_READONLY, &indices), S_OK);
    for (int i = 0; i < 6; ++i) EXPECT_LT(reinterpret_cast<WORD*>(indices)[i], 4u);
    second->secondMesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    ASSERT_EQ(second->secondMesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes), S_OK);
    EXPECT_EQ(attributes[0], 1u);
    EXPECT_EQ(attributes[1], 1u);
    second->secondMesh->UnlockAttributeBuffer();
}

TEST_F(SkinnedMeshTest, SplitOfAnEmptyRangeOrPastTheTableKeepsOnePart) {
    auto c = Build(4, {{0, {0, kNone, kNone}}, {0, {1, kNone, kNone}}});
    ComPtr<ID3DXMesh> first, second;
    const std::vector<DWORD> adjacency(12, UNUSED32);
    // Past the table: everything in the first part.
    ComPtr<ID3DXMesh> source;
    ASSERT_EQ(c->mesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM, c->mesh->GetFVF(), device, source.Receive()), S_OK);
    ASSERT_EQ(SplitBlendedMesh(source.Get(), 7, adjacency, D3DXMESH_SYSTEMMEM, D3DXMESH_SYSTEMMEM, first, second), S_OK);
    ASSERT_TRUE(first);
    EXPECT_FALSE(second);
    EXPECT_EQ(first->GetNumFaces(), 4u);
    // A short adjacency array is read as "no neighbour" past its end.
    ASSERT_EQ(SplitBlendedMesh(source.Get(), 1, std::span<const DWORD>(adjacency.data(), 2), D3DXMESH_SYSTEMMEM,
                               D3DXMESH_SYSTEMMEM, first, second),
              S_OK);
    EXPECT_TRUE(first && second);
    EXPECT_EQ(SplitBlendedMesh(nullptr, 0, adjacency, 0, 0, first, second), E_INVALIDARG);
}

TEST(BlendInfluencesTest, FollowThePositionFormat) {
    EXPECT_EQ(BlendInfluences(D3DFVF_XYZ | D3DFVF_NORMAL), 1u);
    EXPECT_EQ(BlendInfluences(D3DFVF_XYZB1), 2u);
    EXPECT_EQ(BlendInfluences(D3DFVF_XYZB2 | D3DFVF_TEX1), 3u);
    EXPECT_EQ(BlendInfluences(D3DFVF_XYZB3), 4u);
    EXPECT_EQ(BlendInfluences(D3DFVF_XYZB4), 5u);
}

// The bar drawn through a frame tree: bones "base" and "tip" are frames below the root.
class SkinnedPixelTest : public SkinnedMeshTest {
protected:
    void Draw(std::unique_ptr<MeshContainer> container, float tipLift) {
        ModelHierarchy h;
        h.root = std::make_unique<ModelFrame>();
        auto base = std::make_unique<ModelFrame>();
        base->name = "base";
        auto tip = std::make_unique<ModelFrame>();
        tip->name = "tip";
        D3DXMatrixTranslation(&tip->local, 0.0f, tipLift, 0.0f);
        AddChild(*h.root, std::move(base));
        AddChild(*h.root, std::move(tip));
        AddContainer(*h.root, std::move(container));
        ASSERT_EQ(BindBones(*h.root, h), S_OK);
        D3DXMATRIX identity, projection;
        D3DXMatrixIdentity(&identity);
        D3DXMatrixOrthoLH(&projection, 4.0f, 4.0f, 0.0f, 10.0f);
        device->SetTransform(D3DTS_VIEW, &identity);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        ASSERT_EQ(UpdateTransforms(*h.root, identity), S_OK);
        std::uint32_t faces = 0;
        ASSERT_EQ(DrawFrameTree(*h.root, faces), S_OK);
        device->EndScene();
        DWORD blend = 7;
        device->GetRenderState(D3DRS_VERTEXBLEND, &blend);
        EXPECT_EQ(blend, 0u);
        UINT w = 0, hgt = 0;
        ASSERT_GE(device->ReadBackBuffer(pixels, w, hgt), 0);
        ASSERT_EQ(pixels.size(), size_t(kSize) * kSize);
    }

    // Whether the world point (x, y) on the z = 1 plane is drawn red.
    bool Red(float x, float y) const {
        const int px = int((1.0f + x / 2.0f) * kSize / 2);
        const int py = int((1.0f - y / 2.0f) * kSize / 2);
        return (pixels[size_t(py) * kSize + px] & 0x00FFFFFF) == 0x00FF0000;
    }

    std::vector<std::uint32_t> pixels;
};

TEST_F(SkinnedPixelTest, BarBendsWithItsBonesAndSplitDrawsTheSame) {
    const std::vector<Group> groups = {{0, {0, 1, kNone}}, {0, {0, 1, 2}}};
    Draw(Build(4, groups), 0.0f);
    EXPECT_TRUE(Red(-0.5f, 0.0f));
    EXPECT_TRUE(Red(0.9f, 0.0f));
    EXPECT_FALSE(Red(0.9f, 1.0f));
    const std::vector<std::uint32_t> rest = pixels;

    // The tip frame lifted by 1: the outer edge follows, the inner quad stays.
    Draw(Build(4, groups), 1.0f);
    EXPECT_TRUE(Red(-0.5f, 0.0f));
    EXPECT_FALSE(Red(0.9f, 0.0f));
    EXPECT_TRUE(Red(0.9f, 1.0f));
    const std::vector<std::uint32_t> bent = pixels;

    // Split for a two-matrix device: the second quad comes from the second mesh.
    auto split = Build(2, groups);
    ASSERT_TRUE(split->mesh && split->secondMesh);
    Draw(std::move(split), 1.0f);
    EXPECT_EQ(pixels, bent);
    Draw(Build(2, groups), 0.0f);
    EXPECT_EQ(pixels, rest);
}

TEST_F(SkinnedPixelTest, BoneWithoutAFrameDrawsWithItsOffsetAlone) {
    auto c = Build(4, {{0, {0, 1, kNone}}, {0, {0, 1, 2}}});
    c->boneNames = ComPtr<ID3DXBuffer>(new NameBuffer({"base", "gone", "gone"}));
    Draw(std::move(c), 1.0f);
    // The missing tip bones leave the outer edge where it was modelled.
    EXPECT_TRUE(Red(0.9f, 0.0f));
    EXPECT_FALSE(Red(0.9f, 1.0f));
}

}  // namespace

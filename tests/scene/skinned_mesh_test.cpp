#include "scene/skinned_mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "scene/frame_tree.h"
#include "tests/common/read_back.h"
#include "tests/scene/scene_fakes.h"
#include "tests/scene/skin_fixture.h"
#include "tests/scene/write_once_device.h"

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
        EXPECT_EQ(c->blending, MeshContainer::Blending::Built);
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

// An attribute-sorted blended mesh with the given faces (one attribute id each); its attribute
// table is built from the faces as they stand, vertices left where they are.
ComPtr<ID3DXMesh> SortedMesh(IDirect3DDevice8* device, DWORD vertices, const std::vector<std::array<WORD, 3>>& faces,
                             const std::vector<DWORD>& attributes) {
    ComPtr<ID3DXMesh> mesh;
    EXPECT_EQ(D3DXCreateMeshFVF(DWORD(faces.size()), vertices, D3DXMESH_SYSTEMMEM, scenetest::kBlendFvf, device,
                                mesh.Receive()),
              S_OK);
    if (!mesh) return mesh;
    BYTE* v = nullptr;
    EXPECT_EQ(mesh->LockVertexBuffer(0, &v), S_OK);
    for (DWORD i = 0; i < vertices; ++i) {
        const BlendVertex vertex{float(i), float(i % 2), 1, 1, 0, 0xFFFFFFFF};
        std::memcpy(v + i * sizeof(BlendVertex), &vertex, sizeof(vertex));
    }
    mesh->UnlockVertexBuffer();
    BYTE* indices = nullptr;
    EXPECT_EQ(mesh->LockIndexBuffer(0, &indices), S_OK);
    std::memcpy(indices, faces.data(), faces.size() * sizeof(faces[0]));
    mesh->UnlockIndexBuffer();
    DWORD* ids = nullptr;
    EXPECT_EQ(mesh->LockAttributeBuffer(0, &ids), S_OK);
    std::copy(attributes.begin(), attributes.end(), ids);
    mesh->UnlockAttributeBuffer();
    EXPECT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_IGNOREVERTS, nullptr, nullptr, nullptr, nullptr),
              S_OK);
    return mesh;
}

TEST_F(SkinnedMeshTest, PartWhoseFacesReachOutsideItsVerticesFailsTheSplit) {
    const std::vector<DWORD> adjacency(18, UNUSED32);
    struct Case {
        const char* what;
        DWORD vertices;
        std::vector<std::array<WORD, 3>> faces;
        std::vector<DWORD> attributes;
    };
    const Case cases[] = {
        // Group 0 uses vertex 5, which lies past the split at group 1's first vertex (4).
        {"first part", 8, {{0, 1, 2}, {2, 1, 5}, {4, 5, 6}, {6, 5, 7}}, {0, 0, 1, 1}},
        // Group 2 goes back to vertex 0, before the second part's first vertex.
        {"second part", 10, {{0, 1, 2}, {2, 1, 3}, {4, 5, 6}, {6, 5, 7}, {8, 9, 4}, {8, 9, 0}}, {0, 0, 1, 1, 2, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ComPtr<ID3DXMesh> mesh = SortedMesh(device, c.vertices, c.faces, c.attributes);
        ASSERT_TRUE(mesh);
        D3DXATTRIBUTERANGE table[3]{};
        DWORD entries = 3;
        ASSERT_EQ(mesh->GetAttributeTable(table, &entries), S_OK);
        ASSERT_EQ(table[1].VertexStart, 4u) << "the split falls where the case needs it";
        // No part is made with indices past its own vertices.
        ComPtr<ID3DXMesh> first, second;
        EXPECT_LT(SplitBlendedMesh(mesh.Get(), 1, std::span<const DWORD>(adjacency.data(), c.faces.size() * 3),
                                   D3DXMESH_SYSTEMMEM, D3DXMESH_SYSTEMMEM, first, second),
                  0);
        EXPECT_FALSE(first);
        EXPECT_FALSE(second);
    }
}

TEST(SplitBlendedMeshTest, FailedOptimisationOfAPartIsReturned) {
    // On this device a part can be filled and copied, but not rewritten in place by its
    // optimisation once the device is armed.
    ComPtr<scenetest::WriteOnceDevice> device(new scenetest::WriteOnceDevice);
    ComPtr<ID3DXMesh> mesh = SortedMesh(device.Get(), 8, {{0, 1, 2}, {2, 1, 3}, {4, 5, 6}, {6, 5, 7}}, {0, 0, 1, 1});
    ASSERT_TRUE(mesh);
    const std::vector<DWORD> adjacency(12, UNUSED32);
    ComPtr<ID3DXMesh> first, second;
    ASSERT_EQ(SplitBlendedMesh(mesh.Get(), 1, adjacency, D3DXMESH_SYSTEMMEM, D3DXMESH_SYSTEMMEM, first, second), S_OK)
        << "the device serves the whole split while it is not armed";
    ASSERT_TRUE(first && second);

    device->Arm();
    // Both parts, the second alone and the first alone.
    for (std::uint32_t split : {1u, 0u, 2u}) {
        SCOPED_TRACE(split);
        EXPECT_EQ(SplitBlendedMesh(mesh.Get(), split, adjacency, D3DXMESH_SYSTEMMEM, D3DXMESH_SYSTEMMEM, first, second),
                  D3DERR_INVALIDCALL);
        EXPECT_FALSE(first);
        EXPECT_FALSE(second);
    }
    EXPECT_EQ(device->RefusedWrites(), 3);
}

// Records the device state each subset is drawn with, then scribbles over it, so that a state
// the next subset does not set again shows up as the scribble.
class RecordingMesh : public scenetest::FakeMesh {
public:
    struct Draw {
        DWORD subset, blend, software;
        float world0, world1, material;
    };
    explicit RecordingMesh(IDirect3DDevice8* device) : FakeMesh({}), device_(device) {}
    HRESULT DrawSubset(DWORD subset) override {
        Draw d{subset, 0, 0, 0, 0, 0};
        device_->GetRenderState(D3DRS_VERTEXBLEND, &d.blend);
        device_->GetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, &d.software);
        D3DMATRIX m;
        device_->GetTransform(D3DTS_WORLDMATRIX(0), &m);
        d.world0 = m._41;
        device_->GetTransform(D3DTS_WORLDMATRIX(1), &m);
        d.world1 = m._41;
        D3DMATERIAL8 material{};
        device_->GetMaterial(&material);
        d.material = material.Diffuse.r;
        draws.push_back(d);
        D3DXMATRIX scribble;
        D3DXMatrixTranslation(&scribble, -9.0f, 0.0f, 0.0f);
        device_->SetTransform(D3DTS_WORLDMATRIX(0), &scribble);
        device_->SetTransform(D3DTS_WORLDMATRIX(1), &scribble);
        material.Diffuse.r = -9.0f;
        device_->SetMaterial(&material);
        return FakeMesh::DrawSubset(subset);
    }
    std::vector<Draw> draws;

private:
    IDirect3DDevice8* device_;
};

class SkinnedDrawTest : public SkinnedMeshTest {
protected:
    // Three groups: bone 0 alone; bones 0 and 1; bone 2 in slot 1 with another material.
    void SetUp() override {
        SkinnedMeshTest::SetUp();
        for (int i = 0; i < 3; ++i) D3DXMatrixTranslation(&frames[i], float(i + 1), 0.0f, 0.0f);
        c.skin = ComPtr<ID3DXSkinMesh>(new scenetest::FakeSkin(3));
        c.blending = MeshContainer::Blending::Built;
        c.influences = 3;
        c.subsetCount = 3;
        c.splitSubset = 3;
        c.boneMatrices = {&frames[0], &frames[1], &frames[2]};
        D3DXMATRIX offsets[3];
        for (auto& m : offsets) D3DXMatrixIdentity(&m);
        std::vector<unsigned char> bytes(sizeof(offsets));
        std::memcpy(bytes.data(), offsets, sizeof(offsets));
        c.boneOffsets = ComPtr<ID3DXBuffer>(new scenetest::FakeBuffer(bytes));
        c.boneOffsetMatrices = static_cast<const D3DXMATRIX*>(c.boneOffsets->GetBufferPointer());
        c.materials.resize(2);
        c.materials[0].Diffuse.r = 0.1f;
        c.materials[1].Diffuse.r = 0.2f;
        c.textures.resize(2);
        ASSERT_EQ(D3DXCreateBuffer(3 * (sizeof(D3DXBONECOMBINATION) + 3 * sizeof(DWORD)), c.boneCombinations.Receive()),
                  S_OK);
        auto* table = static_cast<D3DXBONECOMBINATION*>(c.boneCombinations->GetBufferPointer());
        auto* ids = reinterpret_cast<DWORD*>(table + 3);
        const DWORD slots[9] = {0, kNone, kNone, 0, 1, kNone, kNone, 2, kNone};
        std::memcpy(ids, slots, sizeof(slots));
        const DWORD attribs[3] = {0, 0, 1};
        for (int i = 0; i < 3; ++i) table[i] = {attribs[i], 0, 0, 0, 0, ids + 3 * i};
        first = new RecordingMesh(device);
        c.mesh = ComPtr<ID3DXMesh>(first);
    }

    D3DXMATRIX frames[3];
    MeshContainer c;
    RecordingMesh* first = nullptr;
};

TEST_F(SkinnedDrawTest, GroupsSetOnlyTheMatricesAndMaterialsThatChange) {
    ASSERT_EQ(DrawSkinnedContainer(c), S_OK);
    ASSERT_EQ(first->draws.size(), 3u);
    const auto& d = first->draws;
    // A group whose only slot is 0 draws without blending.
    EXPECT_EQ(d[0].blend, 0u);
    EXPECT_EQ(d[0].world0, 1.0f);
    EXPECT_EQ(d[0].material, 0.1f);
    // Bone 0 stays in slot 0 and material 0 stays: neither is set again.
    EXPECT_EQ(d[1].blend, 1u);
    EXPECT_EQ(d[1].world0, -9.0f);
    EXPECT_EQ(d[1].world1, 2.0f);
    EXPECT_EQ(d[1].material, -9.0f);
    // Slot 1 changes to bone 2, the material to 1; slot 0 is empty and left alone.
    EXPECT_EQ(d[2].blend, 1u);
    EXPECT_EQ(d[2].world0, -9.0f);
    EXPECT_EQ(d[2].world1, 3.0f);
    EXPECT_EQ(d[2].material, 0.2f);
    for (const auto& draw : d) EXPECT_EQ(draw.software, FALSE);
    DWORD blend = 7;
    device->GetRenderState(D3DRS_VERTEXBLEND, &blend);
    EXPECT_EQ(blend, 0u);
}

TEST_F(SkinnedDrawTest, SecondMeshDrawsWithSoftwareProcessingAndSetsItsFirstGroupAnew) {
    c.splitSubset = 1;
    auto* second = new RecordingMesh(device);
    c.secondMesh = ComPtr<ID3DXMesh>(second);
    ASSERT_EQ(DrawSkinnedContainer(c), S_OK);
    ASSERT_EQ(first->draws.size(), 1u);
    ASSERT_EQ(second->draws.size(), 2u);
    EXPECT_EQ(second->draws[0].subset, 1u);
    EXPECT_EQ(second->draws[0].software, TRUE);
    EXPECT_EQ(second->draws[0].world0, 1.0f);
    EXPECT_EQ(second->draws[0].world1, 2.0f);
    EXPECT_EQ(second->draws[0].material, 0.1f);
    EXPECT_EQ(second->draws[1].subset, 2u);
    DWORD software = 7;
    device->GetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, &software);
    EXPECT_EQ(software, FALSE);
}

TEST_F(SkinnedDrawTest, FailingSubsetEndsTheDrawAndLeavesBlendingOn) {
    first->failSubset = 1;
    EXPECT_EQ(DrawSkinnedContainer(c), E_FAIL);
    EXPECT_EQ(first->draws.size(), 2u);
    DWORD blend = 0;
    device->GetRenderState(D3DRS_VERTEXBLEND, &blend);
    EXPECT_EQ(blend, 1u);
}

TEST_F(SkinnedDrawTest, ABlendedMeshThatCannotBeBuiltAtDrawIsReportedOnceAndTheDrawGoesOn) {
    // The fake skin has no device, so every build fails.
    c.blending = MeshContainer::Blending::Pending;
    c.name = "arm";
    testing::internal::CaptureStderr();
    EXPECT_EQ(DrawSkinnedContainer(c), S_OK);
    EXPECT_EQ(DrawSkinnedContainer(c), S_OK);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(first->draws.size(), 6u);
    EXPECT_EQ(c.blending, MeshContainer::Blending::Pending);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("scene: mesh 'arm': "), std::string::npos) << err;
    EXPECT_NE(err.find("(0x80004001)"), std::string::npos) << err;
}

TEST_F(SkinnedMeshTest, FrameTreeDrawsContainersUnderTheirFramesAndCountsFaces) {
    ModelFrame root;  // no containers: sets no world matrix
    auto child = std::make_unique<ModelFrame>();
    D3DXMatrixTranslation(&child->combined, 5.0f, 0.0f, 0.0f);
    auto drawn = std::make_unique<MeshContainer>();
    auto* mesh = new scenetest::FakeMesh({}, 7);
    drawn->mesh = ComPtr<ID3DXMesh>(mesh);
    drawn->materials.resize(2);
    drawn->textures.resize(2);
    drawn->subsetCount = drawn->materialCount = 2;
    auto idle = std::make_unique<MeshContainer>();  // subset count 0: nothing drawn, faces counted
    auto* idleMesh = new scenetest::FakeMesh({}, 3);
    idle->mesh = ComPtr<ID3DXMesh>(idleMesh);
    idle->materials.resize(1);
    idle->textures.resize(1);
    AddContainer(*child, std::move(idle));
    AddContainer(*child, std::move(drawn));
    AddChild(root, std::move(child));
    D3DXMATRIX sentinel;
    D3DXMatrixTranslation(&sentinel, -1.0f, 0.0f, 0.0f);
    device->SetTransform(D3DTS_WORLD, &sentinel);

    std::uint32_t faces = 100;
    ASSERT_EQ(DrawFrameTree(root, faces), S_OK);
    EXPECT_EQ(faces, 110u);
    EXPECT_EQ(mesh->drawn, (std::vector<DWORD>{0, 1}));
    EXPECT_TRUE(idleMesh->drawn.empty());
    D3DMATRIX world;
    device->GetTransform(D3DTS_WORLD, &world);
    EXPECT_EQ(world._41, 5.0f);

    // A failing subset ends the drawing with its code.
    mesh->failSubset = 0;
    mesh->drawn.clear();
    EXPECT_EQ(DrawFrameTree(root, faces), E_FAIL);
    EXPECT_EQ(mesh->drawn, (std::vector<DWORD>{0}));
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
        pixels = testpixels::ReadBack(device, kSize, kSize).pixels;
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

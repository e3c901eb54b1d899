// Meshes read through the loader and the static mesh model.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/error_reporter.h"
#include "scene/frame_tree.h"
#include "scene/mesh_model.h"
#include "scene/x_loader.h"
#include "tests/platform/xfile/fifo_file.h"
#include "tests/scene/skin_fixture.h"

namespace {

namespace fs = std::filesystem;

const fs::path kShared = ORRERY_XFILES_DIR;

// A quad of four vertices, one of them at the origin, with an optional material list.
std::string Quad(const std::string& materials) {
    return R"(Mesh quad {
  4;
  0.0; 0.0; 0.0;,
  2.0; 0.0; 0.0;,
  2.0; 2.0; 0.0;,
  0.0; 2.0; 0.0;;
  1;
  4; 0, 1, 2, 3;;
)" + materials + "}\n";
}

const char kHeader[] = "xof 0303txt 0032\n";

class ModelLoadTest : public scenetest::FileDeviceTest {};

TEST_F(ModelLoadTest, MeshWithoutMaterialsGetsGreyAndIsNotDrawn) {
    AnimatedModel model;
    ASSERT_EQ(model.Load(Write("plain.x", kHeader + Quad("")).c_str()), S_OK);
    ASSERT_NE(model.currentHierarchy, nullptr);
    const MeshContainer* c = model.currentHierarchy->root->containers.get();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(*c->name, "quad");
    EXPECT_FALSE(c->skin);
    ASSERT_TRUE(c->mesh);
    EXPECT_EQ(c->mesh->GetNumFaces(), 2u);
    EXPECT_EQ(c->materialCount, 0u);
    EXPECT_EQ(c->subsetCount, 0u);
    ASSERT_EQ(c->materials.size(), 1u);
    EXPECT_EQ(c->materials[0].Diffuse.r, 0.5f);
    EXPECT_EQ(c->materials[0].Diffuse.a, 0.0f);
    EXPECT_EQ(c->materials[0].Specular.g, 0.5f);
    EXPECT_EQ(c->materials[0].Ambient.r, 0.0f);
    ASSERT_EQ(c->textures.size(), 1u);
    EXPECT_FALSE(c->textures[0]);
    EXPECT_EQ(c->adjacency.size(), 6u);
    // Drawn: no subset, so nothing reaches the device.
    device->ResetDrawStats();
    ASSERT_EQ(model.Render(), S_OK);
    D3DDRAWSTATS stats{};
    device->GetDrawStats(&stats);
    EXPECT_EQ(stats.drawCalls, 0u);
}

TEST_F(ModelLoadTest, BoundsSkipOriginVerticesAndUseATopLevelMatrix) {
    const std::string text = std::string(kHeader) +
                             "FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 10,0,0,1;; }\n" + Quad("");
    AnimatedModel model;
    ASSERT_EQ(model.Load(Write("moved.x", text).c_str()), S_OK);
    ModelHierarchy* h = model.currentHierarchy;
    ASSERT_NE(h, nullptr);
    // Vertices (2,0), (2,2), (0,2) moved by 10 in x; the one at the origin is left out.
    EXPECT_FLOAT_EQ(h->centre.x, 10.0f + 4.0f / 3.0f);
    EXPECT_FLOAT_EQ(h->centre.y, 4.0f / 3.0f);
    EXPECT_FLOAT_EQ(h->radius, std::sqrt(20.0f) / 3.0f);
    // The load replaces the file's root matrix by the move to the centre.
    EXPECT_FLOAT_EQ(h->root->local._41, -h->centre.x);
    EXPECT_FLOAT_EQ(h->root->initial._42, -h->centre.y);
}

TEST_F(ModelLoadTest, MaterialsAndMissingTexturesDoNotFailTheLoad) {
    const std::string list = R"(MeshMaterialList { 2; 1; 1;;
  Material { 1.0; 0.0; 0.0; 1.0;; 5.0; 1.0; 1.0; 1.0;; 0.0; 0.0; 0.0;; TextureFilename { "missing_one.tga"; } }
  Material { 0.0; 1.0; 0.0; 1.0;; 5.0; 1.0; 1.0; 1.0;; 0.0; 0.0; 0.0;; TextureFilename { "missing_two.tga"; } }
})";
    AnimatedModel model;
    ASSERT_EQ(model.Load(Write("textured.x", std::string(kHeader) + "Frame holder { " + Quad(list) + "}").c_str()), S_OK);
    ASSERT_NE(model.currentHierarchy, nullptr);
    const ModelFrame* holder = FindFrameByName(model.currentHierarchy->root->firstChild.get(), "holder");
    ASSERT_NE(holder, nullptr);
    const MeshContainer* c = holder->containers.get();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->materialCount, 2u);
    EXPECT_EQ(c->subsetCount, 2u);
    EXPECT_EQ(c->materials[1].Diffuse.g, 1.0f);
    EXPECT_EQ(c->materials[1].Ambient.g, 0.0f);  // copied unchanged
    EXPECT_FALSE(c->textures[0]);
    EXPECT_FALSE(c->textures[1]);
    ASSERT_EQ(model.Render(), S_OK);
}

TEST_F(ModelLoadTest, FifosInPlaceOfModelsAndTexturesAreRefusedAtOnce) {
    fifotest::FifoFile fifo("run1.x");
    ASSERT_TRUE(fifo.Made());
    const char* name = fifo.Path().c_str();
    AnimatedModel animated;
    MeshModel mesh;
    HRESULT animatedResult = S_OK, meshResult = S_OK;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(fifo.FinishesWithin([&] { animatedResult = animated.Load(name); }));
    EXPECT_TRUE(fifo.FinishesWithin([&] { meshResult = mesh.Load(name); }));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(animatedResult, E_FAIL);
    EXPECT_EQ(animated.currentHierarchy, nullptr);
    EXPECT_EQ(meshResult, E_FAIL);
    EXPECT_FALSE(mesh.GetMesh());

    // A texture that is a FIFO: the material stays, without a texture.
    const std::string list = "MeshMaterialList { 1; 1; 0;;\n  Material { 1.0; 0.0; 0.0; 1.0;; 5.0; 1.0; 1.0; 1.0;; "
                             "0.0; 0.0; 0.0;; TextureFilename { \"" + fifo.Path() + "\"; } }\n}";
    const std::string textured = Write("fifo_texture.x", kHeader + Quad(list));
    testing::internal::CaptureStderr();
    EXPECT_TRUE(fifo.FinishesWithin([&] { animatedResult = animated.Load(textured.c_str()); }));
    EXPECT_TRUE(fifo.FinishesWithin([&] { meshResult = mesh.Load(textured.c_str()); }));
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(animatedResult, S_OK);
    ASSERT_NE(animated.currentHierarchy, nullptr) << errors;
    const MeshContainer* c = animated.currentHierarchy->root->containers.get();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->materialCount, 1u);
    EXPECT_FALSE(c->textures[0]);
    EXPECT_EQ(meshResult, S_OK);
    EXPECT_EQ(mesh.materialCount, 1u);
    EXPECT_FALSE(mesh.textures[0]);
}

// A skinned mesh whose parts disagree: three faces, but one normal face, two texture
// coordinates for four vertices, a colour for a vertex that does not exist, a material list
// that announces five materials and holds two, gives two face indices for three faces and
// names material 4, a skin header that announces nine bones for three, weights for vertex 99,
// and a bone that no frame bears.
const char kDisagreeing[] = R"(Frame f1 { Frame f2 { }
 Mesh odd {
  4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;
  3; 3;0,1,2;, 3;0,2,3;, 3;1,2,3;;
  MeshNormals { 1; 0;0;1;; 1; 3;0,0,0;; }
  MeshTextureCoords { 2; 0;0;, 1;1;; }
  MeshVertexColors { 2; 1;1;0;0;1;;, 9;0;1;0;1;;; }
  MeshMaterialList { 5; 2; 4, 1;;
   Material { 1;0;0;1;; 1; 0;0;0;; 0;0;0;; }
   Material { 0;1;0;1;; 1; 0;0;0;; 0;0;0;; }
  }
  XSkinMeshHeader { 2; 2; 9; }
  SkinWeights { "f1"; 3; 0, 1, 99; 1, 1, 1; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
  SkinWeights { "f2"; 2; 2, 3; 1, 1; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
  SkinWeights { "ghost"; 1; 3; 0.5; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
 }
})";

std::vector<DWORD> AttributesOf(ID3DXMesh* mesh) {
    DWORD* ids = nullptr;
    EXPECT_EQ(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &ids), S_OK);
    std::vector<DWORD> out(ids, ids + mesh->GetNumFaces());
    mesh->UnlockAttributeBuffer();
    return out;
}

TEST_F(ModelLoadTest, HostileButWellFormedMeshesLoadWithinTheirBoundsOrNotAtAll) {
    const std::string disagreeing = Write("disagreeing.x", kHeader + std::string(kDisagreeing));
    AnimatedModel model;
    testing::internal::CaptureStderr();
    ASSERT_EQ(model.Load(disagreeing.c_str()), S_OK);
    std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_NE(model.currentHierarchy, nullptr) << errors;
    const ModelFrame* f1 = FindFrameByName(model.currentHierarchy->root->firstChild.get(), "f1");
    ASSERT_NE(f1, nullptr);
    const MeshContainer* c = f1->containers.get();
    ASSERT_NE(c, nullptr);
    ASSERT_TRUE(c->skin && c->mesh);
    // What the objects hold counts, not what their counts announce.
    EXPECT_EQ(c->materialCount, 2u);
    ASSERT_EQ(c->skin->GetNumBones(), 3u);
    EXPECT_EQ(c->skin->GetNumFaces(), 3u);
    // Weights only for vertices that exist.
    const DWORD vertices = c->skin->GetNumVertices();
    for (DWORD b = 0; b < 3; ++b) {
        std::vector<DWORD> influenced(c->skin->GetNumBoneInfluences(b));
        std::vector<float> weights(influenced.size());
        ASSERT_EQ(c->skin->GetBoneInfluence(b, influenced.data(), weights.data()), S_OK);
        for (DWORD v : influenced) EXPECT_LT(v, vertices) << "bone " << b;
    }
    EXPECT_NE(errors.find("outside the mesh"), std::string::npos) << errors;
    // The bones that frames bear are bound, the other is not.
    ASSERT_EQ(c->boneMatrices.size(), 3u);
    EXPECT_NE(c->boneMatrices[0], nullptr);
    EXPECT_NE(c->boneMatrices[1], nullptr);
    EXPECT_EQ(c->boneMatrices[2], nullptr);
    // Every group draws with a material of the list.
    const auto* table = static_cast<const D3DXBONECOMBINATION*>(c->boneCombinations->GetBufferPointer());
    for (DWORD i = 0; i < c->subsetCount; ++i) EXPECT_LT(table[i].AttribId, c->materialCount) << "group " << i;
    device->ResetDrawStats();
    ASSERT_EQ(model.Render(), S_OK);
    D3DDRAWSTATS stats{};
    device->GetDrawStats(&stats);
    EXPECT_GT(stats.drawCalls, 0u);

    // The same file as a mesh model: its faces keep to the two materials.
    MeshModel mesh;
    testing::internal::CaptureStderr();
    ASSERT_EQ(mesh.Load(disagreeing.c_str()), S_OK);
    errors = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(mesh.GetMesh()) << errors;
    EXPECT_EQ(mesh.materialCount, 2u);
    EXPECT_EQ(mesh.GetMesh()->GetNumFaces(), 3u);
    for (DWORD id : AttributesOf(mesh.GetMesh())) EXPECT_LT(id, mesh.materialCount);

    // A face that names a vertex past the list fails the mesh, and so the whole file; the mesh
    // model fails too and names the file.
    std::string outside = kDisagreeing;
    outside.replace(outside.find("3;1,2,3;;"), 9, "3;1,2,4;;");
    const std::string broken = Write("outside.x", kHeader + outside);
    AnimatedModel failed;
    MeshModel failedMesh;
    testing::internal::CaptureStderr();
    EXPECT_EQ(failed.Load(broken.c_str()), S_OK);
    EXPECT_EQ(failedMesh.Load(broken.c_str()), E_FAIL);
    errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(failed.currentHierarchy, nullptr);
    EXPECT_FALSE(failedMesh.GetMesh());
    EXPECT_STREQ(ErrorReporter::Instance().detail, broken.c_str());
    EXPECT_NE(errors.find("outside the mesh"), std::string::npos) << errors;
    EXPECT_EQ(failed.Render(), S_OK);
}

TEST_F(ModelLoadTest, OneCubeInThreeEncodingsGivesOneHierarchy) {
    if (!fs::is_directory(kShared)) GTEST_SKIP() << kShared << " is absent";
    struct Summary {
        std::vector<std::string> frames;
        std::vector<float> matrices;
        std::vector<float> positions;
        std::vector<DWORD> counts;
        D3DXVECTOR3 centre;
        float radius;
        bool operator==(const Summary&) const = default;
    };
    auto summarise = [&](const char* file) {
        AnimatedModel model;
        EXPECT_EQ(model.Load((kShared / file).string().c_str()), S_OK);
        Summary s{};
        ModelHierarchy* h = model.currentHierarchy;
        if (!h) return s;
        std::vector<const ModelFrame*> todo = {h->root.get()};
        while (!todo.empty()) {
            const ModelFrame* f = todo.back();
            todo.pop_back();
            s.frames.push_back(f->name.value_or("-"));
            s.matrices.insert(s.matrices.end(), &f->local._11, &f->local._11 + 16);
            for (const MeshContainer* c = f->containers.get(); c; c = c->next.get()) {
                s.counts.insert(s.counts.end(), {c->subsetCount, c->materialCount, c->BoneCount(), c->influences});
                if (c->skin) s.counts.push_back(c->skin->GetNumFaces());
            }
            for (const ModelFrame* k = f->firstChild.get(); k; k = k->sibling.get()) todo.push_back(k);
        }
        s.centre = h->centre;
        s.radius = h->radius;
        return s;
    };
    const Summary text = summarise("cube_text.x");
    EXPECT_EQ(text.frames.size(), 3u);
    EXPECT_FALSE(text.counts.empty());
    EXPECT_TRUE(text == summarise("cube_binary.x"));
    EXPECT_TRUE(text == summarise("cube_compressed.x"));
}

TEST_F(ModelLoadTest, MeshModelCopiesDiffuseToAmbientAndMeasuresItsMesh) {
    const std::string list = R"(MeshMaterialList { 1; 1; 0;;
  Material { 0.25; 0.5; 0.75; 1.0;; 5.0; 1.0; 1.0; 1.0;; 0.0; 0.0; 0.0;; TextureFilename { "missing.tga"; } }
})";
    MeshModel model;
    ASSERT_EQ(model.Load(Write("static.x", kHeader + Quad(list)).c_str()), S_OK);
    ASSERT_NE(model.GetMesh(), nullptr);
    EXPECT_EQ(model.materialCount, 1u);
    EXPECT_EQ(model.materials[0].Ambient.r, 0.25f);
    EXPECT_EQ(model.materials[0].Ambient.b, 0.75f);
    EXPECT_FALSE(model.textures[0]);
    ASSERT_TRUE(model.boundingBox && model.boundingSphere);
    EXPECT_EQ(model.boundingBox->min, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(model.boundingBox->max, D3DXVECTOR3(2, 2, 0));
    EXPECT_GT(model.boundingSphere->radius, 1.0f);
    ASSERT_TRUE(model.adjacency);
    EXPECT_EQ(model.adjacency->GetBufferSize(), 6 * sizeof(DWORD));

    MeshModel plain;
    ASSERT_EQ(plain.Load(Write("plain.x", kHeader + Quad("")).c_str()), S_OK);
    EXPECT_EQ(plain.materialCount, 0u);

    MeshModel missing;
    const std::string absent = (dir / "absent.x").string();
    EXPECT_EQ(missing.Load(absent.c_str()), E_FAIL);
    EXPECT_STREQ(ErrorReporter::Instance().detail, absent.c_str());
    EXPECT_EQ(missing.GetMesh(), nullptr);
    MeshModelBase base;
    EXPECT_EQ(base.GetMesh(), nullptr);
}

}  // namespace

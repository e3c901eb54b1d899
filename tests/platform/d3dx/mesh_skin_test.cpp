// Skinned meshes: bone influences and the conversion into a blended mesh under several caps.
#include <gtest/gtest.h>

#include <map>

#include "platform/d3dx/skin_mesh.h"
#include "tests/platform/d3dx/mesh_test_helpers.h"
#include "tests/platform/gpu/headless_fixture.h"
#include "tests/platform/gpu/device_caps.h"

namespace {

using d3dx::SkinBone;

class SkinMeshTest : public pixeltest::HeadlessDeviceTest {
protected:
    // A strip of 8 quads along x (two rows of 9 vertices), two materials alternating per quad.
    // Bone b sits at x = b (b = 0..8); a vertex at x is weighted over the bones at x - 1, x and
    // x + 1 (weights 1, 2, 1 before normalising), except the vertices of column 4, which also
    // carry bones 6 and 7 with small weights: at most 5 bones per vertex.
    void SetUp() override {
        HeadlessDeviceTest::SetUp();
        std::vector<std::array<float, 3>> positions;
        for (int row = 0; row < 2; ++row)
            for (int x = 0; x <= 8; ++x) positions.push_back({static_cast<float>(x), static_cast<float>(row), 0.0f});
        std::vector<DWORD> indices, attributes;
        for (DWORD x = 0; x < 8; ++x) {
            indices.insert(indices.end(), {x, x + 9, x + 1, x + 1, x + 9, x + 10});
            attributes.insert(attributes.end(), {x % 2, x % 2});
        }
        arrays_ = meshtest::MakeArrays(positions, indices, attributes, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
        // Texture u = x / 8, so that copies can be checked against their originals.
        for (DWORD v = 0; v < arrays_.NumVertices(); ++v) {
            float u = positions[v][0] / 8;
            std::memcpy(&arrays_.vertices[v * arrays_.stride + 24], &u, 4);
        }
        bones_.resize(9);
        for (DWORD v = 0; v < arrays_.NumVertices(); ++v) {
            const int x = static_cast<int>(positions[v][0]);
            for (int b = x - 1; b <= x + 1; ++b) {
                if (b < 0 || b > 8) continue;
                bones_[b].vertices.push_back(v);
                bones_[b].weights.push_back(b == x ? 2.0f : 1.0f);
            }
            if (x == 4)
                for (int b : {6, 7}) {
                    bones_[b].vertices.push_back(v);
                    bones_[b].weights.push_back(0.25f);
                }
        }
        d3dx::Mesh* mesh = nullptr;
        ASSERT_EQ(d3dx::Mesh::Create(arrays_, D3DXMESH_MANAGED, device_.Get(), &mesh), S_OK);
        skin_ = ComPtr<ID3DXSkinMesh>(new d3dx::SkinMesh(mesh, bones_));
        mesh->Release();
    }

    void TearDown() override {
        skin_.Reset();
        HeadlessDeviceTest::TearDown();
    }

    void SetBlendMatrices(DWORD count) { ASSERT_EQ(gputest::SetMaxVertexBlendMatrices(device_.Get(), count), S_OK); }

    struct Converted {
        ComPtr<ID3DXMesh> mesh;
        ComPtr<ID3DXBuffer> table;
        DWORD count = 0;
        std::vector<DWORD> adjacency;
    };

    Converted Convert(DWORD matrices) {
        SetBlendMatrices(matrices);
        Converted c;
        c.adjacency.assign(arrays_.NumFaces() * 3, 0xDEAD);
        const std::vector<DWORD> adjacencyIn = d3dx::ComputeAdjacency(arrays_);
        EXPECT_EQ(skin_->ConvertToBlendedMesh(0, adjacencyIn.data(), c.adjacency.data(), &c.count, c.table.Receive(),
                                              c.mesh.Receive()),
                  S_OK);
        return c;
    }

    // Checks everything a blended mesh promises and returns its influences.
    DWORD ExpectSound(const Converted& c, DWORD limit) {
        EXPECT_TRUE(c.mesh && c.table);
        if (!c.mesh || !c.table) return 0;
        const DWORD fvf = c.mesh->GetFVF();
        const DWORD p = fvf & D3DFVF_POSITION_MASK;
        const DWORD influences = p == D3DFVF_XYZ ? 1 : (p - 3) / 2 + 1;
        EXPECT_LE(influences, limit);
        EXPECT_EQ(fvf & ~D3DFVF_POSITION_MASK, static_cast<DWORD>(D3DFVF_NORMAL | D3DFVF_TEX1));
        const auto* records = static_cast<const D3DXBONECOMBINATION*>(c.table->GetBufferPointer());
        EXPECT_EQ(c.table->GetBufferSize(), c.count * (sizeof(D3DXBONECOMBINATION) + influences * sizeof(DWORD)));

        std::vector<D3DXATTRIBUTERANGE> ranges(c.count);
        DWORD size = c.count;
        EXPECT_EQ(c.mesh->GetAttributeTable(ranges.data(), &size), S_OK);
        EXPECT_EQ(size, c.count);

        const UINT stride = D3DXGetFVFVertexSize(fvf);
        const BYTE* vertices = nullptr;
        const WORD* indices = nullptr;
        DWORD* attributes = nullptr;
        EXPECT_EQ(c.mesh->LockVertexBuffer(D3DLOCK_READONLY, const_cast<BYTE**>(&vertices)), S_OK);
        EXPECT_EQ(c.mesh->LockIndexBuffer(D3DLOCK_READONLY, reinterpret_cast<BYTE**>(const_cast<WORD**>(&indices))), S_OK);
        EXPECT_EQ(c.mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes), S_OK);

        std::multiset<std::pair<DWORD, meshtest::Triangle>> original, blended;
        for (DWORD f = 0; f < arrays_.NumFaces(); ++f) original.emplace(arrays_.attributes[f], meshtest::FaceTriangle(arrays_, f));
        const auto strongest = d3dx::VertexInfluences(bones_, arrays_.NumVertices(), limit);
        DWORD nextFace = 0, nextVertex = 0;
        for (DWORD i = 0; i < c.count; ++i) {
            const D3DXBONECOMBINATION& r = records[i];
            EXPECT_EQ(ranges[i].AttribId, i);
            EXPECT_EQ(ranges[i].FaceStart, r.FaceStart);
            EXPECT_EQ(ranges[i].FaceCount, r.FaceCount);
            EXPECT_EQ(r.FaceStart, nextFace);
            EXPECT_EQ(r.VertexStart, nextVertex) << "combinations own disjoint, consecutive vertices";
            nextFace += r.FaceCount;
            nextVertex += r.VertexCount;
            DWORD used = 0;
            for (DWORD s = 0; s < influences; ++s) {
                if (r.BoneId[s] == UNUSED32) continue;
                EXPECT_EQ(s, used) << "used slots come first";
                EXPECT_LT(r.BoneId[s], bones_.size());
                ++used;
            }
            EXPECT_GE(used, 1u);
            for (DWORD f = r.FaceStart; f < r.FaceStart + r.FaceCount; ++f) {
                EXPECT_EQ(attributes[f], i);
                meshtest::Triangle t{};
                for (int k = 0; k < 3; ++k) {
                    const DWORD v = indices[f * 3 + k];
                    EXPECT_GE(v, r.VertexStart);
                    EXPECT_LT(v, r.VertexStart + r.VertexCount);
                    std::memcpy(&t[k * 3], vertices + v * stride, 12);
                }
                blended.emplace(r.AttribId, t);
            }
            for (DWORD v = r.VertexStart; v < r.VertexStart + r.VertexCount; ++v) {
                const float* w = reinterpret_cast<const float*>(vertices + v * stride + 12);
                // Unpacked as the device blends with VERTEXBLEND used - 1.
                std::map<DWORD, float> unpacked;
                float sum = 0;
                for (DWORD s = 0; s + 1 < used; ++s) {
                    EXPECT_GE(w[s], 0.0f);
                    unpacked[r.BoneId[s]] = w[s];
                    sum += w[s];
                }
                unpacked[r.BoneId[used - 1]] = 1.0f - sum;
                EXPECT_GE(1.0f - sum, -1e-5f) << "weights of vertex " << v << " exceed 1";
                // The copy is of the vertex at the same position; its weights are the vertex's
                // strongest bones (where the combination holds them all).
                float position[3];
                std::memcpy(position, vertices + v * stride, 12);
                const DWORD old = static_cast<DWORD>(position[1]) * 9 + static_cast<DWORD>(position[0]);
                float u;
                std::memcpy(&u, vertices + v * stride + stride - 8, 4);
                EXPECT_FLOAT_EQ(u, position[0] / 8);
                bool complete = true;
                for (auto [bone, weight] : strongest[old]) complete = complete && unpacked.count(bone);
                if (!complete) continue;
                for (auto [bone, weight] : strongest[old]) EXPECT_NEAR(unpacked[bone], weight, 1e-5f) << "vertex " << old;
            }
        }
        EXPECT_EQ(nextFace, arrays_.NumFaces());
        EXPECT_EQ(nextVertex, c.mesh->GetNumVertices());
        EXPECT_EQ(blended, original) << "every face once, with its material";
        c.mesh->UnlockAttributeBuffer();
        c.mesh->UnlockIndexBuffer();
        c.mesh->UnlockVertexBuffer();
        return influences;
    }

    d3dx::MeshArrays arrays_;
    std::vector<SkinBone> bones_;
    ComPtr<ID3DXSkinMesh> skin_;
};

TEST_F(SkinMeshTest, ReportsBonesAndInfluences) {
    EXPECT_EQ(skin_->GetNumBones(), 9u);
    EXPECT_EQ(skin_->GetNumFaces(), 16u);
    EXPECT_EQ(skin_->GetNumVertices(), 18u);
    ASSERT_EQ(skin_->GetNumBoneInfluences(6), bones_[6].vertices.size());
    std::vector<DWORD> vertices(bones_[6].vertices.size());
    std::vector<float> weights(vertices.size());
    ASSERT_EQ(skin_->GetBoneInfluence(6, vertices.data(), weights.data()), S_OK);
    EXPECT_EQ(vertices, bones_[6].vertices);
    EXPECT_EQ(weights, bones_[6].weights);
    EXPECT_EQ(skin_->GetBoneInfluence(9, vertices.data(), weights.data()), D3DERR_INVALIDCALL);
    DWORD most = 0;
    ASSERT_EQ(skin_->GetMaxVertexInfluences(&most), S_OK);
    EXPECT_EQ(most, 5u);
    ASSERT_EQ(skin_->GetMaxFaceInfluences(&most), S_OK);
    EXPECT_EQ(most, 6u) << "a face from column 3 to 4: bones 2..5 and 6, 7";
    ComPtr<ID3DXMesh> original;
    ASSERT_EQ(skin_->GetOriginalMesh(original.Receive()), S_OK);
    EXPECT_EQ(original->GetNumFaces(), 16u);
}

TEST_F(SkinMeshTest, FewerMatricesGiveMoreCombinations) {
    const Converted four = Convert(4);
    EXPECT_EQ(ExpectSound(four, 4), 4u);
    const Converted three = Convert(3);
    EXPECT_EQ(ExpectSound(three, 3), 3u);
    EXPECT_GT(three.count, four.count);
    // Both materials appear, in order: combinations are sorted by material.
    const auto* records = static_cast<const D3DXBONECOMBINATION*>(three.table->GetBufferPointer());
    for (DWORD i = 1; i < three.count; ++i) EXPECT_LE(records[i - 1].AttribId, records[i].AttribId);
    EXPECT_EQ(records[three.count - 1].AttribId, 1u);
    // Each subset draws.
    Begin();
    for (DWORD i = 0; i < three.count; ++i) EXPECT_EQ(three.mesh->DrawSubset(i), S_OK);
    End();
}

// A device that blends two matrices draws the combinations needing more with software vertex
// processing, so its combinations are those of a four-matrix device.
TEST_F(SkinMeshTest, TwoMatrixDeviceGroupsLikeSoftwareProcessing) {
    const Converted four = Convert(4);
    const Converted two = Convert(2);
    EXPECT_EQ(ExpectSound(two, 4), 4u);
    EXPECT_EQ(two.count, four.count);
}

TEST_F(SkinMeshTest, NoBlendMatricesMeansOneBonePerCombination) {
    const Converted one = Convert(0);
    EXPECT_EQ(ExpectSound(one, 1), 1u);
    EXPECT_EQ(one.mesh->GetFVF(), static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
}

TEST_F(SkinMeshTest, AdjacencyIsRemappedToTheNewFaces) {
    const Converted c = Convert(2);
    ASSERT_TRUE(c.mesh);
    // The strip is manifold, so the remapped adjacency is what the blended geometry itself gives.
    d3dx::MeshArrays blended;
    ASSERT_EQ(static_cast<d3dx::Mesh*>(c.mesh.Get())->ReadArrays(blended), S_OK);
    EXPECT_EQ(c.adjacency, d3dx::ComputeAdjacency(blended));
    EXPECT_EQ(std::count(c.adjacency.begin(), c.adjacency.end(), UNUSED32), 2 * 8 + 2) << "the strip's outline";
}

// The packed weights blend as the device reads them: a quad whose vertices weigh 3/4 on an
// unmoved bone and 1/4 on a bone moved 0.4 to the right lands 0.1 to the right.
class SkinBlendDrawTest : public pixeltest::HeadlessDeviceTest {};

TEST_F(SkinBlendDrawTest, WeightsMoveTheQuadByTheirShare) {
    struct Vertex {
        float x, y, z;
        D3DCOLOR colour;
    };
    const Vertex quad[4] = {{-0.5f, 0.5f, 0.5f, 0xFFFFFFFF}, {0.5f, 0.5f, 0.5f, 0xFFFFFFFF},
                            {-0.5f, -0.5f, 0.5f, 0xFFFFFFFF}, {0.5f, -0.5f, 0.5f, 0xFFFFFFFF}};
    d3dx::MeshArrays arrays;
    arrays.fvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
    arrays.stride = sizeof(Vertex);
    arrays.vertices.assign(reinterpret_cast<const BYTE*>(quad), reinterpret_cast<const BYTE*>(quad) + sizeof quad);
    arrays.indices = {0, 1, 2, 2, 1, 3};
    arrays.attributes = {0, 0};
    std::vector<SkinBone> bones(2);
    bones[0] = {{0, 1, 2, 3}, {0.75f, 0.75f, 0.75f, 0.75f}};
    bones[1] = {{0, 1, 2, 3}, {0.25f, 0.25f, 0.25f, 0.25f}};
    d3dx::Mesh* mesh = nullptr;
    ASSERT_EQ(d3dx::Mesh::Create(arrays, 0, device_.Get(), &mesh), S_OK);
    ComPtr<ID3DXSkinMesh> skin(new d3dx::SkinMesh(mesh, bones));
    mesh->Release();
    ComPtr<ID3DXMesh> blended;
    ComPtr<ID3DXBuffer> table;
    DWORD count = 0;
    ASSERT_EQ(skin->ConvertToBlendedMesh(0, nullptr, nullptr, &count, table.Receive(), blended.Receive()), S_OK);
    ASSERT_EQ(count, 1u);
    ASSERT_EQ(blended->GetFVF(), static_cast<DWORD>(D3DFVF_XYZB1 | D3DFVF_DIFFUSE));
    const auto* combination = static_cast<const D3DXBONECOMBINATION*>(table->GetBufferPointer());
    const D3DMATRIX identity = reference::Identity(), moved = reference::Translation(0.4f, 0, 0);
    for (DWORD j = 0; j < 2; ++j)
        ASSERT_EQ(device_->SetTransform(D3DTS_WORLDMATRIX(j), combination->BoneId[j] == 1 ? &moved : &identity), S_OK);
    Set(D3DRS_LIGHTING, FALSE);
    Set(D3DRS_CULLMODE, D3DCULL_NONE);
    Set(D3DRS_VERTEXBLEND, D3DVBF_1WEIGHTS);
    Clear(0xFF000000);
    Begin();
    ASSERT_EQ(blended->DrawSubset(0), S_OK);
    End();
    const pixeltest::Frame frame = Capture();
    // Clip x -0.4..0.6 covers screen x 192..511.
    EXPECT_TRUE(pixeltest::ColourNear(frame.At(196, 240), 0xFFFFFFFF));
    EXPECT_TRUE(pixeltest::ColourNear(frame.At(507, 240), 0xFFFFFFFF));
    EXPECT_TRUE(pixeltest::ColourNear(frame.At(187, 240), 0xFF000000));
    EXPECT_TRUE(pixeltest::ColourNear(frame.At(516, 240), 0xFF000000));
}

TEST(SkinInfluences, StrongestBonesKeptAndRenormalised) {
    std::vector<SkinBone> bones(4);
    bones[0] = {{0, 5, 0}, {0.1f, 1.0f, 0.1f}};  // vertex 5 is outside a 2-vertex mesh
    bones[1] = {{0}, {0.5f}};
    bones[2] = {{0, 1}, {0.3f, -1.0f}};        // a negative weight counts as none
    bones[3] = {{1}, {0.0f}};
    const auto list = d3dx::VertexInfluences(bones, 2, 2);
    ASSERT_EQ(list.size(), 2u);
    ASSERT_EQ(list[0].size(), 2u);
    EXPECT_EQ(list[0][0].first, 1u);
    EXPECT_FLOAT_EQ(list[0][0].second, 0.5f / 0.8f);
    EXPECT_EQ(list[0][1].first, 2u);
    EXPECT_FLOAT_EQ(list[0][1].second, 0.3f / 0.8f);
    EXPECT_TRUE(list[1].empty());
}

}  // namespace

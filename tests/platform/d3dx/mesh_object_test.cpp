// The mesh object on a headless device: buffers, drawing by subset, cloning, optimising, bounds.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/d3dx/d3dx8mesh.h"
#include "tests/platform/gpu/headless_fixture.h"

namespace {

struct ScreenVertex {  // XYZRHW | DIFFUSE
    float x, y, z, rhw;
    D3DCOLOR colour;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
constexpr D3DCOLOR kBlue = 0xFF0000FF, kRed = 0xFFFF0000, kGreen = 0xFF00FF00;

class MeshObjectTest : public pixeltest::HeadlessDeviceTest {
protected:
    // Two screen-space quads, red on the left (x 0..319) and green on the right; the faces
    // alternate between them so that neither attribute's faces are consecutive.
    ComPtr<ID3DXMesh> TwoQuads(DWORD options = D3DXMESH_MANAGED) {
        ComPtr<ID3DXMesh> mesh;
        EXPECT_EQ(D3DXCreateMeshFVF(4, 8, options, kScreenFvf, device_.Get(), mesh.Receive()), S_OK);
        if (!mesh) return mesh;
        ScreenVertex* v = nullptr;
        EXPECT_EQ(mesh->LockVertexBuffer(0, reinterpret_cast<BYTE**>(&v)), S_OK);
        auto quad = [&](int base, float left, float right, D3DCOLOR colour) {
            v[base + 0] = {left, -0.5f, 0.5f, 1, colour};
            v[base + 1] = {right, -0.5f, 0.5f, 1, colour};
            v[base + 2] = {left, kHeight - 0.5f, 0.5f, 1, colour};
            v[base + 3] = {right, kHeight - 0.5f, 0.5f, 1, colour};
        };
        quad(0, -0.5f, 319.5f, kRed);
        quad(4, 319.5f, kWidth - 0.5f, kGreen);
        mesh->UnlockVertexBuffer();
        WORD* index = nullptr;
        EXPECT_EQ(mesh->LockIndexBuffer(0, reinterpret_cast<BYTE**>(&index)), S_OK);
        const WORD faces[12] = {0, 1, 2, 4, 5, 6, 2, 1, 3, 6, 5, 7};
        std::memcpy(index, faces, sizeof faces);
        mesh->UnlockIndexBuffer();
        DWORD* attributes = nullptr;
        EXPECT_EQ(mesh->LockAttributeBuffer(0, &attributes), S_OK);
        const DWORD ids[4] = {0, 1, 0, 1};
        std::memcpy(attributes, ids, sizeof ids);
        mesh->UnlockAttributeBuffer();
        return mesh;
    }

    // Pixels near the four corners of each quad, so that both triangles of a quad are seen.
    void ExpectHalves(D3DCOLOR left, D3DCOLOR right) {
        pixeltest::Frame frame = Capture();
        for (int y : {10, kHeight - 10}) {
            for (int x : {10, 309}) EXPECT_TRUE(pixeltest::ColourNear(frame.At(x, y), left)) << x << "," << y;
            for (int x : {330, kWidth - 10}) EXPECT_TRUE(pixeltest::ColourNear(frame.At(x, y), right)) << x << "," << y;
        }
    }
};

TEST_F(MeshObjectTest, BuffersFollowTheOptionsAndSizes) {
    ComPtr<ID3DXMesh> mesh;
    ASSERT_EQ(D3DXCreateMeshFVF(3, 5, D3DXMESH_VB_WRITEONLY | D3DXMESH_IB_MANAGED, D3DFVF_XYZ | D3DFVF_NORMAL, device_.Get(),
                                mesh.Receive()),
              S_OK);
    ComPtr<IDirect3DVertexBuffer8> vb;
    ComPtr<IDirect3DIndexBuffer8> ib;
    ASSERT_EQ(mesh->GetVertexBuffer(vb.Receive()), S_OK);
    ASSERT_EQ(mesh->GetIndexBuffer(ib.Receive()), S_OK);
    D3DVERTEXBUFFER_DESC vbDesc{};
    D3DINDEXBUFFER_DESC ibDesc{};
    ASSERT_EQ(vb->GetDesc(&vbDesc), S_OK);
    ASSERT_EQ(ib->GetDesc(&ibDesc), S_OK);
    EXPECT_EQ(vbDesc.Size, 5u * 24);
    EXPECT_EQ(vbDesc.Usage & D3DUSAGE_WRITEONLY, D3DUSAGE_WRITEONLY);
    EXPECT_EQ(ibDesc.Format, D3DFMT_INDEX16);
    EXPECT_EQ(ibDesc.Size, 3u * 3 * 2);
    EXPECT_EQ(ibDesc.Pool, D3DPOOL_MANAGED);

    // 16-bit indices reach 65535 vertices; beyond that the mesh needs D3DXMESH_32BIT.
    EXPECT_EQ(D3DXCreateMeshFVF(1, 65536, 0, D3DFVF_XYZ, device_.Get(), mesh.Receive()), D3DERR_INVALIDCALL);
    EXPECT_FALSE(mesh);
    ASSERT_EQ(D3DXCreateMeshFVF(1, 65536, D3DXMESH_32BIT, D3DFVF_XYZ, device_.Get(), mesh.Receive()), S_OK);
    ASSERT_EQ(mesh->GetIndexBuffer(ib.Receive()), S_OK);
    ASSERT_EQ(ib->GetDesc(&ibDesc), S_OK);
    EXPECT_EQ(ibDesc.Format, D3DFMT_INDEX32);
    EXPECT_EQ(D3DXCreateMeshFVF(0, 3, 0, D3DFVF_XYZ, device_.Get(), mesh.Receive()), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 3, 0, D3DFVF_NORMAL, device_.Get(), mesh.Receive()), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 3, 0, D3DFVF_XYZ, nullptr, mesh.Receive()), D3DERR_INVALIDCALL);
}

TEST_F(MeshObjectTest, DrawSubsetDrawsOnlyThatAttributesFaces) {
    ComPtr<ID3DXMesh> mesh = TwoQuads();
    ASSERT_TRUE(mesh);
    Clear(kBlue);
    Begin();
    ASSERT_EQ(mesh->DrawSubset(1), S_OK);
    End();
    ExpectHalves(kBlue, kGreen);
    Clear(kBlue);
    Begin();
    ASSERT_EQ(mesh->DrawSubset(0), S_OK);
    ASSERT_EQ(mesh->DrawSubset(7), S_OK) << "an id no face carries draws nothing";
    End();
    ExpectHalves(kRed, kBlue);
}

TEST_F(MeshObjectTest, AttributeSortDrawsEachSubsetInOneCall) {
    ComPtr<ID3DXMesh> mesh = TwoQuads();
    ASSERT_TRUE(mesh);
    DWORD size = 99;
    ASSERT_EQ(mesh->GetAttributeTable(nullptr, &size), S_OK);
    EXPECT_EQ(size, 0u);
    DWORD adjacency[12], faceRemap[4];
    ComPtr<ID3DXBuffer> vertexRemap;
    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, adjacency, faceRemap, vertexRemap.Receive()), S_OK);
    EXPECT_EQ(std::vector<DWORD>(faceRemap, faceRemap + 4), (std::vector<DWORD>{0, 2, 1, 3}));
    ASSERT_TRUE(vertexRemap);
    EXPECT_EQ(vertexRemap->GetBufferSize(), 8 * sizeof(DWORD));
    // The two triangles of a quad share their diagonal; the quads touch only along x = 319.5,
    // where their vertices are separate but equal in position.
    EXPECT_EQ(adjacency[0 * 3 + 1], 1u);
    EXPECT_EQ(adjacency[1 * 3 + 0], 0u);

    ASSERT_EQ(mesh->GetAttributeTable(nullptr, &size), S_OK);
    ASSERT_EQ(size, 2u);
    D3DXATTRIBUTERANGE table[2];
    ASSERT_EQ(mesh->GetAttributeTable(table, &size), S_OK);
    EXPECT_EQ(table[0].AttribId, 0u);
    EXPECT_EQ(table[0].FaceStart, 0u);
    EXPECT_EQ(table[0].FaceCount, 2u);
    EXPECT_EQ(table[0].VertexStart, 0u);
    EXPECT_EQ(table[0].VertexCount, 4u);
    EXPECT_EQ(table[1].AttribId, 1u);
    EXPECT_EQ(table[1].FaceStart, 2u);
    EXPECT_EQ(table[1].VertexStart, 4u);

    device_->ResetDrawStats();
    Clear(kBlue);
    Begin();
    ASSERT_EQ(mesh->DrawSubset(0), S_OK);
    End();
    D3DDRAWSTATS stats{};
    device_->GetDrawStats(&stats);
    EXPECT_EQ(stats.drawCalls, 1u);
    EXPECT_EQ(stats.primitives, 2u);
    ExpectHalves(kRed, kBlue);

    // Rewriting the attributes drops the table: the subsets follow the new ids.
    DWORD* ids = nullptr;
    ASSERT_EQ(mesh->LockAttributeBuffer(0, &ids), S_OK);
    ids[0] = ids[1] = 1;
    ASSERT_EQ(mesh->UnlockAttributeBuffer(), S_OK);
    ASSERT_EQ(mesh->GetAttributeTable(nullptr, &size), S_OK);
    EXPECT_EQ(size, 0u);
    Clear(kBlue);
    Begin();
    ASSERT_EQ(mesh->DrawSubset(1), S_OK);
    End();
    ExpectHalves(kRed, kGreen);
}

TEST_F(MeshObjectTest, OptimizeLeavesTheSourceAndCompacts) {
    ComPtr<ID3DXMesh> mesh;
    ASSERT_EQ(D3DXCreateMeshFVF(1, 5, D3DXMESH_SYSTEMMEM, D3DFVF_XYZ, device_.Get(), mesh.Receive()), S_OK);
    float* p = nullptr;
    ASSERT_EQ(mesh->LockVertexBuffer(0, reinterpret_cast<BYTE**>(&p)), S_OK);
    for (int i = 0; i < 15; ++i) p[i] = static_cast<float>(i);
    mesh->UnlockVertexBuffer();
    WORD* index = nullptr;
    ASSERT_EQ(mesh->LockIndexBuffer(0, reinterpret_cast<BYTE**>(&index)), S_OK);
    index[0] = 4;
    index[1] = 2;
    index[2] = 0;
    mesh->UnlockIndexBuffer();
    ComPtr<ID3DXMesh> optimized;
    ComPtr<ID3DXBuffer> remap;
    ASSERT_EQ(mesh->Optimize(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE, nullptr, nullptr, nullptr,
                             remap.Receive(), optimized.Receive()),
              S_OK);
    EXPECT_EQ(mesh->GetNumVertices(), 5u);
    ASSERT_EQ(optimized->GetNumVertices(), 3u);
    EXPECT_EQ(optimized->GetOptions(), D3DXMESH_SYSTEMMEM);
    const auto* old = static_cast<const DWORD*>(remap->GetBufferPointer());
    EXPECT_EQ(std::vector<DWORD>(old, old + 3), (std::vector<DWORD>{4, 2, 0}));
    ASSERT_EQ(optimized->LockVertexBuffer(D3DLOCK_READONLY, reinterpret_cast<BYTE**>(&p)), S_OK);
    EXPECT_EQ(p[0], 12.0f);
    EXPECT_EQ(p[3], 6.0f);
    EXPECT_EQ(p[6], 0.0f);
    optimized->UnlockVertexBuffer();

    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_COMPACT, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(mesh->GetNumVertices(), 3u);
    ComPtr<IDirect3DVertexBuffer8> vb;
    ASSERT_EQ(mesh->GetVertexBuffer(vb.Receive()), S_OK);
    D3DVERTEXBUFFER_DESC desc{};
    ASSERT_EQ(vb->GetDesc(&desc), S_OK);
    EXPECT_EQ(desc.Size, 3u * 12);
    EXPECT_EQ(desc.Pool, D3DPOOL_SYSTEMMEM);
}

TEST_F(MeshObjectTest, CloneChangesFormatAndIndexWidth) {
    ComPtr<ID3DXMesh> mesh = TwoQuads();
    ASSERT_TRUE(mesh);
    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr), S_OK);
    ComPtr<ID3DXMesh> clone;
    const DWORD fvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
    ASSERT_EQ(mesh->CloneMeshFVF(D3DXMESH_32BIT | D3DXMESH_WRITEONLY, fvf, nullptr, clone.Receive()), S_OK);
    EXPECT_EQ(clone->GetFVF(), fvf);
    EXPECT_EQ(clone->GetOptions(), D3DXMESH_32BIT | D3DXMESH_WRITEONLY);
    struct Textured {
        float x, y, z, rhw;
        D3DCOLOR colour;
        float u, v;
    };
    const ScreenVertex* a = nullptr;
    const Textured* b = nullptr;
    ASSERT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, reinterpret_cast<BYTE**>(const_cast<ScreenVertex**>(&a))), S_OK);
    ASSERT_EQ(clone->LockVertexBuffer(D3DLOCK_READONLY, reinterpret_cast<BYTE**>(const_cast<Textured**>(&b))), S_OK);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(b[i].x, a[i].x);
        EXPECT_EQ(b[i].y, a[i].y);
        EXPECT_EQ(b[i].rhw, a[i].rhw);
        EXPECT_EQ(b[i].colour, a[i].colour);
        EXPECT_EQ(b[i].u, 0.0f);
        EXPECT_EQ(b[i].v, 0.0f);
    }
    mesh->UnlockVertexBuffer();
    clone->UnlockVertexBuffer();
    DWORD size = 0;
    ASSERT_EQ(clone->GetAttributeTable(nullptr, &size), S_OK);
    EXPECT_EQ(size, 2u) << "the clone keeps the attribute table";

    // The clone draws like the source.
    Clear(kBlue);
    Begin();
    ASSERT_EQ(clone->DrawSubset(1), S_OK);
    End();
    ExpectHalves(kBlue, kGreen);
    EXPECT_EQ(mesh->CloneMeshFVF(0, 0, nullptr, clone.Receive()), D3DERR_INVALIDCALL);
}

TEST(MeshBounds, BoxAndSphereOfAKnownPointSet) {
    struct Vertex {
        float x, y, z, nx, ny, nz;
    };
    const Vertex points[4] = {{0, 0, 0, 9, 9, 9}, {2, 0, 0, 9, 9, 9}, {0, 4, 0, -9, -9, -9}, {2, 4, 6, 9, 9, 9}};
    const DWORD fvf = D3DFVF_XYZ | D3DFVF_NORMAL;
    D3DXVECTOR3 low, high, centre;
    float radius = 0;
    ASSERT_EQ(D3DXComputeBoundingBox(points, 4, fvf, &low, &high), S_OK);
    EXPECT_EQ(low, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(high, D3DXVECTOR3(2, 4, 6));
    ASSERT_EQ(D3DXComputeBoundingSphere(points, 4, fvf, &centre, &radius), S_OK);
    EXPECT_FLOAT_EQ(centre.x, 1.0f);
    EXPECT_FLOAT_EQ(centre.y, 2.0f);
    EXPECT_FLOAT_EQ(centre.z, 1.5f);
    EXPECT_FLOAT_EQ(radius, std::sqrt(25.25f));
    // One point: its own box, radius 0.
    ASSERT_EQ(D3DXComputeBoundingSphere(&points[2], 1, fvf, &centre, &radius), S_OK);
    EXPECT_EQ(centre, D3DXVECTOR3(0, 4, 0));
    EXPECT_EQ(radius, 0.0f);
    EXPECT_EQ(D3DXComputeBoundingBox(points, 0, fvf, &low, &high), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXComputeBoundingBox(nullptr, 4, fvf, &low, &high), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXComputeBoundingSphere(points, 4, 0, &centre, &radius), D3DERR_INVALIDCALL);
}

}  // namespace

// The X file mesh reader: hand-written text X files from memory, and real files of other tools.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "platform/d3dx/d3dx8mesh.h"
#include "platform/d3dx/d3dx8tex.h"
#include "tests/platform/gpu/headless_fixture.h"
#include "tests/platform/gpu/device_caps.h"

namespace {

std::string SharedFile(const char* leaf) {
    std::string path = std::string(ORRERY_XFILES_DIR) + "/" + leaf;
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? path : std::string();
}

struct Loaded {
    HRESULT hr = E_FAIL;
    ComPtr<ID3DXSkinMesh> skin;
    ComPtr<ID3DXMesh> mesh;
    ComPtr<ID3DXBuffer> adjacency, materials, names, offsets;
    DWORD materialCount = 0;

    const D3DXMATERIAL& Material(DWORD i) const { return static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer())[i]; }
    std::vector<DWORD> Attributes() const {
        DWORD* ids = nullptr;
        std::vector<DWORD> out;
        if (SUCCEEDED(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &ids))) {
            out.assign(ids, ids + mesh->GetNumFaces());
            mesh->UnlockAttributeBuffer();
        }
        return out;
    }
    std::vector<DWORD> Indices() const {
        BYTE* data = nullptr;
        std::vector<DWORD> out;
        if (SUCCEEDED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &data))) {
            for (DWORD i = 0; i < mesh->GetNumFaces() * 3; ++i)
                out.push_back((mesh->GetOptions() & D3DXMESH_32BIT) ? reinterpret_cast<DWORD*>(data)[i]
                                                                     : reinterpret_cast<WORD*>(data)[i]);
            mesh->UnlockIndexBuffer();
        }
        return out;
    }
    std::vector<float> Vertex(DWORD v) const {
        BYTE* data = nullptr;
        std::vector<float> out;
        const UINT stride = D3DXGetFVFVertexSize(mesh->GetFVF());
        if (SUCCEEDED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data))) {
            out.resize(stride / 4);
            std::memcpy(out.data(), data + v * stride, stride);
            mesh->UnlockVertexBuffer();
        }
        return out;
    }
};

class XMeshTest : public pixeltest::HeadlessDeviceTest {
protected:
    // Calls `visit` for every Mesh of the enumeration, top level or inside frames.
    void ForEachMesh(const void* source, DXFILELOADOPTIONS options, const std::function<void(IDirectXFileData*)>& visit,
                     HRESULT* enumResult = nullptr) {
        ComPtr<IDirectXFile> files;
        ASSERT_EQ(DirectXFileCreate(files.Receive()), S_OK);
        ASSERT_EQ(files->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES), S_OK);
        ComPtr<IDirectXFileEnumObject> enumeration;
        HRESULT hr = files->CreateEnumObject(source, options, enumeration.Receive());
        if (enumResult) *enumResult = hr;
        if (FAILED(hr)) return;
        std::function<void(IDirectXFileData*)> walk = [&](IDirectXFileData* object) {
            const GUID* type = nullptr;
            ASSERT_EQ(object->GetType(&type), S_OK);
            if (*type == TID_D3DRMMesh) return visit(object);
            if (*type != TID_D3DRMFrame) return;
            for (;;) {
                ComPtr<IDirectXFileObject> child;
                if (FAILED(object->GetNextObject(child.Receive()))) return;
                ComPtr<IDirectXFileData> data;
                if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(data.Receive()))))
                    walk(data.Get());
            }
        };
        for (;;) {
            ComPtr<IDirectXFileData> object;
            hr = enumeration->GetNextDataObject(object.Receive());
            if (FAILED(hr)) break;
            walk(object.Get());
        }
        if (enumResult) *enumResult = hr == DXFILEERR_NOMOREOBJECTS ? S_OK : hr;
    }

    Loaded LoadFirst(IDirectXFileData* object) {
        Loaded l;
        l.hr = D3DXLoadSkinMeshFromXof(object, D3DXMESH_SYSTEMMEM, device_.Get(), l.adjacency.Receive(),
                                       l.materials.Receive(), &l.materialCount, l.names.Receive(), l.offsets.Receive(),
                                       l.skin.Receive());
        if (SUCCEEDED(l.hr)) {
            EXPECT_EQ(l.skin->GetOriginalMesh(l.mesh.Receive()), S_OK);
        }
        return l;
    }

    // The first Mesh of an X file held in `text`.
    Loaded FromText(const std::string& body) {
        text_ = "xof 0303txt 0032\n" + body;
        DXFILELOADMEMORY memory{text_.data(), static_cast<DWORD>(text_.size())};
        Loaded l;
        bool done = false;
        ForEachMesh(&memory, DXFILELOAD_FROMMEMORY, [&](IDirectXFileData* object) {
            if (!done) l = LoadFirst(object);
            done = true;
        });
        EXPECT_TRUE(done) << "no Mesh in the text";
        return l;
    }

    std::string text_;
};

TEST_F(XMeshTest, PolygonsBecomeFansWithTheirMaterial) {
    Loaded l = FromText(R"(
Mesh Fan {
 8;
 0;0;0;, 1;0;0;, 2;1;0;, 1;2;0;, 0;1;0;, 5;5;0;, 6;5;0;, 5;6;0;;
 3;
 5;0,1,2,3,4;, 2;0,1;, 3;5,6,7;;
 MeshMaterialList { 2; 3; 1, 0, 1;;
  Material { 1;0;0;1;; 8; 0;0;0;; 0;0;0;; }
  Material { 0;1;0;1;; 8; 0;0;0;; 0;0;0;; }
 }
})");
    ASSERT_EQ(l.hr, S_OK);
    EXPECT_EQ(l.mesh->GetFVF(), static_cast<DWORD>(D3DFVF_XYZ));
    EXPECT_EQ(l.mesh->GetNumVertices(), 8u);
    EXPECT_EQ(l.Indices(), (std::vector<DWORD>{0, 1, 2, 0, 2, 3, 0, 3, 4, 5, 6, 7})) << "the two-corner face is dropped";
    EXPECT_EQ(l.Attributes(), (std::vector<DWORD>{1, 1, 1, 1}));
    EXPECT_EQ(l.skin->GetNumBones(), 0u);
    EXPECT_EQ(l.names->GetBufferSize(), 0u);
    EXPECT_EQ(l.offsets->GetBufferSize(), 0u);
    ASSERT_EQ(l.adjacency->GetBufferSize(), 4u * 3 * sizeof(DWORD));
    const DWORD* adjacency = static_cast<const DWORD*>(l.adjacency->GetBufferPointer());
    EXPECT_EQ(adjacency[0 * 3 + 2], 1u) << "fan triangles share their inner edges";
    EXPECT_EQ(adjacency[1 * 3 + 0], 0u);
    EXPECT_EQ(adjacency[3 * 3 + 0], UNUSED32);
}

TEST_F(XMeshTest, VerticesSplitWhereFacesGiveDifferentNormals) {
    // Two faces folded along the edge 1-2; each face has its own normal.
    Loaded l = FromText(R"(
Mesh Fold {
 4; 0;0;0;, 1;0;0;, 0;1;0;, 1;1;1;;
 2; 3;0,2,1;, 3;1,2,3;;
 MeshNormals { 2; 0;0;-1;, 0.5;0;-0.5;; 2; 3;0,0,0;, 3;1,1,1;; }
})");
    ASSERT_EQ(l.hr, S_OK);
    EXPECT_EQ(l.mesh->GetFVF(), static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL));
    ASSERT_EQ(l.mesh->GetNumVertices(), 6u);
    const std::vector<DWORD> indices = l.Indices();
    EXPECT_EQ(std::vector<DWORD>(indices.begin(), indices.begin() + 3), (std::vector<DWORD>{0, 2, 1}));
    EXPECT_EQ(indices[5], 3u) << "an unshared vertex keeps its number";
    for (int k = 0; k < 6; ++k) {
        const std::vector<float> v = l.Vertex(indices[k]);
        EXPECT_EQ(v[5], k < 3 ? -1.0f : -0.5f) << "corner " << k;
    }
    // The split copies sit at the positions of vertices 2 and 1.
    EXPECT_EQ(l.Vertex(indices[3])[0], 1.0f);
    EXPECT_EQ(l.Vertex(indices[4])[1], 1.0f);
    EXPECT_NE(indices[3], 1u);
    EXPECT_NE(indices[4], 2u);
    // Adjacency matches the copies by position: the fold edge still joins the faces.
    const DWORD* adjacency = static_cast<const DWORD*>(l.adjacency->GetBufferPointer());
    EXPECT_EQ(adjacency[0 * 3 + 1], 1u);
    EXPECT_EQ(adjacency[1 * 3 + 0], 0u);
    EXPECT_EQ(l.materialCount, 0u) << "no material list, no materials";
    EXPECT_EQ(l.Attributes(), (std::vector<DWORD>{0, 0}));
}

TEST_F(XMeshTest, ShortMaterialListsRepeatTheirLastIdAndLargeIdsAreClamped) {
    const char* mesh = R"(
Mesh M {
 3; 0;0;0;, 1;0;0;, 0;1;0;;
 4; 3;0,1,2;, 3;0,2,1;, 3;1,2,0;, 3;2,0,1;;
 MeshMaterialList { 3; %s;
  Material { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; }
  Material { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; }
  Material { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; }
 }
})";
    auto with = [&](const char* list) {
        char text[1024];
        std::snprintf(text, sizeof text, mesh, list);
        return FromText(text);
    };
    Loaded shorter = with("2; 2, 1;");
    ASSERT_EQ(shorter.hr, S_OK);
    EXPECT_EQ(shorter.materialCount, 3u);
    EXPECT_EQ(shorter.Attributes(), (std::vector<DWORD>{2, 1, 1, 1}));
    Loaded large = with("4; 0, 7, 1, 2;");
    ASSERT_EQ(large.hr, S_OK);
    EXPECT_EQ(large.Attributes(), (std::vector<DWORD>{0, 2, 1, 2}));
    Loaded empty = with("0;");
    ASSERT_EQ(empty.hr, S_OK);
    EXPECT_EQ(empty.Attributes(), (std::vector<DWORD>{0, 0, 0, 0}));
}

TEST_F(XMeshTest, MaterialsByReferenceWithTextureNames) {
    Loaded l = FromText(R"(
Material Brick {
 0.5;0.25;0.125;0.75;;
 12.5;
 0.1;0.2;0.3;;
 0.4;0.5;0.6;;
 TextureFilename { "textures/brick.jpg"; }
}
Mesh M {
 3; 0;0;0;, 1;0;0;, 0;1;0;;
 3; 3;0,1,2;, 3;0,2,1;, 3;1,2,0;;
 MeshMaterialList { 3; 3; 0, 1, 2;;
  Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { ""; } }
  { Brick }
  Material Plain { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; }
 }
})");
    ASSERT_EQ(l.hr, S_OK);
    ASSERT_EQ(l.materialCount, 3u);
    EXPECT_EQ(l.Material(0).pTextureFilename, nullptr) << "an empty name is no texture";
    const D3DXMATERIAL& brick = l.Material(1);
    ASSERT_NE(brick.pTextureFilename, nullptr);
    EXPECT_STREQ(brick.pTextureFilename, "textures/brick.jpg");
    const BYTE* base = static_cast<const BYTE*>(l.materials->GetBufferPointer());
    EXPECT_GE(reinterpret_cast<const BYTE*>(brick.pTextureFilename), base + 3 * sizeof(D3DXMATERIAL));
    EXPECT_LT(reinterpret_cast<const BYTE*>(brick.pTextureFilename), base + l.materials->GetBufferSize());
    const D3DMATERIAL8& m = brick.MatD3D;
    EXPECT_EQ(m.Diffuse.r, 0.5f);
    EXPECT_EQ(m.Diffuse.g, 0.25f);
    EXPECT_EQ(m.Diffuse.b, 0.125f);
    EXPECT_EQ(m.Diffuse.a, 0.75f);
    EXPECT_EQ(m.Power, 12.5f);
    EXPECT_FLOAT_EQ(m.Specular.g, 0.2f);
    EXPECT_FLOAT_EQ(m.Emissive.b, 0.6f);
    EXPECT_EQ(m.Ambient.r, 0.0f);
    EXPECT_EQ(m.Ambient.g, 0.0f);
    EXPECT_EQ(m.Ambient.b, 0.0f);
    EXPECT_EQ(m.Ambient.a, 0.0f);
    EXPECT_EQ(l.Material(2).MatD3D.Diffuse.b, 1.0f);
    EXPECT_EQ(l.Material(2).pTextureFilename, nullptr);
}

TEST_F(XMeshTest, VertexColoursAndTextureCoordinates) {
    Loaded l = FromText(R"(
Mesh M {
 3; 0;0;0;, 1;0;0;, 0;1;0;;
 1; 3;0,1,2;;
 MeshTextureCoords { 3; 0.0;0.0;, 1.0;0.0;, 0.0;0.5;; }
 MeshVertexColors { 2; 2; 1.0;0.0;0.0;1.0;;, 0; 0.0;0.0;1.0;0.5;;; }
})");
    ASSERT_EQ(l.hr, S_OK);
    ASSERT_EQ(l.mesh->GetFVF(), static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1));
    auto colour = [&](DWORD v) {
        DWORD c;
        std::vector<float> f = l.Vertex(v);
        std::memcpy(&c, &f[3], 4);
        return c;
    };
    EXPECT_EQ(colour(2), 0xFFFF0000u);
    EXPECT_EQ(colour(0), 0x800000FFu);
    EXPECT_EQ(colour(1), 0xFFFFFFFFu) << "a vertex without a colour is white";
    EXPECT_EQ(l.Vertex(1)[4], 1.0f);
    EXPECT_EQ(l.Vertex(2)[5], 0.5f);
}

TEST_F(XMeshTest, SkinWeightsFollowSplitVerticesAndBadIndicesAreDropped) {
    Loaded l = FromText(R"(
Mesh M {
 4; 0;0;0;, 1;0;0;, 0;1;0;, 1;1;1;;
 2; 3;0,2,1;, 3;1,2,3;;
 MeshNormals { 2; 0;0;-1;, 1;0;0;; 2; 3;0,0,0;, 3;1,1,1;; }
 XSkinMeshHeader { 2; 3; 2; }
 SkinWeights { "hip"; 3; 0, 1, 99; 1.0, 0.5, 1.0;
  1;0;0;0;0;1;0;0;0;0;1;0;7;8;9;1;; }
 SkinWeights { "knee"; 2; 1, 3; 0.5, 1.0;
  2;0;0;0;0;2;0;0;0;0;2;0;0;0;0;1;; }
})");
    ASSERT_EQ(l.hr, S_OK);
    ASSERT_EQ(l.skin->GetNumBones(), 2u);
    char** names = static_cast<char**>(l.names->GetBufferPointer());
    EXPECT_STREQ(names[0], "hip");
    EXPECT_STREQ(names[1], "knee");
    ASSERT_EQ(l.offsets->GetBufferSize(), 2 * sizeof(D3DXMATRIX));
    const D3DXMATRIX* offsets = static_cast<const D3DXMATRIX*>(l.offsets->GetBufferPointer());
    EXPECT_EQ(offsets[0]._41, 7.0f);
    EXPECT_EQ(offsets[0]._43, 9.0f);
    EXPECT_EQ(offsets[1]._11, 2.0f);
    // Vertex 1 was split: both its copies carry hip's weight; vertex 99 does not exist.
    const DWORD vertices = l.mesh->GetNumVertices();
    ASSERT_EQ(vertices, 6u);
    ASSERT_EQ(l.skin->GetNumBoneInfluences(0), 3u);
    DWORD influenced[3];
    float weights[3];
    ASSERT_EQ(l.skin->GetBoneInfluence(0, influenced, weights), S_OK);
    EXPECT_EQ(influenced[0], 0u);
    EXPECT_EQ(influenced[1], 1u);
    EXPECT_GE(influenced[2], 4u);
    EXPECT_LT(influenced[2], vertices);
    EXPECT_EQ(weights[2], 0.5f);
    DWORD most = 0;
    ASSERT_EQ(l.skin->GetMaxVertexInfluences(&most), S_OK);
    EXPECT_EQ(most, 2u);
    // The skin converts with its bones.
    ComPtr<ID3DXMesh> blended;
    ComPtr<ID3DXBuffer> combinations;
    DWORD count = 0;
    ASSERT_EQ(l.skin->ConvertToBlendedMesh(0, nullptr, nullptr, &count, combinations.Receive(), blended.Receive()), S_OK);
    EXPECT_EQ(blended->GetNumFaces(), 2u);
    EXPECT_GE(count, 1u);
}

TEST_F(XMeshTest, MalformedMeshesFailCleanly) {
    Loaded outside = FromText("Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }");
    EXPECT_EQ(outside.hr, D3DXERR_INVALIDDATA);
    EXPECT_FALSE(outside.skin);
    Loaded noFaces = FromText("Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 0;; }");
    EXPECT_EQ(noFaces.hr, D3DXERR_INVALIDDATA);
    Loaded badNormals = FromText(R"(
Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;
 MeshNormals { 1; 0;0;1;; 1; 3;0,5,0;; } })");
    ASSERT_EQ(badNormals.hr, S_OK) << "a normal index outside the normals gives no normal";
    EXPECT_EQ(badNormals.Vertex(1)[5], 0.0f);
    EXPECT_EQ(badNormals.Vertex(0)[5], 1.0f);

    // Something that is not a Mesh.
    text_ = "xof 0303txt 0032\nMaterial Only { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; }";
    DXFILELOADMEMORY memory{text_.data(), static_cast<DWORD>(text_.size())};
    ComPtr<IDirectXFile> files;
    ASSERT_EQ(DirectXFileCreate(files.Receive()), S_OK);
    ASSERT_EQ(files->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES), S_OK);
    ComPtr<IDirectXFileEnumObject> enumeration;
    ASSERT_EQ(files->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, enumeration.Receive()), S_OK);
    ComPtr<IDirectXFileData> material;
    ASSERT_EQ(enumeration->GetNextDataObject(material.Receive()), S_OK);
    Loaded wrong = LoadFirst(material.Get());
    EXPECT_EQ(wrong.hr, D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXLoadSkinMeshFromXof(nullptr, 0, device_.Get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                      wrong.skin.Receive()),
              D3DERR_INVALIDCALL);
}

TEST_F(XMeshTest, MoreThan65535VerticesUse32BitIndices) {
    const DWORD faces = 21846;  // 65538 vertices, three per face
    std::string body = "Mesh Big {\n" + std::to_string(faces * 3) + ";\n";
    for (DWORD v = 0; v < faces * 3; ++v) body += std::to_string(v % 7) + ";" + std::to_string(v / 7) + ";0;" + (v + 1 < faces * 3 ? "," : ";\n");
    body += std::to_string(faces) + ";\n";
    for (DWORD f = 0; f < faces; ++f)
        body += "3;" + std::to_string(3 * f) + "," + std::to_string(3 * f + 1) + "," + std::to_string(3 * f + 2) + ";" +
                (f + 1 < faces ? "," : ";\n}");
    Loaded l = FromText(body);
    ASSERT_EQ(l.hr, S_OK);
    EXPECT_EQ(l.mesh->GetNumVertices(), faces * 3);
    EXPECT_EQ(l.mesh->GetOptions(), D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT);
    const std::vector<DWORD> indices = l.Indices();
    ASSERT_EQ(indices.size(), faces * 3u);
    EXPECT_EQ(indices.back(), faces * 3 - 1);
}

// ---- Files of other tools -------------------------------------------------------------------

struct FileTotals {
    DWORD meshes = 0, faces = 0, bones = 0;
    std::vector<std::string> textures;
};

class XMeshFileTest : public XMeshTest {
protected:
    // A file's first mesh as D3DXLoadMeshFromX loads it into system memory, with its adjacency
    // and materials.
    Loaded LoadFromX(const std::string& path) {
        Loaded l;
        l.hr = D3DXLoadMeshFromX(path.c_str(), D3DXMESH_SYSTEMMEM, device_.Get(), l.adjacency.Receive(),
                                 l.materials.Receive(), &l.materialCount, l.mesh.Receive());
        return l;
    }

    FileTotals Totals(const std::string& path) {
        FileTotals t;
        HRESULT enumResult = E_FAIL;
        ForEachMesh(path.c_str(), DXFILELOAD_FROMFILE, [&](IDirectXFileData* object) {
            Loaded l = LoadFirst(object);
            ASSERT_EQ(l.hr, S_OK) << path;
            ++t.meshes;
            t.faces += l.mesh->GetNumFaces();
            t.bones += l.skin->GetNumBones();
            for (DWORD i = 0; i < l.materialCount; ++i)
                t.textures.push_back(l.Material(i).pTextureFilename ? l.Material(i).pTextureFilename : "");
            // Every bone's vertices lie in the mesh, and the mesh converts for blending.
            for (DWORD b = 0; b < l.skin->GetNumBones(); ++b) {
                std::vector<DWORD> vertices(l.skin->GetNumBoneInfluences(b));
                std::vector<float> weights(vertices.size());
                ASSERT_EQ(l.skin->GetBoneInfluence(b, vertices.data(), weights.data()), S_OK);
                for (DWORD v : vertices) ASSERT_LT(v, l.mesh->GetNumVertices());
            }
            if (l.skin->GetNumBones() > 0) {
                ComPtr<ID3DXMesh> blended;
                DWORD count = 0;
                ComPtr<ID3DXBuffer> table;
                std::vector<DWORD> adjacency(l.mesh->GetNumFaces() * 3);
                ASSERT_EQ(l.skin->ConvertToBlendedMesh(0, static_cast<const DWORD*>(l.adjacency->GetBufferPointer()),
                                                       adjacency.data(), &count, table.Receive(), blended.Receive()),
                          S_OK);
                EXPECT_EQ(blended->GetNumFaces(), l.mesh->GetNumFaces());
            }
        }, &enumResult);
        EXPECT_EQ(enumResult, S_OK) << path;
        return t;
    }
};

TEST_F(XMeshFileTest, DwarfIsOneSkinnedMeshOfThreeMaterials) {
    const std::string path = SharedFile("dwarf.x");
    if (path.empty()) GTEST_SKIP() << "shared X files absent";
    const FileTotals t = Totals(path);
    EXPECT_EQ(t.meshes, 1u);
    EXPECT_EQ(t.faces, 1896u);
    EXPECT_EQ(t.bones, 40u);
    ASSERT_EQ(t.textures.size(), 3u);
    for (const std::string& texture : t.textures) EXPECT_FALSE(texture.empty());
}

TEST_F(XMeshFileTest, DwarfBlendsWithinTheDevicesMatrices) {
    const std::string path = SharedFile("dwarf.x");
    if (path.empty()) GTEST_SKIP() << "shared X files absent";
    std::map<DWORD, DWORD> combinations;  // per matrix count
    ForEachMesh(path.c_str(), DXFILELOAD_FROMFILE, [&](IDirectXFileData* object) {
        Loaded l = LoadFirst(object);
        ASSERT_EQ(l.hr, S_OK);
        for (DWORD matrices : {4u, 3u}) {
            ASSERT_EQ(gputest::SetMaxVertexBlendMatrices(device_.Get(), matrices), S_OK);
            ComPtr<ID3DXMesh> blended;
            ComPtr<ID3DXBuffer> table;
            DWORD count = 0;
            ASSERT_EQ(l.skin->ConvertToBlendedMesh(0, nullptr, nullptr, &count, table.Receive(), blended.Receive()), S_OK);
            const DWORD p = blended->GetFVF() & D3DFVF_POSITION_MASK;
            const DWORD influences = p == D3DFVF_XYZ ? 1 : (p - 3) / 2 + 1;
            EXPECT_LE(influences, matrices);
            EXPECT_EQ(blended->GetNumFaces(), l.mesh->GetNumFaces());
            const auto* records = static_cast<const D3DXBONECOMBINATION*>(table->GetBufferPointer());
            DWORD faces = 0;
            for (DWORD i = 0; i < count; ++i) {
                faces += records[i].FaceCount;
                EXPECT_LT(records[i].AttribId, l.materialCount);
                for (DWORD s = 0; s < influences; ++s) {
                    if (records[i].BoneId[s] != UNUSED32) {
                        EXPECT_LT(records[i].BoneId[s], l.skin->GetNumBones());
                    }
                }
            }
            EXPECT_EQ(faces, l.mesh->GetNumFaces());
            combinations[matrices] = count;
        }
    });
    ASSERT_EQ(combinations.size(), 2u);
    EXPECT_GT(combinations[3], combinations[4]);
    std::printf("dwarf.x: %u bone combinations with 4 matrices, %u with 3\n", combinations[4], combinations[3]);
}

TEST_F(XMeshFileTest, CubesInEveryEncoding) {
    for (const char* leaf : {"cube_text.x", "cube_binary.x", "cube_compressed.x"}) {
        const std::string path = SharedFile(leaf);
        if (path.empty()) GTEST_SKIP() << "shared X files absent";
        const FileTotals t = Totals(path);
        EXPECT_EQ(t.meshes, 1u) << leaf;
        EXPECT_EQ(t.faces, 12u) << leaf;
        EXPECT_EQ(t.bones, 1u) << leaf;
    }
}

TEST_F(XMeshFileTest, AnimTestCylinder) {
    const std::string path = SharedFile("anim_test.x");
    if (path.empty()) GTEST_SKIP() << "shared X files absent";
    const FileTotals t = Totals(path);
    EXPECT_EQ(t.faces, 840u);
    EXPECT_EQ(t.bones, 4u);
    for (const std::string& texture : t.textures) EXPECT_TRUE(texture.empty()) << "an empty TextureFilename: " << texture;
}

TEST_F(XMeshFileTest, VertexColourCube) {
    const std::string path = SharedFile("cube_vertex_colours.x");
    if (path.empty()) GTEST_SKIP() << "shared X files absent";
    const Loaded l = LoadFromX(path);
    ASSERT_EQ(l.hr, S_OK);
    EXPECT_EQ(l.mesh->GetNumFaces(), 12u);
    EXPECT_TRUE(l.mesh->GetFVF() & D3DFVF_DIFFUSE);
    ASSERT_EQ(l.materialCount, 3u);
    for (DWORD i = 0; i < l.materialCount; ++i) {
        const char* name = l.Material(i).pTextureFilename;
        ASSERT_NE(name, nullptr);
        EXPECT_NE(std::strstr(name, ".tga"), nullptr) << name;
    }
    EXPECT_EQ(l.adjacency->GetBufferSize(), 12u * 3 * sizeof(DWORD));
}

TEST_F(XMeshFileTest, HostileAndOddFilesFailCleanly) {
    const std::string malformed = SharedFile("malformed_skinweights.x");
    if (malformed.empty()) GTEST_SKIP() << "shared X files absent";
    // Loads with the bad weight dropped (Totals checks every bone's vertices lie in the mesh).
    const FileTotals t = Totals(malformed);
    EXPECT_EQ(t.faces, 12u);

    ComPtr<ID3DXMesh> mesh;
    EXPECT_LT(D3DXLoadMeshFromX(SharedFile("empty.x").c_str(), 0, device_.Get(), nullptr, nullptr, nullptr,
                                mesh.Receive()),
              0);
    EXPECT_FALSE(mesh);
    // Either outcome is fine for this one; it must simply return.
    HRESULT maya = D3DXLoadMeshFromX(SharedFile("maya_cube.x").c_str(), 0, device_.Get(), nullptr, nullptr, nullptr,
                                     mesh.Receive());
    if (SUCCEEDED(maya)) {
        EXPECT_EQ(mesh->GetNumFaces(), 12u);
    }
    EXPECT_LT(D3DXLoadMeshFromX("/nonexistent/none.x", 0, device_.Get(), nullptr, nullptr, nullptr, mesh.Receive()), 0);
    EXPECT_FALSE(mesh);
}

TEST_F(XMeshFileTest, LoadMeshFromXFindsTheFirstMeshInsideFrames) {
    const std::string path = SharedFile("dwarf.x");
    if (path.empty()) GTEST_SKIP() << "shared X files absent";
    const Loaded l = LoadFromX(path);
    ASSERT_EQ(l.hr, S_OK);
    ID3DXMesh* mesh = l.mesh.Get();
    const DWORD count = l.materialCount;
    EXPECT_EQ(mesh->GetOptions(), D3DXMESH_SYSTEMMEM);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(mesh->GetNumFaces(), 1896u);
    // The optimisation the mesh models run keeps its faces and subsets drawable.
    std::vector<DWORD> adjacencyOut(mesh->GetNumFaces() * 3);
    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
                                    static_cast<const DWORD*>(l.adjacency->GetBufferPointer()), adjacencyOut.data(), nullptr,
                                    nullptr),
              S_OK);
    DWORD ranges = 0;
    ASSERT_EQ(mesh->GetAttributeTable(nullptr, &ranges), S_OK);
    EXPECT_GE(ranges, 1u);
    EXPECT_LE(ranges, count);
    Begin();
    for (DWORD i = 0; i < count; ++i) EXPECT_EQ(mesh->DrawSubset(i), S_OK);
    End();
}

}  // namespace

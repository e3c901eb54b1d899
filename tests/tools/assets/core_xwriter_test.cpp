// The X file writer, read back through the engine's X file services, mesh reader and loader
// in each of the four encodings.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>

#include "platform/d3dx/xmesh_source.h"
#include "platform/com/com_ptr.h"
#include "platform/xfile/dxfile.h"
#include "scene/animated_model.h"
#include "tests/scene/skin_fixture.h"
#include "tools/assets/core/image.h"
#include "tools/assets/core/x_writer.h"

namespace {

using assets::XEncoding;

D3DXMATRIX Translation(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

// Values that only survive a writer that prints floats exactly.
constexpr float kAwkward[] = {0.1f, 1e-30f, -3.0e38f, 123456.789f, -0.0f, 7.0f};

// A textured two-material quad pair (rigid, in frame Body) and a skinned strip on four bones
// (in frame Root) whose middle vertices carry four influences.
assets::Model TestModel() {
    assets::Mesh rigid;
    rigid.name = "Panel";
    for (int i = 0; i < 6; ++i) {
        rigid.positions.push_back({float(i), kAwkward[i], float(i % 2)});
        rigid.normals.push_back({0.0f, 0.0f, i % 2 ? 1.0f : -1.0f});
        rigid.uvs.push_back({0.25f * float(i), 1.0f - 0.125f * float(i)});
    }
    rigid.faces = {{0, 1, 2}, {2, 1, 3}, {2, 3, 4}, {4, 3, 5}};
    rigid.faceMaterials = {0, 0, 1, 1};
    assets::Material brick;
    brick.diffuse = {0.75f, 0.25f, 0.125f, 1.0f};
    brick.power = 8.0f;
    brick.specular = {0.5f, 0.5f, 0.5f, 1.0f};
    brick.texture = "test_brick.tga";
    assets::Material lamp;
    lamp.diffuse = {1.0f, 0.9f, 0.5f, 0.5f};
    lamp.emissive = {1.0f, 0.8f, 0.25f, 1.0f};
    rigid.materials = {brick, lamp};

    assets::Mesh skinned;
    skinned.name = "Strip";
    for (int i = 0; i < 8; ++i) {
        skinned.positions.push_back({float(i / 2), float(i % 2), 0.0f});
        skinned.normals.push_back({0.0f, 0.0f, 1.0f});
        skinned.uvs.push_back({float(i / 2) / 3.0f, float(i % 2)});
    }
    skinned.faces = {{0, 1, 2}, {2, 1, 3}, {2, 3, 4}, {4, 3, 5}, {4, 5, 6}, {6, 5, 7}};
    skinned.materials = {brick};
    skinned.faceMaterials.assign(6, 0);
    const char* bones[] = {"Root", "Body", "Arm", "Hand"};
    for (int b = 0; b < 4; ++b) {
        assets::SkinWeights s;
        s.bone = bones[b];
        for (std::uint32_t v = 0; v < 8; ++v) {
            // Vertices 2..5 hang on all four bones; the ends on their nearest bone only.
            const bool shared = v >= 2 && v <= 5;
            if (shared || std::uint32_t(b) == (v < 2 ? 0u : 3u)) {
                s.vertices.push_back(v);
                s.weights.push_back(shared ? 0.1f + 0.1f * float(b) : 1.0f);
            }
        }
        s.offset = Translation(-float(b), 0.5f, 0.25f * float(b));
        skinned.skin.push_back(s);
    }

    assets::Frame hand{"Hand", Translation(1, 0, 0), {}, {}};
    assets::Frame arm{"Arm", Translation(0, 2, 0), {}, {hand}};
    D3DXMatrixRotationZ(&arm.transform, 0.5f);
    arm.transform._41 = 3.0f;
    assets::Frame body{"Body", Translation(10, 20, 30), {rigid}, {}};
    assets::Frame root{"Root", Translation(0, 0, 18.5f), {skinned}, {body, arm}};

    assets::Model model;
    model.frames = {root};
    assets::Animation turn{"Arm", {}, {}, {}, {}};
    D3DXQUATERNION q;
    const D3DXVECTOR3 up(0, 0, 1);
    D3DXQuaternionRotationAxis(&q, &up, 0.75f);
    turn.rotations = {{0, {0, 0, 0, 1}}, {2400, q}, {4800, {0, 0, 0, 1}}};
    turn.scales = {{0, {1, 1, 1}}, {4800, {2, 0.5f, 1}}};
    turn.positions = {{0, {3, 0, 0}}, {1200, {3, 1, -1}}};
    assets::Animation pose{"Hand", {}, {}, {}, {}};
    pose.matrices = {{0, Translation(1, 0, 0)}, {4800, Translation(1, 2, 3)}};
    model.animationSets = {{"Wave", {turn, pose}}};
    return model;
}

// ---- Reading back through the X file services -------------------------------------------

struct Enumerated {
    ComPtr<IDirectXFile> files;
    ComPtr<IDirectXFileEnumObject> enumeration;
};

std::string NameOf(IDirectXFileObject* object) {
    DWORD length = 0;
    if (FAILED(object->GetName(nullptr, &length)) || length == 0) return {};
    std::string name(length, '\0');
    object->GetName(name.data(), &length);
    name.resize(std::strlen(name.c_str()));
    return name;
}

// Visits every data object of the file (top level first, then depth first) with its parent's
// name; references are skipped.
void Walk(IDirectXFileData* object, const std::string& parent,
          const std::function<void(IDirectXFileData*, const GUID&, const std::string&)>& visit) {
    const GUID* type = nullptr;
    ASSERT_EQ(object->GetType(&type), S_OK);
    visit(object, *type, parent);
    for (;;) {
        ComPtr<IDirectXFileObject> child;
        if (object->GetNextObject(child.Receive()) != S_OK) break;
        ComPtr<IDirectXFileData> data;
        if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(data.Receive()))))
            Walk(data.Get(), NameOf(object), visit);
    }
}

struct FileContents {
    std::map<std::string, D3DXMATRIX> frameMatrices;  // by frame name
    std::map<std::string, std::string> frameParents;
    std::map<std::string, d3dx::XMeshSource> meshes;  // by mesh name
    std::vector<std::string> topLevelTypes;           // "Frame", "AnimationSet", ...
    DWORD ticksPerSecond = 0;
    std::vector<std::array<std::uint16_t, 3>> skinHeaders;  // per vertex, per face, bones
};

const GUID kTicksGuid = {0x9E415A43, 0x7BA6, 0x4A73, {0x87, 0x43, 0xB7, 0x3D, 0x47, 0xE8, 0x84, 0x76}};

// With `meshes` false, Mesh objects are walked like the others instead of read by the mesh
// reader (which takes their children), so their XSkinMeshHeader is seen.
FileContents Read(const assets::Bytes& bytes, bool meshes = true) {
    FileContents out;
    ComPtr<IDirectXFile> files;
    EXPECT_EQ(DirectXFileCreate(files.Receive()), S_OK);
    EXPECT_EQ(files->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES), S_OK);
    DXFILELOADMEMORY memory{bytes.data(), static_cast<DWORD>(bytes.size())};
    ComPtr<IDirectXFileEnumObject> enumeration;
    EXPECT_EQ(files->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, enumeration.Receive()), S_OK);
    if (!enumeration) return out;
    for (;;) {
        ComPtr<IDirectXFileData> top;
        const HRESULT hr = enumeration->GetNextDataObject(top.Receive());
        if (hr == DXFILEERR_NOMOREOBJECTS) break;
        EXPECT_EQ(hr, S_OK) << "the file does not parse";
        if (FAILED(hr)) break;
        const GUID* type = nullptr;
        top->GetType(&type);
        out.topLevelTypes.push_back(*type == TID_D3DRMFrame          ? "Frame"
                                    : *type == TID_D3DRMMesh         ? "Mesh"
                                    : *type == TID_D3DRMAnimationSet ? "AnimationSet"
                                    : *type == kTicksGuid            ? "AnimTicksPerSecond"
                                                                     : "other");
        Walk(top.Get(), "", [&](IDirectXFileData* object, const GUID& t, const std::string& parent) {
            DWORD size = 0;
            void* data = nullptr;
            if (t == TID_D3DRMFrame) {
                out.frameParents[NameOf(object)] = parent;
            } else if (t == TID_D3DRMFrameTransformMatrix) {
                ASSERT_EQ(object->GetData(nullptr, &size, &data), S_OK);
                ASSERT_EQ(size, 64u);
                std::memcpy(&out.frameMatrices[parent], data, 64);
            } else if (t == TID_D3DRMMesh && meshes) {
                d3dx::XMeshSource mesh;
                ASSERT_EQ(d3dx::ReadXMesh(object, mesh), S_OK);
                out.meshes[mesh.name] = mesh;
            } else if (t == DXFILEOBJ_XSkinMeshHeader) {
                ASSERT_EQ(object->GetData(nullptr, &size, &data), S_OK);
                ASSERT_EQ(size, 6u);
                std::memcpy(&out.skinHeaders.emplace_back(), data, 6);
            } else if (t == kTicksGuid) {
                ASSERT_EQ(object->GetData(nullptr, &size, &data), S_OK);
                ASSERT_EQ(size, 4u);
                std::memcpy(&out.ticksPerSecond, data, 4);
            }
        });
    }
    return out;
}

void ExpectMatrix(const D3DXMATRIX& got, const D3DXMATRIX& want) {
    for (int i = 0; i < 16; ++i) EXPECT_EQ((&got._11)[i], (&want._11)[i]) << "element " << i;
}

void ExpectMesh(const d3dx::XMeshSource& got, const assets::Mesh& want) {
    ASSERT_EQ(got.positions.size(), want.positions.size());
    for (std::size_t v = 0; v < want.positions.size(); ++v) {
        EXPECT_EQ(got.positions[v][0], want.positions[v].x);
        EXPECT_EQ(got.positions[v][1], want.positions[v].y);
        EXPECT_EQ(got.positions[v][2], want.positions[v].z);
        EXPECT_EQ(std::signbit(got.positions[v][1]), std::signbit(want.positions[v].y));
        EXPECT_EQ(got.texCoords.at(v)[0], want.uvs[v].x);
        EXPECT_EQ(got.texCoords.at(v)[1], want.uvs[v].y);
    }
    ASSERT_TRUE(got.hasNormals);
    ASSERT_EQ(got.faces.size(), want.faces.size());
    for (std::size_t f = 0; f < want.faces.size(); ++f) {
        EXPECT_EQ(got.faces[f], std::vector<DWORD>(want.faces[f].begin(), want.faces[f].end()));
        ASSERT_EQ(got.normalFaces.at(f), got.faces[f]);  // normals are per vertex
        for (DWORD v : got.faces[f]) EXPECT_EQ(got.normals.at(v)[2], want.normals[v].z);
    }
    EXPECT_EQ(got.faceMaterials, std::vector<DWORD>(want.faceMaterials.begin(), want.faceMaterials.end()));
    ASSERT_EQ(got.materials.size(), want.materials.size());
    for (std::size_t m = 0; m < want.materials.size(); ++m) {
        const D3DMATERIAL8& g = got.materials[m].material;
        const assets::Material& w = want.materials[m];
        EXPECT_EQ(got.materials[m].texture, w.texture);
        EXPECT_EQ(g.Diffuse.r, w.diffuse.r);
        EXPECT_EQ(g.Diffuse.a, w.diffuse.a);
        EXPECT_EQ(g.Power, w.power);
        EXPECT_EQ(g.Specular.g, w.specular.g);
        EXPECT_EQ(g.Emissive.r, w.emissive.r);
        EXPECT_EQ(g.Emissive.b, w.emissive.b);
    }
    ASSERT_EQ(got.skin.size(), want.skin.size());
    for (std::size_t b = 0; b < want.skin.size(); ++b) {
        EXPECT_EQ(got.skin[b].bone, want.skin[b].bone);
        EXPECT_EQ(got.skin[b].vertices, std::vector<DWORD>(want.skin[b].vertices.begin(), want.skin[b].vertices.end()));
        EXPECT_EQ(got.skin[b].weights, want.skin[b].weights);
        ExpectMatrix(got.skin[b].offset, want.skin[b].offset);
    }
}

std::string EncodingName(const testing::TestParamInfo<XEncoding>& info) {
    const char* const names[] = {"Text", "Binary", "TextCompressed", "BinaryCompressed"};
    return names[int(info.param)];
}

class XWriterEncodings : public testing::TestWithParam<XEncoding> {};

TEST_P(XWriterEncodings, FileServicesReadBackEveryValue) {
    const assets::Model model = TestModel();
    const assets::Bytes bytes = assets::WriteX(model, GetParam());
    ASSERT_GT(bytes.size(), 16u);
    const char* headers[] = {"xof 0303txt 0032", "xof 0303bin 0032", "xof 0303tzip0032", "xof 0303bzip0032"};
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 16), headers[int(GetParam())]);
    EXPECT_EQ(bytes, assets::WriteX(model, GetParam())) << "output is not deterministic";

    const FileContents file = Read(bytes);
    EXPECT_EQ(file.topLevelTypes, (std::vector<std::string>{"Frame", "AnimTicksPerSecond", "AnimationSet"}));
    EXPECT_EQ(file.ticksPerSecond, 4800u);
    EXPECT_EQ(file.frameParents, (std::map<std::string, std::string>{
                                     {"Root", ""}, {"Body", "Root"}, {"Arm", "Root"}, {"Hand", "Arm"}}));
    ASSERT_EQ(file.frameMatrices.size(), 4u);
    ExpectMatrix(file.frameMatrices.at("Root"), model.frames[0].transform);
    ExpectMatrix(file.frameMatrices.at("Arm"), model.frames[0].children[1].transform);
    ExpectMatrix(file.frameMatrices.at("Hand"), model.frames[0].children[1].children[0].transform);
    ASSERT_EQ(file.meshes.count("Panel"), 1u);
    ASSERT_EQ(file.meshes.count("Strip"), 1u);
    ExpectMesh(file.meshes.at("Panel"), model.frames[0].children[0].meshes[0]);
    ExpectMesh(file.meshes.at("Strip"), model.frames[0].meshes[0]);
}

INSTANTIATE_TEST_SUITE_P(AllForms, XWriterEncodings,
                         testing::Values(XEncoding::Text, XEncoding::Binary, XEncoding::TextCompressed,
                                         XEncoding::BinaryCompressed),
                         EncodingName);

// ---- The engine's model loader ----------------------------------------------------------

const ModelFrame* FindFrame(const ModelFrame* f, const std::string& name) {
    for (; f; f = f->sibling.get()) {
        if (f->name && *f->name == name && !f->isAnimationFrame) return f;
        if (const ModelFrame* found = FindFrame(f->firstChild.get(), name)) return found;
    }
    return nullptr;
}

class XWriterLoad : public scenetest::FileDeviceTest, public testing::WithParamInterface<XEncoding> {};

TEST_P(XWriterLoad, AnimatedModelLoadsFramesSkinMaterialsAndKeys) {
    const assets::Model model = TestModel();
    const assets::Bytes x = assets::WriteX(model, GetParam());
    assets::Image brick(4, 4, 0xFF804020u);
    const assets::Bytes tga = assets::EncodeTga(brick);
    Write("test_brick.tga", std::string(tga.begin(), tga.end()));
    const std::string path = Write("model.x", std::string(x.begin(), x.end()));
    // The loader finds textures relative to the working directory.
    AnimatedModel loaded;
    ASSERT_EQ(LoadIn(loaded, path.c_str()), S_OK);
    ASSERT_NE(loaded.currentHierarchy, nullptr);
    const ModelFrame* root = loaded.currentHierarchy->root.get();

    const ModelFrame* arm = FindFrame(root, "Arm");
    const ModelFrame* body = FindFrame(root, "Body");
    const ModelFrame* frameRoot = FindFrame(root, "Root");
    ASSERT_TRUE(arm && body && frameRoot && FindFrame(root, "Hand"));
    ExpectMatrix(arm->initial, model.frames[0].children[1].transform);

    const MeshContainer* strip = frameRoot->containers.get();
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(*strip->name, "Strip");
    ASSERT_EQ(strip->BoneCount(), 4u);
    EXPECT_STREQ(strip->BoneName(3), "Hand");
    EXPECT_EQ(strip->influences, 4u);
    const MeshContainer* panel = body->containers.get();
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(panel->materialCount, 2u);
    EXPECT_EQ(panel->materials[0].Diffuse.g, 0.25f);
    EXPECT_EQ(panel->materials[1].Emissive.g, 0.8f);
    EXPECT_TRUE(panel->textures[0]) << "the named texture was not found or not decoded";
    EXPECT_FALSE(panel->textures[1]);

    // Keys, rotation order included: the file writes w first, the loader holds x, y, z, w.
    std::map<std::string, const ModelFrame*> animations;
    for (const ModelFrame* a = loaded.currentHierarchy->animationList; a; a = a->nextAnimationFrame)
        if (a->target && a->target->name) animations[*a->target->name] = a;
    ASSERT_EQ(animations.size(), 2u);
    const ModelFrame* turn = animations.at("Arm");
    const assets::Animation& want = model.animationSets[0].animations[0];
    ASSERT_EQ(turn->rotationKeys.size(), 3u);
    EXPECT_EQ(turn->rotationKeys[1].time, 2400u);
    EXPECT_EQ(turn->rotationKeys[1].z, want.rotations[1].rotation.z);
    EXPECT_EQ(turn->rotationKeys[1].w, want.rotations[1].rotation.w);
    EXPECT_EQ(turn->rotationKeys[0].w, 1.0f);
    ASSERT_EQ(turn->scaleKeys.size(), 2u);
    EXPECT_EQ(turn->scaleKeys[1].y, 0.5f);
    ASSERT_EQ(turn->positionKeys.size(), 2u);
    EXPECT_EQ(turn->positionKeys[1].time, 1200u);
    EXPECT_EQ(turn->positionKeys[1].z, -1.0f);
    const ModelFrame* pose = animations.at("Hand");
    ASSERT_EQ(pose->matrixKeys.size(), 2u);
    EXPECT_EQ(pose->matrixKeys[1].time, 4800u);
    EXPECT_EQ(pose->matrixKeys[1].m[13], 2.0f);
    EXPECT_EQ(pose->matrixKeys[1].m[15], 1.0f);
}

INSTANTIATE_TEST_SUITE_P(AllForms, XWriterLoad,
                         testing::Values(XEncoding::Text, XEncoding::Binary, XEncoding::TextCompressed,
                                         XEncoding::BinaryCompressed),
                         EncodingName);

// ---- Size and refusals ----------------------------------------------------------------------

assets::Model Grid(int side) {
    assets::Mesh mesh;
    mesh.name = "Grid";
    for (int y = 0; y <= side; ++y)
        for (int x = 0; x <= side; ++x) {
            mesh.positions.push_back({float(x) * 2.5f, float(y) * 2.5f, std::sin(float(x + y) * 0.1f)});
            mesh.normals.push_back({0, 0, 1});
            mesh.uvs.push_back({float(x) / float(side), float(y) / float(side)});
        }
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const std::uint32_t a = std::uint32_t(y * (side + 1) + x), b = a + 1, c = a + std::uint32_t(side) + 1;
            mesh.faces.push_back({a, c, b});
            mesh.faces.push_back({b, c, c + 1});
        }
    mesh.materials = {assets::Material{}};
    mesh.faceMaterials.assign(mesh.faces.size(), 0);
    assets::Model model;
    model.meshes = {mesh};
    return model;
}

TEST(XWriter, CompressedFormsAreSmallerAndSpanManyBlocks) {
    const assets::Model model = Grid(120);  // ~29 000 faces: several 32 KB blocks
    const auto text = assets::WriteX(model, XEncoding::Text);
    const auto tzip = assets::WriteX(model, XEncoding::TextCompressed);
    const auto bin = assets::WriteX(model, XEncoding::Binary);
    const auto bzip = assets::WriteX(model, XEncoding::BinaryCompressed);
    ASSERT_GT(text.size(), 4u * 32768u);
    EXPECT_LT(tzip.size(), text.size() / 2);
    EXPECT_LT(bzip.size(), bin.size());
    // The size word counts the header and the uncompressed body.
    std::uint32_t total = 0;
    std::memcpy(&total, tzip.data() + 16, 4);
    EXPECT_EQ(total, text.size());
    const FileContents back = Read(tzip);
    ASSERT_EQ(back.meshes.count("Grid"), 1u);
    EXPECT_EQ(back.meshes.at("Grid").faces.size(), model.meshes[0].faces.size());
    EXPECT_EQ(back.meshes.at("Grid").positions.back()[0], model.meshes[0].positions.back().x);
}

TEST(XWriter, FaultyModelsAreRefusedWithNoBytes) {
    auto refused = [](const std::function<void(assets::Model&)>& spoil) {
        assets::Model m = TestModel();
        spoil(m);
        return assets::WriteX(m, XEncoding::Text).empty() && assets::WriteX(m, XEncoding::BinaryCompressed).empty();
    };
    ASSERT_FALSE(refused([](assets::Model&) {}));
    assets::Mesh& (*strip)(assets::Model&) = [](assets::Model& m) -> assets::Mesh& { return m.frames[0].meshes[0]; };
    EXPECT_TRUE(refused([](assets::Model& m) { m.frames[0].name = "Root frame"; }));
    EXPECT_TRUE(refused([](assets::Model& m) { m.frames[0].name = "2Root"; }));
    EXPECT_TRUE(refused([](assets::Model& m) { m.frames[0].name = "template"; }));
    EXPECT_TRUE(refused([](assets::Model& m) { m.frames[0].children[0].name = "Arm"; }));  // duplicate
    EXPECT_TRUE(refused([&](assets::Model& m) { strip(m).faces[3][1] = 8; }));
    EXPECT_TRUE(refused([&](assets::Model& m) { strip(m).faceMaterials[2] = 1; }));
    EXPECT_TRUE(refused([&](assets::Model& m) { strip(m).faceMaterials.pop_back(); }));
    EXPECT_TRUE(refused([&](assets::Model& m) { strip(m).normals.pop_back(); }));
    EXPECT_TRUE(refused([&](assets::Model& m) { strip(m).skin[1].bone = "Leg"; }));
    EXPECT_TRUE(refused([&](assets::Model& m) { strip(m).skin[1].weights.pop_back(); }));
    EXPECT_TRUE(refused([&](assets::Model& m) { strip(m).skin[2].vertices[0] = 99; }));
    EXPECT_TRUE(refused([&](assets::Model& m) { strip(m).materials[0].texture = "a\"b.tga"; }));
    EXPECT_TRUE(refused([&](assets::Model& m) { strip(m).positions[1].y = std::nanf(""); }));
    EXPECT_TRUE(refused([](assets::Model& m) { m.animationSets[0].animations[1].frame = "Foot"; }));
    EXPECT_TRUE(refused([](assets::Model& m) { m.animationSets[0].animations[0].scales[1].value.x = INFINITY; }));
}

TEST(XWriter, SkinHeaderCountsComeFromTheWeightsUnlessGiven) {
    assets::Model model = TestModel();
    assets::Mesh& strip = model.frames[0].meshes[0];
    // Vertices 2..5 carry four bones; faces 0 and 5 reach a shared vertex and an end bone.
    const FileContents worked = Read(assets::WriteX(model, XEncoding::Binary), false);
    ASSERT_EQ(worked.skinHeaders.size(), 1u);
    EXPECT_EQ(worked.skinHeaders[0], (std::array<std::uint16_t, 3>{4, 4, 4}));
    // A bone whose weights are all zero moves nothing and is not counted.
    std::fill(strip.skin[2].weights.begin(), strip.skin[2].weights.end(), 0.0f);
    EXPECT_EQ(Read(assets::WriteX(model, XEncoding::Text), false).skinHeaders.at(0), (std::array<std::uint16_t, 3>{3, 3, 4}));
    strip.maxInfluencesPerVertex = 2;
    strip.maxInfluencesPerFace = 3;
    EXPECT_EQ(Read(assets::WriteX(model, XEncoding::Text), false).skinHeaders.at(0), (std::array<std::uint16_t, 3>{2, 3, 4}));
}

}  // namespace

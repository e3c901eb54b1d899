// The reader on X files written by other tools.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "tests/platform/xfile/xfile_test_support.h"

using namespace xfile_test;

namespace {

class SampleFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = SampleDirectory();
        if (dir_.empty()) GTEST_SKIP() << "shared sample X files not present";
    }
    std::string Path(const char* name) const { return dir_ + "/" + name; }
    std::vector<FlatObject> Load(const char* name) {
        Opened opened;
        OpenFile(Path(name), &opened);
        EXPECT_EQ(opened.result, DXFILE_OK) << name;
        std::vector<FlatObject> objects;
        if (opened.enumeration) {
            EXPECT_EQ(Flatten(opened.enumeration.get(), &objects), DXFILEERR_NOMOREOBJECTS) << name;
        }
        return objects;
    }
    std::string dir_;
};

// Text files round their floats: data words compare as floats within a relative 1e-5.
void ExpectSameTrees(const std::vector<FlatObject>& a, const std::vector<FlatObject>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].depth, b[i].depth) << i;
        EXPECT_EQ(a[i].reference, b[i].reference) << i;
        EXPECT_TRUE(a[i].type == b[i].type) << i;
        EXPECT_EQ(a[i].name, b[i].name) << i;
        ASSERT_EQ(a[i].data.size(), b[i].data.size()) << i;
        std::size_t k = 0;
        for (; k + 4 <= a[i].data.size(); k += 4) {
            float x = ReadAt<float>(a[i].data.data(), k), y = ReadAt<float>(b[i].data.data(), k);
            bool same = std::memcmp(&a[i].data[k], &b[i].data[k], 4) == 0 ||
                        std::fabs(x - y) <= 1e-5f * std::max(std::fabs(x), std::fabs(y));
            EXPECT_TRUE(same) << "object " << i << " byte " << k << ": " << x << " vs " << y;
        }
        for (; k < a[i].data.size(); ++k) EXPECT_EQ(a[i].data[k], b[i].data[k]) << i;
    }
}

std::size_t CountType(const std::vector<FlatObject>& objects, const GUID& type) {
    std::size_t n = 0;
    for (const FlatObject& o : objects)
        if (!o.reference && o.type == type) ++n;
    return n;
}

const FlatObject* FindNamed(const std::vector<FlatObject>& objects, const GUID& type, const std::string& name) {
    for (const FlatObject& o : objects)
        if (!o.reference && o.type == type && o.name == name) return &o;
    return nullptr;
}

TEST_F(SampleFiles, TextBinaryAndCompressedCubesGiveTheSameTree) {
    std::vector<FlatObject> text = Load("cube_text.x");
    std::vector<FlatObject> binary = Load("cube_binary.x");
    std::vector<FlatObject> compressed = Load("cube_compressed.x");
    ASSERT_FALSE(text.empty());
    ExpectSameTrees(text, binary);
    ExpectSameTrees(text, compressed);

    const FlatObject* mesh = FindNamed(text, TID_D3DRMMesh, "Cube");
    ASSERT_NE(mesh, nullptr);
    // 24 vertices, 12 triangles: 4 + 24*12 + 4 + 12*16 bytes.
    ASSERT_EQ(mesh->data.size(), 488u);
    EXPECT_EQ(ReadAt<DWORD>(mesh->data.data(), 0), 24u);
    EXPECT_FLOAT_EQ(ReadAt<float>(mesh->data.data(), 4), -1.0f);
    EXPECT_FLOAT_EQ(ReadAt<float>(mesh->data.data(), 4 + 12 * 4), 0.999999f);
    EXPECT_EQ(ReadAt<DWORD>(mesh->data.data(), 292), 12u);
    EXPECT_EQ(ReadAt<DWORD>(mesh->data.data(), 296), 3u);
    EXPECT_EQ(ReadAt<DWORD>(mesh->data.data(), 300 + 4), 2u);  // face 0 = 0, 2, 1

    // The material list refers to the top-level Material by name.
    bool resolved = false;
    for (const FlatObject& o : text)
        if (o.reference && o.name == "Material") resolved = true;
    EXPECT_TRUE(resolved);
    // XSkinMeshHeader: three WORDs.
    EXPECT_EQ(CountType(text, DXFILEOBJ_XSkinMeshHeader), 1u);
    for (const FlatObject& o : text) {
        if (o.type == DXFILEOBJ_SkinWeights) {
            EXPECT_EQ(std::string(o.data.begin(), o.data.begin() + 4), "Cube");
        }
    }
}

TEST_F(SampleFiles, UndeclaredTemplateObjectsCarryANullTypeAndTheirValues) {
    std::vector<FlatObject> text = Load("anim_test.x");
    ASSERT_FALSE(text.empty());
    // "AnimTicksPerSecond { 24; }" comes first; its template is declared in the file with its own GUID.
    EXPECT_EQ(text[0].data.size(), 4u);
    EXPECT_EQ(ReadAt<DWORD>(text[0].data.data(), 0), 24u);
    EXPECT_EQ(CountType(text, TID_D3DRMAnimationSet), 1u);
    EXPECT_GE(CountType(text, TID_D3DRMAnimation), 4u);
    // Every Animation refers to its frame; all of them resolve.
    for (const FlatObject& o : text) {
        if (o.reference) {
            EXPECT_FALSE(o.name.empty());
        }
    }
}

TEST_F(SampleFiles, DwarfHasItsMeshesFramesAndAnimations) {
    std::vector<FlatObject> dwarf = Load("dwarf.x");
    EXPECT_EQ(CountType(dwarf, TID_D3DRMMesh), 1u);
    EXPECT_EQ(CountType(dwarf, TID_D3DRMMaterial), 3u);
    EXPECT_EQ(CountType(dwarf, TID_D3DRMAnimationSet), 1u);
    EXPECT_GT(CountType(dwarf, TID_D3DRMFrame), 30u);
    EXPECT_EQ(CountType(dwarf, DXFILEOBJ_SkinWeights), 40u);
    // AnimationKey: keyType, nKeys, then nKeys keys of (time, nValues, values).
    for (const FlatObject& o : dwarf) {
        if (o.type != TID_D3DRMAnimationKey) continue;
        DWORD type = ReadAt<DWORD>(o.data.data(), 0);
        DWORD keys = ReadAt<DWORD>(o.data.data(), 4);
        std::size_t words = type == 0 ? 6 : type == 4 ? 18 : 5;
        EXPECT_EQ(o.data.size(), 8 + keys * words * 4);
    }
    // Written "TextureFileName": template names are not case-sensitive.
    std::vector<std::string> textures;
    for (const FlatObject& o : dwarf)
        if (o.type == TID_D3DRMTextureFilename) textures.emplace_back(o.data.begin(), o.data.end());
    EXPECT_EQ(textures, (std::vector<std::string>{"axe.jpg", "dwarf.jpg", "dwarf2.jpg"}));
}

TEST_F(SampleFiles, OtherExportersParse) {
    std::vector<FlatObject> colours = Load("cube_vertex_colours.x");
    EXPECT_EQ(CountType(colours, TID_D3DRMMaterial), 3u);
    EXPECT_EQ(CountType(colours, TID_D3DRMMeshVertexColors), 1u);
    std::vector<FlatObject> maya = Load("maya_cube.x");
    EXPECT_EQ(CountType(maya, TID_D3DRMMesh), 1u);
    // Bad weights are the mesh reader's business: the reader keeps the values as written.
    std::vector<FlatObject> malformed = Load("malformed_skinweights.x");
    bool found = false;
    for (const FlatObject& o : malformed) {
        if (o.type != DXFILEOBJ_SkinWeights) continue;
        found = true;
        // name text (4), nWeights, 24 indices: the last one was changed to 1000000.
        EXPECT_EQ(ReadAt<DWORD>(o.data.data(), 4 + 4 + 23 * 4), 1000000u);
    }
    EXPECT_TRUE(found);
}

TEST_F(SampleFiles, EmptyFileFails) {
    Opened opened;
    testing::internal::CaptureStderr();
    OpenFile(Path("empty.x"), &opened);
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(opened.result, DXFILEERR_BADFILETYPE);
    EXPECT_FALSE(opened.enumeration);
    EXPECT_NE(message.find("empty.x: byte 0:"), std::string::npos) << message;
}

TEST_F(SampleFiles, MemoryAndFileLoadsAgree) {
    std::ifstream in(Path("dwarf.x"), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    Opened opened;
    OpenMemory(bytes.str(), &opened);
    ASSERT_EQ(opened.result, DXFILE_OK);
    std::vector<FlatObject> fromMemory;
    EXPECT_EQ(Flatten(opened.enumeration.get(), &fromMemory), DXFILEERR_NOMOREOBJECTS);
    EXPECT_EQ(fromMemory, Load("dwarf.x"));
}

}  // namespace

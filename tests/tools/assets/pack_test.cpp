// The whole data pack: every file the show opens is made, the same bytes each time, every
// texture an X file names is in the pack, and every X file loads with the engine's loaders.
//
// The tests read the pack the build wrote (<build>/data, complete once its stamp exists); when
// it is absent they write one into a temporary folder first.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "platform/d3dx/image_decoders.h"
#include "platform/com/com_ptr.h"
#include "platform/xfile/dxfile.h"
#include "scene/animated_model.h"
#include "scene/mesh_model.h"
#include "tests/scene/skin_fixture.h"
#include "tools/assets/catalogue.h"
#include "tools/assets/write_pack.h"

namespace {

namespace fs = std::filesystem;

enum class Kind { Static, Animated };

struct ShowModel {
    const char* name;
    Kind kind;
    const char* format;  // the header's format field
};

// Every X file the show opens, what loads it, and the encoding the show's loader paths need.
const ShowModel kModels[] = {
    {"demo.x", Kind::Static, "bin "},        {"cars.x", Kind::Animated, "txt "},
    {"trains_anim.x", Kind::Animated, "txt "}, {"blood.x", Kind::Static, "txt "},
    {"idle.x", Kind::Animated, "txt "},      {"walk.x", Kind::Animated, "txt "},
    {"run1.x", Kind::Animated, "bin "},      {"run2.x", Kind::Animated, "txt "},
    {"climb.x", Kind::Animated, "txt "},     {"changedir.x", Kind::Animated, "txt "},
    {"accident.x", Kind::Animated, "txt "},  {"praise.x", Kind::Animated, "txt "},
    {"tunnel.x", Kind::Static, "tzip"},      {"train.x", Kind::Static, "txt "},
    {"hand.x", Kind::Static, "txt "},        {"org_tunnel.x", Kind::Static, "txt "},
    {"eye_anim.x", Kind::Animated, "bzip"},  {"teeth_anim.x", Kind::Animated, "txt "},
};

void PrintTo(const ShowModel& m, std::ostream* out) { *out << m.name; }

const char* const kOtherFiles[] = {"title.jpg",  "intro_particle.jpg", "particle1.jpg", "particle3.jpg",
                                   "snowflake.jpg", "lens_flare.jpg",  "star.jpg",      "globule.tga",
                                   "jap_exp.tga", "jap_escape.tga",    "demo.mp3"};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The folder holding the pack: the build's, or one written now for this process.
const fs::path& PackFolder() {
    static const fs::path folder = [] {
        const fs::path built = ORRERY_PACK_DIR;
        if (fs::exists(ORRERY_PACK_STAMP) && fs::is_directory(built)) return built;
        const fs::path made = fs::path(testing::TempDir()) / ("pack_" + std::to_string(::getpid()));
        const assets::PackResult result = assets::WritePack(assets::AllFiles(), made, 2);
        for (const std::string& name : result.failed) ADD_FAILURE() << name << " could not be made";
        return made;
    }();
    return folder;
}

std::set<std::string> ListedNames() {
    std::set<std::string> names;
    for (const assets::AssetFile& f : assets::AllFiles()) names.insert(f.name);
    return names;
}

TEST(PackContents, EveryFileTheShowOpensIsListedOnce) {
    const assets::AssetList all = assets::AllFiles();
    std::map<std::string, int> count;
    for (const assets::AssetFile& f : all) ++count[f.name];
    std::vector<std::string> missing;
    for (const ShowModel& m : kModels)
        if (!count.count(m.name)) missing.push_back(m.name);
    for (const char* name : kOtherFiles)
        if (!count.count(name)) missing.push_back(name);
    std::string list;
    for (const std::string& name : missing) list += " " + name;
    EXPECT_TRUE(missing.empty()) << missing.size() << " files the show opens are not made:" << list;
    for (const auto& [name, n] : count) {
        EXPECT_EQ(n, 1) << name << " is made by " << n << " entries";
        EXPECT_TRUE(name.find('/') == std::string::npos && name.find('\\') == std::string::npos) << name;
    }
}

TEST(PackContents, FilesAreMadeWithTheSameBytesEveryTime) {
    const fs::path& folder = PackFolder();
    for (const assets::AssetFile& f : assets::AllFiles()) {
        const assets::Bytes again = f.make();
        EXPECT_FALSE(again.empty()) << f.name << " is made empty";
        const std::string before = ReadFile(folder / f.name);
        const auto* old = reinterpret_cast<const std::uint8_t*>(before.data());
        EXPECT_TRUE(before.size() == again.size() && std::equal(again.begin(), again.end(), old))
            << f.name << " differs between two runs (" << before.size() << " and " << again.size() << " bytes)";
    }
}

// ---- Reading X files of the pack ----------------------------------------------------------

// Every texture file name of every Material in the file; false when the file does not parse.
bool TextureNames(const std::string& bytes, std::set<std::string>& names) {
    ComPtr<IDirectXFile> files;
    if (FAILED(DirectXFileCreate(files.Receive())) ||
        FAILED(files->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES)))
        return false;
    DXFILELOADMEMORY memory{bytes.data(), static_cast<DWORD>(bytes.size())};
    ComPtr<IDirectXFileEnumObject> enumeration;
    if (FAILED(files->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, enumeration.Receive()))) return false;
    std::function<void(IDirectXFileData*)> walk = [&](IDirectXFileData* object) {
        const GUID* type = nullptr;
        object->GetType(&type);
        if (*type == TID_D3DRMTextureFilename) {
            DWORD size = 0;
            void* data = nullptr;
            if (SUCCEEDED(object->GetData(nullptr, &size, &data)) && size >= sizeof(char*)) {
                const char* name = *static_cast<char**>(data);
                if (name && *name) names.insert(name);
            }
        }
        for (;;) {
            ComPtr<IDirectXFileObject> child;
            if (object->GetNextObject(child.Receive()) != S_OK) return;
            ComPtr<IDirectXFileData> data;
            if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(data.Receive()))))
                walk(data.Get());
        }
    };
    for (;;) {
        ComPtr<IDirectXFileData> top;
        const HRESULT hr = enumeration->GetNextDataObject(top.Receive());
        if (hr == DXFILEERR_NOMOREOBJECTS) return true;
        if (FAILED(hr)) return false;
        walk(top.Get());
    }
}

bool PowerOfTwo(std::uint32_t v) { return v && (v & (v - 1)) == 0; }

TEST(PackContents, EveryNamedTextureIsMadeAndDecodes) {
    const fs::path& folder = PackFolder();
    const std::set<std::string> listed = ListedNames();
    std::set<std::string> textures;
    for (const ShowModel& m : kModels) {
        if (!listed.count(m.name)) continue;  // reported by the listing test
        std::set<std::string> own;
        EXPECT_TRUE(TextureNames(ReadFile(folder / m.name), own)) << m.name << " does not parse";
        for (const std::string& t : own) {
            EXPECT_TRUE(listed.count(t)) << m.name << " names texture " << t << ", which the pack does not make";
            textures.insert(t);
        }
    }
    for (const std::string& t : textures) {
        if (!listed.count(t)) continue;
        const std::string bytes = ReadFile(folder / t);
        d3dx::DecodedImage image;
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        ASSERT_EQ(d3dx::DecodeImage({data, bytes.size()}, t.c_str(), image), S_OK) << t;
        EXPECT_TRUE(PowerOfTwo(image.Width()) && PowerOfTwo(image.Height()))
            << t << " is " << image.Width() << "x" << image.Height() << ", not power-of-two sides";
        EXPECT_LE(std::max(image.Width(), image.Height()), 1024u) << t << " is larger than 1024";
    }
}

// ---- Loading with the engine ---------------------------------------------------------------

class PackLoad : public scenetest::SkinDeviceTest, public testing::WithParamInterface<ShowModel> {
protected:
    // Loads from inside the pack folder, where the show finds the textures.
    template <class Load>
    HRESULT InPack(Load load) {
        const fs::path cwd = fs::current_path();
        fs::current_path(PackFolder());
        const HRESULT hr = load();
        fs::current_path(cwd);
        return hr;
    }
};

struct Census {
    int containers = 0;
    int skinned = 0;
    int frames = 0;
};

void Count(const ModelFrame* f, Census& c) {
    for (; f; f = f->sibling.get()) {
        if (!f->isAnimationFrame) ++c.frames;
        for (const MeshContainer* m = f->containers.get(); m; m = m->next.get()) {
            ++c.containers;
            if (m->skin) ++c.skinned;
        }
        Count(f->firstChild.get(), c);
    }
}

TEST_P(PackLoad, LoadsWithTheShowsLoader) {
    const ShowModel& model = GetParam();
    if (!ListedNames().count(model.name)) GTEST_FAIL() << model.name << " is not made by the pack yet";
    const std::string bytes = ReadFile(PackFolder() / model.name);
    ASSERT_GE(bytes.size(), 16u) << model.name << " is missing or empty";
    EXPECT_EQ(bytes.substr(0, 8), "xof 0303") << model.name;
    EXPECT_EQ(bytes.substr(8, 4), model.format) << model.name << " is not in the encoding the show needs";
    EXPECT_EQ(bytes.substr(12, 4), "0032") << model.name;

    if (model.kind == Kind::Static) {
        MeshModel mesh;
        ASSERT_EQ(InPack([&] { return mesh.Load(model.name); }), S_OK) << model.name;
        ASSERT_TRUE(mesh.mesh) << model.name;
        EXPECT_GT(mesh.mesh->GetNumFaces(), 0u) << model.name;
        EXPECT_GT(mesh.materialCount, 0u) << model.name << " has no materials and would not be drawn";
        ASSERT_EQ(mesh.textures.size(), mesh.materials.size());
        std::set<std::string> named;
        TextureNames(bytes, named);
        const bool anyTexture = std::any_of(mesh.textures.begin(), mesh.textures.end(), [](const auto& t) { return bool(t); });
        EXPECT_EQ(anyTexture, !named.empty()) << model.name << ": named textures did not load";
        return;
    }
    AnimatedModel animated;
    ASSERT_EQ(InPack([&] { return animated.Load(model.name); }), S_OK) << model.name;
    ASSERT_NE(animated.currentHierarchy, nullptr) << model.name << " did not parse";
    Census census;
    Count(animated.currentHierarchy->root.get(), census);
    EXPECT_GT(census.containers, 0) << model.name << " holds no mesh";
    EXPECT_GT(census.frames, 1) << model.name << " has no frames of its own";
    int targeted = 0;
    for (const ModelFrame* a = animated.currentHierarchy->animationList; a; a = a->nextAnimationFrame)
        if (a->target) ++targeted;
    EXPECT_GT(targeted, 0) << model.name << " has no animation bound to a frame";
    for (const ModelFrame* a = animated.currentHierarchy->animationList; a; a = a->nextAnimationFrame)
        EXPECT_TRUE(a->target) << model.name << " has an animation bound to no frame";
    EXPECT_EQ(animated.AdvanceTime(0.5f), S_OK);
}

std::string ModelName(const testing::TestParamInfo<ShowModel>& info) {
    std::string name = info.param.name;
    std::replace(name.begin(), name.end(), '.', '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(ShowModels, PackLoad, testing::ValuesIn(kModels), ModelName);

}  // namespace

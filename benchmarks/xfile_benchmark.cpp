// X file load throughput (bytes of file per second) on two generated files of 20 to 35 MB,
// one text and one binary, each a frame hierarchy of textured meshes with normals, texture
// coordinates and materials plus an animation set with many keys:
//  - ours: open the file, walk every object, read every object's data, resolve references;
//  - Assimp's X importer on the same file (ReadFile, no post-processing), for comparison;
//  - the whole model load (AnimatedModel::Load: hierarchy, meshes built on a headless device,
//    animation keys), which is what the show pays per file at start.
#include <benchmark/benchmark.h>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/display_settings.h"
#include "platform/window/headless_window.h"
#include "platform/xfile/dxfile.h"
#include "platform/xfile/dxfile_walk.h"
#include "render/render_device.h"
#include "scene/animated_model.h"

namespace {

constexpr int kVertices = 1200;
constexpr int kFaces = 2000;
constexpr int kKeys = 400;

// Emits the same content as text or as binary tokens.
class XWriter {
public:
    explicit XWriter(bool binary) : binary_(binary) { out_ = binary ? "xof 0303bin 0032" : "xof 0303txt 0032\n"; }

    void Open(const char* type, const std::string& name) {
        if (binary_) {
            Name(type);
            if (!name.empty()) Name(name);
            Token(10);
        } else {
            out_ += type;
            if (!name.empty()) out_ += " " + name;
            out_ += " {\n";
        }
    }
    void Close() {
        if (binary_)
            Token(11);
        else
            out_ += "}\n";
    }
    void Reference(const std::string& name) {
        if (binary_) {
            Token(10);
            Name(name);
            Token(11);
        } else {
            out_ += "{ " + name + " }\n";
        }
    }
    // A run of integers, then of floats: exporters write one list token per run.
    void Integers(const std::vector<std::uint32_t>& values, const char* separator = ",") {
        if (binary_) {
            Token(6);
            Word(static_cast<std::uint32_t>(values.size()));
            for (std::uint32_t v : values) Word(v);
            return;
        }
        char buffer[16];
        for (std::size_t i = 0; i < values.size(); ++i) {
            int n = std::snprintf(buffer, sizeof buffer, "%u", values[i]);
            out_.append(buffer, static_cast<std::size_t>(n));
            out_ += i + 1 < values.size() ? separator : ";\n";
        }
    }
    // Groups of `group` floats: "a;b;c;," in text, the whole run in one list in binary.
    void Floats(const std::vector<float>& values, std::size_t group) {
        if (binary_) {
            Token(7);
            Word(static_cast<std::uint32_t>(values.size()));
            for (float v : values) Raw(&v, 4);
            return;
        }
        char buffer[32];
        for (std::size_t i = 0; i < values.size(); ++i) {
            int n = std::snprintf(buffer, sizeof buffer, "%.6f;", static_cast<double>(values[i]));
            out_.append(buffer, static_cast<std::size_t>(n));
            // A lone value ends with its own ';'; groups are "a;b;c;," and the last "a;b;c;;".
            if (values.size() > 1 && (i + 1) % group == 0) out_ += i + 1 < values.size() ? ",\n" : ";\n";
        }
        if (values.size() == 1) out_ += "\n";
    }
    // Mesh faces: "3;a,b,c;," and the last "3;a,b,c;;" in text.
    void Faces(const std::vector<std::uint32_t>& faces) {
        if (binary_) return Integers(faces);
        char buffer[64];
        for (std::size_t i = 0; i + 3 < faces.size(); i += 4) {
            int n = std::snprintf(buffer, sizeof buffer, "%u;%u,%u,%u;%s\n", faces[i], faces[i + 1], faces[i + 2], faces[i + 3],
                                  i + 4 < faces.size() ? "," : ";");
            out_.append(buffer, static_cast<std::size_t>(n));
        }
    }
    // Timed keys: "time;count;v,v,v;;," and the last one ending ";;;" in text.
    void Keys(const std::vector<std::uint32_t>& times, std::uint32_t count, const std::vector<float>& values) {
        if (binary_) {
            for (std::size_t k = 0; k < times.size(); ++k) {
                Integers({times[k], count});
                Floats(std::vector<float>(values.begin() + static_cast<std::ptrdiff_t>(k * count),
                                          values.begin() + static_cast<std::ptrdiff_t>((k + 1) * count)),
                       count);
            }
            return;
        }
        char buffer[32];
        for (std::size_t k = 0; k < times.size(); ++k) {
            int n = std::snprintf(buffer, sizeof buffer, "%u;%u;", times[k], count);
            out_.append(buffer, static_cast<std::size_t>(n));
            for (std::uint32_t v = 0; v < count; ++v) {
                n = std::snprintf(buffer, sizeof buffer, "%.6f%s", static_cast<double>(values[k * count + v]), v + 1 < count ? "," : ";;");
                out_.append(buffer, static_cast<std::size_t>(n));
            }
            out_ += k + 1 < times.size() ? ",\n" : ";\n";
        }
    }
    void String(const std::string& text) {
        if (binary_) {
            Token(2);
            Word(static_cast<std::uint32_t>(text.size()));
            Raw(text.data(), text.size());
            Token(20);
        } else {
            out_ += "\"" + text + "\";\n";
        }
    }
    const std::string& Bytes() const { return out_; }

private:
    void Token(std::uint16_t code) { Raw(&code, 2); }
    void Word(std::uint32_t v) { Raw(&v, 4); }
    void Name(const std::string& name) {
        Token(1);
        Word(static_cast<std::uint32_t>(name.size()));
        Raw(name.data(), name.size());
    }
    void Raw(const void* data, std::size_t size) { out_.append(static_cast<const char*>(data), size); }

    bool binary_;
    std::string out_;
};

void WriteMesh(XWriter& w, int index) {
    w.Open("Mesh", "mesh" + std::to_string(index));
    std::vector<float> positions, normals, uvs;
    for (int v = 0; v < kVertices; ++v) {
        float a = static_cast<float>(v) * 0.01f + static_cast<float>(index);
        positions.insert(positions.end(), {std::cos(a) * 10.0f, std::sin(a) * 10.0f, static_cast<float>(v % 97) * 0.1f});
        normals.insert(normals.end(), {std::cos(a), std::sin(a), 0.0f});
        uvs.insert(uvs.end(), {static_cast<float>(v % 31) / 31.0f, static_cast<float>(v % 17) / 17.0f});
    }
    std::vector<std::uint32_t> faces;
    for (int f = 0; f < kFaces; ++f) {
        auto a = static_cast<std::uint32_t>(f % (kVertices - 2));
        faces.insert(faces.end(), {3u, a, a + 1, a + 2});
    }
    w.Integers({kVertices});
    w.Floats(positions, 3);
    w.Integers({kFaces});
    w.Faces(faces);
    w.Open("MeshNormals", "");
    w.Integers({kVertices});
    w.Floats(normals, 3);
    w.Integers({kFaces});
    w.Faces(faces);
    w.Close();
    w.Open("MeshTextureCoords", "");
    w.Integers({kVertices});
    w.Floats(uvs, 2);
    w.Close();
    w.Open("MeshMaterialList", "");
    w.Integers({1});
    w.Integers({kFaces});
    w.Integers(std::vector<std::uint32_t>(kFaces, 0));
    w.Open("Material", "material" + std::to_string(index));
    w.Floats({1.0f, 0.9f, 0.8f, 1.0f}, 4);
    w.Floats({20.0f}, 1);
    w.Floats({0.5f, 0.5f, 0.5f}, 3);
    w.Floats({0.0f, 0.0f, 0.0f}, 3);
    w.Open("TextureFilename", "");
    w.String("texture" + std::to_string(index % 4) + ".png");
    w.Close();
    w.Close();
    w.Close();
    w.Close();
}

std::string Generate(bool binary, int meshes) {
    XWriter w(binary);
    w.Open("Frame", "root");
    std::vector<float> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    w.Open("FrameTransformMatrix", "");
    w.Floats(identity, 16);
    w.Close();
    for (int i = 0; i < meshes; ++i) {
        w.Open("Frame", "frame" + std::to_string(i));
        w.Open("FrameTransformMatrix", "");
        w.Floats(identity, 16);
        w.Close();
        WriteMesh(w, i);
        w.Close();
    }
    w.Close();
    w.Open("AnimationSet", "animation");
    for (int i = 0; i < meshes; ++i) {
        w.Open("Animation", "");
        w.Reference("frame" + std::to_string(i));
        // Rotation keys (4 values) and position keys (3 values).
        for (std::uint32_t type : {0u, 2u}) {
            w.Open("AnimationKey", "");
            w.Integers({type});
            w.Integers({kKeys});
            std::uint32_t count = type == 0 ? 4 : 3;
            std::vector<std::uint32_t> times;
            std::vector<float> values;
            for (int k = 0; k < kKeys; ++k) {
                times.push_back(static_cast<std::uint32_t>(k * 160));
                for (std::uint32_t v = 0; v < count; ++v)
                    values.push_back(v == 0 ? 1.0f : v + 1 == count ? static_cast<float>(k) * 0.01f : 0.0f);
            }
            w.Keys(times, count, values);
            w.Close();
        }
        w.Close();
    }
    w.Close();
    return w.Bytes();
}

struct Files {
    std::string text = "/tmp/orrery_xfile_benchmark_text.x";
    std::string binary = "/tmp/orrery_xfile_benchmark_binary.x";
    std::uintmax_t textSize = 0, binarySize = 0;

    Files() {
        // About 20 MB each: text takes more bytes per mesh than binary.
        textSize = Write(text, Generate(false, 130));
        binarySize = Write(binary, Generate(true, 250));
    }
    static std::uintmax_t Write(const std::string& path, const std::string& bytes) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr) return 0;
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return bytes.size();
    }
};

const Files& GeneratedFiles() {
    static Files files;
    return files;
}

// Reads everything: data of every object, every child, every reference resolved.
std::size_t Walk(IDirectXFileData* data) {
    std::size_t bytes = 0;
    DWORD size = 0;
    void* p = nullptr;
    const GUID* type = nullptr;
    DWORD nameLength = 0;
    data->GetType(&type);
    data->GetName(nullptr, &nameLength);
    if (data->GetData(nullptr, &size, &p) == DXFILE_OK) bytes += size;
    xfile::ForEachChild(data, [&](IDirectXFileObject* child) -> HRESULT {
        ComPtr<IDirectXFileData> childData;
        ComPtr<IDirectXFileDataReference> reference;
        if (child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(childData.Receive())) == S_OK) {
            bytes += Walk(childData.Get());
        } else if (child->QueryInterface(IID_IDirectXFileDataReference, reinterpret_cast<void**>(reference.Receive())) ==
                   S_OK) {
            ComPtr<IDirectXFileData> target;
            reference->Resolve(target.Receive());
        }
        return S_OK;
    });
    return bytes;
}

void Ours(benchmark::State& state, bool binary) {
    const Files& files = GeneratedFiles();
    const std::string& path = binary ? files.binary : files.text;
    IDirectXFile* service = nullptr;
    if (DirectXFileCreate(&service) != DXFILE_OK ||
        service->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES) != DXFILE_OK) {
        state.SkipWithError("X file services unavailable");
        return;
    }
    std::size_t dataBytes = 0;
    for (auto _ : state) {
        IDirectXFileEnumObject* enumeration = nullptr;
        if (service->CreateEnumObject(path.c_str(), DXFILELOAD_FROMFILE, &enumeration) != DXFILE_OK) {
            state.SkipWithError("file did not open");
            break;
        }
        dataBytes = 0;
        for (;;) {
            IDirectXFileData* object = nullptr;
            HRESULT hr = enumeration->GetNextDataObject(&object);
            if (hr == DXFILEERR_NOMOREOBJECTS) break;
            if (FAILED(hr)) {
                state.SkipWithError("file did not parse");
                break;
            }
            dataBytes += Walk(object);
            object->Release();
        }
        enumeration->Release();
        benchmark::DoNotOptimize(dataBytes);
    }
    service->Release();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(binary ? files.binarySize : files.textSize));
    state.counters["file_MB"] = static_cast<double>(binary ? files.binarySize : files.textSize) / 1e6;
    state.counters["data_MB"] = static_cast<double>(dataBytes) / 1e6;
}

void Assimp(benchmark::State& state, bool binary) {
    const Files& files = GeneratedFiles();
    const std::string& path = binary ? files.binary : files.text;
    unsigned meshes = 0, animations = 0;
    for (auto _ : state) {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(path, 0);
        if (scene == nullptr) {
            state.SkipWithError(importer.GetErrorString());
            break;
        }
        meshes = scene->mNumMeshes;
        animations = scene->mNumAnimations;
        benchmark::DoNotOptimize(scene);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(binary ? files.binarySize : files.textSize));
    state.counters["meshes"] = meshes;
    state.counters["animations"] = animations;
}

void ModelLoad(benchmark::State& state, bool binary) {
    const Files& files = GeneratedFiles();
    const std::string& path = binary ? files.binary : files.text;
    static platform::HeadlessWindow window(64, 64);
    static const HRESULT device = RenderDevice::Instance().Initialize(&window, DisplaySettings{64, 64, 0, 0, 1, 0}, 0, 0, 64, 64);
    if (FAILED(device) || RenderDevice::Instance().GetDevice() == nullptr) {
        state.SkipWithError("no headless device");
        return;
    }
    for (auto _ : state) {
        AnimatedModel model;
        model.Load(path.c_str());
        if (model.currentHierarchy == nullptr) {
            state.SkipWithError("model did not load");
            break;
        }
        benchmark::DoNotOptimize(model.currentHierarchy);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(binary ? files.binarySize : files.textSize));
}

BENCHMARK_CAPTURE(Ours, text, false)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(Assimp, text, false)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(Ours, binary, true)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(Assimp, binary, true)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(ModelLoad, text, false)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(ModelLoad, binary, true)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();

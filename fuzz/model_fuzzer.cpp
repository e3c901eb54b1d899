// Fuzzes the whole load of a model as the show runs it, on the headless device: the input is
// written as an X file in a folder of the fuzzer's own and loaded as an animated model (frames,
// meshes, skins, animations and the textures its materials name) and as a mesh model; what
// loads is then posed and drawn once, as a frame of the show would. Inputs of odd length run on
// a device that blends two matrices, so that skinned meshes are split as on such hardware.
// The fuzzer changes into that folder at start: give it corpus folders, the dictionary and the
// artifact prefix as absolute paths (scripts/fuzz does).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/display_settings.h"
#include "platform/d3dx/d3dx8tex.h"
#include "platform/d3dx/image_data.h"
#include "platform/window/headless_window.h"
#include "platform/xfile/xfile_diagnostics.h"
#include "render/render_device.h"
#include "scene/animated_model.h"
#include "scene/mesh_model.h"

namespace {

constexpr int kSize = 32;
constexpr char kModelFile[] = "model.x";

// Two small textures the inputs may name: a Targa and a BMP of 2 x 2 pixels.
constexpr unsigned char kTarga[] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0x20,
                                    10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
constexpr unsigned char kBmp[] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0,
                                  0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                  0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};

void Quiet(std::string_view) {}

bool WriteFile(const char* name, const void* data, std::size_t size) {
    std::FILE* file = std::fopen(name, "wb");
    if (!file) return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

[[noreturn]] void Abandon(const char* what) {
    std::fprintf(stderr, "model_fuzzer: %s\n", what);
    std::abort();
}

IDirect3DDevice8* Device() {
    // Made once: the surface first, so that it outlives the device at exit.
    static platform::HeadlessWindow window(kSize, kSize);
    static IDirect3DDevice8* device = [] {
        const DisplaySettings settings{kSize, kSize, 0, 0, 1, 0};
        if (RenderDevice::Instance().Initialize(&window, settings, 0, 0, kSize, kSize) < 0) return (IDirect3DDevice8*)nullptr;
        return RenderDevice::Instance().GetDevice();
    }();
    return device;
}

std::string g_folder;

// The working folder and what the fuzzer wrote into it go at exit.
void RemoveFolder() {
    for (const char* name : {kModelFile, "t.tga", "t.bmp"}) std::remove((g_folder + "/" + name).c_str());
    ::rmdir(g_folder.c_str());
}

void SetBlendMatrices(IDirect3DDevice8* device, DWORD count) {
    D3DCAPS8 caps{};
    if (device->GetDeviceCaps(&caps) < 0) return;
    caps.MaxVertexBlendMatrices = count;
    device->OverrideDeviceCaps(caps);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Every rejected input would print its cause.
    xfile::SetFailureSink(Quiet);
    d3dx::SetImageMessageSink([](const char*) {});
    // A folder of its own: the model file goes there, and the texture names it holds are read
    // from there, as the show reads them from its working folder.
    const char* base = std::getenv("TMPDIR");
    g_folder = std::string(base && *base ? base : "/tmp") + "/model_fuzzer_XXXXXX";
    if (!::mkdtemp(g_folder.data()) || ::chdir(g_folder.c_str()) != 0) Abandon("cannot make a working folder");
    std::atexit(RemoveFolder);
    if (!WriteFile("t.tga", kTarga, sizeof kTarga) || !WriteFile("t.bmp", kBmp, sizeof kBmp))
        Abandon("cannot write the textures");
    IDirect3DDevice8* device = Device();
    if (!device) Abandon("no headless device");
    for (const char* texture : {"t.tga", "t.bmp"}) {
        IDirect3DTexture8* made = nullptr;
        if (D3DXCreateTextureFromFileA(device, texture, &made) < 0 || !made) Abandon("a texture does not load");
        made->Release();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    IDirect3DDevice8* device = Device();
    if (!WriteFile(kModelFile, data, size)) Abandon("cannot write the model file");
    SetBlendMatrices(device, size % 2 ? 2 : 4);

    RenderDevice::Instance().BeginFrame(true);
    {
        AnimatedModel animated;
        if (animated.Load(kModelFile) >= 0) {
            animated.rotation = {0.1f, 0.2f, 0.3f};
            animated.AdvanceTime(0.75f);
            animated.Render();
            animated.AdvanceTime(100.0f);
            animated.Render();
        }
        MeshModel mesh;
        if (mesh.Load(kModelFile) >= 0) {
            for (std::uint32_t i = 0; i < mesh.materialCount; ++i) {
                device->SetMaterial(&mesh.materials[i]);
                device->SetTexture(0, mesh.textures[i].Get());
                mesh.GetMesh()->DrawSubset(i);
            }
            device->SetTexture(0, nullptr);
        }
    }
    RenderDevice::Instance().EndFrame();
    return 0;
}

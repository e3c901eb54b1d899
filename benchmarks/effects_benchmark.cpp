// One frame of the main scene's effect load on the headless surface at 640x480, through the
// render device as the show draws it: a lit, fogged, textured mesh of 10 000 triangles in a
// RenderList with four point lights and a sun, the four particle systems of the city (770
// particles) and twelve lens flares of size 250. Every frame clears, updates the particles with a
// fixed step, draws, ends the scene and presents.
// The argument says whether each frame waits until the GPU has finished it (1: finished frames,
// the figure that bounds the show's frame rate) or not (0: the submission cost alone; the queue
// is drained outside the timing every eighth frame).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/display_settings.h"
#include "fx/billboard.h"
#include "fx/camera.h"
#include "fx/light.h"
#include "fx/mesh_instance.h"
#include "fx/particle_system.h"
#include "fx/render_list.h"
#include "platform/d3dx/d3dx8mesh.h"
#include "platform/gpu/raw_gl_baseline.h"
#include "platform/window/headless_window.h"
#include "render/render_device.h"
#include "scene/mesh_model.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr int kGridColumns = 100, kGridRows = 50;  // 2 x 100 x 50 = 10 000 triangles
constexpr float kStep = 1.0f / 60.0f;              // seconds per frame

// A textured height field standing in for the city mesh: x from -3000 to 3000, y from -3500 to
// 6500, gentle waves in z so that the lights fall off across it.
class GridModel : public MeshModelBase {
public:
    ID3DXMesh* GetMesh() override { return mesh.Get(); }
    ComPtr<ID3DXMesh> mesh;
};

struct GridVertex {
    float x, y, z, nx, ny, nz, u, v;
};

float Height(float x, float y) { return 40.0f * std::sin(x * 0.004f) * std::cos(y * 0.003f); }

bool BuildGrid(IDirect3DDevice8* device, GridModel& model) {
    constexpr DWORD kVertices = (kGridColumns + 1) * (kGridRows + 1);
    constexpr DWORD kFaces = 2 * kGridColumns * kGridRows;
    if (FAILED(D3DXCreateMeshFVF(kFaces, kVertices, D3DXMESH_MANAGED, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, device,
                                 model.mesh.Receive())))
        return false;
    BYTE* data = nullptr;
    if (FAILED(model.mesh->LockVertexBuffer(0, &data))) return false;
    auto* v = reinterpret_cast<GridVertex*>(data);
    for (int r = 0; r <= kGridRows; ++r) {
        for (int c = 0; c <= kGridColumns; ++c) {
            const float x = -3000.0f + 60.0f * static_cast<float>(c), y = -3500.0f + 200.0f * static_cast<float>(r);
            D3DXVECTOR3 normal(Height(x - 1, y) - Height(x + 1, y), Height(x, y - 1) - Height(x, y + 1), 2.0f);
            D3DXVec3Normalize(&normal, &normal);
            *v++ = {x, y, Height(x, y), normal.x, normal.y, normal.z, static_cast<float>(c) * 0.25f,
                    static_cast<float>(r) * 0.25f};
        }
    }
    model.mesh->UnlockVertexBuffer();
    if (FAILED(model.mesh->LockIndexBuffer(0, &data))) return false;
    auto* index = reinterpret_cast<std::uint16_t*>(data);
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            const auto p00 = static_cast<std::uint16_t>(r * (kGridColumns + 1) + c);
            const auto p10 = static_cast<std::uint16_t>(p00 + 1);
            const auto p01 = static_cast<std::uint16_t>(p00 + kGridColumns + 1);
            const auto p11 = static_cast<std::uint16_t>(p01 + 1);
            // Both triangles face +Z, up toward the camera.
            for (std::uint16_t i : {p00, p10, p01, p10, p11, p01}) *index++ = i;
        }
    }
    model.mesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    if (FAILED(model.mesh->LockAttributeBuffer(0, &attributes))) return false;
    for (DWORD f = 0; f < kFaces; ++f) attributes[f] = 0;
    model.mesh->UnlockAttributeBuffer();

    ComPtr<IDirect3DTexture8> texture;
    if (FAILED(device->CreateTexture(64, 64, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, texture.Receive()))) return false;
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) return false;
    for (int y = 0; y < 64; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
        for (int x = 0; x < 64; ++x) row[x] = ((x / 8 + y / 8) % 2) ? 0xFF8090A0u : 0xFF404850u;
    }
    texture->UnlockRect(0);

    D3DMATERIAL8 material{};
    material.Diffuse = material.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
    model.materials = {material};
    model.textures = {texture};
    model.materialCount = 1;
    return true;
}

// A 32 x 32 Targa: a white disc fading out toward its rim (alpha and colour), like the show's
// particle and flare images.
bool WriteGlow(const std::string& path) {
    std::vector<unsigned char> bytes(18, 0);
    bytes[2] = 2;
    bytes[12] = bytes[14] = 32;
    bytes[16] = 32;
    bytes[17] = 0x28;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const float d = std::hypot(static_cast<float>(x) - 15.5f, static_cast<float>(y) - 15.5f) / 16.0f;
            const auto level = static_cast<unsigned char>(255.0f * std::fmax(0.0f, 1.0f - d));
            for (int i = 0; i < 4; ++i) bytes.push_back(level);
        }
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// The city's effects, built as the main scene loads them.
struct MainSceneLoad {
    GridModel city;
    std::unique_ptr<MeshInstance> cityInstance;
    std::vector<std::unique_ptr<Light>> lights;
    std::unique_ptr<RenderList> world;
    std::unique_ptr<ViewFrustum> frustum;
    std::unique_ptr<Camera> camera;
    // The snowfall's origin is where the scene puts it for this camera: eye + 70 x the look-at
    // direction (here straight up) - (570, 570, 0), z + 355.
    ParticleSystem snowfall{500, 20, -2570, -5770, 1456, 0.8f, 0, -2.9f, 1355, 1, 24, 0, -9.8f, 0, 0};
    ParticleSystem plumeA{100, 50, -500, -1865, 15.5f, 0, 0, 0, 75, 0, 38, 1, -9.8f, 0, 0};
    ParticleSystem sparks{70, 22, 900, 3315, 65.5f, 0, 0, 0, 19, 1, 36, 1, -9.8f, 0, 0};
    ParticleSystem plumeB{100, 50, 1375, -430, 840.5f, 0, 0, 0, 70, 1, 55, 1, -9.8f, 0, 0};
    Billboard flare;
    std::vector<std::unique_ptr<BillboardInstance>> flares;

    std::string Load(IDirect3DDevice8* device, const std::string& folder) {
        const std::string glow = folder + "/glow.tga";
        if (!WriteGlow(glow)) return "cannot write " + glow;
        for (ParticleSystem* system : {&snowfall, &plumeA, &plumeB, &sparks})
            if (FAILED(system->Load(glow.c_str()))) return "particle system Load failed";
        world = std::make_unique<RenderList>();
        if (!BuildGrid(device, city)) return "cannot build the grid mesh";
        cityInstance = std::make_unique<MeshInstance>(city, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
        world->AddInstance(cityInstance.get());
        for (float y : {-2880.0f, -1400.0f, -32.0f, 1300.0f})
            lights.push_back(std::make_unique<Light>(0.2f, 0.2f, 0.0f, 1.0f, -700.0f, y, 20.0f, 250.0f));
        lights.push_back(std::make_unique<Light>(1.0f, 1.0f, 1.0f, 1.0f, -1.2f, 10.8f, 0.0f));
        for (auto& light : lights) world->AddLight(light.get());
        if (FAILED(flare.Load(glow.c_str(), 250.0f))) return "flare Load failed";
        for (int i = 0; i < 7; ++i) {
            auto instance = std::make_unique<BillboardInstance>(flare);
            instance->position = D3DXVECTOR3(-850.0f, 1365.0f * static_cast<float>(i) - 2845.0f - (i == 4 ? 160.0f : 0.0f),
                                             250.0f);
            flares.push_back(std::move(instance));
        }
        for (int j = 0; j < 5; ++j) {
            auto instance = std::make_unique<BillboardInstance>(flare);
            instance->position = D3DXVECTOR3(605.0f - 45.0f * static_cast<float>(j),
                                             45.0f * static_cast<float>(j) - 650.0f, 1070.0f);
            flares.push_back(std::move(instance));
        }
        frustum = std::make_unique<ViewFrustum>();
        camera = std::make_unique<Camera>(-2000.0f, -5200.0f, 1100.0f, 0.0f, 0.0f, 150.0f, 0.0f, 0.0f, 1.0f, *frustum);
        return {};
    }

    // The city part of the main scene's frame.
    void Frame(RenderDevice& renderDevice) {
        renderDevice.BeginFrame(false);
        renderDevice.Clear(0xFF252839);
        world->EnableFog(0xFF000000, 0.00029f);
        const D3DXVECTOR3 eye = camera->eye, lookAt = camera->lookAt;
        camera->LookAt(eye.x, eye.y, eye.z, lookAt.x, lookAt.y, lookAt.z, 0, 0, 1);
        snowfall.Update(kStep * 0.14285715f);
        plumeA.Update(kStep * 0.2f);
        sparks.Update(kStep);
        plumeB.Update(kStep);
        world->Render(*camera);
        for (ParticleSystem* system : {&snowfall, &plumeA, &sparks, &plumeB}) system->Render(*camera);
        for (auto& instance : flares) instance->Render(*camera, 1, 1.0f, 1.0f, 1.0f, 1.0f);
        renderDevice.EndFrame();
    }
};

platform::HeadlessWindow& Window() {
    static platform::HeadlessWindow window(kWidth, kHeight);
    return window;
}

void MainSceneEffectFrame(benchmark::State& state) {
    RenderDevice& renderDevice = RenderDevice::Instance();
    if (!renderDevice.GetDevice()) {
        const DisplaySettings settings{kWidth, kHeight, 0, 0, 1, 0};
        if (FAILED(renderDevice.Initialize(&Window(), settings, 0, 0, kWidth, kHeight))) {
            state.SkipWithError("no render device");
            return;
        }
    }
    IDirect3DDevice8* device = renderDevice.GetDevice();
    std::string folder = (std::filesystem::temp_directory_path() / "orrery-effects-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        state.SkipWithError("cannot make a temporary folder");
        return;
    }
    auto scene = std::make_unique<MainSceneLoad>();
    const std::string failure = scene->Load(device, folder);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (!failure.empty()) {
        state.SkipWithError(failure.c_str());
        return;
    }
    for (int i = 0; i < 30; ++i) scene->Frame(renderDevice);  // programs built, particles under way
    // The share of the picture the effects cover: a figure of nothing drawn would be worthless.
    std::vector<std::uint32_t> pixels;
    UINT width = 0, height = 0;
    if (FAILED(device->ReadBackBuffer(pixels, width, height)) || pixels.empty()) {
        state.SkipWithError("cannot read the frame back");
        return;
    }
    std::size_t covered = 0;
    for (std::uint32_t p : pixels) covered += (p & 0x00FFFFFF) != 0x00252839;
    if (covered == 0) {
        state.SkipWithError("the frame shows nothing but the background");
        return;
    }

    const bool wait = state.range(0) != 0;
    device->ResetDrawStats();
    std::uint64_t frames = 0;
    std::chrono::duration<double, std::milli> elapsed{0.0};  // timed part only, as the Time column
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        scene->Frame(renderDevice);
        ++frames;
        if (wait) gpu::FinishGl();
        elapsed += std::chrono::steady_clock::now() - start;
        if (!wait && frames % 8 == 0) {
            state.PauseTiming();
            gpu::FinishGl();
            state.ResumeTiming();
        }
    }
    gpu::FinishGl();
    D3DDRAWSTATS stats{};
    device->GetDrawStats(&stats);
    state.counters["frames_per_second"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    state.counters["covered_share"] = static_cast<double>(covered) / static_cast<double>(pixels.size());
    if (frames > 0) {
        state.counters["ms_per_frame"] = elapsed.count() / static_cast<double>(frames);
        state.counters["draws_per_frame"] = static_cast<double>(stats.drawCalls) / static_cast<double>(frames);
        state.counters["triangles_per_frame"] = static_cast<double>(stats.primitives) / static_cast<double>(frames);
    }
}
BENCHMARK(MainSceneEffectFrame)->ArgName("wait")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();

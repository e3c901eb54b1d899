// Device throughput on the headless surface at 640x480:
//  - the particle pattern (world transform, material, one four-vertex strip per draw),
//  - the same pattern in raw OpenGL on an identical context, for comparison,
//  - a lit, textured, indexed mesh of 10 000 triangles.
// The argument says whether each frame waits for the GPU (1: the figure includes rasterisation
// by llvmpipe's threads) or not (0: the cost of submitting the draws, which is what the device's
// own overhead adds to; the queue is drained outside the timing).
#include <benchmark/benchmark.h>

#include <time.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/gpu/d3d8.h"
#include "platform/gpu/raw_gl_baseline.h"
#include "platform/math/d3dx8math.h"
#include "platform/window/headless_window.h"
#include "tests/platform/gpu/present_parameters.h"

namespace {

constexpr UINT kWidth = 640, kHeight = 480;
constexpr int kParticles = 800;

// CPU time of the calling thread: the submission cost, without llvmpipe's rasteriser threads.
double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void SetDrawCounters(benchmark::State& state, std::uint64_t draws, double threadSeconds) {
    state.counters["draws_per_second"] = benchmark::Counter(static_cast<double>(draws), benchmark::Counter::kIsRate);
    state.counters["draws_per_thread_cpu_second"] = threadSeconds > 0 ? static_cast<double>(draws) / threadSeconds : 0;
}

struct Headless {
    std::unique_ptr<platform::HeadlessWindow> window = std::make_unique<platform::HeadlessWindow>(kWidth, kHeight);
    ComPtr<IDirect3D8> d3d{Direct3DCreate8(D3D_SDK_VERSION)};
    ComPtr<IDirect3DDevice8> device;

    Headless() {
        D3DPRESENT_PARAMETERS pp = devicetest::PresentParameters(kWidth, kHeight);
        if (d3d) d3d->CreateDevice(0, D3DDEVTYPE_HAL, window.get(), D3DCREATE_MIXED_VERTEXPROCESSING, &pp, device.Receive());
    }
};

// The benchmark's device, or nullptr with the benchmark marked skipped.
IDirect3DDevice8* DeviceOrSkip(const Headless& h, benchmark::State& state) {
    if (!h.device) state.SkipWithError("no device");
    return h.device.Get();
}

// Ends a frame of the loop: every frame waits for the GPU when the argument asks for it;
// otherwise every eighth drains the queue outside the timing.
void EndTimedFrame(benchmark::State& state, std::uint64_t& frames) {
    if (state.range(0)) {
        gpu::FinishGl();
    } else if (++frames % 8 == 0) {
        state.PauseTiming();
        gpu::FinishGl();
        state.ResumeTiming();
    }
}

D3DXMATRIX Identity() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

// Left-handed perspective projection and a camera at (0, 0, -10) looking at the origin.
void SetCamera(IDirect3DDevice8* d) {
    D3DXMATRIX view, proj;
    D3DXMatrixTranslation(&view, 0, 0, 10);
    D3DXMatrixPerspectiveFovLH(&proj, 0.8f, static_cast<float>(kWidth) / kHeight, 1, 100);
    d->SetTransform(D3DTS_VIEW, &view);
    d->SetTransform(D3DTS_PROJECTION, &proj);
}

ComPtr<IDirect3DTexture8> MakeTexture(IDirect3DDevice8* d) {
    ComPtr<IDirect3DTexture8> t;
    d->CreateTexture(32, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t.Receive());
    D3DLOCKED_RECT r{};
    if (t && t->LockRect(0, &r, nullptr, 0) == S_OK) {
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                reinterpret_cast<DWORD*>(static_cast<BYTE*>(r.pBits) + y * r.Pitch)[x] = D3DCOLOR_ARGB(255, x * 8, y * 8, 128);
        t->UnlockRect(0);
    }
    return t;
}

void ParticleDraws(benchmark::State& state) {
    Headless h;
    IDirect3DDevice8* d = DeviceOrSkip(h, state);
    if (!d) return;
    struct V {
        float x, y, z, u, v;
    };
    const float half = 0.1f;
    const V quad[4] = {{0, half, -half, 0, 0}, {0, half, half, 0, 1}, {0, -half, -half, 1, 0}, {0, -half, half, 1, 1}};
    ComPtr<IDirect3DVertexBuffer8> vb;
    d->CreateVertexBuffer(sizeof quad, 0, 0x102, D3DPOOL_DEFAULT, vb.Receive());
    BYTE* data = nullptr;
    vb->Lock(0, 0, &data, 0);
    std::memcpy(data, quad, sizeof quad);
    vb->Unlock();
    ComPtr<IDirect3DTexture8> texture = MakeTexture(d);
    SetCamera(d);
    d->SetRenderState(D3DRS_AMBIENT, 0x00AAAAAA);
    d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetTexture(0, texture.Get());
    d->SetStreamSource(0, vb.Get(), sizeof(V));
    d->SetVertexShader(0x102);
    std::vector<D3DMATRIX> worlds(kParticles, Identity());
    std::vector<D3DMATERIAL8> materials(kParticles);
    for (int i = 0; i < kParticles; ++i) {
        // Quads face +X: turn them towards the camera (-Z) and spread them over the view.
        D3DMATRIX& w = worlds[i];
        w = D3DMATRIX{};
        w._13 = -1;
        w._22 = 1;
        w._31 = 1;
        w._44 = 1;
        w._41 = static_cast<float>(i % 40) * 0.3f - 6;
        w._42 = static_cast<float>(i / 40) * 0.3f - 3;
        const float level = static_cast<float>(i % 17) / 16;
        materials[i].Ambient = {level, 1 - level, 0.5f, 1};
    }
    std::uint64_t draws = 0, frames = 0;
    const double start = ThreadSeconds();
    for (auto _ : state) {
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
        d->BeginScene();
        for (int i = 0; i < kParticles; ++i) {
            d->SetTransform(D3DTS_WORLD, &worlds[i]);
            d->SetMaterial(&materials[i]);
            d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
        }
        d->EndScene();
        d->Present(nullptr, nullptr, nullptr, nullptr);
        EndTimedFrame(state, frames);
        draws += kParticles;
    }
    D3DDRAWSTATS stats{};
    d->GetDrawStats(&stats);
    if (stats.programsBuilt != 1) state.SkipWithError("the particle loop built more than one program");
    SetDrawCounters(state, draws, ThreadSeconds() - start);
}
BENCHMARK(ParticleDraws)->ArgName("wait")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void RawGlParticleDraws(benchmark::State& state) {
    Headless h;  // the same kind of context and back buffer, used only through raw GL here
    if (!DeviceOrSkip(h, state)) return;
    h.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1, 0);  // makes its context current
    gpu::RawGlBaseline baseline;
    if (!baseline.Valid()) {
        state.SkipWithError("baseline program failed");
        return;
    }
    std::uint64_t draws = 0, frames = 0;
    const double start = ThreadSeconds();
    for (auto _ : state) {
        // The same frame work as the device's loop: a clear of colour and depth, then the draws.
        h.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
        baseline.Draw(kParticles);
        EndTimedFrame(state, frames);
        draws += kParticles;
    }
    SetDrawCounters(state, draws, ThreadSeconds() - start);
}
BENCHMARK(RawGlParticleDraws)->ArgName("wait")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void LitMeshTriangles(benchmark::State& state) {
    Headless h;
    IDirect3DDevice8* d = DeviceOrSkip(h, state);
    if (!d) return;
    // A 51 x 101 grid of vertices: 50 x 100 cells, two triangles each = 10 000 triangles.
    struct V {
        float x, y, z, nx, ny, nz, u, v;
    };
    constexpr int cols = 101, rows = 51;
    std::vector<V> vertices;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const float x = static_cast<float>(c) / (cols - 1) * 8 - 4, y = static_cast<float>(r) / (rows - 1) * 6 - 3;
            const float z = 0.3f * std::sin(x * 2) * std::cos(y * 2);
            vertices.push_back({x, y, z, -0.3f * std::cos(x * 2), 0.3f * std::sin(y * 2), -1,
                                static_cast<float>(c) / (cols - 1), static_cast<float>(r) / (rows - 1)});
        }
    std::vector<WORD> indices;
    for (int r = 0; r + 1 < rows; ++r)
        for (int c = 0; c + 1 < cols; ++c) {
            const WORD a = static_cast<WORD>(r * cols + c), b = static_cast<WORD>(a + 1), e = static_cast<WORD>(a + cols),
                       f = static_cast<WORD>(e + 1);
            indices.insert(indices.end(), {a, e, b, b, e, f});
        }
    const UINT triangles = static_cast<UINT>(indices.size() / 3);
    ComPtr<IDirect3DVertexBuffer8> vb;
    ComPtr<IDirect3DIndexBuffer8> ib;
    const DWORD fvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
    d->CreateVertexBuffer(static_cast<UINT>(vertices.size() * sizeof(V)), 0, fvf, D3DPOOL_MANAGED, vb.Receive());
    d->CreateIndexBuffer(static_cast<UINT>(indices.size() * 2), 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, ib.Receive());
    BYTE* data = nullptr;
    vb->Lock(0, 0, &data, 0);
    std::memcpy(data, vertices.data(), vertices.size() * sizeof(V));
    vb->Unlock();
    ib->Lock(0, 0, &data, 0);
    std::memcpy(data, indices.data(), indices.size() * 2);
    ib->Unlock();
    ComPtr<IDirect3DTexture8> texture = MakeTexture(d);
    SetCamera(d);
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = {0.3f, -0.4f, 0.8f};
    d->SetLight(0, &light);
    d->LightEnable(0, TRUE);
    D3DMATERIAL8 material{};
    material.Diffuse = {0.8f, 0.7f, 0.6f, 1};
    material.Ambient = {0.2f, 0.2f, 0.2f, 1};
    d->SetMaterial(&material);
    d->SetRenderState(D3DRS_AMBIENT, 0x00404040);
    d->SetTexture(0, texture.Get());
    d->SetVertexShader(fvf);
    d->SetStreamSource(0, vb.Get(), sizeof(V));
    d->SetIndices(ib.Get(), 0);
    const D3DMATRIX world = Identity();
    d->SetTransform(D3DTS_WORLD, &world);
    std::uint64_t drawn = 0;
    for (auto _ : state) {
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
        d->BeginScene();
        d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(vertices.size()), 0, triangles);
        d->EndScene();
        d->Present(nullptr, nullptr, nullptr, nullptr);
        gpu::FinishGl();
        drawn += triangles;
    }
    state.counters["triangles_per_second"] = benchmark::Counter(static_cast<double>(drawn), benchmark::Counter::kIsRate);
}
BENCHMARK(LitMeshTriangles)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();

#include "tools/assets/preview/preview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/window/headless_window.h"
#include "render/render_device.h"
#include "scene/animated_model.h"
#include "scene/frame_tree.h"
#include "scene/mesh_model.h"
#include "tools/common/png_writer.h"

namespace assets {
namespace {

constexpr float kFieldOfView = 0.7853982f;

struct Bounds {
    D3DXVECTOR3 centre{0, 0, 0};
    float radius = 1.0f;
};

// Lighting like a scene's world render list: two-thirds grey ambient, one white key light
// from above and in front, linear filtering, counter-clockwise faces culled.
void SetStage(IDirect3DDevice8* device) {
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0x00AAAAAA);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 8);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
    D3DXVECTOR3 direction(0.35f, 0.6f, -0.7f);
    D3DXVec3Normalize(&direction, &direction);
    light.Direction = direction;
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
}

void SetCamera(IDirect3DDevice8* device, const PreviewOptions& options, const Bounds& bounds) {
    D3DXVECTOR3 eye = options.eye, at = options.look;
    float zNear = 1.0f, zFar = 20000.0f;
    if (!options.fixedCamera) {
        D3DXVECTOR3 away(-0.55f, -1.0f, 0.6f);
        D3DXVec3Normalize(&away, &away);
        const float distance = bounds.radius / std::sin(kFieldOfView * 0.5f) * 1.05f;
        eye = bounds.centre + away * distance;
        at = bounds.centre;
        zNear = std::max(distance * 0.01f, 0.01f);
        zFar = distance + bounds.radius * 2.0f;
    }
    const D3DXVECTOR3 up(0, 0, 1);
    D3DXMATRIX view, projection;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, float(options.width) / float(options.height), zNear, zFar);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
}

bool WritePicture(IDirect3DDevice8* device, const std::filesystem::path& path) {
    std::vector<std::uint32_t> pixels;
    UINT width = 0, height = 0;
    if (FAILED(device->ReadBackBuffer(pixels, width, height))) return false;
    std::string error;
    const tools::PngImage image{int(width), int(height), pixels.data(), false};
    if (!tools::WritePng(path.string(), image, error)) {
        std::fprintf(stderr, "orrery3d-assets: %s\n", error.c_str());
        return false;
    }
    return true;
}

// Draws one frame with `draw` and writes it to `path`.
template <class Draw>
bool Picture(IDirect3DDevice8* device, const PreviewOptions& options, const Bounds& bounds,
             const std::filesystem::path& path, Draw&& draw) {
    device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF1C2230, 1.0f, 0);
    SetStage(device);
    SetCamera(device, options, bounds);
    const bool drawn = draw();
    device->EndScene();
    const bool written = WritePicture(device, path);
    device->Present(nullptr, nullptr, nullptr, nullptr);
    return drawn && written;
}

std::string PictureName(const std::string& model, const PreviewOptions& options, float time) {
    std::string stem = model.substr(0, model.rfind('.'));
    if (options.times.size() > 1) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "_t%06.2f", time);
        stem += suffix;
    }
    return stem + ".png";
}

bool PreviewStatic(IDirect3DDevice8* device, const PreviewOptions& options, const std::string& name,
                   const std::filesystem::path& outDir) {
    MeshModel model;
    if (FAILED(model.Load(name.c_str())) || !model.GetMesh()) {
        std::fprintf(stderr, "orrery3d-assets: %s does not load as a mesh\n", name.c_str());
        return false;
    }
    const Bounds bounds{model.boundingSphere->centre, std::max(model.boundingSphere->radius, 0.01f)};
    return Picture(device, options, bounds, outDir / PictureName(name, options, options.times.front()), [&] {
        for (std::uint32_t k = 0; k < model.materialCount; ++k) {
            device->SetMaterial(&model.materials[k]);
            device->SetTexture(0, model.textures[k].Get());
            model.GetMesh()->DrawSubset(k);
        }
        device->SetTexture(0, nullptr);
        return model.materialCount > 0;
    });
}

// Animation can carry a model far from where the file's bind pose put it (root motion, cars on
// their tracks). When the posed animated frames have left the measured bounds, the camera is
// fitted to those frames instead.
Bounds PosedBounds(AnimatedModel& model) {
    ModelHierarchy& hierarchy = *model.currentHierarchy;
    const Bounds measured{hierarchy.centre, std::max(hierarchy.radius, 0.01f)};
    D3DXMatrixIdentity(&hierarchy.root->local);
    D3DXMatrixIdentity(&hierarchy.root->outer);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    if (FAILED(UpdateTransforms(*hierarchy.root, identity))) return measured;
    D3DXVECTOR3 lo(1e30f, 1e30f, 1e30f), hi(-1e30f, -1e30f, -1e30f);
    for (const ModelFrame* a = hierarchy.animationList; a; a = a->nextAnimationFrame) {
        if (!a->target) continue;
        const D3DXVECTOR3 origin(a->target->combined._41, a->target->combined._42, a->target->combined._43);
        D3DXVec3Minimize(&lo, &lo, &origin);
        D3DXVec3Maximize(&hi, &hi, &origin);
    }
    if (lo.x > hi.x) return measured;
    const D3DXVECTOR3 centre = (lo + hi) * 0.5f, half = (hi - lo) * 0.5f, away = centre - measured.centre;
    if (D3DXVec3Length(&away) <= measured.radius) return measured;
    return Bounds{centre, std::max(D3DXVec3Length(&half) * 1.3f, 40.0f)};
}

bool PreviewAnimated(IDirect3DDevice8* device, const PreviewOptions& options, const std::string& name,
                     const std::filesystem::path& outDir) {
    AnimatedModel model;
    if (FAILED(model.Load(name.c_str())) || !model.currentHierarchy) {
        std::fprintf(stderr, "orrery3d-assets: %s does not load as an animated model\n", name.c_str());
        return false;
    }
    bool ok = true;
    float clock = 0.0f;
    for (float time : options.times) {
        model.AdvanceTime(time - clock);
        clock = time;
        const Bounds bounds = PosedBounds(model);
        ok = Picture(device, options, bounds, outDir / PictureName(name, options, time),
                     [&] { return SUCCEEDED(model.Render()); }) && ok;
    }
    return ok;
}

std::vector<std::string> ModelNames(const PreviewOptions& options) {
    if (!options.only.empty()) return {options.only};
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(options.dataDir, error))
        if (entry.path().extension() == ".x") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

bool IsStaticModel(const std::string& fileName) {
    for (const char* name : {"demo.x", "blood.x", "hand.x", "tunnel.x", "train.x", "org_tunnel.x"})
        if (fileName == name) return true;
    return false;
}

int RenderPreviews(const PreviewOptions& options) {
    std::error_code error;
    const std::filesystem::path outDir = std::filesystem::absolute(options.outDir);
    std::filesystem::create_directories(outDir, error);
    const std::vector<std::string> names = ModelNames(options);
    // Models name their textures relative to the working directory, as in the show.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(options.dataDir, error);
    if (error) {
        std::fprintf(stderr, "orrery3d-assets: cannot open %s: %s\n", options.dataDir.string().c_str(),
                     error.message().c_str());
        return -1;
    }
    // The surface must outlive the process-wide render device, which is made after it.
    static platform::HeadlessWindow window(options.width, options.height);
    const DisplaySettings settings{options.width, options.height, 0, 0, 1, 0};
    RenderDevice& renderDevice = RenderDevice::Instance();
    int failures = -1;
    if (SUCCEEDED(renderDevice.Initialize(&window, settings, 0, 0, options.width, options.height))) {
        failures = 0;
        for (const std::string& name : names) {
            const bool ok = IsStaticModel(name) ? PreviewStatic(renderDevice.GetDevice(), options, name, outDir)
                                                : PreviewAnimated(renderDevice.GetDevice(), options, name, outDir);
            if (!ok) ++failures;
        }
    } else {
        std::fprintf(stderr, "orrery3d-assets: no headless render device\n");
    }
    std::filesystem::current_path(previous, error);
    return failures;
}

}  // namespace assets

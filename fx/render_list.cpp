#include "fx/render_list.h"

#include <cstring>

#include "render/render_device.h"

namespace {

// Float render states travel as the float's bits in the DWORD.
DWORD FloatBits(float value) {
    static_assert(sizeof(DWORD) == sizeof(float));
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace

RenderList::RenderList() {
    if (IDirect3DDevice8* device = RenderDevice::Instance().GetDevice()) device->SetRenderState(D3DRS_LIGHTING, TRUE);
}

RenderList::~RenderList() {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device) return;
    for (DWORD i = 0; i < lights.size(); ++i) device->LightEnable(i, FALSE);
}

void RenderList::AddInstance(MeshInstance* instance) {
    if (instance) instances.push_back(instance);
}

void RenderList::AddLight(Light* light) {
    if (light) lights.push_back(light);
}

void RenderList::Render(const Camera& camera) {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device) return;

    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, kAlphaReference);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);

    for (DWORD i = 0; i < lights.size(); ++i) {
        device->SetLight(i, &lights[i]->light);
        device->LightEnable(i, TRUE);
    }

    device->SetRenderState(D3DRS_AMBIENT, kAmbient);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetTransform(D3DTS_PROJECTION, &camera.Projection());
    device->SetTransform(D3DTS_VIEW, &camera.View());
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);

    for (MeshInstance* instance : instances) DrawInstance(device, *instance);

    device->SetTexture(0, nullptr);
}

void RenderList::DrawInstance(IDirect3DDevice8* device, MeshInstance& instance) {
    device->SetMaterial(&instance.material);
    device->SetTransform(D3DTS_WORLD, &instance.world);

    MeshModelBase& model = instance.model;
    ID3DXMesh* mesh = model.GetMesh();
    for (DWORD k = 0; k < model.materialCount; ++k) {
        // A count larger than the arrays it describes draws only what the arrays hold.
        if (k >= model.materials.size()) break;
        device->SetMaterial(&model.materials[k]);
        device->SetTexture(0, k < model.textures.size() ? model.textures[k].Get() : nullptr);
        if (mesh) mesh->DrawSubset(k);
    }
}

void RenderList::EnableFog(D3DCOLOR colour, float density) {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device) return;
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device->SetRenderState(D3DRS_FOGCOLOR, colour);
    device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP);
    device->SetRenderState(D3DRS_FOGDENSITY, FloatBits(density));
}

void RenderList::DisableFog() {
    if (IDirect3DDevice8* device = RenderDevice::Instance().GetDevice()) device->SetRenderState(D3DRS_FOGENABLE, FALSE);
}

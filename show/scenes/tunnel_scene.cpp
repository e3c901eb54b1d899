#include "show/scenes/tunnel_scene.h"

#include "render/render_device.h"

HRESULT TunnelScene::Load() { return 0; }

int TunnelScene::Render(float) { return 0; }

void TunnelScene::Unload() {
    if (IDirect3DDevice8* device = RenderDevice::Instance().GetDevice()) device->SetRenderState(D3DRS_FOGENABLE, FALSE);
}

int TunnelScene::GetStatus() { return 0; }

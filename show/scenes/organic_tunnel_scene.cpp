#include "show/scenes/organic_tunnel_scene.h"

#include "render/render_device.h"

HRESULT OrganicTunnelScene::Load() { return 0; }

int OrganicTunnelScene::Render(float) { return 0; }

void OrganicTunnelScene::Unload() {
    if (IDirect3DDevice8* device = RenderDevice::Instance().GetDevice()) device->SetRenderState(D3DRS_FOGENABLE, FALSE);
}

int OrganicTunnelScene::GetStatus() { return 0; }

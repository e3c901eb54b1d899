#include "show/scenes/hand_scene.h"

#include "render/render_device.h"

HandScene::HandScene() {
    if (IDirect3DDevice8* device = RenderDevice::Instance().GetDevice())
        device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
}

HRESULT HandScene::Load() { return 0; }

int HandScene::Render(float) { return 0; }

void HandScene::Unload() {
    if (IDirect3DDevice8* device = RenderDevice::Instance().GetDevice())
        device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
}

int HandScene::GetStatus() { return 0; }

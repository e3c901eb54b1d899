#include "fx/fade_overlay.h"

#include "render/render_device.h"

FadeOverlay::FadeOverlay() {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device) return;
    if (FAILED(device->CreateVertexBuffer(kVertexCount * sizeof(Vertex), D3DUSAGE_WRITEONLY, kVertexFormat,
                                          D3DPOOL_DEFAULT, vertexBuffer.Receive()))) {
        vertexBuffer.Reset();
    }
}

void FadeOverlay::Render(D3DCOLOR colour) {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device || !vertexBuffer) return;
    const float w = static_cast<float>(RenderDevice::Instance().width);
    const float h = static_cast<float>(RenderDevice::Instance().height);

    BYTE* data = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &data, 0)) || !data) return;
    auto* v = reinterpret_cast<Vertex*>(data);
    v[0] = {0.0f, 0.0f, 0.5f, 1.0f, colour};
    v[1] = {w, h, 0.0f, 1.0f, colour};
    v[2] = {0.0f, h, 0.0f, 1.0f, colour};
    v[3] = {0.0f, 0.0f, 0.5f, 1.0f, colour};
    v[4] = {w, 0.0f, 0.5f, 1.0f, colour};
    v[5] = {w, h, 0.5f, 1.0f, colour};
    vertexBuffer->Unlock();

    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);

    device->SetStreamSource(0, vertexBuffer.Get(), sizeof(Vertex));
    device->SetVertexShader(kVertexFormat);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);

    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
}

#include "fx/screen_image.h"

#include "app/error_reporter.h"
#include "platform/d3dx/d3dx8tex.h"
#include "render/render_device.h"

ScreenImage::ScreenImage() {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device) return;
    if (FAILED(device->CreateVertexBuffer(kVertexCount * sizeof(Vertex), D3DUSAGE_WRITEONLY, kVertexFormat,
                                          D3DPOOL_DEFAULT, vertexBuffer.Receive()))) {
        vertexBuffer.Reset();
    }
}

ScreenImage::~ScreenImage() {
    texture.Reset();
    vertexBuffer.Reset();
}

HRESULT ScreenImage::Load(const char* fileName) {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device || !fileName || FAILED(D3DXCreateTextureFromFileA(device, fileName, texture.Receive()))) {
        texture.Reset();
        ErrorReporter::Instance().SetDetail(fileName ? fileName : "");
        return E_FAIL;
    }
    return S_OK;
}

void ScreenImage::Render(DWORD alpha) {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device || !vertexBuffer) return;
    const float w = static_cast<float>(RenderDevice::Instance().width);
    const float h = static_cast<float>(RenderDevice::Instance().height);
    const D3DCOLOR colour = ((alpha & 0xFF) << 24) | 0x00FFFFFF;

    BYTE* data = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &data, 0)) || !data) return;
    auto* v = reinterpret_cast<Vertex*>(data);
    v[0] = {0.0f, 0.0f, 0.0f, 1.0f, colour, 0.0f, 0.0f};
    v[1] = {w, h, 0.0f, 1.0f, colour, 1.0f, 1.0f};
    v[2] = {0.0f, h, 0.0f, 1.0f, colour, 0.0f, 1.0f};
    v[3] = {0.0f, 0.0f, 0.0f, 1.0f, colour, 0.0f, 0.0f};
    v[4] = {w, 0.0f, 0.0f, 1.0f, colour, 1.0f, 0.0f};
    v[5] = {w, h, 0.0f, 1.0f, colour, 1.0f, 1.0f};
    vertexBuffer->Unlock();

    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetTexture(0, texture.Get());
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);

    device->SetVertexShader(kVertexFormat);
    device->SetStreamSource(0, vertexBuffer.Get(), sizeof(Vertex));
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);

    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
}

#include "fx/sprite.h"

#include "platform/d3dx/d3dx8tex.h"
#include "render/render_device.h"

Sprite::Sprite()
    : rotationCentre(static_cast<float>(RenderDevice::Instance().width) * 0.5f,
                     static_cast<float>(RenderDevice::Instance().height) * 0.5f) {}

HRESULT Sprite::Load(const char* fileName) {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device || !fileName) return E_FAIL;
    if (FAILED(D3DXCreateSprite(device, sprite.Receive()))) return E_FAIL;
    if (FAILED(D3DXCreateTextureFromFileA(device, fileName, texture.Receive()))) return E_FAIL;
    return S_OK;
}

HRESULT Sprite::Draw() {
    if (!sprite || !texture) return E_FAIL;
    return sprite->Draw(texture.Get(), nullptr, &scaling, &rotationCentre, rotation, &translation, colour);
}

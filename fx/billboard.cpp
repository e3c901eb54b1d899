#include "fx/billboard.h"

#include "platform/d3dx/d3dx8tex.h"
#include "render/render_device.h"

Billboard::~Billboard() = default;

HRESULT Billboard::Load(const char* fileName, float newSize) {
    size = newSize;
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device || !fileName) return E_FAIL;
    if (FAILED(D3DXCreateTextureFromFileA(device, fileName, texture.Receive()))) {
        texture.Reset();
        return E_FAIL;
    }
    if (FAILED(device->CreateVertexBuffer(kBillboardQuadBytes, 0, kBillboardVertexFormat, D3DPOOL_DEFAULT,
                                          vertexBuffer.Receive()))) {
        vertexBuffer.Reset();
        return E_FAIL;
    }
    if (FAILED(WriteBillboardQuad(vertexBuffer.Get(), size))) return E_FAIL;
    return S_OK;
}

BillboardInstance::BillboardInstance(const Billboard& billboard) : billboard(billboard) {}

BillboardInstance::~BillboardInstance() = default;

HRESULT BillboardInstance::Render(const Camera& camera, DWORD additive, float red, float green, float blue,
                                  float alpha) {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device) return S_OK;

    world = BeginFacingQuads(device, camera, additive, billboard.Texture(), billboard.VertexBuffer());

    D3DMATERIAL8 material{};
    material.Diffuse = {red, green, blue, alpha};
    material.Ambient = material.Diffuse;
    device->SetMaterial(&material);

    world._41 = position.x;
    world._42 = position.y;
    world._43 = position.z;
    device->SetTransform(D3DTS_WORLD, &world);

    // A billboard whose load failed has no buffer to draw from.
    if (billboard.VertexBuffer()) device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);

    EndFacingQuads(device);
    return S_OK;
}

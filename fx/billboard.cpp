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

    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetTransform(D3DTS_PROJECTION, &camera.Projection());
    device->SetTransform(D3DTS_VIEW, &camera.View());
    device->SetRenderState(D3DRS_SRCBLEND, additive ? D3DBLEND_ONE : D3DBLEND_SRCCOLOR);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);

    device->SetTexture(0, billboard.Texture());
    device->SetStreamSource(0, billboard.VertexBuffer(), sizeof(BillboardVertex));
    device->SetVertexShader(kBillboardVertexFormat);

    D3DXMatrixRotationZ(&world, BillboardYaw(camera));

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

    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetTexture(0, nullptr);
    return S_OK;
}

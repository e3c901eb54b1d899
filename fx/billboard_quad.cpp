#include "fx/billboard_quad.h"

#include "fx/camera.h"

HRESULT WriteBillboardQuad(IDirect3DVertexBuffer8* buffer, float size) {
    if (!buffer) return E_FAIL;
    BYTE* data = nullptr;
    if (FAILED(buffer->Lock(0, kBillboardQuadBytes, &data, 0)) || !data) return E_FAIL;
    const float half = size * 0.5f;
    auto* v = reinterpret_cast<BillboardVertex*>(data);
    v[0] = {0.0f, half, -half, 0.0f, 0.0f};
    v[1] = {0.0f, half, half, 0.0f, 1.0f};
    v[2] = {0.0f, -half, -half, 1.0f, 0.0f};
    v[3] = {0.0f, -half, half, 1.0f, 1.0f};
    return buffer->Unlock();
}

D3DXMATRIX BeginFacingQuads(IDirect3DDevice8* device, const Camera& camera, DWORD additive,
                            IDirect3DTexture8* texture, IDirect3DVertexBuffer8* quad) {
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetTransform(D3DTS_PROJECTION, &camera.Projection());
    device->SetTransform(D3DTS_VIEW, &camera.View());
    device->SetRenderState(D3DRS_SRCBLEND, additive ? D3DBLEND_ONE : D3DBLEND_SRCCOLOR);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);

    device->SetTexture(0, texture);
    device->SetStreamSource(0, quad, sizeof(BillboardVertex));
    device->SetVertexShader(kBillboardVertexFormat);

    D3DXMATRIX world;
    D3DXMatrixRotationZ(&world, BillboardYaw(camera));
    return world;
}

void EndFacingQuads(IDirect3DDevice8* device) {
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetTexture(0, nullptr);
}

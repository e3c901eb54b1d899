#include "fx/billboard_quad.h"

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

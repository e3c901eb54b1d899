#include "scene/bounding_volume.h"

#include "platform/com/com_ptr.h"

namespace {

// Locks the mesh's vertex buffer around compute(data, count, fvf).
template <class Compute>
HRESULT WithVertices(ID3DXMesh* mesh, Compute compute) {
    if (!mesh) return E_INVALIDARG;
    ComPtr<IDirect3DVertexBuffer8> buffer;
    HRESULT hr = mesh->GetVertexBuffer(buffer.Receive());
    if (FAILED(hr)) return hr;
    if (!buffer) return E_FAIL;
    BYTE* data = nullptr;
    hr = buffer->Lock(0, 0, &data, 0);
    if (FAILED(hr)) return hr;
    hr = compute(data, mesh->GetNumVertices(), mesh->GetFVF());
    buffer->Unlock();
    return hr;
}

}  // namespace

HRESULT BoundingBox::Compute(ID3DXMesh* mesh) {
    return WithVertices(mesh, [this](const BYTE* data, DWORD count, DWORD fvf) {
        return D3DXComputeBoundingBox(data, count, fvf, &min, &max);
    });
}

HRESULT BoundingSphere::Compute(ID3DXMesh* mesh) {
    return WithVertices(mesh, [this](const BYTE* data, DWORD count, DWORD fvf) {
        return D3DXComputeBoundingSphere(data, count, fvf, &centre, &radius);
    });
}

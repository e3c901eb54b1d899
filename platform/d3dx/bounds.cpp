// Bounding box and sphere of the positions of a vertex array.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3dx/d3dx8mesh.h"
#include "platform/gpu/fvf.h"

namespace {

D3DXVECTOR3 PositionAt(const void* points, UINT stride, DWORD i) {
    float p[3];
    std::memcpy(p, static_cast<const BYTE*>(points) + static_cast<size_t>(i) * stride, sizeof p);
    return D3DXVECTOR3(p[0], p[1], p[2]);
}

}  // namespace

HRESULT D3DXComputeBoundingBox(const void* pointsFVF, DWORD numVertices, DWORD fvf, D3DXVECTOR3* min,
                               D3DXVECTOR3* max) {
    const UINT stride = gpu::FvfVertexSize(fvf);
    if (!pointsFVF || !min || !max || stride == 0 || numVertices == 0) return D3DERR_INVALIDCALL;
    D3DXVECTOR3 low = PositionAt(pointsFVF, stride, 0), high = low;
    for (DWORD i = 1; i < numVertices; ++i) {
        const D3DXVECTOR3 p = PositionAt(pointsFVF, stride, i);
        low = D3DXVECTOR3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
        high = D3DXVECTOR3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
    }
    *min = low;
    *max = high;
    return S_OK;
}

HRESULT D3DXComputeBoundingSphere(const void* pointsFVF, DWORD numVertices, DWORD fvf, D3DXVECTOR3* centre,
                                  float* radius) {
    const UINT stride = gpu::FvfVertexSize(fvf);
    if (!pointsFVF || !centre || !radius || stride == 0 || numVertices == 0) return D3DERR_INVALIDCALL;
    double sum[3] = {0, 0, 0};
    for (DWORD i = 0; i < numVertices; ++i) {
        const D3DXVECTOR3 p = PositionAt(pointsFVF, stride, i);
        sum[0] += p.x;
        sum[1] += p.y;
        sum[2] += p.z;
    }
    const D3DXVECTOR3 mean(static_cast<float>(sum[0] / numVertices), static_cast<float>(sum[1] / numVertices),
                           static_cast<float>(sum[2] / numVertices));
    double largest = 0;
    for (DWORD i = 0; i < numVertices; ++i) {
        const D3DXVECTOR3 p = PositionAt(pointsFVF, stride, i);
        const double dx = p.x - mean.x, dy = p.y - mean.y, dz = p.z - mean.z;
        largest = std::max(largest, dx * dx + dy * dy + dz * dz);
    }
    *centre = mean;
    *radius = static_cast<float>(std::sqrt(largest));
    return S_OK;
}

// The camera-facing square shared by billboards and particles: four XYZ | TEX1 vertices in the
// local plane x = 0, facing +X, drawn as one triangle strip of two triangles.
#pragma once

#include "platform/math/d3dx8math.h"
#include "platform/gpu/d3d8.h"

struct BillboardVertex {
    float x, y, z;
    float u, v;
};

static_assert(sizeof(BillboardVertex) == 20);

constexpr DWORD kBillboardVertexFormat = D3DFVF_XYZ | D3DFVF_TEX1;  // 0x102
constexpr UINT kBillboardQuadVertices = 4;
constexpr UINT kBillboardQuadBytes = kBillboardQuadVertices * sizeof(BillboardVertex);  // 80

// Locks the first 80 bytes of buffer and writes the square of edge length size, centred on the
// origin: (0, h, -h; 0, 0), (0, h, h; 0, 1), (0, -h, -h; 1, 0), (0, -h, h; 1, 1) with h = size / 2.
HRESULT WriteBillboardQuad(IDirect3DVertexBuffer8* buffer, float size);

class Camera;

// The states both draw camera-facing quads with, in this order: depth writes off; the camera's
// projection and view; SRCBLEND ONE when additive, else SRCCOLOR; DESTBLEND ONE; blending on;
// the texture on stage 0; the quad buffer on stream 0; the quad's vertex format. Returns the
// world matrix turned about Z by the camera's billboard yaw, whose translation row the caller
// fills per quad.
D3DXMATRIX BeginFacingQuads(IDirect3DDevice8* device, const Camera& camera, DWORD additive,
                            IDirect3DTexture8* texture, IDirect3DVertexBuffer8* quad);
// What they leave behind: identity world, blending off, depth writes on, no texture.
void EndFacingQuads(IDirect3DDevice8* device);

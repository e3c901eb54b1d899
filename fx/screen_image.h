// ScreenImage: one picture stretched over the whole screen, tinted white and faded by an alpha.
// It blends with whatever SRCBLEND and DESTBLEND the device holds when it draws.
#pragma once

#include "platform/com/com_ptr.h"
#include "platform/gpu/d3d8.h"

class ScreenImage {
public:
    static constexpr DWORD kVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x144
    static constexpr UINT kVertexCount = 6;

    struct Vertex {
        float x, y, z, rhw;
        D3DCOLOR diffuse;
        float u, v;
    };

    // Creates the vertex buffer on the render device; a failure leaves an image that draws nothing.
    ScreenImage();
    virtual ~ScreenImage();
    ScreenImage(const ScreenImage&) = delete;
    ScreenImage& operator=(const ScreenImage&) = delete;

    // Loads the picture at its own size with a full mip chain. E_FAIL when it cannot be read; the
    // file name then goes to the error reporter's detail.
    HRESULT Load(const char* fileName);

    // Draws the picture over the render device's width and height with diffuse
    // (alpha << 24) | 0x00FFFFFF, alpha taken from the low 8 bits. Afterwards alpha blending is
    // off and the depth test on; the texture stays bound.
    void Render(DWORD alpha);

    IDirect3DTexture8* Texture() const { return texture.Get(); }
    IDirect3DVertexBuffer8* VertexBuffer() const { return vertexBuffer.Get(); }

private:
    ComPtr<IDirect3DTexture8> texture;
    ComPtr<IDirect3DVertexBuffer8> vertexBuffer;
};

static_assert(sizeof(ScreenImage::Vertex) == 28);

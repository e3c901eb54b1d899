// Billboard: a square image loaded once; BillboardInstance: that image placed at a position of
// its own, turned about Z toward the camera and blended over the picture.
#pragma once

#include "fx/billboard_quad.h"
#include "fx/camera.h"
#include "platform/math/d3dx8math.h"
#include "platform/com/com_ptr.h"
#include "platform/gpu/d3d8.h"

class Billboard {
public:
    Billboard() = default;
    Billboard(const Billboard&) = delete;
    Billboard& operator=(const Billboard&) = delete;
    // Releases the texture, then the vertex buffer.
    virtual ~Billboard();

    // Stores size, creates the texture from the image file and the 80-byte quad buffer and
    // writes the quad. E_FAIL when the texture or the buffer cannot be created.
    HRESULT Load(const char* fileName, float size);

    float Size() const { return size; }
    IDirect3DVertexBuffer8* VertexBuffer() const { return vertexBuffer.Get(); }
    IDirect3DTexture8* Texture() const { return texture.Get(); }

private:
    float size = 0.0f;
    // Declared in this order so that destruction releases the texture first.
    ComPtr<IDirect3DVertexBuffer8> vertexBuffer;
    ComPtr<IDirect3DTexture8> texture;
};

class BillboardInstance {
public:
    // Refers to billboard, which must outlive the instance; the position starts at the origin.
    explicit BillboardInstance(const Billboard& billboard);
    virtual ~BillboardInstance();

    // Draws the billboard at position, facing the camera, with the colour as its material:
    // source blend ONE when additive is non-zero, else SRCCOLOR; destination blend ONE.
    // Afterwards blending is off, depth writes are on, no texture is bound and the world
    // transform is the identity. Returns 0.
    HRESULT Render(const Camera& camera, DWORD additive, float red, float green, float blue, float alpha);

private:
    const Billboard& billboard;
    D3DXMATRIX world;

public:
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
};

// FadeOverlay: covers the whole screen with one colour blended by its alpha (0 leaves the
// picture, 255 replaces it). Scenes draw it last, with the alpha taken from a Ramp.
#pragma once

#include "platform/com/com_ptr.h"
#include "platform/gpu/d3d8.h"

class FadeOverlay {
public:
    static constexpr DWORD kVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;  // 0x44
    static constexpr UINT kVertexCount = 6;

    struct Vertex {
        float x, y, z, rhw;
        D3DCOLOR diffuse;
    };

    // Creates the vertex buffer on the render device; a failure leaves an overlay that draws nothing.
    FadeOverlay();
    FadeOverlay(const FadeOverlay&) = delete;
    FadeOverlay& operator=(const FadeOverlay&) = delete;

    // Blends colour (ARGB) over the render device's whole width and height. Afterwards alpha
    // blending is off and the depth test on; the other states it set stay.
    void Render(D3DCOLOR colour);

    IDirect3DVertexBuffer8* VertexBuffer() const { return vertexBuffer.Get(); }

private:
    ComPtr<IDirect3DVertexBuffer8> vertexBuffer;
};

static_assert(sizeof(FadeOverlay::Vertex) == 20);

// An overlay colour: rgb (0xRRGGBB) under the alpha, clamped to 0..255, in the top byte.
constexpr D3DCOLOR OverlayColour(int alpha, D3DCOLOR rgb) {
    const int clamped = alpha < 0 ? 0 : (alpha > 255 ? 255 : alpha);
    return (static_cast<D3DCOLOR>(clamped) << 24) | (rgb & 0x00FFFFFFu);
}

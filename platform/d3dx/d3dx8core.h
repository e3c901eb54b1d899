// The 2D sprite interface of the D3DX 8 helper library: textured screen-space rectangles drawn
// with a scale, a rotation about a centre, a translation and a colour, alpha-blended.
#pragma once

#include "platform/math/d3dx8math.h"
#include "platform/gpu/d3d8.h"

class ID3DXSprite : public IUnknown {
public:
    virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
    // Saves the device states the sprite changes and sets its own; End restores the saved ones.
    // Draws between Begin and End share one save and restore; a draw outside them does its own.
    virtual HRESULT Begin() = 0;
    // The source rectangle (null: the whole texture) as a screen rectangle of its size x scaling
    // (null: 1, 1), rotated by `rotation` radians about `rotationCenter` (null: the origin),
    // moved by `translation` (null: none); texels x colour, blended with SRCALPHA/INVSRCALPHA.
    // Pixel (x, y) is covered when x, y lie inside the transformed rectangle: a 2 x 2 sprite at
    // translation (10, 20) covers pixels 10..11 and 20..21.
    virtual HRESULT Draw(IDirect3DTexture8* texture, const RECT* srcRect, const D3DXVECTOR2* scaling,
                         const D3DXVECTOR2* rotationCenter, float rotation, const D3DXVECTOR2* translation,
                         D3DCOLOR colour) = 0;
    // The source rectangle, with its top-left at the origin, transformed by the 2D part of
    // `transform` (rows 0, 1 and 3; null: identity).
    virtual HRESULT DrawTransform(IDirect3DTexture8* texture, const RECT* srcRect, const D3DXMATRIX* transform,
                                  D3DCOLOR colour) = 0;
    virtual HRESULT End() = 0;
};

// D3DERR_INVALIDCALL without a device or an out pointer.
HRESULT D3DXCreateSprite(IDirect3DDevice8* device, ID3DXSprite** sprite);

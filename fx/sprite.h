// Sprite: an image drawn at a pixel position with a scale and a colour through the helper
// library's sprite interface. Scenes write the public fields between draws.
#pragma once

#include "platform/d3dx/d3dx8core.h"
#include "platform/math/d3dx8math.h"
#include "platform/com/com_ptr.h"
#include "platform/gpu/d3d8.h"

class Sprite {
public:
    // Scaling (2.5, 2), rotation centre at the middle of the render device's screen, no rotation,
    // no translation, white.
    Sprite();
    // Releases the sprite interface and the texture.
    virtual ~Sprite() = default;
    Sprite(const Sprite&) = delete;
    Sprite& operator=(const Sprite&) = delete;

    // Creates the sprite interface, then the texture from the file; E_FAIL if either fails.
    HRESULT Load(const char* fileName);
    // The whole texture at its size x scaling, rotated about the centre, moved by the translation,
    // texels x colour, alpha-blended; the device states it changes are restored. E_FAIL before a
    // successful Load.
    HRESULT Draw();

    ID3DXSprite* Interface() const { return sprite.Get(); }
    IDirect3DTexture8* Texture() const { return texture.Get(); }

private:
    ComPtr<ID3DXSprite> sprite;
    ComPtr<IDirect3DTexture8> texture;

public:
    D3DXVECTOR2 scaling{2.5f, 2.0f};
    D3DXVECTOR2 rotationCentre;
    float rotation = 0.0f;
    D3DXVECTOR2 translation{0.0f, 0.0f};
    D3DCOLOR colour = 0xFFFFFFFF;
};

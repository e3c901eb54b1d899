// The sprite object: two recorded state blocks (the sprite's own states and a save slot for the
// caller's values of the same states) and a draw of four pre-transformed vertices from memory.
#include <memory>
#include <new>

#include "platform/d3dx/d3dx8core.h"
#include "platform/com/com_ptr.h"
#include "platform/com/ref_counted.h"

namespace d3dx {
namespace {

constexpr DWORD kVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct SpriteVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
};

// Every state the sprite's draw depends on, set to the sprite's values. Recorded once as the
// sprite's own states and once as the slot that saves the caller's values of the same states.
void SetSpriteStates(IDirect3DDevice8* device) {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    device->SetRenderState(D3DRS_CLIPPING, TRUE);
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
    device->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
    device->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE);

    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);

    // The draw binds the texture and the format and, drawing from memory, unbinds stream 0.
    device->SetTexture(0, nullptr);
    device->SetVertexShader(kVertexFormat);
    device->SetStreamSource(0, nullptr, 0);
}

HRESULT RecordSpriteStates(IDirect3DDevice8* device, DWORD* token) {
    HRESULT hr = device->BeginStateBlock();
    if (FAILED(hr)) return hr;
    SetSpriteStates(device);
    return device->EndStateBlock(token);
}

class Sprite final : public RefCounted<ID3DXSprite> {
public:
    static HRESULT Create(IDirect3DDevice8* device, Sprite** out) {
        std::unique_ptr<Sprite> sprite(new (std::nothrow) Sprite(device));
        if (!sprite) return E_OUTOFMEMORY;
        // Recording only records: the device keeps the caller's values.
        HRESULT hr = RecordSpriteStates(device, &sprite->saved_);
        if (SUCCEEDED(hr)) hr = RecordSpriteStates(device, &sprite->drawing_);
        if (FAILED(hr)) return hr;
        *out = sprite.release();
        return S_OK;
    }

    ~Sprite() override {
        if (begun_) End();
        if (saved_) device_->DeleteStateBlock(saved_);
        if (drawing_) device_->DeleteStateBlock(drawing_);
    }

    HRESULT GetDevice(IDirect3DDevice8** device) override {
        if (!device) return D3DERR_INVALIDCALL;
        *device = device_.Get();
        device_->AddRef();
        return S_OK;
    }

    HRESULT Begin() override {
        if (begun_) return D3DERR_INVALIDCALL;
        HRESULT hr = device_->CaptureStateBlock(saved_);
        if (SUCCEEDED(hr)) hr = device_->ApplyStateBlock(drawing_);
        if (FAILED(hr)) return hr;
        begun_ = true;
        return S_OK;
    }

    HRESULT End() override {
        if (!begun_) return D3DERR_INVALIDCALL;
        begun_ = false;
        return device_->ApplyStateBlock(saved_);
    }

    HRESULT Draw(IDirect3DTexture8* texture, const RECT* srcRect, const D3DXVECTOR2* scaling,
                 const D3DXVECTOR2* rotationCenter, float rotation, const D3DXVECTOR2* translation,
                 D3DCOLOR colour) override {
        // p' = ((p x scaling) - centre) rotated + centre + translation, as row-vector matrices.
        D3DXMATRIX transform, step;
        D3DXMatrixScaling(&transform, scaling ? scaling->x : 1.0f, scaling ? scaling->y : 1.0f, 1.0f);
        const D3DXVECTOR2 centre = rotationCenter ? *rotationCenter : D3DXVECTOR2(0.0f, 0.0f);
        D3DXMatrixTranslation(&step, -centre.x, -centre.y, 0.0f);
        D3DXMatrixMultiply(&transform, &transform, &step);
        D3DXMatrixRotationZ(&step, rotation);
        D3DXMatrixMultiply(&transform, &transform, &step);
        const D3DXVECTOR2 move = translation ? *translation : D3DXVECTOR2(0.0f, 0.0f);
        D3DXMatrixTranslation(&step, centre.x + move.x, centre.y + move.y, 0.0f);
        D3DXMatrixMultiply(&transform, &transform, &step);
        return DrawTransform(texture, srcRect, &transform, colour);
    }

    HRESULT DrawTransform(IDirect3DTexture8* texture, const RECT* srcRect, const D3DXMATRIX* transform,
                          D3DCOLOR colour) override {
        if (!texture) return D3DERR_INVALIDCALL;
        D3DSURFACE_DESC desc{};
        HRESULT hr = texture->GetLevelDesc(0, &desc);
        if (FAILED(hr)) return hr;
        if (desc.Width == 0 || desc.Height == 0) return D3DERR_INVALIDCALL;
        const RECT whole{0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
        const RECT& rect = srcRect ? *srcRect : whole;
        if (rect.right <= rect.left || rect.bottom <= rect.top) return D3DERR_INVALIDCALL;

        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        const D3DXMATRIX& m = transform ? *transform : identity;
        const float w = static_cast<float>(rect.right - rect.left);
        const float h = static_cast<float>(rect.bottom - rect.top);
        const float u0 = static_cast<float>(rect.left) / static_cast<float>(desc.Width);
        const float v0 = static_cast<float>(rect.top) / static_cast<float>(desc.Height);
        const float u1 = static_cast<float>(rect.right) / static_cast<float>(desc.Width);
        const float v1 = static_cast<float>(rect.bottom) / static_cast<float>(desc.Height);

        // Corners as a strip: top-left, top-right, bottom-left, bottom-right. Pixel centres lie on
        // whole coordinates, so the rectangle's edges move back by half a pixel.
        const float corners[4][4] = {{0.0f, 0.0f, u0, v0}, {w, 0.0f, u1, v0}, {0.0f, h, u0, v1}, {w, h, u1, v1}};
        SpriteVertex vertices[4];
        for (int i = 0; i < 4; ++i) {
            const float x = corners[i][0], y = corners[i][1];
            vertices[i] = {x * m._11 + y * m._21 + m._41 - 0.5f, x * m._12 + y * m._22 + m._42 - 0.5f, 0.0f, 1.0f,
                           colour, corners[i][2], corners[i][3]};
        }

        const bool ownBracket = !begun_;
        if (ownBracket) {
            hr = Begin();
            if (FAILED(hr)) return hr;
        }
        device_->SetTexture(0, texture);
        device_->SetVertexShader(kVertexFormat);
        hr = device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, vertices, sizeof(SpriteVertex));
        if (ownBracket) End();
        return hr;
    }

private:
    explicit Sprite(IDirect3DDevice8* device) : device_(device) { device_->AddRef(); }

    ComPtr<IDirect3DDevice8> device_;
    DWORD saved_ = 0;
    DWORD drawing_ = 0;
    bool begun_ = false;
};

}  // namespace
}  // namespace d3dx

HRESULT D3DXCreateSprite(IDirect3DDevice8* device, ID3DXSprite** sprite) {
    if (!device || !sprite) return D3DERR_INVALIDCALL;
    *sprite = nullptr;
    d3dx::Sprite* created = nullptr;
    const HRESULT hr = d3dx::Sprite::Create(device, &created);
    if (FAILED(hr)) return hr;
    *sprite = created;
    return S_OK;
}

// A device that only makes vertex and index buffers, in memory: enough for the helper library's
// meshes, and a way to make a mesh's in-place rewrite fail while reading it and copying it still
// work. Once Arm() is called, a buffer takes one writing lock in its life: a further lock without
// D3DLOCK_READONLY fails, as for a buffer the driver cannot rewrite. Anything else answers
// E_NOTIMPL.
#pragma once

#include <vector>

#include "platform/gpu/d3d8.h"
#include "platform/com/ref_counted.h"

namespace scenetest {

class WriteOnceDevice : public RefCounted<IDirect3DDevice8> {
public:
    void Arm() { armed_ = true; }
    int RefusedWrites() const { return refused_; }

    HRESULT CreateVertexBuffer(UINT length, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer8** buffer) override {
        *buffer = new Buffer<IDirect3DVertexBuffer8, D3DVERTEXBUFFER_DESC>(this, length, D3DRTYPE_VERTEXBUFFER);
        return S_OK;
    }
    HRESULT CreateIndexBuffer(UINT length, DWORD, D3DFORMAT, D3DPOOL, IDirect3DIndexBuffer8** buffer) override {
        *buffer = new Buffer<IDirect3DIndexBuffer8, D3DINDEXBUFFER_DESC>(this, length, D3DRTYPE_INDEXBUFFER);
        return S_OK;
    }

    HRESULT TestCooperativeLevel() override { return E_NOTIMPL; }
    HRESULT GetDeviceCaps(D3DCAPS8*) override { return E_NOTIMPL; }
    HRESULT GetDisplayMode(D3DDISPLAYMODE*) override { return E_NOTIMPL; }
    BOOL ShowCursor(BOOL) override { return FALSE; }
    HRESULT Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return E_NOTIMPL; }
    HRESULT BeginScene() override { return E_NOTIMPL; }
    HRESULT EndScene() override { return E_NOTIMPL; }
    HRESULT Present(const RECT*, const RECT*, HWND, const void*) override { return E_NOTIMPL; }
    HRESULT SetViewport(const D3DVIEWPORT8*) override { return E_NOTIMPL; }
    HRESULT GetViewport(D3DVIEWPORT8*) override { return E_NOTIMPL; }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return E_NOTIMPL; }
    HRESULT GetRenderState(D3DRENDERSTATETYPE, DWORD*) override { return E_NOTIMPL; }
    HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return E_NOTIMPL; }
    HRESULT GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*) override { return E_NOTIMPL; }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return E_NOTIMPL; }
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return E_NOTIMPL; }
    HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return E_NOTIMPL; }
    HRESULT SetMaterial(const D3DMATERIAL8*) override { return E_NOTIMPL; }
    HRESULT GetMaterial(D3DMATERIAL8*) override { return E_NOTIMPL; }
    HRESULT SetLight(DWORD, const D3DLIGHT8*) override { return E_NOTIMPL; }
    HRESULT GetLight(DWORD, D3DLIGHT8*) override { return E_NOTIMPL; }
    HRESULT LightEnable(DWORD, BOOL) override { return E_NOTIMPL; }
    HRESULT GetLightEnable(DWORD, BOOL*) override { return E_NOTIMPL; }
    HRESULT SetTexture(DWORD, IDirect3DBaseTexture8*) override { return E_NOTIMPL; }
    HRESULT GetTexture(DWORD, IDirect3DBaseTexture8**) override { return E_NOTIMPL; }
    HRESULT SetVertexShader(DWORD) override { return E_NOTIMPL; }
    HRESULT GetVertexShader(DWORD*) override { return E_NOTIMPL; }
    HRESULT SetStreamSource(UINT, IDirect3DVertexBuffer8*, UINT) override { return E_NOTIMPL; }
    HRESULT SetIndices(IDirect3DIndexBuffer8*, UINT) override { return E_NOTIMPL; }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override { return E_NOTIMPL; }
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE, UINT, UINT, UINT, UINT) override { return E_NOTIMPL; }
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override { return E_NOTIMPL; }
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT, const void*,
                                   UINT) override {
        return E_NOTIMPL;
    }
    HRESULT CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture8**) override {
        return E_NOTIMPL;
    }
    HRESULT BeginStateBlock() override { return E_NOTIMPL; }
    HRESULT EndStateBlock(DWORD*) override { return E_NOTIMPL; }
    HRESULT ApplyStateBlock(DWORD) override { return E_NOTIMPL; }
    HRESULT CaptureStateBlock(DWORD) override { return E_NOTIMPL; }
    HRESULT DeleteStateBlock(DWORD) override { return E_NOTIMPL; }
    HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE, DWORD*) override { return E_NOTIMPL; }
    HRESULT ReadBackBuffer(std::vector<std::uint32_t>&, UINT&, UINT&) override { return E_NOTIMPL; }
    void OverrideDeviceCaps(const D3DCAPS8&) override {}
    void GetDrawStats(D3DDRAWSTATS*) override {}
    void ResetDrawStats() override {}

private:
    template <class Interface, class Desc>
    class Buffer : public RefCounted<Interface> {
    public:
        Buffer(WriteOnceDevice* device, UINT length, D3DRESOURCETYPE type)
            : device_(device), bytes_(length), type_(type) {
            device_->AddRef();
        }
        ~Buffer() override { device_->Release(); }
        HRESULT Lock(UINT offset, UINT, BYTE** data, DWORD flags) override {
            if (locked_ || offset > bytes_.size()) return D3DERR_INVALIDCALL;
            if (!(flags & D3DLOCK_READONLY) && writes_++ > 0 && device_->armed_) {
                ++device_->refused_;
                return D3DERR_INVALIDCALL;
            }
            locked_ = true;
            *data = bytes_.data() + offset;
            return S_OK;
        }
        HRESULT Unlock() override {
            if (!locked_) return D3DERR_INVALIDCALL;
            locked_ = false;
            return S_OK;
        }
        HRESULT GetDesc(Desc* desc) override {
            *desc = Desc{};
            desc->Type = type_;
            desc->Size = static_cast<UINT>(bytes_.size());
            return S_OK;
        }
        HRESULT GetDevice(IDirect3DDevice8** device) override {
            device_->AddRef();
            *device = device_;
            return S_OK;
        }
        D3DRESOURCETYPE GetType() override { return type_; }

    private:
        WriteOnceDevice* device_;  // one reference, held for the buffer's life
        std::vector<BYTE> bytes_;
        D3DRESOURCETYPE type_;
        bool locked_ = false;
        int writes_ = 0;
    };

    bool armed_ = false;
    int refused_ = 0;
};

}  // namespace scenetest

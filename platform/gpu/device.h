// Device: the Direct3D-shaped front. It validates calls, keeps the state as plain values, and
// hands draws to the OpenGL back end (Renderer) together with what changed.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "platform/gpu/buffer.h"
#include "platform/com/com_ptr.h"
#include "platform/gpu/d3d8.h"
#include "platform/gpu/device_state.h"
#include "platform/gpu/gl_shared.h"
#include "platform/com/ref_counted.h"
#include "platform/gpu/renderer.h"
#include "platform/gpu/state_block.h"
#include "platform/gpu/texture.h"

namespace gpu {

// Capabilities of this device; maxTextureSize comes from OpenGL.
D3DCAPS8 DeviceCaps(D3DDEVTYPE type, DWORD maxTextureSize);

class Device final : public RefCounted<IDirect3DDevice8> {
public:
    Device(IDirect3D8* parent, D3DDEVTYPE type, std::shared_ptr<GlShared> gl, std::unique_ptr<Renderer> renderer);

    HRESULT TestCooperativeLevel() override { return S_OK; }
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override;
    BOOL ShowCursor(BOOL show) override;

    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride, const void* dirtyRegion) override;

    HRESULT SetViewport(const D3DVIEWPORT8* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT SetMaterial(const D3DMATERIAL8* material) override;
    HRESULT GetMaterial(D3DMATERIAL8* material) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT8* light) override;
    HRESULT GetLight(DWORD index, D3DLIGHT8* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT GetLightEnable(DWORD index, BOOL* enable) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override;
    HRESULT SetVertexShader(DWORD fvf) override;
    HRESULT GetVertexShader(DWORD* fvf) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) override;

    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                                 UINT primitiveCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) override;
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT primitiveCount,
                                   const void* indices, D3DFORMAT indexFormat, const void* vertices, UINT stride) override;

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** texture) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer8** buffer) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** buffer) override;

    HRESULT BeginStateBlock() override;
    HRESULT EndStateBlock(DWORD* token) override;
    HRESULT ApplyStateBlock(DWORD token) override;
    HRESULT CaptureStateBlock(DWORD token) override;
    HRESULT DeleteStateBlock(DWORD token) override;
    HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE type, DWORD* token) override;

    HRESULT ReadBackBuffer(std::vector<std::uint32_t>& pixels, UINT& width, UINT& height) override;
    void OverrideDeviceCaps(const D3DCAPS8& caps) override { caps_ = caps; }
    void GetDrawStats(D3DDRAWSTATS* stats) override;
    void ResetDrawStats() override;

private:
    struct FieldOps;
    static const com::EnumTable<StateField, FieldOps> kFieldOps;
    // Whether a value equal to the current one is stored again (and the renderer told) or skipped.
    enum class Same { kSkip, kStore };

    ~Device() override;
    template <class Record>
    bool Recorded(StateField field, DWORD entry, Record record);
    template <class T, class Place>
    bool Store(StateField field, DWORD entry, Place place, const T& value, std::uint32_t changing,
               std::uint32_t marked, Same same = Same::kSkip);
    template <class Visit>
    static void ForEachHeld(const StateMask& mask, Visit visit);
    void CaptureInto(StateBlock& block) const;

    // Declared first so that it is destroyed last: resources and the renderer delete GL names through it.
    std::shared_ptr<GlShared> gl_;
    ComPtr<IDirect3D8> parent_;
    std::unique_ptr<Renderer> renderer_;
    DeviceState state_;
    D3DCAPS8 caps_;

    ComPtr<IDirect3DBaseTexture8> textures_[D3D_MAX_TEXTURE_STAGES];
    Texture* stageTextures_[kMaxStages] = {};
    ComPtr<IDirect3DVertexBuffer8> stream_;
    VertexBuffer* streamImpl_ = nullptr;
    UINT stride_ = 0;
    ComPtr<IDirect3DIndexBuffer8> indices_;
    IndexBuffer* indicesImpl_ = nullptr;
    UINT baseVertex_ = 0;

    bool inScene_ = false;
    bool cursorShown_ = true;
    std::unique_ptr<StateBlock> recording_;
    std::map<DWORD, std::unique_ptr<StateBlock>> blocks_;
    DWORD nextToken_ = 1;
};

}  // namespace gpu

// Direct3D 8 style device interfaces: the calls the engine draws with.
//
// Every object is reference counted: the creator hands out one reference, AddRef adds one and
// Release drops one, destroying the object when the count reaches zero. ComPtr (com_ptr.h) holds
// a reference with RAII. All calls are made from the thread that created the device.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/com/unknown.h"
#include "platform/gpu/d3d8types.h"

class IDirect3DDevice8;

class IDirect3DResource8 : public IUnknown {
public:
    virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
    virtual D3DRESOURCETYPE GetType() = 0;
};

class IDirect3DBaseTexture8 : public IDirect3DResource8 {
public:
    virtual DWORD GetLevelCount() = 0;
};

class IDirect3DTexture8 : public IDirect3DBaseTexture8 {
public:
    virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
    // rect null locks the whole level. Pitch is in bytes (for DXT formats: per row of 4x4 blocks).
    virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
    virtual HRESULT UnlockRect(UINT level) = 0;
};

class IDirect3DVertexBuffer8 : public IDirect3DResource8 {
public:
    // size 0 locks from offset to the end.
    virtual HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) = 0;
    virtual HRESULT Unlock() = 0;
    virtual HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) = 0;
};

class IDirect3DIndexBuffer8 : public IDirect3DResource8 {
public:
    virtual HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) = 0;
    virtual HRESULT Unlock() = 0;
    virtual HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) = 0;
};

// Counters of the work submitted since the device was created (or since ResetDrawStats).
struct D3DDRAWSTATS {
    std::uint64_t drawCalls;
    std::uint64_t primitives;
    std::uint64_t submissions;  // draws given to GL (merged draws go out as one)
    std::uint64_t programSwitches;
    std::uint64_t programsBuilt;
    std::uint64_t presents;
};

class IDirect3DDevice8 : public IUnknown {
public:
    virtual HRESULT TestCooperativeLevel() = 0;
    virtual HRESULT GetDeviceCaps(D3DCAPS8* caps) = 0;
    virtual HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) = 0;
    virtual BOOL ShowCursor(BOOL show) = 0;

    virtual HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z,
                          DWORD stencil) = 0;
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                            const void* dirtyRegion) = 0;

    virtual HRESULT SetViewport(const D3DVIEWPORT8* viewport) = 0;
    virtual HRESULT GetViewport(D3DVIEWPORT8* viewport) = 0;

    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;
    virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;
    virtual HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) = 0;

    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
    virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
    // The stored matrix becomes matrix x stored (the given matrix applies first).
    virtual HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;

    virtual HRESULT SetMaterial(const D3DMATERIAL8* material) = 0;
    virtual HRESULT GetMaterial(D3DMATERIAL8* material) = 0;
    virtual HRESULT SetLight(DWORD index, const D3DLIGHT8* light) = 0;
    virtual HRESULT GetLight(DWORD index, D3DLIGHT8* light) = 0;
    virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
    virtual HRESULT GetLightEnable(DWORD index, BOOL* enable) = 0;

    // The device holds a reference to the bound texture while it is bound.
    virtual HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) = 0;
    // Adds a reference to the returned texture (null when none is bound).
    virtual HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) = 0;

    // Fixed-function use only: the handle is a flexible vertex format.
    virtual HRESULT SetVertexShader(DWORD fvf) = 0;
    virtual HRESULT GetVertexShader(DWORD* fvf) = 0;
    virtual HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) = 0;
    virtual HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) = 0;

    virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) = 0;
    virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                                         UINT primitiveCount) = 0;
    virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                                    UINT stride) = 0;
    virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices,
                                           UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                           const void* vertices, UINT stride) = 0;

    virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DTexture8** texture) = 0;
    virtual HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer8** buffer) = 0;
    virtual HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DIndexBuffer8** buffer) = 0;

    virtual HRESULT BeginStateBlock() = 0;
    virtual HRESULT EndStateBlock(DWORD* token) = 0;
    virtual HRESULT ApplyStateBlock(DWORD token) = 0;
    virtual HRESULT CaptureStateBlock(DWORD token) = 0;
    virtual HRESULT DeleteStateBlock(DWORD token) = 0;
    virtual HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE type, DWORD* token) = 0;

    // ---- Extensions of this layer (not part of the published interface) ----

    // Reads the back buffer back as 0xAARRGGBB values, top row first, width*height entries.
    virtual HRESULT ReadBackBuffer(std::vector<std::uint32_t>& pixels, UINT& width, UINT& height) = 0;
    // Replaces the capabilities GetDeviceCaps reports (tests use this to stand in for other hardware).
    virtual void OverrideDeviceCaps(const D3DCAPS8& caps) = 0;
    virtual void GetDrawStats(D3DDRAWSTATS* stats) = 0;
    virtual void ResetDrawStats() = 0;
};

class IDirect3D8 : public IUnknown {
public:
    virtual UINT GetAdapterCount() = 0;
    virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) = 0;
    virtual HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) = 0;
    // HAL with MIXED or HARDWARE vertex processing: the default OpenGL driver of the window.
    // HAL with SOFTWARE vertex processing: a plainer context (no multisampling, no extras).
    // REF: Mesa's software rasteriser. Fails with a negative code when no OpenGL 3.3 core context
    // can be made for the window.
    virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviourFlags,
                                 D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice8** device) = 0;
};

// Returns null when sdkVersion is not D3D_SDK_VERSION.
IDirect3D8* Direct3DCreate8(UINT sdkVersion);

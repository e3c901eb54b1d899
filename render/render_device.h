// RenderDevice: the process-wide owner of the Direct3D device and the frame bracket.
#pragma once

#include "app/display_settings.h"
#include "platform/gpu/d3d8.h"

class RenderDevice {
public:
    static RenderDevice& Instance();
    virtual ~RenderDevice();

    HRESULT Initialize(HWND window, const DisplaySettings& settings, DWORD viewportX, DWORD viewportY,
                       DWORD viewportWidth, DWORD viewportHeight);
    IDirect3DDevice8* GetDevice() const { return device; }
    HRESULT ApplyViewport(bool stored);
    void Clear(D3DCOLOR colour);
    void BeginFrame(bool clearTarget);
    void EndFrame();

    // Back-buffer size in pixels, read by effects and scenes.
    int width = 640;
    int height = 480;

private:
    RenderDevice() = default;
    RenderDevice(const RenderDevice&) = delete;
    RenderDevice& operator=(const RenderDevice&) = delete;

    // One CreateDevice attempt on the default adapter; true when it gave a device.
    bool CreateDevice(D3DDEVTYPE type, DWORD behaviour, D3DPRESENT_PARAMETERS parameters);
    // Releases the device, then the Direct3D object (each only if present).
    void ReleaseInterfaces();

    HWND window = nullptr;
    IDirect3D8* direct3D = nullptr;
    IDirect3DDevice8* device = nullptr;
    int inFrame = 0;
    D3DVIEWPORT8 storedViewport = {0, 0, 640, 480, 0.0f, 1.0f};
};

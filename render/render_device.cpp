// RenderDevice: creates the Direct3D device with its fallbacks and brackets every frame.
#include "render/render_device.h"

#include "app/error_reporter.h"
#include "platform/window/cursor.h"

namespace {

constexpr D3DCOLOR kOpaqueBlack = 0xFF000000;
constexpr D3DCOLOR kBaseAmbient = 0x00AAAAAA;

}  // namespace

RenderDevice& RenderDevice::Instance() {
    static RenderDevice instance;
    return instance;
}

RenderDevice::~RenderDevice() { ReleaseInterfaces(); }

void RenderDevice::ReleaseInterfaces() {
    if (device) device->Release();
    device = nullptr;
    if (direct3D) direct3D->Release();
    direct3D = nullptr;
}

bool RenderDevice::CreateDevice(D3DDEVTYPE type, DWORD behaviour, D3DPRESENT_PARAMETERS parameters) {
    // Each attempt gets its own copy of the parameters, as a failed attempt may have changed them.
    IDirect3DDevice8* created = nullptr;
    if (FAILED(direct3D->CreateDevice(D3DADAPTER_DEFAULT, type, window, behaviour, &parameters, &created)) ||
        !created) {
        return false;
    }
    device = created;
    return true;
}

HRESULT RenderDevice::Initialize(HWND focusWindow, const DisplaySettings& settings, DWORD viewportX,
                                 DWORD viewportY, DWORD viewportWidth, DWORD viewportHeight) {
    // A second call starts over rather than leaking what the first one created.
    ReleaseInterfaces();
    inFrame = 0;

    window = focusWindow;
    direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    if (!direct3D) return E_FAIL;

    D3DDISPLAYMODE desktopMode{};
    if (FAILED(direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktopMode))) return E_FAIL;

    // A back buffer needs at least one pixel each way.
    if (settings.width <= 0 || settings.height <= 0) return E_FAIL;
    width = settings.width;
    height = settings.height;

    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferWidth = static_cast<UINT>(width);
    parameters.BackBufferHeight = static_cast<UINT>(height);
    parameters.BackBufferFormat = settings.colour32 ? D3DFMT_X8R8G8B8 : D3DFMT_R5G6B5;
    parameters.BackBufferCount = 0;
    parameters.MultiSampleType = settings.antialias ? D3DMULTISAMPLE_4_SAMPLES : D3DMULTISAMPLE_NONE;
    parameters.SwapEffect = D3DSWAPEFFECT_COPY;
    parameters.hDeviceWindow = nullptr;
    parameters.Windowed = settings.fullscreen ? FALSE : TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D16;

    if (!CreateDevice(D3DDEVTYPE_HAL, D3DCREATE_MIXED_VERTEXPROCESSING, parameters) &&
        !CreateDevice(D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING, parameters)) {
        ErrorReporter::Instance().Report(window, MessageCode::kSoftwareRendering, Severity::kWarning);
        if (!CreateDevice(D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING, parameters)) return E_FAIL;
    }

    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);

    storedViewport = {viewportX, viewportY, viewportWidth, viewportHeight, 0.0f, 1.0f};
    if (FAILED(ApplyViewport(false))) return E_FAIL;

    // The cursor stays hidden while the show runs (the fallback warning box may have shown it).
    platform::ShowCursor(false);
    device->ShowCursor(FALSE);

    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, kBaseAmbient);
    return S_OK;
}

HRESULT RenderDevice::ApplyViewport(bool stored) {
    if (!device) return E_FAIL;
    D3DVIEWPORT8 viewport = storedViewport;
    if (!stored) {
        viewport.X = 0;
        viewport.Y = 0;
        viewport.Width = static_cast<DWORD>(width);
        viewport.Height = static_cast<DWORD>(height);
    }
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kOpaqueBlack, 1.0f, 0);
    return FAILED(device->SetViewport(&viewport)) ? E_FAIL : S_OK;
}

void RenderDevice::Clear(D3DCOLOR colour) {
    if (!device) return;
    device->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
}

void RenderDevice::BeginFrame(bool clearTarget) {
    if (inFrame != 0 || !device) return;
    const DWORD flags = clearTarget ? (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER) : D3DCLEAR_ZBUFFER;
    device->Clear(0, nullptr, flags, kOpaqueBlack, 1.0f, 0);
    device->BeginScene();
    inFrame = 1;
}

void RenderDevice::EndFrame() {
    if (inFrame != 1 || !device) return;
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    inFrame = 0;
}

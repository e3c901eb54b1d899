// The Direct3D object: adapter queries and device creation on a platform window.
#include "platform/gpu/gl_api.h"

#include <cstdio>
#include <optional>
#include <string>

#include "platform/gpu/device.h"
#include "platform/gpu/gl_limits.h"
#include "platform/gpu/refusal.h"
#include "platform/window/window.h"

namespace gpu {

namespace {

// The texture size the adapter reports before a device exists: what every context the device
// runs on offers (WebGL 2's least). A device reports its context's own GL_MAX_TEXTURE_SIZE.
constexpr auto kAdapterTextureSize = static_cast<DWORD>(kWebGl2Minimum.textureSize);
// The largest back buffer side accepted.
constexpr UINT kMaxBackBufferSide = 16384;

class Direct3D final : public RefCounted<IDirect3D8> {
public:
    UINT GetAdapterCount() override { return 1; }

    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override {
        if (adapter != D3DADAPTER_DEFAULT) return Refuse(Refusal::kGetAdapterDisplayModeAdapter);
        if (!mode) return Refuse(Refusal::kGetAdapterDisplayModeMode);
        *mode = {1024, 768, 60, D3DFMT_X8R8G8B8};
        return S_OK;
    }

    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override {
        if (adapter != D3DADAPTER_DEFAULT) return Refuse(Refusal::kGetAdapterCapsAdapter);
        if (!caps) return Refuse(Refusal::kGetAdapterCapsCaps);
        if (type != D3DDEVTYPE_HAL && type != D3DDEVTYPE_REF) return Refuse(Refusal::kGetAdapterCapsType);
        *caps = DeviceCaps(type, kAdapterTextureSize);
        return S_OK;
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD flags, D3DPRESENT_PARAMETERS* params,
                         IDirect3DDevice8** device) override;
};

bool SupportedBackBuffer(D3DFORMAT f) {
    return f == D3DFMT_X8R8G8B8 || f == D3DFMT_A8R8G8B8 || f == D3DFMT_R5G6B5;
}

HRESULT Direct3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD flags,
                               D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) {
    if (!device) return Refuse(Refusal::kCreateDeviceDevice);
    *device = nullptr;
    if (!params) return Refuse(Refusal::kCreateDeviceParams);
    if (adapter != D3DADAPTER_DEFAULT) return Refuse(Refusal::kCreateDeviceAdapter);
    platform::Window* window = params->hDeviceWindow ? params->hDeviceWindow : focusWindow;
    if (!window) return Refuse(Refusal::kCreateDeviceWindow);
    platform::GlProfile profile;
    if (type == D3DDEVTYPE_REF) {
        profile = platform::GlProfile::Software;
    } else if (type == D3DDEVTYPE_HAL) {
        const DWORD processing = flags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                          D3DCREATE_MIXED_VERTEXPROCESSING);
        if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
            processing != D3DCREATE_MIXED_VERTEXPROCESSING)
            return Refuse(Refusal::kCreateDeviceProcessing);
        profile = processing == D3DCREATE_SOFTWARE_VERTEXPROCESSING ? platform::GlProfile::Plain
                                                                    : platform::GlProfile::Default;
    } else {
        return D3DERR_NOTAVAILABLE;
    }

    D3DPRESENT_PARAMETERS p = *params;
    if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0) {
        int w = 0, h = 0;
        window->ClientSize(w, h);
        if (p.BackBufferWidth == 0) p.BackBufferWidth = static_cast<UINT>(w > 0 ? w : 1);
        if (p.BackBufferHeight == 0) p.BackBufferHeight = static_cast<UINT>(h > 0 ? h : 1);
    }
    if (p.BackBufferFormat == D3DFMT_UNKNOWN && p.Windowed) p.BackBufferFormat = D3DFMT_X8R8G8B8;
    if (!SupportedBackBuffer(p.BackBufferFormat))
        return Refuse(Refusal::kCreateDeviceFormat, std::to_string(static_cast<unsigned>(p.BackBufferFormat)));
    if (p.BackBufferWidth > kMaxBackBufferSide || p.BackBufferHeight > kMaxBackBufferSide)
        return Refuse(Refusal::kCreateDeviceSize);
    if (p.MultiSampleType != D3DMULTISAMPLE_NONE && (p.MultiSampleType < 2 || p.MultiSampleType > 16))
        return Refuse(Refusal::kCreateDeviceMultiSample);

    std::unique_ptr<platform::GlContext> context = window->CreateGlContext(profile);
    if (!context) {
        std::fprintf(stderr, "gpu/direct3d: the window gives no OpenGL 3.3 core or ES 3.0 context, no device\n");
        return D3DERR_NOTAVAILABLE;
    }
    auto gl = std::make_shared<GlShared>(std::move(context));
    // Desktop OpenGL 3.3 core, or OpenGL ES 3.0 (what WebGL 2 is).
    const int version = GlVersion();
    if (version < (gl->es ? 30 : 33)) {
        std::fprintf(stderr, "gpu/direct3d: OpenGL%s %d.%d is older than %s, no device\n", gl->es ? " ES" : "",
                     version / 10, version % 10, gl->es ? "ES 3.0" : "3.3 core");
        return D3DERR_NOTAVAILABLE;
    }
    gl->limits = ReadGlLimits(gl->es);
    if (const std::optional<GlLimits> cap = GlLimitsCap()) gl->limits = Smaller(gl->limits, *cap);
    const GlLimits& limits = gl->limits;
    if (const std::string shortfall = Shortfall(limits); !shortfall.empty()) {
        std::fprintf(stderr, "gpu/direct3d: %s, no device\n", shortfall.c_str());
        return D3DERR_NOTAVAILABLE;
    }
    if (!BackBufferFits(p.BackBufferWidth, p.BackBufferHeight, limits)) {
        std::fprintf(stderr,
                     "gpu/direct3d: a %ux%u back buffer is larger than this GL draws to (GL_MAX_RENDERBUFFER_SIZE %d, "
                     "GL_MAX_VIEWPORT_DIMS %dx%d), no device\n",
                     p.BackBufferWidth, p.BackBufferHeight, limits.renderbufferSize, limits.viewportWidth,
                     limits.viewportHeight);
        return D3DERR_NOTAVAILABLE;
    }
    BackBufferDesc desc;
    desc.width = p.BackBufferWidth;
    desc.height = p.BackBufferHeight;
    desc.format = p.BackBufferFormat;
    desc.samples = profile == platform::GlProfile::Plain ? 0u : static_cast<UINT>(p.MultiSampleType);
    std::unique_ptr<Renderer> renderer = Renderer::Create(gl, desc);
    if (!renderer) {
        std::fprintf(stderr, "gpu/direct3d: the back buffer cannot be made, no device\n");
        return D3DERR_NOTAVAILABLE;
    }
    // Full screen is the desktop's: the window covers the display in its current mode and the
    // back buffer, of the chosen size, is shown scaled with its shape kept. A window that cannot
    // cover the display shows the picture in the window instead.
    if (!p.Windowed && !window->IsHeadless() && !window->EnterFullscreen())
        std::fprintf(stderr, "gpu/direct3d: full screen is not available; the picture stays in the window\n");
    *device = new Device(this, type, std::move(gl), std::move(renderer));
    return S_OK;
}

}  // namespace

}  // namespace gpu

IDirect3D8* Direct3DCreate8(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION) return nullptr;
    return new gpu::Direct3D();
}

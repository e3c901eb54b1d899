// Headless window on EGL's surfaceless platform: contexts without a default framebuffer.
#include "platform/window/headless_window.h"

#include <epoxy/egl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

namespace platform {

namespace {

#ifndef EGL_PLATFORM_SURFACELESS_MESA
#define EGL_PLATFORM_SURFACELESS_MESA 0x31DD
#endif

struct Display {
    EGLDisplay display = EGL_NO_DISPLAY;
    bool noConfig = false;
};

bool HasExtension(const char* list, const char* name) {
    if (!list) return false;
    const std::size_t n = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n) {
        if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
    }
    return false;
}

// The surfaceless display is shared by the whole process and stays initialised until exit (an
// eglTerminate would invalidate the contexts of every other headless window).
const Display& SurfacelessDisplay(GlProfile profile) {
    static Display display;
    static std::once_flag once;
    std::call_once(once, [profile] {
        if (profile == GlProfile::Software) {
            setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
            setenv("MESA_LOADER_DRIVER_OVERRIDE", "swrast", 0);
        }
        const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
        if (!HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless") ||
            !HasExtension(clientExtensions, "EGL_EXT_platform_base")) {
            std::fprintf(stderr, "headless_window: EGL has no surfaceless platform (EGL_MESA_platform_surfaceless)\n");
            return;
        }
        EGLDisplay d = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (d == EGL_NO_DISPLAY) {
            std::fprintf(stderr, "headless_window: eglGetPlatformDisplayEXT failed (0x%x)\n", eglGetError());
            return;
        }
        EGLint major = 0, minor = 0;
        if (!eglInitialize(d, &major, &minor)) {
            std::fprintf(stderr, "headless_window: eglInitialize failed (0x%x)\n", eglGetError());
            return;
        }
        display.display = d;
        display.noConfig = HasExtension(eglQueryString(d, EGL_EXTENSIONS), "EGL_KHR_no_config_context");
    });
    return display;
}

}  // namespace

struct HeadlessWindow::Impl {
    int width = 0;
    int height = 0;
    // Shared with the contexts, which may outlive the window object.
    std::shared_ptr<std::function<void()>> presentHandler = std::make_shared<std::function<void()>>();
};

namespace {

class EglContext : public GlContext {
public:
    EglContext(EGLDisplay display, EGLContext context, std::shared_ptr<std::function<void()>> handler)
        : display_(display), context_(context), handler_(std::move(handler)) {}
    ~EglContext() override {
        if (eglGetCurrentContext() == context_) eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display_, context_);
    }
    bool MakeCurrent() override {
        if (eglGetCurrentContext() == context_) return true;
        return eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) == EGL_TRUE;
    }
    void SwapBuffers() override {
        if (handler_ && *handler_) (*handler_)();
    }
    void DrawableSize(int& width, int& height) const override {
        width = 0;
        height = 0;
    }

private:
    EGLDisplay display_;
    EGLContext context_;
    std::shared_ptr<std::function<void()>> handler_;
};

}  // namespace

HeadlessWindow::HeadlessWindow(int width, int height) : impl_(std::make_unique<Impl>()) {
    impl_->width = width;
    impl_->height = height;
}

HeadlessWindow::~HeadlessWindow() = default;

void HeadlessWindow::ClientSize(int& width, int& height) const {
    width = impl_->width;
    height = impl_->height;
}

void HeadlessWindow::SetPresentHandler(std::function<void()> handler) { *impl_->presentHandler = std::move(handler); }

bool HeadlessWindow::UsesEs() {
    static const bool es = [] {
        const char* api = std::getenv("ORRERY_GL_API");
        if (!api || !*api || std::strcmp(api, "gl") == 0) return false;
        if (std::strcmp(api, "gles") == 0) return true;
        std::fprintf(stderr, "headless_window: ORRERY_GL_API=%s is neither gl nor gles; using desktop OpenGL\n", api);
        return false;
    }();
    return es;
}

std::unique_ptr<GlContext> HeadlessWindow::CreateGlContext(GlProfile profile) {
    const Display& d = SurfacelessDisplay(profile);
    if (d.display == EGL_NO_DISPLAY) return nullptr;
    const bool es = UsesEs();
    const char* what = es ? "OpenGL ES 3.0" : "OpenGL 3.3 core";
    if (!eglBindAPI(es ? EGL_OPENGL_ES_API : EGL_OPENGL_API)) {
        std::fprintf(stderr, "headless_window: eglBindAPI for %s failed (0x%x)\n", what, eglGetError());
        return nullptr;
    }
    EGLConfig config = nullptr;  // EGL_NO_CONFIG_KHR
    if (!d.noConfig) {
        const EGLint want[] = {EGL_RENDERABLE_TYPE, es ? EGL_OPENGL_ES3_BIT : EGL_OPENGL_BIT, EGL_SURFACE_TYPE, 0,
                               EGL_NONE};
        EGLint count = 0;
        if (!eglChooseConfig(d.display, want, &config, 1, &count) || count < 1) {
            std::fprintf(stderr, "headless_window: no EGL config for a surfaceless %s context\n", what);
            return nullptr;
        }
    }
    const EGLint desktop[] = {EGL_CONTEXT_MAJOR_VERSION,       3, EGL_CONTEXT_MINOR_VERSION, 3,
                              EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                              EGL_NONE};
    const EGLint embedded[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 0, EGL_NONE};
    EGLContext context = eglCreateContext(d.display, config, EGL_NO_CONTEXT, es ? embedded : desktop);
    if (context == EGL_NO_CONTEXT) {
        std::fprintf(stderr, "headless_window: eglCreateContext for %s failed (0x%x)\n", what, eglGetError());
        return nullptr;
    }
    auto result = std::make_unique<EglContext>(d.display, context, impl_->presentHandler);
    if (!result->MakeCurrent()) {
        std::fprintf(stderr, "headless_window: eglMakeCurrent without a surface failed (0x%x)\n", eglGetError());
        return nullptr;
    }
    return result;
}

}  // namespace platform

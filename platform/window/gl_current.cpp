#include "platform/window/gl_current.h"

#include <SDL.h>
#include <dlfcn.h>
#include <epoxy/egl.h>

namespace platform {

namespace {

// Only asks EGL when the process already uses it, so on-screen runs never load it for this.
bool EglLoaded() {
    void* egl = dlopen("libEGL.so.1", RTLD_LAZY | RTLD_NOLOAD);
    if (!egl) return false;
    dlclose(egl);
    return true;
}

}  // namespace

void ReleaseCurrentGlContext() {
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GL_GetCurrentContext())
        SDL_GL_MakeCurrent(SDL_GL_GetCurrentWindow(), nullptr);
    if (EglLoaded() && eglGetCurrentContext() != EGL_NO_CONTEXT)
        eglMakeCurrent(eglGetCurrentDisplay(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

}  // namespace platform

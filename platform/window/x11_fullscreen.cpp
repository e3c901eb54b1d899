#include "platform/window/x11_fullscreen.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xatom.h>
#endif

namespace platform {

#if defined(SDL_VIDEO_DRIVER_X11)

namespace {

// A window manager that follows the desktop conventions announces itself on the root window.
bool WindowManagerRuns(Display* display) {
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                                          &type, &format, &count, &after, &data);
    const bool announced = status == Success && type == XA_WINDOW && count == 1;
    if (data) XFree(data);
    return announced;
}

}  // namespace

void CoverDisplayWithoutWindowManager(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    Display* display = info.info.x11.display;
    if (WindowManagerRuns(display)) return;
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &bounds) != 0) return;
    XMoveResizeWindow(display, info.info.x11.window, bounds.x, bounds.y, static_cast<unsigned>(bounds.w),
                      static_cast<unsigned>(bounds.h));
    XRaiseWindow(display, info.info.x11.window);
    XFlush(display);
}

#else

void CoverDisplayWithoutWindowManager(SDL_Window*) {}

#endif

}  // namespace platform

#include "platform/window/x11_errors.h"

#include <X11/Xlib.h>

#include <cstdio>

namespace platform {

namespace {

int LogXError(::Display* display, XErrorEvent* error) {
    char text[128] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "x11: X error \"%s\" (request %d.%d) ignored\n", text, error->request_code,
                 error->minor_code);
    return 0;
}

}  // namespace

void InstallX11ErrorHandler() { XSetErrorHandler(LogXError); }

}  // namespace platform

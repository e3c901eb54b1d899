#include "platform/window/x11_errors.h"

#include <X11/Xlib.h>

#include <atomic>
#include <cstdio>

namespace platform {

namespace {

constexpr int kReported = 20;
std::atomic<int> errorCount{0};

int LogXError(::Display* display, XErrorEvent* error) {
    // A window destroyed under a running frame raises one error per call; report the first few.
    const int n = ++errorCount;
    if (n > kReported) return 0;
    if (n == kReported) {
        std::fprintf(stderr, "x11: further X errors are not reported\n");
        return 0;
    }
    char text[128] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "x11: X error \"%s\" (request %d.%d) ignored\n", text, error->request_code,
                 error->minor_code);
    return 0;
}

}  // namespace

void InstallX11ErrorHandler() { XSetErrorHandler(LogXError); }

}  // namespace platform

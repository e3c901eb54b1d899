#include "platform/window/x11_errors.h"

#include <X11/Xlib.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

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

// Never returns: nothing of the window system works any more, and the exit handlers must not run
// (a thread may wait for the event thread, which will never answer).
int EndOnLostDisplay(::Display* display) {
    const int cause = errno;
    const char* name = display ? DisplayString(display) : nullptr;
    const char* why = cause == 0 || cause == EAGAIN ? "the server closed it" : std::strerror(cause);
    std::fprintf(stderr, "x11: lost the connection to the display \"%s\" (%s); the program ends\n",
                 name ? name : "", why);
    _exit(kLostDisplayExitCode);
}

}  // namespace

void InstallX11ErrorHandlers() {
    XSetErrorHandler(LogXError);
    XSetIOErrorHandler(EndOnLostDisplay);
}

}  // namespace platform

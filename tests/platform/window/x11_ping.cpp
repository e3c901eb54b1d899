// x11-ping WINDOW-ID [ROUNDS]: asks the window's client whether it is alive, as a window manager
// does (_NET_WM_PING), ROUNDS times (3 by default), each after the previous answer came back.
//
// A client answers a ping while it reads its events, in the order they came, so an answer proves
// that everything sent to the window before the ping has been read. Each further round is read
// by a later pass of the client's event loop. Prints "pong" and ends with 0 when every round was
// answered; prints "gone" and ends with 1 as soon as the window is unmapped or destroyed; ends
// with 1 when an answer does not come within 30 seconds.
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

enum class Answer { Pong, Gone, Timeout };

Answer Ping(Display* display, Window target, long stamp) {
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(ping);
    event.xclient.data.l[1] = stamp;
    event.xclient.data.l[2] = static_cast<long>(target);
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);

    // The answer is the same message sent back to the root window.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type == ClientMessage && e.xclient.message_type == protocols &&
                e.xclient.data.l[0] == static_cast<long>(ping) && e.xclient.data.l[1] == stamp &&
                e.xclient.data.l[2] == static_cast<long>(target))
                return Answer::Pong;
            if ((e.type == UnmapNotify && e.xunmap.window == target) ||
                (e.type == DestroyNotify && e.xdestroywindow.window == target))
                return Answer::Gone;
        }
        pollfd p{ConnectionNumber(display), POLLIN, 0};
        poll(&p, 1, 100);
    }
    return Answer::Timeout;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: x11-ping WINDOW-ID [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc == 3 ? std::atoi(argv[2]) : 3;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x11-ping: cannot open the display\n");
        return 1;
    }
    const Window target = std::strtoul(argv[1], nullptr, 0);
    // Answers to the root window, and the unmapping or destruction of top-level windows.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    for (int round = 1; round <= rounds; ++round) {
        switch (Ping(display, target, 7000 + round)) {
        case Answer::Pong: break;
        case Answer::Gone:
            std::puts("gone");
            XCloseDisplay(display);
            return 1;
        case Answer::Timeout:
            std::fprintf(stderr, "x11-ping: no answer to round %d within 30 seconds\n", round);
            XCloseDisplay(display);
            return 1;
        }
    }
    std::puts("pong");
    XCloseDisplay(display);
    return 0;
}

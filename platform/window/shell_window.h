// ShellWindow: the program's top-level window as the application shell sees it. On the desktop it
// is an SDL2 window (sdl_window.h); in the browser it is the page's canvas (web/).
//
// The window is created, shown and closed on the main thread (the thread that runs the event
// loop); CreateGlContext and EnterFullscreen may be called from the rendering thread.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/window/window.h"

namespace platform {

// A small window icon: width * height pixels, 0xAARRGGBB, top row first.
struct IconImage {
    int width;
    int height;
    const std::uint32_t* pixels;
};

// Prepares the window system (the display connection, the class name the window reports).
// False, with a message on stderr, when no display can be reached.
bool InitWindowSystem(const char* className);

class ShellWindow : public Window {
public:
    // Creates a hidden window at (x, y) whose outer size is width x height where the window
    // system tells the frame, otherwise whose client area is that size. Null, with a message on
    // stderr, on failure.
    static std::unique_ptr<ShellWindow> Create(const char* title, int x, int y, int width, int height,
                                               const IconImage* icon);

    virtual void Show() = 0;
    virtual void Focus() = 0;
    // Hides the window for good; what the window's contexts still need stays valid until they
    // are released.
    virtual void Close() = 0;
    virtual bool IsClosed() const = 0;
    // The window system's own id for the window, 0 when unknown (events name windows by it).
    virtual std::uint64_t NativeId() const = 0;
};

// The time, in seconds, that the frame being drawn shows, for whoever watches the window from
// outside: the browser's page gives it to its scripts with each presented frame. The desktop
// window has no such watcher.
void NoteFrameTime(double seconds);

}  // namespace platform

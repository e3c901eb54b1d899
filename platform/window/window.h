// A surface the graphics device can draw into: an on-screen window or a headless target.
//
// The device (platform/gpu) asks the window for an OpenGL 3.3 core context on the thread that
// will render, and presents through that context. HWND (d3d8types.h) is a Window pointer.
#pragma once

#include <memory>

namespace platform {

// What kind of OpenGL context to ask for, in the device's order of fallbacks.
enum class GlProfile {
    Default,   // the system's usual driver
    Plain,     // the same driver, with nothing optional asked for
    Software,  // Mesa's software rasteriser
};

// How a picture whose size differs from the default framebuffer's is shown in it.
enum class PictureFit {
    Stretch,     // over the whole framebuffer (a window's client area)
    KeepAspect,  // as large as fits with its aspect ratio kept, centred, black around it
};

class GlContext {
public:
    virtual ~GlContext() = default;
    // Makes the context current on the calling thread; false when that is impossible.
    virtual bool MakeCurrent() = 0;
    // Shows the default framebuffer (on-screen) or hands the finished frame on (headless).
    virtual void SwapBuffers() = 0;
    // Size of the default framebuffer in pixels (0 x 0 when there is none, as headless).
    virtual void DrawableSize(int& width, int& height) const = 0;
    // How the device's back buffer is shown in the default framebuffer.
    virtual PictureFit Fit() const { return PictureFit::Stretch; }
};

class Window {
public:
    virtual ~Window() = default;
    // Creates a context for this window, current on the calling thread; null on failure (with a
    // message on stderr naming the cause).
    virtual std::unique_ptr<GlContext> CreateGlContext(GlProfile profile) = 0;
    virtual bool IsHeadless() const = 0;
    // Client-area size in pixels.
    virtual void ClientSize(int& width, int& height) const = 0;
    // Makes the window cover its whole display, without changing the display's mode; from then
    // on its contexts keep the picture's shape (PictureFit::KeepAspect). May be called from any
    // thread. False, with a message on stderr, when the window cannot; surfaces that are not on
    // a display (headless) are never asked.
    virtual bool EnterFullscreen() { return false; }
};

}  // namespace platform

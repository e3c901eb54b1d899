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

class GlContext {
public:
    virtual ~GlContext() = default;
    // Makes the context current on the calling thread; false when that is impossible.
    virtual bool MakeCurrent() = 0;
    // Shows the default framebuffer (on-screen) or hands the finished frame on (headless).
    virtual void SwapBuffers() = 0;
    // Size of the default framebuffer in pixels (0 x 0 when there is none, as headless).
    virtual void DrawableSize(int& width, int& height) const = 0;
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
};

}  // namespace platform

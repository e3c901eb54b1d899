// SdlWindow: the program's top-level window on SDL2, with OpenGL contexts made on any thread.
// It cannot be sized through its frame.
//
// The window must be created, shown and destroyed on the main thread (the thread that runs the
// event loop). CreateGlContext and EnterFullscreen may be called from the rendering thread. A context keeps the
// native window alive, so a device that outlives the Window object still releases its context
// against a valid window.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/window/window.h"

struct SDL_Window;

namespace platform {

// A small window icon: width * height pixels, 0xAARRGGBB, top row first.
struct IconImage {
    int width;
    int height;
    const std::uint32_t* pixels;
};

// Prepares the window system (SDL video, hints, the class name the window reports).
// False, with a message on stderr, when no display can be opened.
bool InitWindowSystem(const char* className);

class SdlWindow : public Window {
public:
    // Creates a hidden window at (x, y). The outer size (frame included) is width x height where
    // the window system tells us the frame; otherwise the client area gets that size.
    // Null, with a message on stderr, on failure.
    static std::unique_ptr<SdlWindow> Create(const char* title, int x, int y, int width, int height,
                                             const IconImage* icon);
    ~SdlWindow() override;

    std::unique_ptr<GlContext> CreateGlContext(GlProfile profile) override;
    bool IsHeadless() const override { return false; }
    void ClientSize(int& width, int& height) const override;

    // Covers the display: SDL's desktop full screen, done on the thread that pumps events.
    bool EnterFullscreen() override;

    void Show();
    void Focus();
    // Hides the window for good; the native window goes away when its last context is released.
    void Close();
    bool IsClosed() const { return closed_; }
    SDL_Window* Native() const;
    std::uint32_t Id() const;
    // The window system's own id for the window (the X window), 0 when unknown.
    std::uint64_t NativeId() const;

    struct Handle;

private:
    SdlWindow(std::shared_ptr<Handle> handle, int outerWidth, int outerHeight);

    std::shared_ptr<Handle> handle_;
    int outerWidth_;
    int outerHeight_;
    bool closed_ = false;
};

}  // namespace platform

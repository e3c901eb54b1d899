// SdlWindow: the desktop's top-level window (ShellWindow) on SDL2, with OpenGL contexts made on
// any thread. It cannot be sized through its frame.
//
// A context keeps the native window alive, so a device that outlives the Window object still
// releases its context against a valid window.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/window/shell_window.h"

struct SDL_Window;

namespace platform {

class SdlWindow final : public ShellWindow {
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

    void Show() override;
    void Focus() override;
    // Hides the window for good; the native window goes away when its last context is released.
    void Close() override;
    bool IsClosed() const override { return closed_; }
    SDL_Window* Native() const;
    std::uint32_t Id() const;
    // The window system's own id for the window (the X window), 0 when unknown.
    std::uint64_t NativeId() const override;

    struct Handle;

private:
    SdlWindow(std::shared_ptr<Handle> handle, int outerWidth, int outerHeight);

    std::shared_ptr<Handle> handle_;
    int outerWidth_;
    int outerHeight_;
    bool closed_ = false;
};

}  // namespace platform

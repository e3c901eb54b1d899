// HeadlessWindow: a window-less rendering target on EGL (Mesa's surfaceless platform).
//
// Needs no display server. Contexts have no default framebuffer: the device renders into its own
// offscreen back buffer and reads it back. The contexts are desktop OpenGL, or OpenGL ES when
// asked (UsesEs), which runs the device as it runs on WebGL 2. SwapBuffers calls the present handler, which is how
// captures and tests learn that a frame is finished.
#pragma once

#include <functional>
#include <memory>

#include "platform/window/window.h"

namespace platform {

class HeadlessWindow : public Window {
public:
    HeadlessWindow(int width, int height);
    ~HeadlessWindow() override;

    std::unique_ptr<GlContext> CreateGlContext(GlProfile profile) override;
    bool IsHeadless() const override { return true; }
    void ClientSize(int& width, int& height) const override;

    // Called on the rendering thread at every present.
    void SetPresentHandler(std::function<void()> handler);

    // Contexts are OpenGL ES 3.0 instead of desktop OpenGL 3.3 core: the environment variable
    // ORRERY_GL_API is "gles" (read once; "gl" or unset: desktop).
    static bool UsesEs();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform

// The browser's headless surface: a WebGL 2 context on a canvas of its own that the page never
// shows. The device draws into its own back buffer and reads frames back, as on EGL.
#include "platform/window/headless_window.h"

#include <emscripten.h>

#include <cstdio>
#include <string>

#include "platform/window/web/webgl_context.h"

// Adds a hidden 1 x 1 canvas (the device never draws into the canvas itself) with the given id.
EM_JS(int, orrery_add_hidden_canvas, (const char* id), {
    if (typeof document === 'undefined') return 0;
    const canvas = document.createElement('canvas');
    canvas.id = UTF8ToString(id);
    canvas.width = 1;
    canvas.height = 1;
    canvas.hidden = true;
    document.body.appendChild(canvas);
    return 1;
});
EM_JS(void, orrery_remove_canvas, (const char* id), {
    const canvas = typeof document !== 'undefined' && document.getElementById(UTF8ToString(id));
    if (canvas) canvas.remove();
});

namespace platform {

struct HeadlessWindow::Impl {
    int width;
    int height;
    std::string id;
    // Shared with the contexts, which may outlive the window.
    std::shared_ptr<std::function<void()>> present = std::make_shared<std::function<void()>>();
};

HeadlessWindow::HeadlessWindow(int width, int height) : impl_(std::make_unique<Impl>()) {
    static int made = 0;
    impl_->width = width;
    impl_->height = height;
    impl_->id = "orrery-headless-" + std::to_string(++made);
}

HeadlessWindow::~HeadlessWindow() { orrery_remove_canvas(impl_->id.c_str()); }

std::unique_ptr<GlContext> HeadlessWindow::CreateGlContext(GlProfile) {
    if (!orrery_add_hidden_canvas(impl_->id.c_str())) {
        std::fprintf(stderr, "headless_window: there is no page to make a canvas in\n");
        return nullptr;
    }
    auto context = web::CreateWebGlContext(("#" + impl_->id).c_str(), [present = impl_->present] {
        if (*present) (*present)();
    });
    if (!context) orrery_remove_canvas(impl_->id.c_str());
    return context;
}

void HeadlessWindow::ClientSize(int& width, int& height) const {
    width = impl_->width;
    height = impl_->height;
}

void HeadlessWindow::SetPresentHandler(std::function<void()> handler) { *impl_->present = std::move(handler); }

}  // namespace platform

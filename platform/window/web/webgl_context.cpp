#include "platform/window/web/webgl_context.h"

#include <emscripten/html5.h>

#include <cstdio>
#include <string>

#include "platform/thread/web/cooperative.h"

namespace platform::web {

namespace {

class WebGlContext final : public GlContext {
public:
    WebGlContext(EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle, std::string selector, std::function<void()> presented)
        : handle_(handle), selector_(std::move(selector)), presented_(std::move(presented)) {}
    ~WebGlContext() override {
        if (emscripten_webgl_get_current_context() == handle_) emscripten_webgl_make_context_current(0);
        emscripten_webgl_destroy_context(handle_);
    }

    bool MakeCurrent() override { return emscripten_webgl_make_context_current(handle_) == EMSCRIPTEN_RESULT_SUCCESS; }

    void SwapBuffers() override {
        // The browser shows the canvas when the page gets its turn: the frame is finished here.
        if (presented_) presented_();
        Yield();
    }

    void DrawableSize(int& width, int& height) const override {
        width = height = 0;
        emscripten_get_canvas_element_size(selector_.c_str(), &width, &height);
    }

private:
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle_;
    std::string selector_;
    std::function<void()> presented_;
};

}  // namespace

std::unique_ptr<GlContext> CreateWebGlContext(const char* selector, std::function<void()> presented) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    // The device draws into its own back buffer and copies the finished frame into the canvas:
    // the canvas needs no depth, stencil or multisampling, and it keeps the last frame between
    // presents (the page and its tests may read it back).
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.premultipliedAlpha = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_TRUE;
    attributes.enableExtensionsByDefault = EM_TRUE;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle = emscripten_webgl_create_context(selector, &attributes);
    if (handle <= 0) {
        std::fprintf(stderr, "webgl_context: the browser gives canvas %s no WebGL 2 context (%d)\n", selector,
                     static_cast<int>(handle));
        return nullptr;
    }
    auto context = std::make_unique<WebGlContext>(handle, selector, std::move(presented));
    if (!context->MakeCurrent()) {
        std::fprintf(stderr, "webgl_context: the WebGL 2 context of canvas %s cannot be made current\n", selector);
        return nullptr;
    }
    return context;
}

}  // namespace platform::web

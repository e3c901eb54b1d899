// The browser's top-level window: the page's #canvas inside #stage (see web/index.html).
#include "platform/window/shell_window.h"

#include <emscripten.h>

#include <cstdio>

#include "platform/thread/web/cooperative.h"
#include "platform/window/web/page_events.h"
#include "platform/window/web/webgl_context.h"

// clang-format off
EM_JS(int, orrery_page_has_canvas, (), {
    return typeof document !== 'undefined' && document.getElementById('canvas') ? 1 : 0;
});
EM_JS(void, orrery_canvas_resize, (int width, int height), {
    const canvas = document.getElementById('canvas');
    canvas.width = width;
    canvas.height = height;
    canvas.style.setProperty('--aspect', width + ' / ' + height);
});
EM_JS(void, orrery_stage_show, (int shown), {
    const stage = document.getElementById('stage');
    if (stage) stage.hidden = !shown;
    if (shown && typeof orrery !== 'undefined') orrery.state = 'running';
});
EM_JS(void, orrery_canvas_focus, (), {
    const canvas = document.getElementById('canvas');
    if (canvas.tabIndex < 0) canvas.tabIndex = 0;
    canvas.focus();
});
EM_JS(void, orrery_frame_presented, (), {
    if (typeof orrery === 'undefined') return;
    orrery.frames++;
    if (orrery.firstFrameMs === null) orrery.firstFrameMs = performance.now();
});
EM_JS(int, orrery_stage_fullscreen, (), {
    const stage = document.getElementById('stage');
    if (!stage || !stage.requestFullscreen) return 0;
    stage.requestFullscreen().catch(error => console.warn('full screen refused: ' + error.message));
    return 1;
});
// clang-format on

namespace platform {

namespace {

class PageWindow final : public ShellWindow {
public:
    PageWindow(int width, int height) : width_(width), height_(height) { orrery_canvas_resize(width, height); }
    ~PageWindow() override { Close(); }

    std::unique_ptr<GlContext> CreateGlContext(GlProfile) override {
        return web::CreateWebGlContext("#canvas", [] { orrery_frame_presented(); });
    }
    bool IsHeadless() const override { return false; }
    void ClientSize(int& width, int& height) const override {
        width = width_;
        height = height_;
    }
    // The stage covers the screen; the page's style keeps the picture's shape, black around it.
    bool EnterFullscreen() override {
        if (orrery_stage_fullscreen()) return true;
        std::fprintf(stderr, "shell_window: this browser has no full-screen mode for the page\n");
        return false;
    }

    void Show() override {
        if (closed_) return;
        orrery_stage_show(1);
        web::SetShowWindowShown(true);
        // A show on screen draws once per display frame.
        web::SetBrowserPace(web::BrowserPace::Display);
    }
    void Focus() override { orrery_canvas_focus(); }
    void Close() override {
        if (closed_) return;
        closed_ = true;
        orrery_stage_show(0);
        web::SetShowWindowShown(false);
        web::SetBrowserPace(web::BrowserPace::Immediate);
    }
    bool IsClosed() const override { return closed_; }
    std::uint64_t NativeId() const override { return 0; }

private:
    int width_;
    int height_;
    bool closed_ = false;
};

}  // namespace

bool InitWindowSystem(const char*) {
    if (!orrery_page_has_canvas()) {
        std::fprintf(stderr, "shell_window: the page has no canvas to show the program in (#canvas)\n");
        return false;
    }
    web::ListenToPage();
    return true;
}

std::unique_ptr<ShellWindow> ShellWindow::Create(const char*, int, int, int width, int height, const IconImage*) {
    if (width <= 0 || height <= 0) {
        std::fprintf(stderr, "shell_window: no window of %d x %d pixels\n", width, height);
        return nullptr;
    }
    return std::make_unique<PageWindow>(width, height);
}

}  // namespace platform

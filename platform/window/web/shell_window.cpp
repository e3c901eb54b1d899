// The browser's top-level window: the page's #canvas inside #stage (see web/index.html).
#include "platform/window/shell_window.h"

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>

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
// The time the frame being drawn shows, and how far into the music is heard at the moment it
// was taken (null without music): the page publishes both when the frame is presented.
EM_JS(void, orrery_note_frame_time, (double time), {
    const music = Module.orreryMusic;
    Module.orreryFrameTime = {showTime: time, musicTime: music ? music.position() : null};
});
// Counts the frame for the page (window.orrery, web/page.js) and publishes its times.
EM_JS(void, orrery_frame_presented, (), {
    if (typeof orrery === 'undefined') return;
    orrery.frames++;
    if (orrery.firstFrameMs === null) orrery.firstFrameMs = performance.now();
    const times = Module.orreryFrameTime;
    if (times) {
        orrery.showTime = times.showTime;
        orrery.musicTime = times.musicTime;
    }
    if (typeof orrery.onFrame === 'function') orrery.onFrame();
});
// When the browser takes the canvas's WebGL context away (a GPU reset, a driver update, too many
// contexts), the music stops at once; the program ends at its next present.
EM_JS(void, orrery_watch_context_loss, (), {
    const canvas = document.getElementById('canvas');
    if (!canvas || Module.orreryWatchingLoss) return;
    Module.orreryWatchingLoss = true;
    canvas.addEventListener('webglcontextlost', () => {
        Module.orreryContextLost = true;
        if (Module.orreryMusic) Module.orreryMusic.stopAll();
    });
});
EM_JS(int, orrery_context_lost, (), { return Module.orreryContextLost ? 1 : 0; });
EM_JS(int, orrery_stage_fullscreen, (), {
    const stage = document.getElementById('stage');
    if (!stage || !stage.requestFullscreen) return 0;
    stage.requestFullscreen().catch(error => console.warn('full screen refused: ' + error.message));
    return 1;
});
// clang-format on

namespace platform {

namespace {

// The exit code of a program whose graphics device was lost.
constexpr int kDeviceLostExitCode = 4;

void FramePresented() {
    if (orrery_context_lost()) {
        std::fprintf(stderr, "shell_window: the graphics device was lost (the browser took the WebGL context away)\n");
        std::exit(kDeviceLostExitCode);
    }
    orrery_frame_presented();
}

class PageWindow final : public ShellWindow {
public:
    PageWindow(int width, int height) : width_(width), height_(height) { orrery_canvas_resize(width, height); }
    ~PageWindow() override { Close(); }

    std::unique_ptr<GlContext> CreateGlContext(GlProfile) override {
        orrery_watch_context_loss();
        return web::CreateWebGlContext("#canvas", FramePresented);
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

void NoteFrameTime(double seconds) { orrery_note_frame_time(seconds); }

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

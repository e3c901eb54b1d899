#include "platform/window/sdl_window.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/window/event_thread.h"
#include "platform/window/x11_errors.h"
#include "platform/window/x11_fullscreen.h"

namespace platform {

struct SdlWindow::Handle {
    SDL_Window* window = nullptr;
    std::atomic<bool> fullscreen{false};  // read by the rendering thread at every present
    explicit Handle(SDL_Window* w) : window(w) {}
    ~Handle() {
        // After SDL_Quit (or if video never came up) the window is gone with the subsystem.
        if (window && SDL_WasInit(SDL_INIT_VIDEO)) SDL_DestroyWindow(window);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
};

namespace {

class SdlGlContext : public GlContext {
public:
    SdlGlContext(std::shared_ptr<SdlWindow::Handle> handle, SDL_GLContext context)
        : handle_(std::move(handle)), context_(context) {}
    ~SdlGlContext() override {
        if (context_ && SDL_WasInit(SDL_INIT_VIDEO)) SDL_GL_DeleteContext(context_);
    }
    bool MakeCurrent() override {
        if (SDL_GL_MakeCurrent(handle_->window, context_) != 0) {
            std::fprintf(stderr, "sdl_window: SDL_GL_MakeCurrent failed: %s\n", SDL_GetError());
            return false;
        }
        return true;
    }
    void SwapBuffers() override { SDL_GL_SwapWindow(handle_->window); }
    void DrawableSize(int& width, int& height) const override {
        SDL_GL_GetDrawableSize(handle_->window, &width, &height);
    }
    PictureFit Fit() const override { return handle_->fullscreen ? PictureFit::KeepAspect : PictureFit::Stretch; }

private:
    std::shared_ptr<SdlWindow::Handle> handle_;
    SDL_GLContext context_;
};

void SetContextAttributes(GlProfile profile) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (profile == GlProfile::Default) {
        // The device draws into its own framebuffer; the window's only needs to show colours.
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    } else {
        // Plain and software contexts ask for nothing optional.
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, 0);
    }
}

SDL_Surface* IconSurface(const IconImage& icon) {
    // The pixel data is only read while SDL copies it into the window's icon.
    return SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(icon.pixels), icon.width,
                                              icon.height, 32, icon.width * 4, SDL_PIXELFORMAT_ARGB8888);
}

}  // namespace

bool InitWindowSystem(const char* className) {
    // Signals keep their default meaning (SIGTERM ends the process); closing the window never
    // quits by itself: the application decides.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_APP_NAME, className);
    setenv("SDL_VIDEO_X11_WMCLASS", className, 0);
    // Only real window systems: SDL would otherwise fall back to its off-screen driver when the
    // display cannot be reached, and the program would run with no window at all. Wayland only
    // where a compositor is announced: probing for one elsewhere prints the client library's
    // own complaints.
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (!std::getenv("SDL_VIDEODRIVER"))
        SDL_SetHint(SDL_HINT_VIDEODRIVER, wayland && *wayland ? "x11,wayland" : "x11");
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (x11 && *x11) {
            std::fprintf(stderr, "sdl_window: cannot start the window system on display \"%s\": %s\n", x11,
                         SDL_GetError());
        } else {
            std::fprintf(stderr, "sdl_window: cannot start the window system (DISPLAY is not set): %s\n",
                         SDL_GetError());
        }
        return false;
    }
    // Every X connection of the process shares the handlers, so this covers the setup dialog's
    // and the message boxes' connections too, also when SDL itself runs on Wayland.
    InstallX11ErrorHandlers();
    return true;
}

void NoteFrameTime(double) {}

std::unique_ptr<ShellWindow> ShellWindow::Create(const char* title, int x, int y, int width, int height,
                                                 const IconImage* icon) {
    return SdlWindow::Create(title, x, y, width, height, icon);
}

std::unique_ptr<SdlWindow> SdlWindow::Create(const char* title, int x, int y, int width, int height,
                                             const IconImage* icon) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        std::fprintf(stderr, "sdl_window: window \"%s\": the window system is not started\n", title);
        return nullptr;
    }
    if (width <= 0 || height <= 0) {
        std::fprintf(stderr, "sdl_window: window \"%s\": invalid size %d x %d\n", title, width, height);
        return nullptr;
    }
    // Not resizable: the picture has the chosen size, and the window keeps it.
    const Uint32 flags = SDL_WINDOW_HIDDEN;
    SDL_Window* window = SDL_CreateWindow(title, x, y, width, height, flags | SDL_WINDOW_OPENGL);
    if (!window) {
        // Without a usable OpenGL visual the window can still exist; context creation then fails
        // later and the device reports it.
        std::fprintf(stderr, "sdl_window: OpenGL window \"%s\" failed (%s); trying a plain window\n", title,
                     SDL_GetError());
        window = SDL_CreateWindow(title, x, y, width, height, flags);
    }
    if (!window) {
        std::fprintf(stderr, "sdl_window: window \"%s\" failed: %s\n", title, SDL_GetError());
        return nullptr;
    }
    if (icon && icon->pixels && icon->width > 0 && icon->height > 0) {
        if (SDL_Surface* surface = IconSurface(*icon)) {
            SDL_SetWindowIcon(window, surface);
            SDL_FreeSurface(surface);
        }
    }
    return std::unique_ptr<SdlWindow>(new SdlWindow(std::make_shared<Handle>(window), width, height));
}

SdlWindow::SdlWindow(std::shared_ptr<Handle> handle, int outerWidth, int outerHeight)
    : handle_(std::move(handle)), outerWidth_(outerWidth), outerHeight_(outerHeight) {}

SdlWindow::~SdlWindow() = default;

SDL_Window* SdlWindow::Native() const { return handle_->window; }

std::uint32_t SdlWindow::Id() const { return SDL_GetWindowID(handle_->window); }

std::uint64_t SdlWindow::NativeId() const {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(handle_->window, &info)) return 0;
#if defined(SDL_VIDEO_DRIVER_X11)
    if (info.subsystem == SDL_SYSWM_X11) return info.info.x11.window;
#endif
    return 0;
}

void SdlWindow::Show() {
    SDL_ShowWindow(handle_->window);
    // The frame is known only once the window manager has decorated the window; where it is,
    // shrink the client area so that the outer size is what was asked for.
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(handle_->window, &top, &left, &bottom, &right) == 0 &&
        (top | left | bottom | right) != 0) {
        const int w = outerWidth_ - left - right;
        const int h = outerHeight_ - top - bottom;
        if (w > 0 && h > 0) SDL_SetWindowSize(handle_->window, w, h);
    }
}

void SdlWindow::Focus() {
    SDL_RaiseWindow(handle_->window);
    SDL_SetWindowInputFocus(handle_->window);
}

bool SdlWindow::EnterFullscreen() {
    bool entered = false;
    auto enter = [&] {
        if (closed_) return;
        if (SDL_SetWindowFullscreen(handle_->window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
            std::fprintf(stderr, "sdl_window: window \"%s\" cannot cover the display: %s\n",
                         SDL_GetWindowTitle(handle_->window), SDL_GetError());
            return;
        }
        CoverDisplayWithoutWindowManager(handle_->window);
        handle_->fullscreen = true;
        entered = true;
    };
    if (!RunOnEventThread(enter)) {
        std::fprintf(stderr, "sdl_window: full screen given up: the event loop has stopped\n");
        return false;
    }
    return entered;
}

void SdlWindow::Close() {
    if (closed_) return;
    closed_ = true;
    SDL_HideWindow(handle_->window);
}

void SdlWindow::ClientSize(int& width, int& height) const { SDL_GetWindowSize(handle_->window, &width, &height); }

std::unique_ptr<GlContext> SdlWindow::CreateGlContext(GlProfile profile) {
    if (profile == GlProfile::Software) setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    SetContextAttributes(profile);
    SDL_GLContext context = SDL_GL_CreateContext(handle_->window);
    if (!context) {
        std::fprintf(stderr, "sdl_window: OpenGL 3.3 core context for \"%s\" failed: %s\n",
                     SDL_GetWindowTitle(handle_->window), SDL_GetError());
        return nullptr;
    }
    return std::make_unique<SdlGlContext>(handle_, context);
}

}  // namespace platform

#include "platform/window/message_box.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/window/event_thread.h"
#include "platform/window/sdl_window.h"

namespace platform {

namespace {

bool HaveDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

bool ShowHere(Window* owner, const char* caption, const char* text, MessageIcon icon) {
    SDL_Window* parent = nullptr;
    if (auto* sdl = dynamic_cast<SdlWindow*>(owner); sdl && !sdl->IsClosed()) parent = sdl->Native();
    if (!parent && !HaveDisplay()) return false;
    const Uint32 flags = icon == MessageIcon::Error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_WARNING;
    if (SDL_ShowSimpleMessageBox(flags, caption, text, parent) != 0) {
        std::fprintf(stderr, "message_box: \"%s\" could not be shown: %s\n", caption, SDL_GetError());
        return false;
    }
    return true;
}

}  // namespace

bool ShowMessageBox(Window* owner, const char* caption, const char* text, MessageIcon icon) {
    if (owner && owner->IsHeadless()) return false;
    bool shown = false;
    auto show = [&] { shown = ShowHere(owner, caption, text, icon); };
    return RunOnEventThread(show) && shown;
}

}  // namespace platform

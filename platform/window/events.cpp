#include "platform/window/events.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>

#include "platform/window/key_map.h"
#include "platform/window/event_thread.h"

namespace platform {

namespace {

// The SDL event type of Wake events, registered once; (Uint32)-1 when none could be.
Uint32 WakeEventType() {
    static const Uint32 type = SDL_RegisterEvents(1);
    return type;
}

// Fills event from e; false for SDL events the shell does not care about.
bool Translate(const SDL_Event& e, Event& event) {
    event = Event{};
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        event.type = e.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp;
        event.virtualKey = VirtualKeyFromSdlKey(e.key.keysym.sym);
        event.repeat = e.key.repeat != 0;
        event.altDown = (e.key.keysym.mod & KMOD_ALT) != 0;
        event.windowId = e.key.windowID;
        return true;
    case SDL_WINDOWEVENT:
        event.windowId = e.window.windowID;
        switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED: event.type = EventType::Activated; return true;
        case SDL_WINDOWEVENT_FOCUS_LOST: event.type = EventType::Deactivated; return true;
        case SDL_WINDOWEVENT_CLOSE: event.type = EventType::CloseRequest; return true;
        default: return false;
        }
    case SDL_QUIT:
        event.type = EventType::CloseRequest;
        return true;
    case SDL_SYSWMEVENT:
#if defined(SDL_VIDEO_DRIVER_X11)
        if (e.syswm.msg && e.syswm.msg->subsystem == SDL_SYSWM_X11 &&
            e.syswm.msg->msg.x11.event.type == DestroyNotify) {
            event.type = EventType::WindowGone;
            event.nativeWindow = e.syswm.msg->msg.x11.event.xdestroywindow.window;
            return true;
        }
#endif
        return false;
    default:
        if (e.type == WakeEventType() && e.type != static_cast<Uint32>(-1)) {
            event.type = EventType::Wake;
            event.code = e.user.code;
            return true;
        }
        return false;
    }
}

}  // namespace

bool WaitEvent(Event& event) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    WakeEventType();
    // Raw window-system events tell us when a window is destroyed from outside.
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    for (;;) {
        SDL_Event e;
        if (!SDL_WaitEvent(&e)) {
            std::fprintf(stderr, "events: SDL_WaitEvent failed: %s\n", SDL_GetError());
            return false;
        }
        if (!Translate(e, event)) continue;
        if (event.type == EventType::Wake && event.code == kEventThreadWakeCode) {
            ServeEventThreadWork();
            continue;
        }
        return true;
    }
}

bool PostWakeEvent(std::int32_t code) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    const Uint32 type = WakeEventType();
    if (type == static_cast<Uint32>(-1)) return false;
    SDL_Event e{};
    e.type = type;
    e.user.code = code;
    return SDL_PushEvent(&e) == 1;
}

}  // namespace platform

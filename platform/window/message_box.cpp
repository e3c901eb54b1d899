#include "platform/window/message_box.h"

#include <SDL.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "platform/window/events.h"
#include "platform/window/sdl_window.h"

namespace platform {

namespace {

struct BoxRequest {
    Window* owner;
    const char* caption;
    const char* text;
    MessageIcon icon;
    bool serving = false;  // taken by the pumping thread: it will finish it
    bool done = false;
    bool shown = false;
};

// Shared between the pumping thread and askers.
struct Pump {
    std::mutex mutex;
    std::condition_variable changed;
    bool active = false;
    std::thread::id thread;
    BoxRequest* pending = nullptr;
};

Pump& ThePump() {
    static Pump pump;
    return pump;
}

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
    Pump& pump = ThePump();
    std::unique_lock lock(pump.mutex);
    if (!pump.active || pump.thread == std::this_thread::get_id()) {
        lock.unlock();
        return ShowHere(owner, caption, text, icon);
    }
    // One request at a time; wait for the slot.
    pump.changed.wait(lock, [&] { return !pump.active || pump.pending == nullptr; });
    if (!pump.active) return false;
    BoxRequest request{owner, caption, text, icon};
    pump.pending = &request;
    lock.unlock();
    if (!PostWakeEvent(kMessageBoxWakeCode)) {
        lock.lock();
        if (pump.pending == &request) pump.pending = nullptr;
        pump.changed.notify_all();
        return false;
    }
    lock.lock();
    pump.changed.wait(lock, [&] { return request.done || (!pump.active && !request.serving); });
    if (pump.pending == &request) pump.pending = nullptr;
    pump.changed.notify_all();
    return request.done && request.shown;
}

void SetMessageBoxPump(bool active) {
    Pump& pump = ThePump();
    std::lock_guard lock(pump.mutex);
    pump.active = active;
    pump.thread = std::this_thread::get_id();
    pump.changed.notify_all();
}

void ServeMessageBoxRequest() {
    Pump& pump = ThePump();
    std::unique_lock lock(pump.mutex);
    BoxRequest* request = pump.pending;
    if (!request || pump.thread != std::this_thread::get_id()) return;
    request->serving = true;
    pump.pending = nullptr;
    lock.unlock();
    // The asker waits while the box is up, so the request outlives it.
    const bool shown = ShowHere(request->owner, request->caption, request->text, request->icon);
    lock.lock();
    request->shown = shown;
    request->done = true;
    pump.changed.notify_all();
}

}  // namespace platform

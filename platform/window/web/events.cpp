// Keyboard and focus events from the page, queued for the main fiber's WaitEvent.
#include <emscripten/html5.h>

#include <deque>

#include "platform/thread/web/cooperative.h"
#include "platform/window/events.h"
#include "platform/window/web/page_events.h"

namespace platform {

namespace {

struct PageEvents {
    std::deque<Event> queue;
    bool listening = false;
    bool windowShown = false;
};

PageEvents& Page() {
    static PageEvents* events = new PageEvents;  // DOM callbacks may come until the page goes
    return *events;
}

// Keys the browser keeps for itself even while the show runs: reload, full screen, developer tools.
bool BrowserKey(int vk) { return vk == 116 || vk == 122 || vk == 123; }

EM_BOOL OnKey(int eventType, const EmscriptenKeyboardEvent* key, void*) {
    PageEvents& page = Page();
    if (!page.windowShown) return EM_FALSE;
    Event event;
    event.type = eventType == EMSCRIPTEN_EVENT_KEYDOWN ? EventType::KeyDown : EventType::KeyUp;
    event.virtualKey = web::VirtualKeyFromDomKeyCode(key->keyCode);
    event.repeat = key->repeat != 0;
    event.altDown = key->altKey != 0;
    if (event.virtualKey == 0) return EM_FALSE;
    page.queue.push_back(event);
    return BrowserKey(event.virtualKey) ? EM_FALSE : EM_TRUE;
}

EM_BOOL OnFocus(int eventType, const EmscriptenFocusEvent*, void*) {
    Event event;
    event.type = eventType == EMSCRIPTEN_EVENT_FOCUS ? EventType::Activated : EventType::Deactivated;
    Page().queue.push_back(event);
    return EM_FALSE;
}

}  // namespace

namespace web {

void ListenToPage() {
    PageEvents& page = Page();
    if (page.listening) return;
    page.listening = true;
    const char* target = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(target, nullptr, EM_TRUE, OnKey);
    emscripten_set_keyup_callback(target, nullptr, EM_TRUE, OnKey);
    emscripten_set_focus_callback(target, nullptr, EM_TRUE, OnFocus);
    emscripten_set_blur_callback(target, nullptr, EM_TRUE, OnFocus);
}

void SetShowWindowShown(bool shown) { Page().windowShown = shown; }

int VirtualKeyFromDomKeyCode(unsigned long keyCode) {
    return keyCode >= 1 && keyCode <= 254 ? static_cast<int>(keyCode) : 0;
}

}  // namespace web

bool WaitEvent(Event& event) {
    PageEvents& page = Page();
    if (!page.listening) return false;
    web::YieldUntil([&page] { return !page.queue.empty(); });
    event = page.queue.front();
    page.queue.pop_front();
    return true;
}

bool PostWakeEvent(std::int32_t code) {
    PageEvents& page = Page();
    if (!page.listening) return false;
    Event event;
    event.type = EventType::Wake;
    event.code = code;
    page.queue.push_back(event);
    return true;
}

}  // namespace platform

// Window-system events, reduced to what an application shell reacts to.
//
// WaitEvent runs on the main thread; PostWakeEvent may be called from any thread and wakes it.
#pragma once

#include <cstdint>

namespace platform {

enum class EventType {
    None,
    KeyDown,       // virtualKey holds the Windows virtual-key code; repeat is set for auto-repeat
    KeyUp,
    Activated,     // the window got the keyboard focus
    Deactivated,   // the window lost it
    CloseRequest,  // the close button, the window manager's close (Alt+F4) or a quit request
    WindowGone,    // a window was destroyed behind the program's back; nativeWindow says which
    Wake,          // posted by PostWakeEvent; code carries its argument
};

struct Event {
    EventType type = EventType::None;
    int virtualKey = 0;     // 0 when the key has no virtual-key code
    bool repeat = false;
    bool altDown = false;   // Alt was held (the key is then a system key)
    std::int32_t code = 0;
    std::uint32_t windowId = 0;
    std::uint64_t nativeWindow = 0;  // the window system's id (SdlWindow::NativeId)
};

// Blocks until an event the shell cares about arrives. False when the event system is not
// running (no window system started) or fails.
bool WaitEvent(Event& event);

// Queues a Wake event carrying code; safe from any thread. False when it could not be queued.
bool PostWakeEvent(std::int32_t code);

}  // namespace platform

// In the browser every fiber runs on the page's one thread, which is also the one that reaches the
// DOM: handed-over work runs at once on the caller.
#include "platform/window/event_thread.h"

namespace platform {

void SetEventPump(bool) {}

bool RunOnEventThread(void (*work)(void*), void* context) {
    work(context);
    return true;
}

void ServeEventThreadWork() {}

}  // namespace platform

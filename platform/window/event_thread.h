// Work handed to the thread that pumps window-system events.
//
// SDL's window and message-box calls belong on the thread that pumps events (WaitEvent). Another
// thread that needs one hands it over and waits until it has run. When no thread pumps (tests,
// headless runs) the work runs on the calling thread.
#pragma once

namespace platform {

// Declares whether the calling thread pumps events and so runs work handed to it. Turning it off
// makes callers that are still waiting give up.
void SetEventPump(bool active);

// Runs work(context) on the pumping thread and waits until it has run; runs it on the calling
// thread when no thread pumps or the caller is the pumping thread. One piece of work at a time.
// False (and work has not run) when the pumping thread stopped pumping before it got to it.
bool RunOnEventThread(void (*work)(void*), void* context);

// The same for any callable; it is called exactly when the answer is true.
template <typename Work>
bool RunOnEventThread(Work& work) {
    return RunOnEventThread([](void* w) { (*static_cast<Work*>(w))(); }, &work);
}

// Runs the work another thread handed over, if any; called by WaitEvent on the pumping thread.
void ServeEventThreadWork();

// The Wake code WaitEvent consumes for handed-over work.
constexpr int kEventThreadWakeCode = 0x0B0C;

}  // namespace platform

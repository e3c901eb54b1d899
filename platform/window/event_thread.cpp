#include "platform/window/event_thread.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/window/events.h"

namespace platform {

namespace {

struct Request {
    void (*work)(void*);
    void* context;
    bool serving = false;  // taken by the pumping thread: it will finish it
    bool done = false;
};

// Shared between the pumping thread and the threads that hand work over.
struct Pump {
    std::mutex mutex;
    std::condition_variable changed;
    bool active = false;
    std::thread::id thread;
    Request* pending = nullptr;
};

// The pump is never destroyed: the process may end (exit from an error report, a lost display)
// while a thread still waits on its condition variable, and destroying a condition variable
// that has waiters blocks for ever.
union PumpStorage {
    Pump pump;
    PumpStorage() : pump() {}
    ~PumpStorage() {}
};

Pump& ThePump() {
    static PumpStorage storage;
    return storage.pump;
}

}  // namespace

bool RunOnEventThread(void (*work)(void*), void* context) {
    Pump& pump = ThePump();
    std::unique_lock lock(pump.mutex);
    if (!pump.active || pump.thread == std::this_thread::get_id()) {
        lock.unlock();
        work(context);
        return true;
    }
    // One request at a time; wait for the slot.
    pump.changed.wait(lock, [&] { return !pump.active || pump.pending == nullptr; });
    if (!pump.active) return false;
    Request request{work, context};
    pump.pending = &request;
    lock.unlock();
    if (!PostWakeEvent(kEventThreadWakeCode)) {
        lock.lock();
        if (pump.pending == &request) pump.pending = nullptr;
        pump.changed.notify_all();
        return false;
    }
    lock.lock();
    pump.changed.wait(lock, [&] { return request.done || (!pump.active && !request.serving); });
    if (pump.pending == &request) pump.pending = nullptr;
    pump.changed.notify_all();
    return request.done;
}

void SetEventPump(bool active) {
    Pump& pump = ThePump();
    std::lock_guard lock(pump.mutex);
    pump.active = active;
    pump.thread = std::this_thread::get_id();
    pump.changed.notify_all();
}

void ServeEventThreadWork() {
    Pump& pump = ThePump();
    std::unique_lock lock(pump.mutex);
    Request* request = pump.pending;
    if (!request || pump.thread != std::this_thread::get_id()) return;
    request->serving = true;
    pump.pending = nullptr;
    lock.unlock();
    // The caller waits until done, so the request outlives the work.
    request->work(request->context);
    lock.lock();
    request->done = true;
    pump.changed.notify_all();
}

}  // namespace platform

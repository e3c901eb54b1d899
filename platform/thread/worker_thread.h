// WorkerThread: one thread of work beside the main thread.
//
// On the desktop it is a system thread. In the browser, where the program has one thread, it is a
// fiber that runs whenever the main thread waits (web/cooperative.h): the main thread's waits and
// the worker's presents are where the two take turns.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

class WorkerThread {
public:
    WorkerThread();
    // Waits for a worker that is still running.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts body on a new thread. False, with a message on stderr, when the thread cannot be
    // created or one is already running.
    bool Start(std::function<void()> body);
    // True from a successful Start until Join has returned.
    bool Joinable() const;
    // True when called on this worker.
    bool IsCurrent() const;
    // Waits until body has returned (not from the worker itself).
    void Join();
    // The system's id for the running worker (as gettid answers on it), 0 before Start.
    std::uint32_t Id() const;

    struct State;

private:
    std::unique_ptr<State> state_;
};

}  // namespace platform

#include "platform/thread/worker_thread.h"

#include <unistd.h>

#include <cstdio>
#include <future>
#include <system_error>
#include <thread>

namespace platform {

struct WorkerThread::State {
    std::thread thread;
    // Set by the worker itself before its body runs (the std::thread object is only assigned
    // after the thread may already be running), and known to Start before it returns.
    std::thread::id threadId;
    std::uint32_t id = 0;
};

WorkerThread::WorkerThread() : state_(std::make_unique<State>()) {}

WorkerThread::~WorkerThread() {
    if (Joinable() && !IsCurrent()) Join();
}

bool WorkerThread::Start(std::function<void()> body) {
    if (state_->thread.joinable()) {
        std::fprintf(stderr, "worker_thread: a worker is already running\n");
        return false;
    }
    std::promise<std::uint32_t> started;
    std::future<std::uint32_t> id = started.get_future();
    try {
        state_->thread = std::thread([state = state_.get(), body = std::move(body), started = std::move(started)]() mutable {
            state->threadId = std::this_thread::get_id();
            started.set_value(static_cast<std::uint32_t>(gettid()));
            body();
        });
    } catch (const std::system_error& error) {
        std::fprintf(stderr, "worker_thread: cannot start the worker thread: %s\n", error.what());
        return false;
    }
    state_->id = id.get();
    return true;
}

bool WorkerThread::Joinable() const { return state_->thread.joinable(); }

bool WorkerThread::IsCurrent() const { return state_->threadId == std::this_thread::get_id(); }

void WorkerThread::Join() {
    if (!state_->thread.joinable() || IsCurrent()) return;
    state_->thread.join();
    state_->threadId = std::thread::id();
}

std::uint32_t WorkerThread::Id() const { return state_->id; }

}  // namespace platform

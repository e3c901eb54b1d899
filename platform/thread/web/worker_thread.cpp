// The browser's worker: a fiber on the page's one thread (cooperative.h), scheduled by the main
// fiber's waits.
#include <emscripten.h>
#include <emscripten/fiber.h>

#include <cstdio>
#include <vector>

#include "platform/thread/web/cooperative.h"
#include "platform/thread/worker_thread.h"

// Returns to the browser until its next display frame (display != 0) or until its queued tasks
// have run. A hidden page gets no display frames: that wait lasts until the page is shown again
// (its clock stands still meanwhile, page_clock.h). A visible page that draws no frame (some
// headless browsers) ends the wait after 100 ms.
EM_ASYNC_JS(void, orrery_browser_turn, (int display), {
    await new Promise(resolve => {
        if (!display) {
            const channel = new MessageChannel();
            channel.port1.onmessage = () => resolve();
            channel.port2.postMessage(0);
            return;
        }
        const frame = () => {
            const timer = setTimeout(resolve, 100);
            requestAnimationFrame(() => { clearTimeout(timer); resolve(); });
        };
        if (document.visibilityState !== 'hidden') {
            frame();
            return;
        }
        const shown = () => {
            if (document.visibilityState === 'hidden') return;
            document.removeEventListener('visibilitychange', shown);
            frame();
        };
        document.addEventListener('visibilitychange', shown);
    });
});

namespace platform {

namespace {

// The worker's C stack (the desktop's threads get 8 MiB) and the room Asyncify needs to save a
// suspended stack's frames.
constexpr std::size_t kStackBytes = 8u << 20;
constexpr std::size_t kAsyncifyBytes = 1u << 20;
constexpr std::uint32_t kWorkerId = 2;

}  // namespace

struct WorkerThread::State {
    emscripten_fiber_t fiber{};
    std::vector<char> stack;
    std::vector<char> asyncify;
    std::function<void()> body;
    bool running = false;
};

namespace {

struct Scheduler {
    emscripten_fiber_t mainFiber{};
    std::vector<char> mainAsyncify;
    WorkerThread::State* worker = nullptr;  // the runnable worker, if any
    WorkerThread::State* current = nullptr;  // the worker being run, null on the main fiber
    web::BrowserPace pace = web::BrowserPace::Immediate;
};

// Never destroyed: a fiber may still be suspended when the program ends.
Scheduler& TheScheduler() {
    static Scheduler* scheduler = [] {
        auto* s = new Scheduler;
        s->mainAsyncify.resize(kAsyncifyBytes);
        emscripten_fiber_init_from_current_context(&s->mainFiber, s->mainAsyncify.data(), s->mainAsyncify.size());
        return s;
    }();
    return *scheduler;
}

void FiberEntry(void* argument) {
    auto* state = static_cast<WorkerThread::State*>(argument);
    state->body();
    state->body = nullptr;
    state->running = false;
    Scheduler& scheduler = TheScheduler();
    if (scheduler.worker == state) scheduler.worker = nullptr;
    scheduler.current = nullptr;
    // A fiber's entry never returns: hand the thread back for good.
    emscripten_fiber_swap(&state->fiber, &scheduler.mainFiber);
}

void RunWorkerSlice(Scheduler& scheduler) {
    WorkerThread::State* worker = scheduler.worker;
    if (!worker || !worker->running) return;
    scheduler.current = worker;
    emscripten_fiber_swap(&scheduler.mainFiber, &worker->fiber);
    scheduler.current = nullptr;
}

}  // namespace

namespace web {

void Yield() {
    Scheduler& scheduler = TheScheduler();
    if (WorkerThread::State* worker = scheduler.current) {
        scheduler.current = nullptr;
        emscripten_fiber_swap(&worker->fiber, &scheduler.mainFiber);
        return;
    }
    RunWorkerSlice(scheduler);
    orrery_browser_turn(scheduler.pace == BrowserPace::Display ? 1 : 0);
}

bool OnWorker() { return TheScheduler().current != nullptr; }

void SetBrowserPace(BrowserPace pace) { TheScheduler().pace = pace; }

}  // namespace web

WorkerThread::WorkerThread() : state_(std::make_unique<State>()) {}

WorkerThread::~WorkerThread() {
    if (Joinable() && !IsCurrent()) Join();
}

bool WorkerThread::Start(std::function<void()> body) {
    Scheduler& scheduler = TheScheduler();
    if (state_->running || scheduler.worker) {
        std::fprintf(stderr, "worker_thread: a worker is already running (the browser runs one)\n");
        return false;
    }
    if (web::OnWorker()) {
        std::fprintf(stderr, "worker_thread: a worker cannot start another in the browser\n");
        return false;
    }
    state_->stack.resize(kStackBytes);
    state_->asyncify.resize(kAsyncifyBytes);
    state_->body = std::move(body);
    state_->running = true;
    emscripten_fiber_init(&state_->fiber, FiberEntry, state_.get(), state_->stack.data(), state_->stack.size(),
                          state_->asyncify.data(), state_->asyncify.size());
    scheduler.worker = state_.get();
    return true;
}

bool WorkerThread::Joinable() const { return state_->running; }

bool WorkerThread::IsCurrent() const { return TheScheduler().current == state_.get(); }

void WorkerThread::Join() {
    if (IsCurrent()) return;
    web::YieldUntil([this] { return !state_->running; });
}

std::uint32_t WorkerThread::Id() const { return state_->stack.empty() ? 0 : kWorkerId; }

}  // namespace platform

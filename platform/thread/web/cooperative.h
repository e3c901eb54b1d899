// Taking turns on the browser's one thread.
//
// In the browser the program has one thread. The worker (WorkerThread) is a fiber: the main fiber
// runs it whenever it waits, and it runs until it yields back (at a present, or while it waits for
// something itself). Only the main fiber returns to the browser, through Asyncify, so the page
// draws and DOM events and timers are delivered while the program's stacks stay as they are.
#pragma once

namespace platform::web {

// Lets the browser and the other fiber run, then returns. On the worker: switches to the main
// fiber, and comes back when the main fiber next waits. On the main fiber: runs the worker until
// it yields (when there is a runnable worker), then returns to the browser once.
void Yield();

// Yields until done() answers true (a button was clicked, a file arrived).
template <typename Done>
void YieldUntil(Done done) {
    while (!done()) Yield();
}

// True on the worker fiber.
bool OnWorker();

// How the main fiber gives the browser its turn: once per display frame (a show on screen: no
// frame is drawn that cannot be seen) or as soon as the browser has run its pending tasks
// (headless captures and benchmarks, as fast as they go).
enum class BrowserPace { Display, Immediate };
void SetBrowserPace(BrowserPace pace);

}  // namespace platform::web

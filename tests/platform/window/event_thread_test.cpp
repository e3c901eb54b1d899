#include "platform/window/event_thread.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/window/events.h"

namespace {

using namespace std::chrono_literals;

// SDL's display-free video driver gives the event queue the pump is woken through.
class EventThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    }
    void TearDown() override {
        StopPumping();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    // A thread that pumps events (and so serves handed-over work) until StopPumping.
    void StartPumping() {
        std::atomic<bool> ready{false};
        pumper = std::thread([this, &ready] {
            pumpThread = std::this_thread::get_id();
            platform::SetEventPump(true);
            ready = true;
            platform::Event event;
            while (!stop && platform::WaitEvent(event)) {
            }
            platform::SetEventPump(false);
        });
        while (!ready) std::this_thread::yield();
    }
    void StopPumping() {
        if (!pumper.joinable()) return;
        stop = true;
        platform::PostWakeEvent(0);
        pumper.join();
    }

    std::thread pumper;
    std::thread::id pumpThread;
    std::atomic<bool> stop{false};
};

TEST_F(EventThreadTest, WithoutAPumpWorkRunsOnTheCallingThread) {
    std::thread::id ranOn;
    auto work = [&] { ranOn = std::this_thread::get_id(); };
    EXPECT_TRUE(platform::RunOnEventThread(work));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(EventThreadTest, WorkFromOtherThreadsRunsOnThePumpingThreadOneAtATime) {
    StartPumping();
    std::atomic<int> inside{0}, most{0}, runs{0};
    std::atomic<bool> offThread{false};
    auto work = [&] {
        const int now = ++inside;
        most = std::max(most.load(), now);
        if (std::this_thread::get_id() != pumpThread) offThread = true;
        std::this_thread::yield();
        --inside;
        ++runs;
    };
    std::thread callers[3];
    std::atomic<int> answeredTrue{0};
    for (auto& caller : callers)
        caller = std::thread([&] {
            for (int i = 0; i < 20; ++i)
                if (platform::RunOnEventThread(work)) ++answeredTrue;
        });
    for (auto& caller : callers) caller.join();
    EXPECT_EQ(answeredTrue, 60);
    EXPECT_EQ(runs, 60);
    EXPECT_FALSE(offThread);
    EXPECT_EQ(most, 1);
    // The pumping thread's own calls run at once.
    std::atomic<bool> nested{false};
    auto outer = [&] {
        auto inner = [&] { nested = true; };
        platform::RunOnEventThread(inner);
    };
    EXPECT_TRUE(platform::RunOnEventThread(outer));
    EXPECT_TRUE(nested);
}

TEST_F(EventThreadTest, AWaitingCallerGivesUpWhenThePumpStops) {
    // A pump that has said it pumps but never gets to the work.
    platform::SetEventPump(true);
    std::atomic<bool> ran{false}, answered{false}, answer{true};
    std::thread caller([&] {
        auto work = [&] { ran = true; };
        answer = platform::RunOnEventThread(work);
        answered = true;
    });
    // Wait until the request is queued: its Wake event is in SDL's queue.
    SDL_Event e;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_USEREVENT, SDL_LASTEVENT) < 1 &&
           std::chrono::steady_clock::now() < deadline) {
        SDL_PumpEvents();
        std::this_thread::yield();
    }
    EXPECT_FALSE(answered);
    platform::SetEventPump(false);
    caller.join();
    EXPECT_FALSE(answer);
    EXPECT_FALSE(ran);
}

TEST_F(EventThreadTest, TheProcessCanEndWhileACallerWaits) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            alarm(20);  // a blocked exit ends by SIGALRM instead of hanging the test
            platform::SetEventPump(true);  // this thread pumps, but never serves
            std::atomic<bool> asked{false};
            std::thread([&] {
                auto work = [] {};
                asked = true;
                platform::RunOnEventThread(work);
            }).detach();
            while (!asked) std::this_thread::yield();
            // Once its Wake event is queued the caller waits for the pump (or is about to).
            SDL_Event e;
            while (SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_USEREVENT, SDL_LASTEVENT) < 1) {
                SDL_PumpEvents();
                std::this_thread::yield();
            }
            std::exit(7);
        },
        testing::ExitedWithCode(7), "");
}

}  // namespace

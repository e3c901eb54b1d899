#include "platform/thread/worker_thread.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <future>

namespace {

TEST(WorkerThreadTest, RunsTheBodyOnAThreadOfItsOwnAndKnowsWhichItIs) {
    platform::WorkerThread worker;
    EXPECT_FALSE(worker.Joinable());
    EXPECT_EQ(worker.Id(), 0u);
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<std::uint32_t> bodyId{0};
    std::atomic<bool> currentInside{false};
    ASSERT_TRUE(worker.Start([&] {
        bodyId = static_cast<std::uint32_t>(gettid());
        currentInside = worker.IsCurrent();
        released.wait();
    }));
    EXPECT_TRUE(worker.Joinable());
    EXPECT_FALSE(worker.IsCurrent());
    // The id is known as soon as Start returns, and it is the body's own thread.
    const std::uint32_t id = worker.Id();
    EXPECT_NE(id, static_cast<std::uint32_t>(gettid()));
    // A second worker is refused while the first runs.
    EXPECT_FALSE(worker.Start([] {}));
    release.set_value();
    worker.Join();
    EXPECT_FALSE(worker.Joinable());
    EXPECT_EQ(bodyId.load(), id);
    EXPECT_TRUE(currentInside.load());
}

TEST(WorkerThreadTest, JoinWaitsForTheBodyAndTheObjectCanStartAgain) {
    platform::WorkerThread worker;
    std::atomic<int> runs{0};
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(worker.Start([&] { ++runs; }));
        worker.Join();
        EXPECT_EQ(runs.load(), i + 1);
    }
}

TEST(WorkerThreadTest, DestroyingARunningWorkerWaitsForIt) {
    std::atomic<bool> finished{false};
    {
        platform::WorkerThread worker;
        ASSERT_TRUE(worker.Start([&] {
            usleep(20000);
            finished = true;
        }));
    }
    EXPECT_TRUE(finished.load());
}

}  // namespace

#include "app/application.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <sys/resource.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "fake_window.h"

namespace {

// Run counts frames until running is cleared; Shutdown records whether Run had returned.
class TestApp : public Application {
public:
    ~TestApp() { StopWorker(); }

    void Run() override {
        ++runCalls;
        sawRunningAtStart = running.load();
        while (running) {
            frames.fetch_add(1);
            std::this_thread::yield();
        }
        runReturned = true;
    }
    void Shutdown() override {
        ++shutdownCalls;
        runHadReturnedAtShutdown = runReturned.load();
    }

    using Application::AttachWindow;
    using Application::StartWorker;
    BYTE Key(int vk) const { return keys[vk]; }
    void SetRunning(bool value) { running = value; }

    bool WaitForFrames(int count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (frames.load() < count)
            if (std::chrono::steady_clock::now() > deadline) return false;
        return true;
    }

    std::atomic<int> runCalls{0};
    std::atomic<int> frames{0};
    std::atomic<bool> runReturned{false};
    std::atomic<bool> sawRunningAtStart{false};
    int shutdownCalls = 0;
    bool runHadReturnedAtShutdown = false;
};

// While it lives, no thread can be created in the process: the default stack asked of every new
// thread is far larger than any address space.
class NoNewThreads {
public:
    NoNewThreads() {
        pthread_getattr_default_np(&saved_);
        pthread_attr_t huge;
        pthread_attr_init(&huge);
        pthread_attr_setstacksize(&huge, std::size_t{1} << 46);
        pthread_setattr_default_np(&huge);
        pthread_attr_destroy(&huge);
    }
    ~NoNewThreads() {
        pthread_setattr_default_np(&saved_);
        pthread_attr_destroy(&saved_);
    }
    NoNewThreads(const NoNewThreads&) = delete;
    NoNewThreads& operator=(const NoNewThreads&) = delete;

private:
    pthread_attr_t saved_;
};

// Sets an environment variable for its lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old;
        setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (saved_) setenv(name_.c_str(), saved_->c_str(), 1);
        else unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> saved_;
};

// A TestApp that goes through the whole Startup on SDL's display-free video driver, with the
// settings it is given. threadsFail makes the worker thread's creation (the step right after
// AfterWindow) fail.
class StartedApp : public TestApp {
public:
    explicit StartedApp(DisplaySettings chosen, bool threadsFail = false) : chosen_(chosen), threadsFail_(threadsFail) {}
    bool Configure(DisplaySettings& s) override {
        s = chosen_;
        return true;
    }
    bool AfterWindow() override {
        if (threadsFail_) noThreads.emplace();
        return true;
    }
    // The worker's kernel thread id, known once Startup has returned.
    std::uint32_t WorkerThread() const { return workerThreadId; }
    std::optional<NoNewThreads> noThreads;

private:
    DisplaySettings chosen_;
    bool threadsFail_;
};

constexpr DisplaySettings kWindowed640{640, 480, 0, 0, 1, 0};

int QueuedMessages(Application& app) {
    int count = 0;
    Message m;
    while (app.PeekMessage(m)) ++count;
    return count;
}

TEST(ApplicationState, StartsRunningWithNoWindowAndNoKeys) {
    TestApp app;
    EXPECT_TRUE(app.IsRunning());
    EXPECT_FALSE(app.IsInactive());
    EXPECT_EQ(app.GetWindow(), nullptr);
    for (int vk = 0; vk < 256; ++vk) ASSERT_EQ(app.Key(vk), 0) << vk;
}

TEST(HandleMessage, EscapeClearsRunningAndIsRecordedAsAKey) {
    TestApp app;
    app.HandleMessage(nullptr, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_FALSE(app.IsRunning());
    EXPECT_EQ(app.Key(27), 1);
    EXPECT_TRUE(app.IsKeyDown(27));
    app.HandleMessage(nullptr, WM_KEYUP, VK_ESCAPE, 0);
    EXPECT_EQ(app.Key(27), 0);
}

TEST(HandleMessage, KeysStayDownThroughAutoRepeatUntilReleased) {
    TestApp app;
    app.HandleMessage(nullptr, WM_KEYDOWN, 'A', 1);
    app.HandleMessage(nullptr, WM_KEYDOWN, 'A', 1 | (LPARAM{1} << 30));
    EXPECT_EQ(app.Key('A'), 1);
    EXPECT_TRUE(app.IsRunning());  // only Esc stops
    app.HandleMessage(nullptr, WM_KEYDOWN, 38, 1);
    app.HandleMessage(nullptr, WM_KEYUP, 'A', 0);
    EXPECT_EQ(app.Key('A'), 0);
    EXPECT_EQ(app.Key(38), 1);
    // Codes outside the table are ignored rather than written past it.
    app.HandleMessage(nullptr, WM_KEYDOWN, 300, 1);
    app.HandleMessage(nullptr, WM_KEYDOWN, static_cast<WPARAM>(-1), 1);
    EXPECT_FALSE(app.IsKeyDown(300));
    EXPECT_FALSE(app.IsKeyDown(-1));
}

TEST(HandleMessage, SystemCommandsAreSwallowed) {
    FakeHeadlessWindow window;
    TestApp app;
    app.AttachWindow(&window);
    for (WPARAM command : {SC_CLOSE, SC_CLOSE | 2, SC_SCREENSAVE, WPARAM{0xF020}, WPARAM{0xF000}}) {
        EXPECT_EQ(app.HandleMessage(&window, WM_SYSCOMMAND, command, 0), 0);
    }
    EXPECT_EQ(QueuedMessages(app), 0);  // no close request was passed on
    EXPECT_TRUE(app.IsRunning());
    EXPECT_EQ(app.shutdownCalls, 0);
}

TEST(HandleMessage, AltF4BecomesACloseCommandThatIsSwallowed) {
    FakeHeadlessWindow window;
    TestApp app;
    app.AttachWindow(&window);
    app.HandleMessage(&window, WM_SYSKEYDOWN, VK_F4, 1);
    Message m;
    ASSERT_TRUE(app.PeekMessage(m));
    EXPECT_EQ(m.message, WM_SYSCOMMAND);
    EXPECT_EQ(m.wParam, SC_CLOSE);
    EXPECT_EQ(m.window, &window);
    app.HandleMessage(m.window, m.message, m.wParam, m.lParam);
    EXPECT_EQ(QueuedMessages(app), 0);
    EXPECT_EQ(app.shutdownCalls, 0);
}

TEST(HandleMessage, ActivationTracksInactive) {
    TestApp app;
    EXPECT_EQ(app.HandleMessage(nullptr, WM_ACTIVATE, WA_INACTIVE, 0), 0);
    EXPECT_TRUE(app.IsInactive());
    app.HandleMessage(nullptr, WM_ACTIVATE, WA_ACTIVE | (WPARAM{1} << 16), 0);
    EXPECT_FALSE(app.IsInactive());
    app.HandleMessage(nullptr, WM_ACTIVATE, WA_INACTIVE | (WPARAM{1} << 16), 0);  // minimised
    EXPECT_TRUE(app.IsInactive());
}

TEST(HandleMessage, DestroyStopsShutsDownAndQuitsWithZero) {
    TestApp app;
    app.HandleMessage(nullptr, WM_DESTROY, 0, 0);
    EXPECT_FALSE(app.IsRunning());
    EXPECT_EQ(app.shutdownCalls, 1);
    EXPECT_EQ(app.RunMessageLoop(), 0);
}

TEST(HandleMessage, WindowProcReachesOnlyTheAttachedWindow) {
    FakeHeadlessWindow window, other;
    TestApp app;
    EXPECT_EQ(Application::WindowProc(&window, WM_KEYDOWN, 'Q', 1), 0);
    EXPECT_EQ(app.Key('Q'), 0);  // not attached yet: default processing only
    app.AttachWindow(&window);
    Application::WindowProc(&window, WM_KEYDOWN, 'Q', 1);
    Application::WindowProc(&other, WM_KEYDOWN, 'W', 1);
    EXPECT_EQ(app.Key('Q'), 1);
    EXPECT_EQ(app.Key('W'), 0);
}

TEST(WorkerLifecycle, EscapeEndsRunThenTheWindowClosesAndTheLoopReturnsZero) {
    FakeHeadlessWindow window;
    TestApp app;
    app.SetRunning(false);  // the worker sets it again before Run
    app.AttachWindow(&window);
    ASSERT_TRUE(app.StartWorker());
    ASSERT_TRUE(app.WaitForFrames(3));
    EXPECT_TRUE(app.sawRunningAtStart);
    app.HandleMessage(&window, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(app.RunMessageLoop(), 0);  // the worker's close request, then destroy, then quit
    EXPECT_EQ(app.runCalls, 1);
    EXPECT_EQ(app.shutdownCalls, 1);
    EXPECT_TRUE(app.runHadReturnedAtShutdown);
}

TEST(WorkerLifecycle, WindowClosedFromOutsideWaitsForTheFrameInProgress) {
    FakeHeadlessWindow window;
    TestApp app;
    app.AttachWindow(&window);
    ASSERT_TRUE(app.StartWorker());
    ASSERT_TRUE(app.WaitForFrames(3));
    app.PostMessage(&window, WM_CLOSE, 0, 0);  // not the worker's own request: Run is still looping
    EXPECT_EQ(app.RunMessageLoop(), 0);
    EXPECT_FALSE(app.IsRunning());
    EXPECT_EQ(app.shutdownCalls, 1);
    EXPECT_TRUE(app.runHadReturnedAtShutdown);
    EXPECT_EQ(QueuedMessages(app), 0);  // the worker's late close request went nowhere
}

TEST(WorkerLifecycle, AWorkerThatCannotBeCreatedFailsStartWorker) {
    FakeHeadlessWindow window;
    TestApp app;
    app.AttachWindow(&window);
    {
        NoNewThreads scope;
        EXPECT_FALSE(app.StartWorker());
    }
    EXPECT_EQ(app.runCalls, 0);
    // Once threads can be made again, the worker starts as usual.
    ASSERT_TRUE(app.StartWorker());
    ASSERT_TRUE(app.WaitForFrames(1));
    app.RequestStop();
}

TEST(Startup, AWorkerThatCannotBeCreatedEndsStartupWithFalse) {
    ScopedEnv video("SDL_VIDEODRIVER", "dummy");
    StartedApp app(kWindowed640, true);
    EXPECT_FALSE(app.Startup(nullptr, "no worker"));
    ASSERT_TRUE(app.noThreads.has_value()) << "start-up ended before the worker's step";
    app.noThreads.reset();
    EXPECT_NE(app.GetWindow(), nullptr);
    EXPECT_EQ(app.runCalls, 0);
    EXPECT_EQ(app.StartupExitCode(), 0);  // a quiet end, as for the shell's other failing steps
}

// A thread's nice value (lower runs first); 1000 when it cannot be read.
int NiceOf(id_t thread) {
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, thread);
    return nice == -1 && errno != 0 ? 1000 : nice;
}

// Whether this process may raise a thread's priority (lower its nice value), as the shell does.
bool MayRaisePriorities() {
    bool allowed = false;
    std::thread([&] { allowed = setpriority(PRIO_PROCESS, 0, NiceOf(0) - 1) == 0; }).join();
    return allowed;
}

// Puts the calling thread's nice value back when it ends.
class KeepNice {
public:
    KeepNice() : nice_(NiceOf(0)) {}
    ~KeepNice() { setpriority(PRIO_PROCESS, 0, nice_); }
    KeepNice(const KeepNice&) = delete;
    KeepNice& operator=(const KeepNice&) = delete;
    int Value() const { return nice_; }

private:
    int nice_;
};

// High Priority: the process runs at nice -10, and the worker one step above the process, with
// or without it. (On Linux the main thread stands for the process: threads made later inherit
// its value.)
TEST(Startup, ThePrioritiesOfTheProcessAndTheWorker) {
    if (!MayRaisePriorities()) GTEST_SKIP() << "this process may not raise priorities";
    ScopedEnv video("SDL_VIDEODRIVER", "dummy");
    KeepNice before;
    for (const bool high : {true, false}) {
        SCOPED_TRACE(high ? "high priority" : "normal priority");
        setpriority(PRIO_PROCESS, 0, before.Value());
        DisplaySettings chosen = kWindowed640;
        chosen.highPriority = high ? 1 : 0;
        StartedApp app(chosen);
        ASSERT_TRUE(app.Startup(nullptr, "priorities"));
        ASSERT_TRUE(app.WaitForFrames(1));
        const int process = NiceOf(0);
        EXPECT_EQ(process, high ? -10 : before.Value());
        EXPECT_EQ(NiceOf(static_cast<id_t>(app.WorkerThread())), process - 1);
        app.RequestStop();
    }
}

// A shell whose Run does whatever it is given, run headless on a window without a display.
void RunHeadlessDoing(std::function<void()> work) {
    class App : public Application {
    public:
        explicit App(std::function<void()> w) : work_(std::move(w)) {}
        void Run() override { work_(); }

    private:
        std::function<void()> work_;
    } app(std::move(work));
    FakeHeadlessWindow surface;
    app.RunHeadless(surface, kWindowed640);
}

TEST(WorkerSafetyNet, OutOfMemoryInRunIsReportedAndEndsWithThree) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunHeadlessDoing([] { throw std::bad_alloc(); }), testing::ExitedWithCode(3),
                "Orrery3D Error\n[^\n]*out of memory");
    // Its relatives from the library (array sizes that cannot be had) are the same thing.
    EXPECT_EXIT(RunHeadlessDoing([] { throw std::bad_array_new_length(); }), testing::ExitedWithCode(3),
                "out of memory");
}

TEST(WorkerSafetyNet, AnyOtherExceptionIsReportedAndEndsWithThree) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunHeadlessDoing([] { throw std::runtime_error("the scene table is broken"); }),
                testing::ExitedWithCode(3), "the scene table is broken(.|\n)*Orrery3D Error\nGeneric engine error");
    EXPECT_EXIT(RunHeadlessDoing([] { throw 42; }), testing::ExitedWithCode(3),
                "Orrery3D Error\nGeneric engine error");
}

TEST(WorkerLifecycle, RunHeadlessRunsOnceWithTheGivenSurfaceAndSettings) {
    FakeHeadlessWindow surface;
    class OneFrameApp : public Application {
    public:
        void Run() override {
            ran = true;
            sawWindow = GetWindow();
            sawSettings = settings;
            sawRunning = running;
            onCaller = std::this_thread::get_id() == caller;
        }
        std::thread::id caller = std::this_thread::get_id();
        bool ran = false, sawRunning = false, onCaller = true;
        HWND sawWindow = nullptr;
        DisplaySettings sawSettings{};
    } app;
    app.RequestStop();
    app.RunHeadless(surface, DisplaySettings{320, 200, 0, 0, 1, 0});
    EXPECT_TRUE(app.ran);
    EXPECT_TRUE(app.sawRunning);
    EXPECT_FALSE(app.onCaller);
    EXPECT_EQ(app.sawWindow, &surface);
    EXPECT_EQ(app.sawSettings.width, 320);
    EXPECT_EQ(app.sawSettings.height, 200);
    Message m;
    EXPECT_FALSE(app.PeekMessage(m));
}

}  // namespace

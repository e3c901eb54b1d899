#include "app/application.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
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

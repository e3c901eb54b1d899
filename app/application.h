// Application: the shell a program derives from. It owns the top-level window, runs the message
// loop on the main thread and runs the derived class's Run on one worker thread.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "app/display_settings.h"
#include "app/window_messages.h"
#include "platform/thread/worker_thread.h"

namespace platform {
class ShellWindow;
class Window;
struct Event;
}  // namespace platform

class Application {
public:
    Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    // Stops and joins a worker that is still running (only when the loop never ran to its end).
    ~Application();

    // The whole program's work, on the worker thread. Called exactly once.
    virtual void Run() = 0;
    // Fills the display settings before the window exists; false cancels start-up.
    virtual bool Configure(DisplaySettings& settings);
    // Called once the window is shown and focused, before the worker starts; false cancels.
    virtual bool AfterWindow();
    // Called on the main thread while the window is destroyed, after the worker has finished.
    virtual void Shutdown();

    // Exit code of a program whose window system could not be started.
    static constexpr int kWindowSystemFailure = 1;

    // Creates the window and starts the worker. False ends the program with StartupExitCode.
    bool Startup(HINSTANCE instance, const char* title);
    // After a failed Startup: kWindowSystemFailure when the window system could not be started,
    // 0 for every other end of start-up (a cancelled setup dialog among them).
    int StartupExitCode() const { return startupExitCode_; }
    // Pumps messages until the quit message; returns its exit code.
    int RunMessageLoop();
    HWND GetWindow() const { return window; }

    static LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static DWORD WorkerMain(Application* application);

    // Runs Run on a worker thread against surface (a headless window, say) with the given
    // settings, without a window system or a message loop; returns when Run has returned.
    void RunHeadless(platform::Window& surface, const DisplaySettings& displaySettings);

    // The message queue of the main thread. PostMessage is safe from any thread. Without a
    // window system (tests, tools) the loop waits on the queue alone.
    void PostMessage(HWND target, UINT message, WPARAM wParam, LPARAM lParam);
    void PostQuitMessage(int exitCode);
    // Takes the oldest queued message when there is one.
    bool PeekMessage(Message& message);

    // Clears the running flag (any thread); the worker leaves its loop at the end of its frame.
    void RequestStop() { running = false; }
    bool IsRunning() const { return running; }
    // Whether the key with virtual-key code vk is down (any thread).
    bool IsKeyDown(int vk) const;
    bool IsInactive() const { return inactive != FALSE; }
    const DisplaySettings& Settings() const { return settings; }

protected:
    // Makes target the application's window and attaches the object to it (start-up step 6);
    // lets tests and tools drive the shell with a window of their own.
    void AttachWindow(HWND target);
    // Starts the worker thread running WorkerMain; false when it cannot be created.
    bool StartWorker();
    // Clears running and waits for the worker (not from the worker itself).
    void StopWorker();

    HWND window = nullptr;
    std::atomic<DWORD> workerThreadId{0};
    platform::WorkerThread workerThread;
    BOOL inactive = FALSE;
    std::atomic<bool> running{true};
    float showTime = 0.0f;
    float framesPerSecond = 0.0f;
    // Written by the main thread, read by the worker.
    std::array<std::atomic<BYTE>, 256> keys{};
    DisplaySettings settings = {};

private:
    LRESULT DefaultProcessing(HWND target, UINT message, WPARAM wParam, LPARAM lParam);
    void DestroyWindow(HWND target);
    bool GetMessage(Message& message);
    bool TranslateEvent(const platform::Event& event, Message& message) const;
    void DispatchMessage(const Message& message);
    void SetKey(WPARAM vk, BYTE down);

    std::unique_ptr<platform::ShellWindow> ownedWindow_;
    bool attached_ = false;
    bool windowDestroyed_ = false;
    bool windowSystem_ = false;
    int startupExitCode_ = 0;
    std::mutex queueMutex_;
    std::condition_variable queueChanged_;
    std::deque<Message> queue_;
};

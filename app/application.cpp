#include "app/application.h"

#include <cstdio>
#include <exception>
#include <new>

#include "app/error_reporter.h"
#include "app/thread_priority.h"
#include "platform/window/cursor.h"
#include "platform/window/event_thread.h"
#include "platform/window/events.h"
#include "platform/window/gl_current.h"
#include "platform/window/key_map.h"
#include "platform/window/shell_window.h"
#include "resources/resources.h"

namespace {

// The object attached to its window (start-up step 6), for the static window procedure.
// Plain pointers only: nothing here is destroyed at process exit.
std::atomic<Application*> attachedApplication{nullptr};
std::atomic<HWND> attachedWindow{nullptr};

// Key messages carry the previous key state in bit 30 and the transition state in bit 31.
constexpr LPARAM kPreviouslyDown = LPARAM{1} << 30;
constexpr LPARAM kReleased = LPARAM{1} << 31;

}  // namespace

Application::Application() = default;

Application::~Application() {
    if (windowSystem_) platform::SetEventPump(false);
    StopWorker();
    if (attachedApplication == this) {
        attachedApplication = nullptr;
        attachedWindow = nullptr;
    }
}

bool Application::Configure(DisplaySettings&) { return true; }
bool Application::AfterWindow() { return true; }
void Application::Shutdown() {}

bool Application::Startup(HINSTANCE, const char* title) {
    // 1. The window class: the window system, the class name and the icon.
    if (!platform::InitWindowSystem("Orrery3D")) {
        startupExitCode_ = kWindowSystemFailure;
        return false;
    }
    windowSystem_ = true;
    // 2. The display settings.
    if (!Configure(settings)) return false;
    // 3. The window; a failure is not tested here (the device reports it later).
    const platform::IconImage icon = LoadIconResource(IDI_ORRERY3D);
    ownedWindow_ = platform::ShellWindow::Create(title, 0, 0, settings.width, settings.height, &icon);
    window = ownedWindow_.get();
    // 4. Shown and focused.
    if (ownedWindow_) {
        ownedWindow_->Show();
        ownedWindow_->Focus();
    }
    // 5.
    if (!AfterWindow()) return false;
    // 6. From here on the window's messages reach HandleMessage.
    AttachWindow(window);
    // 7.
    SetProcessPriority(settings.highPriority != 0);
    // 8. and 9. Window work the worker hands over (message boxes, full screen) waits for the
    // message loop, which follows at once.
    platform::SetEventPump(true);
    if (!StartWorker()) {
        platform::SetEventPump(false);
        return false;
    }
    RaiseThreadPriority(workerThreadId);
    // 10.
    platform::ShowCursor(false);
    return true;
}

void Application::AttachWindow(HWND target) {
    window = target;
    attached_ = true;
    windowDestroyed_ = false;
    attachedWindow = target;
    attachedApplication = this;
}

bool Application::StartWorker() {
    if (!workerThread.Start([this] { WorkerMain(this); })) return false;
    workerThreadId = workerThread.Id();
    return true;
}

void Application::StopWorker() {
    running = false;
    if (workerThread.Joinable() && !workerThread.IsCurrent()) workerThread.Join();
}

DWORD Application::WorkerMain(Application* application) {
    application->running = true;
    // Nothing may leave the worker: an exception out of Run ends the program through the error
    // reporter (exit code 3) instead of terminating it.
    try {
        application->Run();
    } catch (const std::bad_alloc&) {
        ErrorReporter::Instance().Report(application->window, MessageCode::kOutOfMemory, Severity::kError);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "application: the show stopped on an unexpected failure: %s\n", error.what());
        ErrorReporter::Instance().Report(application->window, MessageCode::kGenericError, Severity::kError);
    } catch (...) {
        std::fprintf(stderr, "application: the show stopped on an unexpected failure\n");
        ErrorReporter::Instance().Report(application->window, MessageCode::kGenericError, Severity::kError);
    }
    // Let the main thread take the rendering context over (it releases the device at exit).
    platform::ReleaseCurrentGlContext();
    application->PostMessage(application->window, WM_CLOSE, 0, 0);
    return 0;
}

void Application::RunHeadless(platform::Window& surface, const DisplaySettings& displaySettings) {
    settings = displaySettings;
    window = &surface;
    if (!StartWorker()) return;
    workerThread.Join();
    // The worker's close request has no window system to go to.
    std::lock_guard lock(queueMutex_);
    queue_.clear();
}

int Application::RunMessageLoop() {
    // While the loop pumps, window work the worker hands over (message boxes, full screen) is
    // done from here.
    if (windowSystem_) platform::SetEventPump(true);
    Message message;
    while (GetMessage(message)) DispatchMessage(message);
    if (windowSystem_) platform::SetEventPump(false);
    return static_cast<int>(message.wParam);
}

// ---- The message queue ----

void Application::PostMessage(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard lock(queueMutex_);
        queue_.push_back(Message{target, message, wParam, lParam});
    }
    queueChanged_.notify_all();
    if (windowSystem_) platform::PostWakeEvent(0);
}

void Application::PostQuitMessage(int exitCode) {
    PostMessage(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

bool Application::PeekMessage(Message& message) {
    std::lock_guard lock(queueMutex_);
    if (queue_.empty()) return false;
    message = queue_.front();
    queue_.pop_front();
    return true;
}

bool Application::GetMessage(Message& message) {
    if (!windowSystem_) {
        std::unique_lock lock(queueMutex_);
        queueChanged_.wait(lock, [this] { return !queue_.empty(); });
        message = queue_.front();
        queue_.pop_front();
        return message.message != WM_QUIT;
    }
    for (;;) {
        if (PeekMessage(message)) return message.message != WM_QUIT;
        platform::Event event;
        if (!platform::WaitEvent(event)) {
            // The window system is gone: end the loop as a quit with code 0 would.
            message = Message{nullptr, WM_QUIT, 0, 0};
            return false;
        }
        if (TranslateEvent(event, message)) return true;
    }
}

// Window-system events as the messages the window procedure knows.
bool Application::TranslateEvent(const platform::Event& event, Message& message) const {
    message = Message{window, 0, 0, 0};
    switch (event.type) {
    case platform::EventType::KeyDown:
    case platform::EventType::KeyUp: {
        if (event.virtualKey == 0) return false;
        const bool down = event.type == platform::EventType::KeyDown;
        // Alt and the keys pressed while Alt is held are system keys (Alt+F4 among them).
        const bool system = event.altDown || event.virtualKey == platform::vk::Menu;
        message.message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
        message.wParam = static_cast<WPARAM>(event.virtualKey);
        message.lParam = 1 | (down ? (event.repeat ? kPreviouslyDown : 0) : (kPreviouslyDown | kReleased));
        return true;
    }
    case platform::EventType::Activated:
    case platform::EventType::Deactivated:
        message.message = WM_ACTIVATE;
        message.wParam = event.type == platform::EventType::Activated ? WA_ACTIVE : WA_INACTIVE;
        return true;
    case platform::EventType::CloseRequest:
        // The close button, the window manager's close and quit requests are system commands.
        message.message = WM_SYSCOMMAND;
        message.wParam = SC_CLOSE;
        return true;
    case platform::EventType::WindowGone:
        // Our window was destroyed from outside: it is gone, as after DestroyWindow.
        if (!ownedWindow_ || event.nativeWindow == 0 || event.nativeWindow != ownedWindow_->NativeId())
            return false;
        message.message = WM_DESTROY;
        return true;
    case platform::EventType::Wake:
    case platform::EventType::None:
        return false;
    }
    return false;
}

void Application::DispatchMessage(const Message& message) {
    // Messages for a window that has been destroyed go nowhere.
    if (windowDestroyed_ || message.window != window) return;
    if (message.message == WM_DESTROY) {
        // Only the window system reports a destruction this way.
        DestroyWindow(message.window);
        return;
    }
    if (!attached_) {
        DefaultProcessing(message.window, message.message, message.wParam, message.lParam);
        return;
    }
    HandleMessage(message.window, message.message, message.wParam, message.lParam);
}

LRESULT Application::WindowProc(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
    Application* application = attachedApplication;
    if (!application || attachedWindow != target) return 0;
    return application->HandleMessage(target, message, wParam, lParam);
}

// ---- The window's reactions ----

LRESULT Application::HandleMessage(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        running = false;
        // The worker finishes its frame and leaves Run before Shutdown destroys what it uses.
        // No events are pumped meanwhile, so a box it asks for now goes to stderr only (and a
        // full-screen request is given up).
        if (windowSystem_) platform::SetEventPump(false);
        StopWorker();
        Shutdown();
        PostQuitMessage(0);
        return 0;
    case WM_ACTIVATE:
        inactive = (wParam & 0xFFFF) == WA_INACTIVE ? TRUE : FALSE;
        return 0;
    case WM_KEYDOWN:
        SetKey(wParam, 1);
        if (wParam == VK_ESCAPE) running = false;
        break;
    case WM_KEYUP:
        SetKey(wParam, 0);
        break;
    case WM_SYSCOMMAND:
        // Every system command is refused: no moving, sizing, closing or screen saver.
        return 0;
    default:
        break;
    }
    return DefaultProcessing(target, message, wParam, lParam);
}

LRESULT Application::DefaultProcessing(HWND target, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(target);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4) PostMessage(target, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) PostMessage(target, WM_CLOSE, 0, 0);
        return 0;
    default:
        return 0;
    }
}

void Application::DestroyWindow(HWND target) {
    if (windowDestroyed_ || target != window) return;
    if (attached_) HandleMessage(target, WM_DESTROY, 0, 0);
    windowDestroyed_ = true;
    if (ownedWindow_) ownedWindow_->Close();
}

void Application::SetKey(WPARAM vk, BYTE down) {
    if (vk < keys.size()) keys[vk].store(down, std::memory_order_relaxed);
}

bool Application::IsKeyDown(int vk) const {
    if (vk < 0 || vk >= static_cast<int>(keys.size())) return false;
    return keys[vk].load(std::memory_order_relaxed) != 0;
}

// Test helpers for runs of the real program on a private Xvfb display.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace xtest {

// A child process started with its own environment additions, working directory and stderr file.
class Child {
public:
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child();  // kills the child if it is still running

    // Standard input is /dev/null; standard error (and standard output, when a path is given)
    // goes to the named files.
    bool Start(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
               const std::string& workDir, const std::string& stderrPath, const std::string& stdoutPath = "");
    // Waits up to timeout for the exit; true with the exit code (128 + signal for a signal).
    bool WaitExit(std::chrono::milliseconds timeout, int& exitCode);
    bool IsRunning();
    void Kill();
    // SIGTERM, then SIGKILL if it has not ended within a second.
    void Terminate();
    pid_t Pid() const { return pid_; }
    // The exit code once the end has been seen (WaitExit or IsRunning), -1 before.
    int ExitCode() const { return exitCode_; }

private:
    pid_t pid_ = -1;
    int exitCode_ = -1;
};

// An Xvfb server on a display number it picks itself.
class Xvfb {
public:
    ~Xvfb() { server_.Terminate(); }
    static bool Available();
    bool Start();
    const std::string& Display() const { return display_; }
    // Kills the server at once, as a crash would: its clients lose their connections.
    void Kill() { server_.Kill(); }

private:
    bool StartOn(int number);
    Child server_;
    std::string display_;
};

// Runs a shell command with DISPLAY set; returns its standard output (empty on failure).
std::string RunOnDisplay(const std::string& display, const std::string& command);
// Polls until a top-level window whose name contains the text appears; its id, or "" on timeout.
std::string WaitForWindow(const std::string& display, const std::string& nameContains,
                          std::chrono::milliseconds timeout);
// Polls until the window is mapped and viewable (it takes input from then on); false on timeout.
bool WaitUntilViewable(const std::string& display, const std::string& window, std::chrono::milliseconds timeout);
std::string ReadFile(const std::string& path);
std::string MakeTempDir();
// Copies the intro's pictures from the data pack into dir, so that the show gets past loading
// there (the other scenes find nothing and draw what they have). False when a copy fails.
bool CopyIntroPictures(const std::string& packDir, const std::string& dir);

}  // namespace xtest

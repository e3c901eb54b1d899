// Test helpers for programs run as child processes: start one with its own environment, folder and
// output files, wait for its end with a deadline, end it.
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

// What one run of a program printed and how it ended.
struct ProgramRun {
    bool started = false;
    bool timedOut = false;  // it did not end by the deadline and was killed
    bool exited = false;    // it ended by itself, through exit, not by a signal
    int code = -1;          // the exit code; 128 + the signal for a signal; -1 if it never ended
    std::string out, err;

    std::vector<std::string> OutLines() const;
};

// Runs argv (argv[0] found on PATH where it has no slash) in workDir with the env additions and
// waits up to timeout; a program still running then is killed, so a hang fails a test instead of
// stopping the suite. Its output goes through files of its own, not into workDir.
ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& workDir,
                      std::chrono::milliseconds timeout, const std::map<std::string, std::string>& env = {});

std::string ReadFile(const std::string& path);
// A new empty folder under /tmp; "" on failure.
std::string MakeTempDir();

}  // namespace xtest

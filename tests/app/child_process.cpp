#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace xtest {

namespace {

int DecodeStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

Child::~Child() { Kill(); }

bool Child::Start(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                  const std::string& workDir, const std::string& stderrPath, const std::string& stdoutPath) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_ = fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
        for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
        if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(126);
        const auto redirect = [](const std::string& path, int target) {
            if (path.empty()) return;
            const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) dup2(fd, target);
        };
        redirect(stderrPath, 2);
        redirect(stdoutPath, 1);
        const int devnull = open("/dev/null", O_RDWR);
        if (devnull >= 0) dup2(devnull, 0);
        execvp(args[0], args.data());
        _exit(127);
    }
    return true;
}

bool Child::WaitExit(std::chrono::milliseconds timeout, int& exitCode) {
    if (pid_ <= 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            exitCode = exitCode_ = DecodeStatus(status);
            pid_ = -1;
            return true;
        }
        if (r < 0 || std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool Child::IsRunning() {
    if (pid_ <= 0) return false;
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == 0) return true;
    if (r == pid_) exitCode_ = DecodeStatus(status);
    pid_ = -1;
    return false;
}

void Child::Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

void Child::Terminate() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int code = 0;
    if (!WaitExit(std::chrono::milliseconds(1000), code)) Kill();
}


std::vector<std::string> ProgramRun::OutLines() const {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& workDir,
                      std::chrono::milliseconds timeout, const std::map<std::string, std::string>& env) {
    ProgramRun run;
    const std::string outputs = MakeTempDir();
    if (outputs.empty()) return run;
    const std::string outPath = outputs + "/stdout", errPath = outputs + "/stderr";
    Child child;
    run.started = child.Start(argv, env, workDir, errPath, outPath);
    if (run.started) {
        if (child.WaitExit(timeout, run.code)) {
            run.exited = run.code >= 0 && run.code < 128;
        } else {
            run.timedOut = true;
            child.Kill();
        }
    }
    run.out = ReadFile(outPath);
    run.err = ReadFile(errPath);
    std::error_code ignored;
    std::filesystem::remove_all(outputs, ignored);
    return run;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}


std::string MakeTempDir() {
    char pattern[] = "/tmp/o3d-program-XXXXXX";
    return mkdtemp(pattern) ? std::string(pattern) : std::string();
}

}  // namespace xtest

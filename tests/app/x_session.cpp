#include "x_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
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

bool OnPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    return false;
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

bool Xvfb::Available() { return OnPath("Xvfb") && OnPath("xdotool"); }

bool Xvfb::Start() {
    // Display numbers spread by process id: tests that run side by side, or one right after
    // another's server was stopped, do not meet on the same number.
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int number = 100 + static_cast<int>((getpid() * 7 + attempt * 13) % 800);
        if (StartOn(number)) return true;
        server_.Kill();
    }
    return false;
}

bool Xvfb::StartOn(int number) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    // Xvfb writes the display number to the descriptor once it accepts connections. Without
    // -noreset it would reset whenever its last client leaves, refusing connections meanwhile.
    std::string name(":");
    name += std::to_string(number);
    const bool started = server_.Start({"Xvfb", name, "-displayfd", std::to_string(fds[1]),
                                        "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"},
                                       {}, "", "/dev/null");
    close(fds[1]);
    std::string written;
    pollfd p{fds[0], POLLIN, 0};
    while (started && poll(&p, 1, 10000) > 0) {
        char c;
        if (read(fds[0], &c, 1) != 1 || c == '\n') break;
        written += c;
    }
    close(fds[0]);
    if (written != std::to_string(number)) return false;  // busy number: the server gave up
    display_ = name;
    return !RunOnDisplay(display_, "xdotool getdisplaygeometry").empty();
}

std::string RunOnDisplay(const std::string& display, const std::string& command) {
    const std::string line = "DISPLAY=" + display + " " + command + " 2>/dev/null";
    std::FILE* pipe = popen(line.c_str(), "r");
    if (!pipe) return "";
    std::string out;
    std::array<char, 256> buffer;
    while (std::fgets(buffer.data(), buffer.size(), pipe)) out += buffer.data();
    pclose(pipe);
    return out;
}

std::string WaitForWindow(const std::string& display, const std::string& nameContains,
                          std::chrono::milliseconds timeout) {
    // xdotool's name search misses windows whose name is typed UTF8_STRING (SDL's message boxes),
    // so list the top-level windows and ask each one's name.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        std::stringstream ids(RunOnDisplay(display, "xdotool search --maxdepth 1 ''"));
        std::string id;
        while (std::getline(ids, id)) {
            if (id.empty()) continue;
            const std::string name = RunOnDisplay(display, "xdotool getwindowname " + id);
            if (name.find(nameContains) != std::string::npos) return id;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "";
}

bool WaitUntilViewable(const std::string& display, const std::string& window, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::stringstream ids(RunOnDisplay(display, "xdotool search --onlyvisible --maxdepth 1 ''"));
        for (std::string id; std::getline(ids, id);)
            if (id == window) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool CopyIntroPictures(const std::string& packDir, const std::string& dir) {
    std::error_code ec;
    for (const char* name : {"intro_particle.jpg", "title.jpg"}) {
        std::filesystem::copy_file(packDir + "/" + name, dir + "/" + name, ec);
        if (ec) return false;
    }
    return true;
}

std::string MakeTempDir() {
    char pattern[] = "/tmp/o3d-program-XXXXXX";
    return mkdtemp(pattern) ? std::string(pattern) : std::string();
}

}  // namespace xtest

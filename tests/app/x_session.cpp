#include "x_session.h"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

namespace xtest {

namespace {

bool OnPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    return false;
}

}  // namespace

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

bool CopyIntroPictures(const std::string& packDir, const std::string& dir) {
    std::error_code ec;
    for (const char* name : {"intro_particle.jpg", "title.jpg"}) {
        std::filesystem::copy_file(packDir + "/" + name, dir + "/" + name, ec);
        if (ec) return false;
    }
    return true;
}

}  // namespace xtest

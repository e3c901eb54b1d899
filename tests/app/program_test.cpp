// End-to-end runs of the orrery3d program on a private Xvfb display, driven with xdotool.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <thread>

#include "x_session.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kAppear = 60s;  // sanitizer builds start slowly
const std::string kTitle = "P r o j e c t";

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!xtest::Xvfb::Available()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
        ASSERT_TRUE(xvfb.Start()) << "Xvfb did not start";
        dir = xtest::MakeTempDir();
        ASSERT_FALSE(dir.empty());
        errPath = dir + "/stderr.txt";
    }
    void TearDown() override {
        program.Kill();
        if (!dir.empty()) std::filesystem::remove_all(dir);
    }
    void Launch(std::map<std::string, std::string> env = {}) {
        env["DISPLAY"] = xvfb.Display();
        env["SDL_AUDIODRIVER"] = "dummy";
        ASSERT_TRUE(program.Start({ORRERY3D_PROGRAM}, env, dir, errPath));
    }
    // What the display and the program look like, for failure messages.
    std::string State() {
        std::string windows;
        for (const std::string& id : Split(Xdo("search --maxdepth 1 ''")))
            windows += id + " \"" + Trim(Xdo("getwindowname " + id)) + "\"; ";
        return std::string("program ") + (program.IsRunning() ? std::string("running") : "ended with " + std::to_string(program.ExitCode())) + " on " +
               xvfb.Display() + " (geometry " +
               Trim(Xdo("getdisplaygeometry")) + "), windows: " + windows + "\nstderr:\n" + xtest::ReadFile(errPath);
    }
    static std::vector<std::string> Split(const std::string& text) {
        std::vector<std::string> lines;
        std::stringstream in(text);
        for (std::string line; std::getline(in, line);)
            if (!line.empty()) lines.push_back(line);
        return lines;
    }
    static std::string Trim(std::string s) {
        while (!s.empty() && s.back() == '\n') s.pop_back();
        return s;
    }
    std::string Xdo(const std::string& args) { return xtest::RunOnDisplay(xvfb.Display(), "xdotool " + args); }
    void PressOn(const std::string& window, const char* key) {
        Xdo("windowfocus --sync " + window);
        Xdo("key --clearmodifiers " + std::string(key));
    }

    xtest::Xvfb xvfb;
    xtest::Child program;
    std::string dir, errPath;
};

TEST_F(ProgramTest, WindowAppearsAndEscapeEndsWithZero) {
    Launch();
    const std::string window = xtest::WaitForWindow(xvfb.Display(), kTitle, kAppear);
    ASSERT_FALSE(window.empty()) << State();
    EXPECT_EQ(Xdo("getwindowname " + window), " P r o j e c t   K a e d e    b y   K e s t r e l  L o o m\n");
    const std::string byClass = xtest::RunOnDisplay(xvfb.Display(), "xdotool search --class Orrery3D");
    EXPECT_NE(byClass.find(window), std::string::npos) << byClass;
    std::this_thread::sleep_for(500ms);  // let it draw a few frames
    PressOn(window, "Escape");
    int code = -1;
    ASSERT_TRUE(program.WaitExit(30s, code)) << "Esc did not end the program";
    EXPECT_EQ(code, 0) << xtest::ReadFile(errPath);
}

TEST_F(ProgramTest, CloseRequestIsIgnored) {
    Launch();
    const std::string window = xtest::WaitForWindow(xvfb.Display(), kTitle, kAppear);
    ASSERT_FALSE(window.empty()) << State();
    ASSERT_EQ(xtest::RunOnDisplay(xvfb.Display(), std::string(CLOSE_REQUEST_PROGRAM) + " " + window + " && echo sent"),
              "sent\n");
    std::this_thread::sleep_for(1500ms);
    EXPECT_TRUE(program.IsRunning()) << xtest::ReadFile(errPath);
    EXPECT_EQ(xtest::WaitForWindow(xvfb.Display(), kTitle, 5s), window);
    PressOn(window, "alt+F4");  // the keyboard way to ask the same
    std::this_thread::sleep_for(1000ms);
    EXPECT_TRUE(program.IsRunning());
    PressOn(window, "Escape");
    int code = -1;
    ASSERT_TRUE(program.WaitExit(30s, code));
    EXPECT_EQ(code, 0) << xtest::ReadFile(errPath);
}

TEST_F(ProgramTest, WindowDestroyedFromOutsideEndsTheRunWithZero) {
    Launch();
    const std::string window = xtest::WaitForWindow(xvfb.Display(), kTitle, kAppear);
    ASSERT_FALSE(window.empty()) << State();
    std::this_thread::sleep_for(500ms);
    Xdo("windowclose " + window);  // destroys the X window under the running frames
    int code = -1;
    ASSERT_TRUE(program.WaitExit(30s, code)) << "the program did not notice its window going away";
    EXPECT_EQ(code, 0) << xtest::ReadFile(errPath);
}

TEST_F(ProgramTest, UnusableOpenGlWarnsThenReportsAnErrorAndExitsWithThree) {
    Launch({{"LIBGL_DRIVERS_PATH", "/nonexistent"}, {"MESA_LOADER_DRIVER_OVERRIDE", "none"}});
    const std::string warning = xtest::WaitForWindow(xvfb.Display(), "Orrery3D Warning", kAppear);
    ASSERT_FALSE(warning.empty()) << xtest::ReadFile(errPath);
    PressOn(warning, "Return");
    const std::string error = xtest::WaitForWindow(xvfb.Display(), "Orrery3D Error", kAppear);
    ASSERT_FALSE(error.empty()) << xtest::ReadFile(errPath);
    PressOn(error, "Return");
    int code = -1;
    ASSERT_TRUE(program.WaitExit(30s, code)) << xtest::ReadFile(errPath);
    EXPECT_EQ(code, 3);
    const std::string err = xtest::ReadFile(errPath);
    EXPECT_NE(err.find("Orrery3D Warning\nDirect X init failure\nSwitching to software rendering (slow)\n"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("Orrery3D Error\nCould not initialize Direct3D.\nMake sure you have the latest\n"),
              std::string::npos)
        << err;
}

}  // namespace

// Test helpers for runs of the real program on a private Xvfb display.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "child_process.h"

namespace xtest {

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
// Copies the intro's pictures from the data pack into dir, so that the show gets past loading
// there (the other scenes find nothing and draw what they have). False when a copy fails.
bool CopyIntroPictures(const std::string& packDir, const std::string& dir);

// A test on a display of its own, with a fresh folder for the files of the program it runs and
// errPath there for that program's stderr; skipped where Xvfb or xdotool is missing. The folder
// goes at the end: a test stops its program in its own TearDown before calling this one's.
class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Xvfb::Available()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
        ASSERT_TRUE(xvfb.Start()) << "Xvfb did not start";
        dir = MakeTempDir();
        ASSERT_FALSE(dir.empty());
        errPath = dir + "/stderr.txt";
    }
    void TearDown() override {
        if (!dir.empty()) std::filesystem::remove_all(dir);
    }
    // True when SetUp skipped the test or failed.
    bool NotReady() const { return IsSkipped() || HasFatalFailure(); }

    Xvfb xvfb;
    std::string dir, errPath;
};

// A point in a window, in pixels.
struct Spot {
    int x, y;
};
// Centre, in window pixels, of a setup dialog control placed at x, y with size w x h in dialog
// units (a unit is 6/4 pixel across and 13/8 down; halves round up for these positive values).
inline Spot ControlCentre(int x, int y, int w, int h) {
    auto px = [](int v) { return (v * 6 + 2) / 4; };
    auto py = [](int v) { return (v * 13 + 4) / 8; };
    return {px(x) + px(w) / 2, py(y) + py(h) / 2};
}

}  // namespace xtest

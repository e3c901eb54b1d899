// The setup dialog as a real window on a private Xvfb display, driven with xdotool.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "tests/app/x_session.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kAppear = 60s;  // sanitizer builds start slowly
const std::string kTitle = "Project Kaede  Setup";
const std::string kDefaults = "run 1 highPriority 0 resolutionIndex 1 antialias 0 fullscreen 0 colour32 1\n";
const std::string kCancelled = "run 0 highPriority 0 resolutionIndex 0 antialias 0 fullscreen 0 colour32 0\n";

using xtest::Spot;
using xtest::ControlCentre;

// A widget as the probe saw it after the last event (dialog_probe.cpp).
struct Widget {
    std::string kind;
    int type = -1, value = -1, active = -1;
};
constexpr int kRadioType = 102;  // FL_RADIO_BUTTON
constexpr int kToggleType = 1;   // FL_TOGGLE_BUTTON

class DialogWindowTest : public xtest::DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        if (NotReady()) return;
        outPath = dir + "/choices.txt";
        widgetsPath = dir + "/widgets.txt";
        ASSERT_TRUE(probe.Start({DIALOG_PROBE_PROGRAM, outPath, widgetsPath}, {{"DISPLAY", xvfb.Display()}}, dir,
                                errPath));
        window = xtest::WaitForWindow(xvfb.Display(), kTitle, kAppear);
        ASSERT_FALSE(window.empty()) << xtest::ReadFile(errPath);
        // Input reaches it once it is mapped; it is made at its place, so it does not move after.
        ASSERT_TRUE(xtest::WaitUntilViewable(xvfb.Display(), window, kAppear)) << xtest::ReadFile(errPath);
    }
    void TearDown() override {
        probe.Kill();
        DisplayTest::TearDown();
    }
    std::string Xdo(const std::string& args) { return xtest::RunOnDisplay(xvfb.Display(), "xdotool " + args); }
    void Press(const char* key) {
        Xdo("windowfocus --sync " + window);
        Xdo("key --clearmodifiers " + std::string(key));
    }
    // The dialog reads its input in the order it came, so clicks and keys need no pause between
    // them: each one is handled before the next.
    void Click(Spot spot) {
        Xdo("mousemove --sync --window " + window + " " + std::to_string(spot.x) + " " + std::to_string(spot.y));
        Xdo("click 1");
    }
    // The probe's report once it has ended with 0; empty otherwise.
    std::string Outcome() {
        int code = -1;
        if (!probe.WaitExit(30s, code)) return "probe still running";
        if (code != 0) return "probe ended with " + std::to_string(code) + ": " + xtest::ReadFile(errPath);
        return xtest::ReadFile(outPath);
    }
    // The probe's widgets by label, once it has ended.
    std::map<std::string, Widget> Widgets() {
        std::map<std::string, Widget> widgets;
        std::stringstream lines(xtest::ReadFile(widgetsPath));
        for (std::string line; std::getline(lines, line);) {
            std::stringstream fields(line);
            Widget w;
            std::string word, label;
            fields >> w.kind >> word >> w.type >> word >> w.value >> word >> w.active;
            std::getline(fields >> std::ws, label);
            widgets[label] = w;
        }
        return widgets;
    }

    xtest::Child probe;
    std::string outPath, widgetsPath, window;
};

TEST_F(DialogWindowTest, TitleSizeAndPlaceOnTheScreen) {
    EXPECT_EQ(Xdo("getwindowname " + window), kTitle + "\n");
    std::map<std::string, int> geometry;
    std::stringstream lines(Xdo("getwindowgeometry --shell " + window));
    for (std::string line; std::getline(lines, line);) {
        const auto eq = line.find('=');
        if (eq != std::string::npos) geometry[line.substr(0, eq)] = std::stoi(line.substr(eq + 1));
    }
    EXPECT_EQ(geometry["WIDTH"], 458);
    EXPECT_EQ(geometry["HEIGHT"], 340);
    EXPECT_EQ(geometry["X"], (1024 - 458) / 2);  // the test server's screen is 1024 x 768
    EXPECT_EQ(geometry["Y"], (768 - 340) / 2);
    Press("Escape");
    EXPECT_EQ(Outcome(), kCancelled);
}

TEST_F(DialogWindowTest, ReturnRunsWithTheDefaults) {
    Press("Return");
    EXPECT_EQ(Outcome(), kDefaults);
}

TEST_F(DialogWindowTest, EscapeCancels) {
    Press("Escape");
    EXPECT_EQ(Outcome(), kCancelled);
}

TEST_F(DialogWindowTest, CloseBoxCancels) {
    ASSERT_EQ(xtest::RunOnDisplay(xvfb.Display(), std::string(CLOSE_REQUEST_PROGRAM) + " " + window + " && echo sent"),
              "sent\n");
    EXPECT_EQ(Outcome(), kCancelled);
}

TEST_F(DialogWindowTest, WindowDestroyedFromOutsideEndsTheDialogCancelled) {
    Xdo("windowclose " + window);
    EXPECT_EQ(Outcome(), kCancelled);
}

TEST_F(DialogWindowTest, CancelButtonCancels) {
    Click(ControlCentre(248, 188, 50, 14));
    EXPECT_EQ(Outcome(), kCancelled);
}

TEST_F(DialogWindowTest, ClickedChoicesReachTheRecord) {
    Click(ControlCentre(183, 18, 51, 10));  // "1024x768" is disabled: nothing changes
    Click(ControlCentre(13, 18, 52, 10));  // "640x400"
    Click(ControlCentre(15, 57, 50, 10));  // "High Priority"
    Click(ControlCentre(15, 83, 72, 10));  // "Fullscreen"
    Click(ControlCentre(15, 71, 72, 10));  // "Use 32 bit colors" off
    Click(ControlCentre(89, 44, 96, 10));  // "Use Fullscene AntiAliasing" is disabled
    Click(ControlCentre(193, 188, 50, 14));  // "Run demo"
    EXPECT_EQ(Outcome(), "run 1 highPriority 1 resolutionIndex 0 antialias 0 fullscreen 1 colour32 0\n");
}

TEST_F(DialogWindowTest, PickingAnotherResolutionDropsThePreviousOne) {
    Click(ControlCentre(125, 18, 51, 10));  // "800x600"
    Click(ControlCentre(69, 18, 51, 10));  // back to "640x480"
    Click(ControlCentre(125, 18, 51, 10));  // "800x600" again
    Press("Return");
    EXPECT_EQ(Outcome(), "run 1 highPriority 0 resolutionIndex 2 antialias 0 fullscreen 0 colour32 1\n");
}

// The resolutions are round radio buttons of one group: a click on one, even the checked one,
// leaves just that one checked, and the disabled ones take no clicks.
TEST_F(DialogWindowTest, ResolutionsAreRoundRadioButtonsCheckedOneAtATime) {
    Click(ControlCentre(125, 18, 51, 10));  // "800x600"
    Click(ControlCentre(13, 18, 52, 10));  // "640x400"
    Click(ControlCentre(240, 18, 51, 10));  // "1280x1024" is disabled
    Click(ControlCentre(13, 18, 52, 10));  // "640x400" again
    Press("Return");
    EXPECT_EQ(Outcome(), "run 1 highPriority 0 resolutionIndex 0 antialias 0 fullscreen 0 colour32 1\n");
    const std::map<std::string, Widget> widgets = Widgets();
    struct Expected {
        const char* label;
        const char* kind;
        int type, value, active;
    } expected[] = {
        {"640x400", "Fl_Round_Button", kRadioType, 1, 1},
        {"640x480", "Fl_Round_Button", kRadioType, 0, 1},
        {"800x600", "Fl_Round_Button", kRadioType, 0, 1},
        {"1024x768", "Fl_Round_Button", kRadioType, 0, 0},
        {"1280x1024", "Fl_Round_Button", kRadioType, 0, 0},
        // The other buttons keep their kinds.
        {"Run demo", "Fl_Return_Button", 0, 0, 1},
        {"Cancel", "Fl_Button", 0, 0, 1},
        {"High Priority", "Fl_Check_Button", kToggleType, 0, 1},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.label);
        ASSERT_EQ(widgets.count(e.label), 1u);
        const Widget& w = widgets.at(e.label);
        EXPECT_EQ(w.kind, e.kind);
        EXPECT_EQ(w.type, e.type);
        EXPECT_EQ(w.value, e.value);
        EXPECT_EQ(w.active, e.active);
    }
}

// Tab moves the focus in the template's order (Run demo, Cancel, 640x480, 800x600) and Space
// picks the focused resolution.
TEST_F(DialogWindowTest, SpacePicksTheFocusedResolution) {
    for (int i = 0; i < 3; ++i) Press("Tab");
    Press("space");
    Press("Return");
    EXPECT_EQ(Outcome(), "run 1 highPriority 0 resolutionIndex 2 antialias 0 fullscreen 0 colour32 1\n");
    const std::map<std::string, Widget> widgets = Widgets();
    ASSERT_EQ(widgets.count("800x600"), 1u);
    ASSERT_EQ(widgets.count("640x480"), 1u);
    EXPECT_EQ(widgets.at("800x600").value, 1);
    EXPECT_EQ(widgets.at("640x480").value, 0);
}

}  // namespace

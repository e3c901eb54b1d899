// End-to-end runs of the orrery3d program on a private Xvfb display, driven with xdotool: the
// setup dialog, the show's window with its loading caption, Esc, and the error paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "png_image.h"
#include "x_session.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kAppear = 60s;  // sanitizer builds start slowly
const std::string kTitle = "P r o j e c t";
const std::string kDialogTitle = "Project Kaede  Setup";

// Setup dialog controls the runs click.
const xtest::Spot kFullscreenBox = xtest::ControlCentre(15, 83, 72, 10);
const xtest::Spot k640x400Button = xtest::ControlCentre(13, 18, 52, 10);

class ProgramTest : public xtest::DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        if (NotReady()) return;
        ASSERT_TRUE(xtest::CopyIntroPictures(ORRERY_PACK_DIR, dir));
        if (std::system("command -v lame >/dev/null 2>&1") != 0) GTEST_SKIP() << "lame is not installed";
    }
    void TearDown() override {
        program.Kill();
        DisplayTest::TearDown();
    }
    // One second of silence as the show's soundtrack, made with lame.
    bool MakeSoundtrack() {
        const std::string command =
            "head -c 88200 /dev/zero | lame --quiet -r -s 44.1 -m m --bitwidth 16 - '" + dir + "/demo.mp3'";
        return std::system(command.c_str()) == 0;
    }
    void Launch(std::map<std::string, std::string> env = {}) {
        env["DISPLAY"] = xvfb.Display();
        env["SDL_AUDIODRIVER"] = "dummy";
        ASSERT_TRUE(program.Start({ORRERY3D_PROGRAM}, env, dir, errPath));
    }
    std::string WaitForDialog() { return xtest::WaitForWindow(xvfb.Display(), kDialogTitle, kAppear); }
    // Starts the program with a soundtrack, clicks the given spots of the dialog and runs the
    // demo (Return); the show's window, or "" when it did not come.
    std::string LaunchShow(const std::vector<xtest::Spot>& clicks = {}) {
        if (!MakeSoundtrack()) return "";
        Launch();
        const std::string dialog = WaitForDialog();
        if (dialog.empty() || !xtest::WaitUntilViewable(xvfb.Display(), dialog, kAppear)) return "";
        for (const xtest::Spot& spot : clicks) {
            Xdo("mousemove --sync --window " + dialog + " " + std::to_string(spot.x) + " " + std::to_string(spot.y));
            Xdo("click 1");
        }
        PressOn(dialog, "Return");
        return xtest::WaitForWindow(xvfb.Display(), kTitle, kAppear);
    }
    // The window's size as xdotool reports it ("640x480").
    std::string WindowSize(const std::string& window) {
        const std::string geometry = Xdo("getwindowgeometry " + window);
        const auto at = geometry.find("Geometry: ");
        return at == std::string::npos ? "" : Trim(geometry.substr(at + 10, geometry.find('\n', at) - at - 10));
    }
    bool WaitForWindowSize(const std::string& window, const std::string& size) {
        const auto deadline = std::chrono::steady_clock::now() + kAppear;
        while (WindowSize(window) != size) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(100ms);
        }
        return true;
    }
    // What the display and the program look like, for failure messages.
    std::string State() {
        std::string windows;
        for (const std::string& id : Split(Xdo("search --maxdepth 1 ''")))
            windows += id + " \"" + Trim(Xdo("getwindowname " + id)) + "\"; ";
        return std::string("program ") +
               (program.IsRunning() ? std::string("running") : "ended with " + std::to_string(program.ExitCode())) +
               " on " + xvfb.Display() + " (geometry " + Trim(Xdo("getdisplaygeometry")) + "), windows: " + windows +
               "\nstderr:\n" + xtest::ReadFile(errPath);
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
    // The window's picture, read from the X server.
    bool Snapshot(const std::string& window, PngImage& image) {
        const std::string path = dir + "/snapshot.png";
        xtest::RunOnDisplay(xvfb.Display(), "import -window " + window + " 'png:" + path + "'");
        return ReadPng(path, image);
    }
    // Waits for the show's letterboxed picture in window: the dark grey that the loading screen
    // and the intro both clear to, at the left of the picture. False when it never came.
    // The picture has the given size; (greyX, greyY) is a point of the grey.
    // One point of an expected picture: its green level (the show's grey is 0x10, the bands 0).
    struct Sample {
        int x, y;
        std::uint8_t green;
    };
    static std::vector<Sample> Column(int x, std::initializer_list<int> ys, std::uint8_t green) {
        std::vector<Sample> samples;
        for (int y : ys) samples.push_back({x, y, green});
        return samples;
    }
    static std::vector<Sample> Join(std::vector<Sample> a, const std::vector<Sample>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }
    static bool Matches(const PngImage& picture, int width, int height, const std::vector<Sample>& samples) {
        if (picture.width != width || picture.height != height) return false;
        return std::all_of(samples.begin(), samples.end(),
                           [&](const Sample& s) { return picture.At(s.x, s.y)[1] == s.green; });
    }
    // Waits until the window shows a picture of that size with every sample as expected: the
    // frames drawn while the window changes size may show the picture at the old size. On a
    // timeout the samples of the last picture taken are checked, to say which ones differ.
    bool WaitForPicture(const std::string& window, int width, int height, const std::vector<Sample>& samples) {
        const auto deadline = std::chrono::steady_clock::now() + kAppear;
        PngImage picture;
        while (std::chrono::steady_clock::now() < deadline) {
            if (Snapshot(window, picture) && Matches(picture, width, height, samples)) return true;
            std::this_thread::sleep_for(200ms);
        }
        EXPECT_EQ(picture.width, width);
        EXPECT_EQ(picture.height, height);
        if (picture.width == width && picture.height == height) {
            for (const Sample& s : samples) EXPECT_EQ(picture.At(s.x, s.y)[1], s.green) << "at " << s.x << ", " << s.y;
        }
        return false;
    }
    // The show's picture in a 640 x 480 window: grey inside the letterbox, black bands of 50 rows.
    bool WaitForShowPicture(const std::string& window) {
        return WaitForPicture(window, 640, 480, Column(80, {50, 240, 429}, 0x10));
    }
    // After the display server went away: the program ends within a few seconds with the
    // window-system failure code and says why on stderr.
    void ExpectEndForLostDisplay() {
        int code = -1;
        ASSERT_TRUE(program.WaitExit(10s, code)) << "the program did not end without its display\n"
                                                 << xtest::ReadFile(errPath);
        EXPECT_EQ(code, 1) << xtest::ReadFile(errPath);
        const std::string err = xtest::ReadFile(errPath);
        EXPECT_NE(err.find("lost the connection to the display"), std::string::npos) << err;
    }
    int ExpectExit(std::chrono::milliseconds timeout) {
        int code = -1;
        EXPECT_TRUE(program.WaitExit(timeout, code)) << "the program did not end\n" << State();
        return code;
    }

    xtest::Child program;
};

// Runs that never reach a display: the program starts with DISPLAY and WAYLAND_DISPLAY removed.
class ProgramWithoutDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = xtest::MakeTempDir();
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override {
        program.Kill();
        if (!dir.empty()) std::filesystem::remove_all(dir);
    }
    // Runs the program with args to its end: its exit code, or -1 when it did not end in time.
    int Run(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", ORRERY3D_PROGRAM};
        argv.insert(argv.end(), args.begin(), args.end());
        int code = -1;
        if (!program.Start(argv, {}, dir, dir + "/stderr.txt", dir + "/stdout.txt")) return -1;
        if (!program.WaitExit(30s, code)) return -1;
        return code;
    }
    std::string Out() const { return xtest::ReadFile(dir + "/stdout.txt"); }
    std::string Err() const { return xtest::ReadFile(dir + "/stderr.txt"); }

    xtest::Child program;
    std::string dir;
};

TEST_F(ProgramWithoutDisplayTest, NoWindowSystemIsAFailureWithExitCodeOne) {
    EXPECT_EQ(Run({}), 1) << Err();
    const std::string err = Err();
    EXPECT_NE(err.find("cannot start the window system"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(Out(), "");
    // Arguments other than --help and --version change nothing.
    EXPECT_EQ(Run({"--fullscreen", "extra"}), 1) << Err();
    EXPECT_NE(Err().find("cannot start the window system"), std::string::npos) << Err();
}

TEST_F(ProgramWithoutDisplayTest, VersionAndHelpAnswerOnStandardOutputWithoutOpeningAnything) {
    EXPECT_EQ(Run({"--version"}), 0) << Err();
    EXPECT_EQ(Out(), "orrery3d 1.0.0.1\n");
    EXPECT_EQ(Err(), "");  // the window system was never asked for
    EXPECT_EQ(Run({"--help"}), 0) << Err();
    const std::string help = Out();
    EXPECT_EQ(help.rfind("usage: orrery3d", 0), 0u) << help;
    EXPECT_NE(help.find("--version"), std::string::npos) << help;
    EXPECT_NE(help.find("Esc"), std::string::npos) << help;
    EXPECT_EQ(Err(), "");
    // The first of the two that comes is answered, wherever it stands.
    EXPECT_EQ(Run({"other", "--version", "--help"}), 0) << Err();
    EXPECT_EQ(Out(), "orrery3d 1.0.0.1\n");
}

TEST_F(ProgramTest, EscapeInTheDialogEndsWithZeroAndNoShowWindow) {
    ASSERT_TRUE(MakeSoundtrack());
    Launch();
    const std::string dialog = WaitForDialog();
    ASSERT_FALSE(dialog.empty()) << State();
    EXPECT_TRUE(xtest::WaitForWindow(xvfb.Display(), kTitle, 0ms).empty()) << "the show window came before the dialog";
    PressOn(dialog, "Escape");
    EXPECT_EQ(ExpectExit(30s), 0) << xtest::ReadFile(errPath);
}

TEST_F(ProgramTest, CancelInTheDialogEndsWithZero) {
    ASSERT_TRUE(MakeSoundtrack());
    Launch();
    const std::string dialog = WaitForDialog();
    ASSERT_FALSE(dialog.empty()) << State();
    // The Cancel button's centre: (273, 195) dialog units at 1.5 x 1.625 pixels per unit.
    Xdo("windowfocus --sync " + dialog);
    Xdo("mousemove --window " + dialog + " 410 317 click 1");
    EXPECT_EQ(ExpectExit(30s), 0) << xtest::ReadFile(errPath);
    EXPECT_TRUE(xtest::WaitForWindow(xvfb.Display(), kTitle, 0ms).empty());
}

TEST_F(ProgramTest, RunDemoOpensTheLetterboxedWindowAndEscapeEndsTheShow) {
    const std::string window = LaunchShow();
    ASSERT_FALSE(window.empty()) << State();
    EXPECT_EQ(Xdo("getwindowname " + window), " P r o j e c t   K a e d e    b y   K e s t r e l  L o o m\n");
    EXPECT_NE(Xdo("search --class Orrery3D").find(window), std::string::npos);
    EXPECT_NE(Xdo("getwindowgeometry " + window).find("Geometry: 640x480"), std::string::npos)
        << Xdo("getwindowgeometry " + window);

    // The show in its letterbox: black bands above and below the grey picture.
    ASSERT_TRUE(WaitForPicture(window, 640, 480,
                               Join(Column(320, {0, 49, 430, 479}, 0), Column(80, {50, 240, 429}, 0x10))))
        << "no letterboxed picture seen\n" << State();

    // The window cannot be sized through its frame: the window manager is told that its
    // smallest and largest sizes are its size.
    if (std::system("command -v xprop >/dev/null 2>&1") == 0) {
        const std::string hints = xtest::RunOnDisplay(xvfb.Display(), "xprop -id " + window + " WM_NORMAL_HINTS");
        EXPECT_NE(hints.find("minimum size: 640 by 480"), std::string::npos) << hints;
        EXPECT_NE(hints.find("maximum size: 640 by 480"), std::string::npos) << hints;
    } else {
        ADD_FAILURE() << "xprop is not installed (x11-utils): the window's size hints were not checked";
    }

    ASSERT_TRUE(program.IsRunning()) << State();  // the show runs on
    PressOn(window, "Escape");
    EXPECT_EQ(ExpectExit(10s), 0) << xtest::ReadFile(errPath);
}

// Full screen: the window covers the 1024 x 768 display and the 640 x 480 back buffer is scaled
// by 1.6 to fill it, so the letterbox's 50-pixel bands become 80 pixels.
TEST_F(ProgramTest, FullscreenCoversTheDisplayWithTheScaledPicture) {
    const std::string window = LaunchShow({kFullscreenBox});
    ASSERT_FALSE(window.empty()) << State();
    ASSERT_TRUE(WaitForWindowSize(window, "1024x768")) << WindowSize(window) << "\n" << State();
    // Rows 79 and 80 (and 687, 688) mix band and picture in the scaling; no bars at the sides.
    const std::vector<Sample> scaled = Join(Join(Column(512, {0, 40, 78, 689, 730, 767}, 0),
                                                 Column(128, {81, 384, 686}, 0x10)),
                                            {{0, 384, 0x10}, {1023, 384, 0x10}});
    ASSERT_TRUE(WaitForPicture(window, 1024, 768, scaled)) << "no full-screen picture seen\n" << State();

    ASSERT_TRUE(program.IsRunning()) << State();
    PressOn(window, "Escape");
    EXPECT_EQ(ExpectExit(10s), 0) << xtest::ReadFile(errPath);
}

// A 640 x 400 back buffer keeps its shape on the 4:3 display: scaled by 1.6 to 1024 x 640 and
// centred, black above and below it (64 pixels each), where stretching would fill the display.
TEST_F(ProgramTest, FullscreenKeepsTheAspectRatioWithBlackAroundThePicture) {
    const std::string window = LaunchShow({k640x400Button, kFullscreenBox});
    ASSERT_FALSE(window.empty()) << State();
    ASSERT_TRUE(WaitForWindowSize(window, "1024x768")) << WindowSize(window) << "\n" << State();
    // The picture spans rows 64 to 703; its own bands rows 64 to 143 and 624 to 703.
    const std::vector<Sample> kept =
        Join(Column(512, {0, 63, 100, 142, 625, 704, 767}, 0), Column(128, {145, 384, 622}, 0x10));
    ASSERT_TRUE(WaitForPicture(window, 1024, 768, kept)) << "no full-screen picture seen\n" << State();

    PressOn(window, "Escape");
    EXPECT_EQ(ExpectExit(10s), 0) << xtest::ReadFile(errPath);
}

TEST_F(ProgramTest, AMissingSoundtrackIsAnErrorWithExitCodeThree) {
    Launch();
    const std::string dialog = WaitForDialog();
    ASSERT_FALSE(dialog.empty()) << State();
    PressOn(dialog, "Return");
    const std::string error = xtest::WaitForWindow(xvfb.Display(), "Orrery3D Error", kAppear);
    ASSERT_FALSE(error.empty()) << State();
    PressOn(error, "Return");
    EXPECT_EQ(ExpectExit(30s), 3);
    const std::string err = xtest::ReadFile(errPath);
    EXPECT_NE(err.find("Could not play MP3"), std::string::npos) << err;
    EXPECT_NE(err.find("demo.mp3"), std::string::npos) << err;
}

// Whether the program has handled everything sent to window so far and still runs with the
// window up: pings sent after it come back from the event loop's later passes ("pong"); a
// program that acted on a close request closes its window ("gone") or stops answering.
std::string PingAfterEverythingSent(const std::string& display, const std::string& window) {
    return xtest::RunOnDisplay(display, std::string(PING_PROGRAM) + " " + window + " 3");
}

TEST_F(ProgramTest, CloseRequestIsIgnored) {
    const std::string window = LaunchShow();
    ASSERT_FALSE(window.empty()) << State();
    ASSERT_EQ(xtest::RunOnDisplay(xvfb.Display(), std::string(CLOSE_REQUEST_PROGRAM) + " " + window + " && echo sent"),
              "sent\n");
    EXPECT_EQ(PingAfterEverythingSent(xvfb.Display(), window), "pong\n") << State();
    EXPECT_TRUE(program.IsRunning()) << State();
    PressOn(window, "alt+F4");  // the keyboard way to ask the same
    EXPECT_EQ(PingAfterEverythingSent(xvfb.Display(), window), "pong\n") << State();
    EXPECT_TRUE(program.IsRunning()) << State();
    EXPECT_TRUE(xtest::WaitUntilViewable(xvfb.Display(), window, 0ms));
    PressOn(window, "Escape");
    EXPECT_EQ(ExpectExit(30s), 0) << xtest::ReadFile(errPath);
}

TEST_F(ProgramTest, WindowDestroyedFromOutsideEndsTheRunWithZero) {
    const std::string window = LaunchShow();
    ASSERT_FALSE(window.empty()) << State();
    ASSERT_TRUE(WaitForShowPicture(window)) << "the show did not start\n" << State();
    Xdo("windowclose " + window);  // destroys the X window under the running frames
    EXPECT_EQ(ExpectExit(30s), 0) << xtest::ReadFile(errPath);
}

TEST_F(ProgramTest, LosingTheDisplayInTheDialogEndsTheProgram) {
    ASSERT_TRUE(MakeSoundtrack());
    Launch();
    ASSERT_FALSE(WaitForDialog().empty()) << State();
    xvfb.Kill();
    ExpectEndForLostDisplay();
}

TEST_F(ProgramTest, LosingTheDisplayDuringTheShowEndsTheProgram) {
    const std::string window = LaunchShow();
    ASSERT_FALSE(window.empty()) << State();
    ASSERT_TRUE(WaitForShowPicture(window)) << "the show did not start\n" << State();
    xvfb.Kill();
    ExpectEndForLostDisplay();
}

TEST_F(ProgramTest, LosingTheDisplayWithTheErrorBoxUpEndsTheProgram) {
    Launch();  // no soundtrack: the show stops with an error box
    const std::string dialog = WaitForDialog();
    ASSERT_FALSE(dialog.empty()) << State();
    PressOn(dialog, "Return");
    ASSERT_FALSE(xtest::WaitForWindow(xvfb.Display(), "Orrery3D Error", kAppear).empty()) << State();
    xvfb.Kill();
    ExpectEndForLostDisplay();
}

TEST_F(ProgramTest, UnusableOpenGlWarnsThenReportsAnErrorAndExitsWithThree) {
    ASSERT_TRUE(MakeSoundtrack());
    Launch({{"LIBGL_DRIVERS_PATH", "/nonexistent"}, {"MESA_LOADER_DRIVER_OVERRIDE", "none"}});
    const std::string dialog = WaitForDialog();
    ASSERT_FALSE(dialog.empty()) << State();
    PressOn(dialog, "Return");
    const std::string warning = xtest::WaitForWindow(xvfb.Display(), "Orrery3D Warning", kAppear);
    ASSERT_FALSE(warning.empty()) << xtest::ReadFile(errPath);
    PressOn(warning, "Return");
    const std::string error = xtest::WaitForWindow(xvfb.Display(), "Orrery3D Error", kAppear);
    ASSERT_FALSE(error.empty()) << xtest::ReadFile(errPath);
    PressOn(error, "Return");
    EXPECT_EQ(ExpectExit(30s), 3);
    const std::string err = xtest::ReadFile(errPath);
    EXPECT_NE(err.find("Orrery3D Warning\nDirect X init failure\nSwitching to software rendering (slow)\n"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("Orrery3D Error\nCould not initialize Direct3D.\nMake sure you have the latest\n"),
              std::string::npos)
        << err;
}

}  // namespace

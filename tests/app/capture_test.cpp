#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "png_image.h"
#include "tools/capture/capture_session.h"
#include "tools/capture/options.h"
#include "tools/capture/png_writer.h"

namespace {

namespace fs = std::filesystem;

bool Parse(std::vector<const char*> args, capture::Options& options, std::string& error) {
    args.insert(args.begin(), "orrery3d-capture");
    return capture::ParseOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(CaptureOptions, DefaultsAndEveryOption) {
    capture::Options options;
    std::string error;
    ASSERT_TRUE(Parse({}, options, error));
    EXPECT_EQ(options.frames, 1);
    EXPECT_EQ(options.width, 640);
    EXPECT_EQ(options.height, 480);
    EXPECT_DOUBLE_EQ(options.fps, 60.0);
    ASSERT_TRUE(Parse({"--frames", "12", "--out", "/tmp/x", "--size", "320x200", "--fps", "30"}, options, error));
    EXPECT_EQ(options.frames, 12);
    EXPECT_EQ(options.outDir, "/tmp/x");
    EXPECT_EQ(options.width, 320);
    EXPECT_EQ(options.height, 200);
    EXPECT_DOUBLE_EQ(options.fps, 30.0);
}

TEST(CaptureOptions, BadInputIsRefusedWithAMessage) {
    const std::vector<std::vector<const char*>> bad = {
        {"--frames"},          {"--frames", "0"},        {"--frames", "-3"},   {"--frames", "5x"},
        {"--size", "640"},     {"--size", "0x480"},      {"--size", "640x"},   {"--size", "x480"},
        {"--size", "99999x2"}, {"--fps", "0"},           {"--out", ""},        {"--bogus", "1"},
    };
    for (const auto& args : bad) {
        capture::Options options;
        std::string error;
        EXPECT_FALSE(Parse(args, options, error)) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_FALSE(error.empty());
    }
}

class TempDir : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/o3d-capture-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string dir;
};

using PngWriter = TempDir;

TEST_F(PngWriter, RoundTripsRgbAndAlpha) {
    const std::vector<std::uint32_t> pixels = {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFF123456, 0x7FFFFFFF, 0xFF000000};
    std::string error;
    ASSERT_TRUE(capture::WritePng(dir + "/rgb.png", {3, 2, pixels.data(), false}, error)) << error;
    ASSERT_TRUE(capture::WritePng(dir + "/rgba.png", {3, 2, pixels.data(), true}, error)) << error;
    PngImage rgb, rgba;
    ASSERT_TRUE(ReadPng(dir + "/rgb.png", rgb));
    ASSERT_TRUE(ReadPng(dir + "/rgba.png", rgba));
    ASSERT_EQ(rgb.width, 3);
    ASSERT_EQ(rgb.height, 2);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const std::uint32_t p = pixels[i];
        EXPECT_EQ(rgb.rgba[i * 4 + 0], (p >> 16) & 0xFF) << i;
        EXPECT_EQ(rgb.rgba[i * 4 + 1], (p >> 8) & 0xFF) << i;
        EXPECT_EQ(rgb.rgba[i * 4 + 2], p & 0xFF) << i;
        EXPECT_EQ(rgb.rgba[i * 4 + 3], 0xFF) << i;  // no alpha channel: opaque
        EXPECT_EQ(rgba.rgba[i * 4 + 3], p >> 24) << i;
    }
}

TEST_F(PngWriter, FailuresAreReportedNotCrashed) {
    const std::uint32_t pixel = 0xFFFFFFFF;
    std::string error;
    EXPECT_FALSE(capture::WritePng(dir + "/no/such/dir/a.png", {1, 1, &pixel, false}, error));
    EXPECT_NE(error.find("a.png"), std::string::npos);
    error.clear();
    EXPECT_FALSE(capture::WritePng(dir + "/empty.png", {0, 4, &pixel, false}, error));
    EXPECT_FALSE(capture::WritePng(dir + "/null.png", {4, 4, nullptr, false}, error));
    EXPECT_FALSE(error.empty());
}

class IdleApp : public Application {
public:
    void Run() override {}
};

using CaptureSessionTest = TempDir;

TEST_F(CaptureSessionTest, WritesEachFrameAdvancesTheClockAndStopsAfterN) {
    capture::Options options;
    options.frames = 3;
    options.outDir = dir;
    IdleApp app;
    VirtualClock clock(60, true);
    int reads = 0;
    capture::CaptureSession session(options, app, clock, [&](std::vector<std::uint32_t>& px, int& w, int& h) {
        w = 4;
        h = 2;
        px.assign(8, 0xFF000000u | static_cast<std::uint32_t>(++reads) * 0x10);
        return true;
    });
    session.OnPresent();
    session.OnPresent();
    EXPECT_TRUE(app.IsRunning());
    EXPECT_EQ(clock.Ticks(), 2);
    session.OnPresent();
    EXPECT_FALSE(app.IsRunning());
    session.OnPresent();  // the frame in progress after the stop request is not captured
    EXPECT_EQ(session.FramesPresented(), 3);
    EXPECT_EQ(session.FramesWritten(), 3);
    EXPECT_EQ(clock.Ticks(), 3);
    EXPECT_TRUE(session.Error().empty());
    for (int i = 0; i < 3; ++i) {
        PngImage png;
        ASSERT_TRUE(ReadPng(capture::CaptureSession::FramePath(dir, i), png)) << i;
        EXPECT_EQ(png.width, 4);
        EXPECT_EQ(png.rgba[2], (i + 1) * 0x10);
    }
    EXPECT_FALSE(fs::exists(capture::CaptureSession::FramePath(dir, 3)));
    EXPECT_EQ(capture::CaptureSession::FramePath("out", 7), "out/frame_00007.png");
}

TEST_F(CaptureSessionTest, AFailedReadBackIsReportedAndStillStops) {
    capture::Options options;
    options.frames = 1;
    options.outDir = dir;
    IdleApp app;
    VirtualClock clock;
    capture::CaptureSession session(options, app, clock, [](std::vector<std::uint32_t>&, int&, int&) { return false; });
    session.OnPresent();
    EXPECT_FALSE(app.IsRunning());
    EXPECT_EQ(session.FramesWritten(), 0);
    EXPECT_NE(session.Error().find("back buffer"), std::string::npos);
}

}  // namespace

// The orrery3d-capture program, run headless: frames on disk, the letterboxed loading screen.
#include <gtest/gtest.h>

#include <filesystem>

#include "png_image.h"
#include "x_session.h"

namespace {

using namespace std::chrono_literals;

class CaptureProgram : public ::testing::Test {
protected:
    void SetUp() override {
        dir = xtest::MakeTempDir();
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    int Run(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {CAPTURE_PROGRAM};
        argv.insert(argv.end(), args.begin(), args.end());
        xtest::Child child;
        int code = -1;
        if (!child.Start(argv, {}, dir, dir + "/stderr.txt") || !child.WaitExit(120s, code)) return -1;
        return code;
    }
    std::string dir;
};

TEST_F(CaptureProgram, WritesTheLetterboxedLoadingScreen) {
    ASSERT_EQ(Run({"--frames", "3", "--out", dir + "/frames", "--size", "320x240"}), 0)
        << xtest::ReadFile(dir + "/stderr.txt");
    for (int i = 0; i < 3; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/frames/frame_%05d.png", i);
        PngImage frame;
        ASSERT_TRUE(ReadPng(dir + name, frame)) << name;
        ASSERT_EQ(frame.width, 320);
        ASSERT_EQ(frame.height, 240);
        // Black bands of 50 pixels above and below, dark grey 0x101010 inside.
        for (int y : {0, 49, 190, 239}) EXPECT_EQ(frame.At(160, y)[0], 0) << name << " y " << y;
        for (int y : {50, 120, 150}) {
            EXPECT_EQ(frame.At(160, y)[0], 0x10) << name << " y " << y;
            EXPECT_EQ(frame.At(160, y)[2], 0x10) << name << " y " << y;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "/frames/frame_00003.png"));
}

TEST_F(CaptureProgram, RefusesBadOptions) {
    EXPECT_EQ(Run({"--size", "10x10"}), 2);
    EXPECT_EQ(Run({"--frames", "none"}), 2);
    EXPECT_NE(xtest::ReadFile(dir + "/stderr.txt").find("usage:"), std::string::npos);
}

}  // namespace

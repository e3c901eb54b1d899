// orrery3d-framediff: the figures of the comparison on pictures made here, the PNG reader on
// files the PNG writer made and on files that are not PNGs, and the program's output and exit
// codes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/app/child_process.h"
#include "tools/common/png_reader.h"
#include "tools/common/png_writer.h"
#include "tools/framediff/frame_diff.h"

namespace {

namespace fs = std::filesystem;

constexpr std::chrono::seconds kDeadline{60};

std::uint32_t Argb(int a, int r, int g, int b) {
    return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(r) << 16 |
           static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b);
}

framediff::Difference Diff(int w, int h, const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    return framediff::Compare({w, h, &a}, {w, h, &b});
}

TEST(FrameDiffTest, IdenticalPicturesDifferInNothing) {
    const std::vector<std::uint32_t> p = {Argb(255, 1, 2, 3), Argb(0, 200, 100, 50), Argb(9, 9, 9, 9)};
    const framediff::Difference d = Diff(3, 1, p, p);
    EXPECT_EQ(d.width, 3);
    EXPECT_EQ(d.height, 1);
    for (double m : d.mean) EXPECT_EQ(m, 0.0);
    EXPECT_EQ(d.max, 0);
    EXPECT_EQ(d.percentOver8, 0.0);
}

TEST(FrameDiffTest, ChannelsAreAveragedSeparatelyAndPixelsOverEightCounted) {
    // Four pixels: red 10 up in one (counted), blue 3 down in another (not), alpha 9 off and
    // green 8 off in a third (counted for alpha only: 8 is not more than 8), the last the same.
    const std::vector<std::uint32_t> a = {Argb(255, 10, 20, 30), Argb(255, 40, 50, 60), Argb(100, 1, 16, 3),
                                          Argb(7, 7, 7, 7)};
    const std::vector<std::uint32_t> b = {Argb(255, 20, 20, 30), Argb(255, 40, 50, 57), Argb(109, 1, 8, 3),
                                          Argb(7, 7, 7, 7)};
    const framediff::Difference d = Diff(2, 2, a, b);
    EXPECT_DOUBLE_EQ(d.mean[0], 2.5);
    EXPECT_DOUBLE_EQ(d.mean[1], 2.0);
    EXPECT_DOUBLE_EQ(d.mean[2], 0.75);
    EXPECT_DOUBLE_EQ(d.mean[3], 2.25);
    EXPECT_EQ(d.max, 10);
    EXPECT_DOUBLE_EQ(d.percentOver8, 50.0);
    // The order of the pictures does not matter.
    const framediff::Difference back = Diff(2, 2, b, a);
    EXPECT_DOUBLE_EQ(back.mean[0], d.mean[0]);
    EXPECT_EQ(back.max, d.max);
    EXPECT_EQ(framediff::ToJson(d),
              "{\"width\":2,\"height\":2,\"mean\":{\"r\":2.5000,\"g\":2.0000,\"b\":0.7500,\"a\":2.2500},\"max\":10,"
              "\"percent_over_8\":50.0000}");
}

class FrameDiffFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = xtest::MakeTempDir();
        ASSERT_FALSE(dir_.empty());
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    std::string Write(const std::string& name, int w, int h, const std::vector<std::uint32_t>& pixels,
                      bool alpha = false) {
        const std::string path = (fs::path(dir_) / name).string();
        std::string error;
        EXPECT_TRUE(tools::WritePng(path, {w, h, pixels.data(), alpha}, error)) << error;
        return path;
    }
    std::string WriteText(const std::string& name, const std::string& text) {
        const std::string path = (fs::path(dir_) / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    xtest::ProgramRun Run(const std::vector<std::string>& arguments) {
        std::vector<std::string> argv = {FRAMEDIFF_PROGRAM};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return xtest::RunProgram(argv, dir_, kDeadline);
    }

    std::string dir_;
};

TEST_F(FrameDiffFiles, ReaderGivesBackWhatTheWriterWrote) {
    const std::vector<std::uint32_t> pixels = {Argb(255, 1, 2, 3), Argb(128, 250, 0, 77), Argb(0, 9, 8, 7),
                                               Argb(255, 255, 255, 255), Argb(1, 2, 3, 4), Argb(64, 32, 16, 8)};
    tools::PngPixels read;
    std::string error;
    ASSERT_TRUE(tools::ReadPng(Write("rgba.png", 3, 2, pixels, true), read, error)) << error;
    EXPECT_EQ(read.width, 3);
    EXPECT_EQ(read.height, 2);
    EXPECT_EQ(read.pixels, pixels);
    // Written without alpha, pixels read back opaque.
    ASSERT_TRUE(tools::ReadPng(Write("rgb.png", 3, 2, pixels), read, error)) << error;
    for (std::size_t i = 0; i < pixels.size(); ++i) EXPECT_EQ(read.pixels[i], pixels[i] | 0xFF000000u) << i;
}

TEST_F(FrameDiffFiles, ReaderRefusesWhatIsNoPng) {
    tools::PngPixels read;
    std::string error;
    EXPECT_FALSE(tools::ReadPng((fs::path(dir_) / "missing.png").string(), read, error));
    EXPECT_NE(error.find("missing.png"), std::string::npos) << error;
    const std::string text = WriteText("text.png", "not a picture at all");
    EXPECT_FALSE(tools::ReadPng(text, read, error));
    EXPECT_NE(error.find("text.png"), std::string::npos) << error;
    // A real PNG cut short.
    const std::vector<std::uint32_t> pixels(64 * 64, Argb(255, 10, 20, 30));
    const std::string whole = Write("whole.png", 64, 64, pixels);
    const std::string bytes = xtest::ReadFile(whole);
    const std::string cut = WriteText("cut.png", bytes.substr(0, bytes.size() / 2));
    EXPECT_FALSE(tools::ReadPng(cut, read, error));
    EXPECT_TRUE(read.pixels.empty());
}

TEST_F(FrameDiffFiles, ProgramPrintsTheFiguresOfTwoPictures) {
    const std::vector<std::uint32_t> a = {Argb(255, 10, 20, 30), Argb(255, 40, 50, 60)};
    const std::vector<std::uint32_t> b = {Argb(255, 30, 20, 30), Argb(255, 40, 50, 60)};
    const std::string pa = Write("a.png", 2, 1, a), pb = Write("b.png", 2, 1, b);
    xtest::ProgramRun run = Run({pa, pb, "--json"});
    ASSERT_TRUE(run.exited) << run.err;
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "{\"width\":2,\"height\":1,\"mean\":{\"r\":10.0000,\"g\":0.0000,\"b\":0.0000,\"a\":0.0000},\"max\":20,"
              "\"percent_over_8\":50.0000}\n");
    run = Run({pa, pb});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("max 20"), std::string::npos) << run.out;
}

TEST_F(FrameDiffFiles, ProgramExitCodesTellUsageFromUnreadableFiles) {
    const std::vector<std::uint32_t> small(4, Argb(255, 1, 1, 1)), large(9, Argb(255, 1, 1, 1));
    const std::string pa = Write("a.png", 2, 2, small), pb = Write("b.png", 3, 3, large);
    const std::string text = WriteText("text.png", "plain text");
    struct Case {
        std::vector<std::string> arguments;
        int code;
    };
    const Case cases[] = {
        {{}, 2},
        {{pa}, 2},
        {{pa, pa, pa}, 2},
        {{pa, pa, "--colour"}, 2},
        {{pa, pb}, 3},
        {{pa, text}, 3},
        {{(fs::path(dir_) / "missing.png").string(), pa}, 3},
        {{pa, pa}, 0},
    };
    for (const Case& c : cases) {
        const xtest::ProgramRun run = Run(c.arguments);
        std::string shown;
        for (const std::string& a : c.arguments) shown += " " + a;
        ASSERT_TRUE(run.exited) << shown;
        EXPECT_EQ(run.code, c.code) << shown << "\n" << run.err;
        if (c.code != 0) {
            EXPECT_FALSE(run.err.empty()) << shown;
        }
        if (c.code == 3) {
            EXPECT_TRUE(run.out.empty()) << shown;
        }
    }
    EXPECT_EQ(Run({"--help"}).code, 0);
    EXPECT_NE(Run({"--version"}).out.find("orrery3d-framediff 1.0.0.1"), std::string::npos);
}

}  // namespace

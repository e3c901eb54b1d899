#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/app/png_image.h"
#include "tools/capture/bench_stats.h"
#include "tools/capture/capture_session.h"
#include "tools/capture/options.h"
#include "tools/common/png_writer.h"
#include "tools/common/progress_bar.h"
#include "tools/capture/video_encoder.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Parse(std::vector<const char*> args, capture::Options& options, std::string& error) {
    args.insert(args.begin(), "orrery3d-capture");
    return capture::ParseOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(CaptureOptions, DefaultsAndEveryOption) {
    capture::Options options;
    std::string error;
    ASSERT_TRUE(Parse({"--loading"}, options, error)) << error;
    EXPECT_EQ(options.width, 640);
    EXPECT_EQ(options.height, 480);
    EXPECT_EQ(options.fps, 60);
    EXPECT_FALSE(options.colour16);
    EXPECT_FALSE(options.HasSpan());
    EXPECT_EQ(options.outDir, ".");

    capture::Options all;
    ASSERT_TRUE(Parse({"--size", "320x200", "--colour16", "--fps", "30", "--at", "1", "--at", "12.5", "--to", "20", "--out", "/tmp/x", "--video", "a.mp4", "--bench"},
                      all, error))
        << error;
    EXPECT_EQ(all.width, 320);
    EXPECT_EQ(all.height, 200);
    EXPECT_TRUE(all.colour16);
    EXPECT_EQ(all.fps, 30);
    EXPECT_EQ(all.at, (std::vector<double>{1.0, 12.5}));
    EXPECT_DOUBLE_EQ(all.to, 20.0);
    EXPECT_EQ(all.outDir, "/tmp/x");
    EXPECT_EQ(all.video, "a.mp4");
    EXPECT_TRUE(all.bench);
    EXPECT_FALSE(all.HasSpan());  // --to only ends a video or benchmark run
    EXPECT_TRUE(all.SavesFrames());

    capture::Options help;
    EXPECT_TRUE(Parse({"--help"}, help, error));  // help alone is enough
    EXPECT_TRUE(help.help);
    EXPECT_FALSE(help.version);
    capture::Options version;
    EXPECT_TRUE(Parse({"--version"}, version, error));  // and so is the version
    EXPECT_TRUE(version.version);
    EXPECT_FALSE(version.help);
    capture::Options toOnly;
    ASSERT_TRUE(Parse({"--to", "5"}, toOnly, error));
    EXPECT_TRUE(toOnly.HasSpan());
    EXPECT_TRUE(toOnly.SavesFrames());
}

TEST(CaptureOptions, BadInputIsRefusedWithAMessage) {
    const std::vector<std::vector<const char*>> bad = {
        {},                          // nothing to do
        {"--fps", "60"},             // still nothing to do
        {"--at"},                    {"--at", "x"},           {"--at", "-1"},        {"--at", "259"},
        {"--at", "nan"},             {"--at", "inf"},         {"--at", "1s"},        {"--from", "10", "--to", "5"},
        {"--at", "1e-400"},          // below a double's range, not zero
        {"--at", "30", "--to", "5"}, {"--size", "640"},       {"--size", "0x480"},   {"--size", "640x"},
        {"--size", "99999x2"},       {"--fps", "0", "--bench"}, {"--fps", "1e3", "--bench"},
        {"--out", "", "--loading"},  {"--video", ""},         {"--from", "1", "--bench"},         {"--bogus"},           {"--frames", "3"},
    };
    for (const auto& args : bad) {
        capture::Options options;
        std::string error;
        std::string shown;
        for (const char* a : args) shown += std::string(a) + " ";
        EXPECT_FALSE(Parse(args, options, error)) << shown;
        EXPECT_FALSE(error.empty()) << shown;
    }
}

// Before the program moves into the installed data, the paths of the files it writes are made
// absolute from where it was started; absolute paths and unset ones stay as they are.
TEST(CaptureOptions, AnchorPathsKeepsTheFilesToWriteWhereTheUserMeantThem) {
    capture::Options options;
    std::string error;
    ASSERT_TRUE(Parse({"--at", "1", "--video", "show.mp4", "--contact-sheet", "/tmp/sheet.png"}, options, error));
    options.AnchorPaths("/home/viewer/clips");
    EXPECT_EQ(options.outDir, "/home/viewer/clips");
    EXPECT_EQ(options.video, "/home/viewer/clips/show.mp4");
    EXPECT_EQ(options.contactSheet, "/tmp/sheet.png");
    capture::Options nested;
    ASSERT_TRUE(Parse({"--at", "1", "--out", "../frames/./today"}, nested, error));
    nested.AnchorPaths("/home/viewer/clips");
    EXPECT_EQ(nested.outDir, "/home/viewer/frames/today");
    EXPECT_TRUE(nested.video.empty());
    EXPECT_TRUE(nested.contactSheet.empty());
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
    ASSERT_TRUE(tools::WritePng(dir + "/rgb.png", {3, 2, pixels.data(), false}, error)) << error;
    ASSERT_TRUE(tools::WritePng(dir + "/rgba.png", {3, 2, pixels.data(), true}, error)) << error;
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
    EXPECT_FALSE(tools::WritePng(dir + "/no/such/dir/a.png", {1, 1, &pixel, false}, error));
    EXPECT_NE(error.find("a.png"), std::string::npos);
    error.clear();
    EXPECT_FALSE(tools::WritePng(dir + "/empty.png", {0, 4, &pixel, false}, error));
    EXPECT_FALSE(tools::WritePng(dir + "/null.png", {4, 4, nullptr, false}, error));
    EXPECT_FALSE(error.empty());
}

// A frame sink that keeps the first pixel of every frame.
class RecordingSink : public capture::FrameSink {
public:
    bool Write(const std::uint32_t* pixels, int, int, std::string& error) override {
        if (failAfter >= 0 && static_cast<int>(firstPixels.size()) >= failAfter) {
            error = "sink full";
            return false;
        }
        firstPixels.push_back(pixels[0]);
        return true;
    }
    std::vector<std::uint32_t> firstPixels;
    int failAfter = -1;
};

class CaptureSessionTest : public TempDir {
protected:
    // Read-backs give 4 x 2 frames whose pixels carry the number of the read.
    capture::CaptureSession::ReadBack Frames() {
        return [this](std::vector<std::uint32_t>& px, int& w, int& h) {
            w = 4;
            h = 2;
            px.assign(8, 0xFF000000u | static_cast<std::uint32_t>(++reads));
            return true;
        };
    }
    capture::FrameInfo Loading() { return capture::FrameInfo{true, 0.0f, {}, {}}; }
    capture::FrameInfo Show(float t) { return capture::FrameInfo{false, t, ScenesAt(t), {}}; }
    capture::Options Base() {
        capture::Options options;
        options.outDir = dir;
        options.fps = 4;
        return options;
    }
    std::vector<std::string> Files() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    int reads = 0;
};

TEST_F(CaptureSessionTest, NamesFramesByShowTime) {
    EXPECT_EQ(capture::CaptureSession::FrameName(12.5f), "t012.500.png");
    EXPECT_EQ(capture::CaptureSession::FrameName(0.0f), "t000.000.png");
    EXPECT_EQ(capture::CaptureSession::FrameName(258.0166f), "t258.017.png");
}

TEST_F(CaptureSessionTest, LoadingOnlyStopsBeforeTheShowAndAdvancesTheClock) {
    capture::Options options = Base();
    options.loading = true;
    VirtualClock clock(1000, true);
    capture::CaptureSession session(options, clock, Frames(), nullptr);
    EXPECT_TRUE(session.OnPresent(Loading()));
    EXPECT_EQ(clock.Ticks(), 250);  // 1/4 s per present
    EXPECT_TRUE(session.Complete());
    EXPECT_EQ(Files(), (std::vector<std::string>{"loading.png"}));
}

TEST_F(CaptureSessionTest, AtTimesSaveTheFirstFrameReachingThemThenStop) {
    capture::Options options = Base();
    options.loading = true;
    options.at = {1.0, 1.1, 2.0};
    VirtualClock clock;
    capture::CaptureSession session(options, clock, Frames(), nullptr);
    EXPECT_FALSE(session.OnPresent(Loading()));  // the --at frames are still to come
    EXPECT_FALSE(session.Complete());
    EXPECT_NE(session.Missing().find("1.100"), std::string::npos) << session.Missing();
    EXPECT_FALSE(session.OnPresent(Show(0.75f)));
    EXPECT_EQ(reads, 1);  // frames that are not saved are not read back
    EXPECT_FALSE(session.OnPresent(Show(1.25f)));  // reaches 1 and 1.1: one file
    EXPECT_FALSE(session.OnPresent(Show(1.5f)));
    EXPECT_TRUE(session.OnPresent(Show(2.0f)));
    EXPECT_TRUE(session.Complete());
    EXPECT_TRUE(session.Missing().empty());
    EXPECT_EQ(session.FramesWritten(), 3);
    EXPECT_EQ(session.FramesPresented(), 5);
    EXPECT_EQ(Files(), (std::vector<std::string>{"loading.png", "t001.250.png", "t002.000.png"}));
    PngImage png;
    ASSERT_TRUE(ReadPng(dir + "/t002.000.png", png));
    EXPECT_EQ(png.width, 4);
    EXPECT_EQ(png.rgba[2], 3);  // the third read
}

TEST_F(CaptureSessionTest, SpanSavesEveryFrameInsideAndEndsAtItsEnd) {
    capture::Options options = Base();
    options.from = 0.5;
    options.to = 1.0;
    VirtualClock clock;
    capture::CaptureSession session(options, clock, Frames(), nullptr);
    EXPECT_FALSE(session.OnPresent(Loading()));
    EXPECT_FALSE(session.OnPresent(Show(0.25f)));
    EXPECT_FALSE(session.OnPresent(Show(0.5f)));
    EXPECT_FALSE(session.OnPresent(Show(0.75f)));
    EXPECT_TRUE(session.OnPresent(Show(1.0f)));
    EXPECT_EQ(Files(), (std::vector<std::string>{"t000.500.png", "t000.750.png", "t001.000.png"}));
}

TEST_F(CaptureSessionTest, VideoTakesEveryShowFrameButNotTheLoadingOne) {
    capture::Options options = Base();
    options.video = "unused.mp4";
    options.at = {0.5};
    RecordingSink sink;
    VirtualClock clock;
    capture::CaptureSession session(options, clock, Frames(), &sink);
    EXPECT_FALSE(session.OnPresent(Loading()));
    EXPECT_FALSE(session.OnPresent(Show(0.0f)));
    EXPECT_FALSE(session.OnPresent(Show(0.5f)));  // saved, but video goes on
    EXPECT_FALSE(session.OnPresent(Show(1.0f)));
    EXPECT_EQ(sink.firstPixels, (std::vector<std::uint32_t>{0xFF000001, 0xFF000002, 0xFF000003}));
    EXPECT_EQ(session.FramesEncoded(), 3);
    EXPECT_FALSE(session.VideoFailed());
    EXPECT_EQ(Files(), (std::vector<std::string>{"t000.500.png"}));
    // An encoder that stops taking frames ends the run with its message.
    sink.failAfter = 3;
    EXPECT_TRUE(session.OnPresent(Show(1.25f)));
    EXPECT_EQ(session.Error(), "sink full");
    EXPECT_TRUE(session.VideoFailed());
    EXPECT_EQ(session.FramesEncoded(), 3);
}

TEST_F(CaptureSessionTest, AFailedReadBackIsReportedAndTheRunStillEnds) {
    capture::Options options = Base();
    options.at = {0.0};
    VirtualClock clock;
    capture::CaptureSession session(options, clock, [](std::vector<std::uint32_t>&, int&, int&) { return false; },
                                    nullptr);
    EXPECT_TRUE(session.OnPresent(Show(0.0f)));
    EXPECT_EQ(session.FramesWritten(), 0);
    EXPECT_NE(session.Error().find("back buffer"), std::string::npos);
    // A read-back that claims more pixels than it gave is refused the same way.
    capture::CaptureSession shortRead(options, clock,
                                      [](std::vector<std::uint32_t>& px, int& w, int& h) {
                                          w = 100;
                                          h = 100;
                                          px.assign(10, 0);
                                          return true;
                                      },
                                      nullptr);
    shortRead.OnPresent(Show(0.0f));
    EXPECT_EQ(shortRead.FramesWritten(), 0);
    EXPECT_FALSE(shortRead.Error().empty());
}

TEST_F(CaptureSessionTest, BenchTimesShowFramesPerScene) {
    capture::Options options = Base();
    options.bench = true;
    options.to = 230.0;
    double now = 0.0;
    VirtualClock clock;
    capture::CaptureSession session(options, clock, Frames(), nullptr, [&now] { return now; });
    session.OnPresent(Loading());
    now = 5.0;  // loading time is not a frame time
    EXPECT_FALSE(session.OnPresent(Show(10.0f)));
    now += 0.010;
    EXPECT_FALSE(session.OnPresent(Show(20.0f)));   // intro, 10 ms
    now += 0.030;
    EXPECT_FALSE(session.OnPresent(Show(82.5f)));   // nothing drawn, 30 ms
    now += 0.002;
    EXPECT_FALSE(session.OnPresent(Show(100.0f)));  // tunnel, 2 ms
    now += 0.004;
    EXPECT_TRUE(session.OnPresent(Show(230.0f)));   // main and credits, 4 ms; --to reached
    // Every show frame is waited for by reading it back, and read back once more to time that.
    EXPECT_EQ(reads, 10);
    EXPECT_EQ(session.Bench().ReadBackSamples(), 5);
    const capture::BenchStats& bench = session.Bench();
    EXPECT_EQ(bench.Frames(), 4);
    EXPECT_NEAR(bench.TotalMs(), 46.0, 1e-6);
    EXPECT_NEAR(bench.MedianMs(ShowScene::Intro), 10.0, 1e-6);
    EXPECT_NEAR(bench.MaxMs(ShowScene::Credits), 4.0, 1e-6);
    EXPECT_EQ(bench.SceneFrames(ShowScene::Main), 1);
    EXPECT_EQ(bench.SceneFrames(ShowScene::Hand), 0);
    EXPECT_NEAR(bench.LoadingMs(), 5000.0, 1e-6);  // from the loading frame to the first show frame
}

TEST(BenchStats, MediansMaximaAndJson) {
    capture::BenchStats stats;
    const SceneSelection main = ScenesAt(50.0f);
    for (double ms : {4.0, 1.0, 3.0, 2.0}) stats.Record(main, ms);
    stats.Record(ScenesAt(10.0f), 7.0);
    for (double ms : {1.0, 3.0, 2.0}) stats.RecordReadBack(ms);
    EXPECT_DOUBLE_EQ(stats.MedianMs(ShowScene::Main), 2.5);  // even count: mean of the middle two
    EXPECT_DOUBLE_EQ(stats.MaxMs(ShowScene::Main), 4.0);
    EXPECT_DOUBLE_EQ(stats.MedianMs(ShowScene::Intro), 7.0);
    EXPECT_DOUBLE_EQ(stats.MedianMs(ShowScene::Tunnel), 0.0);
    const std::string json = stats.Json();
    EXPECT_EQ(json.front(), '{');
    EXPECT_EQ(json.back(), '}');
    EXPECT_EQ(json.find('\n'), std::string::npos);
    EXPECT_NE(json.find("\"frames\":5,\"wall_seconds\":0.017,\"fps\":294.118,\"readback_ms\":2.000,\"loading_ms\":0.000,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"main\":{\"frames\":4,\"median_ms\":2.500,\"max_ms\":4.000,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"organic_tunnel\":{\"frames\":0,"), std::string::npos) << json;
}

TEST(BenchStats, SlowestFrameOverBudgetFramesAndDeviceWorkPerScene) {
    capture::BenchStats stats;
    const SceneSelection main = ScenesAt(50.0f);
    stats.Record(main, 5.0, 50.0f, {100, 2000, 10, 3});
    stats.Record(main, 20.0, 51.0f, {120, 2200, 30, 1});
    stats.Record(main, 17.0, 52.0f, {140, 2400, 20, 0});
    stats.Record(ScenesAt(10.0f), 30.0, 10.0f, {4, 8, 4, 2});
    EXPECT_FLOAT_EQ(stats.MaxAt(ShowScene::Main), 51.0f);
    EXPECT_EQ(stats.SlowFrames(ShowScene::Main), 2);  // 20 and 17 ms miss the 16.7 ms budget
    EXPECT_DOUBLE_EQ(stats.MedianDrawCalls(ShowScene::Main), 120.0);
    EXPECT_DOUBLE_EQ(stats.MedianPrimitives(ShowScene::Main), 2200.0);
    EXPECT_DOUBLE_EQ(stats.MedianSubmissions(ShowScene::Main), 20.0);
    EXPECT_EQ(stats.ProgramsBuilt(ShowScene::Main), 4u);
    EXPECT_EQ(stats.ProgramsBuilt(ShowScene::Intro), 2u);
    EXPECT_EQ(stats.SlowFrames(ShowScene::Tunnel), 0);
    const std::string json = stats.Json();
    EXPECT_NE(json.find("\"max_at\":51.000,\"slow_frames\":2,\"draw_calls\":120.000,\"primitives\":2200.000,"
                        "\"gl_draws\":20.000,\"programs_built\":4}"),
              std::string::npos)
        << json;
}

TEST(ProgressBar, LineShowsShareAndTime) {
    EXPECT_EQ(tools::ProgressBar::Line(129.0, 258.0), "[###############...............]  50%  129.0/258.0 s");
    EXPECT_EQ(tools::ProgressBar::Line(-3.0, 10.0), "[..............................]   0%    0.0/10.0 s");
    EXPECT_EQ(tools::ProgressBar::Line(300.0, 258.0).substr(0, 37), "[##############################] 100%");
    EXPECT_EQ(tools::ProgressBar::Line(3, 40, "files", 0), "[##............................]   7%     3/40 files");
}

using VideoEncoderTest = TempDir;

TEST_F(VideoEncoderTest, ArgumentsAndFailures) {
    const auto withAudio = capture::VideoEncoder::Arguments("out.mp4", 160, 120, 30, "demo.mp3");
    auto has = [](const std::vector<std::string>& args, const std::string& a, const std::string& b) {
        for (std::size_t i = 0; i + 1 < args.size(); ++i)
            if (args[i] == a && args[i + 1] == b) return true;
        return false;
    };
    EXPECT_TRUE(has(withAudio, "-video_size", "160x120"));
    EXPECT_TRUE(has(withAudio, "-framerate", "30"));
    EXPECT_TRUE(has(withAudio, "-c:v", "libx264"));
    EXPECT_TRUE(has(withAudio, "-pix_fmt", "yuv420p"));
    EXPECT_TRUE(has(withAudio, "-i", "demo.mp3"));
    EXPECT_EQ(withAudio.back(), "out.mp4");
    const auto silent = capture::VideoEncoder::Arguments("out.mp4", 160, 120, 30, "");
    EXPECT_FALSE(has(silent, "-map", "1:a"));

    std::string error;
    capture::VideoEncoder missing;
    EXPECT_FALSE(missing.Start("/nonexistent/ffmpeg", silent, 160, 120, error));
    EXPECT_NE(error.find("/nonexistent/ffmpeg"), std::string::npos) << error;

    // An encoder that exits at once: writes fail instead of raising SIGPIPE, Finish reports it.
    std::signal(SIGPIPE, SIG_IGN);
    capture::VideoEncoder quitter;
    ASSERT_TRUE(quitter.Start("sh", {"-c", "exit 4"}, 16, 16, error)) << error;
    std::vector<std::uint32_t> frame(16 * 16 * 64, 0);
    EXPECT_FALSE(quitter.Write(frame.data(), 32, 16, error));  // wrong size
    bool failed = false;
    for (int i = 0; i < 200 && !failed; ++i) failed = !quitter.Write(frame.data(), 16, 16, error);
    EXPECT_TRUE(failed);
    EXPECT_FALSE(quitter.Finish(error));
    EXPECT_NE(error.find("exit code 4"), std::string::npos) << error;

    // A healthy consumer takes every byte.
    capture::VideoEncoder counter;
    ASSERT_TRUE(counter.Start("sh", {"-c", "wc -c > '" + dir + "/bytes'"}, 16, 16, error)) << error;
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(counter.Write(frame.data(), 16, 16, error)) << error;
    EXPECT_TRUE(counter.Finish(error)) << error;
    EXPECT_EQ(std::stoi(ReadText(dir + "/bytes")), 3 * 16 * 16 * 4);
}

}  // namespace

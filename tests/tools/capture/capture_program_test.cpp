// The orrery3d-capture program, run headless on the show: frames on disk named by show time, the
// letterboxed loading screen, the benchmark line and a short video.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
// GCC 12 with the sanitizers warns, inside <regex>'s own state machine, of a std::function it
// thinks may be used unset; the warning is about the library's code, not this file's.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>
#pragma GCC diagnostic pop

#include "tests/app/png_image.h"
#include "resources/version.h"
#include "tests/app/x_session.h"

namespace {

using namespace std::chrono_literals;

class CaptureProgram : public ::testing::Test {
protected:
    void SetUp() override {
        dir = xtest::MakeTempDir();
        ASSERT_FALSE(dir.empty());
        ASSERT_TRUE(xtest::CopyIntroPictures(ORRERY_PACK_DIR, dir));
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    // One second of silence as the show's soundtrack, made with lame.
    bool MakeSoundtrack() {
        const std::string command = "head -c 88200 /dev/zero | lame --quiet -r -s 44.1 -m m --bitwidth 16 - '" + dir +
                                    "/demo.mp3' 2>/dev/null";
        return std::system(command.c_str()) == 0;
    }
    int Run(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {}) {
        return RunIn(dir, args, env);
    }
    // The program started in `folder`; its standard output goes to stdout.txt in the test's folder.
    int RunIn(const std::string& folder, const std::vector<std::string>& args,
              const std::map<std::string, std::string>& env = {}) {
        // Through the shell, which keeps the standard output in stdout.txt.
        std::vector<std::string> argv = {"/bin/sh", "-c", "exec \"$0\" \"$@\" > \"$ORRERY_TEST_STDOUT\"",
                                         CAPTURE_PROGRAM};
        argv.insert(argv.end(), args.begin(), args.end());
        std::map<std::string, std::string> environment = env;
        environment["ORRERY_TEST_STDOUT"] = dir + "/stdout.txt";
        xtest::Child child;
        int code = -1;
        if (!child.Start(argv, environment, folder, dir + "/stderr.txt") || !child.WaitExit(120s, code)) return -1;
        return code;
    }
    std::string Err() { return xtest::ReadFile(dir + "/stderr.txt"); }
    std::string dir;
};

// Black bands of 50 rows above and below; between them, when grey is non-zero, that grey at the
// left of the picture (the loading screen and the intro both clear to it).
void ExpectLetterbox(const PngImage& frame, const std::string& name, int grey) {
    for (int y : {0, 25, 49, frame.height - 50, frame.height - 1})
        for (int x : {0, frame.width / 2, frame.width - 1})
            EXPECT_EQ(frame.At(x, y)[1], 0) << name << " " << x << "," << y;
    if (grey == 0) return;
    for (int y : {50, frame.height / 2, frame.height - 51}) {
        EXPECT_EQ(frame.At(frame.width / 8, y)[0], grey) << name << " y " << y;
        EXPECT_EQ(frame.At(frame.width / 8, y)[2], grey) << name << " y " << y;
    }
}

TEST_F(CaptureProgram, SavesTheLoadingFrameAndFramesAtShowTimes) {
    ASSERT_TRUE(MakeSoundtrack());
    ASSERT_EQ(Run({"--loading", "--at", "1", "--at", "100", "--size", "320x240", "--out", dir + "/frames"}), 0)
        << Err();
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir + "/frames"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names, (std::vector<std::string>{"loading.png", "t001.000.png", "t100.000.png"}));
    for (const std::string& name : names) {
        PngImage frame;
        ASSERT_TRUE(ReadPng(dir + "/frames/" + name, frame)) << name;
        ASSERT_EQ(frame.width, 320);
        ASSERT_EQ(frame.height, 240);
        // At 100 s the tunnel draws, with its own background.
        ExpectLetterbox(frame, name, name == "t100.000.png" ? 0 : 0x10);
    }
    // The caption: light grey text from x = 1 on the row band starting at y = H - 80.
    PngImage loading;
    ASSERT_TRUE(ReadPng(dir + "/frames/loading.png", loading));
    int lit = 0, brightest = 0;
    for (int y = 150; y < 190; ++y)
        for (int x = 0; x < 140; ++x) {
            const std::uint8_t* p = loading.At(x, y);
            if (p[0] > 0x60) {
                ++lit;
                EXPECT_GE(y, 159) << "caption pixel above its row at " << x << "," << y;
                EXPECT_LT(y, 175) << "caption pixel below its row at " << x << "," << y;
                EXPECT_EQ(p[0], p[2]) << "grey, not coloured, at " << x << "," << y;
            }
            brightest = std::max<int>(brightest, p[0]);
        }
    EXPECT_GT(lit, 50);
    // White at alpha 200 over 0x10: about 0xCB at full coverage.
    EXPECT_GE(brightest, 0xB0);
    EXPECT_LE(brightest, 0xD8);
}

TEST_F(CaptureProgram, TheLoadingFrameAloneStopsTheShowBeforeItsFirstFrame) {
    ASSERT_TRUE(MakeSoundtrack());
    ASSERT_EQ(Run({"--loading", "--size", "160x120"}), 0) << Err();
    PngImage frame;
    ASSERT_TRUE(ReadPng(dir + "/loading.png", frame));
    ExpectLetterbox(frame, "loading.png", 0x10);
    // Stopped during loading: the frame loop draws nothing.
    EXPECT_NE(Err().find(" 1 frames presented, 1 written"), std::string::npos) << Err();
}

TEST_F(CaptureProgram, ASpanSavesEveryFrameInIt) {
    ASSERT_TRUE(MakeSoundtrack());
    ASSERT_EQ(Run({"--from", "2", "--to", "3", "--fps", "4", "--size", "64x120", "--colour16", "--out", "span"}), 0)
        << Err();
    for (const char* name : {"t002.000.png", "t002.250.png", "t002.500.png", "t002.750.png", "t003.000.png"}) {
        PngImage frame;
        ASSERT_TRUE(ReadPng(dir + "/span/" + name, frame)) << name;
        ExpectLetterbox(frame, name, 0x10);
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "/span/t001.750.png"));
    EXPECT_FALSE(std::filesystem::exists(dir + "/span/t003.250.png"));
}

// A level of 5 or 6 bits widened to 8 as the read-back of a 16-bit buffer does it: the top bits
// repeated below.
int Widen(int level, int bits) { return (level << (8 - bits)) | (level >> (2 * bits - 8)); }

// The two levels of a channel of the given bits that lie either side of an 8-bit value, widened.
std::pair<int, int> LevelsAround(int value, int bits) {
    const int below = value * ((1 << bits) - 1) / 255;
    return {Widen(below, bits), Widen(below + 1, bits)};
}

// At 9.5 s the intro's white flash lifts the grey background evenly to a level that 16 bits
// cannot hold: with --colour16 red and blue land on 5-bit levels and green on a 6-bit one
// either side of the 32-bit picture's value, so the channels part.
TEST_F(CaptureProgram, Colour16QuantisesThePictureToR5G6B5) {
    ASSERT_TRUE(MakeSoundtrack());
    const std::vector<std::string> args = {"--at", "9.5", "--fps", "4", "--size", "160x120"};
    auto run = [&](const std::string& out, bool colour16) {
        std::vector<std::string> all = args;
        all.insert(all.end(), {"--out", out});
        if (colour16) all.push_back("--colour16");
        return Run(all);
    };
    ASSERT_EQ(run("c32", false), 0) << Err();
    ASSERT_EQ(run("c16", true), 0) << Err();
    PngImage full, reduced;
    ASSERT_TRUE(ReadPng(dir + "/c32/t009.500.png", full));
    ASSERT_TRUE(ReadPng(dir + "/c16/t009.500.png", reduced));
    for (const auto& [x, y] : {std::pair{4, 52}, std::pair{20, 66}, std::pair{40, 55}}) {
        const std::uint8_t* p = full.At(x, y);
        const int grey = p[0];
        ASSERT_EQ(p[1], grey) << x << "," << y;
        ASSERT_EQ(p[2], grey) << x << "," << y;
        ASSERT_NE(Widen(grey >> 3, 5), grey) << "a grey that 5 bits hold proves nothing";
        const std::uint8_t* q = reduced.At(x, y);
        const auto [red0, red1] = LevelsAround(grey, 5);
        const auto [green0, green1] = LevelsAround(grey, 6);
        EXPECT_TRUE(q[0] == red0 || q[0] == red1) << int(q[0]) << " for " << grey << " at " << x << "," << y;
        EXPECT_TRUE(q[1] == green0 || q[1] == green1) << int(q[1]) << " for " << grey << " at " << x << "," << y;
        EXPECT_EQ(q[2], q[0]) << x << "," << y;
        EXPECT_NE(q[1], q[0]) << "green has a bit more than red and blue at " << x << "," << y;
    }
}

TEST_F(CaptureProgram, BenchPrintsOneJsonLineWithFramesAndSceneTimes) {
    ASSERT_TRUE(MakeSoundtrack());
    ASSERT_EQ(Run({"--bench", "--fps", "2", "--size", "160x120"}), 0) << Err();
    const std::string out = xtest::ReadFile(dir + "/stdout.txt");
    const std::string number = "[0-9]+(\\.[0-9]+)?";
    std::string scenes;
    for (const char* scene : {"intro", "main", "tunnel", "hand", "organic_tunnel", "credits"})
        scenes += std::string(scenes.empty() ? "" : ",") + "\"" + scene + "\":\\{\"frames\":[0-9]+,\"median_ms\":" +
                  number + ",\"max_ms\":" + number + ",\"max_at\":" + number + ",\"slow_frames\":[0-9]+" +
                  ",\"draw_calls\":" + number + ",\"primitives\":" + number + ",\"gl_draws\":" + number +
                  ",\"programs_built\":[0-9]+\\}";
    const std::regex json("\\{\"frames\":([0-9]+),\"wall_seconds\":" + number + ",\"fps\":" + number +
                          ",\"readback_ms\":" + number + ",\"loading_ms\":" + number + ",\"scenes\":\\{" +
                          scenes + "\\}\\}\n");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(out, match, json)) << out;
    // The whole show at 2 frames a second: 517 frames, the first of which is not timed.
    EXPECT_EQ(std::stoi(match[1]), 516) << out;
    EXPECT_NE(out.find("\"intro\":{\"frames\":42,"), std::string::npos) << out;
}

TEST_F(CaptureProgram, AShortVideoHasAPictureAndASoundStream) {
    if (std::system("command -v ffprobe >/dev/null 2>&1") != 0) GTEST_SKIP() << "ffprobe is not installed";
    ASSERT_TRUE(MakeSoundtrack());
    ASSERT_EQ(Run({"--video", "kaede.mp4", "--to", "2", "--size", "160x120", "--fps", "10"}), 0) << Err();
    const std::string probe = xtest::RunOnDisplay(
        "", "ffprobe -v error -show_entries stream=codec_type,codec_name,width,height,pix_fmt -of compact '" + dir +
                "/kaede.mp4'");
    EXPECT_NE(probe.find("codec_name=h264|codec_type=video|width=160|height=120|pix_fmt=yuv420p"), std::string::npos)
        << probe;
    EXPECT_NE(probe.find("codec_type=audio"), std::string::npos) << probe;
}

// When the video cannot be made the run fails, and its summary says so instead of counting
// frames as encoded into the file: ffmpeg missing, ffmpeg unable to write the file, and an
// encoder that takes every frame and then fails.
TEST_F(CaptureProgram, AFailedVideoIsAFailedRunAndTheSummarySaysSo) {
    ASSERT_TRUE(MakeSoundtrack());
    const std::vector<std::string> args = {"--to", "1", "--size", "160x120", "--fps", "10"};
    auto with = [&](const std::string& video) {
        std::vector<std::string> all = {"--video", video};
        all.insert(all.end(), args.begin(), args.end());
        return all;
    };
    ASSERT_TRUE(std::filesystem::create_directory(dir + "/empty-bin"));
    EXPECT_EQ(Run(with("kaede.mp4"), {{"PATH", dir + "/empty-bin"}}), 1);
    EXPECT_NE(Err().find("cannot start ffmpeg"), std::string::npos) << Err();
    EXPECT_EQ(Err().find("encoded into"), std::string::npos) << Err();

    if (std::system("command -v ffmpeg >/dev/null 2>&1") == 0) {
        EXPECT_EQ(Run(with("missing/kaede.mp4")), 1);
        EXPECT_EQ(Err().find("encoded into"), std::string::npos) << Err();
        EXPECT_NE(Err().find("no video: encoding into missing/kaede.mp4 failed"), std::string::npos) << Err();
        EXPECT_FALSE(std::filesystem::exists(dir + "/missing"));
    }

    ASSERT_TRUE(std::filesystem::create_directory(dir + "/bin"));
    {
        std::ofstream script(dir + "/bin/ffmpeg");
        script << "#!/bin/sh\ncat > /dev/null\nexit 1\n";
    }
    std::filesystem::permissions(dir + "/bin/ffmpeg", std::filesystem::perms::owner_all);
    const char* path = std::getenv("PATH");
    EXPECT_EQ(Run(with("kaede.mp4"), {{"PATH", dir + "/bin:" + (path ? path : "/usr/bin:/bin")}}), 1);
    EXPECT_NE(Err().find("the encoder failed with exit code 1"), std::string::npos) << Err();
    EXPECT_EQ(Err().find("encoded into"), std::string::npos) << Err();
    EXPECT_NE(Err().find("no video: encoding into kaede.mp4 failed after 11 frames"), std::string::npos) << Err();
}

TEST_F(CaptureProgram, AMissingSoundtrackIsTheShowsError) {
    EXPECT_EQ(Run({"--at", "1", "--out", "frames"}), 3);
    EXPECT_NE(Err().find("Could not play MP3"), std::string::npos) << Err();
    EXPECT_NE(Err().find("demo.mp3"), std::string::npos) << Err();
}

// The intro fails on its title picture; the other scenes, loaded after it in the show, fail on
// files of their own, which the message must not name instead.
TEST_F(CaptureProgram, AnIntroThatCannotLoadIsTheShowsErrorNamingItsFile) {
    ASSERT_TRUE(MakeSoundtrack());
    ASSERT_TRUE(std::filesystem::remove(dir + "/title.jpg"));
    EXPECT_EQ(Run({"--loading", "--size", "160x120"}), 3);
    EXPECT_NE(Err().find("Orrery3D Error\nCould not load bitmap: title.jpg\n"), std::string::npos) << Err();
}

// Started in a folder without the show's files, the program reads the data folder beside it
// (in the build tree, the generated pack) and draws what it draws in a folder that holds the
// data; the frames still go where --out points from the folder it was started in.
TEST_F(CaptureProgram, StartedOutsideTheDataItReadsTheInstalledDataAndWritesWhereTold) {
    const std::string empty = dir + "/empty", withData = dir + "/with-data";
    ASSERT_TRUE(std::filesystem::create_directory(empty));
    ASSERT_TRUE(std::filesystem::create_directory(withData));
    for (const auto& entry : std::filesystem::directory_iterator(ORRERY_PACK_DIR))
        std::filesystem::create_symlink(entry.path(), withData + "/" + entry.path().filename().string());
    const std::vector<std::string> args = {"--at", "20", "--size", "160x120", "--out", "frames"};
    ASSERT_EQ(RunIn(empty, args), 0) << Err();
    ASSERT_EQ(RunIn(withData, args), 0) << Err();
    const std::string installed = xtest::ReadFile(empty + "/frames/t020.000.png");
    ASSERT_FALSE(installed.empty()) << "no frame in the folder the program was started in";
    EXPECT_EQ(installed, xtest::ReadFile(withData + "/frames/t020.000.png"));
    EXPECT_FALSE(std::filesystem::exists(std::string(ORRERY_PACK_DIR) + "/frames"));
}

TEST_F(CaptureProgram, RefusesBadOptions) {
    EXPECT_EQ(Run({"--size", "10x10", "--loading"}), 2);
    EXPECT_EQ(Run({"--at", "300"}), 2);
    EXPECT_EQ(Run({}), 2);
    EXPECT_NE(Err().find("usage:"), std::string::npos);
}

TEST_F(CaptureProgram, HelpAndVersionGoToStandardOutput) {
    ASSERT_EQ(Run({"--help"}), 0);
    const std::string usage = xtest::ReadFile(dir + "/stdout.txt");
    EXPECT_EQ(usage.rfind("usage: orrery3d-capture", 0), 0u) << usage;
    EXPECT_NE(usage.find("--version"), std::string::npos) << usage;
    EXPECT_EQ(Err(), "");
    ASSERT_EQ(Run({"--version"}), 0);
    EXPECT_EQ(xtest::ReadFile(dir + "/stdout.txt"), std::string("orrery3d-capture ") + kProgramVersion + "\n");
    EXPECT_EQ(Err(), "");
}

}  // namespace

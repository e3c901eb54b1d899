// The orrery3d-assets program run as a child process: its options, exit codes, what it prints and
// the files it writes. Writing uses the characters area, the quickest one to make.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "png_image.h"
#include "resources/version.h"

namespace {

namespace fs = std::filesystem;

// The background the previews clear to.
constexpr std::uint8_t kPreviewBackground[3] = {0x1C, 0x22, 0x30};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class AssetsProgram : public ::testing::Test {
protected:
    void SetUp() override {
        dir = xtest::MakeTempDir();
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs the program in the test's folder; its exit code, -1 when it could not be started or
    // did not end in time. Out() and Err() give what it printed.
    int Run(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {ASSETS_PROGRAM};
        argv.insert(argv.end(), args.begin(), args.end());
        last_ = xtest::RunProgram(argv, dir, std::chrono::minutes(2));
        return last_.timedOut ? -1 : last_.code;
    }
    const std::string& Out() const { return last_.out; }
    const std::string& Err() const { return last_.err; }

    static std::set<std::string> FilesIn(const fs::path& folder) {
        std::set<std::string> names;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec)) names.insert(entry.path().filename().string());
        return names;
    }
    std::string dir;

private:
    xtest::ProgramRun last_;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool SameBytes(const fs::path& a, const fs::path& b) { return ReadFile(a) == ReadFile(b); }

// Pixels of the picture that are not the preview's background.
int ModelPixels(const PngImage& image) {
    int n = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            n += !std::equal(kPreviewBackground, kPreviewBackground + 3, image.At(x, y));
    return n;
}

TEST_F(AssetsProgram, HelpAndVersionGoToStandardOutput) {
    ASSERT_EQ(Run({"--help"}), 0);
    EXPECT_EQ(Out().rfind("usage: orrery3d-assets OUTDIR", 0), 0u) << Out();
    for (const char* option : {"--area", "--jobs", "--list", "--preview", "--data", "--eye", "--look", "--time"})
        EXPECT_NE(Out().find(option), std::string::npos) << option;
    EXPECT_EQ(Err(), "");
    ASSERT_EQ(Run({"--version"}), 0);
    EXPECT_EQ(Out(), std::string("orrery3d-assets ") + kProgramVersion + "\n");
    EXPECT_EQ(Err(), "");
}

// One line per file of the pack, each name once: exactly the files the build wrote.
TEST_F(AssetsProgram, ListNamesEveryFileOfThePack) {
    if (!fs::exists(ORRERY_PACK_STAMP)) GTEST_SKIP() << "the build has not written the data pack";
    ASSERT_EQ(Run({"--list"}), 0) << Err();
    const std::vector<std::string> names = Lines(Out());
    const std::set<std::string> unique(names.begin(), names.end());
    EXPECT_EQ(unique.size(), names.size());
    EXPECT_EQ(unique, FilesIn(ORRERY_PACK_DIR));
    EXPECT_TRUE(FilesIn(dir).empty()) << "--list writes no files";
}

// One area: some of the pack's files and none of the others, each the same bytes as in the pack,
// whatever the number of workers.
TEST_F(AssetsProgram, AnAreaWritesItsFilesAsThePackHasThem) {
    if (!fs::exists(ORRERY_PACK_STAMP)) GTEST_SKIP() << "the build has not written the data pack";
    ASSERT_EQ(Run({"one", "--area", "characters", "--jobs", "1"}), 0) << Err();
    const std::set<std::string> written = FilesIn(dir + "/one");
    EXPECT_TRUE(written.count("idle.x")) << "the characters' models";
    EXPECT_FALSE(written.count("demo.mp3")) << "the soundtrack is another area's";
    EXPECT_LT(written.size(), FilesIn(ORRERY_PACK_DIR).size());
    EXPECT_NE(Err().find(std::to_string(written.size()) + " of " + std::to_string(written.size()) + " files written"),
              std::string::npos)
        << Err();
    for (const std::string& name : written)
        EXPECT_TRUE(SameBytes(dir + "/one/" + name, fs::path(ORRERY_PACK_DIR) / name)) << name;

    ASSERT_EQ(Run({"many", "--area", "characters", "--jobs", "64"}), 0) << Err();
    EXPECT_EQ(FilesIn(dir + "/many"), written);
    for (const std::string& name : written) EXPECT_TRUE(SameBytes(dir + "/one/" + name, dir + "/many/" + name)) << name;

    EXPECT_EQ(Run({"none", "--area", "scenery"}), 2);
    EXPECT_NE(Err().find("scenery"), std::string::npos) << Err();
    EXPECT_FALSE(fs::exists(dir + "/none"));
}

// A worker count is a whole number from 1 to 64; anything else is refused before any work,
// with a message, instead of ending the program on a signal.
TEST_F(AssetsProgram, RefusesWorkerCountsOutsideOneToSixtyFour) {
    for (const char* jobs : {"-1", "0", "65", "100000", "4294967297", "abc", "4x", " 4", ""}) {
        EXPECT_EQ(Run({"out", "--area", "characters", "--jobs", jobs}), 2) << "--jobs \"" << jobs << "\"";
        EXPECT_NE(Err().find("--jobs"), std::string::npos) << Err();
        EXPECT_NE(Err().find("usage:"), std::string::npos) << Err();
    }
    EXPECT_EQ(Run({"out", "--area", "characters", "--jobs"}), 2);
    EXPECT_NE(Err().find("missing value after --jobs"), std::string::npos) << Err();
    EXPECT_FALSE(fs::exists(dir + "/out"));
}

TEST_F(AssetsProgram, RefusesUnknownOptionsAndBadValues) {
    const std::vector<std::vector<std::string>> bad = {
        {},                                          // nothing to do
        {"out", "--colour"},                         // unknown option
        {"out", "extra"},                            // a second folder
        {"--preview", "pics", "--eye", "1,2"},       // two coordinates
        {"--preview", "pics", "--look", "1,2,3,4"},  // four
        {"--preview", "pics", "--time", "soon"},
        {"--preview", "pics", "--time", "-1"},
        {"--preview", "pics", "--size", "64"},
        {"--preview", "pics", "--size", "0x48"},
        {"--preview"},                               // no folder
    };
    for (const auto& args : bad) {
        std::string shown;
        for (const std::string& a : args) shown += " " + a;
        EXPECT_EQ(Run(args), 2) << shown;
        EXPECT_NE(Err().find("orrery3d-assets: "), std::string::npos) << shown << "\n" << Err();
        EXPECT_NE(Err().find("usage:"), std::string::npos) << shown;
    }
    EXPECT_FALSE(fs::exists(dir + "/out"));
    EXPECT_FALSE(fs::exists(dir + "/pics"));
}

// Previews of one model from a pack folder: one picture per animation time, the fitted camera
// showing the model, and a camera given by --eye and --look that sees only what it looks at.
TEST_F(AssetsProgram, PreviewDrawsAModelOfAPackFolderAtItsTimesAndFromItsCamera) {
    ASSERT_EQ(Run({"pack", "--area", "characters"}), 0) << Err();
    ASSERT_EQ(Run({"--preview", "fitted", "--data", "pack", "--only", "idle.x", "--size", "64x48", "--time", "0.5",
                   "--time", "1"}),
              0)
        << Err();
    EXPECT_EQ(FilesIn(dir + "/fitted"), (std::set<std::string>{"idle_t000.50.png", "idle_t001.00.png"}));
    PngImage early, late;
    ASSERT_TRUE(ReadPng(dir + "/fitted/idle_t000.50.png", early));
    ASSERT_TRUE(ReadPng(dir + "/fitted/idle_t001.00.png", late));
    EXPECT_EQ(early.width, 64);
    EXPECT_EQ(early.height, 48);
    EXPECT_GT(ModelPixels(early), 64 * 48 / 20) << "the fitted camera frames the model";
    EXPECT_NE(early.rgba, late.rgba) << "the animation moves between the two times";

    // From the front at a distance, and looking away from the model: one picture, no time suffix.
    ASSERT_EQ(Run({"--preview", "front", "--data", "pack", "--only", "idle.x", "--size", "64x48", "--eye",
                   "0,-300,100", "--look", "0,0,80"}),
              0)
        << Err();
    ASSERT_EQ(Run({"--preview", "away", "--data", "pack", "--only", "idle.x", "--size", "64x48", "--eye",
                   "0,-300,100", "--look", "0,-600,100"}),
              0)
        << Err();
    EXPECT_EQ(FilesIn(dir + "/front"), std::set<std::string>{"idle.png"});
    PngImage front, away;
    ASSERT_TRUE(ReadPng(dir + "/front/idle.png", front));
    ASSERT_TRUE(ReadPng(dir + "/away/idle.png", away));
    EXPECT_GT(ModelPixels(front), 0);
    EXPECT_NE(front.rgba, early.rgba);
    EXPECT_EQ(ModelPixels(away), 0);
    // --data was given: no pack of its own is written beside the pictures.
    EXPECT_FALSE(fs::exists(dir + "/front/pack"));

    EXPECT_EQ(Run({"--preview", "nowhere", "--data", "missing", "--only", "idle.x", "--size", "64x48"}), 1);
    EXPECT_NE(Err().find("cannot open missing"), std::string::npos) << Err();
}

}  // namespace

// Runs orrery3d-xinfo on the X files written by other tools and checks its totals against the
// counts an independent importer gives for them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path kFiles = ORRERY_XFILES_DIR;

struct ProgramRun {
    bool exited = false;
    int code = -1;
    std::string out, err;
};

ProgramRun Xinfo(const std::string& arguments) {
    const fs::path errFile = fs::path(testing::TempDir()) / ("xinfo_err_" + std::to_string(::getpid()));
    const std::string command =
        "cd '" + kFiles.string() + "' && '" XINFO_PROGRAM "' " + arguments + " 2>'" + errFile.string() + "'";
    ProgramRun run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof(chunk), pipe)) > 0) run.out.append(chunk, n);
    const int status = ::pclose(pipe);
    run.exited = WIFEXITED(status);
    run.code = run.exited ? WEXITSTATUS(status) : -1;
    std::ifstream in(errFile);
    std::stringstream text;
    text << in.rdbuf();
    run.err = text.str();
    fs::remove(errFile);
    return run;
}

long Field(const std::string& json, const std::string& name) {
    // The totals are the last fields of the object.
    const std::regex pattern("\"" + name + "\":([0-9]+)[,}][^\\[\\]]*$");
    std::smatch m;
    return std::regex_search(json, m, pattern) ? std::stol(m[1]) : -1;
}

class XinfoTest : public testing::Test {
protected:
    void SetUp() override {
        if (!fs::is_directory(kFiles)) GTEST_SKIP() << kFiles << " is absent";
    }
};

TEST_F(XinfoTest, TotalsAgreeWithTheIndependentImporter) {
    struct Expected {
        const char* file;
        long faces, bones, sets;
    };
    const Expected table[] = {
        {"dwarf.x", 1896, 40, 1},       {"anim_test.x", 840, 4, 1},
        {"cube_text.x", 12, 1, 0},      {"cube_binary.x", 12, 1, 0},
        {"cube_compressed.x", 12, 1, 0}, {"cube_vertex_colours.x", 12, 0, 0},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.file);
        const ProgramRun run = Xinfo(e.file);
        ASSERT_TRUE(run.exited);
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(Field(run.out, "faces"), e.faces) << run.out;
        EXPECT_EQ(Field(run.out, "bones"), e.bones);
        EXPECT_EQ(Field(run.out, "animation_sets"), e.sets);
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);
    }
}

TEST_F(XinfoTest, EncodingsOfOneCubeGiveTheSameReport) {
    const ProgramRun text = Xinfo("cube_text.x");
    const ProgramRun binary = Xinfo("cube_binary.x");
    const ProgramRun compressed = Xinfo("cube_compressed.x");
    auto body = [](const std::string& json) { return json.substr(json.find(",\"frames\"")); };
    ASSERT_FALSE(text.out.empty());
    EXPECT_EQ(body(text.out), body(binary.out));
    EXPECT_EQ(body(text.out), body(compressed.out));
}

TEST_F(XinfoTest, BadFilesFailWithAMessageAndOthersStillReport) {
    const ProgramRun empty = Xinfo("empty.x");
    ASSERT_TRUE(empty.exited);
    EXPECT_NE(empty.code, 0);
    EXPECT_TRUE(empty.out.empty());
    EXPECT_NE(empty.err.find("empty.x"), std::string::npos) << empty.err;

    const ProgramRun missing = Xinfo("no_such_file.x cube_text.x");
    ASSERT_TRUE(missing.exited);
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("no_such_file.x"), std::string::npos);
    EXPECT_EQ(Field(missing.out, "faces"), 12);

    // Either loads or fails cleanly; never a crash.
    for (const char* file : {"maya_cube.x", "malformed_skinweights.x"}) {
        const ProgramRun run = Xinfo(file);
        EXPECT_TRUE(run.exited) << file;
        EXPECT_TRUE(run.code == 0 || run.code == 1) << file;
        if (run.code == 1) {
            EXPECT_FALSE(run.err.empty()) << file;
        }
    }
    const ProgramRun none = Xinfo("");
    EXPECT_EQ(none.code, 2);
}

TEST_F(XinfoTest, EveryFileInTheFolderLoadsOrFailsCleanly) {
    for (const auto& entry : fs::directory_iterator(kFiles)) {
        if (entry.path().extension() != ".x") continue;
        const ProgramRun run = Xinfo(entry.path().filename().string());
        SCOPED_TRACE(entry.path().filename().string());
        ASSERT_TRUE(run.exited);
        EXPECT_TRUE(run.code == 0 || run.code == 1);
        EXPECT_EQ(run.code == 0, !run.out.empty());
    }
}

}  // namespace

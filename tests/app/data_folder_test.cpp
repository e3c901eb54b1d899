// Which folder the show reads its files from: the working folder when it holds any of the show's
// files, the installed data folder otherwise.
#include "app/data_folder.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/app/child_process.h"

namespace {

namespace fs = std::filesystem;

class DataFolder : public ::testing::Test {
protected:
    void SetUp() override {
        root = xtest::MakeTempDir();
        ASSERT_FALSE(root.empty());
        fs::create_directories(root / "installed");
        fs::create_directories(root / "here");
        for (const char* name : {"demo.mp3", "demo.x", "title.jpg"}) Touch(root / "installed" / name);
        fs::create_directories(root / "installed" / "extras");
    }
    void TearDown() override { fs::remove_all(root); }
    static void Touch(const fs::path& path) { std::ofstream(path) << "x"; }
    fs::path root;
};

TEST_F(DataFolder, AnyOneOfTheShowsFilesMakesAFolderHoldTheData) {
    EXPECT_FALSE(HoldsShowData(root / "here", root / "installed"));
    Touch(root / "here" / "notes.txt");
    EXPECT_FALSE(HoldsShowData(root / "here", root / "installed"));
    // A partial copy counts: its missing files are then reported as missing.
    Touch(root / "here" / "title.jpg");
    EXPECT_TRUE(HoldsShowData(root / "here", root / "installed"));
    EXPECT_TRUE(HoldsShowData(root / "installed", root / "installed"));
}

TEST_F(DataFolder, OnlyRegularFilesCountOnEitherSide) {
    // A folder named like one of the show's files is not that file...
    fs::create_directory(root / "here" / "demo.x");
    EXPECT_FALSE(HoldsShowData(root / "here", root / "installed"));
    // ...and a folder in the installed data names no file of the show.
    fs::create_directory(root / "here" / "extras");
    EXPECT_FALSE(HoldsShowData(root / "here", root / "installed"));
    // A link to one of the files is the file.
    fs::create_symlink(root / "installed" / "demo.mp3", root / "here" / "demo.mp3");
    EXPECT_TRUE(HoldsShowData(root / "here", root / "installed"));
    // Nothing is installed, or nothing can be read there: no file to find.
    EXPECT_FALSE(HoldsShowData(root / "here", root / "nowhere"));
}

TEST_F(DataFolder, EnteringAFolderMakesItTheWorkingFolderAndAMissingOneIsNamed) {
    const fs::path previous = fs::current_path();
    std::string error;
    ASSERT_TRUE(EnterDataFolder(root / "installed", error)) << error;
    EXPECT_EQ(fs::current_path(), fs::canonical(root / "installed"));
    EXPECT_FALSE(EnterDataFolder(root / "nowhere", error));
    EXPECT_NE(error.find((root / "nowhere").string()), std::string::npos) << error;
    EXPECT_EQ(fs::current_path(), fs::canonical(root / "installed"));
    fs::current_path(previous);
}

}  // namespace

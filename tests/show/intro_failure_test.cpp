// What the error message names when the show's intro cannot load: the show's own scenes on a
// headless device, in folders that lack some of the intro's files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/error_reporter.h"
#include "show/demo_app.h"
#include "tests/show/intro_credits_fixture.h"

namespace {

class IntroFailure : public scenetest::SceneTest {
protected:
    // Makes and loads the show's scenes in a folder holding only the named files; the detail
    // text at the moment the intro's failure is handled, or "(not handled)".
    std::string DetailWhenTheIntroFails(const std::vector<std::string>& files) {
        EXPECT_TRUE(folder.EnterFolderWith(files));
        ErrorReporter::Instance().SetDetail("");
        DemoApp app;
        std::string detail = "(not handled)";
        EXPECT_LT(app.CreateScenes([&] { detail = ErrorReporter::Instance().detail; }), 0);
        return detail;
    }
};

// Every later scene fails on a file of its own (the rail tunnel, say), yet the message names
// the intro's: its title picture.
TEST_F(IntroFailure, NamesTheTitlePictureWhenItIsMissing) {
    EXPECT_EQ(DetailWhenTheIntroFails({"intro_particle.jpg"}), "title.jpg");
}

// The fountains' texture is the intro's first file: alone missing, and with every file missing.
TEST_F(IntroFailure, NamesTheFountainTextureWhenItIsMissing) {
    EXPECT_EQ(DetailWhenTheIntroFails({"title.jpg"}), "intro_particle.jpg");
    EXPECT_EQ(DetailWhenTheIntroFails({}), "intro_particle.jpg");
}

}  // namespace

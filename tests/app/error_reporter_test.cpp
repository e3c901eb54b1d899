#include "app/error_reporter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "fake_window.h"
#include "tests/render/fresh_process.h"

namespace {

const std::string kBanner = "\n\nOrrery3D engine 1.0 - Project Kaede\nKestrel Loom\n";

std::string Compose(int code, const char* detail) {
    char out[1024];
    ErrorReporter::ComposeMessage(code, detail, out, sizeof out);
    return out;
}

TEST(ErrorReporterMessages, EveryCodeHasItsExactText) {
    const char* name = "trains_anim.x";
    EXPECT_EQ(Compose(1, name),
              "Could not initialize Direct3D.\nMake sure you have the latest\nversion of Direct X installed.\n" +
                  kBanner);
    EXPECT_EQ(Compose(2, name), "Could not load meshes: trains_anim.x" + kBanner);
    EXPECT_EQ(Compose(3, name), "Direct X init failure\nSwitching to software rendering (slow)\n" + kBanner);
    EXPECT_EQ(Compose(4, name), "Could not init font.\n" + kBanner);
    EXPECT_EQ(Compose(5, name), "Could not initialize MP3 Player\n" + kBanner);
    EXPECT_EQ(Compose(6, "demo.mp3"), "Could not play MP3\ndemo.mp3" + kBanner);
    EXPECT_EQ(Compose(7, name), "Could not load bitmap: trains_anim.x" + kBanner);
    const std::string generic = "Generic engine error. Enable\ndebug output for detailed information.\n" + kBanner;
    for (int code : {0, 8, -1, 1000}) EXPECT_EQ(Compose(code, name), generic) << code;
}

TEST(ErrorReporterMessages, ComposeCutsToTheBufferAndHandlesNoDetail) {
    char small[12];
    ErrorReporter::ComposeMessage(6, "demo.mp3", small, sizeof small);
    EXPECT_STREQ(small, "Could not p");
    EXPECT_EQ(Compose(7, nullptr), "Could not load bitmap: " + kBanner);
    ErrorReporter::ComposeMessage(1, "x", nullptr, 10);  // no buffer: nothing written, no crash
    char none[1] = {'z'};
    ErrorReporter::ComposeMessage(1, "x", none, 0);
    EXPECT_EQ(none[0], 'z');
}

TEST(ErrorReporterDetail, EmptyAtConstructionAndCutAtCapacity) {
    // The one instance is made at the first Instance() of a process and keeps what earlier tests
    // wrote: construction is seen in a process of its own.
    freshprocess::ExpectInFreshProcess([] { EXPECT_STREQ(ErrorReporter::Instance().detail, ""); });
    ErrorReporter& reporter = ErrorReporter::Instance();
    EXPECT_EQ(&reporter, &ErrorReporter::Instance());

    const std::string name63(63, 'n');
    reporter.SetDetail(name63.c_str());
    EXPECT_EQ(std::string(reporter.detail), name63);

    const std::string longName(1000, 'L');
    reporter.SetDetail(longName.c_str());
    EXPECT_EQ(std::strlen(reporter.detail), ErrorReporter::kDetailCapacity - 1);
    EXPECT_EQ(std::string(reporter.detail), longName.substr(0, ErrorReporter::kDetailCapacity - 1));

    reporter.SetDetail(nullptr);
    EXPECT_STREQ(reporter.detail, "");
}

TEST(ErrorReporterReport, WarningPrintsAndReturnsKeepingTheDetail) {
    FakeHeadlessWindow owner;
    ErrorReporter& reporter = ErrorReporter::Instance();
    reporter.SetDetail("hand.x");
    testing::internal::CaptureStderr();
    reporter.Report(&owner, 3, 2);
    reporter.Report(&owner, 7, 0);  // any severity but 1 is a warning
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Orrery3D Warning\nDirect X init failure\nSwitching to software rendering (slow)\n" + kBanner),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("Orrery3D Warning\nCould not load bitmap: hand.x" + kBanner), std::string::npos) << err;
    EXPECT_EQ(err.find("Orrery3D Error"), std::string::npos);
    EXPECT_STREQ(reporter.detail, "hand.x");
}

TEST(ErrorReporterReport, UnterminatedDetailIsReadSafely) {
    FakeHeadlessWindow owner;
    ErrorReporter& reporter = ErrorReporter::Instance();
    std::memset(reporter.detail, 'q', sizeof reporter.detail);  // a careless loader
    testing::internal::CaptureStderr();
    reporter.Report(&owner, 2, 2);
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string expected =
        "Could not load meshes: " + std::string(ErrorReporter::kDetailCapacity - 1, 'q') + kBanner;
    EXPECT_NE(err.find(expected), std::string::npos);
}

void ReportError(int code, const char* detail, bool ownerless) {
    FakeHeadlessWindow owner;
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    ErrorReporter::Instance().SetDetail(detail);
    ErrorReporter::Instance().Report(ownerless ? nullptr : &owner, code, 1);
}

TEST(ErrorReporterDeathTest, ErrorExitsWithCodeThreeAfterPrinting) {
    EXPECT_EXIT(ReportError(6, "demo.mp3", false), testing::ExitedWithCode(3),
                "Orrery3D Error\nCould not play MP3\ndemo.mp3\n\nOrrery3D engine");
}

TEST(ErrorReporterDeathTest, ErrorWithoutAnyDisplayStillExits) {
    EXPECT_EXIT(ReportError(1, "", true), testing::ExitedWithCode(3), "Could not initialize Direct3D\\.");
}

TEST(ErrorReporterDeathTest, UnknownCodeAsErrorShowsTheGenericText) {
    EXPECT_EXIT(ReportError(42, "ignored.x", false), testing::ExitedWithCode(3),
                "Orrery3D Error\nGeneric engine error\\. Enable\ndebug output for detailed information\\.\n\n");
}

}  // namespace

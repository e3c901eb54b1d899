#include "app/error_reporter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "fake_window.h"
#include "tests/render/fresh_process.h"

namespace {

const std::string kBanner = "\n\nOrrery3D engine 1.0 - Project Kaede\nKestrel Loom\n";

std::string Compose(MessageCode code, const char* detail) {
    char out[1024];
    ErrorReporter::ComposeMessage(code, detail, out, sizeof out);
    return out;
}

// A number as a caller outside the named list might pass it.
MessageCode Numbered(int number) { return static_cast<MessageCode>(number); }

// The numbers are what a report is known by, so each name keeps its number and its exact text.
TEST(ErrorReporterMessages, EveryCodeKeepsItsNumberAndItsExactText) {
    using M = MessageCode;
    struct Case {
        MessageCode code;
        int number;
        const char* detail;
        std::string text;
    };
    const char* name = "trains_anim.x";
    const Case cases[] = {
        {M::kDirect3DInit, 1, name,
         "Could not initialize Direct3D.\nMake sure you have the latest\nversion of Direct X installed.\n"},
        {M::kMeshLoad, 2, name, "Could not load meshes: trains_anim.x"},
        {M::kSoftwareRendering, 3, name, "Direct X init failure\nSwitching to software rendering (slow)\n"},
        {M::kFontInit, 4, name, "Could not init font.\n"},
        {M::kMusicInit, 5, name, "Could not initialize MP3 Player\n"},
        {M::kMusicPlay, 6, "demo.mp3", "Could not play MP3\ndemo.mp3"},
        {M::kBitmapLoad, 7, name, "Could not load bitmap: trains_anim.x"},
        {M::kOutOfMemory, 100, name, "The show stopped: out of memory.\n"},
        {M::kGenericError, 0, name, "Generic engine error. Enable\ndebug output for detailed information.\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(static_cast<int>(c.code), c.number);
        EXPECT_EQ(Compose(Numbered(c.number), c.detail), c.text + kBanner) << c.number;
    }
    const std::string generic = "Generic engine error. Enable\ndebug output for detailed information.\n" + kBanner;
    for (int number : {8, -1, 99, 101, 1000}) EXPECT_EQ(Compose(Numbered(number), name), generic) << number;
}

TEST(ErrorReporterMessages, ComposeCutsToTheBufferAndHandlesNoDetail) {
    char small[12];
    ErrorReporter::ComposeMessage(MessageCode::kMusicPlay, "demo.mp3", small, sizeof small);
    EXPECT_STREQ(small, "Could not p");
    EXPECT_EQ(Compose(MessageCode::kBitmapLoad, nullptr), "Could not load bitmap: " + kBanner);
    ErrorReporter::ComposeMessage(MessageCode::kDirect3DInit, "x", nullptr, 10);  // no buffer: nothing written, no crash
    char none[1] = {'z'};
    ErrorReporter::ComposeMessage(MessageCode::kDirect3DInit, "x", none, 0);
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
    reporter.Report(&owner, MessageCode::kSoftwareRendering, Severity::kWarning);
    reporter.Report(&owner, MessageCode::kBitmapLoad, static_cast<Severity>(0));  // any severity but 1 is a warning
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
    reporter.Report(&owner, MessageCode::kMeshLoad, Severity::kWarning);
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string expected =
        "Could not load meshes: " + std::string(ErrorReporter::kDetailCapacity - 1, 'q') + kBanner;
    EXPECT_NE(err.find(expected), std::string::npos);
}

void ReportError(MessageCode code, const char* detail, bool ownerless) {
    FakeHeadlessWindow owner;
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    ErrorReporter::Instance().SetDetail(detail);
    ErrorReporter::Instance().Report(ownerless ? nullptr : &owner, code, Severity::kError);
}

TEST(ErrorReporterDeathTest, ErrorExitsWithCodeThreeAfterPrinting) {
    EXPECT_EXIT(ReportError(MessageCode::kMusicPlay, "demo.mp3", false), testing::ExitedWithCode(3),
                "Orrery3D Error\nCould not play MP3\ndemo.mp3\n\nOrrery3D engine");
}

TEST(ErrorReporterDeathTest, ErrorWithoutAnyDisplayStillExits) {
    EXPECT_EXIT(ReportError(MessageCode::kDirect3DInit, "", true), testing::ExitedWithCode(3), "Could not initialize Direct3D\\.");
}

TEST(ErrorReporterDeathTest, UnknownCodeAsErrorShowsTheGenericText) {
    EXPECT_EXIT(ReportError(Numbered(42), "ignored.x", false), testing::ExitedWithCode(3),
                "Orrery3D Error\nGeneric engine error\\. Enable\ndebug output for detailed information\\.\n\n");
}

}  // namespace

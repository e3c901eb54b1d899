// The contact sheet of orrery3d-capture: its shot table against the show's timeline, the layout
// of thumbnails and labels, the label font, and the session that fills and writes it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/app/png_image.h"
#include "tools/capture/capture_session.h"
#include "tools/capture/contact_sheet.h"
#include "tools/capture/options.h"
#include "tools/common/bitmap_font.h"

namespace {

namespace fs = std::filesystem;
using capture::ContactSheet;

// Pixels of the colour inside a rectangle of the sheet.
int CountColour(const ContactSheet& sheet, const capture::CellRect& r, std::uint32_t colour) {
    int n = 0;
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x) n += sheet.At(x, y) == colour;
    return n;
}

TEST(ShotTable, EveryShotFallsInsideItsScenesWindowInTimeOrder) {
    const auto shots = capture::ShowShots();
    ASSERT_GE(shots.size(), 40u);
    for (std::size_t i = 0; i < shots.size(); ++i) {
        const capture::Shot& shot = shots[i];
        EXPECT_TRUE(ScenesAt(shot.time).Contains(shot.scene))
            << shot.name << " at " << shot.time << " is outside the " << SceneName(shot.scene) << " window";
        EXPECT_LT(shot.time, kShowLength) << shot.name;
        if (i > 0) {
            EXPECT_LT(shots[i - 1].time, shot.time) << shot.name;
        }
        EXPECT_LE(capture::ShotLabel(shot).size() * tools::kGlyphAdvance, std::size_t(ContactSheet::kThumbWidth))
            << "label too long for its thumbnail: " << capture::ShotLabel(shot);
    }
    // Every scene has at least one thumbnail.
    for (ShowScene scene : {ShowScene::Intro, ShowScene::Main, ShowScene::Tunnel, ShowScene::Hand,
                            ShowScene::OrganicTunnel, ShowScene::Credits})
        EXPECT_TRUE(std::any_of(shots.begin(), shots.end(), [&](const capture::Shot& s) { return s.scene == scene; }))
            << SceneName(scene);
    EXPECT_EQ(capture::ShotLabel(capture::Shot{98.25f, "tunnel flash", ShowScene::Tunnel}), "98.25s tunnel flash");
}

TEST(BitmapFont, DrawsGlyphsClippedAndMeasuresText) {
    EXPECT_EQ(tools::TextWidth(""), 0);
    EXPECT_EQ(tools::TextWidth("AB"), 11);
    EXPECT_EQ(tools::TextWidth("AB", 2), 22);
    // Lower case is drawn as upper case; unknown characters as '?'.
    EXPECT_EQ(tools::GlyphRows('a'), tools::GlyphRows('A'));
    EXPECT_EQ(tools::GlyphRows('~'), tools::GlyphRows('?'));
    EXPECT_NE(tools::GlyphRows('0'), tools::GlyphRows('8'));

    std::vector<std::uint32_t> px(12 * 9, 0);
    const tools::PixelTarget target{px.data(), 12, 9, 12};
    EXPECT_EQ(tools::DrawText(target, 1, 1, "1", 0xFFFFFFFF), 5);
    // '1': a foot of three pixels on the last row, a stem in the middle column.
    for (int x = 1; x < 6; ++x) EXPECT_EQ(px[7 * 12 + x] != 0, x >= 2 && x <= 4) << x;
    for (int y = 2; y < 7; ++y) EXPECT_EQ(px[y * 12 + 3], 0xFFFFFFFFu) << y;
    EXPECT_EQ(px[0], 0u);
    // Text running off every edge writes only inside the target.
    std::vector<std::uint32_t> guarded(12 * 11, 0x11111111u);
    const tools::PixelTarget inner{guarded.data() + 12, 12, 9, 12};  // rows 1..9 of 11
    tools::DrawText(inner, -3, -4, "W8W8", 0xFFFFFFFF, 2);
    tools::DrawText(inner, 8, 6, "W8", 0xFFFFFFFF, 2);
    for (int x = 0; x < 12; ++x) {
        EXPECT_EQ(guarded[x], 0x11111111u);
        EXPECT_EQ(guarded[10 * 12 + x], 0x11111111u);
    }
    EXPECT_GT(std::count(guarded.begin(), guarded.end(), 0xFFFFFFFFu), 10);
}

TEST(ContactSheetLayout, ThumbnailsInRowsWithLabelsBelowInsideTheSheet) {
    const auto all = capture::ShowShots();
    const ContactSheet sheet(std::vector<capture::Shot>(all.begin(), all.end()), 640, 480);
    EXPECT_EQ(sheet.ThumbHeight(), 120);
    const int columns = ContactSheet::kColumns;
    const int rows = static_cast<int>((all.size() + columns - 1) / columns);
    EXPECT_EQ(sheet.Width(), ContactSheet::kPadding + columns * (ContactSheet::kThumbWidth + ContactSheet::kPadding));
    EXPECT_EQ(sheet.Height(), ContactSheet::kPadding + rows * (120 + ContactSheet::kLabelHeight + ContactSheet::kPadding));
    for (std::size_t i = 0; i < sheet.Count(); ++i) {
        const auto t = sheet.Thumb(i);
        const auto l = sheet.Label(i);
        EXPECT_EQ(t.x, ContactSheet::kPadding + static_cast<int>(i % columns) * (160 + ContactSheet::kPadding)) << i;
        EXPECT_EQ(l.x, t.x);
        EXPECT_EQ(l.y, t.y + t.height);
        EXPECT_LE(l.y + l.height, sheet.Height());
        EXPECT_LE(t.x + t.width, sheet.Width());
        // No overlap with the next cell in the row or the one below.
        if (i + 1 < sheet.Count() && (i + 1) % columns != 0) {
            EXPECT_GT(sheet.Thumb(i + 1).x, t.x + t.width);
        }
        if (i + columns < sheet.Count()) {
            EXPECT_GT(sheet.Thumb(i + columns).y, l.y + l.height);
        }
        // Unfilled: the whole thumbnail in the missing colour, the label drawn in white.
        EXPECT_FALSE(sheet.Filled(i));
        EXPECT_EQ(CountColour(sheet, t, ContactSheet::kMissing), t.width * t.height) << i;
        EXPECT_GT(CountColour(sheet, l, ContactSheet::kLabelColour), 20) << capture::ShotLabel(sheet.ShotAt(i));
    }
    // Odd frame shapes keep their aspect.
    EXPECT_EQ(ContactSheet({all[0]}, 320, 240).ThumbHeight(), 120);
    EXPECT_EQ(ContactSheet({all[0]}, 800, 200).ThumbHeight(), 40);
    EXPECT_EQ(ContactSheet({all[0]}, 800, 200).Width(), 160 + 2 * ContactSheet::kPadding);
}

TEST(ContactSheetLayout, PlaceAveragesTheFrameIntoOnlyItsThumbnail) {
    const auto all = capture::ShowShots();
    ContactSheet sheet({all[0], all[1], all[2]}, 320, 240);
    // Left half red, right half blue; the top band black.
    std::vector<std::uint32_t> frame(320 * 240);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) frame[y * 320 + x] = y < 50 ? 0xFF000000u : x < 160 ? 0xFFFF0000u : 0xFF0000FFu;
    sheet.Place(1, frame.data(), 320, 240);
    EXPECT_TRUE(sheet.Filled(1));
    EXPECT_FALSE(sheet.Filled(0));
    const auto t = sheet.Thumb(1);
    EXPECT_EQ(sheet.At(t.x + 10, t.y + 60), 0xFFFF0000u);
    EXPECT_EQ(sheet.At(t.x + 150, t.y + 60), 0xFF0000FFu);
    EXPECT_EQ(sheet.At(t.x + 150, t.y + 10), 0xFF000000u);
    // Halving: thumbnail row 24 averages source rows 48-49 (band), row 25 rows 50-51.
    EXPECT_EQ(sheet.At(t.x + 10, t.y + 24), 0xFF000000u);
    EXPECT_EQ(sheet.At(t.x + 10, t.y + 25), 0xFFFF0000u);
    std::vector<std::uint32_t> checker(320 * 240);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) checker[y * 320 + x] = (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u;
    sheet.Place(2, checker.data(), 320, 240);
    EXPECT_EQ(sheet.At(sheet.Thumb(2).x + 40, sheet.Thumb(2).y + 40), 0xFF808080u);
    // Neighbours untouched; bad input ignored.
    EXPECT_EQ(CountColour(sheet, sheet.Thumb(0), ContactSheet::kMissing), 160 * 120);
    sheet.Place(7, frame.data(), 320, 240);
    sheet.Place(0, nullptr, 320, 240);
    sheet.Place(0, frame.data(), 0, 240);
    EXPECT_FALSE(sheet.Filled(0));
    // A frame smaller than the thumbnail is enlarged.
    const std::vector<std::uint32_t> tiny = {0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u};
    sheet.Place(0, tiny.data(), 2, 2);
    EXPECT_EQ(CountColour(sheet, sheet.Thumb(0), 0xFF00FF00u), 160 * 120);
}

class ContactSheetSession : public ::testing::Test {
protected:
    void SetUp() override {
        dir = (fs::temp_directory_path() / ("sheet-" + std::to_string(::getpid()))).string();
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    // Read-backs give 32 x 24 frames whose grey level is the read's number.
    capture::CaptureSession::ReadBack Frames() {
        return [this](std::vector<std::uint32_t>& px, int& w, int& h) {
            w = 32;
            h = 24;
            ++reads;
            px.assign(32 * 24, 0xFF000000u | static_cast<std::uint32_t>(reads * 0x010101));
            return true;
        };
    }
    std::string dir;
    int reads = 0;
};

TEST_F(ContactSheetSession, FillsEachShotFromTheFirstFrameReachingItAndWritesThePng) {
    capture::Options options;
    options.width = 32;
    options.height = 24;
    options.fps = 2;
    options.outDir = dir;
    options.contactSheet = dir + "/sheet.png";
    options.at = {100.0};
    VirtualClock clock;
    capture::CaptureSession session(options, clock, Frames(), nullptr);
    ASSERT_NE(session.Sheet(), nullptr);
    const auto shots = capture::ShowShots();
    bool stopped = false;
    float t = 0.0f;
    for (; t <= kShowLength && !stopped; t += 0.5f) stopped = session.OnPresent({false, t, ScenesAt(t), {}});
    EXPECT_TRUE(stopped);
    // The run stops at the first frame at or past the last shot.
    EXPECT_FLOAT_EQ(session.LastShowTime(), shots.back().time);
    EXPECT_TRUE(session.Complete()) << session.Missing();
    const ContactSheet& sheet = *session.Sheet();
    for (std::size_t i = 0; i < sheet.Count(); ++i) EXPECT_TRUE(sheet.Filled(i)) << i;
    // One read-back per shot (no two share a frame at 2 fps) and one for the --at frame; 0.25
    // and 1.5 come from the frames at 0.5 and 1.5.
    EXPECT_EQ(reads, static_cast<int>(sheet.Count()) + 1);
    const auto grey = [&](std::size_t i) { return sheet.At(sheet.Thumb(i).x + 5, sheet.Thumb(i).y + 5) & 0xFF; };
    EXPECT_EQ(grey(0), 1u);
    EXPECT_EQ(grey(1), 2u);
    EXPECT_LT(grey(sheet.Count() - 2), grey(sheet.Count() - 1));
    EXPECT_TRUE(fs::exists(dir + "/" + capture::CaptureSession::FrameName(100.0f)));

    ASSERT_TRUE(session.WriteContactSheet()) << session.Error();
    PngImage png;
    ASSERT_TRUE(ReadPng(options.contactSheet, png));
    EXPECT_EQ(png.width, sheet.Width());
    EXPECT_EQ(png.height, sheet.Height());
    const auto label = sheet.Label(0);
    int white = 0;
    for (int y = label.y; y < label.y + label.height; ++y)
        for (int x = label.x; x < label.x + label.width; ++x) white += png.At(x, y)[0] == 255 && png.At(x, y)[2] == 255;
    EXPECT_GT(white, 20);
}

TEST_F(ContactSheetSession, AShortRunNamesTheMissingShotsAndAnUnwritableFileIsAnError) {
    capture::Options options;
    options.fps = 1;
    options.contactSheet = dir + "/no/such/dir/sheet.png";
    VirtualClock clock;
    capture::CaptureSession session(options, clock, Frames(), nullptr);
    for (float t = 0.0f; t <= 20.0f; t += 1.0f) EXPECT_FALSE(session.OnPresent({false, t, ScenesAt(t), {}}));
    EXPECT_FALSE(session.Complete());
    EXPECT_NE(session.Missing().find("the shot at 256.5 s"), std::string::npos) << session.Missing();
    EXPECT_EQ(session.Missing().find("the shot at 18.25 s"), std::string::npos) << session.Missing();
    EXPECT_FALSE(session.WriteContactSheet());
    EXPECT_NE(session.Error().find("sheet.png"), std::string::npos) << session.Error();
}

TEST(ContactSheetOptions, ParsedCombinedWithFramesAndRefusedWhenItCannotFinish) {
    const auto parse = [](std::vector<const char*> args, capture::Options& options, std::string& error) {
        args.insert(args.begin(), "orrery3d-capture");
        return capture::ParseOptions(static_cast<int>(args.size()), args.data(), options, error);
    };
    capture::Options options;
    std::string error;
    ASSERT_TRUE(parse({"--contact-sheet", "s.png"}, options, error)) << error;
    EXPECT_EQ(options.contactSheet, "s.png");
    EXPECT_EQ(options.width, 640);
    EXPECT_EQ(options.fps, 60);
    capture::Options both;
    ASSERT_TRUE(parse({"--contact-sheet", "s.png", "--at", "3", "--out", "f", "--fps", "10", "--size", "320x240"},
                      both, error))
        << error;
    EXPECT_TRUE(both.SavesFrames());
    EXPECT_TRUE(both.SavesContactSheet());
    capture::Options bad;
    EXPECT_FALSE(parse({"--contact-sheet"}, bad, error));
    EXPECT_FALSE(parse({"--contact-sheet", ""}, bad, error));
    capture::Options early;
    EXPECT_FALSE(parse({"--contact-sheet", "s.png", "--to", "100"}, early, error));
    EXPECT_NE(error.find("contact sheet"), std::string::npos) << error;
    EXPECT_NE(std::string(capture::UsageText()).find("--contact-sheet FILE"), std::string::npos);
}

}  // namespace

// The show's frames as orrery3d-capture saved them (320 x 240, letterbox rows 50 to 189): what
// each moment of the timeline shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "png_image.h"

namespace {

namespace fs = std::filesystem;
constexpr int kBand = 50;

// The first frame the capture saved at or after show time t (files are named by show time with
// three decimals; the virtual clock may land a hair either side of a requested time).
PngImage Frame(double t) {
    std::string best;
    double bestTime = 1e9;
    for (const auto& entry : fs::directory_iterator(SHOW_FRAMES_DIR)) {
        const std::string name = entry.path().filename().string();
        double time = 0.0;
        if (std::sscanf(name.c_str(), "t%lf.png", &time) != 1) continue;
        if (time >= t - 0.0015 && time < bestTime) {
            bestTime = time;
            best = entry.path().string();
        }
    }
    PngImage image;
    EXPECT_TRUE(bestTime - t < 0.2 && ReadPng(best, image)) << "no frame saved at " << t;
    if (image.rgba.empty()) {
        image.width = 320;
        image.height = 240;
        image.rgba.assign(320 * 240 * 4, 0);
    }
    return image;
}

int Luma(const std::uint8_t* p) { return (p[0] * 3 + p[1] * 6 + p[2]) / 10; }

struct Stats {
    double mean[3] = {0, 0, 0};
    int minLuma = 255, maxLuma = 0;
    int bright = 0;      // pixels brighter than 150
    int topBright = -1;  // the highest row holding one, -1 when none
};

Stats Letterbox(const PngImage& image) {
    Stats s;
    long sum[3] = {0, 0, 0};
    for (int y = kBand; y < image.height - kBand; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = image.At(x, y);
            for (int c = 0; c < 3; ++c) sum[c] += p[c];
            const int l = Luma(p);
            s.minLuma = std::min(s.minLuma, l);
            s.maxLuma = std::max(s.maxLuma, l);
            if (l > 150) {
                ++s.bright;
                if (s.topBright < 0) s.topBright = y;
            }
        }
    }
    const double n = double(image.width) * (image.height - 2 * kBand);
    for (int c = 0; c < 3; ++c) s.mean[c] = sum[c] / n;
    return s;
}

double MeanLuma(const Stats& s) { return (s.mean[0] * 3 + s.mean[1] * 6 + s.mean[2]) / 10; }

TEST(ShowFrames, LetterboxBandsStayBlackInEveryFrame) {
    int frames = 0;
    for (const auto& entry : fs::directory_iterator(SHOW_FRAMES_DIR)) {
        PngImage image;
        ASSERT_TRUE(ReadPng(entry.path().string(), image)) << entry.path();
        ++frames;
        int lit = 0;
        for (int y = 0; y < image.height; ++y) {
            if (y >= kBand && y < image.height - kBand) continue;
            for (int x = 0; x < image.width; ++x) lit += Luma(image.At(x, y)) != 0;
        }
        EXPECT_EQ(lit, 0) << entry.path().filename();
    }
    EXPECT_GE(frames, 25);
    PngImage sheet;
    ASSERT_TRUE(ReadPng(CONTACT_SHEET, sheet));
    EXPECT_GT(sheet.width, 900);
    EXPECT_GT(sheet.height, 900);
}

TEST(ShowFrames, IntroCaptionFlashAndTitle) {
    // After the fountains have stopped only the presents caption stands out of the rising flash.
    const Stats late = Letterbox(Frame(11.0));
    EXPECT_GT(late.maxLuma, late.minLuma + 30);
    const Stats white = Letterbox(Frame(12.0));
    EXPECT_GE(white.minLuma, 250);
    for (double t : {15.0, 20.0}) {
        const Stats title = Letterbox(Frame(t));
        EXPECT_LT(title.minLuma, 200) << t;
        EXPECT_GT(title.mean[0], title.mean[1] + 5) << "the red leaf of the title at " << t;
    }
}

TEST(ShowFrames, MainSceneFlashAndBlacks) {
    EXPECT_GE(Letterbox(Frame(40.0)).minLuma, 250);
    for (double t : {55.0, 81.99}) EXPECT_LE(Letterbox(Frame(t)).maxLuma, 8) << t;
    const Stats red = Letterbox(Frame(193.0));
    EXPECT_GE(red.mean[0], 250);
    EXPECT_LE(red.mean[1], 8);
    EXPECT_LE(red.mean[2], 8);
}

TEST(ShowFrames, TunnelFlashPeaksAndTheFadeDarkens) {
    const double before = MeanLuma(Letterbox(Frame(97.9)));
    const double peak = MeanLuma(Letterbox(Frame(98.5)));
    const double after = MeanLuma(Letterbox(Frame(99.1)));
    EXPECT_GT(peak, before + 40);
    EXPECT_GT(peak, after + 40);
    const double lit = MeanLuma(Letterbox(Frame(108.0)));
    const double faded = MeanLuma(Letterbox(Frame(113.0)));
    ASSERT_GT(lit, 10);
    EXPECT_GT(faded, 0.08 * lit);
    EXPECT_LT(faded, 0.4 * lit);
}

TEST(ShowFrames, HandEndsBlackAndTheOrganicTunnelIsFoggedRed) {
    EXPECT_LE(Letterbox(Frame(140.0)).maxLuma, 8);
    const Stats organic = Letterbox(Frame(150.0));
    EXPECT_GT(organic.mean[0], 25);
    EXPECT_GT(organic.mean[0], 2 * organic.mean[1]);
    EXPECT_GT(organic.mean[0], 2 * organic.mean[2]);
}

TEST(ShowFrames, CreditsScrollUpAndAreGoneAtTheEnd) {
    const Stats early = Letterbox(Frame(228.0));
    const Stats later = Letterbox(Frame(232.0));
    ASSERT_GT(early.bright, 20);
    ASSERT_GT(later.bright, 20);
    EXPECT_LT(later.topBright, early.topBright - 10);
    EXPECT_EQ(Letterbox(Frame(257.5)).bright, 0);
}

bool SamePixels(const PngImage& a, const PngImage& b) { return a.width == b.width && a.rgba == b.rgba; }

// In a gap between windows nothing is drawn and the last picture stays. The gaps after 82 and
// 126 s follow fades to black, where a gap cleared to black would look the same; the one after
// 113 s follows the tunnel, whose last picture is not black.
TEST(ShowFrames, GapsPresentThePreviousPictureAgain) {
    const PngImage before = Frame(113.0);
    const Stats lit = Letterbox(before);
    ASSERT_GT(MeanLuma(lit), 5.0) << "the tunnel's last picture is not black";
    ASSERT_GT(lit.maxLuma, lit.minLuma + 20) << "nor one flat colour";
    for (double t : {113.25, 113.5, 113.75}) EXPECT_TRUE(SamePixels(Frame(t), before)) << t;
}

}  // namespace

// The drawing blocks behind the pictures: planes, blur and dilation, text and the maple leaf.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "tools/assets/images/canvas.h"
#include "tools/assets/images/text_draw.h"
#include "tools/assets/images/title_picture.h"

namespace {

using assets::images::Canvas;
using assets::images::Plane;

float Sum(const Plane& plane) { return std::accumulate(plane.values.begin(), plane.values.end(), 0.0f); }

TEST(ImageDrawing, BlurKeepsTheTotalAndSpreadsAnImpulseEvenly) {
    Plane impulse(41, 41);
    impulse.At(20, 20) = 1.0f;
    const Plane blurred = assets::images::Blur(impulse, 3.0f);
    EXPECT_NEAR(Sum(blurred), 1.0f, 1e-4f);
    EXPECT_LT(blurred.At(20, 20), 0.05f);
    EXPECT_FLOAT_EQ(blurred.At(17, 20), blurred.At(23, 20));
    EXPECT_FLOAT_EQ(blurred.At(20, 17), blurred.At(17, 20));
    EXPECT_GT(blurred.At(20, 20), blurred.At(24, 20));
    EXPECT_EQ(blurred.At(0, 0), 0.0f);
}

TEST(ImageDrawing, DilationGrowsADotIntoADiscOfTheRadius) {
    Plane dot(21, 21);
    dot.At(10, 10) = 0.8f;
    const Plane grown = assets::images::Dilate(dot, 3);
    EXPECT_EQ(grown.At(13, 10), 0.8f);
    EXPECT_EQ(grown.At(10, 7), 0.8f);
    EXPECT_EQ(grown.At(14, 10), 0.0f);
    EXPECT_EQ(grown.At(13, 13), 0.0f);  // outside the disc, inside its square
}

TEST(ImageDrawing, FadeBorderBlacksOutTheEdgeAndKeepsTheMiddle) {
    Canvas canvas(32, 16, {1.0f, 1.0f, 1.0f}, 1.0f);
    assets::images::FadeBorder(canvas, 4);
    for (int x = 0; x < 32; ++x) {
        EXPECT_EQ(canvas.At(x, 0).r, 0.0f);
        EXPECT_EQ(canvas.alpha.At(x, 15), 0.0f);
    }
    EXPECT_EQ(canvas.At(0, 8).g, 0.0f);
    EXPECT_FLOAT_EQ(canvas.At(16, 8).b, 1.0f);
    EXPECT_FLOAT_EQ(canvas.alpha.At(16, 8), 1.0f);
    const assets::Image image = assets::images::ToImage(canvas);
    EXPECT_EQ(image.At(16, 8), 0xFFFFFFFFu);
    EXPECT_EQ(image.At(0, 0), 0u);
}

TEST(ImageDrawing, TextLandsOnItsBaselineWithinItsMeasuredWidth) {
    auto writer = assets::images::TextWriter::Open({"Liberation Sans", 40, 700, 0.0f, 0.0f});
    ASSERT_NE(writer, nullptr);
    const float width = writer->Width(U"HH");
    EXPECT_GT(width, 40.0f);
    Plane mask(200, 80);
    ASSERT_TRUE(writer->Draw(mask, U"HH", 20.0f, 60.0f));
    int left = 200, right = -1, top = 80, bottom = -1;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (mask.At(x, y) < 0.5f) continue;
            left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    EXPECT_NEAR(bottom, 59, 1);        // "H" sits on the baseline
    EXPECT_NEAR(60 - top, 29, 3);      // cap height of a 40 px face
    EXPECT_GE(left, 20);
    EXPECT_LE(right, 20 + int(width) + 1);
    EXPECT_GT(right - left, int(width) - 12);
}

TEST(ImageDrawing, ShearLeansTheTopOfTheTextRight) {
    auto upright = assets::images::TextWriter::Open({"Liberation Sans", 40, 700, 0.0f, 0.0f});
    auto leaning = assets::images::TextWriter::Open({"Liberation Sans", 40, 700, 0.0f, 0.25f});
    ASSERT_TRUE(upright && leaning);
    Plane a(120, 80), b(120, 80);
    ASSERT_TRUE(upright->Draw(a, U"I", 20.0f, 60.0f));
    ASSERT_TRUE(leaning->Draw(b, U"I", 20.0f, 60.0f));
    auto firstInk = [](const Plane& p, int y) {
        for (int x = 0; x < p.width; ++x) {
            if (p.At(x, y) > 0.5f) return x;
        }
        return -1;
    };
    EXPECT_NEAR(firstInk(b, 58), firstInk(a, 58), 1);
    EXPECT_NEAR(firstInk(b, 34) - firstInk(a, 34), 0.25f * 26.0f, 1.5f);
}

TEST(ImageDrawing, MapleLeafHasPointedLobesDeepCutsAndAStem) {
    Plane leaf(200, 200), veins(200, 200);
    assets::images::DrawMapleLeaf(leaf, veins, 100.0f, 100.0f, 80.0f, 0.0f);
    EXPECT_EQ(leaf.At(100, 100), 1.0f);
    EXPECT_EQ(leaf.At(100, 27), 1.0f);    // the top lobe reaches almost to the radius
    EXPECT_EQ(leaf.At(100, 15), 0.0f);    // and no further
    // Between the top lobe and its neighbour the cut goes down to about a third of the radius.
    const float cut = 0.39f;
    const int cx = int(100 + std::sin(cut) * 45.0f), cy = int(100 - std::cos(cut) * 45.0f);
    EXPECT_EQ(leaf.At(cx, cy), 0.0f);
    float stem = 0.0f;                    // the stem below the centre, curving a little
    for (int x = 97; x <= 105; ++x) stem = std::max(stem, leaf.At(x, 140));
    EXPECT_EQ(stem, 1.0f);
    EXPECT_EQ(leaf.At(110, 140), 0.0f);
    // Mirror symmetric about the axis above the curving stem, with veins only inside the leaf.
    for (int y = 0; y < 100; y += 7) {
        for (int x = 0; x < 100; x += 5) EXPECT_NEAR(leaf.At(x, y), leaf.At(199 - x, y), 0.02f);
    }
    for (std::size_t i = 0; i < veins.values.size(); ++i) EXPECT_LE(veins.values[i], leaf.values[i] + 1e-6f);
    EXPECT_GT(Sum(veins), 100.0f);
}

}  // namespace

#include "tools/assets/images/title_picture.h"

#include <algorithm>
#include <cmath>

#include "tools/assets/core/noise.h"
#include "tools/assets/images/text_draw.h"

namespace assets::images {
namespace {

struct Lobe {
    float angle;   // from the leaf's axis, radians
    float length;  // tip distance, in leaf radii
};
constexpr Lobe kLobes[7] = {{0.0f, 1.0f},           {0.78f, 0.93f},  {-0.78f, 0.93f}, {1.52f, 0.76f},
                            {-1.52f, 0.76f},        {2.25f, 0.5f},   {-2.25f, 0.5f}};
constexpr float kSinus = 0.3f;  // depth of the cuts between lobes

// Leaf outline radius (in leaf radii) in the direction `theta` from the axis.
float LeafRadius(float theta) {
    float best = kSinus;
    for (const Lobe& lobe : kLobes) {
        float d = std::abs(theta - lobe.angle);
        const float half = 0.39f;
        if (d >= half) continue;
        const float u = d / half;
        // Slender pointed lobes with fine teeth along their sides.
        float r = kSinus + (lobe.length - kSinus) * std::pow(1.0f - u, 1.45f);
        const float teeth = std::abs(std::fmod(u * 7.0f, 1.0f) - 0.5f);
        r *= 1.0f - 0.05f * teeth * u;
        best = std::max(best, r);
    }
    return best;
}

float SegmentDistance(float px, float py, float ax, float ay, float bx, float by) {
    const float dx = bx - ax, dy = by - ay;
    const float t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return std::hypot(px - ax - dx * t, py - ay - dy * t);
}

}  // namespace

void DrawMapleLeaf(Plane& leaf, Plane& veins, float cx, float cy, float radius, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    const float aa = 1.2f / radius;
    for (int y = 0; y < leaf.height; ++y) {
        for (int x = 0; x < leaf.width; ++x) {
            // Leaf coordinates: +v along the axis toward the top tip (screen up).
            const float dx = (float(x) + 0.5f - cx) / radius, dy = (cy - float(y) - 0.5f) / radius;
            const float u = dx * c + dy * s, v = -dx * s + dy * c;
            const float r = std::hypot(u, v);
            const float theta = std::atan2(u, v);
            float cover = 1.0f - SmoothStep(-aa, aa, r - LeafRadius(theta));
            // The stem, curving a little as it leaves the base.
            const float stem = std::abs(u - 0.1f * v * v);
            if (v < 0.0f && v > -0.62f) cover = std::max(cover, 1.0f - SmoothStep(0.018f, 0.018f + aa, stem));
            leaf.At(x, y) = std::max(leaf.At(x, y), cover);
            float vein = 0.0f;
            for (const Lobe& lobe : kLobes) {
                const float tx = std::sin(lobe.angle) * lobe.length * 0.9f, ty = std::cos(lobe.angle) * lobe.length * 0.9f;
                const float d = SegmentDistance(u, v, 0.0f, 0.0f, tx, ty);
                const float along = std::clamp(r / (lobe.length * 0.9f), 0.0f, 1.0f);
                vein = std::max(vein, 1.0f - SmoothStep(0.004f, 0.004f + 0.012f * (1.0f - along) + aa, d));
            }
            veins.At(x, y) = std::max(veins.At(x, y), vein * cover);
        }
    }
}

std::optional<Image> MakeTitlePicture(int width, int height) {
    const float w = float(width), h = float(height);
    Canvas canvas(width, height);
    // Night sky: deep blue at the top, lighter toward a hazy horizon, with a few stars.
    for (int y = 0; y < height; ++y) {
        const float t = float(y) / h;
        const Rgb sky = Mix(Rgb{0.02f, 0.03f, 0.09f}, Rgb{0.1f, 0.13f, 0.28f}, std::pow(t, 1.6f));
        for (int x = 0; x < width; ++x) {
            Rgb c = sky;
            const float star = Hash2(x, y, 0x57A2u);
            if (star > 0.9985f && t < 0.7f) c = c + Rgb{0.7f, 0.75f, 0.9f} * ((star - 0.9985f) / 0.0015f);
            canvas.At(x, y) = c;
        }
    }
    // Skyline along the bottom: towers of random width and height with lit windows.
    Random random(0x7171E);
    Plane towers(width, height);
    Plane windows(width, height);
    for (float left = -10.0f; left < w;) {
        const float tw = random.Range(0.035f, 0.08f) * w;
        const float top = h * (1.0f - random.Range(0.07f, 0.19f));
        const std::uint32_t seed = random.Next();
        for (int y = std::max(0, int(top)); y < height; ++y) {
            for (int x = std::max(0, int(left)); x < std::min(width, int(left + tw)); ++x) {
                towers.At(x, y) = 1.0f;
                const int col = int((float(x) - left) / 7.0f), row = int((float(y) - top) / 9.0f);
                const bool inWindow = std::fmod(float(x) - left, 7.0f) > 3.0f && std::fmod(float(y) - top, 9.0f) > 4.0f &&
                                      float(x) - left > 3.0f && float(x) < left + tw - 3.0f && row > 0;
                if (inWindow && Hash2(col, row, seed) > 0.72f) windows.At(x, y) = 0.4f + 0.6f * Hash2(row, col, seed);
            }
        }
        left += tw + random.Range(0.0f, 0.015f) * w;
    }
    canvas.Paint(towers, Rgb{0.015f, 0.02f, 0.05f});
    canvas.AddLight(windows, Rgb{0.55f, 0.42f, 0.2f});
    canvas.AddLight(Blur(windows, 4.0f), Rgb{0.25f, 0.18f, 0.08f});

    // The maple leaf, glowing red, with a warmer edge and darker veins.
    const float leafX = w * 0.27f, leafY = h * 0.47f, leafR = h * 0.36f;
    Plane leaf(width, height), veins(width, height);
    DrawMapleLeaf(leaf, veins, leafX, leafY, leafR, -0.28f);
    canvas.AddLight(Blur(leaf, h * 0.06f), Rgb{0.55f, 0.08f, 0.06f});
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float cover = leaf.At(x, y);
            if (cover <= 0.0f) continue;
            const float r = std::hypot(float(x) - leafX, float(y) - leafY) / leafR;
            const float mottle = Fbm(float(x) / 40.0f, float(y) / 40.0f, 3, 0x1EAFu);
            Rgb c = Mix(Rgb{0.5f, 0.02f, 0.06f}, Rgb{0.92f, 0.16f, 0.08f}, SmoothStep(0.0f, 0.7f, r));
            c = Mix(c, Rgb{1.0f, 0.5f, 0.12f}, SmoothStep(0.6f, 1.0f, r) * 0.8f);
            c = c * (0.85f + 0.3f * mottle);
            c = Mix(c, Rgb{0.35f, 0.01f, 0.04f}, veins.At(x, y) * 0.8f);
            canvas.At(x, y) = Mix(canvas.At(x, y), c, cover);
        }
    }

    // Typography: a spaced "Project" over a large serif "Kaede", a red rule and the kanji for maple.
    const float textLeft = w * 0.5f;
    auto project = TextWriter::Open({"Liberation Sans", int(h * 0.085f), 400, h * 0.03f, 0.0f});
    auto kaede = TextWriter::Open({"Liberation Serif", int(h * 0.3f), 700, h * 0.004f, 0.0f});
    auto kanji = TextWriter::Open({"Noto Serif CJK JP", int(h * 0.12f), 700, 0.0f, 0.0f});
    if (!project || !kaede || !kanji) return std::nullopt;
    Plane small(width, height), large(width, height), mark(width, height);
    const float kaedeBaseline = h * 0.64f;
    if (!project->Draw(small, U"Project", textLeft + h * 0.01f, h * 0.33f)) return std::nullopt;
    if (!kaede->Draw(large, U"Kaede", textLeft, kaedeBaseline)) return std::nullopt;
    const float ruleY = kaedeBaseline + h * 0.085f;
    const float ruleEnd = textLeft + kaede->Width(U"Kaede");
    for (int y = int(ruleY); y < int(ruleY + h * 0.008f) + 1; ++y) {
        for (int x = int(textLeft); x < int(ruleEnd - h * 0.16f); ++x) {
            mark.At(x, y) = 1.0f - SmoothStep(0.6f, 1.0f, (float(x) - textLeft) / (ruleEnd - h * 0.16f - textLeft));
        }
    }
    if (!kanji->Draw(mark, U"\u6953", ruleEnd - h * 0.11f, ruleY + h * 0.065f)) return std::nullopt;

    canvas.AddLight(Blur(large, h * 0.025f), Rgb{0.45f, 0.08f, 0.06f});
    canvas.Paint(Blur(Dilate(large, 2), 2.0f), Rgb{0.03f, 0.02f, 0.06f}, 0.6f);
    for (int y = 0; y < height; ++y) {
        const float t = std::clamp((kaedeBaseline - float(y)) / (h * 0.22f), 0.0f, 1.0f);
        const Rgb cream = Mix(Rgb{1.0f, 0.82f, 0.72f}, Rgb{1.0f, 0.97f, 0.92f}, t);
        for (int x = 0; x < width; ++x) {
            canvas.At(x, y) = Mix(canvas.At(x, y), cream, large.At(x, y));
            canvas.At(x, y) = Mix(canvas.At(x, y), Rgb{0.78f, 0.84f, 0.95f}, small.At(x, y));
            canvas.At(x, y) = Mix(canvas.At(x, y), Rgb{0.85f, 0.15f, 0.12f}, mark.At(x, y));
        }
    }
    // A light fall of snow in front of everything.
    Plane snow(width, height);
    Random flakes(0x5110F);
    for (int k = 0; k < 220; ++k) {
        const float fx = flakes.Range(0.0f, w), fy = flakes.Range(0.0f, h);
        const float radius = flakes.Range(0.8f, 2.6f), brightness = flakes.Range(0.25f, 0.7f);
        for (int y = std::max(0, int(fy - 6)); y < std::min(height, int(fy + 7)); ++y) {
            for (int x = std::max(0, int(fx - 6)); x < std::min(width, int(fx + 7)); ++x) {
                const float d = std::hypot(float(x) + 0.5f - fx, float(y) + 0.5f - fy);
                snow.At(x, y) = std::max(snow.At(x, y), brightness * (1.0f - SmoothStep(radius * 0.4f, radius, d)));
            }
        }
    }
    canvas.Paint(snow, Rgb{0.9f, 0.93f, 1.0f});
    // Darkened corners.
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float dx = (float(x) / w - 0.5f) * 2.0f, dy = (float(y) / h - 0.5f) * 2.0f;
            canvas.At(x, y) = canvas.At(x, y) * (1.0f - 0.35f * SmoothStep(0.5f, 1.5f, dx * dx + dy * dy));
        }
    }
    return ToImage(canvas);
}

}  // namespace assets::images

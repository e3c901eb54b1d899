#include "tools/assets/tunnels/tunnel_textures.h"

#include <algorithm>
#include <cmath>

#include "tools/assets/core/noise.h"

namespace assets::tunnels {
namespace {

struct Rgb {
    float r, g, b;
};

Rgb Mix(const Rgb& a, const Rgb& b, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb Scale(const Rgb& c, float k) { return {c.r * k, c.g * k, c.b * k}; }
std::uint32_t Pack(const Rgb& c) { return PackArgb(c.r, c.g, c.b, 1.0f); }

float SmoothStep(float a, float b, float x) {
    const float t = std::clamp((x - a) / (b - a), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// Tiling fractal noise over the whole picture: (u, v) in [0, 1), `cells` noise cells across.
float Tiled(float u, float v, int cells, int octaves, std::uint32_t seed) {
    return Fbm(u * float(cells), v * float(cells), octaves, seed, cells);
}

// Thin branching lines where a tiling noise crosses 0.5: veins.
float Veins(float u, float v, int cells, std::uint32_t seed, float width) {
    const float n = Tiled(u, v, cells, 4, seed);
    return 1.0f - SmoothStep(0.0f, width, std::fabs(n - 0.5f));
}

template <class F>
Image Paint(int w, int h, F&& f) {
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.At(x, y) = Pack(f((float(x) + 0.5f) / float(w), (float(y) + 0.5f) / float(h)));
    return img;
}

}  // namespace

Image BrickTexture() {
    constexpr int kCourses = 40, kBricks = 16;
    return Paint(512, 512, [](float u, float v) {
        const float row = v * kCourses;
        const int course = int(row);
        const float shift = (course % 2) ? 0.5f : 0.0f;
        const float col = u * kBricks + shift;
        const int brick = int(std::floor(col));
        const float fx = col - float(brick), fy = row - float(course);
        const int wrapped = ((brick % kBricks) + kBricks) % kBricks;
        const float mortar = std::max(1.0f - SmoothStep(0.0f, 0.07f, std::min(fx, 1.0f - fx)),
                                      1.0f - SmoothStep(0.0f, 0.16f, std::min(fy, 1.0f - fy)));
        const float tone = Hash2(wrapped, course, 11u);
        Rgb brickColour = Mix({0.46f, 0.22f, 0.15f}, {0.62f, 0.34f, 0.22f}, tone);
        if (Hash2(wrapped, course, 12u) > 0.85f) brickColour = Mix(brickColour, {0.30f, 0.24f, 0.22f}, 0.6f);
        const float grain = Tiled(u, v, 64, 3, 13u);
        brickColour = Scale(brickColour, 0.8f + 0.4f * grain);
        Rgb c = Mix(brickColour, Scale(Rgb{0.55f, 0.53f, 0.50f}, 0.7f + 0.5f * grain), mortar);
        // Soot and damp streaks running down the wall.
        const float soot = Tiled(u, v * 0.25f, 8, 4, 14u);
        c = Scale(c, 0.55f + 0.55f * soot);
        const float damp = SmoothStep(0.55f, 0.8f, Tiled(u, 0.5f * v, 8, 3, 15u));
        return Mix(c, Rgb{0.10f, 0.11f, 0.10f}, 0.5f * damp);
    });
}

Image ConcreteTexture() {
    return Paint(256, 256, [](float u, float v) {
        const float n = Tiled(u, v, 16, 5, 21u), fine = Tiled(u, v, 64, 2, 22u);
        Rgb c = Mix({0.38f, 0.38f, 0.36f}, {0.60f, 0.59f, 0.56f}, n);
        c = Scale(c, 0.85f + 0.3f * fine);
        const float stain = SmoothStep(0.6f, 0.85f, Tiled(u, v, 4, 3, 23u));
        return Mix(c, Rgb{0.22f, 0.20f, 0.17f}, 0.55f * stain);
    });
}

Image BallastTexture() {
    constexpr int kCells = 24;
    return Paint(256, 256, [](float u, float v) {
        // Stones: the nearest of jittered cell points, shaded by distance to its edge.
        const float x = u * kCells, y = v * kCells;
        const int cx = int(x), cy = int(y);
        float best = 9.0f, second = 9.0f;
        int bestId = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int gx = cx + dx, gy = cy + dy;
                const int wx = (gx % kCells + kCells) % kCells, wy = (gy % kCells + kCells) % kCells;
                const float px = float(gx) + Hash2(wx, wy, 31u), py = float(gy) + Hash2(wx, wy, 32u);
                const float d = std::hypot(x - px, y - py);
                if (d < best) {
                    second = best;
                    best = d;
                    bestId = wy * kCells + wx;
                } else if (d < second) {
                    second = d;
                }
            }
        const float edge = SmoothStep(0.0f, 0.25f, second - best);
        const float tone = Hash2(bestId, 0, 33u);
        Rgb stone = Mix({0.30f, 0.29f, 0.27f}, {0.58f, 0.55f, 0.50f}, tone);
        stone = Scale(stone, 0.7f + 0.3f * (1.0f - best));
        const float rust = Tiled(u, v, 8, 3, 34u);
        stone = Mix(stone, Rgb{0.33f, 0.20f, 0.12f}, 0.4f * SmoothStep(0.5f, 0.8f, rust));
        return Mix(Rgb{0.06f, 0.06f, 0.05f}, stone, edge);
    });
}

Image SleeperTexture() {
    return Paint(256, 256, [](float u, float v) {
        const float n = Tiled(u, v, 16, 4, 41u);
        Rgb c = Mix({0.36f, 0.35f, 0.33f}, {0.55f, 0.54f, 0.51f}, n);
        const float oil = SmoothStep(0.45f, 0.75f, Tiled(u, v, 4, 3, 42u));
        return Mix(c, Rgb{0.12f, 0.10f, 0.08f}, 0.6f * oil);
    });
}

Image TrainBodyTexture() {
    // v = 0 at the roof ridge, 1 at the skirt; u along one car.
    return Paint(1024, 256, [](float u, float v) {
        const float metal = Tiled(u, v, 32, 3, 51u);
        const Rgb roof = Scale(Rgb{0.42f, 0.43f, 0.45f}, 0.8f + 0.3f * metal);
        const Rgb body = Scale(Rgb{0.78f, 0.80f, 0.82f}, 0.9f + 0.15f * metal);
        const Rgb stripe{0.70f, 0.08f, 0.10f};
        const Rgb skirt{0.12f, 0.12f, 0.13f};
        Rgb c = v < 0.227f ? roof : body;
        // Roof ribs.
        if (v < 0.227f && std::fmod(u * 40.0f, 1.0f) < 0.08f) c = Scale(c, 0.7f);
        if (v > 0.64f && v < 0.71f) c = stripe;
        if (v > 0.93f) c = skirt;
        // Doors: three per side.
        const float doors[] = {0.17f, 0.5f, 0.83f};
        bool inDoor = false;
        for (float d : doors) {
            const float du = std::fabs(u - d);
            if (du < 0.032f && v > 0.25f && v < 0.93f) {
                inDoor = true;
                c = Scale(Rgb{0.62f, 0.64f, 0.67f}, 0.9f + 0.1f * metal);
                if (du < 0.0015f) c = {0.15f, 0.15f, 0.16f};                      // door split
                if (du > 0.029f) c = {0.2f, 0.2f, 0.22f};                          // door frame
                if (du < 0.024f && du > 0.004f && v > 0.29f && v < 0.52f)          // door windows
                    c = Mix(Rgb{0.95f, 0.86f, 0.60f}, Rgb{0.80f, 0.70f, 0.45f}, metal);
            }
        }
        // Lit windows between the doors.
        if (!inDoor && v > 0.27f && v < 0.55f) {
            const float k = u * 10.0f;
            const float f = k - std::floor(k);
            if (f > 0.08f && f < 0.92f) {
                const float glow = 0.85f + 0.15f * Tiled(u, v, 8, 2, 52u);
                c = Scale(Rgb{1.0f, 0.88f, 0.62f}, glow);
                // Passengers and seat backs as darker shapes low in the window.
                if (v > 0.45f && Hash2(int(k), 0, 53u) > 0.4f && std::fabs(f - 0.5f) < 0.18f) c = Scale(c, 0.45f);
            } else {
                c = {0.16f, 0.16f, 0.18f};
            }
        }
        // Car ends darker.
        if (u < 0.008f || u > 0.992f) c = Scale(c, 0.5f);
        return c;
    });
}

Image TrainFrontTexture() {
    // u across the cab (0 = left), v = 0 at the roof, 1 at the skirt.
    return Paint(256, 256, [](float u, float v) {
        const float metal = Tiled(u, v, 16, 3, 61u);
        Rgb c = Scale(Rgb{0.80f, 0.81f, 0.83f}, 0.9f + 0.15f * metal);
        if (v < 0.12f) c = Scale(Rgb{0.42f, 0.43f, 0.45f}, 0.9f + 0.2f * metal);
        const float cx = std::fabs(u - 0.5f);
        if (v > 0.14f && v < 0.46f && cx < 0.40f) {  // windscreen with a reflection streak
            const float streak = SmoothStep(0.0f, 0.05f, 0.06f - std::fabs((u - 0.2f) - 0.6f * (v - 0.14f)));
            c = Mix(Rgb{0.05f, 0.07f, 0.10f}, Rgb{0.16f, 0.2f, 0.26f}, v * 2.0f);
            c = Mix(c, Rgb{0.55f, 0.6f, 0.65f}, 0.5f * streak);
        }
        if (v > 0.16f && v < 0.22f && cx < 0.12f) c = {1.0f, 0.7f, 0.2f};  // destination sign
        if (v > 0.64f && v < 0.71f) c = {0.70f, 0.08f, 0.10f};
        if (v > 0.78f && v < 0.90f && cx > 0.25f && cx < 0.42f) c = {0.15f, 0.15f, 0.15f};  // lamp recesses
        if (v > 0.93f) c = {0.12f, 0.12f, 0.13f};
        return c;
    });
}

Image SkinTexture() {
    return Paint(256, 256, [](float u, float v) {
        const float n = Tiled(u, v, 8, 4, 71u), pores = Tiled(u, v, 96, 2, 72u);
        Rgb c = Mix({0.86f, 0.64f, 0.52f}, {0.96f, 0.76f, 0.64f}, n);
        c = Mix(c, Rgb{0.85f, 0.50f, 0.45f}, 0.25f * SmoothStep(0.55f, 0.8f, Tiled(u, v, 4, 3, 73u)));
        c = Scale(c, 0.93f + 0.1f * pores);
        // Fine creases across the fingers.
        const float crease = Veins(u, v, 12, 74u, 0.02f);
        return Mix(c, Rgb{0.62f, 0.42f, 0.36f}, 0.35f * crease);
    });
}

Image FleshTexture() {
    return Paint(512, 512, [](float u, float v) {
        const float n = Tiled(u, v, 8, 5, 81u);
        Rgb c = Mix({0.36f, 0.03f, 0.04f}, {0.78f, 0.20f, 0.20f}, n);
        // Folds: darker valleys of a coarse noise.
        const float folds = Tiled(u, v, 4, 3, 82u);
        c = Scale(c, 0.6f + 0.6f * folds);
        // Veins, dark purple, and a few bright wet glints.
        c = Mix(c, Rgb{0.25f, 0.02f, 0.12f}, 0.8f * Veins(u, v, 6, 83u, 0.018f));
        c = Mix(c, Rgb{0.45f, 0.05f, 0.18f}, 0.6f * Veins(u, v, 12, 84u, 0.012f));
        const float wet = SmoothStep(0.72f, 0.9f, Tiled(u, v, 32, 2, 85u));
        return Mix(c, Rgb{1.0f, 0.72f, 0.68f}, 0.55f * wet);
    });
}

Image EyeTexture() {
    return Paint(512, 512, [](float u, float v) {
        // v = polar angle / pi from the front pole: pupil, iris, limbus, sclera.
        const float fibres = Tiled(u, v * 0.1f, 64, 3, 91u);
        const Rgb sclera = Mix(Rgb{0.93f, 0.88f, 0.84f}, Rgb{0.85f, 0.62f, 0.58f}, SmoothStep(0.25f, 0.9f, v));
        Rgb c = sclera;
        if (v < 0.20f) {
            const float t = v / 0.20f;
            c = Mix(Rgb{0.85f, 0.62f, 0.12f}, Rgb{0.28f, 0.48f, 0.18f}, t);  // amber centre to green rim
            c = Scale(c, 0.65f + 0.6f * fibres);
            c = Mix(c, Rgb{0.05f, 0.05f, 0.03f}, SmoothStep(0.8f, 1.0f, t));  // dark limbal ring
        } else {
            c = Mix(c, Rgb{0.05f, 0.05f, 0.03f}, 1.0f - SmoothStep(0.20f, 0.24f, v));
        }
        if (v < 0.03f) c = Mix(Rgb{0.01f, 0.01f, 0.01f}, c, SmoothStep(0.022f, 0.03f, v));
        // Blood vessels creeping from the back.
        const float veins = Veins(u, v, 8, 92u, 0.02f) * SmoothStep(0.3f, 0.6f, v);
        return Mix(c, Rgb{0.7f, 0.05f, 0.05f}, 0.8f * veins);
    });
}

Image EnamelTexture() {
    return Paint(256, 256, [](float u, float v) {
        const float streaks = Tiled(u, v * 0.125f, 32, 3, 101u);
        Rgb c = Mix({0.96f, 0.94f, 0.86f}, {0.86f, 0.80f, 0.62f}, (1.0f - v) * 0.8f + 0.3f * streaks);
        c = Scale(c, 0.9f + 0.12f * Tiled(u, v, 16, 3, 102u));
        // Stained cracks.
        return Mix(c, Rgb{0.45f, 0.36f, 0.22f}, 0.5f * Veins(u, v, 4, 103u, 0.008f));
    });
}

}  // namespace assets::tunnels

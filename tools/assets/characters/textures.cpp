#include "tools/assets/characters/textures.h"

#include <algorithm>
#include <cmath>

#include "tools/assets/core/noise.h"

namespace assets::characters {

namespace {

constexpr int kSize = 256;

struct Rgb {
    float r, g, b;
};

Rgb Scale(Rgb c, float f) { return {c.r * f, c.g * f, c.b * f}; }
Rgb Blend(Rgb a, Rgb b, float f) { return {a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f}; }

template <typename F>
Image Paint(F colour) {
    Image image(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const Rgb c = colour(float(x) + 0.5f, float(y) + 0.5f);
            image.At(x, y) = PackArgb(c.r, c.g, c.b);
        }
    return image;
}

const Rgb kSkin{0.86f, 0.66f, 0.54f};

Rgb SkinAt(float x, float y) {
    const float n = Fbm(x / 32.0f, y / 32.0f, 4, 11, 8);
    return Scale(kSkin, 0.92f + 0.14f * n);
}

// A soft elliptical spot: 1 at the centre, 0 outside.
float Spot(float x, float y, float cx, float cy, float rx, float ry) {
    const float dx = (x - cx) / rx, dy = (y - cy) / ry;
    return std::clamp(1.0f - (dx * dx + dy * dy), 0.0f, 1.0f);
}

}  // namespace

Image SkinTexture() { return Paint(SkinAt); }

Image FaceTexture() {
    return Paint([](float x, float y) {
        const float u = x / kSize, v = y / kSize;
        Rgb c = SkinAt(x, y);
        for (float side : {-1.0f, 1.0f}) {
            const float eu = 0.5f + side * 0.058f;
            // Eye sockets a little darker, the white of the eye, the iris.
            c = Blend(c, Scale(kSkin, 0.75f), Spot(u, v, eu, 0.462f, 0.045f, 0.035f));
            const float white = Spot(u, v, eu, 0.462f, 0.026f, 0.012f);
            c = Blend(c, Rgb{0.92f, 0.9f, 0.86f}, std::min(1.0f, white * 4.0f));
            const float iris = Spot(u, v, eu + side * 0.003f, 0.462f, 0.011f, 0.011f);
            c = Blend(c, Rgb{0.16f, 0.09f, 0.05f}, std::min(1.0f, iris * 5.0f));
            // Brows.
            const float brow = Spot(u, v, eu + side * 0.006f, 0.418f, 0.034f, 0.007f);
            c = Blend(c, Rgb{0.16f, 0.10f, 0.07f}, std::min(1.0f, brow * 3.0f));
            // Cheeks.
            c = Blend(c, Rgb{0.9f, 0.55f, 0.5f}, 0.35f * Spot(u, v, 0.5f + side * 0.075f, 0.57f, 0.04f, 0.04f));
        }
        // Nose shading and mouth.
        c = Blend(c, Scale(kSkin, 0.8f), 0.6f * Spot(u, v, 0.5f, 0.585f, 0.02f, 0.012f));
        const float mouth = Spot(u, v, 0.5f, 0.665f, 0.036f, 0.008f);
        c = Blend(c, Rgb{0.62f, 0.3f, 0.3f}, std::min(1.0f, mouth * 3.0f));
        return c;
    });
}

Image HairTexture() {
    return Paint([](float x, float y) {
        const float strands = Fbm(x / 3.0f, y / 48.0f, 3, 23, 0);
        const float shade = Fbm(x / 24.0f, y / 24.0f, 3, 29, 0);
        return Scale(Rgb{0.20f, 0.12f, 0.07f}, 0.6f + 0.5f * strands + 0.25f * shade);
    });
}

Image CoatTexture() {
    return Paint([](float x, float y) {
        // Wool: fine weave, soft mottling, faint seams across.
        const float weave = 0.5f + 0.5f * std::sin(x * 1.6f) * std::sin(y * 1.6f);
        const float mottle = Fbm(x / 20.0f, y / 20.0f, 4, 31, 12);
        const float seam = std::fmod(y, 64.0f) < 2.0f ? 0.75f : 1.0f;
        return Scale(Rgb{0.58f, 0.13f, 0.10f}, (0.78f + 0.12f * weave + 0.3f * mottle) * seam);
    });
}

Image TrousersTexture() {
    return Paint([](float x, float y) {
        // Denim: a diagonal twill with faded streaks.
        const float twill = 0.5f + 0.5f * std::sin((x + y) * 1.2f);
        const float fade = Fbm(x / 6.0f, y / 40.0f, 3, 37, 0);
        return Blend(Rgb{0.10f, 0.13f, 0.24f}, Rgb{0.26f, 0.31f, 0.45f}, 0.2f * twill + 0.45f * fade);
    });
}

Image ShoesTexture() {
    return Paint([](float x, float y) {
        const float u = x / kSize;
        const float grain = Fbm(x / 10.0f, y / 10.0f, 3, 41, 0);
        Rgb leather = Scale(Rgb{0.22f, 0.13f, 0.08f}, 0.75f + 0.45f * grain);
        // The sole runs round the underside (u about 0.25).
        const float sole = std::fabs(u - 0.25f) < 0.09f ? 1.0f : 0.0f;
        return Blend(leather, Rgb{0.32f, 0.3f, 0.28f}, sole);
    });
}

}  // namespace assets::characters

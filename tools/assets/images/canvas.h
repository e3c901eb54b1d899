// Float pictures for the image generators: colour and alpha planes in 0..1, drawn into with
// additive light, then packed into the pack's 32-bit images.
#pragma once

#include <vector>

#include "tools/assets/core/image.h"

namespace assets::images {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

Rgb operator*(Rgb c, float k);
Rgb operator+(Rgb a, Rgb b);
Rgb Mix(Rgb a, Rgb b, float t);

// One float per pixel, top row first.
struct Plane {
    int width = 0;
    int height = 0;
    std::vector<float> values;

    Plane() = default;
    Plane(int w, int h, float fill = 0.0f) : width(w), height(h), values(std::size_t(w) * h, fill) {}
    float& At(int x, int y) { return values[std::size_t(y) * width + x]; }
    float At(int x, int y) const { return values[std::size_t(y) * width + x]; }
    // Bilinear sample with clamped edges.
    float Sample(float x, float y) const;
};

struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<Rgb> colour;
    Plane alpha;

    Canvas(int w, int h, Rgb fill = {}, float a = 1.0f)
        : width(w), height(h), colour(std::size_t(w) * h, fill), alpha(w, h, a) {}
    Rgb& At(int x, int y) { return colour[std::size_t(y) * width + x]; }
    const Rgb& At(int x, int y) const { return colour[std::size_t(y) * width + x]; }
    // Adds `light` times the mask value at every pixel.
    void AddLight(const Plane& mask, Rgb light);
    // Lays `paint` over the picture with the mask as its coverage.
    void Paint(const Plane& mask, Rgb paint, float opacity = 1.0f);
};

float SmoothStep(float edge0, float edge1, float x);

// Separable Gaussian blur of a plane (three box passes); radius in pixels.
Plane Blur(const Plane& plane, float radius);
// Grey-scale dilation: each pixel takes the largest value within `radius` pixels (a disc).
Plane Dilate(const Plane& plane, int radius);

// Colour planes clamped and packed, with alpha from the canvas.
Image ToImage(const Canvas& canvas);

// Multiplies everything by a window that is 1 inside and falls to exactly 0 over the last
// `margin` pixels of each side, so an additive picture has a black border.
void FadeBorder(Canvas& canvas, int margin);

}  // namespace assets::images

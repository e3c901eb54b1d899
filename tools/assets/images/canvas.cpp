#include "tools/assets/images/canvas.h"

#include <algorithm>
#include <cmath>

namespace assets::images {

Rgb operator*(Rgb c, float k) { return {c.r * k, c.g * k, c.b * k}; }
Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb Mix(Rgb a, Rgb b, float t) { return a * (1.0f - t) + b * t; }

float Plane::Sample(float x, float y) const {
    if (width <= 0 || height <= 0) return 0.0f;
    x = std::clamp(x, 0.0f, float(width - 1));
    y = std::clamp(y, 0.0f, float(height - 1));
    const int x0 = int(x), y0 = int(y);
    const int x1 = std::min(x0 + 1, width - 1), y1 = std::min(y0 + 1, height - 1);
    const float fx = x - float(x0), fy = y - float(y0);
    const float top = At(x0, y0) * (1 - fx) + At(x1, y0) * fx;
    const float bottom = At(x0, y1) * (1 - fx) + At(x1, y1) * fx;
    return top * (1 - fy) + bottom * fy;
}

void Canvas::AddLight(const Plane& mask, Rgb light) {
    for (std::size_t i = 0; i < colour.size(); ++i) colour[i] = colour[i] + light * mask.values[i];
}

void Canvas::Paint(const Plane& mask, Rgb paint, float opacity) {
    for (std::size_t i = 0; i < colour.size(); ++i) {
        const float k = std::clamp(mask.values[i] * opacity, 0.0f, 1.0f);
        colour[i] = Mix(colour[i], paint, k);
    }
}

float SmoothStep(float edge0, float edge1, float x) {
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

namespace {

// One box pass of half-width r along rows (stride 1) or columns (stride width), edges clamped.
void BoxPass(std::vector<float>& values, int width, int height, int r, bool rows) {
    if (r <= 0) return;
    const int length = rows ? width : height, lines = rows ? height : width;
    std::vector<float> line(length);
    for (int l = 0; l < lines; ++l) {
        auto index = [&](int i) { return rows ? std::size_t(l) * width + i : std::size_t(i) * width + l; };
        for (int i = 0; i < length; ++i) line[i] = values[index(i)];
        double sum = 0.0;
        for (int k = -r; k <= r; ++k) sum += line[std::clamp(k, 0, length - 1)];
        const float scale = 1.0f / float(2 * r + 1);
        for (int i = 0; i < length; ++i) {
            values[index(i)] = float(sum) * scale;
            sum += line[std::min(i + r + 1, length - 1)] - line[std::max(i - r, 0)];
        }
    }
}

}  // namespace

Plane Blur(const Plane& plane, float radius) {
    Plane result = plane;
    // Three box passes of this half-width approximate a Gaussian of sigma = radius.
    const int r = std::max(0, int(std::lround(std::sqrt(radius * radius * 4.0f + 1.0f) * 0.5f - 0.5f)));
    for (int pass = 0; pass < 3; ++pass) {
        BoxPass(result.values, result.width, result.height, r, true);
        BoxPass(result.values, result.width, result.height, r, false);
    }
    return result;
}

Plane Dilate(const Plane& plane, int radius) {
    Plane result(plane.width, plane.height);
    for (int y = 0; y < plane.height; ++y) {
        for (int x = 0; x < plane.width; ++x) {
            float best = 0.0f;
            for (int dy = -radius; dy <= radius; ++dy) {
                const int sy = y + dy;
                if (sy < 0 || sy >= plane.height) continue;
                const int span = int(std::sqrt(float(radius * radius - dy * dy)));
                for (int dx = -span; dx <= span; ++dx) {
                    const int sx = x + dx;
                    if (sx >= 0 && sx < plane.width) best = std::max(best, plane.At(sx, sy));
                }
            }
            result.At(x, y) = best;
        }
    }
    return result;
}

Image ToImage(const Canvas& canvas) {
    Image image(canvas.width, canvas.height);
    for (std::size_t i = 0; i < canvas.colour.size(); ++i) {
        const Rgb& c = canvas.colour[i];
        image.pixels[i] = PackArgb(c.r, c.g, c.b, canvas.alpha.values[i]);
    }
    return image;
}

void FadeBorder(Canvas& canvas, int margin) {
    auto window = [margin](int i, int n) {
        const int edge = std::min(i, n - 1 - i);
        return edge <= 0 ? 0.0f : SmoothStep(0.0f, float(margin), float(edge));
    };
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            const float k = window(x, canvas.width) * window(y, canvas.height);
            canvas.At(x, y) = canvas.At(x, y) * k;
            canvas.alpha.At(x, y) *= k;
        }
    }
}

}  // namespace assets::images

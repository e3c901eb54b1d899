#include "tools/assets/images/glow_images.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/assets/core/noise.h"
#include "tools/assets/images/canvas.h"

namespace assets::images {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// Pixel centre in coordinates -1..1 across the square.
struct Point {
    float x, y;
};
Point Centred(int x, int y, int size) {
    const float half = float(size) * 0.5f;
    return {(float(x) + 0.5f - half) / half, (float(y) + 0.5f - half) / half};
}

float Gauss(float r, float sigma) { return std::exp(-(r * r) / (2.0f * sigma * sigma)); }

float SegmentDistance(Point p, Point a, Point b) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float length2 = dx * dx + dy * dy;
    float t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    const float ex = p.x - (a.x + dx * t), ey = p.y - (a.y + dy * t);
    return std::sqrt(ex * ex + ey * ey);
}

// A thin ray along an axis: bright at the centre, tapering to nothing at `length`.
float Ray(float along, float across, float length, float width) {
    const float a = std::abs(along) / length;
    if (a >= 1.0f) return 0.0f;
    const float taper = (1.0f - a) * (1.0f - a);
    return taper * Gauss(across, width * (0.3f + 0.7f * (1.0f - a)));
}

// Fills a canvas from a per-pixel function of the centred point, then blacks out the border.
template <typename Shade>
Image Render(int size, int margin, Shade shade) {
    Canvas canvas(size, size, {}, 0.0f);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const Point p = Centred(x, y, size);
            float a = 0.0f;
            canvas.At(x, y) = shade(p, a);
            canvas.alpha.At(x, y) = a;
        }
    }
    FadeBorder(canvas, margin);
    return ToImage(canvas);
}

}  // namespace

Image MakeIntroParticle(int size) {
    return Render(size, size / 8, [](Point p, float& a) {
        const float r = std::hypot(p.x, p.y);
        const float glow = 0.95f * Gauss(r, 0.10f) + 0.45f * Gauss(r, 0.26f) + 0.12f * Gauss(r, 0.5f);
        a = std::min(1.0f, glow);
        // A pale gold centre cooling to soft blue at the rim.
        return Mix(Rgb{0.55f, 0.7f, 1.0f}, Rgb{1.0f, 0.95f, 0.8f}, Gauss(r, 0.18f)) * glow;
    });
}

Image MakeSpark(int size) {
    return Render(size, size / 8, [](Point p, float& a) {
        const float r = std::hypot(p.x, p.y);
        const float core = Gauss(r, 0.06f);
        const float halo = 0.55f * Gauss(r, 0.2f) + 0.15f * Gauss(r, 0.45f);
        const float glint = 0.5f * (Ray(p.x, p.y, 0.85f, 0.025f) + Ray(p.y, p.x, 0.6f, 0.02f));
        a = std::min(1.0f, core + halo + glint);
        return Rgb{1.0f, 1.0f, 0.95f} * (core + glint) + Rgb{1.0f, 0.55f, 0.15f} * halo;
    });
}

Image MakeSmokePuff(int size) {
    return Render(size, size / 8, [](Point p, float& a) {
        const float r = std::hypot(p.x, p.y);
        // Lumpy outline and a billowing inside from two scales of noise.
        const float fx = (p.x + 1.0f) * 2.2f, fy = (p.y + 1.0f) * 2.2f;
        const float lumps = Fbm(fx, fy, 4, 0x5A0Cu);
        const float wisps = Fbm(fx * 2.7f, fy * 2.7f, 3, 0x5A0Du);
        const float edge = 0.62f + 0.28f * (lumps - 0.5f);
        const float body = 1.0f - SmoothStep(edge * 0.35f, edge, r);
        const float density = body * (0.55f + 0.45f * wisps) * (0.75f + 0.25f * Gauss(r, 0.3f));
        a = std::min(1.0f, density);
        return Rgb{0.78f, 0.8f, 0.84f} * density;
    });
}

Image MakeSnowflake(int size) {
    const float arm = 0.7f;
    return Render(size, size / 8, [arm](Point p, float& a) {
        float d = 10.0f;
        for (int k = 0; k < 6; ++k) {
            const float angle = kPi / 2.0f + float(k) * kPi / 3.0f;
            const Point dir{std::cos(angle), std::sin(angle)};
            const Point tip{dir.x * arm, dir.y * arm};
            d = std::min(d, SegmentDistance(p, {0, 0}, tip));
            // Two pairs of side branches, swept outward at 60 degrees.
            for (int b = 0; b < 2; ++b) {
                const float at = b == 0 ? 0.38f : 0.6f;
                const float length = b == 0 ? 0.26f : 0.17f;
                const Point root{dir.x * arm * at, dir.y * arm * at};
                for (int side = -1; side <= 1; side += 2) {
                    const float branch = angle + float(side) * kPi / 3.0f;
                    const Point end{root.x + std::cos(branch) * length, root.y + std::sin(branch) * length};
                    d = std::min(d, SegmentDistance(p, root, end));
                }
            }
        }
        const float r = std::hypot(p.x, p.y);
        const float stroke = 1.0f - SmoothStep(0.03f, 0.07f, d);
        const float glow = 0.35f * Gauss(d, 0.07f) + 0.25f * Gauss(r, 0.12f);
        const float light = std::min(1.0f, stroke + glow);
        a = light;
        return Mix(Rgb{0.6f, 0.75f, 1.0f}, Rgb{1.0f, 1.0f, 1.0f}, stroke) * light;
    });
}

Image MakeStar(int size) {
    return Render(size, size / 10, [](Point p, float& a) {
        const float r = std::hypot(p.x, p.y);
        const float cross = Ray(p.x, p.y, 0.9f, 0.035f) + Ray(p.y, p.x, 0.9f, 0.035f);
        // Shorter diagonal glints between the four points.
        const float u = (p.x + p.y) * 0.70710678f, v = (p.x - p.y) * 0.70710678f;
        const float diagonal = 0.35f * (Ray(u, v, 0.4f, 0.02f) + Ray(v, u, 0.4f, 0.02f));
        const float core = Gauss(r, 0.07f) + 0.3f * Gauss(r, 0.2f);
        const float light = std::min(1.0f, cross + diagonal + core);
        a = light;
        return Mix(Rgb{0.7f, 0.8f, 1.0f}, Rgb{1.0f, 1.0f, 1.0f}, std::min(1.0f, core + cross * 0.5f)) * light;
    });
}

Image MakeLensFlare(int size) {
    return Render(size, size / 10, [](Point p, float& a) {
        const float r = std::hypot(p.x, p.y);
        const float angle = std::atan2(p.y, p.x);
        const float core = Gauss(r, 0.05f) + 0.6f * Gauss(r, 0.12f);
        const float halo = 0.2f * Gauss(r, 0.28f) + 0.06f * Gauss(r, 0.55f);
        // A faint ring, slightly warmer on its outside edge.
        const float ring = 0.12f * Gauss(r - 0.62f, 0.025f);
        const float ringOuter = 0.08f * Gauss(r - 0.66f, 0.03f);
        // A long horizontal streak, a shorter vertical one and fine rays all round.
        const float streaks = 0.9f * Ray(p.x, p.y, 0.98f, 0.012f) + 0.45f * Ray(p.y, p.x, 0.6f, 0.01f);
        const float rays = 0.1f * std::pow(std::abs(std::cos(angle * 7.0f)), 24.0f) * (1.0f - SmoothStep(0.1f, 0.8f, r));
        const float white = std::min(1.0f, core) + streaks + rays;
        a = std::min(1.0f, white + halo + ring + ringOuter);
        return Rgb{1.0f, 1.0f, 1.0f} * white + Rgb{0.85f, 0.9f, 1.0f} * halo + Rgb{0.6f, 0.8f, 1.0f} * ring +
               Rgb{1.0f, 0.75f, 0.5f} * ringOuter;
    });
}

Image MakeGlobule(int size) {
    return Render(size, size / 10, [](Point p, float& a) {
        // A slightly squashed wobbling drop.
        const float angle = std::atan2(p.y, p.x);
        const float radius = 0.72f + 0.05f * std::sin(angle * 3.0f + 0.7f) + 0.03f * std::sin(angle * 5.0f);
        const float r = std::hypot(p.x, p.y * 1.08f) / radius;
        const float inside = 1.0f - SmoothStep(0.9f, 1.0f, r);
        // Thin body, brighter rim (light passing through more of the membrane), a highlight.
        const float body = inside * (0.4f + 0.55f * std::pow(std::clamp(r, 0.0f, 1.0f), 3.0f));
        const float highlight = Gauss(std::hypot(p.x + 0.2f, p.y + 0.22f), 0.09f);
        const float glow = 0.15f * Gauss(r, 0.9f) * (1.0f - inside);
        a = std::min(1.0f, inside * (0.35f + 0.45f * r * r) + highlight * 0.5f + glow);
        return Rgb{0.85f, 0.22f, 0.25f} * (body + glow) + Rgb{1.0f, 0.85f, 0.8f} * (highlight * 0.9f);
    });
}

}  // namespace assets::images

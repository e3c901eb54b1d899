#include "tools/assets/city/city_textures.h"

#include <algorithm>
#include <cmath>

#include "tools/assets/core/noise.h"

namespace assets::city {
namespace {

struct Rgb {
    float r, g, b;
};

Rgb Mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Rgb Scale(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }
std::uint32_t Pack(Rgb c) { return PackArgb(c.r, c.g, c.b); }
float Smooth(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

constexpr int kSize = 512;

// Tiling fractal noise over the picture, `cells` noise cells across.
float Grain(int x, int y, int cells, std::uint32_t seed, int octaves = 4) {
    const float s = float(cells) / float(kSize);
    return Fbm(float(x) * s, float(y) * s, octaves, seed, cells);
}

struct FacadeStyle {
    Rgb wall, wallDark;
    float windowW, windowH;  // fraction of the cell
    float litChance;
    float darkFloorChance;
    Rgb warm, cool;
    float coolShare;
    std::uint32_t seed;
    bool brick;
    bool bands;  // continuous window bands (glass offices)
};

FacadeStyle Style(Facade f) {
    switch (f) {
        case Facade::WarmOffice:
            return {{0.30f, 0.27f, 0.24f}, {0.18f, 0.16f, 0.15f}, 0.62f, 0.56f, 0.50f, 0.20f,
                    {1.00f, 0.78f, 0.42f}, {0.78f, 0.86f, 1.00f}, 0.15f, 11u, false, false};
        case Facade::CoolOffice:
            return {{0.20f, 0.23f, 0.27f}, {0.12f, 0.14f, 0.17f}, 0.86f, 0.62f, 0.45f, 0.25f,
                    {1.00f, 0.86f, 0.60f}, {0.70f, 0.84f, 1.00f}, 0.70f, 23u, false, true};
        case Facade::Brick:
            return {{0.36f, 0.20f, 0.15f}, {0.22f, 0.12f, 0.10f}, 0.38f, 0.52f, 0.42f, 0.10f,
                    {1.00f, 0.72f, 0.38f}, {0.85f, 0.90f, 1.00f}, 0.10f, 37u, true, false};
        default:
            return {{0.40f, 0.40f, 0.38f}, {0.24f, 0.24f, 0.23f}, 0.50f, 0.48f, 0.38f, 0.15f,
                    {0.98f, 0.82f, 0.50f}, {0.72f, 0.82f, 0.95f}, 0.35f, 51u, false, false};
    }
}

Image Fill(std::uint32_t (*pixel)(int, int)) {
    Image image(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) image.At(x, y) = pixel(x, y);
    return image;
}

Rgb Asphalt(int x, int y) {
    const float n = Grain(x, y, 64, 101u, 3), coarse = Grain(x, y, 8, 102u, 3);
    return Scale({0.16f, 0.16f, 0.17f}, 0.75f + 0.5f * n + 0.25f * coarse);
}

// Slush and snow left on the road: along the kerbs and between the wheel tracks.
Rgb SnowOnRoad(Rgb base, float u, float lanes, int x, int y) {
    const float patch = Grain(x, y, 16, 103u, 4);
    float snow = Smooth(0.09f, 0.02f, u) + Smooth(0.91f, 0.98f, u);
    const float lane = std::fmod(u * lanes, 1.0f);  // 0..1 across one lane
    snow += 0.35f * Smooth(0.15f, 0.0f, std::fabs(lane - 0.5f)) * patch;
    snow = std::clamp(snow * (0.6f + 0.8f * patch), 0.0f, 1.0f);
    return Mix(base, {0.70f, 0.72f, 0.78f}, snow * 0.85f);
}

Rgb Paint(Rgb base, float amount, int x, int y) {
    const float wear = 0.7f + 0.3f * Grain(x, y, 32, 104u, 2);
    return Mix(base, {0.85f, 0.85f, 0.80f}, amount * wear);
}

float Stripe(float u, float centre, float halfWidth) {
    return Smooth(halfWidth + 0.004f, halfWidth - 0.004f, std::fabs(u - centre));
}

std::uint32_t Road(int x, int y, bool wide) {
    const float u = (x + 0.5f) / kSize, v = (y + 0.5f) / kSize;
    Rgb c = SnowOnRoad(Asphalt(x, y), u, wide ? 4.0f : 2.0f, x, y);
    float paint = Stripe(u, 0.045f, 0.008f) + Stripe(u, 0.955f, 0.008f);
    const bool dash = std::fmod(v * 2.0f, 1.0f) < 0.55f;
    if (wide) {
        paint += Stripe(u, 0.492f, 0.005f) + Stripe(u, 0.508f, 0.005f);
        if (dash) paint += Stripe(u, 0.25f, 0.006f) + Stripe(u, 0.75f, 0.006f);
    } else if (dash) {
        paint += Stripe(u, 0.5f, 0.008f);
    }
    return Pack(Paint(c, std::min(paint, 1.0f), x, y));
}

std::uint32_t Road2(int x, int y) { return Road(x, y, false); }
std::uint32_t Road4(int x, int y) { return Road(x, y, true); }

// An intersection: asphalt with zebra crossings along its four edges.
std::uint32_t Crossing(int x, int y) {
    const float u = (x + 0.5f) / kSize, v = (y + 0.5f) / kSize;
    Rgb c = Asphalt(x, y);
    const float band0 = 0.03f, band1 = 0.16f;
    float paint = 0.0f;
    const auto zebra = [&](float across, float along) {
        if (across < band0 || across > band1 || along < 0.05f || along > 0.95f) return 0.0f;
        return std::fmod(along * 12.0f, 1.0f) < 0.5f ? 1.0f : 0.0f;
    };
    paint = std::max({zebra(u, v), zebra(1.0f - u, v), zebra(v, u), zebra(1.0f - v, u)});
    const float patch = Grain(x, y, 16, 105u, 4);
    c = Mix(c, {0.62f, 0.64f, 0.70f}, 0.3f * patch * patch);
    return Pack(Paint(c, paint, x, y));
}

// Square slabs with snow lying in patches.
std::uint32_t Pavement(int x, int y) {
    const int slab = 64;
    const int sx = x / slab, sy = y / slab;
    const float joint = (x % slab < 2 || y % slab < 2) ? 0.55f : 1.0f;
    const float tone = 0.85f + 0.15f * Hash2(sx, sy, 201u);
    Rgb c = Scale({0.42f, 0.41f, 0.40f}, tone * joint * (0.85f + 0.3f * Grain(x, y, 64, 202u, 2)));
    const float snow = Smooth(0.45f, 0.65f, Grain(x, y, 8, 203u, 5));
    return Pack(Mix(c, {0.80f, 0.82f, 0.88f}, snow));
}

std::uint32_t Plaza(int x, int y) {
    // Larger stone setts in a herringbone-like offset with more snow.
    const int w = 48, h = 24;
    const int row = y / h, col = (x + (row % 2) * (w / 2)) / w;
    const float joint = (y % h < 2 || (x + (row % 2) * (w / 2)) % w < 2) ? 0.6f : 1.0f;
    Rgb c = Scale({0.38f, 0.36f, 0.35f}, joint * (0.85f + 0.2f * Hash2(col, row, 211u)));
    const float snow = Smooth(0.35f, 0.6f, Grain(x, y, 8, 212u, 5));
    return Pack(Mix(c, {0.82f, 0.84f, 0.90f}, snow));
}

std::uint32_t Roof(int x, int y) {
    const float n = Grain(x, y, 16, 301u, 5), fine = Grain(x, y, 128, 302u, 2);
    Rgb snow = Scale({0.78f, 0.80f, 0.86f}, 0.88f + 0.12f * fine);
    Rgb gravel = Scale({0.22f, 0.21f, 0.20f}, 0.7f + 0.6f * fine);
    return Pack(Mix(gravel, snow, Smooth(0.30f, 0.45f, n)));
}

std::uint32_t Snow(int x, int y) {
    const float n = Grain(x, y, 8, 401u, 5), fine = Grain(x, y, 128, 402u, 2);
    return Pack(Scale({0.74f, 0.76f, 0.83f}, 0.8f + 0.15f * n + 0.08f * fine));
}

std::uint32_t Concrete(int x, int y) {
    const float n = Grain(x, y, 32, 501u, 4), stain = Grain(x, y, 4, 502u, 3);
    const float seam = (y % 128 < 2) ? 0.7f : 1.0f;
    return Pack(Scale({0.38f, 0.38f, 0.37f}, seam * (0.75f + 0.35f * n) * (0.8f + 0.3f * stain)));
}

// One track across the picture: ballast, sleepers and the two rail heads.
std::uint32_t Rail(int x, int y) {
    const float u = (x + 0.5f) / kSize;
    Rgb c = Scale({0.28f, 0.26f, 0.24f}, 0.6f + 0.7f * Grain(x, y, 128, 601u, 2));
    if (y % 32 < 12 && u > 0.08f && u < 0.92f) c = Scale({0.20f, 0.15f, 0.12f}, 0.8f + 0.3f * Grain(x, y, 64, 602u, 2));
    if (std::fabs(u - 0.193f) < 0.012f || std::fabs(u - 0.807f) < 0.012f) c = {0.55f, 0.56f, 0.58f};
    const float snow = Smooth(0.5f, 0.7f, Grain(x, y, 8, 603u, 4));
    return Pack(Mix(c, {0.80f, 0.82f, 0.88f}, snow * 0.8f));
}

std::uint32_t Shop(int x, int y) {
    // One shop front per 256 pixels (two cells): a lit window with a sign band above.
    const int unit = 256;
    const int shop = x / unit;
    const float u = float(x % unit) / unit, v = (y + 0.5f) / kSize;  // v covers two floors
    const float lit = Hash2(shop, 0, 701u);
    Rgb wall = Scale({0.22f, 0.20f, 0.19f}, 0.8f + 0.4f * Grain(x, y, 32, 702u, 3));
    // Lower half of the picture is the ground floor (one cell high): sign and window.
    if (v < 0.5f) return Pack(Scale(wall, 0.9f));  // the floor above the shops, plain
    const float w = (v - 0.5f) * 2.0f;             // 0 at the top of the ground floor, 1 at the street
    Rgb c = wall;
    if (w > 0.08f && w < 0.22f && u > 0.06f && u < 0.94f) {
        const Rgb signs[4] = {{0.95f, 0.30f, 0.25f}, {0.30f, 0.75f, 1.0f}, {1.0f, 0.80f, 0.30f}, {0.45f, 0.95f, 0.55f}};
        const Rgb sign = signs[std::min(3, int(Hash2(shop, 1, 703u) * 4.0f))];
        c = lit > 0.2f ? sign : Scale(sign, 0.25f);
    } else if (w > 0.28f && w < 0.96f && u > 0.08f && u < 0.92f) {
        const bool door = u > 0.66f && u < 0.84f;
        const Rgb glow = Mix({1.0f, 0.86f, 0.60f}, {0.85f, 0.92f, 1.0f}, Hash2(shop, 2, 704u));
        const float depth = 0.75f + 0.25f * Grain(x, y, 16, 705u, 2);
        c = lit > 0.25f ? Scale(glow, depth * (door ? 0.7f : 1.0f)) : Rgb{0.07f, 0.08f, 0.10f};
        if (int(u * 24) % 6 == 0 && !door) c = Scale(c, 0.3f);  // mullions
    }
    return Pack(c);
}

template <Facade F>
std::uint32_t FacadePixel(int x, int y) {
    const FacadeStyle s = Style(F);
    const int cell = kSize / kFacadeBays;
    const int bay = x / cell, floor = y / cell;
    const float u = float(x % cell + 0.5f) / cell, v = float(y % cell + 0.5f) / cell;
    Rgb wall = Mix(s.wallDark, s.wall, Grain(x, y, 32, s.seed, 4));
    if (s.brick) {
        const int bh = 8, bw = 20;
        const int row = y / bh;
        const bool mortar = y % bh < 1 || (x + (row % 2) * (bw / 2)) % bw < 1;
        wall = mortar ? Rgb{0.30f, 0.29f, 0.28f}
                      : Scale(wall, 0.8f + 0.35f * Hash2((x + (row % 2) * (bw / 2)) / bw, row, s.seed + 1));
    }
    if (v > 0.94f) wall = Scale(wall, 0.7f);  // floor slab line
    const float hw = 0.5f * (s.bands ? 1.0f : s.windowW);
    const float top = 0.5f - 0.5f * s.windowH, bottom = 0.5f + 0.5f * s.windowH;
    const bool inWindow = std::fabs(u - 0.5f) < hw && v > top && v < bottom;
    if (!inWindow) return Pack(wall);
    const float frame = s.bands ? (u < 0.03f ? 0.0f : 1.0f) : 1.0f;
    Rgb c;
    if (WindowLit(F, bay, floor)) {
        const bool cool = Hash2(bay, floor, s.seed + 2) < s.coolShare;
        Rgb glow = cool ? s.cool : s.warm;
        const float lamp = 0.7f + 0.3f * Hash2(bay, floor, s.seed + 3);
        const float wy = (v - top) / (bottom - top);
        // A drawn blind or curtain on some windows, a lamp glow fading down the pane.
        const float blind = Hash2(bay, floor, s.seed + 4) < 0.3f ? 0.6f : 1.0f;
        c = Scale(glow, lamp * blind * (1.0f - 0.35f * wy));
    } else {
        const float sky = Grain(x, y, 16, s.seed + 5, 2);
        c = Scale({0.07f, 0.08f, 0.11f}, 0.8f + 0.6f * sky);
    }
    const bool mullion = std::fabs(u - 0.5f) < 0.015f || (s.bands && (x % (cell / 2) < 2));
    if (mullion) c = Scale(wall, 0.8f);
    return Pack(Scale(c, frame));
}

}  // namespace

bool WindowLit(Facade facade, int bay, int floor) {
    const FacadeStyle s = Style(facade);
    if (Hash2(0, floor, s.seed + 7) < s.darkFloorChance) return false;  // a whole floor closed for the night
    return Hash2(bay, floor, s.seed + 8) < s.litChance;
}

Image MakeFacade(Facade facade) {
    switch (facade) {
        case Facade::WarmOffice: return Fill(&FacadePixel<Facade::WarmOffice>);
        case Facade::CoolOffice: return Fill(&FacadePixel<Facade::CoolOffice>);
        case Facade::Brick: return Fill(&FacadePixel<Facade::Brick>);
        default: return Fill(&FacadePixel<Facade::Panel>);
    }
}

std::string FacadeTexture(Facade facade) {
    static const char* names[] = {"city_facade_warm.jpg", "city_facade_cool.jpg", "city_facade_brick.jpg",
                                  "city_facade_panel.jpg"};
    return names[int(facade)];
}

const std::vector<CityTexture>& CityTextures() {
    static const std::vector<CityTexture> textures = {
        {FacadeTexture(Facade::WarmOffice), [] { return MakeFacade(Facade::WarmOffice); }},
        {FacadeTexture(Facade::CoolOffice), [] { return MakeFacade(Facade::CoolOffice); }},
        {FacadeTexture(Facade::Brick), [] { return MakeFacade(Facade::Brick); }},
        {FacadeTexture(Facade::Panel), [] { return MakeFacade(Facade::Panel); }},
        {kShopTexture, [] { return Fill(&Shop); }},
        {kRoofTexture, [] { return Fill(&Roof); }},
        {kRoad2Texture, [] { return Fill(&Road2); }},
        {kRoad4Texture, [] { return Fill(&Road4); }},
        {kCrossingTexture, [] { return Fill(&Crossing); }},
        {kPavementTexture, [] { return Fill(&Pavement); }},
        {kPlazaTexture, [] { return Fill(&Plaza); }},
        {kConcreteTexture, [] { return Fill(&Concrete); }},
        {kRailTexture, [] { return Fill(&Rail); }},
        {kSnowTexture, [] { return Fill(&Snow); }},
    };
    return textures;
}

}  // namespace assets::city

#include "platform/d3dx/texture_resample.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace d3dx {

namespace {

struct Tap {
    std::uint32_t index;
    float weight;
};

// For each target position along one axis, the source positions it reads and their weights.
std::vector<std::vector<Tap>> AxisTaps(std::uint32_t from, std::uint32_t to) {
    std::vector<std::vector<Tap>> taps(to);
    const double scale = static_cast<double>(from) / to;
    for (std::uint32_t i = 0; i < to; ++i) {
        if (to <= from) {  // box: the source span [i, i + 1) * scale covers, by coverage
            const double begin = i * scale, end = (i + 1) * scale;
            for (auto s = static_cast<std::uint32_t>(begin); s < from && s < end; ++s) {
                const double cover = std::min<double>(s + 1, end) - std::max<double>(s, begin);
                if (cover > 0) taps[i].push_back({s, static_cast<float>(cover / scale)});
            }
        } else {  // linear between the two nearest source centres
            const double centre = std::clamp((i + 0.5) * scale - 0.5, 0.0, from - 1.0);
            const auto left = static_cast<std::uint32_t>(centre);
            const auto right = std::min(left + 1, from - 1);
            const auto t = static_cast<float>(centre - left);
            taps[i].push_back({left, 1 - t});
            if (right != left) taps[i].push_back({right, t});
        }
    }
    return taps;
}

std::uint32_t Pack(const float c[4]) {
    std::uint32_t out = 0;
    for (int k = 0; k < 4; ++k) {
        const auto v = static_cast<std::uint32_t>(std::clamp(std::lround(c[k]), 0L, 255L));
        out |= v << (8 * k);
    }
    return out;
}

PixelLevel Blank(std::uint32_t width, std::uint32_t height) {
    PixelLevel out;
    out.width = width;
    out.height = height;
    out.pixels.assign(std::size_t{width} * height, 0);
    return out;
}

}  // namespace

Filter FilterFrom(DWORD filter) {
    switch (filter & 0xFF) {
        case D3DX_FILTER_NONE: return Filter::None;
        case D3DX_FILTER_POINT: return Filter::Point;
        default: return Filter::Smooth;
    }
}

PixelLevel Resize(const PixelLevel& src, std::uint32_t width, std::uint32_t height, Filter filter) {
    PixelLevel out = Blank(width, height);
    if (filter == Filter::None) {
        for (std::uint32_t y = 0; y < std::min(height, src.height); ++y)
            for (std::uint32_t x = 0; x < std::min(width, src.width); ++x)
                out.pixels[std::size_t{y} * width + x] = src.At(x, y);
        return out;
    }
    if (filter == Filter::Point) {
        for (std::uint32_t y = 0; y < height; ++y) {
            const auto sy = static_cast<std::uint32_t>((y + 0.5) * src.height / height);
            for (std::uint32_t x = 0; x < width; ++x) {
                const auto sx = static_cast<std::uint32_t>((x + 0.5) * src.width / width);
                out.pixels[std::size_t{y} * width + x] = src.At(std::min(sx, src.width - 1), std::min(sy, src.height - 1));
            }
        }
        return out;
    }
    // Separable: rows first into floats, then columns.
    const auto across = AxisTaps(src.width, width), down = AxisTaps(src.height, height);
    std::vector<std::array<float, 4>> rows(std::size_t{width} * src.height);
    for (std::uint32_t y = 0; y < src.height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            std::array<float, 4>& acc = rows[std::size_t{y} * width + x];
            acc = {0, 0, 0, 0};
            for (const Tap& tap : across[x]) {
                const std::uint32_t c = src.At(tap.index, y);
                for (int k = 0; k < 4; ++k) acc[k] += tap.weight * ((c >> (8 * k)) & 0xFF);
            }
        }
    }
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            float acc[4] = {0, 0, 0, 0};
            for (const Tap& tap : down[y]) {
                const std::array<float, 4>& c = rows[std::size_t{tap.index} * width + x];
                for (int k = 0; k < 4; ++k) acc[k] += tap.weight * c[k];
            }
            out.pixels[std::size_t{y} * width + x] = Pack(acc);
        }
    }
    return out;
}

PixelLevel HalveLevel(const PixelLevel& src, Filter filter) {
    PixelLevel out = Blank(std::max(1u, src.width / 2), std::max(1u, src.height / 2));
    for (std::uint32_t y = 0; y < out.height; ++y) {
        const std::uint32_t y0 = std::min(2 * y, src.height - 1), y1 = std::min(2 * y + 1, src.height - 1);
        for (std::uint32_t x = 0; x < out.width; ++x) {
            const std::uint32_t x0 = std::min(2 * x, src.width - 1), x1 = std::min(2 * x + 1, src.width - 1);
            std::uint32_t& target = out.pixels[std::size_t{y} * out.width + x];
            if (filter != Filter::Smooth) {
                target = src.At(x0, y0);
                continue;
            }
            const std::uint32_t quad[4] = {src.At(x0, y0), src.At(x1, y0), src.At(x0, y1), src.At(x1, y1)};
            for (int k = 0; k < 32; k += 8) {
                std::uint32_t sum = 2;
                for (std::uint32_t c : quad) sum += (c >> k) & 0xFF;
                target |= (sum / 4) << k;
            }
        }
    }
    return out;
}

bool ApplyColourKey(PixelLevel& level, D3DCOLOR key) {
    bool any = false;
    for (std::uint32_t& c : level.pixels) {
        if (c == key) {
            c = 0;
            any = true;
        }
    }
    return any;
}

}  // namespace d3dx

#include "tools/capture/contact_sheet.h"

#include <algorithm>
#include <cstdio>

#include "tools/common/bitmap_font.h"
#include "tools/common/png_writer.h"

namespace capture {

namespace {

using S = ShowScene;

// One moment from each row of the choreography, where its subject is in view.
constexpr Shot kShots[] = {
    {0.25f, "intro start", S::Intro},
    {1.5f, "fountains", S::Intro},
    {3.5f, "studio fades in", S::Intro},
    {5.5f, "studio fades out", S::Intro},
    {6.7f, "between captions", S::Intro},
    {7.5f, "presents in", S::Intro},
    {8.5f, "fountain b only", S::Intro},
    {10.25f, "presents + flash", S::Intro},
    {11.75f, "presents out", S::Intro},
    {13.75f, "title in flash", S::Intro},
    {18.25f, "title", S::Intro},
    {23.5f, "city: camera sinks", S::Main},
    {33.0f, "city: pan", S::Main},
    {39.5f, "white flash", S::Main},
    {47.5f, "idle", S::Main},
    {54.5f, "fade to black", S::Main},
    {62.5f, "sprites", S::Main},
    {70.5f, "after sprites", S::Main},
    {71.5f, "run1 + trains", S::Main},
    {75.0f, "run1", S::Main},
    {79.5f, "run1 fade", S::Main},
    {83.5f, "tunnel: parked", S::Tunnel},
    {89.0f, "tunnel: train a", S::Tunnel},
    {95.0f, "tunnel: train b", S::Tunnel},
    {98.25f, "tunnel flash", S::Tunnel},
    {98.75f, "flash falls", S::Tunnel},
    {106.5f, "tunnel: flight", S::Tunnel},
    {111.5f, "tunnel fade", S::Tunnel},
    {120.0f, "run2", S::Main},
    {125.0f, "run2 fade", S::Main},
    {133.0f, "hand", S::Hand},
    {139.0f, "hand fade", S::Hand},
    {142.5f, "organic: still", S::OrganicTunnel},
    {155.0f, "organic: creep", S::OrganicTunnel},
    {170.0f, "accident + cars", S::Main},
    {179.0f, "changedir", S::Main},
    {188.5f, "climb", S::Main},
    {192.0f, "red flash", S::Main},
    {196.5f, "walk", S::Main},
    {215.0f, "street: rise", S::Main},
    {235.0f, "praise", S::Main},
    {241.5f, "credits", S::Credits},
    {256.5f, "credits darken", S::Credits},
};

}  // namespace

std::span<const Shot> ShowShots() { return kShots; }

std::string ShotLabel(const Shot& shot) {
    char text[64];
    std::snprintf(text, sizeof text, "%gs %s", static_cast<double>(shot.time), shot.name);
    return text;
}

ContactSheet::ContactSheet(std::vector<Shot> shots, int frameWidth, int frameHeight)
    : shots_(std::move(shots)), filled_(shots_.size(), false) {
    thumbHeight_ = frameWidth > 0 && frameHeight > 0 ? std::max(1, kThumbWidth * frameHeight / frameWidth) : 1;
    const int count = static_cast<int>(shots_.size());
    const int columns = std::max(1, std::min(count, kColumns));
    const int rows = (count + columns - 1) / columns;
    width_ = kPadding + columns * (kThumbWidth + kPadding);
    height_ = kPadding + std::max(rows, 1) * (thumbHeight_ + kLabelHeight + kPadding);
    pixels_.assign(static_cast<std::size_t>(width_) * height_, kBackground);
    const tools::PixelTarget target{pixels_.data(), width_, height_, width_};
    for (std::size_t i = 0; i < shots_.size(); ++i) {
        Fill(Thumb(i), kMissing);
        const CellRect label = Label(i);
        tools::DrawText(target, label.x + 1, label.y + 2, ShotLabel(shots_[i]), kLabelColour);
    }
}

CellRect ContactSheet::Thumb(std::size_t index) const {
    const int i = static_cast<int>(index);
    const int column = i % kColumns;
    const int row = i / kColumns;
    return {kPadding + column * (kThumbWidth + kPadding), kPadding + row * (thumbHeight_ + kLabelHeight + kPadding),
            kThumbWidth, thumbHeight_};
}

CellRect ContactSheet::Label(std::size_t index) const {
    const CellRect thumb = Thumb(index);
    return {thumb.x, thumb.y + thumb.height, kThumbWidth, kLabelHeight};
}

void ContactSheet::Fill(const CellRect& rect, std::uint32_t colour) {
    for (int y = rect.y; y < rect.y + rect.height; ++y)
        std::fill_n(pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width_ + rect.x, rect.width, colour);
}

void ContactSheet::Place(std::size_t index, const std::uint32_t* pixels, int width, int height) {
    if (index >= shots_.size() || !pixels || width <= 0 || height <= 0) return;
    const CellRect thumb = Thumb(index);
    for (int ty = 0; ty < thumb.height; ++ty) {
        const int y0 = ty * height / thumb.height;
        const int y1 = std::max(y0 + 1, (ty + 1) * height / thumb.height);
        for (int tx = 0; tx < thumb.width; ++tx) {
            const int x0 = tx * width / thumb.width;
            const int x1 = std::max(x0 + 1, (tx + 1) * width / thumb.width);
            std::uint64_t r = 0, g = 0, b = 0;
            for (int y = y0; y < y1; ++y) {
                for (int x = x0; x < x1; ++x) {
                    const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
                    r += (p >> 16) & 0xFF;
                    g += (p >> 8) & 0xFF;
                    b += p & 0xFF;
                }
            }
            const std::uint64_t n = static_cast<std::uint64_t>(y1 - y0) * (x1 - x0);
            const auto mean = [n](std::uint64_t sum) { return static_cast<std::uint32_t>((sum + n / 2) / n); };
            pixels_[static_cast<std::size_t>(thumb.y + ty) * width_ + thumb.x + tx] =
                0xFF000000u | mean(r) << 16 | mean(g) << 8 | mean(b);
        }
    }
    filled_[index] = true;
}

bool ContactSheet::Write(const std::string& path, std::string& error) const {
    return tools::WritePng(path, tools::PngImage{width_, height_, pixels_.data(), false}, error);
}

}  // namespace capture

#include "platform/d3dx/image_masks.h"

namespace d3dx {

ChannelMask::ChannelMask(std::uint32_t mask) : mask_(mask) {
    if (!mask) return;
    while (!((mask >> shift_) & 1)) ++shift_;
    // Only the contiguous run from the lowest set bit counts.
    while (shift_ + bits_ < 32 && ((mask >> (shift_ + bits_)) & 1)) ++bits_;
    mask_ = bits_ == 32 ? 0xFFFFFFFFu : ((1u << bits_) - 1) << shift_;
}

std::uint32_t ChannelMask::Extract(std::uint32_t pixel, std::uint32_t absent) const {
    if (!mask_) return absent;
    std::uint32_t value = (pixel & mask_) >> shift_;
    if (bits_ >= 8) return value >> (bits_ - 8);
    // Replicate the high bits into the low ones, so the largest value becomes 255.
    std::uint32_t out = 0;
    int filled = 0;
    while (filled < 8) {
        out = (out << bits_) | value;
        filled += static_cast<int>(bits_);
    }
    return out >> (filled - 8);
}

std::uint32_t PixelMasks::ToArgb(std::uint32_t pixel) const {
    std::uint32_t a = alpha.Extract(pixel, 0xFF);
    std::uint32_t r = red.Extract(pixel);
    std::uint32_t g = luminance ? r : green.Extract(pixel);
    std::uint32_t b = luminance ? r : blue.Extract(pixel);
    return (a << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace d3dx

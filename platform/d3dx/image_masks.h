// Pixels described by bit masks (BMP bit fields, DDS pixel formats) to 8-bit channels.
#pragma once

#include <cstdint>

namespace d3dx {

// One channel: where its bits sit and how to widen them to 8 bits.
class ChannelMask {
public:
    ChannelMask() = default;
    explicit ChannelMask(std::uint32_t mask);

    bool Present() const { return mask_ != 0; }
    // The channel of `pixel` widened to 0..255 by bit replication; `absent` when the mask is empty.
    std::uint32_t Extract(std::uint32_t pixel, std::uint32_t absent = 0) const;

private:
    std::uint32_t mask_ = 0;
    unsigned shift_ = 0;
    unsigned bits_ = 0;
};

struct PixelMasks {
    ChannelMask red, green, blue, alpha;
    bool luminance = false;  // the red mask holds grey, copied to all three colours

    std::uint32_t ToArgb(std::uint32_t pixel) const;
};

}  // namespace d3dx

#include "platform/d3dx/texture_write.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/gpu/texture_format.h"

namespace d3dx {

namespace {

std::uint32_t Channel(std::uint32_t c, int shift) { return (c >> shift) & 0xFF; }

// 0..255 to 0..(2^bits - 1), rounded.
std::uint32_t Quantise(std::uint32_t v, unsigned bits) {
    const std::uint32_t top = (1u << bits) - 1;
    return (v * top + 127) / 255;
}

std::uint32_t Grey(std::uint32_t c) {
    return (Channel(c, 16) * 77 + Channel(c, 8) * 150 + Channel(c, 0) * 29 + 128) >> 8;
}

// Packs colours into the texels of one format: each channel quantised to its bits, from bit 0 up,
// and the padding bits set. Where each channel goes is worked out once per format; when every
// channel keeps 8 bits in place (the 32- and 24-bit formats), packing is only a mask, since
// quantising to 8 bits changes nothing.
class TexelPacker {
public:
    explicit TexelPacker(const gpu::FormatInfo& f) : padding_(gpu::PaddingMask(f)) {
        const Lane lanes[] = {{0, f.bits.b}, {8, f.bits.g}, {16, f.bits.r}, {kGrey, f.bits.l}, {24, f.bits.a}};
        unsigned to = 0;
        for (Lane lane : lanes) {
            if (lane.bits == 0) continue;
            lane.to = to;
            to += lane.bits;
            if (lane.from == kGrey || lane.bits != 8 || lane.from != lane.to) inPlace_ = false;
            kept_ |= 0xFFu << lane.to;
            lanes_[count_++] = lane;
        }
    }

    std::uint32_t operator()(std::uint32_t c) const {
        if (inPlace_) return (c & kept_) | padding_;
        std::uint32_t v = 0;
        for (int i = 0; i < count_; ++i) {
            const Lane& lane = lanes_[i];
            v |= Quantise(lane.from == kGrey ? Grey(c) : Channel(c, static_cast<int>(lane.from)), lane.bits) << lane.to;
        }
        return v | padding_;
    }

private:
    static constexpr unsigned kGrey = 32;  // the lane's source is the colour's grey, not a channel
    struct Lane {
        unsigned from;  // shift of the source channel in A8R8G8B8, or kGrey
        unsigned bits;
        unsigned to = 0;  // shift in the texel
    };
    Lane lanes_[5] = {};
    int count_ = 0;
    std::uint32_t kept_ = 0;
    std::uint32_t padding_;
    bool inPlace_ = true;
};

void Store16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

// 5:6:5 endpoints and their expansion back to 8 bits, as a decoder sees them.
std::uint16_t To565(std::uint32_t c) {
    static const TexelPacker k565(gpu::Describe(gpu::TexelFormat::kR5G6B5));
    return static_cast<std::uint16_t>(k565(c));
}
std::uint32_t From565(std::uint16_t v) {
    std::uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
    return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}

std::uint32_t Mix(std::uint32_t a, std::uint32_t b, int wa, int wb, int div) {
    std::uint32_t out = 0;
    for (int s = 0; s < 24; s += 8) out |= ((Channel(a, s) * wa + Channel(b, s) * wb + div / 2) / div) << s;
    return out;
}

int Distance(std::uint32_t a, std::uint32_t b) {
    int d = 0;
    for (int s = 0; s < 24; s += 8) {
        const int e = static_cast<int>(Channel(a, s)) - static_cast<int>(Channel(b, s));
        d += e * e;
    }
    return d;
}

// The 8-byte colour half: the two colours farthest apart as endpoints, each pixel the nearest of
// the palette. In DXT1, a block with pixels of alpha below 128 uses the three-colour mode and
// index 3 for those.
void EncodeColour(const std::uint32_t pixels[16], bool dxt1, std::uint8_t* out) {
    bool transparent = false;
    std::uint32_t solid[16];
    int count = 0;
    for (int i = 0; i < 16; ++i) {
        if (dxt1 && Channel(pixels[i], 24) < 128) transparent = true;
        else solid[count++] = pixels[i];
    }
    std::uint32_t lo = 0, hi = 0;
    if (count) lo = hi = solid[0];
    for (int i = 0, best = -1; i < count; ++i) {
        for (int j = i + 1; j < count; ++j) {
            const int d = Distance(solid[i], solid[j]);
            if (d > best) best = d, hi = solid[i], lo = solid[j];
        }
    }
    std::uint16_t c0 = To565(hi), c1 = To565(lo);
    if (transparent ? c0 > c1 : c0 < c1) std::swap(c0, c1);
    std::uint32_t palette[4] = {From565(c0), From565(c1), 0, 0};
    const bool four = !dxt1 || c0 > c1;  // DXT3 and DXT5 always use four colours
    if (four) {
        palette[2] = Mix(palette[0], palette[1], 2, 1, 3);
        palette[3] = Mix(palette[0], palette[1], 1, 2, 3);
    } else {
        palette[2] = Mix(palette[0], palette[1], 1, 1, 2);
    }
    std::uint32_t indices = 0;
    for (int i = 0; i < 16; ++i) {
        std::uint32_t best = 0;
        if (transparent && Channel(pixels[i], 24) < 128) {
            best = 3;
        } else {
            const int choices = four ? 4 : 3;
            for (int k = 1; k < choices; ++k)
                if (Distance(pixels[i], palette[k]) < Distance(pixels[i], palette[best])) best = static_cast<std::uint32_t>(k);
        }
        indices |= best << (2 * i);
    }
    Store16(out, c0);
    Store16(out + 2, c1);
    for (int k = 0; k < 4; ++k) out[4 + k] = static_cast<std::uint8_t>(indices >> (8 * k));
}

// DXT5 alpha: the eight-value mode between the block's largest and smallest alpha.
void EncodeAlpha5(const std::uint32_t pixels[16], std::uint8_t* out) {
    std::uint32_t a0 = 0, a1 = 255;
    for (int i = 0; i < 16; ++i) {
        a0 = std::max(a0, Channel(pixels[i], 24));
        a1 = std::min(a1, Channel(pixels[i], 24));
    }
    std::uint32_t palette[8] = {a0, a1};
    for (int i = 1; i < 7; ++i) palette[i + 1] = ((7 - i) * a0 + i * a1 + 3) / 7;
    std::uint64_t indices = 0;
    if (a0 != a1) {
        for (int i = 0; i < 16; ++i) {
            const int a = static_cast<int>(Channel(pixels[i], 24));
            std::uint64_t best = 0;
            for (int k = 1; k < 8; ++k)
                if (std::abs(a - static_cast<int>(palette[k])) < std::abs(a - static_cast<int>(palette[best]))) best = k;
            indices |= best << (3 * i);
        }
    }
    out[0] = static_cast<std::uint8_t>(a0);
    out[1] = static_cast<std::uint8_t>(a1);
    for (int k = 0; k < 6; ++k) out[2 + k] = static_cast<std::uint8_t>(indices >> (8 * k));
}

void EncodeAlpha3(const std::uint32_t pixels[16], std::uint8_t* out) {
    std::memset(out, 0, 8);
    for (int i = 0; i < 16; ++i)
        out[i / 2] |= static_cast<std::uint8_t>(Quantise(Channel(pixels[i], 24), 4) << ((i & 1) * 4));
}

void WriteBlocks(const PixelLevel& level, D3DFORMAT format, std::uint8_t* bits, std::size_t pitch) {
    const std::size_t blockBytes = gpu::DescribeFormat(format).bytesPerBlock;
    for (std::uint32_t by = 0; by < (level.height + 3) / 4; ++by) {
        for (std::uint32_t bx = 0; bx < (level.width + 3) / 4; ++bx) {
            std::uint32_t block[16];
            for (int i = 0; i < 16; ++i)  // edge pixels repeat into blocks that overhang the level
                block[i] = level.At(std::min(bx * 4 + (i & 3), level.width - 1),
                                    std::min(by * 4 + (i >> 2), level.height - 1));
            EncodeDxtBlock(block, format, bits + by * pitch + bx * blockBytes);
        }
    }
}

}  // namespace

bool CanWriteFormat(D3DFORMAT format) { return gpu::DescribeFormat(format).supported; }

void EncodeDxtBlock(const std::uint32_t pixels[16], D3DFORMAT format, std::uint8_t* out) {
    if (format == D3DFMT_DXT1) return EncodeColour(pixels, true, out);
    if (format == D3DFMT_DXT3) EncodeAlpha3(pixels, out);
    else EncodeAlpha5(pixels, out);
    EncodeColour(pixels, false, out + 8);
}

void WriteLevel(const PixelLevel& level, D3DFORMAT format, std::uint8_t* bits, std::size_t pitch) {
    const gpu::FormatInfo& f = gpu::DescribeFormat(format);
    if (!f.supported) return;
    if (f.compressed) return WriteBlocks(level, format, bits, pitch);
    const TexelPacker pack(f);
    for (std::uint32_t y = 0; y < level.height; ++y) {
        std::uint8_t* p = bits + y * pitch;
        for (std::uint32_t x = 0; x < level.width; ++x, p += f.bytesPerPixel) {
            const std::uint32_t v = pack(level.At(x, y));
            if (f.bytesPerPixel == 4) std::memcpy(p, &v, 4);  // texels are stored little-endian, as here
            else
                for (UINT k = 0; k < f.bytesPerPixel; ++k) p[k] = static_cast<std::uint8_t>(v >> (8 * k));
        }
    }
}

}  // namespace d3dx

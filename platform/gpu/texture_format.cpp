#include "platform/gpu/texture_format.h"

#include <algorithm>

namespace gpu {

const FormatInfo& DescribeFormat(D3DFORMAT format) {
    static constexpr FormatInfo kUnsupported{};
    for (const FormatInfo& f : kFormats)
        if (f.format == format) return f;
    return kUnsupported;
}

UINT FormatPitch(D3DFORMAT format, UINT width) {
    const FormatInfo& f = DescribeFormat(format);
    if (f.compressed) return std::max(1u, (width + 3) / 4) * f.bytesPerBlock;
    return width * f.bytesPerPixel;
}

UINT FormatRows(D3DFORMAT format, UINT height) {
    return DescribeFormat(format).compressed ? std::max(1u, (height + 3) / 4) : height;
}

namespace {

std::uint32_t Expand565(std::uint16_t c) {
    std::uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    r = (r << 3) | (r >> 2);
    g = (g << 2) | (g >> 4);
    b = (b << 3) | (b >> 2);
    return (r << 16) | (g << 8) | b;
}

std::uint32_t Mix(std::uint32_t a, std::uint32_t b, int wa, int wb, int div) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        std::uint32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= ((ca * wa + cb * wb + div / 2) / div) << shift;
    }
    return out;
}

// The colour half of a block: four palette entries and 2-bit indices.
void DecodeColourBlock(const BYTE* b, bool dxt1, std::uint32_t texels[16]) {
    std::uint16_t c0 = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    std::uint16_t c1 = static_cast<std::uint16_t>(b[2] | (b[3] << 8));
    std::uint32_t p[4];
    p[0] = Expand565(c0) | 0xFF000000u;
    p[1] = Expand565(c1) | 0xFF000000u;
    if (!dxt1 || c0 > c1) {
        p[2] = Mix(p[0], p[1], 2, 1, 3) | 0xFF000000u;
        p[3] = Mix(p[0], p[1], 1, 2, 3) | 0xFF000000u;
    } else {
        p[2] = Mix(p[0], p[1], 1, 1, 2) | 0xFF000000u;
        p[3] = 0;  // transparent black
    }
    std::uint32_t bits = b[4] | (b[5] << 8) | (b[6] << 16) | (static_cast<std::uint32_t>(b[7]) << 24);
    for (int i = 0; i < 16; ++i) texels[i] = p[(bits >> (2 * i)) & 3];
}

std::uint32_t ReadTexel(const BYTE* p, UINT bytes) {
    std::uint32_t t = 0;
    for (UINT k = 0; k < bytes; ++k) t |= static_cast<std::uint32_t>(p[k]) << (8 * k);
    return t;
}

// A channel of 5 or 6 bits widened to 8 with its top bits repeated below it: what the desktop
// upload of 5_6_5 texels into RGB8 stores, so both GLs sample the same values.
BYTE Widen8(std::uint32_t v, unsigned bits) {
    return static_cast<BYTE>((v << (8 - bits)) | (v >> (2 * bits - 8)));
}

}  // namespace

void ConvertForEs(const FormatInfo& f, const BYTE* texels, std::size_t count, std::vector<BYTE>& out) {
    const UINT bytes = f.compressed ? 4 : f.bytesPerPixel;
    const std::uint32_t padding = f.compressed ? 0 : PaddingMask(f);
    switch (f.esOrder) {
        case EsOrder::kSwapRedBlue:
            out.resize(count * bytes);
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint32_t t = ReadTexel(texels + i * bytes, bytes) | padding;
                BYTE* o = &out[i * bytes];
                o[0] = static_cast<BYTE>(t >> 16);
                o[1] = static_cast<BYTE>(t >> 8);
                o[2] = static_cast<BYTE>(t);
                if (bytes == 4) o[3] = static_cast<BYTE>(t >> 24);
            }
            return;
        case EsOrder::kAlphaLowest: {
            const unsigned colour = f.bits.r + f.bits.g + f.bits.b;
            out.resize(count * 2);
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint32_t t = ReadTexel(texels + i * 2, 2) | padding;
                const std::uint32_t es = ((t << (16 - colour)) | (t >> colour)) & 0xFFFFu;
                out[i * 2] = static_cast<BYTE>(es);
                out[i * 2 + 1] = static_cast<BYTE>(es >> 8);
            }
            return;
        }
        case EsOrder::kRgbBytes:
            out.resize(count * 3);
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint32_t t = ReadTexel(texels + i * 2, 2);
                BYTE* o = &out[i * 3];
                o[0] = Widen8((t >> (f.bits.b + f.bits.g)) & ((1u << f.bits.r) - 1u), f.bits.r);
                o[1] = Widen8((t >> f.bits.b) & ((1u << f.bits.g) - 1u), f.bits.g);
                o[2] = Widen8(t & ((1u << f.bits.b) - 1u), f.bits.b);
            }
            return;
        case EsOrder::kToRgba: {
            // One byte of luminance and one of alpha at most, luminance first.
            const std::uint32_t lumaMask = ColourMask(f), alphaMask = AlphaMask(f);
            out.resize(count * 4);
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint32_t t = ReadTexel(texels + i * bytes, bytes);
                BYTE* o = &out[i * 4];
                o[0] = o[1] = o[2] = static_cast<BYTE>(t & lumaMask);
                o[3] = alphaMask ? static_cast<BYTE>((t & alphaMask) >> f.bits.l) : BYTE{0xFF};
            }
            return;
        }
    }
}

void DecodeDxt(D3DFORMAT format, const BYTE* blocks, UINT width, UINT height, std::vector<std::uint32_t>& out) {
    out.assign(static_cast<std::size_t>(width) * height, 0);
    const UINT bw = std::max(1u, (width + 3) / 4), bh = std::max(1u, (height + 3) / 4);
    const UINT blockBytes = DescribeFormat(format).bytesPerBlock;
    if (blockBytes == 0) return;  // not a block format
    for (UINT by = 0; by < bh; ++by) {
        for (UINT bx = 0; bx < bw; ++bx) {
            const BYTE* b = blocks + (static_cast<std::size_t>(by) * bw + bx) * blockBytes;
            std::uint32_t texels[16];
            std::uint32_t alpha[16];
            if (format == D3DFMT_DXT1) {
                DecodeColourBlock(b, true, texels);
                for (int i = 0; i < 16; ++i) alpha[i] = texels[i] >> 24;
            } else {
                DecodeColourBlock(b + 8, false, texels);
                if (format == D3DFMT_DXT3) {
                    for (int i = 0; i < 16; ++i) {
                        std::uint32_t a = (b[i / 2] >> ((i & 1) * 4)) & 0xF;
                        alpha[i] = a * 17;
                    }
                } else {
                    std::uint32_t a[8];
                    a[0] = b[0];
                    a[1] = b[1];
                    if (a[0] > a[1]) {
                        for (int i = 1; i < 7; ++i) a[i + 1] = ((7 - i) * a[0] + i * a[1] + 3) / 7;
                    } else {
                        for (int i = 1; i < 5; ++i) a[i + 1] = ((5 - i) * a[0] + i * a[1] + 2) / 5;
                        a[6] = 0;
                        a[7] = 255;
                    }
                    std::uint64_t bits = 0;
                    for (int i = 0; i < 6; ++i) bits |= static_cast<std::uint64_t>(b[2 + i]) << (8 * i);
                    for (int i = 0; i < 16; ++i) alpha[i] = a[(bits >> (3 * i)) & 7];
                }
            }
            for (int i = 0; i < 16; ++i) {
                UINT x = bx * 4 + (i & 3), y = by * 4 + (i >> 2);
                if (x < width && y < height) out[static_cast<std::size_t>(y) * width + x] = (texels[i] & 0xFFFFFF) | (alpha[i] << 24);
            }
        }
    }
}

}  // namespace gpu

// DirectDraw surfaces: uncompressed RGB(A), luminance and alpha pixels described by masks, and
// DXT1/3/5 blocks, each with the mip levels the file holds.
#include <algorithm>

#include "platform/d3dx/image_bytes.h"
#include "platform/d3dx/image_decoders.h"
#include "platform/d3dx/image_masks.h"

namespace d3dx {

namespace {

constexpr std::uint32_t kMagic = 0x20534444;  // "DDS "
constexpr std::uint32_t kFlagMipCount = 0x20000;
constexpr std::uint32_t kPfAlphaPixels = 0x1, kPfAlpha = 0x2, kPfFourCc = 0x4, kPfRgb = 0x40,
                        kPfLuminance = 0x20000;
constexpr std::uint32_t kCaps2CubeMap = 0x200, kCaps2Volume = 0x200000;

struct DdsHeader {
    std::uint32_t size = 0, flags = 0, height = 0, width = 0, pitch = 0, depth = 0, mipCount = 0;
    std::uint32_t pfSize = 0, pfFlags = 0, fourCc = 0, bitCount = 0, masks[4] = {0, 0, 0, 0};
    std::uint32_t caps = 0, caps2 = 0;

    bool Read(ByteReader& in) {
        bool ok = in.U32(size) && in.U32(flags) && in.U32(height) && in.U32(width) && in.U32(pitch) &&
                  in.U32(depth) && in.U32(mipCount) && in.Skip(11 * 4) && in.U32(pfSize) && in.U32(pfFlags) &&
                  in.U32(fourCc) && in.U32(bitCount);
        for (std::uint32_t& m : masks) ok = ok && in.U32(m);
        return ok && in.U32(caps) && in.U32(caps2) && in.Skip(3 * 4);
    }
};

std::uint32_t FullChain(std::uint32_t width, std::uint32_t height) {
    std::uint32_t levels = 1;
    while ((width >> levels) || (height >> levels)) ++levels;
    return levels;
}

class DdsDecoder {
public:
    DdsDecoder(ByteSpan data, const char* name) : in_(data), name_(name) {}

    HRESULT Run(DecodedImage& image) {
        std::uint32_t magic = 0;
        if (!in_.U32(magic)) return InvalidData(name_, "truncated DDS file");
        if (magic != kMagic) return InvalidData(name_, "not a DDS file (no \"DDS \" signature)");
        if (!h_.Read(in_)) return InvalidData(name_, "truncated DDS header");
        if (h_.size != 124 || h_.pfSize != 32) return InvalidData(name_, "bad DDS header sizes %u and %u", h_.size, h_.pfSize);
        if (h_.caps2 & (kCaps2CubeMap | kCaps2Volume)) return InvalidData(name_, "cube and volume textures are not supported");
        HRESULT hr = CheckImageSize(name_, h_.width, h_.height);
        if (FAILED(hr)) return hr;
        std::uint32_t levels = (h_.flags & kFlagMipCount) && h_.mipCount > 1 ? h_.mipCount : 1;
        levels = std::min(levels, FullChain(h_.width, h_.height));  // extra levels are ignored
        image.fileFormat = D3DXIFF_DDS;
        if (h_.pfFlags & kPfFourCc) return ReadBlocks(levels, image);
        return ReadPixels(levels, image);
    }

private:
    HRESULT ReadBlocks(std::uint32_t levels, DecodedImage& image) {
        D3DFORMAT format = static_cast<D3DFORMAT>(h_.fourCc);
        if (format != D3DFMT_DXT1 && format != D3DFMT_DXT3 && format != D3DFMT_DXT5) {
            char code[5] = {0};
            for (int i = 0; i < 4; ++i) {
                char c = static_cast<char>((h_.fourCc >> (8 * i)) & 0xFF);
                code[i] = c >= 32 && c < 127 ? c : '?';
            }
            return InvalidData(name_, "unsupported DDS compression \"%s\"", code);
        }
        const std::uint64_t blockBytes = format == D3DFMT_DXT1 ? 8 : 16;
        std::vector<BlockLevel> out;
        out.reserve(levels);
        for (std::uint32_t i = 0; i < levels; ++i) {
            BlockLevel level;
            level.width = std::max(1u, h_.width >> i);
            level.height = std::max(1u, h_.height >> i);
            const std::uint64_t bytes =
                std::uint64_t{(level.width + 3) / 4} * ((level.height + 3) / 4) * blockBytes;
            const std::uint8_t* p = in_.Take(bytes);
            if (!p) return InvalidData(name_, "truncated DXT data in mip level %u", i);
            level.blocks.assign(p, p + bytes);
            out.push_back(std::move(level));
        }
        image.blockFormat = format;
        image.sourceFormat = format;
        image.hasAlpha = true;
        image.blockLevels = std::move(out);
        return S_OK;
    }

    HRESULT ReadPixels(std::uint32_t levels, DecodedImage& image) {
        const std::uint32_t f = h_.pfFlags;
        if (!(f & (kPfRgb | kPfLuminance | kPfAlpha))) return InvalidData(name_, "DDS pixel format without colour (flags 0x%x)", f);
        const unsigned bits = h_.bitCount;
        if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return InvalidData(name_, "unsupported DDS pixel depth %u", bits);
        PixelMasks masks;
        masks.luminance = (f & kPfLuminance) != 0;
        if (f & (kPfRgb | kPfLuminance)) masks.red = ChannelMask(h_.masks[0]);
        if (f & kPfRgb) masks.green = ChannelMask(h_.masks[1]), masks.blue = ChannelMask(h_.masks[2]);
        const bool alpha = (f & (kPfAlphaPixels | kPfAlpha)) && h_.masks[3] != 0;
        if (alpha) masks.alpha = ChannelMask(h_.masks[3]);
        if (!masks.red.Present() && !alpha) return InvalidData(name_, "DDS pixel format without channel masks");
        const unsigned bytes = bits / 8;
        std::vector<PixelLevel> out(levels);
        for (std::uint32_t i = 0; i < levels; ++i) {
            const std::uint32_t w = std::max(1u, h_.width >> i), h = std::max(1u, h_.height >> i);
            const std::uint8_t* p = in_.Take(std::uint64_t{w} * h * bytes);
            if (!p) return InvalidData(name_, "truncated pixel data in mip level %u", i);
            HRESULT hr = AllocateLevel(name_, w, h, out[i]);
            if (FAILED(hr)) return hr;
            for (std::uint32_t& pixel : out[i].pixels) {
                pixel = masks.ToArgb(ByteReader::LoadBytes(p, bytes));
                p += bytes;
            }
        }
        image.hasAlpha = alpha;
        image.sourceFormat = SourceFormat(alpha);
        image.levels = std::move(out);
        return S_OK;
    }

    D3DFORMAT SourceFormat(bool alpha) const {
        const std::uint32_t r = h_.masks[0], g = h_.masks[1], a = h_.masks[3];
        if (h_.pfFlags & kPfLuminance) return alpha ? D3DFMT_A8L8 : D3DFMT_L8;
        if (!(h_.pfFlags & kPfRgb)) return D3DFMT_A8;
        switch (h_.bitCount) {
            case 16:
                if (g == 0x07E0) return D3DFMT_R5G6B5;
                if (r == 0x0F00) return alpha ? D3DFMT_A4R4G4B4 : D3DFMT_X4R4G4B4;
                return alpha && a == 0x8000 ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5;
            case 24: return D3DFMT_R8G8B8;
            default: return alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
        }
    }

    ByteReader in_;
    const char* name_;
    DdsHeader h_;
};

}  // namespace

HRESULT DecodeDds(ByteSpan data, const char* name, DecodedImage& image) { return DdsDecoder(data, name).Run(image); }

}  // namespace d3dx

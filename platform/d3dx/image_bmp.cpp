// Windows bitmaps: uncompressed palette images of 1, 4 and 8 bits, 16-, 24- and 32-bit pixels
// (BI_RGB, or BI_BITFIELDS masks for 16 and 32 bits), bottom-up or top-down rows.
#include <algorithm>

#include "platform/d3dx/image_bytes.h"
#include "platform/d3dx/image_decoders.h"
#include "platform/d3dx/image_masks.h"

namespace d3dx {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kFileHeaderSize = 14;

struct BmpInfo {
    std::uint32_t headerSize = 0;
    std::int64_t width = 0, height = 0;
    std::uint16_t planes = 0, bitCount = 0;
    std::uint32_t compression = kBiRgb, coloursUsed = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    bool hasAlphaMask = false;
};

class BmpDecoder {
public:
    BmpDecoder(ByteSpan data, const char* name) : in_(data), name_(name) {}

    HRESULT Run(DecodedImage& image) {
        std::uint16_t magic = 0, reserved = 0;
        std::uint32_t fileSize = 0, pixelOffset = 0;
        if (!in_.U16(magic) || !in_.U32(fileSize) || !in_.U16(reserved) || !in_.U16(reserved) || !in_.U32(pixelOffset))
            return InvalidData(name_, "truncated bitmap file header");
        if (magic != 0x4D42) return InvalidData(name_, "not a bitmap (no BM signature)");
        HRESULT hr = ReadInfo();
        if (FAILED(hr)) return hr;
        if (FAILED(hr = ReadPalette())) return hr;
        if (FAILED(hr = CheckImageSize(name_, static_cast<std::uint64_t>(info_.width),
                                       static_cast<std::uint64_t>(info_.height < 0 ? -info_.height : info_.height))))
            return hr;
        const auto width = static_cast<std::uint32_t>(info_.width);
        const auto height = static_cast<std::uint32_t>(info_.height < 0 ? -info_.height : info_.height);
        const std::uint64_t stride = (std::uint64_t{width} * info_.bitCount + 31) / 32 * 4;
        // The last row needs only its pixels, not its padding.
        const std::uint64_t lastRow = (std::uint64_t{width} * info_.bitCount + 7) / 8;
        if (!in_.Seek(pixelOffset) || !in_.Has(stride * (height - 1) + lastRow))
            return InvalidData(name_, "truncated pixel data (%llu rows of %llu bytes from offset %u)",
                        static_cast<unsigned long long>(height), static_cast<unsigned long long>(stride), pixelOffset);
        std::vector<PixelLevel> levels(1);
        if (FAILED(hr = AllocateLevel(name_, width, height, levels[0]))) return hr;
        const std::uint8_t* base = in_.Take(0);
        for (std::uint32_t row = 0; row < height; ++row) {
            const std::uint32_t y = info_.height < 0 ? row : height - 1 - row;
            if (FAILED(hr = ReadRow(base + stride * row, &levels[0].pixels[std::size_t{y} * width], width))) return hr;
        }
        image.fileFormat = D3DXIFF_BMP;
        image.hasAlpha = info_.hasAlphaMask;
        image.sourceFormat = SourceFormat();
        image.levels = std::move(levels);
        return S_OK;
    }

private:
    HRESULT ReadInfo() {
        if (!in_.U32(info_.headerSize)) return InvalidData(name_, "truncated bitmap information header");
        if (info_.headerSize == 12) {  // OS/2 core header: 16-bit sizes, 3-byte palette entries
            std::uint16_t w = 0, h = 0;
            if (!in_.U16(w) || !in_.U16(h) || !in_.U16(info_.planes) || !in_.U16(info_.bitCount))
                return InvalidData(name_, "truncated bitmap core header");
            info_.width = w;
            info_.height = h;
        } else if (info_.headerSize >= 40 && info_.headerSize <= 1024) {
            std::int32_t w = 0, h = 0;
            std::uint32_t skip = 0;
            if (!in_.I32(w) || !in_.I32(h) || !in_.U16(info_.planes) || !in_.U16(info_.bitCount) ||
                !in_.U32(info_.compression) || !in_.U32(skip) || !in_.U32(skip) || !in_.U32(skip) ||
                !in_.U32(info_.coloursUsed) || !in_.U32(skip))
                return InvalidData(name_, "truncated bitmap information header");
            info_.width = w;
            info_.height = h;
            if (info_.compression == kBiBitfields) {
                // Masks follow a 40-byte header, or sit inside a larger one (alpha only there).
                const unsigned count = info_.headerSize >= 56 ? 4 : 3;
                for (unsigned i = 0; i < count; ++i)
                    if (!in_.U32(info_.masks[i])) return InvalidData(name_, "truncated bit-field masks");
                info_.hasAlphaMask = count == 4 && info_.masks[3] != 0;
            }
        } else {
            return InvalidData(name_, "unsupported bitmap header size %u", info_.headerSize);
        }
        if (info_.width <= 0 || info_.height == 0 || info_.height == INT32_MIN)
            return InvalidData(name_, "bad bitmap size %lldx%lld", static_cast<long long>(info_.width),
                        static_cast<long long>(info_.height));
        const unsigned bits = info_.bitCount;
        if (info_.compression == kBiRgb) {
            if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
                return InvalidData(name_, "unsupported bitmap depth of %u bits", bits);
            if (bits == 16) info_.masks[0] = 0x7C00, info_.masks[1] = 0x03E0, info_.masks[2] = 0x001F;
            if (bits >= 24) info_.masks[0] = 0xFF0000, info_.masks[1] = 0xFF00, info_.masks[2] = 0xFF;
        } else if (info_.compression == kBiBitfields) {
            if (bits != 16 && bits != 32) return InvalidData(name_, "bit-field masks with %u bits per pixel", bits);
        } else {
            return InvalidData(name_, "unsupported bitmap compression %u", info_.compression);
        }
        masks_.red = ChannelMask(info_.masks[0]);
        masks_.green = ChannelMask(info_.masks[1]);
        masks_.blue = ChannelMask(info_.masks[2]);
        masks_.alpha = ChannelMask(info_.masks[3]);
        // The palette follows the information header (and a 40-byte header's masks).
        const std::uint64_t after = kFileHeaderSize + std::uint64_t{info_.headerSize} +
                                    (info_.compression == kBiBitfields && info_.headerSize == 40 ? 12 : 0);
        if (!in_.Seek(after)) return InvalidData(name_, "truncated bitmap information header");
        return S_OK;
    }

    HRESULT ReadPalette() {
        if (info_.bitCount > 8) return S_OK;
        const std::uint32_t most = 1u << info_.bitCount;
        const std::uint32_t count = info_.coloursUsed == 0 ? most : info_.coloursUsed;
        if (count > most) return InvalidData(name_, "palette of %u colours for %u-bit pixels", count, info_.bitCount);
        const unsigned entry = info_.headerSize == 12 ? 3 : 4;
        const std::uint8_t* p = in_.Take(std::uint64_t{count} * entry);
        if (!p) return InvalidData(name_, "truncated palette (%u colours)", count);
        palette_.resize(count);
        for (std::uint32_t i = 0; i < count; ++i, p += entry)
            palette_[i] = 0xFF000000u | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
        return S_OK;
    }

    HRESULT ReadRow(const std::uint8_t* row, std::uint32_t* out, std::uint32_t width) {
        const unsigned bits = info_.bitCount;
        if (bits <= 8) {
            const unsigned perByte = 8 / bits, mask = (1u << bits) - 1;
            for (std::uint32_t x = 0; x < width; ++x) {
                const unsigned shift = 8 - bits * (x % perByte + 1);
                const std::uint32_t index = (row[x / perByte] >> shift) & mask;
                if (index >= palette_.size())
                    return InvalidData(name_, "palette index %u outside the %zu colours", index, palette_.size());
                out[x] = palette_[index];
            }
            return S_OK;
        }
        const unsigned bytes = bits / 8;
        for (std::uint32_t x = 0; x < width; ++x, row += bytes) out[x] = masks_.ToArgb(ByteReader::LoadBytes(row, bytes));
        return S_OK;
    }

    D3DFORMAT SourceFormat() const {
        switch (info_.bitCount) {
            case 16:
                if (info_.masks[1] == 0x07E0) return D3DFMT_R5G6B5;
                return info_.hasAlphaMask ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5;
            case 24: return D3DFMT_R8G8B8;
            case 32: return info_.hasAlphaMask ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
            default: return kFormatP8;
        }
    }

    ByteReader in_;
    const char* name_;
    BmpInfo info_;
    PixelMasks masks_;
    std::vector<std::uint32_t> palette_;
};

}  // namespace

HRESULT DecodeBmp(ByteSpan data, const char* name, DecodedImage& image) { return BmpDecoder(data, name).Run(image); }

}  // namespace d3dx

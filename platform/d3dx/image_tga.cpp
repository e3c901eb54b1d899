// Targa: colour-mapped (1, 9), true-colour (2, 10) and grey (3, 11) images, uncompressed or
// run-length encoded, stored from the bottom-left or the top-left corner.
#include <algorithm>
#include <array>

#include "platform/d3dx/image_bytes.h"
#include "platform/d3dx/image_decoders.h"

namespace d3dx {

namespace {

struct TgaHeader {
    std::uint8_t idLength = 0, mapType = 0, imageType = 0;
    std::uint16_t mapFirst = 0, mapLength = 0;
    std::uint8_t mapEntryBits = 0;
    std::uint16_t xOrigin = 0, yOrigin = 0, width = 0, height = 0;
    std::uint8_t pixelBits = 0, descriptor = 0;

    bool Read(ByteReader& in) {
        return in.U8(idLength) && in.U8(mapType) && in.U8(imageType) && in.U16(mapFirst) && in.U16(mapLength) &&
               in.U8(mapEntryBits) && in.U16(xOrigin) && in.U16(yOrigin) && in.U16(width) && in.U16(height) &&
               in.U8(pixelBits) && in.U8(descriptor);
    }
    unsigned AlphaBits() const { return descriptor & 0x0F; }
    bool RightToLeft() const { return (descriptor & 0x10) != 0; }
    bool TopDown() const { return (descriptor & 0x20) != 0; }
    unsigned Kind() const { return imageType & 7; }  // 1 mapped, 2 true colour, 3 grey
    bool Rle() const { return (imageType & 8) != 0; }
};

// A true-colour value of 15, 16, 24 or 32 bits to 0xAARRGGBB; 16-bit alpha only with `alpha1`.
std::uint32_t TrueColour(std::uint32_t raw, unsigned bits, bool alpha1) {
    if (bits <= 16) {
        auto widen = [](std::uint32_t v) { return (v << 3) | (v >> 2); };
        std::uint32_t b = widen(raw & 31), g = widen((raw >> 5) & 31), r = widen((raw >> 10) & 31);
        std::uint32_t a = (!alpha1 || (raw & 0x8000)) ? 0xFF : 0;
        return (a << 24) | (r << 16) | (g << 8) | b;
    }
    if (bits == 24) return 0xFF000000u | raw;
    return raw;
}

class TgaDecoder {
public:
    TgaDecoder(ByteSpan data, const char* name) : in_(data), name_(name) {}

    HRESULT Run(DecodedImage& image) {
        if (!h_.Read(in_)) return InvalidData(name_, "truncated header (%zu bytes)", in_.Size());
        HRESULT hr = CheckFormat();
        if (FAILED(hr)) return hr;
        if (!in_.Skip(h_.idLength)) return InvalidData(name_, "truncated image identification field");
        if (FAILED(hr = ReadMap())) return hr;
        if (FAILED(hr = CheckImageSize(name_, h_.width, h_.height))) return hr;
        const std::uint64_t count = std::uint64_t{h_.width} * h_.height;
        // Before allocating: enough bytes for the pixels (RLE: one full 128-pixel run per packet).
        const std::uint64_t need = h_.Rle() ? (count + 127) / 128 * (1 + pixelBytes_) : count * pixelBytes_;
        if (!in_.Has(need)) return InvalidData(name_, "truncated pixel data (%zu of at least %llu bytes)", in_.Remaining(),
                                         static_cast<unsigned long long>(need));
        std::vector<PixelLevel> levels(1);
        if (FAILED(hr = AllocateLevel(name_, h_.width, h_.height, levels[0]))) return hr;
        if (FAILED(hr = h_.Rle() ? ReadRle(levels[0]) : ReadRaw(levels[0]))) return hr;
        Orient(levels[0]);
        Finish(levels[0], image);
        image.levels = std::move(levels);
        return S_OK;
    }

private:
    HRESULT CheckFormat() {
        const unsigned kind = h_.Kind();
        if (h_.imageType == 0) return InvalidData(name_, "Targa file without image data");
        if ((h_.imageType & ~8u) > 3 || kind == 0) return InvalidData(name_, "unsupported Targa image type %u", h_.imageType);
        if (h_.mapType > 1) return InvalidData(name_, "unknown Targa colour-map type %u", h_.mapType);
        const unsigned bits = h_.pixelBits;
        bool ok = false;
        if (kind == 1) ok = h_.mapType == 1 && (bits == 8 || bits == 16);
        if (kind == 2) ok = bits == 15 || bits == 16 || bits == 24 || bits == 32;
        if (kind == 3) ok = bits == 8 || bits == 16;
        if (!ok) return InvalidData(name_, "unsupported Targa pixel depth %u for image type %u", bits, h_.imageType);
        pixelBytes_ = (bits + 7) / 8;
        return S_OK;
    }

    HRESULT ReadMap() {
        if (h_.mapType != 1) return S_OK;
        const unsigned bits = h_.mapEntryBits;
        if (bits != 15 && bits != 16 && bits != 24 && bits != 32)
            return InvalidData(name_, "unsupported Targa colour-map entry size %u", bits);
        const unsigned bytes = (bits + 7) / 8;
        const std::uint8_t* entries = in_.Take(std::uint64_t{h_.mapLength} * bytes);
        if (!entries) return InvalidData(name_, "truncated colour map (%u entries)", h_.mapLength);
        if (h_.Kind() != 1) return S_OK;  // a map in a true-colour or grey file is skipped
        map_.resize(h_.mapLength);
        for (unsigned i = 0; i < h_.mapLength; ++i)
            map_[i] = TrueColour(ReadRawBytes(entries + i * bytes, bytes), bits, h_.AlphaBits() > 0);
        mapAlpha_ = bits == 32 || (bits == 16 && h_.AlphaBits() > 0);
        return S_OK;
    }

    static std::uint32_t ReadRawBytes(const std::uint8_t* p, unsigned count) { return ByteReader::LoadBytes(p, count); }

    // One stored pixel to 0xAARRGGBB; false for an index outside the colour map.
    bool Convert(const std::uint8_t* p, std::uint32_t& out) const {
        const std::uint32_t raw = ReadRawBytes(p, pixelBytes_);
        switch (h_.Kind()) {
            case 1: {
                if (raw < h_.mapFirst || raw - h_.mapFirst >= map_.size()) return false;
                out = map_[raw - h_.mapFirst];
                return true;
            }
            case 2: out = TrueColour(raw, h_.pixelBits, h_.AlphaBits() > 0); return true;
            default: {
                std::uint32_t grey = raw & 0xFF;
                std::uint32_t alpha = h_.pixelBits == 16 ? raw >> 8 : 0xFF;
                out = (alpha << 24) | (grey << 16) | (grey << 8) | grey;
                return true;
            }
        }
    }

    HRESULT BadIndex(const std::uint8_t* p) {
        return InvalidData(name_, "colour-map index %u outside the map (first %u, %u entries)", ReadRawBytes(p, pixelBytes_),
                    h_.mapFirst, h_.mapLength);
    }

    HRESULT ReadRaw(PixelLevel& level) {
        const std::uint8_t* p = in_.Take(static_cast<std::uint64_t>(level.pixels.size()) * pixelBytes_);
        if (!p) return InvalidData(name_, "truncated pixel data");
        for (std::uint32_t& pixel : level.pixels) {
            if (!Convert(p, pixel)) return BadIndex(p);
            p += pixelBytes_;
        }
        return S_OK;
    }

    // Packets run through the pixels in file order and may cross rows; a packet reaching past
    // the last pixel is cut there.
    HRESULT ReadRle(PixelLevel& level) {
        std::size_t at = 0;
        const std::size_t total = level.pixels.size();
        while (at < total) {
            std::uint8_t packet = 0;
            if (!in_.U8(packet)) return InvalidData(name_, "truncated run-length data at pixel %zu of %zu", at, total);
            const std::size_t count = std::min<std::size_t>((packet & 0x7F) + 1u, total - at);
            const bool run = (packet & 0x80) != 0;
            const std::uint8_t* p = in_.Take(std::uint64_t{run ? 1u : static_cast<unsigned>(count)} * pixelBytes_);
            if (!p) return InvalidData(name_, "truncated run-length data at pixel %zu of %zu", at, total);
            for (std::size_t i = 0; i < count; ++i) {
                if (!Convert(p, level.pixels[at + i])) return BadIndex(p);
                if (!run) p += pixelBytes_;
            }
            at += count;
        }
        return S_OK;
    }

    void Orient(PixelLevel& level) const {
        const std::size_t w = level.width;
        if (!h_.TopDown()) {
            for (std::size_t top = 0, bottom = level.height - 1; top < bottom; ++top, --bottom)
                std::swap_ranges(level.pixels.begin() + top * w, level.pixels.begin() + (top + 1) * w,
                                 level.pixels.begin() + bottom * w);
        }
        if (h_.RightToLeft()) {
            for (std::size_t y = 0; y < level.height; ++y)
                std::reverse(level.pixels.begin() + y * w, level.pixels.begin() + (y + 1) * w);
        }
    }

    // Alpha: 32-bit pixels (or map entries), 16-bit pixels with alpha bits, grey with alpha. A
    // channel that is zero everywhere in a file that declares no alpha bits is padding.
    void Finish(PixelLevel& level, DecodedImage& image) const {
        const unsigned kind = h_.Kind(), bits = h_.pixelBits;
        bool alpha = (kind == 1 && mapAlpha_) || (kind == 2 && (bits == 32 || (bits == 16 && h_.AlphaBits() > 0))) ||
                     (kind == 3 && bits == 16);
        if (alpha && h_.AlphaBits() == 0 && kind != 3 &&
            std::all_of(level.pixels.begin(), level.pixels.end(), [](std::uint32_t c) { return (c >> 24) == 0; })) {
            for (std::uint32_t& c : level.pixels) c |= 0xFF000000u;
            alpha = false;
        }
        image.fileFormat = D3DXIFF_TGA;
        image.hasAlpha = alpha;
        if (kind == 1) image.sourceFormat = kFormatP8;
        else if (kind == 3) image.sourceFormat = bits == 16 ? D3DFMT_A8L8 : D3DFMT_L8;
        else if (bits == 24) image.sourceFormat = D3DFMT_R8G8B8;
        else if (bits == 32) image.sourceFormat = alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
        else image.sourceFormat = alpha ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5;
    }

    ByteReader in_;
    const char* name_;
    TgaHeader h_;
    unsigned pixelBytes_ = 1;
    std::vector<std::uint32_t> map_;
    bool mapAlpha_ = false;
};

}  // namespace

HRESULT DecodeTga(ByteSpan data, const char* name, DecodedImage& image) {
    return TgaDecoder(data, name).Run(image);
}

}  // namespace d3dx

#include <cctype>
#include <cstring>
#include <string_view>

#include "platform/d3dx/image_decoders.h"

namespace d3dx {

namespace {

bool StartsWith(ByteSpan data, std::string_view magic) {
    return data.size() >= magic.size() && std::memcmp(data.data(), magic.data(), magic.size()) == 0;
}

bool ExtensionIs(const char* name, std::string_view extension) {
    if (!name) return false;
    std::string_view n(name);
    if (n.size() < extension.size()) return false;
    n = n.substr(n.size() - extension.size());
    for (std::size_t i = 0; i < n.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(n[i])) != extension[i]) return false;
    return true;
}

// A Targa header whose image type, colour map and depth make sense.
bool LooksLikeTga(ByteSpan d) {
    if (d.size() < 18) return false;
    const unsigned mapType = d[1], type = d[2], mapBits = d[7], bits = d[16];
    const unsigned width = d[12] | (d[13] << 8), height = d[14] | (d[15] << 8);
    if (mapType > 1 || width == 0 || height == 0) return false;
    if (mapType == 1 && mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) return false;
    switch (type) {
        case 1: case 9: return mapType == 1 && (bits == 8 || bits == 16);
        case 2: case 10: return bits == 15 || bits == 16 || bits == 24 || bits == 32;
        case 3: case 11: return bits == 8 || bits == 16;
        default: return false;
    }
}

}  // namespace

bool DetectImageFormat(ByteSpan data, const char* name, D3DXIMAGE_FILEFORMAT& format) {
    if (StartsWith(data, "\xFF\xD8\xFF")) format = D3DXIFF_JPG;
    else if (StartsWith(data, "\x89PNG\r\n\x1A\n")) format = D3DXIFF_PNG;
    else if (StartsWith(data, "DDS ")) format = D3DXIFF_DDS;
    else if (StartsWith(data, "BM")) format = D3DXIFF_BMP;
    else if (ExtensionIs(name, ".tga")) format = D3DXIFF_TGA;
    else if (ExtensionIs(name, ".jpg") || ExtensionIs(name, ".jpeg")) format = D3DXIFF_JPG;
    else if (ExtensionIs(name, ".png")) format = D3DXIFF_PNG;
    else if (ExtensionIs(name, ".dds")) format = D3DXIFF_DDS;
    else if (ExtensionIs(name, ".bmp")) format = D3DXIFF_BMP;
    else if (LooksLikeTga(data)) format = D3DXIFF_TGA;
    else return false;
    return true;
}

HRESULT DecodeImage(ByteSpan data, const char* name, DecodedImage& image) {
    D3DXIMAGE_FILEFORMAT format = D3DXIFF_BMP;
    if (!DetectImageFormat(data, name, format))
        return ImageError(name, D3DXERR_INVALIDDATA, "unrecognised image format (%zu bytes)", data.size());
    switch (format) {
        case D3DXIFF_JPG: return DecodeJpeg(data, name, image);
        case D3DXIFF_PNG: return DecodePng(data, name, image);
        case D3DXIFF_DDS: return DecodeDds(data, name, image);
        case D3DXIFF_BMP: return DecodeBmp(data, name, image);
        default: return DecodeTga(data, name, image);
    }
}

}  // namespace d3dx

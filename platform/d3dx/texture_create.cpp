// Textures from image files: decode, optionally stretch and colour-key, build the mip chain and
// fill every level of a texture made by the device.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/d3dx/d3dx8tex.h"
#include "platform/d3dx/image_decoders.h"
#include "platform/d3dx/texture_resample.h"
#include "platform/d3dx/texture_write.h"
#include "platform/file/data_file.h"
#include "platform/gpu/texture_format.h"

namespace d3dx {

namespace {

constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;

struct Request {
    UINT width, height, mipLevels;
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
    Filter filter, mipFilter;
    D3DCOLOR colourKey;
};

// The image's levels as pixels (DXT blocks decoded), colour-keyed, stretched to the target
// size when it differs (the file's further levels are then dropped), then extended to `count`
// levels by halving.
std::vector<PixelLevel> PixelChain(const DecodedImage& image, const Request& r, UINT width, UINT height, UINT count,
                                   bool& keyed) {
    std::vector<PixelLevel> chain;
    if (image.Compressed()) {
        for (const BlockLevel& b : image.blockLevels) {
            PixelLevel level;
            level.width = b.width;
            level.height = b.height;
            gpu::DecodeDxt(image.blockFormat, b.blocks.data(), b.width, b.height, level.pixels);
            chain.push_back(std::move(level));
        }
    } else {
        chain = image.levels;
    }
    keyed = false;
    if (r.colourKey != 0)
        for (PixelLevel& level : chain) keyed = ApplyColourKey(level, r.colourKey) || keyed;
    if (chain[0].width != width || chain[0].height != height) {
        PixelLevel stretched = Resize(chain[0], width, height, r.filter);
        chain.clear();
        chain.push_back(std::move(stretched));
    }
    if (chain.size() > count) chain.resize(count);
    while (chain.size() < count) chain.push_back(HalveLevel(chain.back(), r.mipFilter));
    return chain;
}

// An explicit format the writer knows is kept; otherwise a compressed file keeps its DXT
// format (unless stretched or keyed), and other images get 32 bits with or without alpha.
D3DFORMAT ChooseFormat(const DecodedImage& image, const Request& r, bool blocksFit, bool alpha) {
    if (r.format != D3DFMT_UNKNOWN && CanWriteFormat(r.format)) return r.format;
    if (blocksFit) return image.blockFormat;
    return alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

UINT FullChain(UINT width, UINT height) {
    UINT levels = 1;
    while ((width >> levels) || (height >> levels)) ++levels;
    return levels;
}

HRESULT FillLevel(IDirect3DTexture8* texture, UINT index, const char* name, D3DFORMAT format,
                  const BlockLevel* blocks, const PixelLevel* pixels) {
    D3DLOCKED_RECT locked{};
    HRESULT hr = texture->LockRect(index, &locked, nullptr, 0);
    if (FAILED(hr)) return ImageError(name, hr, "cannot lock texture level %u", index);
    auto* bits = static_cast<std::uint8_t*>(locked.pBits);
    const auto pitch = static_cast<std::size_t>(locked.Pitch);
    if (blocks) {
        const std::size_t rowBytes = gpu::FormatPitch(format, blocks->width);
        const std::size_t rows = gpu::FormatRows(format, blocks->height);
        for (std::size_t row = 0; row < rows; ++row)
            std::memcpy(bits + row * pitch, blocks->blocks.data() + row * rowBytes, rowBytes);
    } else {
        WriteLevel(*pixels, format, bits, pitch);
    }
    return texture->UnlockRect(index);
}

HRESULT CreateFromImage(IDirect3DDevice8* device, const DecodedImage& image, const char* name, const Request& r,
                        IDirect3DTexture8** out) {
    const UINT width = r.width == 0 || r.width == D3DX_DEFAULT ? image.Width() : r.width;
    const UINT height = r.height == 0 || r.height == D3DX_DEFAULT ? image.Height() : r.height;
    if (width > kMaxImageSide || height > kMaxImageSide || std::uint64_t{width} * height > kMaxImagePixels)
        return ImageError(name, D3DERR_INVALIDCALL, "requested texture size %ux%u is too large", width, height);
    const UINT full = FullChain(width, height);
    const UINT count = r.mipLevels == 0 || r.mipLevels == D3DX_DEFAULT ? full : std::min(r.mipLevels, full);
    // A compressed file's own blocks serve where nothing changes their pixels.
    const bool blocksFit = image.Compressed() && width == image.Width() && height == image.Height() &&
                           r.colourKey == 0;
    const bool keepFormat = r.format == D3DFMT_UNKNOWN || !CanWriteFormat(r.format) || r.format == image.blockFormat;
    std::vector<PixelLevel> chain;
    bool keyed = false;
    if (!(blocksFit && keepFormat && count <= image.FileLevels()))
        chain = PixelChain(image, r, width, height, count, keyed);
    const D3DFORMAT format = ChooseFormat(image, r, blocksFit, image.hasAlpha || keyed);
    const bool useBlocks = blocksFit && format == image.blockFormat;

    IDirect3DTexture8* texture = nullptr;
    HRESULT hr = device->CreateTexture(width, height, count, r.usage, format, r.pool, &texture);
    if (FAILED(hr) || !texture)
        return ImageError(name, FAILED(hr) ? hr : E_FAIL, "cannot create a %ux%u texture of format 0x%x", width,
                          height, static_cast<unsigned>(format));
    const UINT made = std::min<UINT>(count, texture->GetLevelCount());
    for (UINT i = 0; i < made && SUCCEEDED(hr); ++i) {
        const bool fromFile = useBlocks && i < image.FileLevels();
        hr = FillLevel(texture, i, name, format, fromFile ? &image.blockLevels[i] : nullptr,
                       fromFile ? nullptr : &chain[i]);
    }
    if (FAILED(hr)) {
        texture->Release();
        return hr;
    }
    *out = texture;
    return S_OK;
}

HRESULT CreateFromMemory(IDirect3DDevice8* device, ByteSpan data, const char* name, const Request& r,
                         D3DXIMAGE_INFO* srcInfo, IDirect3DTexture8** texture) {
    DecodedImage image;
    HRESULT hr = DecodeImage(data, name, image);
    if (FAILED(hr)) return hr;
    if (srcInfo) {
        srcInfo->Width = image.Width();
        srcInfo->Height = image.Height();
        srcInfo->Depth = 1;
        srcInfo->MipLevels = image.FileLevels();
        srcInfo->Format = image.sourceFormat;
        srcInfo->ImageFileFormat = image.fileFormat;
    }
    return CreateFromImage(device, image, name, r, texture);
}

HRESULT ReadFile(const char* name, std::vector<std::uint8_t>& bytes) {
    platform::DataFile file;
    if (!file.Open(name)) return ImageError(name, E_FAIL, "cannot open: %s", file.Cause().c_str());
    if (file.Size() > kMaxFileBytes)
        return ImageError(name, D3DXERR_INVALIDDATA, "file of %zu bytes is too large for an image", file.Size());
    if (!file.ReadAll(bytes)) return ImageError(name, E_FAIL, "cannot read: %s", file.Cause().c_str());
    return S_OK;
}

Request MakeRequest(UINT width, UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                    DWORD filter, DWORD mipFilter, D3DCOLOR colorKey) {
    return {width, height, mipLevels, usage, format, pool, FilterFrom(filter), FilterFrom(mipFilter), colorKey};
}

// Allocation failures in the pixel work become E_OUTOFMEMORY.
template <class Work>
HRESULT Guarded(const char* name, IDirect3DTexture8** texture, Work work) {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        if (texture && *texture) {
            (*texture)->Release();
            *texture = nullptr;
        }
        return ImageError(name, E_OUTOFMEMORY, "no memory for the texture's pixels");
    }
}

}  // namespace

}  // namespace d3dx

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice8* device, const char* srcFile, IDirect3DTexture8** texture) {
    return D3DXCreateTextureFromFileExA(device, srcFile, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN,
                                        D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, texture);
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice8* device, const char* srcFile, UINT width, UINT height,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                     DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                     PALETTEENTRY* /*palette: no palettised textures are made*/,
                                     IDirect3DTexture8** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!device || !srcFile) return D3DERR_INVALIDCALL;
    const d3dx::Request r = d3dx::MakeRequest(width, height, mipLevels, usage, format, pool, filter, mipFilter, colorKey);
    return d3dx::Guarded(srcFile, texture, [&] {
        std::vector<std::uint8_t> bytes;
        HRESULT hr = d3dx::ReadFile(srcFile, bytes);
        if (FAILED(hr)) return hr;
        return d3dx::CreateFromMemory(device, bytes, srcFile, r, srcInfo, texture);
    });
}

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice8* device, const void* srcData, UINT srcDataSize,
                                            UINT width, UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* /*palette*/,
                                            IDirect3DTexture8** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!device || (!srcData && srcDataSize)) return D3DERR_INVALIDCALL;
    const d3dx::Request r = d3dx::MakeRequest(width, height, mipLevels, usage, format, pool, filter, mipFilter, colorKey);
    const d3dx::ByteSpan data(static_cast<const std::uint8_t*>(srcData), srcDataSize);
    return d3dx::Guarded("<memory>", texture, [&] { return d3dx::CreateFromMemory(device, data, "<memory>", r, srcInfo, texture); });
}

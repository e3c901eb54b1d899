// Texture creation from image files of the D3DX 8 helper library.
//
// Formats: JPEG (libjpeg-turbo), PNG (libpng), Targa (uncompressed and RLE; 8-bit grey or
// colour-mapped, 16, 24 and 32 bits; top-left or bottom-left origin), BMP (uncompressed 8, 24
// and 32 bits) and DDS (uncompressed RGB(A) and DXT1/3/5). Texture coordinate (0, 0) is the
// image's top-left pixel. A missing, truncated or malformed file fails with a negative code and
// a message on stderr naming the file and the cause.
#pragma once

#include "platform/gpu/d3d8.h"

constexpr UINT D3DX_DEFAULT = 0xFFFFFFFF;

constexpr DWORD D3DX_FILTER_NONE = 1;
constexpr DWORD D3DX_FILTER_POINT = 2;
constexpr DWORD D3DX_FILTER_LINEAR = 3;
constexpr DWORD D3DX_FILTER_TRIANGLE = 4;
constexpr DWORD D3DX_FILTER_BOX = 5;

constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);

enum D3DXIMAGE_FILEFORMAT : DWORD {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
};

struct D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

// Width, height and mip levels D3DX_DEFAULT: the file's size and a full mip chain, in the
// format the file needs (X8R8G8B8 for opaque images, A8R8G8B8 for images with alpha, the
// DXT format of a compressed DDS), managed pool.
//
// Ex forms: width or height 0 or D3DX_DEFAULT take the file's; other sizes stretch the image
// (box filter when shrinking, linear when growing; D3DX_FILTER_POINT nearest, _NONE crops or pads
// with transparent black). Mip levels 0 or D3DX_DEFAULT build the full chain by 2x2 box
// averaging; a DDS file's own levels are used where it has them. An explicit format among 32-,
// 24- and 16-bit colour, A8, L8, A8L8 and DXT1/3/5 is honoured (others fall back to the default
// choice). A non-zero colour key turns pixels equal to it (alpha included) transparent black and
// makes the default format A8R8G8B8 when any matched. Palettes are not used (no palettised
// textures are made); srcInfo, when given, receives the file's size, levels and formats.
HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice8* device, const char* srcFile, IDirect3DTexture8** texture);

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice8* device, const char* srcFile, UINT width, UINT height,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                     DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                     PALETTEENTRY* palette, IDirect3DTexture8** texture);

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice8* device, const void* srcData, UINT srcDataSize,
                                            UINT width, UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                            IDirect3DTexture8** texture);

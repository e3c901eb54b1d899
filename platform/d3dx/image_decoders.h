// Image file decoders. Each reads one whole file held in memory; `name` names it in messages.
// Success fills `image` with level 0 (and a DDS file's further levels); failure returns
// D3DXERR_INVALIDDATA for malformed, truncated or unsupported data (E_OUTOFMEMORY when an
// allocation fails) after one line "<name>: <cause>" on stderr.
#pragma once

#include "platform/d3dx/image_data.h"

namespace d3dx {

HRESULT DecodeTga(ByteSpan data, const char* name, DecodedImage& image);
HRESULT DecodeBmp(ByteSpan data, const char* name, DecodedImage& image);
HRESULT DecodeDds(ByteSpan data, const char* name, DecodedImage& image);
HRESULT DecodeJpeg(ByteSpan data, const char* name, DecodedImage& image);
HRESULT DecodePng(ByteSpan data, const char* name, DecodedImage& image);

// The file's format by its first bytes, else by the extension of `name` (".tga" and so on);
// a file with neither is taken for a Targa when its header is plausible. False if none fits.
bool DetectImageFormat(ByteSpan data, const char* name, D3DXIMAGE_FILEFORMAT& format);

// Detects the format and decodes.
HRESULT DecodeImage(ByteSpan data, const char* name, DecodedImage& image);

}  // namespace d3dx

#include "platform/d3dx/buffer.h"

#include <cstdio>
#include <new>

namespace d3dx {

HRESULT MakeBuffer(std::vector<BYTE> bytes, ID3DXBuffer** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = new (std::nothrow) Buffer(std::move(bytes));
    if (!*out) {
        std::fprintf(stderr, "d3dx/buffer: no memory for a buffer object\n");
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

}  // namespace d3dx

HRESULT D3DXCreateBuffer(DWORD numBytes, ID3DXBuffer** buffer) {
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    std::vector<BYTE> bytes;
    try {
        bytes.assign(numBytes, 0);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "d3dx/buffer: no memory for a buffer of %u bytes\n", numBytes);
        return E_OUTOFMEMORY;
    }
    return d3dx::MakeBuffer(std::move(bytes), buffer);
}

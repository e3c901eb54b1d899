// ID3DXBuffer: a reference-counted block of bytes that the helper functions hand out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3dx/d3dx8mesh.h"
#include "platform/com/ref_counted.h"

namespace d3dx {

class Buffer final : public RefCounted<ID3DXBuffer> {
public:
    explicit Buffer(std::vector<BYTE> bytes) : bytes_(std::move(bytes)) {}
    // Never null, also for an empty buffer, so that callers may always read through it.
    void* GetBufferPointer() override { return bytes_.empty() ? static_cast<void*>(&empty_) : bytes_.data(); }
    DWORD GetBufferSize() override { return static_cast<DWORD>(bytes_.size()); }

private:
    std::vector<BYTE> bytes_;
    std::uint64_t empty_ = 0;
};

// Hands out a new buffer holding `bytes` in *out; E_OUTOFMEMORY when it cannot be allocated.
HRESULT MakeBuffer(std::vector<BYTE> bytes, ID3DXBuffer** out);

// Copies `count` values of a trivially copyable type into a new buffer.
template <class T>
HRESULT MakeBufferOf(const T* values, std::size_t count, ID3DXBuffer** out) {
    const auto* first = reinterpret_cast<const BYTE*>(values);
    return MakeBuffer(std::vector<BYTE>(first, first + count * sizeof(T)), out);
}

}  // namespace d3dx

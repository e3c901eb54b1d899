// Bounds-checked little-endian reading of an image file held in memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/d3dx/image_data.h"

namespace d3dx {

class ByteReader {
public:
    explicit ByteReader(ByteSpan data) : data_(data) {}

    std::size_t Size() const { return data_.size(); }
    std::size_t Offset() const { return offset_; }
    std::size_t Remaining() const { return data_.size() - offset_; }
    bool Has(std::uint64_t count) const { return count <= Remaining(); }

    // Moves to an absolute offset; false (and no move) past the end.
    bool Seek(std::uint64_t offset) {
        if (offset > data_.size()) return false;
        offset_ = static_cast<std::size_t>(offset);
        return true;
    }
    bool Skip(std::uint64_t count) { return Has(count) && Seek(offset_ + count); }

    // Readers return false, leaving the value untouched, when the bytes run out.
    bool U8(std::uint8_t& value) {
        if (!Has(1)) return false;
        value = data_[offset_++];
        return true;
    }
    bool U16(std::uint16_t& value) {
        if (!Has(2)) return false;
        value = static_cast<std::uint16_t>(data_[offset_] | (data_[offset_ + 1] << 8));
        offset_ += 2;
        return true;
    }
    bool U32(std::uint32_t& value) {
        if (!Has(4)) return false;
        value = Load32(data_.data() + offset_);
        offset_ += 4;
        return true;
    }
    bool I32(std::int32_t& value) {
        std::uint32_t bits = 0;
        if (!U32(bits)) return false;
        value = static_cast<std::int32_t>(bits);
        return true;
    }
    // The next `count` bytes, consumed; null when fewer remain.
    const std::uint8_t* Take(std::uint64_t count) {
        if (!Has(count)) return nullptr;
        const std::uint8_t* p = data_.data() + offset_;
        offset_ += static_cast<std::size_t>(count);
        return p;
    }

    static std::uint32_t Load32(const std::uint8_t* p) {
        return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
    // Up to four bytes as a little-endian value.
    static std::uint32_t LoadBytes(const std::uint8_t* p, unsigned count) {
        std::uint32_t v = 0;
        for (unsigned i = 0; i < count; ++i) v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
        return v;
    }

private:
    ByteSpan data_;
    std::size_t offset_ = 0;
};

}  // namespace d3dx

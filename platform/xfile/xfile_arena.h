// Growable byte store for the data of all objects of a file; offsets stay valid as it grows.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>

namespace xfile {

class ByteArena {
public:
    std::size_t Size() const { return size_; }
    unsigned char* Data() { return data_.get(); }
    const unsigned char* Data() const { return data_.get(); }

    unsigned char* Grow(std::size_t bytes) {
        if (capacity_ - size_ < bytes) Reserve(size_ + bytes);
        unsigned char* at = data_.get() + size_;
        size_ += bytes;
        return at;
    }
    template <class T>
    void Append(T value) {
        std::memcpy(Grow(sizeof value), &value, sizeof value);
    }
    void AlignTo(std::size_t alignment) {
        std::size_t pad = (alignment - size_ % alignment) % alignment;
        if (pad > 0) std::memset(Grow(pad), 0, pad);
    }
    void Truncate(std::size_t size) {
        if (size < size_) size_ = size;
    }
    void Reserve(std::size_t bytes) {
        if (bytes <= capacity_) return;
        std::size_t capacity = capacity_ < 4096 ? 4096 : capacity_;
        while (capacity < bytes) capacity *= 2;
        std::unique_ptr<unsigned char[]> grown(new unsigned char[capacity]);
        if (size_ > 0) std::memcpy(grown.get(), data_.get(), size_);
        data_ = std::move(grown);
        capacity_ = capacity;
    }

private:
    std::unique_ptr<unsigned char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace xfile

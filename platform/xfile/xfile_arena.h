// Growable byte store for the data of all objects of a file; offsets stay valid as it grows.
// Large stores are mapped with their pages populated at once rather than faulted in one by
// one as the parser fills them.
#pragma once

#include <cstddef>
#include <cstring>

namespace xfile {

class ByteArena {
public:
    ByteArena() = default;
    ~ByteArena() { Free(data_, capacity_); }
    ByteArena(const ByteArena&) = delete;
    ByteArena& operator=(const ByteArena&) = delete;

    std::size_t Size() const { return size_; }
    unsigned char* Data() { return data_; }
    const unsigned char* Data() const { return data_; }

    unsigned char* Grow(std::size_t bytes) {
        if (capacity_ - size_ < bytes) Reserve(size_ + bytes);
        unsigned char* at = data_ + size_;
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
    // Throws std::bad_alloc when memory runs out, like the containers around it.
    void Reserve(std::size_t bytes);

private:
    static unsigned char* Allocate(std::size_t capacity);
    static void Free(unsigned char* data, std::size_t capacity);

    unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace xfile

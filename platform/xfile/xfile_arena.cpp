#include "platform/xfile/xfile_arena.h"

#include <sys/mman.h>

#include <new>

namespace xfile {
namespace {
constexpr std::size_t kMapped = std::size_t(1) << 20;
}

unsigned char* ByteArena::Allocate(std::size_t capacity) {
    if (capacity < kMapped) return new unsigned char[capacity];
    void* p = ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    return static_cast<unsigned char*>(p);
}

void ByteArena::Free(unsigned char* data, std::size_t capacity) {
    if (data == nullptr) return;
    if (capacity < kMapped)
        delete[] data;
    else
        ::munmap(data, capacity);
}

void ByteArena::Reserve(std::size_t bytes) {
    if (bytes <= capacity_) return;
    // Doubling for growth, but an up-front reservation is taken as asked.
    std::size_t capacity = capacity_ * 2 > bytes ? capacity_ * 2 : bytes;
    if (capacity < 4096) capacity = 4096;
    unsigned char* grown = Allocate(capacity);
    if (size_ > 0) std::memcpy(grown, data_, size_);
    Free(data_, capacity_);
    data_ = grown;
    capacity_ = capacity;
}

}  // namespace xfile

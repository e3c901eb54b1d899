// The bytes of one X file: header checked, compressed bodies inflated, ready for a lexer.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/win_types.h"

namespace xfile {

constexpr std::size_t kHeaderSize = 16;
// Larger files, or larger inflated bodies, are refused.
constexpr std::size_t kMaxFileSize = 256u * 1024u * 1024u;

// A body buffer followed by one NUL: heap memory allocated without clearing, or a private
// mapping of the file (pages copied only where the reader writes a string terminator).
class BodyBuffer {
public:
    BodyBuffer() = default;
    ~BodyBuffer() { Release(); }
    BodyBuffer(BodyBuffer&& other) noexcept { *this = std::move(other); }
    BodyBuffer& operator=(BodyBuffer&& other) noexcept;
    BodyBuffer(const BodyBuffer&) = delete;
    BodyBuffer& operator=(const BodyBuffer&) = delete;

    // Room for `size` bytes (contents unset) and the NUL after them.
    char* Allocate(std::size_t size);
    void Assign(const char* data, std::size_t size) {
        char* to = Allocate(size);
        if (size > 0) std::memcpy(to, data, size);
    }
    // Maps the file behind `fd` of `fileSize` bytes and skips `skip` of them; false when it
    // cannot (the caller then reads the file).
    bool Map(int fd, std::size_t fileSize, std::size_t skip);
    // Keeps the first `size` bytes (no more than there are) and terminates them.
    void Shrink(std::size_t size) {
        if (size + 1 > size_) return;
        size_ = size + 1;
        data_[size] = '\0';
    }
    char* data() { return data_; }
    const char* data() const { return data_; }
    // Including the NUL.
    std::size_t size() const { return size_; }

private:
    void Release();

    std::unique_ptr<char[]> heap_;
    void* map_ = nullptr;
    std::size_t mapLength_ = 0;
    char* data_ = nullptr;
    std::size_t size_ = 0;
};

struct XFileSource {
    std::string name;   // for messages
    BodyBuffer bytes;   // the body after the header, followed by one NUL
    bool text = true;
    bool doubles = false;
    bool compressed = false;

    std::string_view Body() const { return std::string_view(bytes.data(), bytes.size() - 1); }
};

// Reads and checks the whole file; failures are reported on stderr and returned.
HRESULT LoadSourceFromFile(const char* path, XFileSource* source);
HRESULT LoadSourceFromMemory(const void* data, std::size_t size, std::string name, XFileSource* source);

// MSZIP: a 32-bit total size, then blocks of (uncompressed size, compressed size, "CK",
// raw deflate), each inflated with the previous block's output as dictionary.
HRESULT InflateMsZip(std::string_view compressed, std::string_view name, std::vector<char>* body);

}  // namespace xfile

// The bytes of one X file: header checked, compressed bodies inflated, ready for a lexer.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gpu/win_types.h"

namespace xfile {

constexpr std::size_t kHeaderSize = 16;
// Larger files, or larger inflated bodies, are refused.
constexpr std::size_t kMaxFileSize = 256u * 1024u * 1024u;

// A body buffer followed by one NUL, allocated without clearing (files are large).
class BodyBuffer {
public:
    // Room for `size` bytes (contents unset) and the NUL after them.
    char* Allocate(std::size_t size) {
        data_.reset(new char[size + 1]);
        size_ = size + 1;
        data_[size] = '\0';
        return data_.get();
    }
    void Assign(const char* data, std::size_t size) {
        if (size > 0) std::memcpy(Allocate(size), data, size);
        else Allocate(0);
    }
    // Keeps the first `size` bytes (no more than allocated) and terminates them.
    void Shrink(std::size_t size) {
        if (size + 1 > size_) return;
        size_ = size + 1;
        data_[size] = '\0';
    }
    char* data() { return data_.get(); }
    const char* data() const { return data_.get(); }
    // Including the NUL.
    std::size_t size() const { return size_; }

private:
    std::unique_ptr<char[]> data_;
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

// The bytes of one X file: header checked, compressed bodies inflated, ready for a lexer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gpu/win_types.h"

namespace xfile {

constexpr std::size_t kHeaderSize = 16;
// Larger files, or larger inflated bodies, are refused.
constexpr std::size_t kMaxFileSize = 256u * 1024u * 1024u;

struct XFileSource {
    std::string name;         // for messages
    std::vector<char> bytes;  // the body after the header, followed by one NUL
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

// The compressed X file forms: the 16-byte header, the uncompressed file size (header
// included) as a 32-bit word, then blocks of at most 32 KB of the body, each as uncompressed
// size (16 bits), compressed size (16 bits, counting the "CK" signature), "CK" and raw deflate
// data that uses the previous block as its dictionary.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace assets::xwrite {

constexpr std::size_t kMsZipBlock = 32768;

// `header` is the 16-byte header of the compressed form ("xof 0303tzip0032" ...). Returns
// empty bytes (after a message on stderr) when zlib fails or the body is too large.
std::vector<std::uint8_t> CompressMsZip(std::string_view header, const std::vector<std::uint8_t>& body);

}  // namespace assets::xwrite

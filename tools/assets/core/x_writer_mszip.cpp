#include "tools/assets/core/x_writer_mszip.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>

namespace assets::xwrite {
namespace {

class RawDeflater {
public:
    // Fixed settings, so the same input gives the same bytes.
    RawDeflater() { ok_ = deflateInit2(&stream_, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK; }
    ~RawDeflater() {
        if (ok_) deflateEnd(&stream_);
    }
    RawDeflater(const RawDeflater&) = delete;
    RawDeflater& operator=(const RawDeflater&) = delete;

    bool ok() const { return ok_; }

    // One whole deflate stream of `in` primed with `dictionary`, appended to `out`.
    bool Block(const std::uint8_t* in, std::size_t size, const std::uint8_t* dictionary, std::size_t dictionarySize,
               std::vector<std::uint8_t>& out) {
        if (deflateReset(&stream_) != Z_OK) return false;
        if (dictionarySize > 0 &&
            deflateSetDictionary(&stream_, dictionary, static_cast<uInt>(dictionarySize)) != Z_OK)
            return false;
        const std::size_t start = out.size();
        const std::size_t bound = deflateBound(&stream_, static_cast<uLong>(size));
        out.resize(start + bound);
        stream_.next_in = const_cast<Bytef*>(in);
        stream_.avail_in = static_cast<uInt>(size);
        stream_.next_out = out.data() + start;
        stream_.avail_out = static_cast<uInt>(bound);
        const int rc = deflate(&stream_, Z_FINISH);
        out.resize(start + (bound - stream_.avail_out));
        return rc == Z_STREAM_END;
    }

private:
    z_stream stream_{};
    bool ok_ = false;
};

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::size_t v) {
    out[at] = static_cast<std::uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

}  // namespace

std::vector<std::uint8_t> CompressMsZip(std::string_view header, const std::vector<std::uint8_t>& body) {
    const std::uint64_t total = header.size() + body.size();
    if (total > 0xFFFFFFFFu) {
        std::fprintf(stderr, "WriteX: %zu bytes are too many for a compressed X file\n", body.size());
        return {};
    }
    RawDeflater deflater;
    if (!deflater.ok()) {
        std::fprintf(stderr, "WriteX: zlib could not start a deflate stream\n");
        return {};
    }
    std::vector<std::uint8_t> out(header.begin(), header.end());
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(total >> (8 * i)));
    for (std::size_t at = 0; at < body.size(); at += kMsZipBlock) {
        const std::size_t size = std::min(kMsZipBlock, body.size() - at);
        const std::size_t previous = at >= kMsZipBlock ? kMsZipBlock : 0;
        const std::size_t blockHeader = out.size();
        out.resize(blockHeader + 4);
        out.push_back('C');
        out.push_back('K');
        if (!deflater.Block(body.data() + at, size, body.data() + at - previous, previous, out)) {
            std::fprintf(stderr, "WriteX: zlib failed to deflate block at byte %zu\n", at);
            return {};
        }
        const std::size_t compressed = out.size() - blockHeader - 4;  // "CK" included
        if (compressed > 0xFFFF) {
            std::fprintf(stderr, "WriteX: deflated block at byte %zu does not fit its size field\n", at);
            return {};
        }
        Put16(out, blockHeader, size);
        Put16(out, blockHeader + 2, compressed);
    }
    return out;
}

}  // namespace assets::xwrite

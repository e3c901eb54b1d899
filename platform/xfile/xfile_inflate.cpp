#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/xfile/dxfile.h"
#include "platform/xfile/xfile_diagnostics.h"
#include "platform/xfile/xfile_source.h"

namespace xfile {
namespace {

class RawInflater {
public:
    RawInflater() { ok_ = inflateInit2(&stream_, -15) == Z_OK; }
    ~RawInflater() {
        if (ok_) inflateEnd(&stream_);
    }
    RawInflater(const RawInflater&) = delete;
    RawInflater& operator=(const RawInflater&) = delete;

    bool ok() const { return ok_; }
    // Inflates `in` into `out` (exactly `out.size` bytes expected) with `dictionary`.
    bool Block(const unsigned char* in, std::size_t inSize, unsigned char* out, std::size_t outSize,
               const unsigned char* dictionary, std::size_t dictionarySize) {
        if (inflateReset(&stream_) != Z_OK) return false;
        if (dictionarySize > 0 &&
            inflateSetDictionary(&stream_, dictionary, static_cast<uInt>(dictionarySize)) != Z_OK)
            return false;
        stream_.next_in = const_cast<unsigned char*>(in);
        stream_.avail_in = static_cast<uInt>(inSize);
        stream_.next_out = out;
        stream_.avail_out = static_cast<uInt>(outSize);
        int rc = inflate(&stream_, Z_FINISH);
        return (rc == Z_STREAM_END || rc == Z_OK || rc == Z_BUF_ERROR) && stream_.avail_out == 0;
    }

private:
    z_stream stream_{};
    bool ok_ = false;
};

std::uint16_t Get16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

HRESULT InflateMsZip(std::string_view compressed, std::string_view name, std::vector<char>* body) {
    const auto* p = reinterpret_cast<const unsigned char*>(compressed.data());
    std::size_t left = compressed.size();
    auto where = [&](const unsigned char* at) {
        return "byte " + std::to_string(kHeaderSize + static_cast<std::size_t>(at - reinterpret_cast<const unsigned char*>(compressed.data())));
    };
    if (left < 4) return ReportFailure(DXFILEERR_BADFILE, name, where(p), "truncated compressed size");
    std::uint32_t total;
    std::memcpy(&total, p, 4);
    p += 4;
    left -= 4;
    if (total < kHeaderSize || total - kHeaderSize > kMaxFileSize)
        return ReportFailure(DXFILEERR_BADFILE, name, where(p - 4), "implausible uncompressed size");
    std::size_t expected = total - kHeaderSize;
    body->clear();
    body->reserve(std::min<std::size_t>(expected, left * 8 + 65536) + 1);
    RawInflater inflater;
    if (!inflater.ok()) return ReportFailure(DXFILEERR_INTERNALERROR, name, where(p), "zlib initialisation failed");
    std::size_t previous = 0;  // start of the previous block's output
    while (left > 0 && body->size() < expected) {
        if (left < 6) return ReportFailure(DXFILEERR_BADFILE, name, where(p), "truncated block header");
        std::size_t outSize = Get16(p);
        std::size_t inSize = Get16(p + 2);
        if (inSize < 2 || inSize > left - 4)
            return ReportFailure(DXFILEERR_BADFILE, name, where(p), "block size beyond the file");
        if (p[4] != 'C' || p[5] != 'K')
            return ReportFailure(DXFILEERR_BADFILE, name, where(p + 4), "block without \"CK\" signature");
        if (outSize > expected - body->size())
            return ReportFailure(DXFILEERR_BADFILE, name, where(p), "blocks larger than the uncompressed size");
        std::size_t start = body->size();
        body->resize(start + outSize);
        auto* data = reinterpret_cast<unsigned char*>(body->data());
        if (!inflater.Block(p + 6, inSize - 2, data + start, outSize, data + previous, start - previous))
            return ReportFailure(DXFILEERR_BADFILE, name, where(p), "corrupt deflate block");
        previous = start;
        p += 4 + inSize;
        left -= 4 + inSize;
    }
    if (body->size() != expected)
        return ReportFailure(DXFILEERR_BADFILE, name, where(p), "compressed data ends early");
    return DXFILE_OK;
}

}  // namespace xfile

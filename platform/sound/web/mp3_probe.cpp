#include "platform/sound/web/mp3_probe.h"

namespace platform {
namespace {

constexpr std::size_t kSearchWindow = 64 * 1024;

struct FrameHeader {
    int version = 0;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    long rate = 0;
    int channels = 0;
    std::size_t length = 0;  // bytes, header included
};

// The Layer III frame header at p, if the four bytes are one.
bool ReadHeader(const std::uint8_t* p, FrameHeader& header) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
    const int version = (p[1] >> 3) & 3;
    const int layer = (p[1] >> 1) & 3;
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return false;
    static constexpr int kKbpsMpeg1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static constexpr int kKbpsMpeg2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static constexpr long kRatesMpeg1[] = {44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    const long kbps = mpeg1 ? kKbpsMpeg1[bitrateIndex] : kKbpsMpeg2[bitrateIndex];
    const long rate = kRatesMpeg1[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    const long padding = (p[2] >> 1) & 1;
    header.version = version;
    header.rate = rate;
    header.channels = (p[3] >> 6) == 3 ? 1 : 2;
    header.length = static_cast<std::size_t>((mpeg1 ? 144000 : 72000) * kbps / rate + padding);
    return true;
}

// The size of the ID3v2 tag at the start of bytes (header, body and footer), or 0 for none.
std::size_t Id3TagSize(const std::uint8_t* bytes, std::size_t size) {
    if (size < 10 || bytes[0] != 'I' || bytes[1] != 'D' || bytes[2] != '3' || bytes[3] == 0xFF || bytes[4] == 0xFF)
        return 0;
    std::size_t body = 0;
    for (int i = 6; i < 10; ++i) {
        if (bytes[i] & 0x80) return 0;  // sizes are stored seven bits a byte
        body = body << 7 | bytes[i];
    }
    const bool footer = bytes[3] >= 4 && (bytes[5] & 0x10);
    return 10 + body + (footer ? 10 : 0);
}

}  // namespace

Mp3Probe ProbeMp3(const std::uint8_t* bytes, std::size_t size) {
    Mp3Probe probe;
    std::size_t start = 0;
    while (std::size_t tag = Id3TagSize(bytes + start, size - start)) {
        if (tag > size - start) return probe;  // cut off inside its tag
        start += tag;
    }
    const std::size_t end = size - start > kSearchWindow ? start + kSearchWindow : size;
    for (std::size_t at = start; at + 4 <= end; ++at) {
        FrameHeader first;
        if (!ReadHeader(bytes + at, first)) continue;
        const std::size_t next = at + first.length;
        FrameHeader second;
        const bool confirmed = next == size || (next + 4 <= size && ReadHeader(bytes + next, second) &&
                                                second.version == first.version && second.rate == first.rate &&
                                                second.channels == first.channels);
        if (!confirmed) continue;
        probe.found = true;
        probe.firstFrame = at;
        probe.format = PcmFormat{first.rate, first.channels};
        return probe;
    }
    return probe;
}

}  // namespace platform
